// oxeln-compose as a worksheet grows: the whole command (process start,
// drills, conversion, both files written) for 1, 10, 100 and 500 drills of
// 30 lines, and the composition alone in this process. Ratios compare with
// 1 drill and with 100 drills of the same run; a composer whose work is
// linear in the drills keeps 500 drills under 3 times 100 (the start of the
// process is paid once).
//
//   oxeln_compose_bench [--sizes=1,10,100,500]
#include "BenchSupport.h"
#include "ChildRun.h"
#include "Composer.h"
#include "MarkupToRtf.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using oxeln::bench::cpuMs;

const char *const Cycle[] = {"+", "-", "x", ":", "^", "S1", "S2"};

// CPU milliseconds of one run of the composer binary.
double runBinary(int drills, const std::string &out)
{
    std::vector<std::string> args = {OXELN_COMPOSE_BINARY, "--seed", "7", "--out", out};
    for (int i = 0; i < drills; ++i)
        args.push_back(Cycle[i % 7]);
    const oxeln::bench::ChildRun run = oxeln::bench::runChild(args);
    if (!run.ok)
        std::fprintf(stderr, "oxeln-compose failed\n");
    return run.cpuMs;
}

// The same work in this process: drills, then both documents converted.
double composeHere(int drills)
{
    oxeln::compose::ComposeOptions options;
    options.seed = 7;
    const oxeln::Drill cycle[] = {oxeln::Drill::Plus, oxeln::Drill::Minus, oxeln::Drill::Mult, oxeln::Drill::Divide,
                                  oxeln::Drill::Power, oxeln::Drill::S1, oxeln::Drill::S2};
    for (int i = 0; i < drills; ++i)
        options.steps.push_back({cycle[i % 7]});
    const double start = cpuMs();
    const oxeln::compose::ComposedWorksheet sheet = oxeln::compose::composeWorksheet(options);
    const std::size_t bytes = oxeln::MarkupToRtf(sheet.subject).size() + oxeln::MarkupToRtf(sheet.answer).size();
    if (bytes == 0)
        std::fprintf(stderr, "nothing composed\n");
    return cpuMs() - start;
}

template<typename F> double median(int runs, F work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(work());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<int> sizes = {1, 10, 100, 500};
    if (argc == 2 && std::string(argv[1]).rfind("--sizes=", 0) == 0) {
        sizes = oxeln::bench::parseSizes(std::string(argv[1]).substr(8));
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: oxeln_compose_bench [--sizes=1,10,100,500]\n");
        return 2;
    }
    char folder[] = "/tmp/oxeln-compose-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string out = std::string(folder) + "/fiche.rtf";

    struct Row { int drills; double command; double here; };
    std::vector<Row> rows;
    for (const int drills : sizes)
        rows.push_back({drills, median(5, [&] { return runBinary(drills, out); }),
                        median(5, [&] { return composeHere(drills); })});

    const auto at = [&rows](int drills) {
        for (const Row &row : rows)
            if (row.drills == drills)
                return row;
        return rows.front();
    };
    std::printf("%-8s %12s %10s %12s %14s %12s\n", "drills", "command_ms", "x_1drill", "compose_ms",
                "compose_ms/drill", "x_100");
    for (const Row &row : rows) {
        std::printf("%-8d %12.2f %10.2f %12.2f %14.3f %12.2f\n", row.drills, row.command,
                    row.command / rows.front().command, row.here, row.here / row.drills,
                    row.command / at(100).command);
    }
    std::remove(out.c_str());
    std::remove((std::string(folder) + "/fiche_Cor.rtf").c_str());
    rmdir(folder);
    return 0;
}
