// The projection's correction screen on worksheets of 40 to 40,000
// questions (the seven drills in turn, Max valeur 999): from the key that
// leaves the last question to the first page painted, then a page turn, and
// what the process's resident memory grew by. Beside it, in the same run,
// the same for a question screen, which is laid out for what it shows only:
// the ratio tells what the correction costs beyond that.
//   bench_correction [--sizes=40,4000,40000] [benchmark options]
#include "BenchSupport.h"
#include "ChainDrills.h"
#include "PairedDrills.h"
#include "ProjectionWindow.h"
#include "QtBenchMain.h"

#include <QImage>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

namespace {

using oxeln::Drill;

oxeln::QuestionList worksheet(int questions)
{
    oxeln::RandomSource random(2024);
    oxeln::QuestionList list;
    const Drill drills[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power, Drill::Divide, Drill::S1, Drill::S2};
    for (int line = 1; static_cast<int>(list.size()) < questions; ++line) {
        const Drill drill = drills[(line / 40) % 7];
        if (drill == Drill::S1 || drill == Drill::S2) {
            const auto first = static_cast<std::int32_t>(random.draw(999)) - 498;
            list.push_back(oxeln::ChainQuestion(drill, oxeln::DrawChainTail(random, first ? first : 1, drill == Drill::S2, 999), line));
        } else {
            oxeln::AppendPairedQuestions(drill, oxeln::DrawPairedLine(random, drill, 999), line, list);
        }
    }
    return list;
}

struct Figures
{
    double correctionMs = 0;
    double questionMs = 0;
};
std::map<int, Figures> g_figures;

void paint(QWidget &window, QImage &image)
{
    window.render(&image);
}

// Opens the projection on the worksheet and walks to its last question
// (outside the timing).
void toLastQuestion(oxeln::ProjectionWindow &window, const oxeln::QuestionList &questions)
{
    window.start(questions);
    window.resize(1920, 1080);
    for (std::size_t i = 1; i < questions.size(); ++i)
        QTest::keyClick(&window, Qt::Key_Right);
}

void Correction(benchmark::State &state)
{
    const int size = static_cast<int>(state.range(0));
    const oxeln::QuestionList questions = worksheet(size);
    oxeln::ProjectionWindow window(nullptr);
    QImage image(1920, 1080, QImage::Format_RGB32);
    double cpu = 0, turn = 0, growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        toLastQuestion(window, questions);
        paint(window, image);
        const long before = oxeln::bench::statusKilobytes("VmRSS:");
        state.ResumeTiming();

        const double start = oxeln::bench::cpuMs();
        QTest::keyClick(&window, Qt::Key_Right); // into the correction
        paint(window, image);
        const double opened = oxeln::bench::cpuMs();
        QTest::keyClick(&window, Qt::Key_Right); // page 2
        paint(window, image);
        cpu += opened - start;
        turn += oxeln::bench::cpuMs() - opened;

        state.PauseTiming();
        growth += double(oxeln::bench::statusKilobytes("VmRSS:") - before) / 1024.0;
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    g_figures[size].correctionMs = cpu / n;
    state.counters["first_page_cpu_ms"] = cpu / n;
    state.counters["page_turn_cpu_ms"] = turn / n;
    state.counters["rss_growth_mb"] = growth / n;
}

void Question(benchmark::State &state)
{
    const int size = static_cast<int>(state.range(0));
    const oxeln::QuestionList questions = worksheet(size);
    oxeln::ProjectionWindow window(nullptr);
    QImage image(1920, 1080, QImage::Format_RGB32);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        toLastQuestion(window, questions);
        QTest::keyClick(&window, Qt::Key_Home);
        paint(window, image);
        state.ResumeTiming();
        const double start = oxeln::bench::cpuMs();
        QTest::keyClick(&window, Qt::Key_Right);
        paint(window, image);
        cpu += oxeln::bench::cpuMs() - start;
    }
    const double n = static_cast<double>(state.iterations());
    Figures &figures = g_figures[size];
    figures.questionMs = cpu / n;
    state.counters["question_cpu_ms"] = cpu / n;
    if (figures.correctionMs > 0 && figures.questionMs > 0)
        state.counters["correction_vs_question"] = figures.correctionMs / figures.questionMs;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<int> sizes = {40, 4000, 40000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) == 0)
            sizes = oxeln::bench::parseSizes(argv[i] + 8);
    }
    for (const int size : sizes) {
        const int iterations = size >= 10000 ? 2 : 5;
        benchmark::RegisterBenchmark("Correction", Correction)->Arg(size)->Iterations(iterations)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Question", Question)->Arg(size)->Iterations(iterations)->Unit(benchmark::kMillisecond);
    }
    return oxeln::bench::runQtBenchmarks(argc, argv);
}
