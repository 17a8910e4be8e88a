// Benchmark of the archive comparison: two archives of 200,000 entries each
// (B with 1 % of the files changed, 1 % repacked, 0.5 % removed and 0.5 %
// added), opened and compared, as vorntool diff and the comparison window do.
//
//   bench_compare [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/vmVornFile.h"
#include "bench/BenchFolder.h"
#include "bench/BenchTimes.h"
#include "engines/ArchiveCompare.h"
#include "tests/support/CompareBenchArchives.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    const TBenchFolder folder(argc, argv, "bench_compare");
    const std::string pathA = (folder.Path() / "a.vmres").string(), pathB = (folder.Path() / "b.vmres").string();
    WriteCompareBenchArchive(pathA, false);
    WriteCompareBenchArchive(pathB, true);

    const TBenchTimes open = BestOf(5, [&] {
        const TVornFile a(pathA), b(pathB);
    });
    const TVornFile a(pathA), b(pathB);
    TCompareResult result;
    const TBenchTimes compare = BestOf(9, [&] { result = TArchiveCompare(a, b).Run(); });
    std::printf("items %zu, differ %d\n", result.Items.size(), int(result.Differ));
    for (size_t i = 0; i < CompareStateCount; ++i)
        std::printf("  %-9s %llu files\n", CompareStateText(TCompareState(i)),
                    static_cast<unsigned long long>(result.Summary.Files[i]));
    std::printf("open both archives: %.2f ms wall, %.2f ms CPU\ncompare: %.1f ms wall, %.1f ms CPU\n", open.wall,
                open.cpu, compare.wall, compare.cpu);
    return 0;
}
