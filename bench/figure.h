#pragma once

#include <cstdio>

namespace torvex::bench {

// One machine-readable row for the benchmark report (bench/report.sh):
// benchmark, measure, our figure, unit, and the peer measured beside us in
// the same run with its figure (no peer: empty name).
inline void printFigure(const char* benchmark, const char* measure, double ours, const char* unit,
                        const char* peer = "", double peerFigure = 0)
{
    std::printf("figure\t%s\t%s\t%.3f\t%s\t%s\t%.3f\n", benchmark, measure, ours, unit, peer, peerFigure);
}

}  // namespace torvex::bench
