// Output costs on real worksheets (drills of 30 lines, as the window's
// defaults make them), without a display: the two-page preview at several
// worksheet sizes, printing to a PDF file (per page, several lengths, and
// copies), saving both documents, saving them as PDF and OpenDocument
// against RTF, and the preview of a machine without a printer.
//
//   oxeln_output_bench [--preview=1,100,500,1000] [--print=10,100,500] [--save=1000] [--export=100]
//                      [--cups=100]
//
// --cups prints on the current printer, "Imprimer" as the window does it:
// run it against a private scheduler (CUPS_SERVER=DIR/cups.sock, after
// tests/output/cups-harness.sh start DIR); the figures are this process's
// CPU, not the scheduler's.
//
// Each figure is the median CPU time of several runs; the ratios compare
// with a baseline of the same run: the smallest size, or writing the same
// bytes to a file.
#include "AppError.h"
#include "BenchSupport.h"
#include "Composer.h"
#include "DocumentExport.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "RichEditEMFPrint.h"
#include "RtfPageLayout.h"
#include "RtfReader.h"
#include "Saving.h"
#include "ViewDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace oxeln;

namespace {

using oxeln::bench::cpuMs;
using oxeln::bench::parseSizes;

// Median CPU milliseconds of runs calls of work.
double measure(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuMs();
        work();
        times.push_back(cpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Sheet
{
    QByteArray subject;
    QByteArray answer;
};

const Sheet &worksheet(int drills)
{
    static std::map<int, Sheet> cache;
    auto it = cache.find(drills);
    if (it == cache.end()) {
        compose::ComposeOptions options;
        options.seed = 7;
        const Drill cycle[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Divide,
                               Drill::Power, Drill::S1, Drill::S2};
        for (int i = 0; i < drills; ++i)
            options.steps.push_back({cycle[i % 7]});
        const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
        it = cache.emplace(drills, Sheet{QByteArray::fromStdString(MarkupToRtf(sheet.subject)),
                                         QByteArray::fromStdString(MarkupToRtf(sheet.answer))})
                 .first;
    }
    return it->second;
}

constexpr qreal kViewDpi = 96.0;

// A view's document holding the RTF, as the window's views read it.
std::unique_ptr<QTextDocument> viewDocument(const QByteArray &rtf)
{
    auto document = NewViewDocument(ViewFont(), kViewDpi);
    RtfReader::read(rtf, document.get(), kViewDpi);
    return document;
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

int pdfPages(const QString &file)
{
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly))
        return -1;
    return int(pdf.readAll().count("/Type /Page\n") + 0);
}

void benchPreview(const std::vector<int> &sizes, QTemporaryDir &dir)
{
    auto reference = pdfPrinter(dir.filePath(QStringLiteral("unused.pdf")));
    const QString base = dir.filePath(QStringLiteral("Temp"));
    std::printf("%-8s %14s %10s\n", "drills", "preview_ms", "x_first");
    double first = 0;
    for (const int drills : sizes) {
        const auto document = viewDocument(worksheet(drills).subject);
        const double ms = measure(5, [&] {
            RenderPagesToEmf(*reference, *document, kViewDpi, base);
            QSvgRenderer page0(base + QStringLiteral("0.svg"));
            QSvgRenderer page1(base + QStringLiteral("1.svg"));
            if (!page0.isValid() || !page1.isValid())
                std::fprintf(stderr, "preview pages missing\n");
        });
        if (first == 0)
            first = ms;
        std::printf("%-8d %14.2f %10.2f\n", drills, ms, ms / first);
    }
}

void benchPrint(const std::vector<int> &sizes, QTemporaryDir &dir)
{
    const QString file = dir.filePath(QStringLiteral("print.pdf"));
    std::printf("%-8s %8s %12s %12s %14s %12s\n", "drills", "pages", "print_ms", "ms_per_page", "per_page_x_first",
                "layout_ms");
    double firstPerPage = 0;
    for (const int drills : sizes) {
        const auto document = viewDocument(worksheet(drills).subject);
        const double ms = measure(3, [&] {
            auto printer = pdfPrinter(file);
            PrintDocument(*printer, *document, kViewDpi, QStringLiteral("Sujet"));
        });
        const int pages = pdfPages(file);
        const double perPage = ms / std::max(1, pages);
        if (firstPerPage == 0)
            firstPerPage = perPage;
        // The same pages laid out but not drawn: the layout's share of the job.
        auto printer = pdfPrinter(file);
        const QRect page = PrintableAreaTwips(*printer);
        const double layout = measure(3, [&] {
            QPainter painter(printer.get());
            ReleasePageLayout(*document);
            for (int position = 0;;) {
                QRect used = page;
                const int next = FormatRange(&painter, printer.get(), *document, kViewDpi, used, position, false);
                if (next <= position || next >= document->characterCount() - 1)
                    break;
                position = next;
            }
            ReleasePageLayout(*document);
        });
        std::printf("%-8d %8d %12.2f %12.3f %14.2f %12.2f\n", drills, pages, ms, perPage, perPage / firstPerPage,
                    layout);
    }

    // Three copies as "Imprimer" makes them, against one.
    for (const int drills : {sizes.front(), 100}) {
        const auto subject = viewDocument(worksheet(drills).subject);
        const double one = measure(3, [&] {
            auto printer = pdfPrinter(file);
            PrintCopies(*printer, *subject, kViewDpi, QStringLiteral("Sujet"), 1);
        });
        const double three = measure(3, [&] {
            auto printer = pdfPrinter(file);
            PrintCopies(*printer, *subject, kViewDpi, QStringLiteral("Sujet"), 3);
        });
        std::printf("copies of %d drills: 1 copy %.2f ms, 3 copies %.2f ms, ratio %.2f\n", drills, one, three,
                    three / one);
    }
}

void benchSave(int drills, QTemporaryDir &dir)
{
    const auto subject = viewDocument(worksheet(drills).subject);
    const auto answer = viewDocument(worksheet(drills).answer);
    const QString path = dir.filePath(QStringLiteral("fiche"));
    const SaveChooser choose = [&path](QWidget *, const QString &, const QString &) { return path; };
    QElapsedTimer wall;
    std::vector<double> walls;
    const double save = measure(5, [&] {
        wall.start();
        SaveWorksheet(nullptr, *subject, *answer, kViewDpi, "Ref 042_917", dir.path(), choose);
        walls.push_back(double(wall.nsecsElapsed()) / 1e6);
    });
    std::sort(walls.begin(), walls.end());

    // Baseline: writing the same bytes, already made, to the same files.
    QFile subjectFile(path + QStringLiteral(".rtf"));
    QFile answerFile(path + QStringLiteral("_Cor.rtf"));
    subjectFile.open(QIODevice::ReadOnly);
    answerFile.open(QIODevice::ReadOnly);
    const QByteArray subjectBytes = subjectFile.readAll();
    const QByteArray answerBytes = answerFile.readAll();
    const double raw = measure(5, [&] {
        for (const auto &[name, bytes] : {std::pair{QStringLiteral("raw.rtf"), &subjectBytes},
                                          std::pair{QStringLiteral("raw_Cor.rtf"), &answerBytes}}) {
            QFile out(dir.filePath(name));
            out.open(QIODevice::WriteOnly | QIODevice::Truncate);
            out.write(*bytes);
        }
    });
    std::printf("save of %d drills: %.2f ms CPU, %.2f ms wall (%.1f MB), writing the bytes alone %.2f ms, ratio %.2f\n",
                drills, save, walls[walls.size() / 2], double(subjectBytes.size() + answerBytes.size()) / 1e6, raw,
                save / raw);
}

// "Enregistrer" with a ".pdf" and a ".odt" name against the RTF save of the
// same views, and the preview without a printer against the printer's.
void benchExport(int drills, QTemporaryDir &dir)
{
    const auto subject = viewDocument(worksheet(drills).subject);
    const auto answer = viewDocument(worksheet(drills).answer);
    struct Result
    {
        const char *name;
        double cpu;
        double wall;
        qint64 bytes;
    };
    std::vector<Result> results;
    for (const char *name : {"fiche.rtf", "fiche.pdf", "fiche.odt"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const SaveChooser choose = [&path](QWidget *, const QString &, const QString &) { return path; };
        QElapsedTimer wall;
        std::vector<double> walls;
        const double cpu = measure(5, [&] {
            wall.start();
            SaveWorksheet(nullptr, *subject, *answer, kViewDpi, "Ref 042_917", dir.path(), choose);
            walls.push_back(double(wall.nsecsElapsed()) / 1e6);
        });
        std::sort(walls.begin(), walls.end());
        const QString answerPath = AnswerFileName(path);
        results.push_back({name, cpu, walls[walls.size() / 2], QFileInfo(path).size() + QFileInfo(answerPath).size()});
    }
    std::printf("save of %d drills, both files:\n%-10s %10s %10s %10s %10s\n", drills, "file", "cpu_ms", "wall_ms",
                "KB", "x_rtf");
    for (const Result &r : results)
        std::printf("%-10s %10.1f %10.1f %10.0f %10.2f\n", r.name, r.cpu, r.wall, double(r.bytes) / 1024,
                    r.cpu / results.front().cpu);

    const QString base = dir.filePath(QStringLiteral("Temp"));
    auto pagesShown = [&base] {
        QSvgRenderer page0(base + QStringLiteral("0.svg"));
        QSvgRenderer page1(base + QStringLiteral("1.svg"));
        if (!page0.isValid() || !page1.isValid())
            std::fprintf(stderr, "preview pages missing\n");
    };
    auto reference = pdfPrinter(dir.filePath(QStringLiteral("unused.pdf")));
    const double printer = measure(5, [&] {
        RenderPagesToEmf(*reference, *subject, kViewDpi, base);
        pagesShown();
    });
    const double noPrinter = measure(5, [&] {
        RenderExportPagesToEmf(*subject, kViewDpi, base);
        pagesShown();
    });
    std::printf("preview of %d drills: with a printer %.2f ms, without (PDF pages) %.2f ms, ratio %.2f\n", drills,
                printer, noPrinter, noPrinter / printer);
}

// "Imprimer" of one and of ten subject copies on the current printer, per
// page printed.
void benchCups(int drills)
{
    try {
        CurrentPrinter();
    } catch (const AppError &) {
        std::fprintf(stderr, "--cups: no default printer (CUPS_SERVER?)\n");
        return;
    }
    const auto subject = viewDocument(worksheet(drills).subject);
    const auto answer = viewDocument(worksheet(drills).answer);
    QPrinter &printer = CurrentPrinter();
    const QRect page = PrintableAreaTwips(printer);
    int pages = 0;
    {
        QImage scratch(8, 8, QImage::Format_RGB32);
        QPainter painter(&scratch);
        for (int position = 0;; ++pages) {
            QRect used = page;
            const int next = FormatRange(&painter, &printer, *subject, kViewDpi, used, position, false);
            if (next <= position || next >= subject->characterCount() - 1) {
                ++pages;
                break;
            }
            position = next;
        }
        ReleasePageLayout(*subject);
    }
    std::printf("Imprimer on %s, %d drills, %d subject pages:\n%-8s %10s %12s\n", qPrintable(printer.printerName()),
                drills, pages, "copies", "cpu_ms", "ms_per_page");
    for (const int copies : {1, 10}) {
        const double ms = measure(3, [&] { PrintWorksheet(*subject, *answer, kViewDpi, copies, 0, false); });
        std::printf("%-8d %10.1f %12.3f\n", copies, ms, ms / (copies * pages));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> preview = {1, 100, 500, 1000};
    std::vector<int> print = {10, 100, 500};
    int save = 1000;
    int exportDrills = 100;
    int cups = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--preview=", 0) == 0)
            preview = parseSizes(arg.substr(10));
        else if (arg.rfind("--print=", 0) == 0)
            print = parseSizes(arg.substr(8));
        else if (arg.rfind("--save=", 0) == 0)
            save = std::stoi(arg.substr(7));
        else if (arg.rfind("--export=", 0) == 0)
            exportDrills = std::stoi(arg.substr(9));
        else if (arg.rfind("--cups=", 0) == 0)
            cups = std::stoi(arg.substr(7));
        else {
            std::fprintf(stderr, "usage: oxeln_output_bench [--preview=N,..] [--print=N,..] [--save=N] [--export=N] "
                                 "[--cups=N]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    if (!preview.empty() && preview.front() > 0)
        benchPreview(preview, dir);
    if (!print.empty() && print.front() > 0)
        benchPrint(print, dir);
    if (save > 0)
        benchSave(save, dir);
    if (exportDrills > 0)
        benchExport(exportDrills, dir);
    if (cups > 0)
        benchCups(cups);
    return 0;
}
