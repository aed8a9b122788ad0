// oxeln-compose by output format and by number of versions, whole runs of
// the binary (process start, drills, files written):
// - CPU per format (rtf, txt, pdf, odt) for a worksheet of D drills of 40
//   lines, median of 9 rounds of all formats, and its ratio to rtf of the
//   same binary;
// - peak memory of --versions 1, 5 and 26, and its ratio to --versions 1.
// With --baseline=PATH (another build of oxeln-compose, say of the main
// branch), every run is made with both binaries in turn and the table adds
// ours / baseline: ratios of one run, on a machine others share.
//
//   oxeln_compose_formats_bench [--drills=100] [--versions=1,5,26]
//                               [--version-drills=100,1000] [--baseline=PATH]
#include "BenchSupport.h"
#include "ChildRun.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using oxeln::bench::ChildRun;
using oxeln::bench::parseSizes;
using oxeln::bench::runChild;

const char *const Cycle[] = {"+", "-", "x", ":", "^", "S1", "S2"};

std::vector<std::string> composeArgs(const std::string &binary, int drills, const std::string &format,
                                     int versions, const std::string &out)
{
    std::vector<std::string> args = {binary, "--seed", "7", "--lines", "40", "--format", format,
                                     "--versions", std::to_string(versions), "--out", out};
    for (int i = 0; i < drills; ++i)
        args.push_back(Cycle[i % 7]);
    return args;
}

struct Measure
{
    double cpuMs = 0;
    long peakKilobytes = 0;
};

// Medians of runs runs of each binary, the binaries taking turns.
std::vector<Measure> measure(const std::vector<std::string> &binaries, int runs, int drills,
                             const std::string &format, int versions, const std::string &out)
{
    std::vector<std::vector<double>> cpu(binaries.size());
    std::vector<std::vector<long>> peak(binaries.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t b = 0; b < binaries.size(); ++b) {
            const ChildRun child = runChild(composeArgs(binaries[b], drills, format, versions, out));
            if (!child.ok)
                std::fprintf(stderr, "%s failed (--format %s)\n", binaries[b].c_str(), format.c_str());
            cpu[b].push_back(child.cpuMs);
            peak[b].push_back(child.peakKilobytes);
        }
    }
    std::vector<Measure> result;
    for (std::size_t b = 0; b < binaries.size(); ++b) {
        std::sort(cpu[b].begin(), cpu[b].end());
        std::sort(peak[b].begin(), peak[b].end());
        result.push_back({cpu[b][cpu[b].size() / 2], peak[b][peak[b].size() / 2]});
    }
    return result;
}

void formats(const std::vector<std::string> &binaries, int drills, const std::string &out)
{
    const bool baseline = binaries.size() > 1;
    const std::vector<std::string> names = {"rtf", "txt", "pdf", "odt"};
    // Every format and binary in each round, so that a machine growing
    // busier or quieter weighs on all alike.
    std::vector<std::vector<std::vector<double>>> cpu(names.size(), std::vector<std::vector<double>>(binaries.size()));
    std::vector<std::vector<long>> peak(names.size());
    for (int round = 0; round < 9; ++round) {
        for (std::size_t f = 0; f < names.size(); ++f) {
            for (std::size_t b = 0; b < binaries.size(); ++b) {
                const ChildRun child = runChild(composeArgs(binaries[b], drills, names[f], 1, out));
                if (!child.ok)
                    std::fprintf(stderr, "%s failed (--format %s)\n", binaries[b].c_str(), names[f].c_str());
                cpu[f][b].push_back(child.cpuMs);
                if (b == 0)
                    peak[f].push_back(child.peakKilobytes);
            }
        }
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("%d drills of 40 lines, both files, medians of 9 rounds\n%-6s %10s %8s %10s %12s %8s %12s\n", drills,
                "format", "cpu_ms", "x_rtf", "peak_MB", baseline ? "base_cpu_ms" : "", baseline ? "x_rtf" : "",
                baseline ? "ours/base" : "");
    for (std::size_t f = 0; f < names.size(); ++f) {
        const double ours = median(cpu[f][0]);
        std::sort(peak[f].begin(), peak[f].end());
        std::printf("%-6s %10.1f %8.2f %10.1f", names[f].c_str(), ours, ours / median(cpu[0][0]),
                    double(peak[f][peak[f].size() / 2]) / 1024);
        if (baseline) {
            const double base = median(cpu[f][1]);
            std::printf(" %12.1f %8.2f %12.2f", base, base / median(cpu[0][1]), ours / base);
        }
        std::printf("\n");
    }
}

void versions(const std::vector<std::string> &binaries, const std::vector<int> &counts,
              const std::vector<int> &sizes, const std::string &out)
{
    const bool baseline = binaries.size() > 1;
    for (const char *format : {"rtf", "pdf"}) {
        for (const int drills : sizes) {
            std::printf("--versions, --format %s, %d drills of 40 lines\n%-9s %10s %8s %10s %12s %8s\n", format,
                        drills, "versions", "peak_MB", "x_v1", "cpu_ms", baseline ? "base_peak_MB" : "",
                        baseline ? "x_v1" : "");
            std::vector<Measure> one;
            for (const int count : counts) {
                const std::vector<Measure> m = measure(binaries, 3, drills, format, count, out);
                if (one.empty())
                    one = m;
                std::printf("%-9d %10.1f %8.2f %10.0f", count, double(m[0].peakKilobytes) / 1024,
                            double(m[0].peakKilobytes) / double(one[0].peakKilobytes), m[0].cpuMs);
                if (baseline)
                    std::printf(" %12.1f %8.2f", double(m[1].peakKilobytes) / 1024,
                                double(m[1].peakKilobytes) / double(one[1].peakKilobytes));
                std::printf("\n");
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    int drills = 100;
    std::vector<int> counts = {1, 5, 26};
    std::vector<int> versionDrills = {100, 1000};
    std::vector<std::string> binaries = {OXELN_COMPOSE_BINARY};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--drills=", 0) == 0)
            drills = std::stoi(arg.substr(9));
        else if (arg.rfind("--versions=", 0) == 0)
            counts = parseSizes(arg.substr(11));
        else if (arg.rfind("--version-drills=", 0) == 0)
            versionDrills = parseSizes(arg.substr(17));
        else if (arg.rfind("--baseline=", 0) == 0)
            binaries.push_back(arg.substr(11));
        else {
            std::fprintf(stderr, "usage: oxeln_compose_formats_bench [--drills=N] [--versions=N,..] "
                                 "[--version-drills=N,..] [--baseline=PATH]\n");
            return 2;
        }
    }
    char folder[] = "/tmp/oxeln-formats-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string out = std::string(folder) + "/fiche";
    if (drills > 0)
        formats(binaries, drills, out);
    if (!counts.empty() && !versionDrills.empty() && versionDrills.front() > 0)
        versions(binaries, counts, versionDrills, out);
    // Every file the runs left: fiche, fiche_Cor, fiche-A..Z and their keys.
    const std::string clean = std::string("rm -rf '") + folder + "'";
    return std::system(clean.c_str()) == 0 ? 0 : 1;
}
