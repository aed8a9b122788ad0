// Throughput of the markup conversion and cost of the drills.
#include "MarkupToRtf.h"
#include "Worksheet.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstring>

using namespace oxeln;

namespace {

constexpr std::array<Drill, 7> AllDrills = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power,
                                            Drill::Divide, Drill::S1, Drill::S2};

// Views that only remember whether they were filled, so that drills chain;
// everything else is free.
class NullHost : public DrillHost
{
public:
    explicit NullHost(int lines = 30) : m_lines(lines) {}
    int subjectLineCount() override { return m_subjectFilled ? 1000 : 1; }
    int answerLineCount() override { return m_answerFilled ? 1000 : 1; }
    std::string title(int) override { return "Titre"; }
    bool answerKeyEnabled() override { return true; }
    int maxValue() override { return 100; }
    int lineCount() override { return m_lines; }
    int interlineCount() override { return 2; }
    void setCounterCaption(const std::string &) override {}
    void hidePreview() override {}
    void setSubjectRtf(const DocumentRtf &rtf) override { m_subjectFilled = true; benchmark::DoNotOptimize(rtf.tail.data()); }
    void setAnswerRtf(const DocumentRtf &rtf) override { m_answerFilled = true; benchmark::DoNotOptimize(rtf.tail.data()); }

private:
    int m_lines;
    bool m_subjectFilled = false;
    bool m_answerFilled = false;
};

// A worksheet after `clicks` chained drills of every kind in turn.
Worksheet chainedWorksheet(int clicks, NullHost &host)
{
    Worksheet ws;
    ws.random().seed(12345);
    for (int i = 0; i < clicks; ++i)
        ws.runDrill(AllDrills[static_cast<std::size_t>(i) % AllDrills.size()], host);
    return ws;
}

const Worksheet &hundredDrills()
{
    static NullHost host;
    static const Worksheet ws = chainedWorksheet(100, host);
    return ws;
}

const std::string &document(int which)
{
    return which == 0 ? hundredDrills().subject() : hundredDrills().answer();
}

void BM_MarkupToRtf(benchmark::State &state, int which)
{
    const std::string &markup = document(which);
    for (auto _ : state) {
        std::string rtf = MarkupToRtf(markup);
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(markup.size()));
    state.counters["markup_bytes"] = static_cast<double>(markup.size());
}
BENCHMARK_CAPTURE(BM_MarkupToRtf, subject, 0);
BENCHMARK_CAPTURE(BM_MarkupToRtf, answer, 1);

// Baseline: copying the same bytes into a fresh buffer of the same kind.
void BM_MemcpySameBytes(benchmark::State &state, int which)
{
    const std::string &markup = document(which);
    for (auto _ : state) {
        std::string copy;
        copy.resize(markup.size());
        std::memcpy(copy.data(), markup.data(), markup.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(markup.size()));
}
BENCHMARK_CAPTURE(BM_MemcpySameBytes, subject, 0);
BENCHMARK_CAPTURE(BM_MemcpySameBytes, answer, 1);

// One 40-line drill, both documents, conversion excluded.
void BM_Drill40Lines(benchmark::State &state, Drill drill)
{
    NullHost host(40);
    const DrillSettings settings{100, 40, 2, true, {}};
    std::uint32_t seed = 1;
    for (auto _ : state) {
        Worksheet ws;
        ws.random().seed(seed++);
        ws.makeLines(drill, settings, host);
        benchmark::DoNotOptimize(ws.subject().data());
        benchmark::DoNotOptimize(ws.answer().data());
    }
}
BENCHMARK_CAPTURE(BM_Drill40Lines, plus, Drill::Plus)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, minus, Drill::Minus)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, mult, Drill::Mult)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, power, Drill::Power)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, divide, Drill::Divide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, s1, Drill::S1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Drill40Lines, s2, Drill::S2)->Unit(benchmark::kMicrosecond);

// A whole 100-click chained worksheet, every conversion included.
void BM_Chain100Clicks(benchmark::State &state)
{
    for (auto _ : state) {
        NullHost host;
        Worksheet ws = chainedWorksheet(100, host);
        benchmark::DoNotOptimize(ws.subject().data());
    }
}
BENCHMARK(BM_Chain100Clicks)->Unit(benchmark::kMillisecond);

// Click N alone on a worksheet that already holds N - 1 drills: the cost
// follows the size of the documents that are converted again.
void BM_ClickN(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    NullHost host;
    const Worksheet prepared = chainedWorksheet(n - 1, host);
    const Drill drill = AllDrills[static_cast<std::size_t>(n - 1) % AllDrills.size()];
    std::size_t converted = 0;
    for (auto _ : state) {
        Worksheet ws = prepared; // copy kept out of the timing
        const auto start = std::chrono::steady_clock::now();
        ws.runDrill(drill, host);
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        converted = ws.subject().size() + ws.answer().size();
    }
    state.counters["markup_bytes"] = static_cast<double>(converted);
}
BENCHMARK(BM_ClickN)->Arg(1)->Arg(10)->Arg(25)->Arg(50)->Arg(100)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
