// A machine without any printer: a private CUPS scheduler with no queue.
#include "AppError.h"
#include "DocumentExport.h"
#include "OutputTestSupport.h"
#include "PageImage.h"
#include "PreviewPanel.h"
#include "Printing.h"
#include "RichTextView.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace oxeln;
using namespace oxeln::test;

namespace {
const QString kNoPrinter = QStringLiteral("Aucune imprimante par défaut sélectionnée");
}

class PrintingNoPrinterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void printingFailsAndPrintsNothing();
    void previewShowsThePdfPages();
    void dialogWithoutPrinterIsHarmless();

private:
    std::unique_ptr<QWidget> m_window;
    RichTextView *m_subject = nullptr;
    RichTextView *m_answer = nullptr;
    PreviewPanel *m_panel = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
};

void PrintingNoPrinterTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the private scheduler is a fixture");
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
}

void PrintingNoPrinterTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_subject = new RichTextView(m_window.get());
    m_answer = new RichTextView(m_window.get());
    m_panel = new PreviewPanel(m_window.get());
    m_panel->hide();
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void PrintingNoPrinterTest::cleanup()
{
    QDir::setCurrent(m_oldDir);
    m_window.reset();
    m_dir.reset();
}

void PrintingNoPrinterTest::printingFailsAndPrintsNothing()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(3)));
    m_answer->SetRtfText(WorksheetRtf(NumberedLines(3)));
    QString message;
    try {
        PrintWorksheet(*m_subject->document(), *m_answer->document(), m_subject->logicalDpiX(), 2, 2, true);
    } catch (const AppError &error) {
        message = error.message();
    }
    QCOMPARE(message, kNoPrinter);
    try {
        CurrentPrinter();
        QFAIL("a current printer without any printer");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), kNoPrinter);
    }
    QCOMPARE(CupsJobs().size(), 0);
}

void PrintingNoPrinterTest::previewShowsThePdfPages()
{
    m_subject->SetRtfText(WorksheetRtf(NumberedLines(300)));
    m_window->show();
    m_panel->preview(*m_subject->document(), m_subject->logicalDpiX());
    QVERIFY(m_panel->isVisible());
    QVERIFY(m_panel->floatingWindow() && m_panel->floatingWindow()->isVisible());
    QVERIFY(m_panel->image1()->hasPicture());
    QVERIFY(m_panel->image2()->hasPicture());
    // In the program's own folder, never the current one.
    QCOMPARE(QDir::current().entryList(QDir::Files), QStringList());
    const QDir scratch(m_panel->scratchFolder());
    QCOMPARE(scratch.entryList({QStringLiteral("*.svg")}, QDir::Files),
             QStringList({QStringLiteral("Temp0.svg"), QStringLiteral("Temp1.svg")}));

    // Whole A4 pages, broken where the PDF file's pages break.
    QSvgRenderer page0(scratch.filePath(QStringLiteral("Temp0.svg")));
    QCOMPARE(page0.viewBox().size(), QSize(qRound(210 / 25.4 * kExportDpi), qRound(297 / 25.4 * kExportDpi)));
    const QString pdf = m_dir->filePath(QStringLiteral("pages.pdf"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(PdfBytes(*m_subject->document(), m_subject->logicalDpiX(), QStringLiteral("Sujet")));
    file.close();
    const QList<QStringList> pages = PdfPageLines(pdf);
    QVERIFY(pages.size() >= 3);
    auto number = [](const QString &line) { return line.section(QLatin1Char('/'), 0, 0).toUtf8() + "/"; };
    for (int page = 0; page < 2; ++page) {
        QFile svg(scratch.filePath(QStringLiteral("Temp%1.svg").arg(page)));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray content = svg.readAll();
        QVERIFY(content.contains(number(pages[page].constFirst())));
        QVERIFY(content.contains(number(pages[page].constLast())));
        QVERIFY(!content.contains(number(pages[page + 1].constFirst())));
    }
}

void PrintingNoPrinterTest::dialogWithoutPrinterIsHarmless()
{
    bool seen = false;
    WhenModal<QPrintDialog>(this, [&seen](QPrintDialog *dialog) {
        seen = true;
        dialog->accept();
    });
    ChooseCurrentPrinter(m_window.get());
    QVERIFY(seen);
    // Nothing to choose from: still no current printer.
    QVERIFY_THROWS_EXCEPTION(AppError, CurrentPrinter());
}

QTEST_MAIN(PrintingNoPrinterTest)
#include "tst_PrintingNoPrinter.moc"
