#pragma once

#include "ClickRecord.h"
#include "DrillHost.h"
#include "Worksheet.h"

#include <QColor>
#include <QWidget>

#include <vector>

class QCheckBox;
class QContextMenuEvent;
class QDrag;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace oxeln {
class ExercisePalette;
class PreviewPanel;
class ProjectionWindow;
class RichTextView;
class SpinEdit;
class TFormStorage;
} // namespace oxeln

// The one window of the program: every control, and the handlers named after
// their control and event. The worksheet state it drives is owned by the
// caller and outlives the window.
class TForm1 : public QWidget, private oxeln::DrillHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    explicit TForm1(oxeln::Worksheet &worksheet, QWidget *parent = nullptr);
    ~TForm1() override;

    // Handlers, named after their control and event.
    void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool &canClose);
    void FormMouseMove();
    void Label9MouseMove();
    void Label9Click();
    void spmaxvaleurClick();
    void ETitre1Enter(QLineEdit *sender);
    void ETitre1Exit(QLineEdit *sender);
    void btnPlusClick();
    void btnMoinsClick();
    void btnMultClick();
    void btnPuissClick();
    void btnDiviseClick();
    void btnSAClick();
    void btnSASClick();
    void btnRAZClick();
    void btnChoixImpClick();
    void btnApercuClick();
    void btnImprimeClick();
    void btnEnregistreClick();
    void ckbEditeClick();
    void RxE1Change();
    void FormStorage1SavePlacement();

    // Caret pinning, one set per view.
    void RxE1MouseDown();
    void RxE1MouseUp();
    bool RxE1DragOver();
    void RxE1DragDrop();
    void RxE1EndDrag();
    void RxE2MouseDown();
    void RxE2MouseUp();
    bool RxE2DragOver();
    void RxE2DragDrop();
    void RxE2EndDrag();

    // The settings file: beside the executable, extension ".ini", or the
    // user's own when that cannot be written. Tests may point the store
    // elsewhere before the first showing.
    static QString settingsPathForExecutable();
    void setSettingsFile(const QString &path);

    // The address the link label opens.
    static const char *catalogueUrl();

    // The worksheet's questions on the classroom screen (F5, or the subject
    // view's menu); nothing while there are none.
    void openProjection();
    oxeln::ProjectionWindow *projection() const { return m_projection; }
    // Whether either view was retouched by hand since the drills last wrote it.
    bool viewsEditedByHand() const;

    // "Exercices et réglages" (its button in the top band, F6, or the views'
    // menus): the other drills, the options of every drill, the versions.
    void openExercises();
    oxeln::ExercisePalette *exercises() const { return m_exercises; }

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    struct Anchored
    {
        QWidget *widget;
        QRect designed;
        int anchors;
    };

    void createControls();
    void connectHandlers();
    void createStorage();
    void restoreSettingsAtFirstShow();
    void saveSettingsAtClose(bool canClose);
    void createPanels();
    void setTabOrder();
    QWidget *place(QWidget *widget, const char *name, const QRect &designed, int anchors);
    QLabel *label(const char *name, const QString &caption, QPoint at, int anchors);
    QPushButton *button(const char *name, const QString &caption, const QString &hint,
                        const QRect &designed, int anchors);
    oxeln::SpinEdit *spin(const char *name, int minimum, int maximum, int value,
                          const QString &hint, const QRect &designed, int anchors);
    void pinCaret(oxeln::RichTextView *view);
    void runDrill(oxeln::Drill drill);
    void watchDrag(QDrag *drag, oxeln::RichTextView *view);
    // The context menu of a view, made in this one place: the view's own
    // entries, then the window's (at viewportPos, in the view's viewport).
    QMenu *createViewMenu(oxeln::RichTextView *view, const QPoint &viewportPos);
    void showViewMenu(oxeln::RichTextView *view, QContextMenuEvent *event);
    void reseedRandomSource();
    void createProjection();
    void createShortcuts();
    bool viewKeyPress(QKeyEvent *event);
    void addProjectionEntry(QMenu *menu);
    void projectionClosing(bool wasActive);
    void closeProjection();
    void createExercises();
    void addExercisesEntry(QMenu *menu);
    void adaptTitle3(oxeln::Writing writing);
    void showHandEdits();
    // With more than one version: asks whether versions B... may go
    // without the hand edits, when there are any.
    bool versionsMayLoseHandEdits();
    bool withVersions() const;
    void saveVersions();
    void printVersions();

    // oxeln::DrillHost
    int subjectLineCount() override;
    int answerLineCount() override;
    std::string title(int line) override;
    bool answerKeyEnabled() override;
    int maxValue() override;
    int lineCount() override;
    int interlineCount() override;
    oxeln::DrillOptions drillOptions() override;
    void showNotice(const std::string &text) override;
    void setCounterCaption(const std::string &caption) override;
    void hidePreview() override;
    void setSubjectRtf(const oxeln::DocumentRtf &rtf) override;
    void setAnswerRtf(const oxeln::DocumentRtf &rtf) override;

public:
    // Controls, named as the program's description names them.
    QLabel *Label1 = nullptr;
    oxeln::SpinEdit *spmaxvaleur = nullptr;
    QLabel *Label2 = nullptr;
    oxeln::SpinEdit *spMaxLigne = nullptr;
    QLabel *Label3 = nullptr;
    oxeln::SpinEdit *spinterligne = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *ETitre1 = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Etitre2 = nullptr;
    QCheckBox *ckbEdite = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *Etitre3 = nullptr;
    oxeln::RichTextView *RxE1 = nullptr;
    oxeln::RichTextView *RxE2 = nullptr;
    QLabel *Label9 = nullptr;
    QPushButton *btnPlus = nullptr;
    QPushButton *btnMoins = nullptr;
    QPushButton *btnMult = nullptr;
    QPushButton *btnPuiss = nullptr;
    QPushButton *btnDivise = nullptr;
    QPushButton *btnSA = nullptr;
    QPushButton *btnSAS = nullptr;
    QCheckBox *CBCorrige = nullptr;
    QPushButton *btnRAZ = nullptr;
    QLabel *pnlNb = nullptr;
    QPushButton *btnChoixImp = nullptr;
    QPushButton *btnApercu = nullptr;
    QLabel *Label7 = nullptr;
    oxeln::SpinEdit *spSujets = nullptr;
    QLabel *Label8 = nullptr;
    oxeln::SpinEdit *spCorriges = nullptr;
    QPushButton *btnImprime = nullptr;
    QPushButton *btnEnregistre = nullptr;
    QPushButton *btnExercices = nullptr;
    oxeln::PreviewPanel *ScrollBox1 = nullptr;
    QFrame *Panel3 = nullptr;
    QObject *SaveDialog1 = nullptr;
    oxeln::TFormStorage *FormStorage1 = nullptr;

private:
    oxeln::Worksheet &m_worksheet;
    std::vector<Anchored> m_anchored;
    bool m_editingUnlocked = false;
    bool m_shownOnce = false;
    bool m_forwarding = false;
    oxeln::ProjectionWindow *m_projection = nullptr;
    // Focus handed back by the projection: not an activation that re-seeds.
    bool m_activationFromProjection = false;
    oxeln::ExercisePalette *m_exercises = nullptr;
    // The drills of the worksheet shown, to draw its versions B...
    oxeln::ClickRecord m_clicks;
};

// The window's title-focus colour, a pale yellow.
inline constexpr QRgb kTitleFocusColour = 0xFFFFFFE8;
