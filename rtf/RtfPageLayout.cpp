#include "RtfPageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>
#include <vector>

namespace oxeln {

namespace {

// Lines whose bottom passes the page by less than this still fit: layout
// arithmetic in floating point must not push the last line out.
constexpr qreal kTolerance = 0.01;

} // namespace

RtfPageLayout::RtfPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips,
                             qreal sourceDpi, quint64 serial)
    : m_document(source.clone()), m_reference(reference), m_widthTwips(widthTwips), m_serial(serial),
      m_dpiX(reference->logicalDpiX()), m_dpiY(reference->logicalDpiY())
{
    // Measures in the source's pixels become the reference's: a pixel-sized
    // default font keeps its physical size, and so does the tab stop.
    QFont font = source.defaultFont();
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / sourceDpi);
    m_document->setDefaultFont(font);
    QTextOption option = source.defaultTextOption();
    option.setTabStopDistance(option.tabStopDistance() * m_dpiX / sourceDpi);
    m_document->setDefaultTextOption(option);
    m_document->setDocumentMargin(0);
    m_document->documentLayout()->setPaintDevice(reference);
    m_document->setTextWidth(widthTwips * m_dpiX / 1440.0);
    m_document->documentLayout()->documentSize(); // lay out everything now
}

RtfPageLayout::~RtfPageLayout() = default;

bool RtfPageLayout::matches(const QPaintDevice *reference, int widthTwips, quint64 serial) const
{
    return reference == m_reference && widthTwips == m_widthTwips && serial == m_serial
        && reference->logicalDpiX() == m_dpiX && reference->logicalDpiY() == m_dpiY;
}

int RtfPageLayout::endPosition() const
{
    return m_document->characterCount() - 1;
}

int RtfPageLayout::format(QPainter *target, QRect &layoutTwips, int first, bool render)
{
    const int end = endPosition();
    first = qMax(0, first);
    if (first >= end) {
        layoutTwips.setHeight(0);
        return end;
    }
    QAbstractTextDocumentLayout *docLayout = m_document->documentLayout();
    const qreal available = layoutTwips.height() * m_dpiY / 1440.0;

    QTextBlock block = m_document->findBlock(first);
    int lineIndex = 0;
    if (const QTextLine line = block.layout()->lineForTextPosition(first - block.position()); line.isValid())
        lineIndex = line.lineNumber();

    // The page's lines with where each is drawn, in document coordinates.
    struct PageLine
    {
        QTextLine line;
        QPointF origin;
    };
    std::vector<PageLine> lines;
    qreal top = 0;
    qreal bottom = 0;
    int next = end;
    for (; block.isValid(); block = block.next(), lineIndex = 0) {
        const QTextLayout *tl = block.layout();
        const QPointF origin = docLayout->blockBoundingRect(block).topLeft() - tl->boundingRect().topLeft();
        bool full = false;
        for (int i = lineIndex; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const qreal y = origin.y() + line.y();
            if (lines.empty())
                top = y;
            if (y + line.height() - top > available + kTolerance) {
                next = block.position() + line.textStart();
                full = true;
                break;
            }
            bottom = y + line.height();
            lines.push_back({line, origin});
        }
        if (full)
            break;
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
        target->setClipRect(QRectF(0, top, m_document->textWidth(), bottom - top), Qt::IntersectClip);
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

} // namespace oxeln
