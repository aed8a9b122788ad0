#pragma once

#include <QFont>
#include <QMetaObject>
#include <QRect>
#include <QTextOption>
#include <QtGlobal>

#include <memory>

class QPaintDevice;
class QPainter;
class QTextBlock;
class QTextDocument;

namespace oxeln {

// A document laid out for a reference device (a printer, a page file) at a
// given width, cut into pages line by line. Positions count one per
// paragraph break, as QTextCursor positions do.
//
// Only what the pages asked for is laid out: a copy of the paragraphs from
// the page's first one on, extended while a page needs more, so that the
// first pages of a long worksheet cost what a short one costs and printing
// N pages costs N times one page. A document with tables, lists or embedded
// objects, whose paragraphs depend on one another, is copied and laid out
// whole instead.
class RtfPageLayout
{
public:
    // sourceDpi is the resolution the source document's pixel measures
    // (default tab stop, pixel-sized default font) are meant for. The source
    // must outlive the layout or be destroyed only between calls. whole
    // lays the whole document out at once, as for tables and lists.
    RtfPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips, qreal sourceDpi,
                  bool whole = false);
    ~RtfPageLayout();
    RtfPageLayout(const RtfPageLayout &) = delete;
    RtfPageLayout &operator=(const RtfPageLayout &) = delete;

    // Still the layout of this document as it is now, for this device and width.
    bool matches(const QTextDocument &source, const QPaintDevice *reference, int widthTwips, qreal sourceDpi) const;

    // Position after the last character: the result when everything fits.
    int endPosition() const;

    // Fits whole lines from position first into layoutTwips, draws them on
    // target when render is set, shrinks layoutTwips to the height used and
    // returns the first position not drawn. Returns first unchanged when not
    // even one line fits, -1 when target cannot be drawn on.
    int format(QPainter *target, QRect &layoutTwips, int first, bool render);

private:
    void buildWindow(int position);
    bool extendWindow();
    void copyBlocks(int minimumBlocks);

    const QTextDocument *m_source;
    QMetaObject::Connection m_changedConnection;
    QMetaObject::Connection m_destroyedConnection;
    bool m_stale = false; // the source changed or is gone
    QFont m_sourceFont;
    QTextOption m_sourceOption;
    qreal m_sourceDpi;
    int m_end;
    bool m_windowed; // false: the whole document is copied at once

    QPaintDevice *m_reference;
    int m_widthTwips;
    qreal m_dpiX;
    qreal m_dpiY;

    // The copy being laid out: source paragraphs from m_windowStart on,
    // up to m_windowEnd (the position after the last copied paragraph's
    // break); source position = copy position + m_windowStart.
    std::unique_ptr<QTextDocument> m_window;
    int m_windowStart = 0;
    int m_windowEnd = 0;
    int m_nextBlock = 0; // number of the first source paragraph not copied yet
};

// The one page layout kept for a document: reused while the document, the
// reference device and the width stay the same, so that a preview, a print
// job and its copies lay out each page once; dropped with the document.
RtfPageLayout &SharedPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips,
                                qreal sourceDpi);
// Frees the layout kept for the document, if any.
void ReleasePageLayout(const QTextDocument &source);

// FormatRange of a document: fits the content from position first into
// layoutTwips (twips, laid out with the measures of reference; target's
// device when reference is null) and, when render is set, draws it on
// target at layoutTwips' top left, scaled when target's resolution differs.
// layoutTwips is shrunk to the height used. Whole lines only. Returns the
// first position not drawn, the end position when everything fit, first
// unchanged when not even one line fits, -1 when target cannot be drawn on
// or the rectangle has no width. With target null it releases the kept
// layout and returns 0.
int FormatRange(QPainter *target, QPaintDevice *reference, const QTextDocument &source, qreal sourceDpi,
                QRect &layoutTwips, int first, bool render);

} // namespace oxeln
