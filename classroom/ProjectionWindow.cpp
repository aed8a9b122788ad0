#include "ProjectionWindow.h"

#include "CorrectionScreen.h"
#include "QuestionText.h"
#include "ScreenChoice.h"
#include "SettingsError.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace oxeln {

namespace {

constexpr int kTickMs = 50;
constexpr std::int64_t kNoticeMs = 1500;
constexpr std::int64_t kHintMs = 4000;
constexpr std::int64_t kPointerMs = 3000;

const QString kHint = QStringLiteral(
    "Espace ou \u2192 : suivante    \u2190 : précédente    P : pause    + ou \u2212 : durée    "
    "Q : choix des questions    N : couleurs    Échap : fermer");

QFont screenFont(bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setBold(bold);
    return font;
}

QString choiceText(QuestionChoice choice)
{
    switch (choice) {
    case QuestionChoice::Ten: return QStringLiteral("10 au hasard");
    case QuestionChoice::Twenty: return QStringLiteral("20 au hasard");
    default: return QStringLiteral("toutes les questions");
    }
}

std::unique_ptr<QTextDocument> newDocument(Qt::Alignment alignment)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setUndoRedoEnabled(false);
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WordWrap);
    document->setDefaultTextOption(option);
    return document;
}

void drawDocument(QPainter &painter, QTextDocument &document, QPointF at, const QColor &text)
{
    painter.save();
    painter.translate(at);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, text);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace

struct ProjectionWindow::Colours
{
    QColor background;
    QColor text;
    QColor dim;
    QColor track;
    QColor bar;
    QColor barLate;
    QColor noticeBackground;
};

ProjectionWindow::ProjectionWindow(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_draws(QRandomGenerator::global()->generate())
{
    setObjectName(QStringLiteral("Projection"));
    setWindowTitle(QStringLiteral("Projection en classe"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_monotonic.start();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("countdown"));
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &ProjectionWindow::tick);
}

ProjectionWindow::~ProjectionWindow() = default;

std::int64_t ProjectionWindow::now() const
{
    return m_clock ? m_clock() : m_monotonic.elapsed();
}

QString ProjectionWindow::handEditsNote(bool sentence)
{
    const QString note = QStringLiteral("les retouches faites à la main ne sont pas projetées");
    return sentence ? note.at(0).toUpper() + note.mid(1) + QLatin1Char('.') : note;
}

bool ProjectionWindow::showsHandEditsNote() const
{
    return m_viewsEdited && m_round.phase() == ProjectionRound::Phase::Question && m_round.count() > 0
        && m_round.position() == 0;
}

void ProjectionWindow::start(QuestionList questions, bool viewsEdited)
{
    // Started again while open: what was changed meanwhile is kept first.
    if (isVisible())
        saveSettings();
    m_questions = std::move(questions);
    m_viewsEdited = viewsEdited;
    m_settings = m_storedSettings = ProjectionSettings::read(m_settingsFile);
    const std::int64_t t = now();
    m_round.setSeconds(m_settings.seconds, t);
    m_round.start(ChooseQuestions(m_questions.size(), m_settings.choice, m_draws), t);
    m_notice.clear();
    m_hintUntil = t + kHintMs;
    m_pointerUntil = t + kPointerMs;
    unsetCursor();
    m_shownSignalled = false;
    invalidateLayout();

    if (!isVisible()) {
        // The projector when there is one; full screen there.
        QScreen *screen = ProjectionScreen(parentWidget());
        if (windowHandle())
            windowHandle()->setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    m_timer->start();
    update();
}

void ProjectionWindow::invalidateLayout()
{
    m_questionDocument.reset();
    m_correction.reset();
}

ProjectionWindow::Frame ProjectionWindow::frameFor(const QSize &size)
{
    const int h = size.height();
    const int w = size.width();
    const int margin = std::max(4, h / 40);
    const int headerHeight = std::max(16, h / 14);
    const int barHeight = std::max(4, h / 70);
    // Some air on the sides, where a projector's image is often cut.
    const int side = std::max(2 * margin, w / 25);
    Frame frame;
    frame.header = QRect(side, 0, w - 2 * side, headerHeight);
    frame.bar = QRect(0, h - barHeight, w, barHeight);
    frame.content = QRect(side, headerHeight + margin, w - 2 * side, h - headerHeight - barHeight - 3 * margin);
    return frame;
}

ProjectionWindow::Colours ProjectionWindow::colours() const
{
    if (m_settings.dark)
        return {QColor(0x12, 0x12, 0x12), QColor(0xF2, 0xF2, 0xF2), QColor(0xA0, 0xA0, 0xA0),
                QColor(0x33, 0x33, 0x33), QColor(0x5A, 0x9B, 0xE6), QColor(0xF0, 0x8A, 0x24),
                QColor(0x3A, 0x3A, 0x3A)};
    return {Qt::white, Qt::black, QColor(0x60, 0x60, 0x60), QColor(0xE4, 0xE4, 0xE4),
            QColor(0x1F, 0x5F, 0xB0), QColor(0xD9, 0x5F, 0x0E), QColor(0xEC, 0xEC, 0xEC)};
}

// ---- Question ---------------------------------------------------------------

void ProjectionWindow::layoutQuestion()
{
    if (m_round.phase() != ProjectionRound::Phase::Question || m_round.count() == 0)
        return;
    if (m_questionDocument && m_laidOutPosition == m_round.position() && m_laidOutSize == size())
        return;
    const Question &question = m_questions.at(m_round.questionIndex());
    const bool chain = question.projectsLong();
    const QSizeF box = frameFor(size()).content.size();
    const int tenth = std::max(1, height() / 10);
    const int largest = std::max(tenth, height() / 4);

    // A pair on one line at a tenth of the height or more; a chain on two
    // lines at half that or more; else wrapped on as many lines as needed.
    struct Attempt { bool breakable; int minimum; int maxLines; };
    const Attempt attempts[] = {
        {chain, chain ? tenth / 2 : tenth, chain ? 2 : 1},
        {true, std::max(1, tenth / 2), 0},
        {true, 6, 0},
    };
    m_questionDocument = newDocument(Qt::AlignHCenter);
    m_questionPixels = 0;
    for (const Attempt &attempt : attempts) {
        m_questionDocument->setHtml(QuestionHtml(question, attempt.breakable));
        m_questionPixels = FitPixelSize(*m_questionDocument, screenFont(true), box, attempt.minimum, largest,
                                        attempt.maxLines);
        if (m_questionPixels > 0)
            break;
    }
    if (m_questionPixels == 0) { // a window too small for anything: smallest type
        m_questionPixels = 6;
        QFont font = screenFont(true);
        font.setPixelSize(m_questionPixels);
        m_questionDocument->setDefaultFont(font);
    }
    m_laidOutPosition = m_round.position();
    m_laidOutSize = size();
}

int ProjectionWindow::questionPixelSize()
{
    layoutQuestion();
    return m_questionDocument ? m_questionPixels : 0;
}

int ProjectionWindow::questionLines()
{
    layoutQuestion();
    return m_questionDocument ? LaidOutLines(*m_questionDocument) : 0;
}

void ProjectionWindow::paintQuestion(QPainter &painter, const Frame &frame, const Colours &colours)
{
    const std::int64_t t = now();
    const QString right = m_round.paused()
        ? QStringLiteral("Pause")
        : QStringLiteral("%1 s").arg((m_round.remainingMs(t) + 999) / 1000);
    paintHeader(painter, frame, colours,
                QStringLiteral("Question %1 / %2").arg(m_round.position() + 1).arg(m_round.count()), right);

    layoutQuestion();
    const qreal height = m_questionDocument->documentLayout()->documentSize().height();
    const QRect &box = frame.content;
    drawDocument(painter, *m_questionDocument, QPointF(box.left(), box.top() + (box.height() - height) / 2),
                 colours.text);

    // The countdown: what is left of the time, orange in its last quarter.
    const double left = m_round.remainingFraction(t);
    painter.fillRect(frame.bar, colours.track);
    QRect done = frame.bar;
    done.setWidth(static_cast<int>(std::lround(frame.bar.width() * left)));
    painter.fillRect(done, m_round.paused() ? colours.dim : left < 0.25 ? colours.barLate : colours.bar);
}

// ---- Correction -------------------------------------------------------------

void ProjectionWindow::layoutCorrection()
{
    if (m_correction && m_correctionSize == size())
        return;
    // Planned for the whole round; only the page shown is ever laid out.
    m_correction = std::make_unique<CorrectionScreen>(m_questions, m_round.order(), frameFor(size()).content, height());
    m_correctionSize = size();
    m_round.setCorrectionPages(m_correction->pageCount());
}

std::vector<std::size_t> ProjectionWindow::correctionPageItems()
{
    std::vector<std::size_t> items;
    if (m_round.phase() != ProjectionRound::Phase::Correction)
        return items;
    layoutCorrection();
    const CorrectionPage &page = m_correction->page(m_round.correctionPage());
    for (std::size_t k = 0; k < page.count; ++k)
        items.push_back(m_round.order().at(page.first + k));
    return items;
}

std::vector<QRectF> ProjectionWindow::correctionPageCells()
{
    if (m_round.phase() != ProjectionRound::Phase::Correction)
        return {};
    layoutCorrection();
    return m_correction->itemBoxes(m_round.correctionPage());
}

void ProjectionWindow::paintCorrection(QPainter &painter, const Frame &frame, const Colours &colours)
{
    layoutCorrection();
    const QString pages = m_round.correctionPages() > 1
        ? QStringLiteral("page %1 / %2").arg(m_round.correctionPage() + 1).arg(m_round.correctionPages())
        : QString();
    paintHeader(painter, frame, colours, QStringLiteral("Correction"), pages);
    if (m_round.count() == 0) {
        painter.setPen(colours.dim);
        QFont font = screenFont(false);
        font.setPixelSize(std::max(12, height() / 20));
        painter.setFont(font);
        painter.drawText(frame.content, Qt::AlignCenter, QStringLiteral("Aucune question"));
        return;
    }
    m_correction->paint(painter, m_round.correctionPage(), colours.text, colours.dim);
}

// ---- Painting and events ------------------------------------------------------

void ProjectionWindow::paintHeader(QPainter &painter, const Frame &frame, const Colours &colours,
                                   const QString &left, const QString &right)
{
    QFont font = screenFont(false);
    font.setPixelSize(std::max(10, height() / 30));
    painter.setFont(font);
    painter.setPen(colours.dim);
    painter.drawText(frame.header, Qt::AlignLeft | Qt::AlignVCenter, left);
    painter.drawText(frame.header, Qt::AlignRight | Qt::AlignVCenter, right);
}

void ProjectionWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Colours c = colours();
    const Frame frame = frameFor(size());
    painter.fillRect(rect(), c.background);

    const bool question = m_round.phase() == ProjectionRound::Phase::Question && m_round.count() > 0;
    if (question)
        paintQuestion(painter, frame, c);
    else
        paintCorrection(painter, frame, c);

    // Lines over a question, from the bottom up: the key help while paused
    // and just after the start, on the first question a word that hand edits
    // are not shown; a notice above them. A line too long for a narrow or
    // 4:3 screen is set smaller until it fits.
    QFont font = screenFont(false);
    int bottom = frame.bar.top() - frame.header.left() / 2;
    auto drawLine = [&](const QString &text, int pixels) {
        font.setPixelSize(pixels);
        const int advance = QFontMetrics(font).horizontalAdvance(text);
        if (advance > frame.content.width())
            font.setPixelSize(std::max(9, pixels * frame.content.width() / advance));
        painter.setFont(font);
        painter.setPen(c.dim);
        const QRect line(frame.content.left(), bottom - font.pixelSize() * 3 / 2, frame.content.width(),
                         font.pixelSize() * 3 / 2);
        painter.drawText(line, Qt::AlignCenter, text);
        bottom = line.top();
    };
    if (question && (m_round.paused() || now() < m_hintUntil))
        drawLine(kHint, std::max(9, height() / 48));
    if (showsHandEditsNote())
        drawLine(handEditsNote(true), std::max(10, height() / 36));
    if (!m_notice.isEmpty()) {
        font.setPixelSize(std::max(12, height() / 24));
        painter.setFont(font);
        QRect box = painter.fontMetrics().boundingRect(m_notice).adjusted(-font.pixelSize(), -font.pixelSize() / 3,
                                                                           font.pixelSize(), font.pixelSize() / 3);
        box.moveCenter(QPoint(width() / 2, bottom - box.height() / 2 - font.pixelSize() / 2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(c.noticeBackground);
        painter.drawRoundedRect(box, box.height() / 4.0, box.height() / 4.0);
        painter.setPen(c.text);
        painter.drawText(box, Qt::AlignCenter, m_notice);
    }

    if (question && !m_shownSignalled) {
        m_shownSignalled = true;
        emit questionShown();
    }
}

void ProjectionWindow::resizeEvent(QResizeEvent *event)
{
    // Laid out again at once, so that a page number or a key press that
    // follows sees the new pages.
    invalidateLayout();
    if (m_round.phase() == ProjectionRound::Phase::Correction)
        layoutCorrection();
    QWidget::resizeEvent(event);
}

void ProjectionWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Another screen may have another density: lay out again there.
    if (QWindow *window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &ProjectionWindow::screenChanged, Qt::UniqueConnection);
    }
}

void ProjectionWindow::screenChanged()
{
    invalidateLayout();
    if (m_round.phase() == ProjectionRound::Phase::Correction)
        layoutCorrection();
    update();
}

void ProjectionWindow::tick()
{
    const std::int64_t t = now();
    // The pointer goes once it has been still for a while.
    if (m_pointerUntil != 0 && t >= m_pointerUntil) {
        m_pointerUntil = 0;
        setCursor(Qt::BlankCursor);
    }
    if ((!m_notice.isEmpty() && t >= m_noticeUntil) || (m_hintUntil != 0 && t >= m_hintUntil)) {
        m_notice.clear();
        m_hintUntil = 0;
        update();
    }
    if (m_round.tick(t)) {
        if (m_round.phase() == ProjectionRound::Phase::Correction)
            layoutCorrection();
        update();
    } else if (m_round.phase() == ProjectionRound::Phase::Question && !m_round.paused()) {
        const Frame frame = frameFor(size());
        update(frame.bar);
        update(frame.header);
    }
}

void ProjectionWindow::showNotice(const QString &text)
{
    m_notice = text;
    m_noticeUntil = now() + kNoticeMs;
    update();
}

void ProjectionWindow::changeSeconds(int delta)
{
    m_round.setSeconds(m_round.seconds() + delta, now());
    m_settings.seconds = m_round.seconds();
    showNotice(QStringLiteral("%1 secondes par question").arg(m_round.seconds()));
}

void ProjectionWindow::restartRound()
{
    m_round.start(ChooseQuestions(m_questions.size(), m_settings.choice, m_draws), now());
    invalidateLayout();
}

void ProjectionWindow::cycleChoice()
{
    m_settings.choice = NextChoice(m_settings.choice);
    restartRound();
    showNotice(QStringLiteral("Choix : ") + choiceText(m_settings.choice));
}

void ProjectionWindow::keyPressEvent(QKeyEvent *event)
{
    const std::int64_t t = now();
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_PageDown: // what presentation remotes send
        m_round.next(t);
        break;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        m_round.previous(t);
        break;
    case Qt::Key_Home:
        m_round.first(t);
        break;
    case Qt::Key_P:
        m_round.togglePause(t);
        break;
    case Qt::Key_Plus:
        changeSeconds(ProjectionRound::SecondsStep);
        break;
    case Qt::Key_Minus:
        changeSeconds(-ProjectionRound::SecondsStep);
        break;
    case Qt::Key_Q:
        cycleChoice();
        break;
    case Qt::Key_N:
        m_settings.dark = !m_settings.dark;
        break;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (m_round.phase() == ProjectionRound::Phase::Correction)
        layoutCorrection();
    update();
}

void ProjectionWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pointerUntil == 0)
        unsetCursor();
    m_pointerUntil = now() + kPointerMs;
    QWidget::mouseMoveEvent(event);
}

void ProjectionWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_round.next(now());
    else if (event->button() == Qt::RightButton)
        m_round.previous(now());
    else
        return QWidget::mousePressEvent(event);
    if (m_round.phase() == ProjectionRound::Phase::Correction)
        layoutCorrection();
    update();
}

void ProjectionWindow::closeEvent(QCloseEvent *event)
{
    m_timer->stop();
    saveSettings();
    emit closing(isActiveWindow());
    QWidget::closeEvent(event);
}

void ProjectionWindow::saveSettings()
{
    if (m_settings == m_storedSettings)
        return;
    try {
        if (m_chooseFileForWriting)
            m_settingsFile = m_chooseFileForWriting();
        m_settings.write(m_settingsFile, m_storedSettings);
        m_storedSettings = m_settings;
    } catch (const SettingsError &error) {
        if (m_errorReporter)
            m_errorReporter(error.message());
    }
}

} // namespace oxeln
