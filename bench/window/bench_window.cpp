// Click-to-screen costs of the main window as a worksheet grows: a drill
// click until both views are replaced and their visible part painted, once
// the views have settled (a teacher pausing between clicks) and ten in a
// row (each click right after the previous one), with the CPU that each
// click leaves running behind it; peak memory at the end; and, on request,
// the total CPU of a whole session of spaced-out clicks, or the same
// settled click with every drill option on against every option off.
//
// Memory after the sizes: the peak, where it goes (the resident size at
// start-up, the worksheet's own markup and question list, the rest being
// the two views' documents and their layout, per paragraph), and the peak
// of the path that reads a whole worksheet again: one view edited, then one
// more drill.
//
//   bench_window [--sizes=1,100,500,1000] [--session=N] [--options]
//
// Times are CPU milliseconds of the process (the machine is shared, wall
// time is noisy); every ratio is taken against drill 1 of the same run.
// For memory profiling after the sizes: OXELN_BENCH_SMAPS=FILE copies
// /proc/self/smaps there, OXELN_BENCH_EXIT_AT_END ends the process with the
// window alive, so that a heap profiler reports what it holds as leaked.
#include "BenchSupport.h"
#include "ExercisePalette.h"
#include "Platform.h"
#include "RichTextView.h"
#include "SpinEdit.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

using oxeln::bench::cpuMs;
using oxeln::bench::wallMs;
using oxeln::bench::statusKilobytes;
using oxeln::bench::parseSizes;

// Lets the views finish whatever they do in idle time, as they would while
// the teacher looks at the worksheet; returns the CPU that took. Idle means
// three 10 ms slices in a row that used almost no CPU.
double settle()
{
    const double start = cpuMs();
    const double deadline = wallMs() + 120000;
    int quiet = 0;
    while (quiet < 3 && wallMs() < deadline) {
        const double before = cpuMs();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(10);
        quiet = cpuMs() - before < 0.3 ? quiet + 1 : 0;
    }
    return cpuMs() - start;
}

struct Window
{
    // Every window starts from the designed values, whatever an earlier run saved.
    QTemporaryDir settingsDir;
    oxeln::Worksheet worksheet;
    TForm1 form{worksheet};
    std::vector<QPushButton *> buttons;
    int drills = 0;
    long startKilobytes = 0; // resident once shown

    // allDrills: the palette's drills after the window's seven.
    explicit Window(bool allDrills = false)
    {
        form.setSettingsFile(settingsDir.filePath(QStringLiteral("oxeln.ini")));
        form.show();
        settle();
        startKilobytes = statusKilobytes("VmRSS:");
        worksheet.random().seed(2);
        buttons = {form.btnPlus, form.btnMoins, form.btnMult, form.btnPuiss,
                   form.btnDivise, form.btnSA, form.btnSAS};
        if (allDrills) {
            for (const oxeln::Drill drill : oxeln::ExercisePalette::PaletteDrills)
                buttons.push_back(form.exercises()->findChild<QPushButton *>(oxeln::ExercisePalette::buttonName(drill)));
        }
    }

    // One drill click, both views repainted; CPU milliseconds.
    double click()
    {
        const double start = cpuMs();
        buttons[std::size_t(drills) % buttons.size()]->click();
        form.RxE1->viewport()->repaint();
        form.RxE2->viewport()->repaint();
        ++drills;
        return cpuMs() - start;
    }

    // Clicks as fast as the event loop lets a hand click: each click's
    // pending events are handled before the next one.
    void growTo(int target)
    {
        while (drills < target) {
            click();
            QCoreApplication::processEvents();
        }
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Row
{
    int drill;
    double settled;   // one click, views settled before it
    double behind;    // CPU the views used after that click, until idle
    double rapid;     // mean of ten clicks in a row
    double rapidTail; // CPU left after the ten, until idle
};

// Where the memory of a grown worksheet goes: what the process held at
// start-up, the worksheet's own data, and the rest, which is the views'
// documents with their layout (Qt keeps a laid-out paragraph's lines and
// text engine for as long as the paragraph lives).
void printMemoryShares(const Window &window)
{
    int paragraphs = 0;
    int fragments = 0;
    long long characters = 0;
    for (const oxeln::RichTextView *view : {window.form.RxE1, window.form.RxE2}) {
        const QTextDocument *document = view->document();
        paragraphs += document->blockCount();
        characters += document->characterCount();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it)
                ++fragments;
        }
    }
    const double mb = 1048576.0;
    const double start = double(window.startKilobytes) * 1024 / mb;
    const double markup = double(window.worksheet.subject().size() + window.worksheet.answer().size()) / mb;
    const double questions = double(window.worksheet.questions().bytes()) / mb;
    const double views = double(statusKilobytes("VmRSS:")) * 1024 / mb - start - markup - questions;
    std::printf("memory_MB start-up %.1f, worksheet markup %.1f, question list %.1f, views %.1f "
                "(%d paragraphs, %d text runs, %lld characters: %.0f bytes a paragraph)\n",
                start, markup, questions, views, paragraphs, fragments, characters,
                views * mb / std::max(1, paragraphs));
}

// A teacher's edits in the views, then one more drill: the edits are undone
// and the drill appended, or a view is read whole again (edits too large to
// undo), in place of the edited document.
void printEditedPeak(Window &window)
{
    window.form.ckbEdite->click();
    QTextCursor cursor(window.form.RxE1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("x"));
    settle();
    double start = cpuMs();
    window.click();
    double click = cpuMs() - start;
    settle();
    std::printf("edited view, then drill %d: %.2f ms CPU, peak_MB %.1f (resident now %.1f MB)\n", window.drills,
                click, statusKilobytes("VmHWM:") / 1024.0, statusKilobytes("VmRSS:") / 1024.0);
    // Both views, in the middle: a word typed over a deleted one. The
    // toolkit lays out again all that follows a change, this edit too.
    start = cpuMs();
    for (oxeln::RichTextView *view : {window.form.RxE1, window.form.RxE2}) {
        QTextCursor middle(view->document());
        middle.setPosition(view->document()->characterCount() / 2);
        middle.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
        middle.insertText(QStringLiteral("corrig\u00e9"));
    }
    const double edit = cpuMs() - start + settle();
    start = cpuMs();
    window.click();
    click = cpuMs() - start;
    settle();
    std::printf("both views edited in the middle (the edit: %.2f ms CPU), then drill %d: %.2f ms CPU\n", edit,
                window.drills, click);
}

void runSizes(const std::vector<int> &sizes)
{
    Window window;
    std::vector<Row> rows;
    for (const int size : sizes) {
        window.growTo(size - 1);
        settle();
        Row row{size, 0, 0, 0, 0};
        std::vector<double> clicks;
        std::vector<double> behind;
        for (int i = 0; i < 5; ++i) { // clicks size .. size + 4
            clicks.push_back(window.click());
            behind.push_back(settle());
        }
        row.settled = median(clicks);
        row.behind = median(behind);
        double total = 0;
        for (int i = 0; i < 10; ++i) {
            const double start = cpuMs();
            window.click();
            QCoreApplication::processEvents();
            total += cpuMs() - start;
        }
        row.rapid = total / 10;
        row.rapidTail = settle();
        rows.push_back(row);
        std::fprintf(stderr, "  drill %d measured\n", size);
    }

    const Row &base = rows.front();
    std::printf("%-8s %12s %10s %12s %10s %14s %12s\n", "drill", "settled_ms", "x_drill1", "behind_ms",
                "rapid_ms", "rapid/settled", "tail_ms");
    for (const Row &row : rows) {
        std::printf("%-8d %12.2f %10.2f %12.2f %10.2f %14.2f %12.2f\n", row.drill, row.settled,
                    row.settled / base.settled, row.behind, row.rapid, row.rapid / row.settled, row.rapidTail);
    }
    const struct mallinfo2 heap = mallinfo2();
    std::printf("peak_MB %.1f after %d drills (resident now %.1f MB, heap in use %.1f MB, free in heap %.1f MB)\n",
                statusKilobytes("VmHWM:") / 1024.0, window.drills, statusKilobytes("VmRSS:") / 1024.0,
                double(heap.uordblks + heap.hblkhd) / 1048576.0, double(heap.fordblks) / 1048576.0);
    printMemoryShares(window);
    std::fflush(stdout);
    if (qEnvironmentVariableIsSet("OXELN_BENCH_SMAPS")) {
        QFile in(QStringLiteral("/proc/self/smaps"));
        QFile out(qEnvironmentVariable("OXELN_BENCH_SMAPS"));
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
            out.write(in.readAll());
    }
    // For heap profilers: what is still allocated here is what the window holds.
    if (qEnvironmentVariableIsSet("OXELN_BENCH_EXIT_AT_END"))
        std::quick_exit(0);
    printEditedPeak(window);
}

// N spaced-out clicks: each click, then the views settle. The CPU of the
// first and the last tenth of the session are compared.
void runSession(int clicks)
{
    Window window;
    const double start = cpuMs();
    std::vector<double> perClick;
    for (int i = 0; i < clicks; ++i) {
        const double before = cpuMs();
        window.click();
        settle();
        perClick.push_back(cpuMs() - before);
        if ((i + 1) % 100 == 0)
            std::fprintf(stderr, "  %d clicks, %.1f s CPU\n", i + 1, (cpuMs() - start) / 1000);
    }
    const double total = cpuMs() - start;
    const std::size_t tenth = std::max<std::size_t>(1, perClick.size() / 10);
    double first = 0;
    double last = 0;
    for (std::size_t i = 0; i < tenth; ++i) {
        first += perClick[i];
        last += perClick[perClick.size() - 1 - i];
    }
    std::printf("session of %d spaced clicks: %.2f s CPU, %.2f ms per click; last tenth / first tenth %.2f\n",
                clicks, total / 1000, total / clicks, last / first);
    std::printf("peak_MB %.1f\n", statusKilobytes("VmHWM:") / 1024.0);
}

// A settled click of the fourteen drills in turn, with every option at its
// default and with every one on, at Max valeur 999 (so that "sans doublon"
// finds enough different questions at 1,000 drills).
void runOptions(const std::vector<int> &sizes)
{
    std::vector<double> medians[2];
    for (const bool on : {false, true}) {
        Window window(true);
        window.form.spmaxvaleur->setValue(999);
        if (on) {
            oxeln::DrillOptions all;
            all.writing = oxeln::Writing::Simplified;
            all.smallest = 5;
            all.signs = oxeln::SignMix::OneNegative;
            all.noDuplicates = true;
            all.exactDivisions = true;
            all.largestExponent = 5;
            all.largestBase = 12;
            all.compactAnswer = true;
            window.form.exercises()->setOptions(all);
        }
        for (const int size : sizes) {
            window.growTo(size - 1);
            settle();
            std::vector<double> clicks;
            for (int i = 0; i < 14; ++i) { // each drill once
                clicks.push_back(window.click());
                settle();
            }
            medians[on].push_back(median(clicks));
            std::fprintf(stderr, "  options %s, drill %d measured\n", on ? "on" : "off", size);
        }
        // What the clicks drew, to see the options at work.
        const std::string subject = window.worksheet.subject().substr(window.worksheet.subject().find("<courier>"));
        std::printf("options %s: %zu questions, %s, last notice \"%s\"\n", on ? "on" : "off",
                    window.worksheet.questions().size(),
                    subject.find("(+") == std::string::npos ? "no \"(+\" written" : "\"(+\" written",
                    qPrintable(window.form.exercises()->status()));
    }
    std::printf("%-8s %14s %14s %8s\n", "drill", "options_off_ms", "options_on_ms", "on/off");
    for (std::size_t i = 0; i < sizes.size(); ++i)
        std::printf("%-8d %14.2f %14.2f %8.2f\n", sizes[i], medians[0][i], medians[1][i], medians[1][i] / medians[0][i]);
}

} // namespace

int main(int argc, char **argv)
{
    oxeln::TuneMemoryAllocator(); // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> sizes = {1, 100, 500, 1000};
    int session = 0;
    bool options = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0)
            sizes = parseSizes(arg.substr(8));
        else if (arg.rfind("--session=", 0) == 0)
            session = std::stoi(arg.substr(10));
        else if (arg == "--options")
            options = true;
        else {
            std::fprintf(stderr, "usage: bench_window [--sizes=1,100,500,1000] [--session=N] [--options]\n");
            return 2;
        }
    }
    if (options)
        runOptions(sizes);
    else if (session > 0)
        runSession(session);
    else
        runSizes(sizes);
    return 0;
}
