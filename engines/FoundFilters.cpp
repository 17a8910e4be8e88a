#include "engines/FoundFilters.h"

#include "archive/vmFunctions.h"
#include "engines/ContentSearch.h"
#include "engines/NameIndex.h"
#include "engines/VerifyEngine.h"

#include <algorithm>
#include <string>

namespace {

// Item i's path for messages, in UTF-8; a path longer than the system allows
// comes cut, never whole.
std::string ShownPath(const TNameIndex &index, uint32_t i)
{
    return AnsiToUtf8(index.FolderPath(index.Item(i).Folder) + std::string(index.Name(i)));
}

class TFoundTargets : public IContentSearchSink {
public:
    explicit TFoundTargets(size_t count) : Matched(count, false) {}
    void Found(size_t target) override { Matched[target] = true; }
    std::vector<bool> Matched;
};

} // namespace

TContentFilterResult FilterByContent(const TNameIndex &index, const std::vector<uint32_t> &items,
                                     const TContentPattern &pattern)
{
    std::vector<TContentTarget> targets;
    targets.reserve(items.size());
    for (const uint32_t i : items)
        targets.push_back({&index.Vorn(), index.Item(i).Entry, ShownPath(index, i)});
    TFoundTargets found(targets.size());
    TJob job;
    TContentSearch(pattern).Run(targets, found, job);
    TContentFilterResult result;
    result.Failures = job.Failures();
    for (size_t k = 0; k < items.size(); ++k)
        if (found.Matched[k])
            result.Kept.push_back(items[k]);
    return result;
}

std::vector<uint32_t> FilterDamaged(const TNameIndex &index, const std::vector<uint32_t> &items)
{
    std::vector<TEntryOffset> files;
    std::vector<std::string> paths;
    for (const uint32_t i : items) {
        files.push_back(index.Item(i).Entry);
        paths.push_back(ShownPath(index, i));
    }
    TJob job;
    const TVerifyResult verified = TVerifyEngine(index.Vorn(), job).Run(files, paths);
    std::vector<TEntryOffset> damaged;
    for (const TDamagedEntry &entry : verified.Damaged)
        damaged.push_back(entry.Entry);
    std::sort(damaged.begin(), damaged.end());
    std::vector<uint32_t> kept;
    for (const uint32_t i : items)
        if (std::binary_search(damaged.begin(), damaged.end(), index.Item(i).Entry))
            kept.push_back(i);
    return kept;
}
