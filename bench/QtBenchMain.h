#pragma once

// The main of a Google Benchmark program that needs a QApplication.
#include <QApplication>

#include <benchmark/benchmark.h>

namespace oxeln::bench {

// Runs the registered benchmarks inside an application, offscreen unless a
// platform is chosen.
inline int runQtBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace oxeln::bench
