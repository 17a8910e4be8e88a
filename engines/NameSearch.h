#pragma once
// TNameSearch: the criteria that the index answers without decoding any data
// (name, type, size, storage format, date), applied to the entries of a
// TNameIndex. Results are item numbers of the index and are handed out in
// batches as they are found, so a window can show the first ones while the
// scan goes on; a cancel flag is looked at every few thousand entries. One
// search object serves one thread at a time (it caches type answers).

#include "engines/FindCriteria.h"
#include "engines/NameIndex.h"
#include "engines/NameMatcher.h"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TNameSearch {
public:
    // The file type's description of a name (UTF-8), for type criteria that
    // name a description rather than an extension. May be empty.
    using TTypeDescriber = std::function<std::string(std::string_view ansiName)>;
    using TBatchSink = std::function<void(const std::vector<uint32_t> &items)>;

    // Compiles the name pattern; raises an Exception for a malformed one.
    explicit TNameSearch(const TFindCriteria &criteria, TTypeDescriber describer = {});

    // Whether item `i` of the index meets every criterion but the content.
    bool Accepts(const TNameIndex &index, size_t i) const;

    // Scans items [first, last) or, with `candidates`, only those items.
    // Returns the number found; false in `completed` when cancelled.
    size_t Run(const TNameIndex &index, size_t first, size_t last, const TBatchSink &sink,
               const std::atomic<bool> *cancel = nullptr, bool *completed = nullptr) const;
    size_t Run(const TNameIndex &index, const std::vector<uint32_t> &candidates, const TBatchSink &sink,
               const std::atomic<bool> *cancel = nullptr, bool *completed = nullptr) const;

    static constexpr size_t BatchSize = 4096;

private:
    bool AcceptsAttributes(const TNameIndex &index, size_t i) const;
    // The criteria after the name; a damaged record meets none.
    bool AcceptsAttributesSafely(const TNameIndex &index, size_t i) const;
    bool AcceptsType(std::string_view name, std::string_view folded) const;
    // Of the texts every matching name holds, the one to look for.
    const std::string &RarestRequiredText(const TNameIndex &index, size_t first, size_t last) const;
    size_t RunSubstring(const TNameIndex &index, size_t first, size_t last, const std::string &needle,
                        const TBatchSink &sink, const std::atomic<bool> *cancel, bool *completed) const;

    TFindCriteria m_Criteria;
    TNameMatcher m_Name;
    TTypeDescriber m_Describer;
    bool m_NameOnly = false; // no criterion but the name: files need no look-up
    std::vector<std::string> m_Types; // folded, without a leading "*." or "."
    mutable std::unordered_map<std::string, bool> m_TypeOfExtension; // answers by folded extension
};
