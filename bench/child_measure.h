#pragma once

#include "figure.h"

#include <QString>
#include <QStringList>

#include <cstdio>

#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace torvex::bench {

// The wall time and peak memory of one child process.
struct Measured {
    double seconds = 0;
    long peakRssKb = 0;
    int exitCode = -1;
};

// Runs argv[0] (searched on PATH) with its arguments; standard output goes
// to outPath when given.
inline Measured runMeasured(const QStringList& argv, const QString& outPath = QString())
{
    std::vector<QByteArray> bytes;
    for (const QString& arg : argv)
        bytes.push_back(arg.toLocal8Bit());
    std::vector<char*> args;
    for (QByteArray& arg : bytes)
        args.push_back(arg.data());
    args.push_back(nullptr);
    const QByteArray out = outPath.toLocal8Bit();

    timeval start{};
    gettimeofday(&start, nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!out.isEmpty() && !std::freopen(out.constData(), "w", stdout))
            _exit(126);
        execvp(args[0], args.data());
        _exit(127);
    }
    Measured result;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return result;
    timeval end{};
    gettimeofday(&end, nullptr);
    result.seconds = double(end.tv_sec - start.tv_sec) + double(end.tv_usec - start.tv_usec) / 1e6;
    result.peakRssKb = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline void printMeasured(const char* what, const Measured& m, double megabytes)
{
    std::printf("%-34s %8.3f s  %8.1f MB/s  peak %7.1f MB  exit %d\n", what, m.seconds,
                m.seconds > 0 ? megabytes / m.seconds : 0.0, double(m.peakRssKb) / 1024.0, m.exitCode);
}

}  // namespace torvex::bench
