#pragma once

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QTextCharFormat>
#include <QTextOption>

#include <memory>
#include <optional>
#include <vector>

class QByteArray;
class QTextBlockFormat;
class QTextDocument;

namespace oxeln {

// A paragraph for PageFlow: its text in runs of one character format each
// (formats registered with the flow), the format of its mark and its
// alignment (none: the document's).
struct FlowParagraph
{
    struct Run
    {
        int start = 0;
        int length = 0;
        int format = 0;
    };
    QString text;
    std::vector<Run> runs;
    int mark = 0;
    std::optional<Qt::Alignment> alignment;
};

// Glyphs of one font and colour on one baseline, in the flow's pixels:
// count of the line's glyphs from first on.
struct FlowGlyphs
{
    QRawFont font; // at its pixel size
    QColor color;  // invalid: the default
    qreal baseline = 0;
    std::size_t first = 0;
    std::size_t count = 0;
    bool blank = false; // spaces only
};

struct FlowFill
{
    QRectF rect;
    QColor color;
};

// What one line draws, fills first, y counted from the document's top.
struct FlowLine
{
    qreal top = 0;
    qreal height = 0;
    std::vector<FlowFill> fills;
    std::vector<FlowGlyphs> runs;
    std::vector<quint32> glyphs; // of all its runs, in order
    std::vector<qreal> x;        // of each glyph's origin
};

// Where the pages go, one at a time; lines in the order drawn.
class FlowSink
{
public:
    virtual ~FlowSink() = default;
    virtual void page(const std::vector<FlowLine> &lines) = 0;
};

struct FlowSettings
{
    qreal sourceDpi = 96;  // of the view whose document is laid out
    qreal dpi = 1200;      // of the device laid out for
    qreal width = 0;       // of a line, in its pixels
    qreal pageHeight = 0;  // room for lines on a page
    QFont font;            // the document's default font
    QTextOption option;    // the document's default text option
    qreal indentWidth = 40;

    // A view's document laid out as RtfPageLayout lays it out on a device of
    // dpi, widthTwips wide, heightTwips high: its pixel-sized font and tab
    // stop keep their physical size.
    static FlowSettings forView(const QFont &font, const QTextOption &option, qreal indentWidth, qreal sourceDpi,
                                qreal dpi, int widthTwips, int heightTwips);
};

// Lays paragraphs out and cuts them into pages as RtfPageLayout does with a
// document made of them, without building the document: whole lines only,
// each page holding the lines that fit from where the last one stopped, a
// last empty paragraph that would start a page left out, a page too short
// for its first line ending the flow. The metrics of lines and formats are
// Qt's own, measured on small documents of one paragraph each; a paragraph
// in fixed-pitch fonts that fits on one line is then placed without being
// shaped, any other is laid out by the toolkit.
//
// Only what PageFlow::draws() accepts can be laid out: documents with other
// formats, tables, lists or objects are laid out by RtfPageLayout instead.
class PageFlow
{
public:
    PageFlow(const FlowSettings &settings, FlowSink &sink);
    ~PageFlow();
    PageFlow(const PageFlow &) = delete;
    PageFlow &operator=(const PageFlow &) = delete;

    // Whether the flow can draw a document of these formats.
    static bool draws(const QTextCharFormat &format);
    static bool draws(const QTextBlockFormat &format);
    static bool draws(const QTextDocument &document);

    // A format's number for the paragraphs' runs and marks. The fonts must
    // be the toolkit's own, not synthesized, or the flow fails.
    int addFormat(const QTextCharFormat &format);
    // The view's tab stop distance (in its pixels), from now on.
    void setViewTabStop(qreal distance);

    void add(const FlowParagraph &paragraph);
    // The last page. Whether every page could be made: false when a font
    // is one the flow cannot draw.
    bool finish();
    // No more pages, from a sink between two: what follows is dropped.
    void stop();
    // Failed, stopped or ended by a page too short: nothing more is drawn.
    bool done() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// The view's document through a flow; false when the flow failed.
bool FlowDocument(const QTextDocument &document, PageFlow &flow);

} // namespace oxeln
