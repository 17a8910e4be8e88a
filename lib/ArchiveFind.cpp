// Archive::find: the name search over the archive's flat name table, then,
// when asked, the content search or the decoding check on what it found.

#include "lib/ArchiveImpl.h"

#include "lib/ErrorTranslation.h"

#include "engines/ContentPattern.h"
#include "engines/FoundFilters.h"
#include "engines/NameSearch.h"

#include <utility>

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

// The items whose decoded data holds the pattern; an item that can't be
// decoded is an error, never a silent miss.
std::vector<uint32_t> WithContent(const TNameIndex &index, const std::vector<uint32_t> &items,
                                  const TFindCriteria &criteria)
{
    const TContentPattern pattern(criteria.ContentMode, criteria.Content, criteria.IgnoreCase);
    TContentFilterResult result = FilterByContent(index, items, pattern);
    if (!result.Failures.empty())
        throw DecodeError(result.Failures.front().Path + ": " + result.Failures.front().Reason);
    return std::move(result.Kept);
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
            items = FilterDamaged(index, items);
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
