// F5 in the main window until the first question is painted, on a worksheet
// of "+" then "S2" (150 questions); beside it, the same for a bare full-screen
// window, so the ratio shows what laying out the question costs. Run it under
// a real display (QT_QPA_PLATFORM=xcb) to include mapping the window.
#include "QtBenchMain.h"
#include "ProjectionWindow.h"
#include "UOxeln.h"
#include "Worksheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

double g_projectionMs = 0;
double g_bareMs = 0;

template<typename Done> bool waitFor(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A full-screen window that only says when it is painted.
class Bare : public QWidget
{
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent *) override { painted = true; }
};

void F5ToFirstQuestion(benchmark::State &state)
{
    oxeln::Worksheet worksheet;
    TForm1 form(worksheet);
    form.show();
    form.activateWindow();
    waitFor([&] { return form.isActiveWindow(); });
    form.btnPlus->click();
    form.btnSAS->click();
    bool shown = false;
    QObject::connect(form.projection(), &oxeln::ProjectionWindow::questionShown, [&] { shown = true; });
    double first = -1;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        shown = false;
        QTest::keyClick(&form, Qt::Key_F5);
        if (!waitFor([&] { return shown; })) {
            state.SkipWithError("no question shown");
            break;
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        g_projectionMs += ms;
        if (first < 0)
            first = ms;
        state.PauseTiming();
        QTest::keyClick(form.projection(), Qt::Key_Escape);
        waitFor([&] { return form.isActiveWindow(); });
        state.ResumeTiming();
    }
    state.counters["f5_to_question_ms"] = g_projectionMs / static_cast<double>(state.iterations());
    state.counters["first_open_ms"] = first;
}
BENCHMARK(F5ToFirstQuestion)->Unit(benchmark::kMillisecond)->Iterations(10);

void BareFullScreenWindow(benchmark::State &state)
{
    for (auto _ : state) {
        Bare bare;
        QElapsedTimer clock;
        clock.start();
        bare.showFullScreen();
        bare.activateWindow();
        if (!waitFor([&] { return bare.painted; })) {
            state.SkipWithError("not painted");
            break;
        }
        g_bareMs += clock.nsecsElapsed() / 1e6;
    }
    state.counters["shown_ms"] = g_bareMs / static_cast<double>(state.iterations());
    if (g_projectionMs > 0 && g_bareMs > 0)
        state.counters["projection_vs_bare"] = (g_projectionMs / 10) / (g_bareMs / static_cast<double>(state.iterations()));
}
BENCHMARK(BareFullScreenWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace


int main(int argc, char **argv)
{
    return oxeln::bench::runQtBenchmarks(argc, argv);
}
