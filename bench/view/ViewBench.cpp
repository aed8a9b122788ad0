// The view's costs on real worksheets: reading RTF into a shown view (parse,
// build, lay out and paint what is visible) from scratch and as the next
// drill of a chained worksheet, the same content through QTextEdit::setHtml
// for comparison, and writing RTF.
#include "QtBenchMain.h"
#include "RichTextView.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "WorksheetDocuments.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <map>

using namespace oxeln;

namespace {

constexpr QSize kViewSize(724, 143); // the answer view in the window

const bench::WorksheetRtf &sheet(int drills)
{
    static std::map<int, bench::WorksheetRtf> cache;
    auto it = cache.find(drills);
    if (it == cache.end())
        it = cache.emplace(drills, bench::chainedWorksheet(drills)).first;
    return it->second;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_SetRtfTextShown(benchmark::State &state)
{
    const QByteArray &rtf = sheet(int(state.range(0))).answer;
    RichTextView view;
    view.resize(kViewSize);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        view.ClearContent(); // a full reading, not the continuation of the same RTF
        settle();
        state.ResumeTiming();
        view.SetRtfText(rtf);
        view.viewport()->repaint(); // lays out and paints the visible part
    }
    state.counters["rtf_bytes"] = double(rtf.size());
    state.counters["paragraphs"] = view.document()->blockCount();
}

// The next drill of a chained worksheet: the view holds the worksheet
// without its last drill, then gets the whole of it.
void BM_SetRtfTextNextDrill(benchmark::State &state)
{
    const int drills = int(state.range(0));
    const QByteArray &before = sheet(drills - 1).answer;
    const QByteArray &after = sheet(drills).answer;
    RichTextView view;
    view.resize(kViewSize);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        view.ClearContent();
        view.SetRtfText(before);
        view.viewport()->repaint();
        // Between two clicks the view finishes its layout in idle time.
        view.document()->documentLayout()->documentSize();
        settle();
        state.ResumeTiming();
        view.SetRtfText(after);
        view.viewport()->repaint();
    }
}

void BM_SetHtmlShown(benchmark::State &state)
{
    QTextDocument source;
    RtfReader::read(sheet(int(state.range(0))).answer, &source);
    const QString html = source.toHtml();
    QTextEdit edit;
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(11);
    edit.setFont(font);
    edit.resize(kViewSize);
    edit.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        edit.setHtml(html);
        edit.viewport()->repaint();
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    state.counters["html_chars"] = double(html.size());
}

void BM_ReadRtfDetached(benchmark::State &state)
{
    const QByteArray &rtf = sheet(int(state.range(0))).answer;
    for (auto _ : state) {
        QTextDocument doc;
        RtfReader::read(rtf, &doc);
        benchmark::DoNotOptimize(doc.blockCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_WriteRtf(benchmark::State &state)
{
    RichTextView view;
    view.SetRtfText(sheet(int(state.range(0))).answer);
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray out = RtfWriter::write(view.document());
        size = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.counters["out_bytes"] = double(size);
}

void BM_ContentTextAndLineCount(benchmark::State &state)
{
    RichTextView view;
    view.SetRtfText(sheet(int(state.range(0))).answer);
    for (auto _ : state) {
        benchmark::DoNotOptimize(view.ContentLength());
        benchmark::DoNotOptimize(view.LineCount());
    }
}

// First page for a 1200-dpi printer: copy, full layout at printer resolution, draw.
void BM_FormatRangeFirstPage(benchmark::State &state)
{
    RichTextView view;
    view.SetRtfText(sheet(int(state.range(0))).answer);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QRect page(0, 0, printer.width() * 1440 / printer.logicalDpiX(),
                     printer.height() * 1440 / printer.logicalDpiY());
    QImage scratch(8, 8, QImage::Format_RGB32);
    QPainter painter(&scratch); // measured, not drawn: render is off
    for (auto _ : state) {
        QRect rect = page;
        view.FormatRange(nullptr, nullptr, rect, page, 0, false);
        benchmark::DoNotOptimize(view.FormatRange(&painter, &printer, rect, page, 0, false));
    }
}

} // namespace

BENCHMARK(BM_SetRtfTextShown)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetRtfTextNextDrill)->Arg(2)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlShown)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtfDetached)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtf)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContentTextAndLineCount)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatRangeFirstPage)->Arg(100)->Unit(benchmark::kMillisecond);


int main(int argc, char **argv)
{
    return oxeln::bench::runQtBenchmarks(argc, argv);
}
