// Benchmark of the merge engine: 20 archives of 100,000 entries each
// (2,000,000 entries) merged by priority, as vorntool merged and the
// window's merged node do, once as a game's layers (a quarter of each later
// archive overrides a factory archive) and once with every archive holding
// the same paths (20 versions of every path). Besides the merge: one path's
// stack looked up (Properties), and every stack of the tree made folder by
// folder (vorntool merged --conflicts).
//
//   bench_merge [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/vmVornFile.h"
#include "bench/BenchFolder.h"
#include "bench/BenchTimes.h"
#include "engines/MergedView.h"
#include "tests/support/MergeBenchArchives.h"

#include <cstdio>
#include <malloc.h>
#include <memory>

namespace {

// Bytes allocated from the heap now, large blocks (mapped on their own)
// included.
size_t HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
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
    std::unique_ptr<TMergedView> view;
    size_t heapBefore = 0, heapAfter = 0;
    const TBenchTimes merge = BestOf(7, [&] {
        view.reset();
        heapBefore = HeapBytes();
        view = std::make_unique<TMergedView>(pointers);
        heapAfter = HeapBytes();
    });
    size_t versions = 0, conflicts = 0;
    for (TMergeNodeId node = 0; node < view->NodeCount(); ++node) {
        versions += view->HiddenCount(node) + 1;
        conflicts += view->InConflict(node) ? 1 : 0;
    }
    const size_t paths = view->NodeCount() - 1;
    std::printf("%s\n  archives %zu, entries %zu, merged paths %zu, in conflict %zu, ties %zu\n", title,
                archives.size(), versions - archives.size(), paths, conflicts, view->Ties().size());
    std::printf("  merge: %.1f ms wall, %.1f ms CPU (best of 7)\n", merge.wall, merge.cpu);
    std::printf("  view: %.1f MB = %.1f bytes per merged path (heap grew by %.1f bytes per path; indexes: %.1f MB)\n",
                double(view->MemoryBytes()) / 1e6, double(view->MemoryBytes()) / double(paths),
                double(heapAfter - heapBefore) / double(paths), double(indexBytes) / 1e6);

    const TMergeNodeId deep = view->NodeCount() - 1; // a file two folders down
    size_t stackSize = 0;
    const TBenchTimes one = BestOf(21, [&] { stackSize = view->Versions(deep).size(); });
    std::printf("  one stack (%zu versions): %.3f ms wall\n", stackSize, one.wall);
    size_t walked = 0;
    const TBenchTimes all = BestOf(3, [&] {
        walked = 0;
        for (TMergeNodeId folder = 0; folder < view->NodeCount(); ++folder)
            if (view->IsFolder(folder) && !view->Children(folder).empty())
                walked += view->ChildStacks(folder).Versions.size();
    });
    std::printf("  every stack, folder by folder (%zu versions): %.1f ms wall, %.1f ms CPU (best of 3)\n", walked,
                all.wall, all.cpu);
}

} // namespace

int main(int argc, char **argv)
{
    const TBenchFolder folder(argc, argv, "bench_merge");
    Measure("game layers", WriteMergeBenchArchives(folder.Path().string(), false));
    Measure("identical archives", WriteMergeBenchArchives(folder.Path().string(), true));
    return 0;
}
