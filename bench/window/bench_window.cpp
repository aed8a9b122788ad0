// Click-to-screen costs of the main window: a drill click until both views
// are replaced and their visible part painted, fresh and deep in a chained
// worksheet; peak memory after 100 chained drills.
#include "RichTextView.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QElapsedTimer>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

double g_clickMs = 0;
double g_paintMs = 0;

void clickAndPaint(TForm1 &form, QPushButton *button)
{
    QElapsedTimer clock;
    clock.start();
    button->click();
    g_clickMs += clock.nsecsElapsed() / 1e6;
    clock.restart();
    form.RxE1->viewport()->repaint();
    form.RxE2->viewport()->repaint();
    g_paintMs += clock.nsecsElapsed() / 1e6;
}

// A teacher takes seconds between two clicks: let the views finish their
// idle-time layout, as they would by then.
void settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void FreshDrill30Lines(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto worksheet = std::make_unique<oxeln::Worksheet>();
        auto form = std::make_unique<TForm1>(*worksheet);
        form->show();
        settle();
        worksheet->random().seed(1);
        state.ResumeTiming();
        clickAndPaint(*form, form->btnPlus);
        // Closing the window (and its settings save) is not part of a click.
        state.PauseTiming();
        form.reset();
        worksheet.reset();
        state.ResumeTiming();
    }
    state.counters["click_ms"] = g_clickMs / static_cast<double>(state.iterations());
    state.counters["paint_ms"] = g_paintMs / static_cast<double>(state.iterations());
    g_clickMs = g_paintMs = 0;
}
BENCHMARK(FreshDrill30Lines)->Unit(benchmark::kMillisecond);

void Drill101stOfChain(benchmark::State &state)
{
    oxeln::Worksheet worksheet;
    TForm1 form(worksheet);
    form.show();
    QCoreApplication::processEvents();
    worksheet.random().seed(2);
    QPushButton *buttons[] = {form.btnPlus, form.btnMoins, form.btnMult, form.btnPuiss,
                              form.btnDivise, form.btnSA, form.btnSAS};
    for (int i = 0; i < 100; ++i)
        clickAndPaint(form, buttons[i % 7]);
    state.counters["peak_MB_after_100"] = static_cast<double>(peakKilobytes()) / 1024.0;
    for (auto _ : state) {
        state.PauseTiming();
        // Back to exactly 100 drills: the 101st click is what is timed.
        form.btnRAZ->click();
        worksheet.random().seed(2);
        for (int i = 0; i < 100; ++i)
            buttons[i % 7]->click();
        settle();
        state.ResumeTiming();
        clickAndPaint(form, form.btnPlus);
    }
}
BENCHMARK(Drill101stOfChain)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
