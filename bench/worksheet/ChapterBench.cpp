// What the drill options cost: "sans doublon" per question as the worksheet
// grows, and a 40-line drill with every option on against the same drill
// with none, both measured in the same run so that the ratio holds on a
// busy machine.
#include "Worksheet.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace oxeln;

namespace {

class OptionsHost : public DrillHost
{
public:
    int lines = 30;
    DrillOptions options;

    int subjectLineCount() override { return m_filled ? 1000 : 1; }
    int answerLineCount() override { return m_filled ? 1000 : 1; }
    std::string title(int) override { return "Titre"; }
    bool answerKeyEnabled() override { return true; }
    int maxValue() override { return 999; }
    int lineCount() override { return lines; }
    int interlineCount() override { return 2; }
    DrillOptions drillOptions() override { return options; }
    void setCounterCaption(const std::string &) override {}
    void hidePreview() override {}
    void setSubjectRtf(const DocumentRtf &rtf) override { m_filled = true; benchmark::DoNotOptimize(rtf.tail.data()); }
    void setAnswerRtf(const DocumentRtf &rtf) override { benchmark::DoNotOptimize(rtf.tail.data()); }

private:
    bool m_filled = false;
};

DrillOptions everyOption()
{
    DrillOptions o;
    o.writing = Writing::Simplified;
    o.smallest = 2;
    o.signs = SignMix::OneNegative;
    o.noDuplicates = true;
    o.exactDivisions = true;
    o.largestExponent = 5;
    o.largestBase = 60;
    o.compactAnswer = true;
    return o;
}

double secondsOf(const auto &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A copy of a worksheet holds its documents and lists in buffers with no
// room left, so its next drill would reallocate them whole, and its RTF is
// a new stream, converted whole at its next drill. One drill made on the
// copy first, out of the timing, gives it what a worksheet that grew has.
Worksheet grownCopy(const Worksheet &prepared, Drill drill, DrillHost &host)
{
    Worksheet copy = prepared;
    copy.runDrill(drill, host);
    return copy;
}

std::size_t questionsOf(Drill drill, int lines)
{
    switch (drill) {
    case Drill::S1: case Drill::S2: case Drill::P1: case Drill::P2: return std::size_t(lines);
    case Drill::Compare: return 5 * std::size_t(lines);
    default: return 4 * std::size_t(lines);
    }
}

// Drills from N on, on a worksheet that holds N - 1 drills of every kind in
// turn, all without repeats: each question looks up a set of about 120 N
// questions. Drills with and without "sans doublon" alternate on the same
// worksheet, which grows by two drills an iteration (a copy would leave it
// without room in its buffers and its caches cold).
void BM_NoRepeatsAtDrillN(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    OptionsHost host;
    host.options.noDuplicates = true;
    Worksheet ws;
    ws.random().seed(2024);
    for (int i = 0; i + 1 < n; ++i)
        ws.runDrill(AllDrills[static_cast<std::size_t>(i) % AllDrills.size()], host);
    host.lines = 40;
    const DrillSettings on = Worksheet::readSettings(host);
    DrillSettings off = on;
    off.options.noDuplicates = false;
    const std::size_t questions = questionsOf(Drill::Plus, 40);
    double offSeconds = 0;
    double onSeconds = 0;
    for (auto _ : state) {
        const double seconds = secondsOf([&] { ws.makeLines(Drill::Plus, on, host); });
        onSeconds += seconds;
        offSeconds += secondsOf([&] { ws.makeLines(Drill::Plus, off, host); });
        state.SetIterationTime(seconds);
    }
    const double runs = double(state.iterations());
    state.counters["ns_per_question_on"] = onSeconds / runs / double(questions) * 1e9;
    state.counters["ns_per_question_off"] = offSeconds / runs / double(questions) * 1e9;
    state.counters["on_over_off"] = onSeconds / offSeconds;
    state.counters["questions_at_end"] = double(ws.questions().size());
}
BENCHMARK(BM_NoRepeatsAtDrillN)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Iterations(10)
    ->Unit(benchmark::kMicrosecond);

// One 40-line drill with every option on, against the same drill with none.
void BM_Drill40LinesEveryOption(benchmark::State &state, Drill drill)
{
    OptionsHost host;
    host.lines = 40;
    const DrillSettings off = Worksheet::readSettings(host);
    host.options = everyOption();
    const DrillSettings on = Worksheet::readSettings(host);
    std::uint32_t seed = 1;
    double offSeconds = 0;
    double onSeconds = 0;
    for (auto _ : state) {
        Worksheet a;
        Worksheet b;
        a.random().seed(seed);
        b.random().seed(seed++);
        offSeconds += secondsOf([&] { a.makeLines(drill, off, host); });
        onSeconds += secondsOf([&] { b.makeLines(drill, on, host); });
        benchmark::DoNotOptimize(a.answer().data());
        benchmark::DoNotOptimize(b.answer().data());
    }
    const double runs = double(state.iterations());
    state.counters["off_us"] = offSeconds / runs * 1e6;
    state.counters["on_us"] = onSeconds / runs * 1e6;
    state.counters["on_over_off"] = onSeconds / offSeconds;
}
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, plus, Drill::Plus)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, divide, Drill::Divide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, power, Drill::Power)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, s2, Drill::S2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, missing_divide, Drill::MissingDivide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, p1, Drill::P1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, p2, Drill::P2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40LinesEveryOption, compare, Drill::Compare)->Unit(benchmark::kMicrosecond);

// The core's share of a click (draws, markup, conversion of what the drill
// appended) at drill 1,000 with every option on.
void BM_ClickAt1000EveryOption(benchmark::State &state)
{
    OptionsHost host;
    host.options = everyOption();
    Worksheet prepared;
    prepared.random().seed(7);
    for (int i = 0; i < 999; ++i)
        prepared.runDrill(AllDrills[static_cast<std::size_t>(i) % AllDrills.size()], host);
    double offSeconds = 0;
    double onSeconds = 0;
    for (auto _ : state) {
        Worksheet withOptions = grownCopy(prepared, Drill::P2, host);
        const double seconds = secondsOf([&] { withOptions.runDrill(Drill::P2, host); });
        onSeconds += seconds;
        state.SetIterationTime(seconds);
        host.options = DrillOptions{};
        Worksheet without = grownCopy(prepared, Drill::P2, host);
        offSeconds += secondsOf([&] { without.runDrill(Drill::P2, host); });
        host.options = everyOption();
    }
    state.counters["off_us"] = offSeconds / double(state.iterations()) * 1e6;
    state.counters["on_over_off"] = onSeconds / offSeconds;
}
BENCHMARK(BM_ClickAt1000EveryOption)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

} // namespace
