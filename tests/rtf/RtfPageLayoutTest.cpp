// The page layout copies and lays out a few pages at a time: every page must
// cut where, and draw what, the whole document laid out at once gives.
#include "RtfPageLayout.h"
#include "RtfSamples.h"
#include "RtfTestSupport.h"
#include "ViewDocument.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <vector>

using namespace oxeln;
using namespace oxeln::rtftest;

namespace {

// A printer-like reference device at 1200 dpi.
QImage reference1200()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(1200 / 0.0254));
    image.setDotsPerMeterY(qRound(1200 / 0.0254));
    return image;
}

// An answer key of `lines` question lines as a view holds it, then a part
// edited by hand: a centred paragraph, and one long enough to wrap over
// several lines (and pages, when they are short).
std::unique_ptr<QTextDocument> worksheet(int lines)
{
    auto document = NewViewDocument(ViewFont(), 96);
    RtfReader::read(samples::markupToRtf(samples::additions(lines).answer), document.get(), 96);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.insertText(QStringLiteral("Fin de la fiche"));
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(QString(QStringLiteral("mot ")).repeated(3000));
    return document;
}

// Where each page starts, from position 0 to the end, and each page's
// used height.
std::vector<std::pair<int, int>> pages(RtfPageLayout &layout, const QRect &page)
{
    std::vector<std::pair<int, int>> out;
    QImage scratch(8, 8, QImage::Format_RGB32);
    QPainter painter(&scratch);
    for (int position = 0;;) {
        QRect used = page;
        const int next = layout.format(&painter, used, position, false);
        out.emplace_back(position, used.height());
        if (next <= position || next >= layout.endPosition())
            break;
        position = next;
    }
    return out;
}

QImage drawn(RtfPageLayout &layout, const QRect &page, int first)
{
    QImage image(page.width() * 100 / 1440, page.height() * 100 / 1440, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(100 / 0.0254));
    image.setDotsPerMeterY(qRound(100 / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    QRect used = page;
    layout.format(&painter, used, first, true);
    return image;
}

} // namespace

TEST(RtfPageLayout, PagesCutAndDrawAsTheWholeDocumentLaidOutAtOnce)
{
    // Long enough for the copy to be extended many times and started afresh.
    const auto document = worksheet(6000);
    QImage device = reference1200();
    for (const QRect page : {QRect(0, 0, 11906, 16838), QRect(0, 0, 3000, 2000)}) {
        RtfPageLayout windowed(*document, &device, page.width(), 96);
        RtfPageLayout whole(*document, &device, page.width(), 96, true);
        const auto cut = pages(windowed, page);
        ASSERT_GT(cut.size(), 20u);
        EXPECT_EQ(cut, pages(whole, page));
        // Pages drawn out of order: the first, one past a fresh start, the last.
        for (const std::size_t index : {std::size_t(0), cut.size() / 2, cut.size() - 1}) {
            const int first = cut[index].first;
            EXPECT_EQ(drawn(windowed, page, first), drawn(whole, page, first)) << "page " << index;
        }
    }
}

TEST(RtfPageLayout, AnyStartPositionFitsAsInTheWholeDocument)
{
    const auto document = worksheet(400);
    QImage device = reference1200();
    const QRect page(0, 0, 11906, 8000);
    RtfPageLayout windowed(*document, &device, page.width(), 96);
    RtfPageLayout whole(*document, &device, page.width(), 96, true);
    QImage scratch(8, 8, QImage::Format_RGB32);
    QPainter painter(&scratch);
    QRandomGenerator random(42);
    for (int i = 0; i < 200; ++i) {
        const int first = random.bounded(windowed.endPosition() + 2); // the end and past it too
        QRect a = page;
        QRect b = page;
        ASSERT_EQ(windowed.format(&painter, a, first, false), whole.format(&painter, b, first, false)) << first;
        ASSERT_EQ(a, b) << first;
    }
}

TEST(RtfPageLayout, ChangedSourceIsLaidOutAgain)
{
    const auto document = worksheet(20);
    QImage device = reference1200();
    const QRect page(0, 0, 11906, 16838);
    RtfPageLayout &kept = SharedPageLayout(*document, &device, page.width(), 96);
    EXPECT_EQ(&kept, &SharedPageLayout(*document, &device, page.width(), 96)); // shared while unchanged
    EXPECT_TRUE(kept.matches(*document, &device, page.width(), 96));
    EXPECT_FALSE(kept.matches(*document, &device, page.width() - 1, 96));

    QTextCursor(document.get()).insertText(QStringLiteral("x"));
    EXPECT_FALSE(kept.matches(*document, &device, page.width(), 96));
    const int end = SharedPageLayout(*document, &device, page.width(), 96).endPosition();
    EXPECT_EQ(end, document->characterCount() - 1);
    ReleasePageLayout(*document);
}
