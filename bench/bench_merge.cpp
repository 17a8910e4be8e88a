// Benchmark of the merge engine: 20 archives of 100,000 entries each
// (2,000,000 entries) merged by priority, as vorntool merged and the
// window's merged node do, once as a game's layers (a quarter of each later
// archive overrides a factory archive) and once with every archive holding
// the same paths (20 versions of every path).
//
//   bench_merge [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/vmVornFile.h"
#include "engines/MergedView.h"
#include "tests/support/MergeBenchArchives.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double CpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void Measure(const char *title, const std::vector<std::string> &files)
{
    std::vector<std::unique_ptr<TVornFile>> archives;
    std::vector<const TVornFile *> pointers;
    size_t indexBytes = 0;
    for (const std::string &path : files) {
        archives.push_back(std::make_unique<TVornFile>(path));
        pointers.push_back(archives.back().get());
        indexBytes += archives.back()->Header().m_IndexSize;
    }
    double wall = 1e300, cpu = 1e300;
    std::unique_ptr<TMergedView> view;
    for (int run = 0; run < 7; ++run) {
        view.reset();
        const auto start = Clock::now();
        const double cpuStart = CpuMilliseconds();
        view = std::make_unique<TMergedView>(pointers);
        cpu = std::min(cpu, CpuMilliseconds() - cpuStart);
        wall = std::min(wall, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    size_t versions = 0, conflicts = 0;
    for (TMergeNodeId node = 0; node < view->NodeCount(); ++node) {
        versions += view->Versions(node).size();
        conflicts += view->InConflict(node) ? 1 : 0;
    }
    const size_t paths = view->NodeCount() - 1;
    std::printf("%s\n  archives %zu, entries %zu, merged paths %zu, in conflict %zu, ties %zu\n", title,
                archives.size(), versions - archives.size(), paths, conflicts, view->Ties().size());
    std::printf("  merge: %.1f ms wall, %.1f ms CPU (best of 7)\n", wall, cpu);
    const double used = double(view->NodeCount() * sizeof(TMergeNode) + versions * sizeof(TMergeVersion));
    std::printf("  view: %.1f MB allocated = %.1f bytes per merged path; %.1f in use (indexes: %.1f MB)\n",
                view->MemoryBytes() / 1e6, double(view->MemoryBytes()) / double(paths), used / double(paths),
                indexBytes / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    const bool own = argc < 2;
    const fs::path folder = own ? fs::temp_directory_path() / ("bench_merge." + std::to_string(getpid()))
                                : fs::path(argv[1]);
    Measure("game layers", WriteMergeBenchArchives(folder.string(), false));
    Measure("identical archives", WriteMergeBenchArchives(folder.string(), true));
    if (own)
        fs::remove_all(folder);
    return 0;
}
