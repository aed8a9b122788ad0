#include "PageFlowImpl.h"

#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace oxeln {

namespace {

// As RtfPageLayout: a line passing the page by less than this still fits.
constexpr qreal kTolerance = 0.01;

} // namespace

using flow::plainCharacter;

quint32 PageFlow::Impl::glyphOf(const Format &format, char16_t c) const
{
    if (c < 0x100)
        return format.glyphs[c];
    const QList<quint32> index = format.font.glyphIndexesForString(QString(QChar(c)));
    return index.size() == 1 ? index.first() : 0;
}

// A paragraph all in fixed-pitch fonts: its glyphs one pitch apart. On one
// line when it fits well inside; else cut where the toolkit cuts it, when
// its lines can be told (false otherwise: it is not such a paragraph).

bool PageFlow::Impl::placeFixedPitch(const FlowParagraph &paragraph)
{
    if (paragraph.text.isEmpty()) {
        const LineMeasure &measure = emptyLineMeasure(paragraph.mark);
        FlowLine line = newLine();
        line.top = y;
        line.height = measure.height;
        place(std::move(line), measure.advance, true);
        return true;
    }
    if (paragraph.alignment && (*paragraph.alignment & Qt::AlignHorizontal_Mask) != Qt::AlignLeft)
        return false;
    if (settings.option.alignment() & (Qt::AlignHorizontal_Mask & ~Qt::AlignLeft))
        return false;
    qreal width = 0;
    qreal inked = 0; // up to the last character that is not a blank
    for (const FlowParagraph::Run &run : paragraph.runs) {
        const Format &format = formats[std::size_t(run.format)];
        if (!format.fixed)
            return false;
        for (int i = run.start; i < run.start + run.length; ++i) {
            const char16_t c = paragraph.text.at(i).unicode();
            if (!plainCharacter(c) || glyphOf(format, c) == 0)
                return false;
            width += format.pitch;
            if (c != u' ')
                inked = width + format.bearing;
        }
    }
    // Blanks at the end that may or may not fit: the toolkit decides.
    const auto unsure = [this](qreal lineWidth) {
        return lineWidth + 1 >= settings.width && lineWidth <= settings.width + 1;
    };
    if (inked + 1 < settings.width) {
        if (unsure(width))
            return false;
        placeLine(paragraph, 0, paragraph.text.size(), width, true);
        return true;
    }

    // Wrapped: the toolkit's line breaks, each line then placed as above.
    QTextLayout layout(paragraph.text, settings.font, &device);
    QTextOption option = settings.option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    layout.setTextOption(option);
    QList<QTextLayout::FormatRange> ranges;
    for (const FlowParagraph::Run &run : paragraph.runs)
        ranges.append({run.start, run.length, formats[std::size_t(run.format)].format});
    layout.setFormats(ranges);
    layout.beginLayout();
    std::vector<std::pair<int, int>> lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(settings.width);
        // The document's layout would cut this line again, otherwise.
        if (line.naturalTextWidth() > settings.width || line.x() != 0)
            return false;
        lines.emplace_back(line.textStart(), line.textLength());
    }
    layout.endLayout();
    std::vector<qreal> widths;
    for (const auto &[from, length] : lines) {
        qreal lineWidth = 0;
        for (int c = from; c < from + length; ++c)
            lineWidth += formats[std::size_t(formatAt(paragraph, c))].pitch;
        widths.push_back(lineWidth);
    }
    if (lines.empty() || unsure(widths.back()))
        return false;
    for (std::size_t i = 0; i < lines.size(); ++i)
        placeLine(paragraph, lines[i].first, lines[i].first + lines[i].second, widths[i], i + 1 == lines.size());
    return true;
}

int PageFlow::Impl::formatAt(const FlowParagraph &paragraph, int position) const
{
    for (const FlowParagraph::Run &run : paragraph.runs) {
        if (position >= run.start && position < run.start + run.length)
            return run.format;
    }
    return 0;
}

// The characters [from, to) of a paragraph, width wide, as one line; blanks
// at its end drawn only when they fit (the last line) or never (the others).
void PageFlow::Impl::placeLine(const FlowParagraph &paragraph, qsizetype from, qsizetype to, qreal width, bool last)
{
    qsizetype drawn = to;
    if (!last || width + 1 >= settings.width) {
        while (drawn > from && paragraph.text.at(drawn - 1) == QLatin1Char(' '))
            --drawn;
    }
    std::vector<int> &ids = m_ids;
    ids.clear();
    for (const FlowParagraph::Run &run : paragraph.runs) {
        if (run.start < to && run.start + run.length > from)
            ids.push_back(run.format);
    }
    const LineMeasure &measure = lineMeasure(ids);
    FlowLine line = newLine();
    line.top = y;
    line.height = measure.height;
    qreal x = 0;
    for (FlowParagraph::Run run : paragraph.runs) {
        const qsizetype start = qMax<qsizetype>(run.start, from);
        const qsizetype end = qMin<qsizetype>(run.start + run.length, drawn);
        if (end <= start)
            continue;
        const Format &format = formats[std::size_t(run.format)];
        if (format.background.isValid())
            line.fills.push_back({QRectF(std::floor(x), std::floor(line.top), (end - start) * format.pitch, line.height),
                                  format.background});
        const qreal baseline = line.top + measure.baseline + format.shift;
        if (line.runs.empty() || line.runs.back().font != format.font || line.runs.back().color != format.color
            || line.runs.back().baseline != baseline)
            line.runs.push_back({format.font, format.color, baseline, line.glyphs.size(), 0, true});
        for (qsizetype i = start; i < end; ++i) {
            const char16_t c = paragraph.text.at(i).unicode();
            line.runs.back().blank = line.runs.back().blank && c == u' ';
            line.glyphs.push_back(glyphOf(format, c));
            line.x.push_back(x);
            x += format.pitch;
        }
        line.runs.back().count = line.glyphs.size() - line.runs.back().first;
    }
    place(std::move(line), last ? measure.advance : measure.lineAdvance, false);
}

// Any other paragraph: laid out by the toolkit in a document of its own,
// its lines drawn on the recorder for their baselines, colours and fills.

void PageFlow::Impl::place(FlowLine &&line, qreal advance, bool lastEmpty)
{
    y += advance;
    if (ended)
        return;
    if (pending)
        startPage(std::move(*std::exchange(pending, std::nullopt)));
    if (ended)
        return;
    if (page.empty()) {
        startPage(std::move(line));
        return;
    }
    if (line.top + line.height - pageTop > settings.pageHeight + kTolerance) {
        flushPage();
        pending = std::move(line);
        pendingLastEmpty = lastEmpty;
        return;
    }
    page.push_back(std::move(line));
}

void PageFlow::Impl::startPage(FlowLine &&line)
{
    pageTop = line.top;
    if (line.height > settings.pageHeight + kTolerance) {
        // Not one line fits: the page stays blank and the flow ends there.
        flushPage();
        ended = true;
        return;
    }
    page.push_back(std::move(line));
}

void PageFlow::Impl::flushPage()
{
    sink.page(page);
    for (FlowLine &line : page)
        spare.push_back(std::move(line));
    page.clear();
}

FlowLine PageFlow::Impl::newLine()
{
    if (spare.empty())
        return {};
    FlowLine line = std::move(spare.back());
    spare.pop_back();
    line.fills.clear();
    line.runs.clear();
    line.glyphs.clear();
    line.x.clear();
    return line;
}


PageFlow::PageFlow(const FlowSettings &settings, FlowSink &sink) : m_impl(std::make_unique<Impl>(settings, sink)) {}

PageFlow::~PageFlow() = default;


void PageFlow::setViewTabStop(qreal distance)
{
    m_impl->settings.option.setTabStopDistance(distance * m_impl->settings.dpi / m_impl->settings.sourceDpi);
    m_impl->lineMeasures.clear();
    m_impl->work.reset();
    m_impl->measuring.reset();
}

void PageFlow::add(const FlowParagraph &paragraph)
{
    if (m_impl->failed)
        return;
    if (!m_impl->placeFixedPitch(paragraph))
        m_impl->layOut(paragraph);
}

bool PageFlow::finish()
{
    Impl &d = *m_impl;
    if (d.pending && !d.pendingLastEmpty && !d.ended)
        d.startPage(std::move(*std::exchange(d.pending, std::nullopt)));
    if (!d.ended && (!d.page.empty() || !d.pending))
        d.flushPage();
    return !d.failed;
}

void PageFlow::stop()
{
    m_impl->ended = true;
}

bool PageFlow::done() const
{
    return m_impl->failed || m_impl->ended;
}


} // namespace oxeln
