// Pagination of a whole view onto printer pages, checked on PDF files.
#include "AppError.h"
#include "OutputTestSupport.h"
#include "Printing.h"
#include "RichTextView.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace oxeln;
using namespace oxeln::test;

class PaginationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pageCount_data();
    void pageCount();
    void wrappedParagraphsAreNeitherCutNorRepeated();
    void realWorksheetPrintsAllItsText();
    void pageShorterThanALineEndsTheJob();
    void clickDuringAJobIsRefused();
    void documentReplacedDuringAJobEndsIt();
    void pdfWriterKeepsItsMargins();
    void unopenablePrinterIsReported();
    void layoutIsTheWholePrintableArea();

private:
    // An A4 PDF printer at printer resolution, like the ones CUPS gives.
    std::unique_ptr<QPrinter> pdfPrinter(const QString &name);
    QStringList printedLines(const QString &pdf);

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_window;
    RichTextView *m_view = nullptr;
    int m_linesPerPage = 0;
};

std::unique_ptr<QPrinter> PaginationTest::pdfPrinter(const QString &name)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(m_dir.filePath(name));
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

QStringList PaginationTest::printedLines(const QString &pdf)
{
    QStringList lines;
    for (const QStringList &page : PdfPageLines(pdf))
        lines << page;
    return lines;
}

void PaginationTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!HaveTool(QStringLiteral("pdfinfo")) || !HaveTool(QStringLiteral("pdftotext")))
        QFAIL("poppler-utils (pdfinfo, pdftotext) are needed");

    m_linesPerPage = LinesPerPage(pdfPrinter(QStringLiteral("measure.pdf"))->pageLayout());
    QVERIFY(m_linesPerPage > 10);
}

void PaginationTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_view = new RichTextView(m_window.get());
}

void PaginationTest::cleanup()
{
    m_window.reset();
}

void PaginationTest::pageCount_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pages");
    // Exact multiples of a page show whether a blank page follows the last.
    QTest::newRow("one line") << 1 << 1;
    QTest::newRow("one full page") << -1 << 1;
    QTest::newRow("one page and a line") << -2 << 2;
    QTest::newRow("two full pages") << -3 << 2;
    QTest::newRow("five pages and a half") << -4 << 6;
}

void PaginationTest::pageCount()
{
    QFETCH(int, lines);
    QFETCH(int, pages);
    const int k = m_linesPerPage;
    switch (lines) {
    case -1: lines = k; break;
    case -2: lines = k + 1; break;
    case -3: lines = 2 * k; break;
    case -4: lines = 5 * k + k / 2; break;
    default: break;
    }
    const QStringList text = NumberedLines(lines);
    m_view->SetRtfText(WorksheetRtf(text));
    auto printer = pdfPrinter(QStringLiteral("count.pdf"));
    PrintDocument(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));

    QCOMPARE(PdfPageCount(printer->outputFileName()), pages);
    const QList<QStringList> printed = PdfPageLines(printer->outputFileName());
    QCOMPARE(printed.size(), pages);
    for (qsizetype p = 0; p + 1 < printed.size(); ++p)
        QCOMPARE(printed[p].size(), qsizetype(k));
    QCOMPARE(printedLines(printer->outputFileName()), text);
}

void PaginationTest::wrappedParagraphsAreNeitherCutNorRepeated()
{
    // Long paragraphs wrap, so page ends fall inside paragraphs.
    QStringList paragraphs;
    QStringList words;
    for (int p = 0; p < 40; ++p) {
        QStringList paragraph;
        for (int w = 0; w < 60; ++w)
            paragraph << QStringLiteral("m%1x%2").arg(p).arg(w);
        words << paragraph;
        paragraphs << paragraph.join(QLatin1Char(' '));
    }
    m_view->SetRtfText(WorksheetRtf(paragraphs));
    auto printer = pdfPrinter(QStringLiteral("wrapped.pdf"));
    PrintDocument(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));

    QVERIFY(PdfPageCount(printer->outputFileName()) >= 3);
    QStringList printedWords;
    for (const QString &line : printedLines(printer->outputFileName()))
        printedWords << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(printedWords, words);
}

void PaginationTest::realWorksheetPrintsAllItsText()
{
    const SampleWorksheet sheet = RealWorksheet({Drill::Plus, Drill::Divide, Drill::Power, Drill::S2}, 40, 2);
    m_view->SetRtfText(sheet.answerRtf);
    auto printer = pdfPrinter(QStringLiteral("worksheet.pdf"));
    const int pages = PagesOf(*m_view, printer->pageLayout());
    QVERIFY(pages >= 5);
    PrintDocument(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Corrigé"));
    QCOMPARE(PdfPageCount(printer->outputFileName()), pages);
    QCOMPARE(PdfWords(printer->outputFileName()), Words(m_view->ContentText()));
}

void PaginationTest::pageShorterThanALineEndsTheJob()
{
    m_view->SetRtfText(WorksheetRtf(NumberedLines(20)));
    auto printer = pdfPrinter(QStringLiteral("tiny.pdf"));
    printer->setPageLayout(QPageLayout(QPageSize(QSizeF(60, 1), QPageSize::Millimeter), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0)));
    PrintDocument(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
    QCOMPARE(PdfPageCount(printer->outputFileName()), 1);
}

void PaginationTest::clickDuringAJobIsRefused()
{
    // A click handled while pages spool tries to start a second job.
    m_view->SetRtfText(WorksheetRtf(NumberedLines(3 * m_linesPerPage)));
    auto second = pdfPrinter(QStringLiteral("second.pdf"));
    QString refused;
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        ran = true;
        try {
            PrintDocument(*second, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
        } catch (const AppError &error) {
            refused = error.message();
        }
    });
    auto printer = pdfPrinter(QStringLiteral("first.pdf"));
    PrintDocument(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
    QVERIFY(ran);
    QCOMPARE(refused, QStringLiteral("Impression en cours"));
    QCOMPARE(PdfPageCount(printer->outputFileName()), 3);
    QVERIFY(!QFile::exists(second->outputFileName()));

    // Once the job is over, printing works again.
    PrintDocument(*second, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
    QCOMPARE(PdfPageCount(second->outputFileName()), 3);
}

void PaginationTest::documentReplacedDuringAJobEndsIt()
{
    // "RAZ" clicked while the pages spool: the view drops the document
    // being printed; the job ends with the page already printed.
    m_view->SetRtfText(WorksheetRtf(NumberedLines(3 * m_linesPerPage)));
    QTimer::singleShot(0, this, [this] { m_view->ClearContent(); });
    auto printer = pdfPrinter(QStringLiteral("raz.pdf"));
    PrintCopies(*printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"), 2);
    QCOMPARE(PdfPageCount(printer->outputFileName()), 1);
    QCOMPARE(printedLines(printer->outputFileName()), NumberedLines(m_linesPerPage));
}

void PaginationTest::pdfWriterKeepsItsMargins()
{
    // A PDF writer with 10 mm margins all round: pages are laid out in what
    // the margins leave, and the title names the document.
    m_view->SetRtfText(WorksheetRtf(NumberedLines(2 * m_linesPerPage)));
    const QString file = m_dir.filePath(QStringLiteral("writer.pdf"));
    {
        QPdfWriter writer(file);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        PrintDocument(writer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
    }
    // 277 mm of height instead of the printer's whole page: more pages.
    QCOMPARE(PdfPageCount(file), 3);
    QCOMPARE(printedLines(file), NumberedLines(2 * m_linesPerPage));
    const ToolResult info = RunTool(QStringLiteral("pdfinfo"), {file});
    QVERIFY2(QString::fromUtf8(info.out).contains(QRegularExpression(QStringLiteral("^Title: +Sujet$"),
                                                                     QRegularExpression::MultilineOption)),
             info.out.constData());
}

void PaginationTest::unopenablePrinterIsReported()
{
    m_view->SetRtfText(WorksheetRtf(NumberedLines(3)));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("missing/folder/out.pdf")));
    try {
        PrintDocument(printer, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
        QFAIL("printing to a printer that cannot open");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Imprimante sélectionnée incorrecte"));
    }
    // The failure leaves no job open behind it.
    auto good = pdfPrinter(QStringLiteral("after.pdf"));
    PrintDocument(*good, *m_view->document(), m_view->logicalDpiX(), QStringLiteral("Sujet"));
    QCOMPARE(PdfPageCount(good->outputFileName()), 1);
}

void PaginationTest::layoutIsTheWholePrintableArea()
{
    auto printer = pdfPrinter(QStringLiteral("unused.pdf"));
    printer->setPageMargins(QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter);
    const QRect twips = PrintableAreaTwips(*printer);
    QCOMPARE(twips.topLeft(), QPoint(0, 0));
    // 190 x 257 mm printable: 10771 x 14569 twips, give or take the pixel
    // rounding of the printable area (a few hundredths of a millimetre).
    QVERIFY2(qAbs(twips.width() - 10771) <= 10, qPrintable(QString::number(twips.width())));
    QVERIFY2(qAbs(twips.height() - 14569) <= 10, qPrintable(QString::number(twips.height())));
}

QTEST_MAIN(PaginationTest)
#include "tst_Pagination.moc"
