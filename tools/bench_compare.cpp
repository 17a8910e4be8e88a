// Benchmark of the archive comparison: two archives of 200,000 entries each
// (B with 1 % of the files changed, 1 % repacked, 0.5 % removed and 0.5 %
// added), opened and compared, as vorntool diff and the comparison window do.
//
//   bench_compare [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/vmVornFile.h"
#include "engines/ArchiveCompare.h"
#include "tests/support/VornWriter.h"

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

// 100 folders of 20 folders of 99 files, plus the folders: 200,100 entries.
// `changes`: whether this is B, where every 100th file has new contents,
// every 100th (another) is stored compressed, every 200th is left out and
// every 200th gets a new neighbour.
void WriteArchive(const std::string &path, bool changes)
{
    VornWriter w;
    int number = 0;
    for (int t = 0; t < 100; ++t) {
        const auto top = w.addDir(0, "folder" + std::to_string(t));
        for (int s = 0; s < 20; ++s) {
            const auto sub = w.addDir(top, "sub" + std::to_string(s));
            for (int f = 0; f < 99; ++f, ++number) {
                const std::string name = "file" + std::to_string(f) + ".dat";
                FileSpec file{.name = name, .data = TextBytes(name + std::to_string(number))};
                if (changes && number % 200 == 7)
                    continue;
                if (changes && number % 100 == 3)
                    file.data.push_back('!');
                if (changes && number % 100 == 5)
                    file.format = DATAFORMAT_ZLIB;
                if (changes && number % 200 == 11)
                    w.addFile(sub, {.name = name + ".new", .data = TextBytes("new")});
                w.addFile(sub, std::move(file));
            }
        }
    }
    w.write(path);
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
    WriteArchive(pathA, false);
    WriteArchive(pathB, true);

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
