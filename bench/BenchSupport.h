#pragma once

// Small pieces the benchmark programs share: clocks, the process's memory,
// size lists from the command line. No Qt, for the composer's benchmark.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace oxeln::bench {

// CPU milliseconds of this process so far.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

inline double wallMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A "Vm…:" line of /proc/self/status in kilobytes, or -1.
inline long statusKilobytes(const char *key)
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long value = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, key, std::strlen(key)) == 0) {
            value = std::strtol(line + std::strlen(key), nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

// "1,100,500" as numbers.
inline std::vector<int> parseSizes(const std::string &text)
{
    std::vector<int> sizes;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t comma = text.find(',', at);
        sizes.push_back(std::stoi(text.substr(at, comma - at)));
        at = comma == std::string::npos ? text.size() : comma + 1;
    }
    return sizes;
}

} // namespace oxeln::bench
