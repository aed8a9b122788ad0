#pragma once

// One run of a program as a child process: its CPU time and peak memory,
// measured by the kernel for that child alone. No Qt.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace oxeln::bench {

struct ChildRun
{
    double cpuMs = 0;      // user + system
    long peakKilobytes = 0; // maximum resident set
    bool ok = false;       // exited with status 0
};

// Runs args[0] with args, its standard output thrown away.
inline ChildRun runChild(std::vector<std::string> args)
{
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Or the child would write what this process has not flushed yet.
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen("/dev/null", "w", stdout))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ChildRun run;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return run;
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.peakKilobytes = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

} // namespace oxeln::bench
