#include "RichTextView.h"
#include "RtfSamples.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using oxeln::RichTextView;

namespace {

// The printable area of a device in twips, as the print loop computes it.
QRect pageTwips(const QPaintDevice &device)
{
    return QRect(0, 0, device.width() * 1440 / device.logicalDpiX(),
                 device.height() * 1440 / device.logicalDpiY());
}

QPrinter *pdfPrinter(QPrinter &printer, const QString &file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return &printer;
}

// The loop the printing code runs: a page per call, a new page only between pages.
int printAll(RichTextView &view, QPrinter &printer, QList<int> *starts = nullptr)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    const QRect page = pageTwips(printer);
    const int end = view.document()->characterCount() - 1;
    QRect none;
    view.FormatRange(nullptr, nullptr, none, page, 0, false);
    int pages = 1;
    int p = 0;
    for (;;) {
        if (starts)
            starts->append(p);
        QRect rect = page;
        const int next = view.FormatRange(&painter, &printer, rect, page, p, true);
        if (next == -1 || next >= end || next == p)
            break;
        printer.newPage();
        ++pages;
        p = next;
    }
    painter.end();
    view.FormatRange(nullptr, nullptr, none, page, 0, false);
    return pages;
}

QByteArray lines(int count, const QByteArray &prefix = "Ligne ")
{
    QByteArray body;
    for (int i = 1; i <= count; ++i)
        body += prefix + QByteArray::number(i).rightJustified(4, '0') + (i < count ? "\\par " : "");
    return "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs18 " + body + "}";
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(tool("pdftotext"), {pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString withoutBlanks(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

} // namespace

class TestRichTextViewPrint : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstPageEndsAtALineStartAndShrinksTheRectangle();
    void pageCountFollowsTheLinesPerPage();
    void printedTextHasEveryLineOnceAndInOrder();
    void highlightedAnswersArePrintedYellow();
    void pageShorterThanALineMakesNoProgress();
    void contentChangesRefreshTheLayout();
    void targetOfAnotherResolutionIsScaled();
    void svgTargetGetsTheText();

private:
    std::unique_ptr<RichTextView> m_view;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRichTextViewPrint::init()
{
    m_view = std::make_unique<RichTextView>();
    m_view->resize(600, 400);
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestRichTextViewPrint::cleanup()
{
    m_view.reset();
    m_dir.reset();
}

void TestRichTextViewPrint::firstPageEndsAtALineStartAndShrinksTheRectangle()
{
    m_view->SetRtfText(lines(300));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, m_dir->filePath("a.pdf"));
    QCOMPARE(printer.logicalDpiY(), 1200);
    const QRect page = pageTwips(printer);
    QRect rect = page;
    const int next = m_view->FormatRange(nullptr, &printer, rect, page, 0, false) ;
    QCOMPARE(next, 0); // no target: only releases
    const int first = [&] {
        QPainter painter(&printer);
        return m_view->FormatRange(&painter, &printer, rect, page, 0, false);
    }();
    const QTextBlock stop = m_view->document()->findBlock(first);
    QVERIFY(first > 0);
    QCOMPARE(stop.position(), first); // a whole paragraph, never a cut line
    const int perPage = stop.blockNumber();
    QVERIFY(perPage > 20 && perPage < 300);
    // Shrunk to the lines drawn: less than one more line would have fitted.
    const int lineTwips = rect.height() / perPage;
    QVERIFY(rect.height() <= page.height());
    QVERIFY(page.height() - rect.height() < lineTwips + 2);
    QCOMPARE(rect.width(), page.width());
}

void TestRichTextViewPrint::pageCountFollowsTheLinesPerPage()
{
    QPrinter probe(QPrinter::HighResolution);
    pdfPrinter(probe, m_dir->filePath("probe.pdf"));
    m_view->SetRtfText(lines(500));
    QList<int> starts;
    printAll(*m_view, probe, &starts);
    QVERIFY(starts.size() >= 2);
    const int perPage = m_view->document()->findBlock(starts.at(1)).blockNumber();

    const struct { int lines; int pages; } cases[] = {
        {1, 1}, {perPage, 1}, {perPage + 1, 2}, {2 * perPage, 2}, {2 * perPage + 1, 3}};
    for (const auto &c : cases) {
        m_view->SetRtfText(lines(c.lines));
        QPrinter printer(QPrinter::HighResolution);
        const QString file = m_dir->filePath(QStringLiteral("p%1.pdf").arg(c.lines));
        pdfPrinter(printer, file);
        QCOMPARE(printAll(*m_view, printer), c.pages);
        if (!tool("pdftotext").isEmpty())
            QCOMPARE(pdfPages(file).size(), c.pages);
    }
}

void TestRichTextViewPrint::printedTextHasEveryLineOnceAndInOrder()
{
    if (tool("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    // A worksheet: Arial header, Courier questions, blank interlines, and a
    // paragraph long enough to wrap over several lines.
    QByteArray markup = oxeln::samples::additions(90).subject;
    markup.insert(markup.indexOf("01/"), QByteArray("Un paragraphe long ").repeated(40) + "<br>");
    m_view->SetRtfText(oxeln::samples::markupToRtf(markup));
    const QString file = m_dir->filePath(QStringLiteral("sujet.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, file);
    const int pages = printAll(*m_view, printer);
    QVERIFY(pages >= 3);

    const QStringList texts = pdfPages(file);
    QCOMPARE(texts.size(), pages);
    QCOMPARE(withoutBlanks(texts.join(QString())), withoutBlanks(m_view->ContentText()));
    // Each page starts with what follows the previous page: numbered lines
    // continue without a gap or a repeat.
    int lastNumber = 0;
    for (const QString &page : texts) {
        const QRegularExpression numbered(QStringLiteral("^(\\d\\d)/"), QRegularExpression::MultilineOption);
        for (auto it = numbered.globalMatch(page); it.hasNext();) {
            const int n = it.next().captured(1).toInt();
            QCOMPARE(n, lastNumber + 1);
            lastNumber = n;
        }
    }
    QCOMPARE(lastNumber, 90);
}

void TestRichTextViewPrint::highlightedAnswersArePrintedYellow()
{
    if (tool("pdftoppm").isEmpty())
        QSKIP("pdftoppm is not installed");
    m_view->SetRtfText(oxeln::samples::markupToRtf(oxeln::samples::additions(4).answer));
    const QString file = m_dir->filePath(QStringLiteral("corrige.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, file);
    QCOMPARE(printAll(*m_view, printer), 1);
    QProcess p;
    p.start(tool("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                               QStringLiteral("-singlefile"), file, m_dir->filePath(QStringLiteral("page"))});
    QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
    const QImage image(m_dir->filePath(QStringLiteral("page.png")));
    QVERIFY(!image.isNull());
    int yellow = 0;
    int yellowRows = 0;
    for (int y = 0; y < image.height(); ++y) {
        int inRow = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() < 80)
                ++inRow;
        }
        yellow += inRow;
        yellowRows += inRow > 0 ? 1 : 0;
    }
    QVERIFY(yellow > 50);
    // Four answer lines: yellow on a few rows each, not over the page.
    QVERIFY(yellowRows < image.height() / 5);
}

void TestRichTextViewPrint::pageShorterThanALineMakesNoProgress()
{
    m_view->SetRtfText(lines(10));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, m_dir->filePath("tiny.pdf"));
    QPainter painter(&printer);
    const QRect page(0, 0, 5000, 40); // 40 twips: a third of a 9-point line
    QRect rect = page;
    const int start = m_view->document()->findBlockByNumber(3).position();
    QCOMPARE(m_view->FormatRange(&painter, &printer, rect, page, start, true), start);
    QCOMPARE(rect.height(), 0);
    // Past the end there is nothing to draw: the end position comes back.
    const int end = m_view->document()->characterCount() - 1;
    rect = pageTwips(printer);
    QCOMPARE(m_view->FormatRange(&painter, &printer, rect, rect, end, true), end);
    QRect fine = pageTwips(printer);
    QCOMPARE(m_view->FormatRange(&painter, &printer, fine, fine, 0, true), end);
}

void TestRichTextViewPrint::contentChangesRefreshTheLayout()
{
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, m_dir->filePath("c.pdf"));
    QPainter painter(&printer);
    const QRect page = pageTwips(printer);
    m_view->SetRtfText(lines(5));
    QRect rect = page;
    QCOMPARE(m_view->FormatRange(&painter, &printer, rect, page, 0, false), m_view->document()->characterCount() - 1);
    // No release in between: the cached layout must not be used for new content.
    m_view->SetRtfText(lines(400));
    rect = page;
    const int next = m_view->FormatRange(&painter, &printer, rect, page, 0, false);
    QVERIFY(next > 0 && next < m_view->document()->characterCount() - 1);
    // Nor after an edit: one more paragraph on top leaves room for one less
    // below, so the page stops at the same paragraph number.
    const int stopBlock = m_view->document()->findBlock(next).blockNumber();
    QTextCursor c(m_view->document());
    c.insertText(QStringLiteral("x\n"));
    rect = page;
    QCOMPARE(m_view->FormatRange(&painter, &printer, rect, page, 0, false),
             m_view->document()->findBlockByNumber(stopBlock).position());
}

void TestRichTextViewPrint::targetOfAnotherResolutionIsScaled()
{
    m_view->SetRtfText(lines(300));
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, m_dir->filePath("s.pdf"));
    const QRect page = pageTwips(printer);
    // A 96-dpi image of the page, laid out with the printer's measures.
    QImage image(page.width() * 96 / 1440, page.height() * 96 / 1440, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QRect rect = page;
    {
        QPainter painter(&image);
        QVERIFY(m_view->FormatRange(&painter, &printer, rect, page, 0, true) > 0);
    }
    const int usedPixels = rect.height() * 96 / 1440;
    int lowestInk = -1;
    int rightmostInk = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                lowestInk = y;
                rightmostInk = qMax(rightmostInk, x);
            }
        }
    }
    QVERIFY2(lowestInk <= usedPixels && lowestInk > usedPixels * 9 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(lowestInk).arg(usedPixels)));
    // "Ligne 0001" in 9-point Courier: about 10 x 5.4 points wide.
    QVERIFY2(rightmostInk > 60 && rightmostInk < 80, qPrintable(QString::number(rightmostInk)));
}

void TestRichTextViewPrint::svgTargetGetsTheText()
{
    m_view->SetRtfText(lines(20, "Ligne\\~"));
    QSvgGenerator svg;
    const QString file = m_dir->filePath(QStringLiteral("page.svg"));
    svg.setFileName(file);
    svg.setResolution(300);
    svg.setSize(QSize(2480, 3508));
    const QRect page(0, 0, 2480 * 1440 / 300, 3508 * 1440 / 300);
    QRect rect = page;
    {
        QPainter painter(&svg);
        QCOMPARE(m_view->FormatRange(&painter, &svg, rect, page, 0, true), m_view->document()->characterCount() - 1);
    }
    QRect none;
    m_view->FormatRange(nullptr, nullptr, none, page, 0, false);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray content = f.readAll();
    QVERIFY(content.contains("Ligne\xc2\xa0" "0001"));
    QVERIFY(content.contains("Ligne\xc2\xa0" "0020"));
}

QTEST_MAIN(TestRichTextViewPrint)
#include "tst_richtextview_print.moc"
