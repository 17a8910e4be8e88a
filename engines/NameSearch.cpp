#include "engines/NameSearch.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

std::string FoldedAnsi(const std::string &utf8)
{
    std::string out;
    for (const int c : Utf8ToAnsiChars(utf8))
        out += char(c < 0 ? 0 : FoldAnsi(uint8_t(c)));
    return out;
}

std::string_view Extension(std::string_view folded)
{
    const size_t dot = folded.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : folded.substr(dot + 1);
}

// Scratch for whole-path matching, one per thread.
thread_local std::string PathScratch;
thread_local std::string FoldedPathScratch;

} // namespace

TNameSearch::TNameSearch(const TFindCriteria &criteria, TTypeDescriber describer)
    : m_Criteria(criteria), m_Name(criteria.Name, criteria.NameMode, criteria.IgnoreCase),
      m_Describer(std::move(describer))
{
    m_NameOnly = criteria.Types.empty() && !criteria.MinSize && !criteria.MaxSize && criteria.Formats == 0
                 && !criteria.ModifiedFrom && !criteria.ModifiedTo && !criteria.HasContent();
    for (const std::string &type : criteria.Types) {
        std::string folded = FoldedAnsi(type);
        if (folded.rfind("*.", 0) == 0)
            folded.erase(0, 2);
        else if (folded.rfind('.', 0) == 0)
            folded.erase(0, 1);
        if (!folded.empty())
            m_Types.push_back(folded);
    }
}

bool TNameSearch::AcceptsType(std::string_view name, std::string_view folded) const
{
    const std::string extension(Extension(folded));
    const auto known = m_TypeOfExtension.find(extension);
    if (known != m_TypeOfExtension.end())
        return known->second;
    bool accepted = false;
    for (const std::string &type : m_Types)
        accepted = accepted || type == extension;
    if (!accepted && m_Describer) {
        // Descriptions depend only on the extension: asked once per extension.
        const std::string description = FoldedAnsi(m_Describer(name));
        for (const std::string &type : m_Types)
            accepted = accepted || (!description.empty() && type == description);
    }
    m_TypeOfExtension.emplace(extension, accepted);
    return accepted;
}

bool TNameSearch::AcceptsAttributes(const TNameIndex &index, size_t i) const
{
    const TNameIndex::TItem &item = index.Item(i);
    const TVornFile &vorn = index.Vorn();
    const TFindCriteria &c = m_Criteria;
    if (item.IsFolder)
        return !c.FilesOnly() && ((!c.ModifiedFrom && !c.ModifiedTo) || [&] {
                   const TDateTime date = FileTimeToDateTime(vorn.GetFileTime(item.Entry));
                   return (!c.ModifiedFrom || date >= *c.ModifiedFrom) && (!c.ModifiedTo || date <= *c.ModifiedTo);
               }());
    if (!m_Types.empty()) {
        if (!AcceptsType(index.Name(i), index.FoldedName(i)))
            return false;
    }
    if (c.MinSize || c.MaxSize) {
        const uint64_t size = vorn.GetSize(item.Entry);
        if ((c.MinSize && size < *c.MinSize) || (c.MaxSize && size > *c.MaxSize))
            return false;
    }
    if (c.Formats != 0) {
        const uint16_t format = vorn.GetFormat(item.Entry);
        if (format >= 8 || (c.Formats & FormatBit(format)) == 0)
            return false;
    }
    if (c.ModifiedFrom || c.ModifiedTo) {
        const TDateTime date = FileTimeToDateTime(vorn.GetFileTime(item.Entry));
        if ((c.ModifiedFrom && date < *c.ModifiedFrom) || (c.ModifiedTo && date > *c.ModifiedTo))
            return false;
    }
    return true;
}

bool TNameSearch::Accepts(const TNameIndex &index, size_t i) const
{
    const TNameIndex::TItem &item = index.Item(i);
    const std::string_view folded = index.FoldedName(i);
    if (!m_Name.MatchesAll()) {
        if (!m_Criteria.WholePath) {
            if (!m_Name.Matches(index.Name(i), folded))
                return false;
        } else {
            // A path the system can't hold names no file anyone could
            // mean; it is never built to be matched.
            if (index.PathLength(i) > MaxPathLength)
                return false;
            PathScratch.assign(index.FolderPath(item.Folder)).append(index.Name(i));
            FoldAnsiText(PathScratch, FoldedPathScratch);
            if (!m_Name.Matches(PathScratch, FoldedPathScratch))
                return false;
        }
    }
    return AcceptsAttributesSafely(index, i);
}

bool TNameSearch::AcceptsAttributesSafely(const TNameIndex &index, size_t i) const
{
    if (m_NameOnly && !index.Item(i).IsFolder)
        return true;
    try {
        return AcceptsAttributes(index, i);
    } catch (const Exception &) {
        return false; // a record the index can't answer for meets no criterion
    }
}

namespace {

// Hands found items to the sink in batches of TNameSearch::BatchSize and
// counts them; Finish hands on the rest and tells whether the run ended.
class TFoundBatches {
public:
    explicit TFoundBatches(const TNameSearch::TBatchSink &sink) : m_Sink(sink) {}

    void Add(size_t item)
    {
        m_Batch.push_back(uint32_t(item));
        ++m_Found;
        if (m_Batch.size() == TNameSearch::BatchSize) {
            m_Sink(m_Batch);
            m_Batch.clear();
        }
    }

    size_t Finish(bool done, bool *completed)
    {
        if (!m_Batch.empty())
            m_Sink(m_Batch);
        if (completed)
            *completed = done;
        return m_Found;
    }

private:
    const TNameSearch::TBatchSink &m_Sink;
    std::vector<uint32_t> m_Batch;
    size_t m_Found = 0;
};

// Runs `accepts` over `count` positions, item numbers from `itemAt`.
template <typename ItemAt>
size_t Scan(size_t count, ItemAt itemAt, const std::function<bool(size_t)> &accepts,
            const TNameSearch::TBatchSink &sink, const std::atomic<bool> *cancel, bool *completed)
{
    TFoundBatches found(sink);
    bool done = true;
    for (size_t k = 0; k < count; ++k) {
        if ((k & 0x3FFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) {
            done = false;
            break;
        }
        const size_t i = itemAt(k);
        if (accepts(i))
            found.Add(i);
    }
    return found.Finish(done, completed);
}

} // namespace

const std::string &TNameSearch::RarestRequiredText(const TNameIndex &index, size_t first, size_t last) const
{
    // Any of the texts rules out the names without it; the one seen least
    // often in a sample of the names leaves the fewest to match in full
    // ("^tex0[0-4]\d7_" holds "tex0" and "7_": names often all start alike).
    const std::vector<std::string> &texts = m_Name.RequiredTexts();
    if (texts.size() == 1)
        return texts.front();
    constexpr size_t SampleBytes = 64 * 1024;
    const std::string_view names = index.NameBuffer(m_Name.IgnoresCase());
    const size_t start = index.Item(first).NameStart;
    const size_t end = std::min<size_t>(index.Item(last - 1).NameStart + index.Item(last - 1).NameLength,
                                        start + SampleBytes);
    const std::string *rarest = &texts.front();
    size_t fewest = SIZE_MAX;
    for (const std::string &text : texts) {
        size_t seen = 0;
        for (size_t at = start; at < end && seen < fewest; ++seen) {
            const void *hit = memmem(names.data() + at, end - at, text.data(), text.size());
            if (!hit)
                break;
            at = size_t(static_cast<const char *>(hit) - names.data()) + 1;
        }
        if (seen < fewest) {
            fewest = seen;
            rarest = &text;
        }
    }
    return *rarest;
}

size_t TNameSearch::RunSubstring(const TNameIndex &index, size_t first, size_t last, const std::string &needle,
                                 const TBatchSink &sink, const std::atomic<bool> *cancel, bool *completed) const
{
    // One memmem over all names from the first to the last item: the names
    // without the text every match holds are skipped at memory speed, and
    // only the names with it are matched in full (unless the text is all
    // the name criterion asks).
    const std::string_view names = index.NameBuffer(m_Name.IgnoresCase());
    size_t position = index.Item(first).NameStart;
    const size_t end = index.Item(last - 1).NameStart + index.Item(last - 1).NameLength;
    TFoundBatches found(sink);
    size_t hits = 0;
    bool done = true;
    size_t i = first; // hits come in ascending order: the item is found by walking on
    while (position < end) {
        if ((++hits & 0x3FFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) {
            done = false;
            break;
        }
        const void *hit = memmem(names.data() + position, end - position, needle.data(), needle.size());
        if (!hit)
            break;
        const size_t offset = size_t(static_cast<const char *>(hit) - names.data());
        if (i + 64 < last && index.Item(i + 64).NameStart <= offset)
            i = index.ItemAtOffset(offset); // a long way on
        while (i + 1 < last && index.Item(i + 1).NameStart <= offset)
            ++i;
        const size_t nameEnd = index.Item(i).NameStart + index.Item(i).NameLength;
        if (offset + needle.size() > nameEnd) { // runs into the next name
            position = offset + 1;
            continue;
        }
        position = nameEnd;
        if (!m_Name.RequiredTextDecides() && !m_Name.Matches(index.Name(i), index.FoldedName(i)))
            continue;
        if (AcceptsAttributesSafely(index, i))
            found.Add(i);
    }
    return found.Finish(done, completed);
}

size_t TNameSearch::Run(const TNameIndex &index, size_t first, size_t last, const TBatchSink &sink,
                        const std::atomic<bool> *cancel, bool *completed) const
{
    last = std::min(last, index.Count());
    first = std::min(first, last);
    if (!m_Name.RequiredTexts().empty() && !m_Criteria.WholePath && first < last)
        return RunSubstring(index, first, last, RarestRequiredText(index, first, last), sink, cancel, completed);
    return Scan(
        last - first, [first](size_t k) { return first + k; },
        [&](size_t i) { return Accepts(index, i); }, sink, cancel, completed);
}

size_t TNameSearch::Run(const TNameIndex &index, const std::vector<uint32_t> &candidates, const TBatchSink &sink,
                        const std::atomic<bool> *cancel, bool *completed) const
{
    return Scan(
        candidates.size(), [&](size_t k) { return size_t(candidates[k]); },
        [&](size_t i) { return i < index.Count() && Accepts(index, i); }, sink, cancel, completed);
}
