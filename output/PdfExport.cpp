#include "PdfExport.h"

#include "PageFlow.h"
#include "PdfFile.h"
#include "Printing.h"
#include "RtfReader.h"
#include "ViewDocument.h"

#include <QTextDocument>

#include <algorithm>

namespace oxeln {

namespace {

// The flow's pages drawn into the file as printing draws them: scaled,
// shifted so that the page's first line is at the top, clipped to the
// lines it holds.
class PdfSink : public FlowSink
{
public:
    PdfSink(PdfFile &file, qreal scale, qreal width, std::function<bool()> afterPage)
        : m_file(file), m_scale(scale), m_width(width), m_afterPage(std::move(afterPage))
    {
    }
    PageFlow *flow = nullptr;

    void page(const std::vector<FlowLine> &lines) override
    {
        const qreal top = lines.empty() ? 0 : lines.front().top;
        const qreal bottom = lines.empty() ? 0 : lines.back().top + lines.back().height;
        m_file.beginPage(m_scale, top, QRectF(0, top, m_width, bottom - top));
        for (const FlowLine &line : lines) {
            for (const FlowFill &fill : line.fills)
                m_file.fill(fill.rect, fill.color);
            // A line of blanks only shows nothing, and reads as nothing.
            if (line.fills.empty()
                && std::all_of(line.runs.cbegin(), line.runs.cend(), [](const FlowGlyphs &run) { return run.blank; }))
                continue;
            for (const FlowGlyphs &run : line.runs)
                m_file.glyphs(run.font, run.color, run.baseline, line.glyphs.data() + run.first,
                              line.x.data() + run.first, run.count);
        }
        m_file.endPage();
        if (m_afterPage && !m_afterPage())
            flow->stop();
    }

private:
    PdfFile &m_file;
    qreal m_scale;
    qreal m_width;
    std::function<bool()> m_afterPage;
};

PdfFile::Options fileOptions(const PdfPages &pages)
{
    PdfFile::Options options;
    options.pageLayout = pages.pageLayout;
    options.resolution = pages.resolution;
    options.title = pages.title;
    options.creator = pages.creator;
    options.grayscale = pages.grayscale;
    return options;
}

// The page a document is laid out in, as printing computes it from its device.
QRect layoutPage(const PdfPages &pages)
{
    if (pages.layoutTwips.isValid())
        return pages.layoutTwips;
    const QRect paint = pages.pageLayout.paintRectPixels(pages.resolution);
    return ScaledPageTwips(QRect(0, 0, paint.width() * 1440 / pages.resolution, paint.height() * 1440 / pages.resolution),
                           pages.scale);
}

template<typename Lay>
std::optional<QByteArray> flowPdf(const QFont &font, const QTextOption &option, qreal indentWidth, qreal sourceDpi,
                                  const PdfPages &pages, Lay layOut)
{
    const QRect page = layoutPage(pages);
    const FlowSettings settings =
        FlowSettings::forView(font, option, indentWidth, sourceDpi, pages.resolution, page.width(), page.height());
    PdfFile file(fileOptions(pages));
    PdfSink sink(file, pages.scale, settings.width, pages.afterPage);
    PageFlow flow(settings, sink);
    sink.flow = &flow;
    if (!layOut(flow))
        return std::nullopt;
    return file.finish();
}

} // namespace

std::optional<QByteArray> FlowPdfBytes(const QTextDocument &document, qreal sourceDpi, const PdfPages &pages)
{
    if (!PageFlow::draws(document))
        return std::nullopt;
    return flowPdf(document.defaultFont(), document.defaultTextOption(), document.indentWidth(), sourceDpi, pages,
                   [&document](PageFlow &flow) { return FlowDocument(document, flow); });
}

std::optional<QByteArray> FlowPdfBytesOfRtf(const QByteArray &rtf, qreal sourceDpi, const PdfPages &pages)
{
    const auto view = NewViewDocument(ViewFont(), sourceDpi);
    return flowPdf(view->defaultFont(), view->defaultTextOption(), view->indentWidth(), sourceDpi, pages,
                   [&rtf, sourceDpi](PageFlow &flow) { return RtfReader::flow(rtf, flow, sourceDpi); });
}

} // namespace oxeln
