// "Exercices et réglages" driven through the real window: its button, key
// and menu entry, its drills, the options the drills read, the settings
// file, and the versions that printing and saving make. Printing goes to the
// private scheduler's PDF queue (CUPS_SERVER).
#include "Composition.h"
#include "DefaultTitles.h"
#include "DrillOptions.h"
#include "MarkupToRtf.h"
#include "ExercisePalette.h"
#include "FormControls.h"
#include "OutputTestSupport.h"
#include "Printing.h"
#include "RichTextView.h"
#include "RtfCodePage.h"
#include "SpinEdit.h"
#include "UOxeln.h"
#include "ViewDocument.h"
#include "Worksheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

#include <unistd.h>

using oxeln::ExercisePalette;
using oxeln::RichTextView;
using oxeln::SpinEdit;
using namespace oxeln::test;

class TestExercises : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensFromItsButtonKeyAndMenu();
    void paletteDrillsAreTheComposersDrills();
    void optionsReachTheNextDrill();
    void notEnoughQuestionsIsSaidOnce();
    void settingsKeptInTheirOwnSection();
    void versionsPrintedOneAfterTheOther();
    void versionsSavedAsASet();
    void handEditsAreSaidAndAskedAbout();

private:
    template<typename T> T *child(const char *name) const { return formControl<T>(m_form.get(), name); }
    // Near the left end, where a check box's or a radio button's indicator is.
    void click(const char *name)
    {
        auto *button = child<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
    }
    void newWindow();
    // Saves through the real dialog, typing path as the name.
    void saveAs(const QString &path);
    void showAndActivate();
    QString iniPath() const { return m_dir->filePath(QStringLiteral("oxeln.ini")); }
    static QString fromCp1252(std::string_view bytes)
    {
        return oxeln::cp1252::decode(QByteArray(bytes.data(), qsizetype(bytes.size())));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<oxeln::Worksheet> m_worksheet;
    std::unique_ptr<TForm1> m_form;
};

void TestExercises::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    newWindow();
}

void TestExercises::cleanup()
{
    m_form.reset();
    m_worksheet.reset();
    m_dir.reset();
}

void TestExercises::newWindow()
{
    m_form.reset();
    m_worksheet = std::make_unique<oxeln::Worksheet>();
    m_form = std::make_unique<TForm1>(*m_worksheet);
    m_form->setSettingsFile(iniPath());
}

void TestExercises::showAndActivate()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_worksheet->random().seed(0);
}

void TestExercises::opensFromItsButtonKeyAndMenu()
{
    showAndActivate();
    auto *button = child<QPushButton>("btnExercices");
    // In the free place right of "Interligne", out of the designed Tab order.
    QCOMPARE(button->geometry(), QRect(102, 56, 20, 22));
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    ExercisePalette *palette = m_form->exercises();
    QVERIFY(!palette->isVisible());

    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(palette->isVisible());
    QCOMPARE(palette->windowTitle(), QStringLiteral("Exercices et réglages"));
    palette->move(palette->pos() + QPoint(0, 40));
    const QPoint moved = palette->pos();
    palette->close();

    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(m_form.get(), Qt::Key_F6);
    QTRY_VERIFY(palette->isVisible());
    QCOMPARE(palette->pos(), moved); // where it was left
    palette->close();

    for (const char *view : {"RxE1", "RxE2"}) {
        auto *target = child<RichTextView>(view);
        QTimer::singleShot(0, this, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *entry = menu ? menu->findChild<QAction *>(QStringLiteral("exercisesEntry")) : nullptr;
            if (entry && entry->text() == QStringLiteral("Autres exercices et réglages (F6)"))
                entry->trigger();
            if (menu)
                menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), target->viewport()->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(target->viewport(), &event);
        QTRY_VERIFY2(palette->isVisible(), view);
        palette->close();
    }
}

// A drill of the palette is a drill of the worksheet like any button's:
// the same lines, numbers and draws as the composer gives for the same
// clicks, also when one is clicked while another runs.
void TestExercises::paletteDrillsAreTheComposersDrills()
{
    showAndActivate();
    m_form->openExercises();
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnPlus");
    for (oxeln::Drill drill : ExercisePalette::PaletteDrills)
        QTest::mouseClick(child<QPushButton>(ExercisePalette::buttonName(drill).toLatin1().constData()),
                          Qt::LeftButton);
    // "P2" queued behind "?+": it runs inside the subject view's change of "?+".
    QMetaObject::invokeMethod(child<QPushButton>("btnTermePlus"), "click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(child<QPushButton>("btnP2"), "click", Qt::QueuedConnection);
    QTRY_COMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("30"));

    oxeln::compose::ComposeOptions options;
    options.seed = 0;
    options.lineCount = 3;
    options.steps.push_back({oxeln::Drill::Plus});
    for (oxeln::Drill drill : ExercisePalette::PaletteDrills)
        options.steps.push_back({drill});
    options.steps.push_back({oxeln::Drill::MissingPlus});
    options.steps.push_back({oxeln::Drill::P2});
    const auto composed = oxeln::compose::composeWorksheet(options);
    QCOMPARE(m_worksheet->subject(), composed.subject);
    QCOMPARE(m_worksheet->answer(), composed.answer);
    QVERIFY(child<RichTextView>("RxE1")->ContentText().contains(QStringLiteral("30/")));
    QVERIFY(child<RichTextView>("RxE2")->ContentText().contains(QStringLiteral("[")));
}

void TestExercises::optionsReachTheNextDrill()
{
    showAndActivate();
    m_form->openExercises();
    child<SpinEdit>("spMaxLigne")->setValue(6);
    auto *title3 = child<QLineEdit>("Etitre3");
    QCOMPARE(title3->text(), fromCp1252(oxeln::DefaultTitle3));

    // Chosen by the user: the untouched instruction follows the writing.
    click("rbEcritureNegatifs");
    QCOMPARE(title3->text(), fromCp1252(oxeln::DefaultTitle3For(oxeln::Writing::Negatives)));
    QVERIFY(child<QLabel>("lblEtat")->isVisible());
    click("ckbMin");
    child<QSpinBox>("spMin")->setValue(20);
    child<QComboBox>("cbSignes")->setCurrentIndex(2); // every number negative
    click("btnPlus");
    // Every number "(-N)" with N from 20 to 100, and nothing else of digits.
    const QString lines = fromCp1252(m_worksheet->subject()).section(QStringLiteral("<courier><te=18>"), 1);
    static const QRegularExpression negative(QStringLiteral("\\(-(\\d+)\\)"));
    static const QRegularExpression prefix(QStringLiteral("\\d\\d/"));
    int numbers = 0;
    QString rest = lines;
    rest.remove(prefix);
    for (const QRegularExpressionMatch &m : negative.globalMatch(lines)) {
        ++numbers;
        QVERIFY2(m.captured(1).toInt() >= 20 && m.captured(1).toInt() <= 100, qPrintable(m.captured()));
    }
    rest.remove(negative);
    QCOMPARE(numbers, 6 * 4 * 2);
    QVERIFY2(!rest.contains(QRegularExpression(QStringLiteral("\\d"))), qPrintable(rest));
    // Answers without brackets: a sum of negatives is written "-45".
    const std::string answer = m_worksheet->answer();
    QVERIFY(answer.find("<cf=jaune>-") != std::string::npos);
    QVERIFY(answer.find("<cf=jaune>(") == std::string::npos);
    // The last drill's options went with it: the status line is clear.
    QVERIFY(!child<QLabel>("lblEtat")->isVisible());

    // A title 3 of the teacher's is theirs.
    title3->setText(QStringLiteral("Calculer."));
    click("rbEcritureSimplifiee");
    QCOMPARE(title3->text(), QStringLiteral("Calculer."));
    QVERIFY(child<QLabel>("lblEtat")->text().contains(QStringLiteral("Titre3")));
    click("btnSAS");
    // A simplified sum has no brackets: the chains' lines come after "06/".
    const QString chains = fromCp1252(m_worksheet->subject()).section(QStringLiteral("06/"), 1).section(QStringLiteral("<br>"), 1);
    QVERIFY(chains.contains(QStringLiteral("07/")));
    QVERIFY2(!chains.contains(QLatin1Char('(')), qPrintable(chains.left(200)));
}

void TestExercises::notEnoughQuestionsIsSaidOnce()
{
    showAndActivate();
    m_form->openExercises();
    // |x| from 10 to 10, all negative: one "+" question only.
    child<SpinEdit>("spmaxvaleur")->setValue(10);
    click("ckbMin");
    child<QSpinBox>("spMin")->setValue(10);
    child<QComboBox>("cbSignes")->setCurrentIndex(2);
    click("ckbSansDoublon");
    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnPlus");
    const QString notice = fromCp1252(oxeln::NotEnoughQuestionsNotice());
    QCOMPARE(child<QLabel>("lblEtat")->text(), notice);
    QVERIFY(child<QLabel>("lblEtat")->isVisible());
    // The drill is filled anyway.
    QCOMPARE(child<QLabel>("pnlNb")->text(), QStringLiteral("2"));

    // With the palette closed, the counter of questions says it.
    m_form->exercises()->close();
    QToolTip::hideText();
    click("btnMoins");
    QTRY_COMPARE(QToolTip::text(), notice);
}

void TestExercises::settingsKeptInTheirOwnSection()
{
    showAndActivate();
    // At their defaults, the options leave the file as before them.
    QVERIFY(m_form->close());
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("[Exercices]"));
    file.close();

    newWindow();
    showAndActivate();
    m_form->openExercises();
    click("rbEcritureSimplifiee");
    click("ckbMin");
    child<QSpinBox>("spMin")->setValue(7);
    child<QComboBox>("cbSignes")->setCurrentIndex(1);
    click("ckbDivisionsExactes");
    click("ckbExposantMax");
    child<QSpinBox>("spExposantMax")->setValue(4);
    click("ckbCorrigeCompact");
    child<QSpinBox>("spVersions")->setValue(5);
    const oxeln::DrillOptions chosen = m_form->exercises()->options();
    QVERIFY(m_form->close());

    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const qsizetype section = bytes.indexOf("[Exercices]\r\n");
    QVERIFY(section > bytes.indexOf("ckbEdite_Checked=")); // after the window's twenty keys
    for (const char *line : {"Ecriture=simplifiee\r\n", "Min=7\r\n", "Signes=un-negatif\r\n",
                             "DivisionsExactes=True\r\n", "ExposantMax=4\r\n", "CorrigeCompact=True\r\n",
                             "Versions=5\r\n", "Ouverte=True\r\n"})
        QVERIFY2(bytes.indexOf(line, section) > section, line);
    QVERIFY(bytes.indexOf("BaseMax=", section) < 0); // still at its default

    newWindow();
    showAndActivate();
    QVERIFY(m_form->exercises()->options() == chosen);
    QCOMPARE(m_form->exercises()->versions(), 5);
    QTRY_VERIFY(m_form->exercises()->isVisible()); // open at close, open again

    // Values edited by hand: each bad one gives its default, the others hold.
    QVERIFY(m_form->close());
    m_form.reset();
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[TForm1]\r\nFormVersion=0\r\n[Exercices]\r\nEcriture=NEGATIFS\r\nMin=abc\r\nSignes=negatifs\r\n"
               "SansDoublon=peut-etre\r\nDivisionsExactes=true\r\nExposantMax=70\r\nBaseMax=12\r\n"
               "Versions=27\r\nPosition=x,3\r\n");
    file.close();
    newWindow();
    showAndActivate();
    const oxeln::DrillOptions read = m_form->exercises()->options();
    QCOMPARE(read.writing, oxeln::Writing::Parentheses);
    QCOMPARE(read.smallest, 0);
    QCOMPARE(read.signs, oxeln::SignMix::AllNegative);
    QCOMPARE(read.noDuplicates, false);
    QCOMPARE(read.exactDivisions, true);
    QCOMPARE(read.largestExponent, 0);
    QCOMPARE(read.largestBase, 12);
    QCOMPARE(m_form->exercises()->versions(), 1);
    QVERIFY(!m_form->exercises()->place());
}

void TestExercises::versionsPrintedOneAfterTheOther()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(2);
    click("btnMult");
    click("btnPuiss");
    m_form->exercises()->setVersions(3);
    child<SpinEdit>("spSujets")->setValue(2);
    const int lastId = LastCupsJobId();
    click("btnImprime");
    QVERIFY(WaitForCupsIdle());
    const QList<CupsJob> jobs = CupsJobsAfter(lastId);
    QStringList names;
    for (const CupsJob &job : jobs)
        names << job.name;
    const QString s = QStringLiteral("Sujet");
    const QString c = QStringLiteral("Corrigé");
    QCOMPARE(names, QStringList({s, s, c, s, s, c, s, s, c}));

    // Each version's reference code, in order: A is the views', B and C the
    // composer's versions of the same clicks.
    oxeln::compose::ComposeOptions options;
    options.seed = 0;
    options.lineCount = 2;
    options.versions = 3;
    options.steps = {{oxeln::Drill::Mult}, {oxeln::Drill::Power}};
    const auto composed = oxeln::compose::composeVersions(options);
    QCOMPARE(composed[0].referenceCode, m_worksheet->referenceCode());
    for (int version = 0; version < 3; ++version) {
        for (int job : {3 * version, 3 * version + 2}) {
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {CupsJobDocument(jobs[job].id), QStringLiteral("-")});
            QVERIFY(text.waitForFinished(30000));
            const QString code = QString::fromStdString(composed[std::size_t(version)].referenceCode);
            QVERIFY2(QString::fromUtf8(text.readAllStandardOutput()).contains(code), qPrintable(code));
        }
    }
}

void TestExercises::saveAs(const QString &path)
{
    WhenModal<QFileDialog>(this, [path](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    click("btnEnregistre");
}

void TestExercises::versionsSavedAsASet()
{
    showAndActivate();
    child<SpinEdit>("spMaxLigne")->setValue(3);
    click("btnMult");
    click("btnSA");
    m_form->exercises()->setVersions(3);
    QDir::setCurrent(m_dir->path());
    saveAs(m_dir->filePath(QStringLiteral("fiche")));

    QStringList expected;
    for (const char *name : {"fiche-A.rtf", "fiche-A_Cor.rtf", "fiche-B.rtf", "fiche-B_Cor.rtf", "fiche-C.rtf",
                             "fiche-C_Cor.rtf"})
        expected << QLatin1String(name);
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("fiche*")}, QDir::Files, QDir::Name), expected);

    oxeln::compose::ComposeOptions options;
    options.seed = 0;
    options.lineCount = 3;
    options.versions = 3;
    options.steps = {{oxeln::Drill::Mult}, {oxeln::Drill::S1}};
    const auto composed = oxeln::compose::composeVersions(options);
    // A is the views; B and C are the composer's versions of the same clicks.
    const auto savedText = [&](const QString &name) {
        QFile file(m_dir->filePath(name));
        return file.open(QIODevice::ReadOnly) ? oxeln::ContentText(*oxeln::ReadViewDocument(file.readAll(), 96))
                                              : QString();
    };
    QCOMPARE(savedText(QStringLiteral("fiche-A.rtf")), child<RichTextView>("RxE1")->ContentText());
    QCOMPARE(savedText(QStringLiteral("fiche-A_Cor.rtf")), child<RichTextView>("RxE2")->ContentText());
    for (int v : {1, 2}) {
        const QString letter(QChar(u'A' + v));
        const auto &sheet = composed[std::size_t(v)];
        const QString subject = savedText(QStringLiteral("fiche-%1.rtf").arg(letter));
        QVERIFY(subject.startsWith(QString::fromStdString(sheet.referenceCode)));
        QCOMPARE(subject, oxeln::ContentText(*oxeln::ReadViewDocument(
                              QByteArray::fromStdString(oxeln::MarkupToRtf(sheet.subject)), 96)));
        QVERIFY(savedText(QStringLiteral("fiche-%1_Cor.rtf").arg(letter)).contains(QStringLiteral("CORRIGE")));
    }

    // On a disk with room for a few of the files, none of them is written.
    if (geteuid() != 0)
        QSKIP("mounting a small disk needs root");
    const QString disk = m_dir->filePath(QStringLiteral("disque"));
    QVERIFY(QDir().mkpath(disk));
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=32k", "tmpfs", disk}) != 0)
        QSKIP("no tmpfs");
    const auto unmount = qScopeGuard([&] {
        QDir::setCurrent(m_dir->path());
        QProcess::execute(QStringLiteral("umount"), {disk});
    });
    child<SpinEdit>("spMaxLigne")->setValue(40);
    click("btnSAS");
    click("btnSA");
    const auto error = std::make_shared<QString>();
    WhenModal<QMessageBox>(this, [error](QMessageBox *box) {
        *error = box->text();
        box->accept();
    });
    saveAs(disk + QStringLiteral("/fiche.rtf"));
    QTRY_VERIFY2(!error->isEmpty(), qPrintable(QDir(disk).entryList(QDir::Files).join(u' ')));
    QVERIFY2(error->startsWith(QStringLiteral("Erreur à l'enregistrement du flux")), qPrintable(*error));
    QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestExercises::handEditsAreSaidAndAskedAbout()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    showAndActivate();
    m_form->openExercises();
    child<SpinEdit>("spMaxLigne")->setValue(1);
    click("btnPlus");
    child<QSpinBox>("spVersions")->setValue(2);
    auto *note = child<QLabel>("lblRetouches");
    QVERIFY(!note->isVisible());

    click("ckbEdite");
    auto *subject = child<RichTextView>("RxE1");
    subject->setFocus();
    subject->moveCursor(QTextCursor::End);
    QTest::keyClicks(subject, QStringLiteral("Bonus"));
    QVERIFY(note->isVisible());
    QVERIFY(note->text().contains(QStringLiteral("fiche A")));

    // Printing asks first; "Annuler" prints nothing.
    const int lastId = LastCupsJobId();
    bool asked = false;
    WhenModal<QMessageBox>(this, [&asked](QMessageBox *box) {
        asked = box->text().contains(QStringLiteral("retouché à la main"));
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == QStringLiteral("Annuler"))
                button->click();
        }
    });
    click("btnImprime");
    QVERIFY(asked);
    QVERIFY(WaitForCupsIdle());
    QVERIFY(CupsJobsAfter(lastId).isEmpty());

    // The next drill reads the views afresh: nothing left to say.
    click("btnMoins");
    QVERIFY(!note->isVisible());
}

QTEST_MAIN(TestExercises)
#include "tst_exercises.moc"
