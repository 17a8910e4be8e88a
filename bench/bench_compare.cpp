// Benchmark of the archive comparison: two archives of 200,000 entries each
// (B with 1 % of the files changed, 1 % repacked, 0.5 % removed and 0.5 %
// added), opened and compared, as vorntool diff and the comparison window do.
//
//   bench_compare [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/vmVornFile.h"
#include "engines/ArchiveCompare.h"
#include "tests/support/CompareBenchArchives.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <time.h>
#include <unistd.h>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double CpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct TTimes {
    double wall = 1e300; // best of the runs
    double cpu = 1e300;
};

// Best wall and CPU time of `runs`: the least disturbed by the other jobs on
// the machine.
TTimes Best(int runs, const std::function<void()> &work)
{
    TTimes best;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuMilliseconds();
        work();
        best.cpu = std::min(best.cpu, CpuMilliseconds() - cpuStart);
        best.wall = std::min(best.wall, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}


} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    const bool own = argc < 2;
    const fs::path folder = own ? fs::temp_directory_path() / ("bench_compare." + std::to_string(getpid()))
                                : fs::path(argv[1]);
    fs::create_directories(folder);
    const std::string pathA = (folder / "a.vmres").string(), pathB = (folder / "b.vmres").string();
    WriteCompareBenchArchive(pathA, false);
    WriteCompareBenchArchive(pathB, true);

    const TTimes open = Best(5, [&] {
        const TVornFile a(pathA), b(pathB);
    });
    const TVornFile a(pathA), b(pathB);
    TCompareResult result;
    const TTimes compare = Best(9, [&] { result = TArchiveCompare(a, b).Run(); });
    std::printf("items %zu, differ %d\n", result.Items.size(), int(result.Differ));
    for (size_t i = 0; i < CompareStateCount; ++i)
        std::printf("  %-9s %llu files\n", CompareStateText(TCompareState(i)),
                    static_cast<unsigned long long>(result.Summary.Files[i]));
    std::printf("open both archives: %.2f ms wall, %.2f ms CPU\ncompare: %.1f ms wall, %.1f ms CPU\n", open.wall,
                open.cpu, compare.wall, compare.cpu);
    if (own)
        fs::remove_all(folder);
    return 0;
}
