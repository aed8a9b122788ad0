// The page flow must cut and draw pages as the page layout of the whole
// document does: same pages, text at the same places in the same colours,
// same fills, on real worksheets and on what a teacher's edits add.
#include "Composition.h"
#include "DrawRecorder.h"
#include "MarkupToRtf.h"
#include "PageFlow.h"
#include "RtfPageLayout.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace oxeln;

namespace {

constexpr qreal kViewDpi = 96;
const QRect kPage(0, 0, 11337, 16044); // 200 x 283 mm, in twips

// Text drawn in one colour along one baseline without a gap, and fills.
struct Run
{
    qreal y = 0, x0 = 0, x1 = 0;
    QColor color;
    qsizetype glyphs = 0;
};
struct Page
{
    std::vector<Run> runs;
    std::vector<FlowFill> fills;
};

bool near(qreal a, qreal b, qreal tolerance = 0.002)
{
    return qAbs(a - b) <= tolerance;
}

void add(std::vector<Run> &runs, Run run)
{
    if (!runs.empty() && near(runs.back().y, run.y) && runs.back().color == run.color && near(runs.back().x1, run.x0)) {
        runs.back().x1 = run.x1;
        runs.back().glyphs += run.glyphs;
    } else {
        runs.push_back(run);
    }
}

void add(std::vector<FlowFill> &fills, FlowFill fill)
{
    if (!fills.empty() && fills.back().color == fill.color && fills.back().rect.top() == fill.rect.top()
        && near(fills.back().rect.right(), fill.rect.left(), 1.0))
        fills.back().rect.setRight(fill.rect.right());
    else
        fills.push_back(fill);
}

QColor shown(const QColor &color)
{
    return color.isValid() ? color : QColor(Qt::black);
}

// The pages as RtfPageLayout cuts and draws them.
std::vector<Page> laidOutWhole(const QTextDocument &document)
{
    RecordingDevice device(1200);
    QPainter painter(&device);
    RtfPageLayout layout(document, &device, kPage.width(), kViewDpi, true);
    std::vector<Page> pages;
    for (int position = 0;;) {
        DrawRecorder &recorder = device.recorder();
        recorder.texts.clear();
        recorder.fills.clear();
        QRect used = kPage;
        const int next = layout.format(&painter, used, position, true);
        Page page;
        for (const DrawnText &text : recorder.texts) {
            if (!text.text.isEmpty())
                add(page.runs, {text.origin.y(), text.origin.x(), text.origin.x() + text.width, shown(text.color),
                                text.text.size()});
        }
        for (const FlowFill &fill : recorder.fills)
            add(page.fills, fill);
        pages.push_back(page);
        if (next <= position || next >= layout.endPosition())
            break;
        position = next;
    }
    return pages;
}

class Pages : public FlowSink
{
public:
    void page(const std::vector<FlowLine> &lines) override
    {
        Page page;
        const qreal top = lines.empty() ? 0 : lines.front().top;
        for (const FlowLine &line : lines) {
            for (FlowFill fill : line.fills) {
                fill.rect.translate(0, -top);
                add(page.fills, fill);
            }
            for (const FlowGlyphs &run : line.runs) {
                const std::size_t end = run.first + run.count - 1;
                const qreal last = run.font.advancesForGlyphIndexes({line.glyphs[end]}).first().x();
                add(page.runs, {run.baseline - top, line.x[run.first], line.x[end] + last, shown(run.color),
                                qsizetype(run.count)});
            }
        }
        pages.push_back(page);
    }
    std::vector<Page> pages;
};

FlowSettings settingsOf(const QTextDocument &document)
{
    return FlowSettings::forView(document.defaultFont(), document.defaultTextOption(), document.indentWidth(),
                                 kViewDpi, 1200, kPage.width(), kPage.height());
}

void expectSamePages(const std::vector<Page> &expected, const std::vector<Page> &actual)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t p = 0; p < expected.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        std::vector<Run> a = actual[p].runs;
        std::vector<Run> e = expected[p].runs;
        const auto byPlace = [](const Run &l, const Run &r) { return l.y < r.y - 0.01 || (near(l.y, r.y, 0.01) && l.x0 < r.x0); };
        std::sort(a.begin(), a.end(), byPlace);
        std::sort(e.begin(), e.end(), byPlace);
        ASSERT_EQ(a.size(), e.size());
        for (std::size_t i = 0; i < e.size(); ++i) {
            EXPECT_TRUE(near(a[i].y, e[i].y) && near(a[i].x0, e[i].x0) && near(a[i].x1, e[i].x1, 0.01))
                << "run " << i << ": " << a[i].x0 << "-" << a[i].x1 << " at " << a[i].y << ", expected " << e[i].x0
                << "-" << e[i].x1 << " at " << e[i].y;
            EXPECT_EQ(a[i].color, e[i].color) << "run " << i;
            EXPECT_EQ(a[i].glyphs, e[i].glyphs) << "run " << i;
        }
        ASSERT_EQ(actual[p].fills.size(), expected[p].fills.size());
        for (std::size_t i = 0; i < expected[p].fills.size(); ++i) {
            const QRectF ra = actual[p].fills[i].rect;
            const QRectF re = expected[p].fills[i].rect;
            EXPECT_TRUE(near(ra.top(), re.top()) && near(ra.height(), re.height()) && near(ra.left(), re.left(), 1.0)
                        && near(ra.right(), re.right(), 1.0))
                << "fill " << i;
            EXPECT_EQ(actual[p].fills[i].color, expected[p].fills[i].color);
        }
    }
}

std::unique_ptr<QTextDocument> read(const std::string &rtf)
{
    auto document = NewViewDocument(ViewFont(), kViewDpi);
    RtfReader::read(QByteArray::fromStdString(rtf), document.get(), kViewDpi);
    return document;
}

// Every drill, 40 lines each, chained: both documents' RTF; odd seeds in
// the simplified writing.
std::pair<std::string, std::string> realWorksheet(std::uint32_t seed)
{
    compose::ComposeOptions options;
    options.seed = seed;
    options.lineCount = 40;
    if (seed % 2)
        options.drillOptions.writing = Writing::Simplified;
    for (const Drill drill : AllDrills)
        options.steps.push_back({drill});
    const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
    return {MarkupToRtf(sheet.subject), MarkupToRtf(sheet.answer)};
}

} // namespace

TEST(PageFlow, RealWorksheetsFromTheDocumentAndFromTheirRtf)
{
    for (const std::uint32_t seed : {7u, 2024u}) {
        const auto [subject, answer] = realWorksheet(seed);
        for (const std::string &rtf : {subject, answer}) {
            const auto document = read(rtf);
            const std::vector<Page> expected = laidOutWhole(*document);
            ASSERT_GT(expected.size(), 8u);
            ASSERT_TRUE(PageFlow::draws(*document));
            {
                Pages pages;
                PageFlow flow(settingsOf(*document), pages);
                ASSERT_TRUE(FlowDocument(*document, flow));
                expectSamePages(expected, pages.pages);
            }
            Pages pages;
            const auto empty = NewViewDocument(ViewFont(), kViewDpi);
            PageFlow flow(settingsOf(*empty), pages);
            ASSERT_TRUE(RtfReader::flow(QByteArray::fromStdString(rtf), flow, kViewDpi));
            expectSamePages(expected, pages.pages);
        }
    }
}

// What editing adds: other fonts and styles, subscripts, tabs, a centred
// paragraph, wrapped ones (words, and a number too long for a line), line
// breaks, no-break spaces, characters beyond Windows-1252, and empty
// paragraphs at the end of a page and of the document.
TEST(PageFlow, HandEditedParagraphs)
{
    const auto document = read(realWorksheet(11).second);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat courier;
    courier.setFontFamilies({QStringLiteral("Courier New")});
    courier.setFontPointSize(9);
    QTextCharFormat bold = courier;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat sub = courier;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    QTextCharFormat arial;
    arial.setFontFamilies({QStringLiteral("Arial")});
    arial.setFontPointSize(12);
    arial.setForeground(QColor(200, 0, 0));
    QTextCharFormat yellow = arial;
    yellow.setBackground(QColor(255, 255, 0));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(QTextBlockFormat(), courier);
    cursor.insertText(QStringLiteral("Fin : "), courier);
    cursor.insertText(QStringLiteral("gras"), bold);
    cursor.insertText(QStringLiteral("H"), courier);
    cursor.insertText(QStringLiteral("2"), sub);
    cursor.insertText(QStringLiteral("O\t\u00e9t\u00e9\u00a0: 5 \u20ac \u2192 \u03c9"), courier);
    cursor.insertBlock(centred, arial);
    cursor.insertText(QStringLiteral("Centr\u00e9 en rouge, "), arial);
    cursor.insertText(QStringLiteral("surlign\u00e9"), yellow);
    cursor.insertBlock(QTextBlockFormat(), courier);
    cursor.insertText(QString(QStringLiteral("(-123) x (+456) = ")).repeated(7), courier);
    cursor.insertBlock(QTextBlockFormat(), arial);
    cursor.insertText(QString(QStringLiteral("mot ")).repeated(400) + QString(300, QLatin1Char('9')), arial);
    cursor.insertBlock(QTextBlockFormat(), courier);
    cursor.insertText(QStringLiteral("ligne\u2028suivante"), courier);
    for (int i = 0; i < 60; ++i)
        cursor.insertBlock(QTextBlockFormat(), i % 2 ? courier : arial);
    ASSERT_TRUE(PageFlow::draws(*document));
    const std::vector<Page> expected = laidOutWhole(*document);
    Pages pages;
    PageFlow flow(settingsOf(*document), pages);
    ASSERT_TRUE(FlowDocument(*document, flow));
    expectSamePages(expected, pages.pages);
}

// Short pages: one that ends exactly on the last line, and one shorter
// than a line, which ends the flow with a blank page.
TEST(PageFlow, PageEndsAsTheLayoutCutsThem)
{
    const auto document = read(realWorksheet(3).first);
    for (const int height : {2000, 170 * 1440 / 1200, 100}) {
        SCOPED_TRACE(height);
        RecordingDevice device(1200);
        QPainter painter(&device);
        RtfPageLayout layout(*document, &device, kPage.width(), kViewDpi, true);
        std::vector<int> starts;
        for (int position = 0;;) {
            QRect used(0, 0, kPage.width(), height);
            const int next = layout.format(&painter, used, position, false);
            starts.push_back(position);
            if (next <= position || next >= layout.endPosition())
                break;
            position = next;
        }
        Pages pages;
        FlowSettings settings = settingsOf(*document);
        settings.pageHeight = height * 1200 / 1440.0;
        PageFlow flow(settings, pages);
        ASSERT_TRUE(FlowDocument(*document, flow));
        EXPECT_EQ(pages.pages.size(), starts.size());
        if (height == 100) {
            EXPECT_TRUE(pages.pages.front().runs.empty());
        }
    }
}

TEST(PageFlow, FormatsItCannotDrawAreRefused)
{
    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    EXPECT_FALSE(PageFlow::draws(underlined));
    QTextCharFormat spaced;
    spaced.setFontLetterSpacing(120);
    EXPECT_FALSE(PageFlow::draws(spaced));
    QTextBlockFormat indented;
    indented.setLeftMargin(20);
    EXPECT_FALSE(PageFlow::draws(indented));
    const auto document = read(realWorksheet(5).first);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    cursor.insertList(QTextListFormat::ListDisc);
    EXPECT_FALSE(PageFlow::draws(*document));
}
