#include "RtfPageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace oxeln {

namespace {

// Lines whose bottom passes the page by less than this still fit: layout
// arithmetic in floating point must not push the last line out.
constexpr qreal kTolerance = 0.01;

// Paragraphs copied at a time: a few pages of a worksheet.
constexpr int kChunkBlocks = 256;
// A copy grown past this (about two hundred pages of a worksheet, some ten
// megabytes) is started afresh at the next page asked for, so that
// printing a long document keeps that much laid out, not all of it; below,
// the copies of a print job reuse every page.
constexpr int kMaxWindowBlocks = 64 * kChunkBlocks;

// Whether each paragraph lays out the same whatever comes before it: no
// tables or frames, no lists (numbering), no embedded objects.
bool paragraphsStandAlone(const QTextDocument &document)
{
    if (!document.rootFrame()->childFrames().isEmpty())
        return false;
    const QList<QTextFormat> formats = document.allFormats();
    return std::none_of(formats.cbegin(), formats.cend(), [](const QTextFormat &format) {
        return format.isListFormat() || format.isTableFormat() || format.isImageFormat()
            || format.objectType() != QTextFormat::NoObject;
    });
}

bool sameOption(const QTextOption &a, const QTextOption &b)
{
    return a.tabStopDistance() == b.tabStopDistance() && a.wrapMode() == b.wrapMode()
        && a.alignment() == b.alignment() && a.flags() == b.flags() && a.textDirection() == b.textDirection()
        && a.useDesignMetrics() == b.useDesignMetrics();
}

} // namespace

RtfPageLayout::RtfPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips,
                             qreal sourceDpi, bool whole)
    : m_source(&source), m_sourceFont(source.defaultFont()), m_sourceOption(source.defaultTextOption()),
      m_sourceDpi(sourceDpi), m_end(source.characterCount() - 1), m_windowed(!whole && paragraphsStandAlone(source)),
      m_reference(reference), m_widthTwips(widthTwips), m_dpiX(reference->logicalDpiX()),
      m_dpiY(reference->logicalDpiY())
{
    // A document tells its changes only once it has a layout (which does
    // nothing until it is given a width).
    source.documentLayout();
    m_changedConnection = QObject::connect(&source, &QTextDocument::contentsChange, [this] { m_stale = true; });
    m_destroyedConnection = QObject::connect(&source, &QObject::destroyed, [this] {
        m_stale = true;
        m_source = nullptr;
    });
}

RtfPageLayout::~RtfPageLayout()
{
    QObject::disconnect(m_changedConnection);
    QObject::disconnect(m_destroyedConnection);
}

bool RtfPageLayout::matches(const QTextDocument &source, const QPaintDevice *reference, int widthTwips,
                            qreal sourceDpi) const
{
    return !m_stale && &source == m_source && reference == m_reference && widthTwips == m_widthTwips
        && sourceDpi == m_sourceDpi && reference->logicalDpiX() == m_dpiX && reference->logicalDpiY() == m_dpiY
        && source.defaultFont() == m_sourceFont && sameOption(source.defaultTextOption(), m_sourceOption);
}

int RtfPageLayout::endPosition() const
{
    return m_end;
}

void RtfPageLayout::buildWindow(int position)
{
    m_window.reset();
    const QTextDocument &source = *m_source;
    std::unique_ptr<QTextDocument> window(m_windowed ? new QTextDocument : source.clone());
    window->setUndoRedoEnabled(false);
    // Measures in the source's pixels become the reference's: a pixel-sized
    // default font keeps its physical size, and so does the tab stop.
    QFont font = source.defaultFont();
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / m_sourceDpi);
    window->setDefaultFont(font);
    QTextOption option = m_sourceOption;
    option.setTabStopDistance(option.tabStopDistance() * m_dpiX / m_sourceDpi);
    window->setDefaultTextOption(option);
    window->setIndentWidth(source.indentWidth());
    window->setDocumentMargin(0);
    window->documentLayout()->setPaintDevice(m_reference);
    window->setTextWidth(m_widthTwips * m_dpiX / 1440.0);
    m_window = std::move(window);

    if (!m_windowed) {
        m_windowStart = 0;
        m_windowEnd = m_end + 1;
        return;
    }
    const QTextBlock first = source.findBlock(position);
    m_windowStart = first.position();
    m_windowEnd = m_windowStart;
    m_nextBlock = first.blockNumber();
    copyBlocks(kChunkBlocks);
}

bool RtfPageLayout::extendWindow()
{
    if (!m_windowed || m_windowEnd > m_end)
        return false;
    copyBlocks(kChunkBlocks);
    return true;
}

void RtfPageLayout::copyBlocks(int count)
{
    // Paragraph by paragraph with their formats, the paragraph mark's too:
    // an empty paragraph takes its height from it.
    QTextCursor cursor(m_window.get());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    bool firstOfWindow = m_windowEnd == m_windowStart;
    QTextBlock block = m_source->findBlockByNumber(m_nextBlock);
    for (int copied = 0; block.isValid() && copied < count; ++copied, block = block.next()) {
        if (firstOfWindow) {
            cursor.setBlockFormat(block.blockFormat());
            cursor.setBlockCharFormat(block.charFormat());
            firstOfWindow = false;
        } else {
            cursor.insertBlock(block.blockFormat(), block.charFormat());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                cursor.insertText(fragment.text(), fragment.charFormat());
        }
        ++m_nextBlock;
        m_windowEnd = block.position() + block.length();
    }
    cursor.endEditBlock();
}

int RtfPageLayout::format(QPainter *target, QRect &layoutTwips, int first, bool render)
{
    const int end = m_end;
    first = qMax(0, first);
    if (first >= end) {
        layoutTwips.setHeight(0);
        return end;
    }
    if (!m_window || first < m_windowStart || first >= m_windowEnd
        || (m_windowed && first > m_windowStart && m_window->blockCount() > kMaxWindowBlocks)) {
        buildWindow(first);
    }
    QAbstractTextDocumentLayout *docLayout = m_window->documentLayout();
    const qreal available = layoutTwips.height() * m_dpiY / 1440.0;

    const int local = first - m_windowStart;
    QTextBlock block = m_window->findBlock(local);
    docLayout->blockBoundingRect(block); // lays the copy out up to this paragraph
    int lineIndex = 0;
    if (const QTextLine line = block.layout()->lineForTextPosition(local - block.position()); line.isValid())
        lineIndex = line.lineNumber();

    // The page's lines with where each is drawn, in the copy's coordinates.
    struct PageLine
    {
        QTextLine line;
        QPointF origin;
    };
    std::vector<PageLine> lines;
    qreal top = 0;
    qreal bottom = 0;
    int next = end;
    while (block.isValid()) {
        const QRectF bounds = docLayout->blockBoundingRect(block);
        const QTextLayout *tl = block.layout();
        const QPointF origin = bounds.topLeft() - tl->boundingRect().topLeft();
        bool full = false;
        for (int i = lineIndex; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const qreal y = origin.y() + line.y();
            if (lines.empty())
                top = y;
            if (y + line.height() - top > available + kTolerance) {
                next = m_windowStart + block.position() + line.textStart();
                full = true;
                break;
            }
            bottom = y + line.height();
            lines.push_back({line, origin});
        }
        if (full)
            break;
        QTextBlock following = block.next();
        if (!following.isValid() && extendWindow())
            following = block.next();
        block = following;
        lineIndex = 0;
    }
    if (lines.empty()) {
        // Not one line fits: no progress, which callers take as the end.
        layoutTwips.setHeight(0);
        return first;
    }
    layoutTwips.setHeight(int(std::ceil((bottom - top) * 1440.0 / m_dpiY)));

    if (render && target) {
        QPaintDevice *device = target->device();
        if (!device || !target->isActive())
            return -1;
        const qreal targetDpiX = device->logicalDpiX();
        const qreal targetDpiY = device->logicalDpiY();
        target->save();
        target->translate(layoutTwips.x() * targetDpiX / 1440.0, layoutTwips.y() * targetDpiY / 1440.0);
        target->scale(targetDpiX / m_dpiX, targetDpiY / m_dpiY);
        target->translate(0, -top);
        target->setClipRect(QRectF(0, top, m_window->textWidth(), bottom - top), Qt::IntersectClip);
        target->setPen(Qt::black);
        // Line by line, not the whole layout: the layout would also emit the
        // neighbouring pages' lines of a paragraph split by the page break,
        // clipped on paper but still present as text in a PDF or SVG.
        for (const PageLine &page : lines)
            page.line.draw(target, page.origin);
        target->restore();
    }
    return next;
}

namespace {

struct Kept
{
    std::unique_ptr<RtfPageLayout> layout;
    QMetaObject::Connection destroyed;
};

std::unordered_map<const QTextDocument *, Kept> &kept()
{
    static std::unordered_map<const QTextDocument *, Kept> layouts;
    return layouts;
}

} // namespace

RtfPageLayout &SharedPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips,
                                qreal sourceDpi)
{
    Kept &entry = kept()[&source];
    if (!entry.layout || !entry.layout->matches(source, reference, widthTwips, sourceDpi)) {
        entry.layout.reset();
        entry.layout = std::make_unique<RtfPageLayout>(source, reference, widthTwips, sourceDpi);
    }
    if (!entry.destroyed) {
        const QTextDocument *document = &source;
        entry.destroyed = QObject::connect(&source, &QObject::destroyed, [document] { kept().erase(document); });
    }
    return *entry.layout;
}

void ReleasePageLayout(const QTextDocument &source)
{
    const auto found = kept().find(&source);
    if (found == kept().end())
        return;
    QObject::disconnect(found->second.destroyed);
    kept().erase(found);
}

int FormatRange(QPainter *target, QPaintDevice *reference, const QTextDocument &source, qreal sourceDpi,
                QRect &layoutTwips, int first, bool render)
{
    if (!target) {
        ReleasePageLayout(source);
        return 0;
    }
    if (!reference)
        reference = target->device();
    if (!reference || reference->logicalDpiX() <= 0 || reference->logicalDpiY() <= 0 || layoutTwips.width() <= 0)
        return -1;
    return SharedPageLayout(source, reference, layoutTwips.width(), sourceDpi)
        .format(target, layoutTwips, first, render);
}

} // namespace oxeln
