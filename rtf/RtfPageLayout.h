#pragma once

#include <QRect>
#include <QtGlobal>

#include <memory>

class QPaintDevice;
class QPainter;
class QTextDocument;

namespace oxeln {

// A copy of a document laid out for a reference device (a printer, a page
// file) at a given width, cut into pages line by line. Positions count one
// per paragraph break, as QTextCursor positions do.
class RtfPageLayout
{
public:
    // sourceDpi is the resolution the source document's pixel measures
    // (default tab stop, pixel-sized default font) are meant for.
    RtfPageLayout(const QTextDocument &source, QPaintDevice *reference, int widthTwips,
                  qreal sourceDpi, quint64 serial);
    ~RtfPageLayout();
    RtfPageLayout(const RtfPageLayout &) = delete;
    RtfPageLayout &operator=(const RtfPageLayout &) = delete;

    bool matches(const QPaintDevice *reference, int widthTwips, quint64 serial) const;

    // Position after the last character: the result when everything fits.
    int endPosition() const;

    // Fits whole lines from position first into layoutTwips, draws them on
    // target when render is set, shrinks layoutTwips to the height used and
    // returns the first position not drawn. Returns first unchanged when not
    // even one line fits, -1 when target cannot be drawn on.
    int format(QPainter *target, QRect &layoutTwips, int first, bool render);

private:
    std::unique_ptr<QTextDocument> m_document;
    const QPaintDevice *m_reference;
    int m_widthTwips;
    quint64 m_serial;
    qreal m_dpiX;
    qreal m_dpiY;
};

} // namespace oxeln
