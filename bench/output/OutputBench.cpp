// Printing, preview and saving on real worksheets, without a display.
#include "Composer.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "RichEditEMFPrint.h"
#include "RichTextView.h"
#include "Saving.h"

#include <QApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

using namespace oxeln;

namespace {

QByteArray worksheetRtf(int drills, bool answer)
{
    compose::ComposeOptions options;
    options.seed = 7;
    options.lineCount = 40;
    options.interlineCount = 2;
    const Drill cycle[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Divide, Drill::Power, Drill::S1, Drill::S2};
    for (int i = 0; i < drills; ++i)
        options.steps.push_back({cycle[i % 7]});
    const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
    return QByteArray::fromStdString(MarkupToRtf(answer ? sheet.answer : sheet.subject));
}

// An A4 printer at 1200 dpi, as the CUPS queues give, writing a PDF file.
std::unique_ptr<QPrinter> pdfPrinter(const QString &file)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

int pagesOf(RichTextView &view, QPrinter &printer)
{
    QPainter painter(&printer);
    const QRect page = PrintableAreaTwips(printer);
    const int end = view.document()->characterCount() - 1;
    int pages = 0;
    for (int position = 0;;) {
        QRect used = page;
        const int next = view.FormatRange(&painter, &printer, used, page, position, false);
        ++pages;
        if (next <= position || next >= end)
            break;
        position = next;
    }
    painter.end();
    QRect none;
    view.FormatRange(nullptr, nullptr, none, none, 0, false);
    return pages;
}

// The fewest drills of 40 lines whose subject fills 40 pages.
QByteArray fortyPageSubject(QTemporaryDir &dir)
{
    auto printer = pdfPrinter(dir.filePath(QStringLiteral("measure.pdf")));
    for (int drills = 20;; ++drills) {
        const QByteArray rtf = worksheetRtf(drills, false);
        RichTextView view;
        view.SetRtfText(rtf);
        if (pagesOf(view, *printer) >= 40)
            return rtf;
    }
}

void BM_Print40Pages(benchmark::State &state)
{
    QTemporaryDir dir;
    RichTextView view;
    view.SetRtfText(fortyPageSubject(dir));
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto printer = pdfPrinter(dir.filePath(QStringLiteral("print.pdf")));
        state.ResumeTiming();
        PrintDocument(*printer, view, QStringLiteral("Sujet"));
        state.PauseTiming();
        pages = pagesOf(view, *printer);
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_Print40Pages)->Unit(benchmark::kMillisecond);

// The two page files of a preview and their pictures, for a worksheet of
// one drill and for the 40-page one (laid out whole, rendered for two pages).
void BM_PreviewPages(benchmark::State &state)
{
    QTemporaryDir dir;
    RichTextView view;
    view.SetRtfText(state.range(0) == 40 ? fortyPageSubject(dir) : worksheetRtf(1, false));
    auto reference = pdfPrinter(dir.filePath(QStringLiteral("unused.pdf")));
    const QString base = dir.filePath(QStringLiteral("Temp"));
    for (auto _ : state) {
        RenderPagesToEmf(*reference, view, base);
        QSvgRenderer page0(base + QStringLiteral("0.svg"));
        QSvgRenderer page1(base + QStringLiteral("1.svg"));
        benchmark::DoNotOptimize(page0.isValid() && page1.isValid());
    }
}
BENCHMARK(BM_PreviewPages)->Arg(1)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_Save100Drills(benchmark::State &state)
{
    QTemporaryDir dir;
    RichTextView subject;
    RichTextView answer;
    subject.SetRtfText(worksheetRtf(100, false));
    answer.SetRtfText(worksheetRtf(100, true));
    const QString path = dir.filePath(QStringLiteral("fiche"));
    const SaveChooser choose = [&path](QWidget *, const QString &, const QString &) { return path; };
    for (auto _ : state)
        SaveWorksheet(nullptr, subject, answer, "Ref 042_917", dir.path(), choose);
    state.counters["bytes"] = double(QFileInfo(path + QStringLiteral(".rtf")).size()
                                     + QFileInfo(path + QStringLiteral("_Cor.rtf")).size());
}
BENCHMARK(BM_Save100Drills)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
