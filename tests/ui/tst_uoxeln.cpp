#include "CaptionCipher.h"
#include "MarkupToRtf.h"
#include "RtfWriter.h"
#include "ErrorBox.h"
#include "FormControls.h"
#include "Platform.h"
#include "PageImage.h"
#include "PreviewPanel.h"
#include "ProjectionWindow.h"
#include "RichTextView.h"
#include "SettingsLocation.h"
#include "SpinEdit.h"
#include "ToolkitTranslation.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using oxeln::RichTextView;
using oxeln::SpinEdit;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithDesignedValues();
    void controlsSitWhereDesigned_data();
    void controlsSitWhereDesigned();
    void tabOrderFollowsDesign();
    void captionSetAtActivationOnly();
    void firstShowingReseedsWithoutActivation();

    void firstDrillWritesBothHeaders();
    void chainingContinuesNumberingAcrossDrills();
    void razStartsNewWorksheet();
    void answerKeyOffLeavesAnswerDocument();
    void emptyingSubjectByHandRestartsSubjectOnly();
    void outputButtonsFollowSubjectView();
    void viewsShowTheWholeDocumentsAfterAnyClicks();
    void drillQueuedDuringAWholeReadingIsShown();

    void lockedViewsRefuseTyping();
    void keyboardSavesPrintsAndLeavesTheViews();
    void unlockedViewsTakeTextAndTabs();
    void lockedClickPinsCaretAtEnd();
    void lockedKeyboardSelectionStays();
    void lockedDragIsRefused();
    void lockedViewMenuLeavesNoSelection();

    void spinBoxesRefuseTyping_data();
    void spinBoxesRefuseTyping();
    void spinBoxesStepAndClamp();
    void maxValueStepToggles();
    void copyCountsReachTheirLimits();
    void textsFitTheirPlaces();

    void resizingMovesAndGrowsByAnchors();
    void titleFocusColours();
    void controlsReadUnderDarkTheme();
    void linkLabelBoldUntilBackground();
    void scratchFilesStayInTheProgramsFolder();
    void savesPdfFromTheViews();
    void saveDialogStartsWhereTheLastSaveWent();
    void toolkitTextsAreFrench();

    void settingsRestoredAtFirstShow();
    void settingsWrittenAtClose();

    void projectionLeavesTheNextDrillAsItWas();
    void projectionChoicesGoWhereTheWindowsSettingsGo_data();
    void projectionChoicesGoWhereTheWindowsSettingsGo();
    void subjectMenuOffersProjection();
    void projectionTellsOfHandEdits();

    void captionCipherRoundTrips();
    void errorBoxTextRule_data();
    void errorBoxTextRule();

private:
    template<typename T> T *child(const char *name) const { return formControl<T>(m_form.get(), name); }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void showAndActivate();
    QString projectionEntry(bool choose);
    // Calls act with the next modal dialog of type Dialog once it is up.
    template<typename Dialog, typename Act> void whenModal(Act act, int triesLeft = 500)
    {
        QTimer::singleShot(10, this, [=, this] {
            if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget()))
                act(dialog);
            else if (triesLeft > 0)
                whenModal<Dialog>(act, triesLeft - 1);
        });
    }

    std::unique_ptr<oxeln::Worksheet> m_worksheet;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
};

void TestMainWindow::initTestCase()
{
    QVERIFY2(oxeln::InstallToolkitTranslation(*qApp), "qtbase_fr is missing (qt6-translations-l10n)");
}

void TestMainWindow::init()
{
    m_oldDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir::setCurrent(m_dir->path());
    m_worksheet = std::make_unique<oxeln::Worksheet>();
    m_form = std::make_unique<TForm1>(*m_worksheet);
    // Never the settings file beside the test executable: each test starts afresh.
    m_form->setSettingsFile(m_dir->filePath(QStringLiteral("oxeln.ini")));
}

void TestMainWindow::cleanup()
{
    m_form.reset();
    m_worksheet.reset();
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

void TestMainWindow::showAndActivate()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    // Activation re-seeds from the clock; tests want known draws.
    m_worksheet->random().seed(0);
}

void TestMainWindow::startsWithDesignedValues()
{
    QCOMPARE(m_form->size(), QSize(732, 420));
    // The build stamp comes only under a debugger.
    QCOMPARE(QFile::exists(QStringLiteral("_DatCompil.txt")), oxeln::DebuggerAttached());
    QCOMPARE(child<SpinEdit>("spmaxvaleur")->value(), 100);
    QCOMPARE(child<SpinEdit>("spmaxvaleur")->singleStep(), 100);
    QCOMPARE(child<SpinEdit>("spMaxLigne")->value(), 30);
    QCOMPARE(child<SpinEdit>("spinterligne")->value(), 2);
    QCOMPARE(child<SpinEdit>("spSujets")->value(), 1);
    QCOMPARE(child<SpinEdit>("spCorriges")->value(), 1);

    const QString title1 = child<QLineEdit>("ETitre1")->text();
    QCOMPARE(title1.size(), 73);
    QVERIFY(title1.startsWith(QStringLiteral("Nom :") + QString(23, QLatin1Char(' ')) + QStringLiteral("Prénom :")));
    QVERIFY(title1.endsWith(QString(29, QLatin1Char(' ')) + QStringLiteral("Classe :")));
    QCOMPARE(child<QLineEdit>("Etitre2")->text(), QString(166, QLatin1Char('-')));
    QCOMPARE(child<QLineEdit>("Etitre3")->text().size(), 122);
    QCOMPARE(child<QLineEdit>("ETitre1")->maxLength(), 160);
    QCOMPARE(child<QLineEdit>("Etitre2")->maxLength(), 170);

    QVERIFY(!child<QCheckBox>("ckbEdite")->isChecked());
    QVERIFY(child<QCheckBox>("CBCorrige")->isChecked());
    QVERIFY(child<QCheckBox>("CBCorrige")->isHidden());
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("00"));
    QVERIFY(child<QWidget>("ScrollBox1")->isHidden());
    QVERIFY(child<QFrame>("Panel3")->isHidden());

    auto *subject = child<RichTextView>("RxE1");
    auto *answer = child<RichTextView>("RxE2");
    QCOMPARE(subject->ContentText(), QStringLiteral("    "));
    QCOMPARE(answer->ContentText(), QStringLiteral("     "));
    QCOMPARE(subject->LineCount(), 1);
    QVERIFY(subject->ReadOnly() && answer->ReadOnly());
    QVERIFY(!subject->WantTabs() && !answer->WantTabs());

    // Although the subject view holds four blanks, nothing can be output yet.
    for (const char *name : {"btnImprime", "btnEnregistre", "btnRAZ", "btnApercu"})
        QVERIFY2(!child<QPushButton>(name)->isEnabled(), name);
    for (const char *name : {"btnPlus", "btnChoixImp"})
        QVERIFY(child<QPushButton>(name)->isEnabled());

    QCOMPARE(m_form->toolTip(), QStringLiteral("Il est possible d'enchaîner plusieurs opérations"));
    QCOMPARE(child<QPushButton>("btnSAS")->toolTip(), QStringLiteral("Suites d'additions et de soustractions"));
    QCOMPARE(child<QLabel>("Label9")->text(),
             QStringLiteral("Consultez les ouvrages de mathématiques des Editions GALVERNE"));
}

void TestMainWindow::controlsSitWhereDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("spmaxvaleur") << "spmaxvaleur" << QRect(59, 2, 53, 22);
    QTest::newRow("ETitre1") << "ETitre1" << QRect(157, 2, 571, 21);
    QTest::newRow("Etitre2") << "Etitre2" << QRect(157, 29, 508, 21);
    QTest::newRow("ckbEdite") << "ckbEdite" << QRect(674, 31, 51, 17);
    QTest::newRow("RxE1") << "RxE1" << QRect(4, 86, 722, 132);
    QTest::newRow("RxE2") << "RxE2" << QRect(4, 224, 724, 143);
    QTest::newRow("Label9") << "Label9" << QRect(1, 370, 727, 16);
    QTest::newRow("btnSAS") << "btnSAS" << QRect(224, 389, 28, 25);
    QTest::newRow("pnlNb") << "pnlNb" << QRect(307, 389, 37, 26);
    QTest::newRow("spCorriges") << "spCorriges" << QRect(537, 390, 44, 22);
    QTest::newRow("btnEnregistre") << "btnEnregistre" << QRect(646, 389, 59, 25);
}

void TestMainWindow::controlsSitWhereDesigned()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    // As created: a window manager's frame may widen the shown window to its minimum.
    QCOMPARE(child<QWidget>(name.toLatin1().constData())->geometry(), geometry);
}

void TestMainWindow::tabOrderFollowsDesign()
{
    // The designed order with the output buttons, disabled at start, passed over.
    const QStringList expected = {"spmaxvaleur", "spMaxLigne", "btnPlus",  "RxE1",     "RxE2",
                                  "spinterligne", "btnMoins",  "ETitre1",  "Etitre2",  "Etitre3",
                                  "btnMult",     "btnDivise",  "spSujets", "spCorriges", "btnPuiss",
                                  "btnSA",       "btnSAS",     "btnChoixImp", "ckbEdite", "spmaxvaleur"};
    showAndActivate();
    child<QWidget>("spmaxvaleur")->setFocus();
    QTRY_VERIFY(QApplication::focusWidget());
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        // A spin box's inner field stands for the spin box.
        while (focus && (focus->objectName().isEmpty() || focus->objectName().startsWith(QLatin1String("qt_"))))
            focus = focus->parentWidget();
        visited << (focus ? focus->objectName() : QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, expected);
}

void TestMainWindow::captionSetAtActivationOnly()
{
    QVERIFY(m_form->windowTitle().isEmpty());
    showAndActivate();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Oxeln - Calcul sur les nombres relatifs"));
}

void TestMainWindow::firstShowingReseedsWithoutActivation()
{
    // Without a window manager the window is never activated; the first
    // showing alone gives a new worksheet.
    m_worksheet->random().seed(12345);
    const int before = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
    m_form->show();
    const int after = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
    QVERIFY(!m_form->isActiveWindow());
    if (after < before)
        QSKIP("midnight passed during the showing");
    const auto seed = static_cast<int>(m_worksheet->random().state());
    QVERIFY2(seed >= before && seed <= after, qPrintable(QString::number(seed)));
}

void TestMainWindow::firstDrillWritesBothHeaders()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnPlus");

    QCOMPARE(QString::fromStdString(m_worksheet->referenceCode()), QStringLiteral("Ref 000_031"));
    const QString subject = child<RichTextView>("RxE1")->ContentText();
    const QString answer = child<RichTextView>("RxE2")->ContentText();
    QVERIFY2(subject.startsWith(QStringLiteral("Ref 000_031 - Nom :")), qPrintable(subject.left(40)));
    QVERIFY(answer.startsWith(QStringLiteral("Ref 000_031 - CORRIGE - Nom :")));
    QVERIFY(subject.contains(QStringLiteral("\r\n01/(")));
    QVERIFY(subject.contains(QStringLiteral("\r\n03/(")));
    QVERIFY(!subject.contains(QStringLiteral("04/")));
    QVERIFY(answer.contains(QStringLiteral("\r\n01/(")));
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("3"));
}

void TestMainWindow::chainingContinuesNumberingAcrossDrills()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnPlus");
    const std::string reference = m_worksheet->referenceCode();
    click("btnSAS");
    click("btnPuiss");
    QCOMPARE(m_worksheet->referenceCode(), reference);
    const QString subject = child<RichTextView>("RxE1")->ContentText();
    QCOMPARE(subject.count(QStringLiteral("Ref ")), 1);
    for (const char *prefix : {"01/(", "02/(", "03/(", "04/(", "05/(", "06/("})
        QVERIFY2(subject.contains(QLatin1String(prefix)), prefix);
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("6"));
    // The subject view shows exactly the conversion of the document.
    QVERIFY(m_worksheet->subject().find("03/(") != std::string::npos);
}

void TestMainWindow::razStartsNewWorksheet()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnMult");
    const std::string first = m_worksheet->referenceCode();
    const std::string oldSubject = m_worksheet->subject();

    click("btnRAZ");
    QCOMPARE(child<RichTextView>("RxE1")->ContentText(), QString());
    QCOMPARE(child<RichTextView>("RxE2")->ContentText(), QString());
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("0"));
    QCOMPARE(m_worksheet->subject(), oldSubject); // the documents stay until the next drill
    for (const char *name : {"btnImprime", "btnEnregistre", "btnRAZ", "btnApercu"})
        QVERIFY2(!child<QPushButton>(name)->isEnabled(), name);

    click("btnDivise");
    QVERIFY(m_worksheet->referenceCode() != first);
    const QString subject = child<RichTextView>("RxE1")->ContentText();
    QVERIFY(subject.startsWith(QString::fromStdString(m_worksheet->referenceCode())));
    QVERIFY(subject.contains(QStringLiteral("\r\n01/(")));
    QVERIFY(!subject.contains(QStringLiteral("03/")));
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("2"));
}

void TestMainWindow::answerKeyOffLeavesAnswerDocument()
{
    showAndActivate();
    child<QCheckBox>("CBCorrige")->setChecked(false);
    click("btnSA");
    QVERIFY(m_worksheet->answer().empty());
    QCOMPARE(child<RichTextView>("RxE2")->ContentText(), QString());
    QVERIFY(child<RichTextView>("RxE1")->ContentText().contains(QStringLiteral("30/(")));
}

void TestMainWindow::emptyingSubjectByHandRestartsSubjectOnly()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(1);
    click("btnPlus");
    const std::string first = m_worksheet->referenceCode();

    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    QTest::keyClick(subject, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(subject, Qt::Key_Delete);
    QCOMPARE(subject->ContentText(), QString());

    click("btnMoins");
    QVERIFY(m_worksheet->referenceCode() != first);
    // The answer document goes on under its old header, numbering continues.
    const QString answer = child<RichTextView>("RxE2")->ContentText();
    QVERIFY(answer.startsWith(QString::fromStdString(first)));
    QVERIFY(answer.contains(QStringLiteral("02/(")));
    QVERIFY(subject->ContentText().contains(QStringLiteral("02/(")));
    QVERIFY(!subject->ContentText().contains(QStringLiteral("01/(")));
}

void TestMainWindow::outputButtonsFollowSubjectView()
{
    showAndActivate();
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    auto *subject = child<RichTextView>("RxE1");
    auto *answer = child<RichTextView>("RxE2");
    subject->setFocus();
    QTest::keyClick(subject, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(subject, Qt::Key_Delete);
    for (const char *name : {"btnImprime", "btnEnregistre", "btnRAZ", "btnApercu"})
        QVERIFY2(!child<QPushButton>(name)->isEnabled(), name);
    QTest::keyClick(subject, Qt::Key_Space);
    for (const char *name : {"btnImprime", "btnEnregistre", "btnRAZ", "btnApercu"})
        QVERIFY2(child<QPushButton>(name)->isEnabled(), name);
    // The answer view has no say.
    answer->setFocus();
    QTest::keyClick(answer, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(answer, Qt::Key_Delete);
    QCOMPARE(answer->ContentText(), QString());
    QVERIFY(child<QPushButton>("btnImprime")->isEnabled());
}

// Random clicks as a teacher makes them: drills of every kind and size,
// drills queued while another runs (they run inside its change handler),
// hand edits with "Edite" ticked, "RAZ". The views read only what each
// drill appended; after every drill they must hold exactly what reading
// the whole documents' conversion from scratch gives.
void TestMainWindow::viewsShowTheWholeDocumentsAfterAnyClicks()
{
    showAndActivate();
    auto *subject = child<RichTextView>("RxE1");
    auto *answer = child<RichTextView>("RxE2");
    const char *drills[] = {"btnPlus", "btnMoins", "btnMult", "btnPuiss", "btnDivise", "btnSA", "btnSAS"};
    const auto sameAsWholeReading = [](RichTextView *view, const std::string &markup) {
        RichTextView fresh;
        fresh.SetRtfText(QByteArray::fromStdString(oxeln::MarkupToRtf(markup)));
        return view->ContentText() == fresh.ContentText()
            && oxeln::RtfWriter::write(view->document()) == oxeln::RtfWriter::write(fresh.document());
    };
    QRandomGenerator random(31);
    for (int step = 0; step < 120; ++step) {
        child<SpinEdit>("spMaxLigne")->setValue(random.bounded(1, 5));
        child<SpinEdit>("spinterligne")->setValue(random.bounded(1, 4));
        const int action = random.bounded(10);
        if (action == 0) {
            click("btnRAZ");
            continue;
        }
        if (action == 1) {
            // One view edited, then locked again: typed into anywhere, a
            // piece deleted, rich text pasted, or typing undone by hand.
            QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
            RichTextView *edited = random.bounded(2) ? subject : answer;
            edited->setFocus();
            edited->PlaceCaret(random.bounded(edited->document()->characterCount()));
            switch (random.bounded(4)) {
            case 0:
                QTest::keyClicks(edited, QStringLiteral("ajout"));
                break;
            case 1:
                for (int i = 0; i < 6; ++i)
                    QTest::keyClick(edited, Qt::Key_Right, Qt::ShiftModifier);
                QTest::keyClick(edited, Qt::Key_Delete);
                break;
            case 2:
                edited->textCursor().insertHtml(QStringLiteral("<b style='background:yellow'>coll\u00e9</b> x"));
                break;
            default:
                QTest::keyClicks(edited, QStringLiteral("xy"));
                QTest::keyClick(edited, Qt::Key_Z, Qt::ControlModifier);
                break;
            }
            QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
        }
        if (action == 2) {
            QPushButton *queued = child<QPushButton>(drills[random.bounded(7)]);
            QTimer::singleShot(0, queued, &QPushButton::click);
        }
        click(drills[random.bounded(7)]);
        QVERIFY2(sameAsWholeReading(subject, m_worksheet->subject()), qPrintable(QString::number(step)));
        QVERIFY2(sameAsWholeReading(answer, m_worksheet->answer()), qPrintable(QString::number(step)));
    }
}

// A drill queued while a view reads its document whole (the first drill
// after "RAZ") runs inside that reading's change handler and replaces the
// document again: the views must go on from what it left, not from the
// document it replaced.
void TestMainWindow::drillQueuedDuringAWholeReadingIsShown()
{
    showAndActivate();
    click("btnPlus");
    click("btnRAZ");
    QTimer::singleShot(0, child<QPushButton>("btnMult"), &QPushButton::click);
    click("btnMoins");
    click("btnSA");
    for (const auto &[view, markup] : {std::pair{child<RichTextView>("RxE1"), m_worksheet->subject()},
                                       std::pair{child<RichTextView>("RxE2"), m_worksheet->answer()}}) {
        RichTextView fresh;
        fresh.SetRtfText(QByteArray::fromStdString(oxeln::MarkupToRtf(markup)));
        QCOMPARE(view->ContentText(), fresh.ContentText());
    }
}

void TestMainWindow::lockedViewsRefuseTyping()
{
    showAndActivate();
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    QTest::keyClicks(subject, QStringLiteral("abc"));
    QCOMPARE(subject->ContentText(), QStringLiteral("    "));
    // Tab moves on instead of typing.
    QTest::keyClick(subject, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<RichTextView>("RxE2"));
}

void TestMainWindow::unlockedViewsTakeTextAndTabs()
{
    showAndActivate();
    auto *edite = child<QCheckBox>("ckbEdite");
    QTest::mouseClick(edite, Qt::LeftButton);
    QVERIFY(edite->isChecked());
    for (const char *name : {"RxE1", "RxE2"}) {
        auto *view = child<RichTextView>(name);
        QVERIFY(!view->ReadOnly());
        view->setFocus();
        view->moveCursor(QTextCursor::End);
        QTest::keyClicks(view, QStringLiteral("ab"));
        QTest::keyClick(view, Qt::Key_Tab);
        QVERIFY2(view->ContentText().endsWith(QStringLiteral("ab\t")), name);
        QCOMPARE(QApplication::focusWidget(), view);
    }
    // Locking again: read-only, and Tab moves the focus again.
    QTest::mouseClick(edite, Qt::LeftButton);
    auto *subject = child<RichTextView>("RxE1");
    QVERIFY(subject->ReadOnly() && child<RichTextView>("RxE2")->ReadOnly());
    subject->setFocus();
    QTest::keyClick(subject, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<RichTextView>("RxE2"));
}

// Keys as the window system delivers them: to the focus widget, shortcuts first.
void TestMainWindow::keyboardSavesPrintsAndLeavesTheViews()
{
    showAndActivate();
    QWindow *window = m_form->windowHandle();
    QCOMPARE(child<QPushButton>("btnEnregistre")->toolTip(),
             QStringLiteral("Enregistrer sujets et/ou corrigés dans un fichier RTF (Ctrl+S)"));
    QCOMPARE(child<QPushButton>("btnImprime")->toolTip(), QStringLiteral("Imprimer sujets et/ou corrigés (Ctrl+P)"));
    // The dialog each key brings up, closed at once: the save dialog, and
    // the error box of a machine without printers.
    QStringList shown;
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        whenModal<QDialog>([&shown](QDialog *dialog) {
            shown << QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        }, 30);
        QTest::keyClick(window, key, modifiers);
        QTest::qWait(400); // past the watch for a dialog
        // The offscreen platform leaves no window active after a dialog.
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    };
    press(Qt::Key_S);
    press(Qt::Key_P);
    QCOMPARE(shown, QStringList()); // disabled buttons: nothing

    click("btnPlus");
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    press(Qt::Key_S);
    press(Qt::Key_P);
    QCOMPARE(shown.join(QLatin1Char(' ')), QStringLiteral("QFileDialog QMessageBox"));

    // Unlocked, Tab is text in a view; Ctrl+Tab leaves it, Ctrl+Shift+Tab comes back.
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    subject->setFocus();
    subject->moveCursor(QTextCursor::End);
    const QString text = subject->ContentText();
    QTest::keyClick(window, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), child<RichTextView>("RxE2"));
    QTest::keyClick(window, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>("btnImprime"));
    m_form->RxE2->setFocus();
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), subject);
    QCOMPARE(subject->ContentText(), text);
    QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), subject);
    QCOMPARE(subject->ContentText(), text + QLatin1Char('\t'));
}

void TestMainWindow::lockedClickPinsCaretAtEnd()
{
    showAndActivate();
    click("btnPlus");
    auto *subject = child<RichTextView>("RxE1");
    const int end = subject->document()->characterCount() - 1;
    subject->verticalScrollBar()->setValue(0);
    QTest::mouseClick(subject->viewport(), Qt::LeftButton, {}, QPoint(40, 20));
    QCOMPARE(subject->textCursor().position(), end);
    QVERIFY(!subject->textCursor().hasSelection());
    QTRY_COMPARE(subject->verticalScrollBar()->value(), subject->verticalScrollBar()->maximum());

    // A mouse selection does not survive the release.
    QTest::mousePress(subject->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(subject->viewport(), QPoint(200, 60));
    QTest::mouseRelease(subject->viewport(), Qt::LeftButton, {}, QPoint(200, 60));
    QVERIFY(!subject->textCursor().hasSelection());
    QCOMPARE(subject->textCursor().position(), end);

    // Unlocked, a click places the caret where it lands.
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    subject->verticalScrollBar()->setValue(0);
    QTest::mouseClick(subject->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    QVERIFY(subject->textCursor().position() < 5);
}

void TestMainWindow::lockedKeyboardSelectionStays()
{
    showAndActivate();
    click("btnPlus");
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    subject->moveCursor(QTextCursor::Start);
    QTest::keyClick(subject, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(subject, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(subject->textCursor().selectedText().size(), 2);
}

void TestMainWindow::lockedDragIsRefused()
{
    showAndActivate();
    for (const char *name : {"RxE1", "RxE2"}) {
        auto *view = child<RichTextView>(name);
        QMimeData data;
        data.setText(QStringLiteral("dragged"));
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QVERIFY2(!enter.isAccepted(), name);
    }
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    for (const char *name : {"RxE1", "RxE2"}) {
        auto *view = child<RichTextView>(name);
        QMimeData data;
        data.setText(QStringLiteral("dragged"));
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QVERIFY2(enter.isAccepted(), name);
    }
}

void TestMainWindow::lockedViewMenuLeavesNoSelection()
{
    showAndActivate();
    click("btnPlus");
    // Right click in the view, then "Tout sélectionner" from its menu.
    const auto selectAllFromMenu = [this](RichTextView *view) {
        QString offered;
        QTimer::singleShot(50, this, [&offered] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            if (auto *action = menu->findChild<QAction *>(QStringLiteral("select-all"))) {
                offered = action->text().section(u'\t', 0, 0);
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            }
            menu->close();
        });
        const QPoint at(30, 10);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &request);
        return offered;
    };
    for (const char *name : {"RxE1", "RxE2"}) {
        auto *view = child<RichTextView>(name);
        QCOMPARE(selectAllFromMenu(view), QStringLiteral("Tout sélectionner"));
        QVERIFY2(!view->textCursor().hasSelection(), name);
        QCOMPARE(view->textCursor().position(), view->document()->characterCount() - 1);
    }
    // Unlocked, the same entry selects everything.
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    auto *subject = child<RichTextView>("RxE1");
    QCOMPARE(selectAllFromMenu(subject), QStringLiteral("Tout sélectionner"));
    QCOMPARE(subject->textCursor().selectedText().size(), subject->document()->characterCount() - 1);
}

void TestMainWindow::spinBoxesRefuseTyping_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"spmaxvaleur", "spMaxLigne", "spinterligne", "spSujets", "spCorriges"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestMainWindow::spinBoxesRefuseTyping()
{
    QFETCH(QString, name);
    showAndActivate();
    auto *box = child<SpinEdit>(name.toLatin1().constData());
    const int before = box->value();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("7"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    // Nor does the wheel change it, over the field or the arrows.
    for (QWidget *target : {static_cast<QWidget *>(box), static_cast<QWidget *>(box->findChild<QLineEdit *>())}) {
        const QPointF at(target->width() - 5, 5);
        QWheelEvent up(at, target->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &up);
    }
    QCOMPARE(box->value(), before);
    QCOMPARE(box->text(), QString::number(before));
    QCOMPARE(box->contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(box->palette().color(QPalette::Base), QColor(240, 255, 255));
}

void TestMainWindow::spinBoxesStepAndClamp()
{
    showAndActivate();
    auto *lines = child<SpinEdit>("spMaxLigne");
    lines->setFocus();
    QTest::keyClick(lines, Qt::Key_Up);
    QCOMPARE(lines->value(), 31);
    lines->setValue(40);
    QTest::keyClick(lines, Qt::Key_Up);
    QCOMPARE(lines->value(), 40);
    auto *spacing = child<SpinEdit>("spinterligne");
    spacing->setValue(1);
    spacing->setFocus();
    QTest::keyClick(spacing, Qt::Key_Down);
    QCOMPARE(spacing->value(), 1);
}

void TestMainWindow::maxValueStepToggles()
{
    showAndActivate();
    auto *max = child<SpinEdit>("spmaxvaleur");
    max->setFocus();
    QCOMPARE(max->singleStep(), 100);
    QTest::keyClick(max, Qt::Key_Up);
    QCOMPARE(max->value(), 200);
    max->setValue(900);
    QTest::keyClick(max, Qt::Key_Up);
    QCOMPARE(max->value(), 999);
    max->setValue(100);
    QTest::keyClick(max, Qt::Key_Down);
    QCOMPARE(max->value(), 10);

    // A click in the number field switches to units, a second back to hundreds.
    auto *field = max->findChild<QLineEdit *>();
    QTest::mouseClick(field, Qt::LeftButton);
    QCOMPARE(max->singleStep(), 1);
    QTest::keyClick(max, Qt::Key_Up);
    QCOMPARE(max->value(), 11);
    QTest::mouseClick(field, Qt::LeftButton);
    QCOMPARE(max->singleStep(), 100);
}

void TestMainWindow::copyCountsReachTheirLimits()
{
    showAndActivate();
    for (const char *name : {"spSujets", "spCorriges"}) {
        auto *box = child<SpinEdit>(name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->value(), 0);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->value(), 0);
        box->setValue(999);
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->value(), 1000);
    }
}

void TestMainWindow::textsFitTheirPlaces()
{
    showAndActivate();
    // Each label's ink ends clear of the spin box after it: at least two
    // blank columns.
    const auto inkEnd = [](QWidget *label) {
        const QImage image = label->grab().toImage();
        const QRgb background = image.pixel(image.width() - 1, 0);
        for (int x = image.width() - 1; x >= 0; --x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixel(x, y) != background)
                    return label->x() + x;
            }
        }
        return label->x();
    };
    const std::pair<const char *, const char *> rows[] = {{"Label1", "spmaxvaleur"}, {"Label2", "spMaxLigne"},
                                                          {"Label3", "spinterligne"}, {"Label7", "spSujets"},
                                                          {"Label8", "spCorriges"}};
    for (const auto &[labelName, boxName] : rows) {
        const int end = inkEnd(child<QLabel>(labelName));
        QVERIFY2(end + 2 < child<QWidget>(boxName)->x(), qPrintable(QStringLiteral("%1 ends at %2").arg(labelName).arg(end)));
    }
    // The copy counts show "1000" whole (a line edit keeps 2 pixels each side).
    for (const char *name : {"spSujets", "spCorriges"}) {
        auto *field = child<SpinEdit>(name)->findChild<QLineEdit *>();
        QVERIFY2(field->fontMetrics().horizontalAdvance(QStringLiteral("1000")) <= field->width() - 4, name);
    }
    // The wait panel's first line fits its label.
    auto *wait = child<QLabel>("Label10");
    QCOMPARE(wait->size(), QSize(385, 44));
    QVERIFY(wait->fontMetrics().horizontalAdvance(wait->text().section(u'\n', 0, 0)) <= wait->width());
}

void TestMainWindow::resizingMovesAndGrowsByAnchors()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->resize(832, 520);
    QTRY_COMPARE(m_form->size(), QSize(832, 520));
    QCOMPARE(child<QWidget>("RxE1")->geometry(), QRect(4, 86, 822, 232));     // all extra height
    QCOMPARE(child<QWidget>("RxE2")->geometry(), QRect(4, 324, 824, 143));    // moves down, widens
    QCOMPARE(child<QWidget>("Label9")->geometry(), QRect(1, 470, 827, 16));
    QCOMPARE(child<QWidget>("ETitre1")->geometry(), QRect(157, 2, 671, 21));
    QCOMPARE(child<QWidget>("ckbEdite")->geometry(), QRect(774, 31, 51, 17));
    QCOMPARE(child<QWidget>("btnPlus")->geometry(), QRect(6, 489, 28, 25));
    QCOMPARE(child<QWidget>("pnlNb")->geometry(), QRect(307, 489, 37, 26));
    QCOMPARE(child<QWidget>("btnChoixImp")->geometry(), QRect(449, 489, 28, 25));
    QCOMPARE(child<QWidget>("btnEnregistre")->geometry(), QRect(746, 489, 59, 25));
    QCOMPARE(child<QWidget>("spmaxvaleur")->geometry(), QRect(59, 2, 53, 22));

    // 740 x 400 for the whole window; without a window manager's frame the
    // classic 4-pixel border and 19-pixel caption are assumed.
    const QSize frame = m_form->frameGeometry().size() - m_form->size();
    if (frame.isNull())
        QCOMPARE(m_form->minimumSize(), QSize(740 - 8, 400 - 27));
    else
        QCOMPARE(m_form->minimumSize() + frame, QSize(740, 400));
}

void TestMainWindow::titleFocusColours()
{
    showAndActivate();
    auto *title2 = child<QLineEdit>("Etitre2");
    QTest::keyClick(child<QWidget>("spinterligne"), Qt::Key_Tab); // -> btnMoins
    child<QWidget>("btnMoins")->setFocus();
    QTest::keyClick(child<QWidget>("btnMoins"), Qt::Key_Tab); // -> ETitre1
    QTest::keyClick(child<QWidget>("ETitre1"), Qt::Key_Tab);  // -> Etitre2
    QTRY_VERIFY(title2->hasFocus());
    QCOMPARE(title2->palette().color(QPalette::Base), QColor(255, 255, 232));
    QCOMPARE(child<QLineEdit>("ETitre1")->palette().color(QPalette::Base), QColor(Qt::white));
    QVERIFY(title2->hasSelectedText());
    QTest::keyClick(title2, Qt::Key_Tab);
    QCOMPARE(title2->palette().color(QPalette::Base), QColor(Qt::white));
    // Left for another control, a long title shows its start again.
    QCOMPARE(title2->cursorPosition(), 0);

    // Titles go into Windows-1252 documents: what that code page holds is
    // typed, anything else refused.
    title2->setFocus();
    title2->clear();
    const QString typed = QStringLiteral("5€ Œuvre ≤ 🙂é");
    for (int i = 0; i < typed.size(); ++i) {
        // A surrogate pair is one key press.
        const int length = typed.at(i).isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed.mid(i, length));
        QApplication::sendEvent(title2, &press);
        i += length - 1;
    }
    QCOMPARE(title2->text(), QStringLiteral("5€ Œuvre  é"));
}

void TestMainWindow::controlsReadUnderDarkTheme()
{
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });
    QPalette dark = light;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, QColor(40, 40, 40));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    m_form = std::make_unique<TForm1>(*m_worksheet);
    m_form->setSettingsFile(m_dir->filePath(QStringLiteral("oxeln.ini")));
    showAndActivate();
    child<QLineEdit>("Etitre2")->setFocus();
    QTRY_VERIFY(child<QLineEdit>("Etitre2")->hasFocus());

    // Every control whose background the window sets has its text set too
    // (the designed lime on teal of the counter, 43 grey levels apart, is
    // the least contrast; a theme's light text on white is about 25).
    const std::pair<const char *, QPalette::ColorRole> controls[] = {
        {"ETitre1", QPalette::Base},      {"Etitre2", QPalette::Base},      {"spmaxvaleur", QPalette::Base},
        {"spMaxLigne", QPalette::Base},   {"spinterligne", QPalette::Base}, {"spSujets", QPalette::Base},
        {"spCorriges", QPalette::Base},   {"RxE1", QPalette::Base},         {"RxE2", QPalette::Base},
        {"Label9", QPalette::Window},     {"pnlNb", QPalette::Window},      {"Label10", QPalette::Window}};
    for (const auto &[name, role] : controls) {
        const QPalette colours = child<QWidget>(name)->palette();
        const QColor back = colours.color(role);
        const QColor text = colours.color(role == QPalette::Base ? QPalette::Text : QPalette::WindowText);
        QVERIFY2(std::abs(qGray(back.rgb()) - qGray(text.rgb())) > 40,
                 qPrintable(QStringLiteral("%1: %2 on %3").arg(QLatin1String(name), text.name(), back.name())));
    }
}

void TestMainWindow::linkLabelBoldUntilBackground()
{
    showAndActivate();
    auto *link = child<QLabel>("Label9");
    const auto hover = [](QWidget *widget) {
        const QPointF at(5, 5);
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    };
    hover(link);
    QVERIFY(link->font().bold());
    hover(child<QWidget>("btnEnregistre"));
    QVERIFY(link->font().bold());
    hover(child<RichTextView>("RxE1")->viewport());
    QVERIFY(link->font().bold());
    hover(m_form.get()); // the window's background
    QVERIFY(!link->font().bold());
    hover(link);
    QVERIFY(link->font().bold());
    hover(child<RichTextView>("RxE2")->viewport());
    QVERIFY(!link->font().bold());
}

void TestMainWindow::scratchFilesStayInTheProgramsFolder()
{
    showAndActivate();
    // The user's own files of those names, in the current folder.
    for (const char *name : {"Temp0.svg", "TWFile.txt"}) {
        QFile file{QString::fromLatin1(name)};
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("à l'utilisateur");
    }
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnPlus");
    // No printer here (the test's scheduler has none): the PDF's pages.
    click("btnApercu");
    auto *panel = child<oxeln::PreviewPanel>("ScrollBox1");
    QVERIFY(panel->isVisible());
    QVERIFY(panel->image1()->hasPicture());
    const QString scratch = panel->scratchFolder();
    QVERIFY(QFile::exists(scratch + QStringLiteral("/Temp0.svg")));
    QVERIFY(QFile::exists(scratch + QStringLiteral("/TWFile.txt")));
    QVERIFY(QDir(scratch).absolutePath() != QDir::currentPath());

    QVERIFY(m_form->close());
    QVERIFY(!QDir(scratch).exists());
    QCOMPARE(QDir::current().entryList({QStringLiteral("T*")}, QDir::Files),
             QStringList({QStringLiteral("Temp0.svg"), QStringLiteral("TWFile.txt")}));
    QFile kept(QStringLiteral("TWFile.txt"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("à l'utilisateur"));
    // The build tree is on a fixed disk: no wait panel.
    QVERIFY(child<QFrame>("Panel3")->isHidden());
}

void TestMainWindow::savesPdfFromTheViews()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(4);
    click("btnPlus");
    // A hand edit is part of what is saved.
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    subject->moveCursor(QTextCursor::End);
    QTest::keyClicks(subject, QStringLiteral("Retouche"));

    const QString path = m_dir->filePath(QStringLiteral("fiche.pdf"));
    whenModal<QFileDialog>([path](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    click("btnEnregistre");
    auto inkOf = [](const QString &text) {
        QString ink = text;
        ink.remove(QRegularExpression(QStringLiteral("\\s")));
        return ink;
    };
    for (const auto &[file, view] : {std::pair{path, "RxE1"}, std::pair{m_dir->filePath(QStringLiteral("fiche_Cor.pdf")), "RxE2"}}) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0, qPrintable(file));
        QCOMPARE(inkOf(QString::fromUtf8(pdftotext.readAllStandardOutput())),
                 inkOf(child<RichTextView>(view)->ContentText()));
    }
    QVERIFY(subject->ContentText().endsWith(QStringLiteral("Retouche")));
}

void TestMainWindow::saveDialogStartsWhereTheLastSaveWent()
{
    showAndActivate();
    click("btnPlus");
    const QString elsewhere = m_dir->filePath(QStringLiteral("ailleurs"));
    QVERIFY(QDir().mkpath(elsewhere));
    QStringList shown;
    for (const QString &typed : {elsewhere + QStringLiteral("/fiche"), QString()}) {
        whenModal<QFileDialog>([&shown, typed](QFileDialog *dialog) {
            shown << dialog->directory().absolutePath();
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (typed.isEmpty() || !name) {
                dialog->reject();
                return;
            }
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        click("btnEnregistre");
    }
    QCOMPARE(shown, QStringList({m_dir->path(), elsewhere}));
    // Only the two files saved there; the stored folder stays empty.
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("fiche.rtf"), QStringLiteral("fiche_Cor.rtf")}));
    QVERIFY(m_form->close());
    QFile ini(m_dir->filePath(QStringLiteral("oxeln.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains("\r\nSaveDialog1_InitialDir=\r\n"));
}

void TestMainWindow::toolkitTextsAreFrench()
{
    showAndActivate();
    // A title line's own context menu.
    auto *title = child<QLineEdit>("ETitre1");
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), title->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(title, &request);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries << action->text().section(u'\t', 0, 0);
    menu->close();
    QVERIFY2(entries.contains(QStringLiteral("Cop&ier")) && entries.contains(QStringLiteral("Tout sélectionner")),
             qPrintable(entries.join(QStringLiteral(" | "))));

    // The save dialog.
    click("btnPlus");
    QStringList texts;
    whenModal<QFileDialog>([&texts](QFileDialog *dialog) {
        texts << dialog->windowTitle() << dialog->findChild<QLabel *>(QStringLiteral("lookInLabel"))->text()
              << dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text();
        dialog->reject();
    });
    click("btnEnregistre");
    QCOMPARE(texts, (QStringList{QStringLiteral("Enregistrer sous"), QStringLiteral("Voir dans :"),
                                 QStringLiteral("Annuler")}));
}

void TestMainWindow::settingsRestoredAtFirstShow()
{
    QFile ini(m_dir->filePath(QStringLiteral("oxeln.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[tform1]\r\nSPMAXLIGNE_VALUE=99\r\nspmaxvaleur_Value=\r\nspSujets_Value=abc\r\n"
              "CBCorrige_Checked=false\r\nETitre1_Text=\"Pr\xE9nom\"\r\nckbEdite_Checked=TRUE\r\n");
    ini.close();
    QVERIFY(!child<RichTextView>("RxE1")->WantTabs());
    showAndActivate();
    QCOMPARE(child<SpinEdit>("spMaxLigne")->value(), 40);
    QCOMPARE(child<SpinEdit>("spmaxvaleur")->value(), 10);
    QCOMPARE(child<SpinEdit>("spSujets")->value(), 0);
    QVERIFY(!child<QCheckBox>("CBCorrige")->isChecked());
    QCOMPARE(child<QLineEdit>("ETitre1")->text(), QStringLiteral("Prénom"));
    // A stored ticked "Edite" unlocks both views exactly as a click would.
    QVERIFY(child<QCheckBox>("ckbEdite")->isChecked());
    for (const char *name : {"RxE1", "RxE2"}) {
        QVERIFY2(!child<RichTextView>(name)->ReadOnly(), name);
        QVERIFY2(child<RichTextView>(name)->WantTabs(), name);
    }
}

void TestMainWindow::settingsWrittenAtClose()
{
    showAndActivate();
    child<SpinEdit>("spinterligne")->setValue(4);
    child<QLineEdit>("Etitre2")->setText(QStringLiteral("  'Classe de 4e'  "));
    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    QVERIFY(m_form->close());

    QFile ini(m_dir->filePath(QStringLiteral("oxeln.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = ini.readAll().split('\n');
    QStringList keys;
    for (const QByteArray &line : lines) {
        if (line.contains('='))
            keys << QString::fromLatin1(line.left(line.indexOf('=')));
    }
    QCOMPARE(keys.size(), 20);
    QCOMPARE(keys.first(), QStringLiteral("FormVersion"));
    QCOMPARE(keys.last(), QStringLiteral("ckbEdite_Checked"));
    QVERIFY(lines.contains("spinterligne_Value=4\r"));
    QVERIFY(lines.contains("Etitre2_Text=\"'Classe de 4e'\"\r"));
    QVERIFY(lines.contains("ckbEdite_Checked=True\r"));
    QVERIFY(lines.contains("Visible=0\r"));

    // The next run gets them back.
    m_form.reset();
    m_form = std::make_unique<TForm1>(*m_worksheet);
    m_form->setSettingsFile(m_dir->filePath(QStringLiteral("oxeln.ini")));
    showAndActivate();
    QCOMPARE(child<SpinEdit>("spinterligne")->value(), 4);
    QCOMPARE(child<QLineEdit>("Etitre2")->text(), QStringLiteral("'Classe de 4e'"));
    QVERIFY(!child<RichTextView>("RxE1")->ReadOnly());
}

void TestMainWindow::captionCipherRoundTrips()
{
    using oxeln::CaptionCipher;
    // Empty key: the shift is the position, left at odd places, right at even.
    const std::string plain("\x01\x80\x08\xAA", 4);
    const std::string coded = CaptionCipher(plain, "", false);
    QCOMPARE(static_cast<unsigned char>(coded[0]), 0x02u); // rotl 1
    QCOMPARE(static_cast<unsigned char>(coded[1]), 0x20u); // rotr 2
    QCOMPARE(static_cast<unsigned char>(coded[2]), 0x40u); // rotl 3
    QCOMPARE(static_cast<unsigned char>(coded[3]), 0xAAu); // rotr 4 of 1010 1010
    for (const std::string key : {"", "Rel+-", "k", "\xE9\xFF\x01zz"}) {
        const std::string text = "Oxeln - Prénom : \x80\xFF";
        QCOMPARE(CaptionCipher(CaptionCipher(text, key, true), key, false), text);
    }
    // A key whose shifts are all 0 keeps every character.
    QCOMPARE(CaptionCipher("abc", std::string(5, '\x08'), false), std::string("abc"));
}

void TestMainWindow::errorBoxTextRule_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Impression en cours" << "Impression en cours.";
    QTest::newRow("path") << "Impossible d'écrire dans /tmp/a.ini" << "Impossible d'écrire dans /tmp/a.ini.";
    QTest::newRow("dot") << "Erreur." << "Erreur.";
    QTest::newRow("bracket") << "Erreur (3)" << "Erreur (3)";
    QTest::newRow("empty") << "" << "";
}

void TestMainWindow::errorBoxTextRule()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(oxeln::ErrorBoxText(message), shown);
}

void TestMainWindow::projectionLeavesTheNextDrillAsItWas()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnPlus");
    click("btnSAS");
    const std::uint32_t draws = m_worksheet->random().state();
    const std::string subject = m_worksheet->subject();

    QTest::keyClick(m_form.get(), Qt::Key_F5);
    oxeln::ProjectionWindow *projection = m_form->projection();
    QVERIFY(projection);
    QTRY_COMPARE(QApplication::activeWindow(), projection);
    QVERIFY(projection->isFullScreen());
    QVERIFY(projection->questions() == m_worksheet->questions());
    QCOMPARE(projection->round().count(), 15);
    QCOMPARE(projection->round().position(), 0);
    for (int key : {Qt::Key_Space, Qt::Key_Q, Qt::Key_Q, Qt::Key_P, Qt::Key_Home})
        QTest::keyClick(projection, static_cast<Qt::Key>(key));
    QCOMPARE(projection->round().count(), 15); // "20 au hasard" of 15: all of them

    QTest::keyClick(projection, Qt::Key_Escape);
    QVERIFY(!projection->isVisible());
    QTRY_VERIFY(m_form->isActiveWindow());
    // Focus back from the projection draws no new seed: the next drill is
    // the one it would have been.
    QCOMPARE(m_worksheet->random().state(), draws);
    QCOMPARE(m_worksheet->subject(), subject);

    // Any later activation re-seeds again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QVERIFY(m_worksheet->random().state() != draws);
}

void TestMainWindow::projectionChoicesGoWhereTheWindowsSettingsGo_data()
{
    QTest::addColumn<QString>("beside");
    QTest::newRow("installed, first run") << QString();
    QTest::newRow("write-protected file") << QStringLiteral("protected");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("a link to /dev/null") << QStringLiteral("null");
}

// When the file beside the program cannot take the settings, the
// projection's choices go to the user's own file with the window's, in a
// folder made for it, and come back from there.
void TestMainWindow::projectionChoicesGoWhereTheWindowsSettingsGo()
{
    QFETCH(QString, beside);
    const QString app = m_dir->filePath(QStringLiteral("app"));
    const QString config = m_dir->filePath(QStringLiteral("config"));
    const QString besideIni = app + QStringLiteral("/oxeln.ini");
    const QString userIni = config + QStringLiteral("/oxeln/oxeln.ini");
    QVERIFY(QDir().mkpath(app) && QDir().mkpath(config));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    bool mounted = false;
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_CONFIG_HOME", oldConfig);
        if (mounted)
            QProcess::execute(QStringLiteral("umount"), {app});
    });
    const QByteArray protectedContent = "[TForm1]\r\nspMaxLigne_Value=12\r\n";
    if (beside.isEmpty()) {
        // An installed program's folder: even root may not write there.
        mounted = geteuid() == 0
            && QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "ro,size=16k", "tmpfs", app}) == 0;
        if (!mounted)
            QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
    } else if (beside == QLatin1String("protected")) {
        QFile file(besideIni);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(protectedContent) == protectedContent.size());
        file.close();
        QVERIFY(QFile::setPermissions(besideIni, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    } else if (beside == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(besideIni));
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), besideIni));
    }
    m_form->setSettingsFile(oxeln::settingsFileForExecutable(app + QStringLiteral("/oxeln")));

    QStringList errors;
    QObject scope; // ends the pollers with this test
    std::function<void()> watch = [&] {
        QTimer::singleShot(10, &scope, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                errors << box->text();
                box->accept();
            }
            watch();
        });
    };
    watch();
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnPlus");
    oxeln::ProjectionWindow *projection = m_form->projection();
    for (bool darkBefore : {false, true}) {
        QTest::keyClick(m_form.get(), Qt::Key_F5);
        QTRY_COMPARE(QApplication::activeWindow(), projection);
        QCOMPARE(projection->settings().dark, darkBefore);
        QTest::keyClick(projection, Qt::Key_N);
        QTest::keyClick(projection, Qt::Key_Escape);
        QTRY_VERIFY(m_form->isActiveWindow());
        QCOMPARE(errors, QStringList());
    }
    QVERIFY(m_form->close());
    QCOMPARE(errors, QStringList());

    QFile ini(userIni);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray stored = ini.readAll();
    QVERIFY2(stored.contains("[Projection]\r\nSombre=False"), stored.constData());
    QVERIFY(stored.contains("spMaxLigne_Value=3\r\n"));
    // What was beside the program is as it was.
    struct stat info {};
    if (beside == QLatin1String("protected")) {
        QFile old(besideIni);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), protectedContent);
    } else if (beside == QLatin1String("folder")) {
        QVERIFY(QFileInfo(besideIni).isDir());
    } else if (beside == QLatin1String("null")) {
        QVERIFY(::stat("/dev/null", &info) == 0 && S_ISCHR(info.st_mode));
    } else {
        QVERIFY(!QFileInfo::exists(besideIni));
    }
}

// Opens the subject view's menu and reads (or chooses) the projection
// entry: its text, "" when disabled, or a null string without it. The menu
// may run its own event loop, so it is looked at from a timer.
QString TestMainWindow::projectionEntry(bool choose)
{
    auto *view = child<RichTextView>("RxE1");
    QString text;
    QTimer::singleShot(0, view, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *entry = menu ? menu->findChild<QAction *>(QStringLiteral("projectionEntry")) : nullptr;
        if (entry)
            text = entry->isEnabled() ? entry->text() : QStringLiteral("");
        if (entry && choose)
            entry->trigger();
        if (menu)
            menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), view->viewport()->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(view->viewport(), &event);
    QTest::qWait(50);
    // The offscreen platform leaves no window active after a popup.
    if (!choose) {
        m_form->activateWindow();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("the main window did not become active again");
    }
    return text;
}

void TestMainWindow::subjectMenuOffersProjection()
{
    showAndActivate();
    QCOMPARE(projectionEntry(false), QStringLiteral("")); // no question yet

    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnPuiss");
    QCOMPARE(projectionEntry(true), QStringLiteral("Projeter en classe (F5)"));
    QTRY_VERIFY(m_form->projection()->isVisible());
    QCOMPARE(m_form->projection()->round().count(), 8);
}

// A view retouched by hand is projected as drawn, and the entry and the
// first screen say so; the next drill writes both views again.
void TestMainWindow::projectionTellsOfHandEdits()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnPlus");
    oxeln::ProjectionWindow *projection = m_form->projection();
    const auto project = [&] {
        QTest::keyClick(m_form.get(), Qt::Key_F5);
        QTRY_VERIFY(projection->isVisible());
    };
    const auto back = [&] {
        QTest::keyClick(projection, Qt::Key_Escape);
        QTRY_VERIFY(m_form->isActiveWindow());
    };
    const QString edited = QStringLiteral("Projeter en classe (F5) \u2014 les retouches faites à la main ne sont pas projetées");
    project();
    QVERIFY(!projection->showsHandEditsNote());
    back();

    QTest::mouseClick(child<QCheckBox>("ckbEdite"), Qt::LeftButton);
    QCOMPARE(projectionEntry(false), QStringLiteral("Projeter en classe (F5)")); // unlocked is not edited
    for (const char *name : {"RxE2", "RxE1"}) {
        auto *view = child<RichTextView>(name);
        view->setFocus();
        view->moveCursor(QTextCursor::End);
        QTest::keyClicks(view, QStringLiteral("9"));
        QCOMPARE(projectionEntry(false), edited);
        project();
        QVERIFY(projection->showsHandEditsNote());
        QVERIFY(projection->questions() == m_worksheet->questions()); // the questions as drawn
        QTest::keyClick(projection, Qt::Key_Space);
        QVERIFY(!projection->showsHandEditsNote()); // the first screen only
        back();
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier); // undone: as drawn again
        QCOMPARE(projectionEntry(false), QStringLiteral("Projeter en classe (F5)"));
    }
    QTest::keyClick(child<RichTextView>("RxE1"), Qt::Key_Return);
    QCOMPARE(projectionEntry(false), edited);
    click("btnMoins");
    QCOMPARE(projectionEntry(false), QStringLiteral("Projeter en classe (F5)"));
    project();
    QVERIFY(!projection->showsHandEditsNote());
}

QTEST_MAIN(TestMainWindow)
#include "tst_uoxeln.moc"
