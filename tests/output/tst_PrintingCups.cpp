// Printing through a private CUPS scheduler (CUPS_SERVER), whose default
// queue OxelnPDF turns every job into a PDF. Job names and page counts are
// read back from the scheduler itself.
#include "AppError.h"
#include "OutputTestSupport.h"
#include "Printing.h"
#include "RichTextView.h"

#include <QComboBox>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace oxeln;
using namespace oxeln::test;

class PrintingCupsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void copies_data();
    void copies();
    void emptySubjectPrintsNothing();
    void everyCopyHoldsEveryPage();
    void removedPrinterIsRefused();
    void dialogChoosesPrinterAndCopies();
    void cancelledDialogKeepsPrinter();
    void dialogJobChoicesNeverReachAJob();

private:
    QStringList newJobNames(int lastId);
    // Drives the next modal print dialog: picks printer (when not empty) and
    // copies, then accepts or rejects it.
    void driveDialog(const QString &printer, int copies, bool accept);

    std::unique_ptr<QWidget> m_window;
    RichTextView *m_subject = nullptr;
    RichTextView *m_answer = nullptr;
    int m_linesPerPage = 0;
    bool m_dialogSeen = false;
};

QStringList PrintingCupsTest::newJobNames(int lastId)
{
    [&] { QVERIFY(WaitForCupsIdle()); }();
    QStringList names;
    for (const CupsJob &job : CupsJobsAfter(lastId)) {
        names << job.name;
        if (job.state != QLatin1String("completed"))
            names << QStringLiteral("(state %1)").arg(job.state);
    }
    return names;
}

void PrintingCupsTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    QCOMPARE(CurrentPrinter().printerName(), QStringLiteral("OxelnPDF"));
    QCOMPARE(CurrentPrinter().resolution(), 1200);

    m_linesPerPage = LinesPerPage(CurrentPrinter().pageLayout());
    QVERIFY(m_linesPerPage > 10);
}

void PrintingCupsTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_subject = new RichTextView(m_window.get());
    m_answer = new RichTextView(m_window.get());
}

void PrintingCupsTest::cleanup()
{
    m_window.reset();
    ResetCurrentPrinter();
}

void PrintingCupsTest::copies_data()
{
    QTest::addColumn<int>("subjects");
    QTest::addColumn<int>("answers");
    QTest::addColumn<bool>("answerKey");
    QTest::addColumn<QStringList>("jobs");

    const QString s = QStringLiteral("Sujet");
    const QString c = QStringLiteral("Corrigé");
    QTest::newRow("no subject, two answer keys") << 0 << 2 << true << QStringList{c, c};
    QTest::newRow("answer key off") << 2 << 3 << false << QStringList{s, s};
    QTest::newRow("subject then answer key") << 1 << 1 << true << QStringList{s, c};
    QTest::newRow("three copies, three jobs") << 3 << 0 << true << QStringList{s, s, s};
    QTest::newRow("no copies at all") << 0 << 0 << true << QStringList{};
}

void PrintingCupsTest::copies()
{
    QFETCH(int, subjects);
    QFETCH(int, answers);
    QFETCH(bool, answerKey);
    QFETCH(QStringList, jobs);

    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_answer->SetRtfText(WorksheetRtf(NumberedLines(3, 500)));
    const int last = LastCupsJobId();
    PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), subjects, answers, answerKey);
    QCOMPARE(newJobNames(last), jobs);
}

void PrintingCupsTest::emptySubjectPrintsNothing()
{
    m_subject->ClearContent();
    QCOMPARE(m_subject->LineCount(), 0);
    m_answer->SetRtfText(WorksheetRtf(NumberedLines(3)));
    const int last = LastCupsJobId();
    PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 2, 2, true);
    QCOMPARE(newJobNames(last), QStringList{});
}

void PrintingCupsTest::everyCopyHoldsEveryPage()
{
    // A real worksheet of three pages, subject and answer key.
    const SampleWorksheet sheet = RealWorksheet({Drill::Plus, Drill::Mult}, 30, 2);
    m_subject->SetRtfText(sheet.subjectRtf);
    m_answer->SetRtfText(sheet.answerRtf);
    QCOMPARE(PagesOf(*m_subject, CurrentPrinter().pageLayout()), 3);
    QCOMPARE(PagesOf(*m_answer, CurrentPrinter().pageLayout()), 3);
    const int last = LastCupsJobId();
    PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 3, 1, true);
    QVERIFY(WaitForCupsIdle());

    const QList<CupsJob> jobs = CupsJobsAfter(last);
    QCOMPARE(jobs.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const RichTextView *view = i < 3 ? m_subject : m_answer;
        const CupsJob &job = jobs[i];
        QCOMPARE(job.name, i < 3 ? QStringLiteral("Sujet") : QStringLiteral("Corrigé"));
        QCOMPARE(job.state, QStringLiteral("completed"));
        QCOMPARE(job.printer, QStringLiteral("OxelnPDF"));
        QVERIFY(job.copies <= 1); // absent means one
        // Pages as the scheduler counted them, and as the document holds them.
        QCOMPARE(job.impressions, 3);
        const QString document = CupsJobDocument(job.id);
        QCOMPARE(PdfPageCount(document), 3);
        QCOMPARE(PdfWords(document), Words(view->ContentText()));
    }
}

void PrintingCupsTest::removedPrinterIsRefused()
{
    // A queue chosen, then removed from the scheduler.
    QCOMPARE(RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("OxelnGone"),
                                                 QStringLiteral("-v"), QStringLiteral("file:///dev/null"),
                                                 QStringLiteral("-E")})
                 .exitCode,
             0);
    CurrentPrinter().setPrinterName(QStringLiteral("OxelnGone"));
    QCOMPARE(CurrentPrinter().printerName(), QStringLiteral("OxelnGone"));
    QCOMPARE(RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("OxelnGone")}).exitCode, 0);

    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    const int last = LastCupsJobId();
    try {
        PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 2, 2, true);
        QFAIL("printing to a removed queue");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Imprimante sélectionnée incorrecte"));
    }
    QCOMPARE(newJobNames(last), QStringList{});
}

void PrintingCupsTest::driveDialog(const QString &printer, int copies, bool accept)
{
    m_dialogSeen = false;
    WhenModal<QPrintDialog>(this, [=, this](QPrintDialog *dialog) {
        m_dialogSeen = true;
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        auto *copiesBox = dialog->findChild<QSpinBox *>(QStringLiteral("copies"));
        if (printers && copiesBox) {
            printers->setCurrentIndex(printers->findText(printer));
            copiesBox->setValue(copies);
        }
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

void PrintingCupsTest::dialogChoosesPrinterAndCopies()
{
    driveDialog(QStringLiteral("OxelnPDF2"), 2, true);
    ChooseCurrentPrinter(m_window.get());
    QVERIFY(m_dialogSeen);
    QCOMPARE(CurrentPrinter().printerName(), QStringLiteral("OxelnPDF2"));

    // Later jobs go to the chosen printer, with its copy count.
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    const int last = LastCupsJobId();
    PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 1, 0, true);
    QVERIFY(WaitForCupsIdle());
    const QList<CupsJob> jobs = CupsJobsAfter(last);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].name, QStringLiteral("Sujet"));
    QCOMPARE(jobs[0].printer, QStringLiteral("OxelnPDF2"));
    QCOMPARE(jobs[0].copies, 2);
    QCOMPARE(jobs[0].impressions, 2);
}

void PrintingCupsTest::cancelledDialogKeepsPrinter()
{
    CurrentPrinter().setCopyCount(1);
    driveDialog(QStringLiteral("OxelnPDF2"), 4, false);
    ChooseCurrentPrinter(m_window.get());
    QVERIFY(m_dialogSeen);
    QCOMPARE(CurrentPrinter().printerName(), QStringLiteral("OxelnPDF"));
    QCOMPARE(CurrentPrinter().copyCount(), 1);
}

void PrintingCupsTest::dialogJobChoicesNeverReachAJob()
{
    QStringList offered;
    m_dialogSeen = false;
    WhenModal<QPrintDialog>(this, [&offered, this](QPrintDialog *dialog) {
        m_dialogSeen = true;
        // No page range, no odd/even set, no printing to a file.
        for (const char *name : {"gbPrintRange", "pageSetCombo"}) {
            auto *choice = dialog->findChild<QWidget *>(QLatin1String(name));
            if (choice && !choice->isHidden())
                offered << QLatin1String(name);
        }
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        for (int i = 0; printers && i < printers->count(); ++i) {
            if (!printers->itemText(i).isEmpty()
                && !QPrinterInfo::availablePrinterNames().contains(printers->itemText(i)))
                offered << printers->itemText(i);
        }
        // What the hidden choices would set, and whatever else lands on the
        // dialog's printer copy.
        dialog->findChild<QRadioButton *>(QStringLiteral("printRange"))->setChecked(true);
        dialog->findChild<QSpinBox *>(QStringLiteral("from"))->setValue(1);
        dialog->findChild<QSpinBox *>(QStringLiteral("to"))->setValue(1);
        dialog->findChild<QComboBox *>(QStringLiteral("pageSetCombo"))->setCurrentIndex(1);
        connect(dialog, &QDialog::accepted, dialog, [dialog] {
            QPrinter *copy = dialog->printer();
            copy->setPrintRange(QPrinter::PageRange);
            copy->setFromTo(1, 1);
            copy->printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                             QStringList{QStringLiteral("page-ranges"), QStringLiteral("1-1"),
                                                         QStringLiteral("page-set"), QStringLiteral("odd"),
                                                         QStringLiteral("job-hold-until"),
                                                         QStringLiteral("indefinite")});
        });
        dialog->accept();
    });
    ChooseCurrentPrinter(m_window.get());
    QVERIFY(m_dialogSeen);
    QCOMPARE(offered, QStringList{});

    // The next job prints every page of a three-page subject.
    const SampleWorksheet sheet = RealWorksheet({Drill::Plus, Drill::Mult}, 30, 2);
    m_subject->SetRtfText(sheet.subjectRtf);
    QCOMPARE(PagesOf(*m_subject, CurrentPrinter().pageLayout()), 3);
    const int last = LastCupsJobId();
    PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 1, 0, true);
    QVERIFY(WaitForCupsIdle());
    const QList<CupsJob> jobs = CupsJobsAfter(last);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].state, QStringLiteral("completed"));
    QCOMPARE(jobs[0].impressions, 3);
    QCOMPARE(PdfPageCount(CupsJobDocument(jobs[0].id)), 3);
}

QTEST_MAIN(PrintingCupsTest)
#include "tst_PrintingCups.moc"
