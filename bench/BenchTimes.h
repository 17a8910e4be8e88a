#pragma once
// Timing for the benchmarks: the best wall and CPU time of several runs, the
// runs least disturbed by the other jobs on the machine.

#include <algorithm>
#include <chrono>
#include <functional>
#include <time.h>

struct TBenchTimes {
    double wall = 1e300; // milliseconds
    double cpu = 1e300;
};

inline double BenchCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

inline TBenchTimes BestOf(int runs, const std::function<void()> &work)
{
    TBenchTimes best;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = BenchCpuMilliseconds();
        work();
        best.cpu = std::min(best.cpu, BenchCpuMilliseconds() - cpuStart);
        best.wall = std::min(
            best.wall, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
