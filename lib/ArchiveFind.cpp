// Archive::find: the name search over the archive's flat name table, then,
// when asked, the content search or the decoding check on what it found.

#include "lib/ArchiveImpl.h"

#include "lib/ErrorTranslation.h"

#include "archive/vmFunctions.h"
#include "engines/ContentSearch.h"
#include "engines/NameSearch.h"
#include "engines/VerifyEngine.h"

#include <algorithm>

namespace vorn {

namespace {

TFindCriteria CriteriaOf(const FindQuery &query)
{
    if (!query.containsText.empty() && !query.containsHex.empty())
        throw Error("Give only one of containsText and containsHex");
    TFindCriteria criteria;
    criteria.Name = query.name;
    criteria.NameMode = TNameMode(query.nameMode);
    criteria.IgnoreCase = query.ignoreCase;
    criteria.WholePath = query.wholePath;
    criteria.Types = query.types;
    criteria.MinSize = query.minSize;
    criteria.MaxSize = query.maxSize;
    for (const uint16_t format : query.formats) {
        if (format >= 3)
            throw Error("Unknown storage format " + std::to_string(format) + " (raw, zlib or lzo)");
        criteria.Formats |= FormatBit(format);
    }
    criteria.Damaged = query.damaged;
    if (!query.containsText.empty()) {
        criteria.ContentMode = TContentMode::Text;
        criteria.Content = query.containsText;
    } else if (!query.containsHex.empty()) {
        criteria.ContentMode = TContentMode::Hex;
        criteria.Content = query.containsHex;
    }
    criteria.Validate();
    return criteria;
}

class TFoundTargets : public IContentSearchSink {
public:
    explicit TFoundTargets(size_t count) : Matched(count, false) {}
    void Found(size_t target) override { Matched[target] = true; }
    std::vector<bool> Matched;
};

// The items whose decoded data holds the pattern; an item that can't be
// decoded is an error, never a silent miss.
std::vector<uint32_t> WithContent(const TNameIndex &index, const std::vector<uint32_t> &items,
                                  const TFindCriteria &criteria)
{
    const TContentPattern pattern(criteria.ContentMode, criteria.Content, criteria.IgnoreCase);
    std::vector<TContentTarget> targets;
    for (const uint32_t i : items)
        targets.push_back({&index.Vorn(), index.Item(i).Entry, AnsiToUtf8(index.ItemPath(i))});
    TFoundTargets found(targets.size());
    TJob job;
    TContentSearch(pattern).Run(targets, found, job);
    const std::vector<TJobFailure> failures = job.Failures();
    if (!failures.empty())
        throw DecodeError(failures.front().Path + ": " + failures.front().Reason);
    std::vector<uint32_t> kept;
    for (size_t k = 0; k < items.size(); ++k)
        if (found.Matched[k])
            kept.push_back(items[k]);
    return kept;
}

std::vector<uint32_t> Damaged(const TNameIndex &index, const std::vector<uint32_t> &items)
{
    std::vector<TEntryOffset> files;
    std::vector<std::string> paths;
    for (const uint32_t i : items) {
        files.push_back(index.Item(i).Entry);
        paths.push_back(AnsiToUtf8(index.ItemPath(i)));
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

} // namespace

std::vector<Entry> Archive::find(const FindQuery &query) const
{
    const TFindCriteria criteria = Translated<Error>([&] { return CriteriaOf(query); });
    return Translated<Error>([&] {
        const TNameIndex &index = d->NameIndex();
        if (!index.Errors().empty())
            throw OpenError(d->Path + ": " + index.Errors().front());
        std::vector<uint32_t> items;
        TNameSearch(criteria).Run(index, 0, index.Count(), [&](const std::vector<uint32_t> &batch) {
            items.insert(items.end(), batch.begin(), batch.end());
        });
        if (criteria.Damaged)
            items = Damaged(index, items);
        else if (criteria.HasContent())
            items = WithContent(index, items, criteria);
        std::vector<Entry> entries;
        entries.reserve(items.size());
        for (const uint32_t i : items)
            entries.push_back(MakeEntry(d->Vorn, index.Item(i).Entry, index.ItemPath(i)));
        return entries;
    });
}

} // namespace vorn
