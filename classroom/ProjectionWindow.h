#pragma once

#include "ProjectionRound.h"
#include "ProjectionSettings.h"
#include "Questions.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>

class QTextDocument;
class QTimer;

namespace oxeln {

class CorrectionScreen;

// The worksheet's questions on the classroom screen: full screen, one at a
// time with a countdown, then the correction with every answer highlighted.
// It works on its own copy of the questions and its own draws, so the
// worksheet is never touched.
//
// Keys: Space or Right next, Left previous, P pause, + and - seconds per
// question, Home first, Q choice of questions, N colours, Esc closes. A click
// goes forward (a right click back); so does the end of the countdown.
class ProjectionWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProjectionWindow)

public:
    using Clock = std::function<std::int64_t()>; // milliseconds
    using ErrorReporter = std::function<void(const QString &message)>;

    // A window of its own, kept above mainWindow and closed with it.
    explicit ProjectionWindow(QWidget *mainWindow);
    ~ProjectionWindow() override;

    // The settings file: read at every start, written at close when changed.
    void setSettingsFile(const QString &path) { m_settingsFile = path; }
    // Asked for the file to write just before writing (the main window's
    // store, which may move the settings to the user's own file); without
    // it, the file read is the one written.
    void setSettingsFileForWriting(std::function<QString()> choose) { m_chooseFileForWriting = std::move(choose); }
    void setErrorReporter(ErrorReporter reporter) { m_errorReporter = std::move(reporter); }
    // For tests: the time source and the seed of the draws.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void seedDraws(std::uint32_t seed) { m_draws.seed(seed); }

    // Shows the questions on the projection screen, question 1 first.
    // viewsEdited: the worksheet's views were retouched by hand, which the
    // questions do not hold; the first question's screen says so.
    void start(QuestionList questions, bool viewsEdited = false);
    // "les retouches faites à la main ne sont pas projetées", or as a
    // sentence of its own.
    static QString handEditsNote(bool sentence = false);
    // Whether the screen shows that note now.
    bool showsHandEditsNote() const;

    const QuestionList &questions() const { return m_questions; }
    const ProjectionRound &round() const { return m_round; }
    const ProjectionSettings &settings() const { return m_settings; }
    // The short notice on screen ("25 secondes par question"), or empty.
    QString notice() const { return m_notice; }
    // Pixel size of the question as laid out for the window's current size.
    int questionPixelSize();
    // Lines of the question as laid out.
    int questionLines();
    // The questions (indices into questions()) of the correction page shown.
    std::vector<std::size_t> correctionPageItems();
    // Where each of them is drawn: the box its text takes, in reading order.
    std::vector<QRectF> correctionPageCells();

    // Screen-independent layout parts, public for the tests.
    struct Frame
    {
        QRect header;
        QRect content;
        QRect bar;
    };
    static Frame frameFor(const QSize &size);

public slots:
    // Follows the clock: ends the countdown, clears an old notice.
    void tick();

signals:
    // The first question has been painted after start().
    void questionShown();
    // The window is closing; wasActive tells whether it had the focus.
    void closing(bool wasActive);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void screenChanged();

private:
    struct Colours;

    std::int64_t now() const;
    Colours colours() const;
    void invalidateLayout();
    void layoutQuestion();
    void layoutCorrection();
    void paintQuestion(QPainter &painter, const Frame &frame, const Colours &colours);
    void paintCorrection(QPainter &painter, const Frame &frame, const Colours &colours);
    void paintHeader(QPainter &painter, const Frame &frame, const Colours &colours,
                     const QString &left, const QString &right);
    void showNotice(const QString &text);
    void changeSeconds(int delta);
    void cycleChoice();
    void restartRound();
    void saveSettings();

    QuestionList m_questions;
    ProjectionRound m_round;
    ProjectionSettings m_settings;
    ProjectionSettings m_storedSettings; // as read from the file
    QString m_settingsFile;
    std::function<QString()> m_chooseFileForWriting;
    ErrorReporter m_errorReporter;
    Clock m_clock;
    QElapsedTimer m_monotonic;
    std::mt19937 m_draws;
    QTimer *m_timer = nullptr;

    QString m_notice;
    std::int64_t m_noticeUntil = 0;
    std::int64_t m_hintUntil = 0;    // the key help, shown at the start
    std::int64_t m_pointerUntil = 0; // the pointer, hidden when still
    bool m_shownSignalled = true;
    bool m_viewsEdited = false;

    // The laid-out question: for which round place, size and colours.
    std::unique_ptr<QTextDocument> m_questionDocument;
    int m_questionPixels = 0;
    int m_laidOutPosition = -1;
    QSize m_laidOutSize;
    // The correction's pages, planned for one window size.
    std::unique_ptr<CorrectionScreen> m_correction;
    QSize m_correctionSize;
};

} // namespace oxeln
