#pragma once
// TCompareReport: a comparison written out for people and programs: the
// summary line, plain lines (state, tab, path), CSV and JSON. vorntool diff
// prints it and the comparison window saves it. Texts are UTF-8; archive
// names are turned from Windows-1252.

#include "engines/CompareTypes.h"

#include <array>
#include <string>

class TCompareReport {
public:
    // Which states are listed (by TCompareState value).
    using TStateSet = std::array<bool, CompareStateCount>;
    // Added, removed and changed.
    static TStateSet Differences();

    // `nameA`, `nameB`: how the two archives are named in the report.
    TCompareReport(const TCompareResult &result, std::string nameA, std::string nameB);

    // "Only in A: 1 file, 10 bytes; Only in B: ...; Changed: 2 files, 10 -> 12 bytes; ..."
    std::string SummaryText() const;
    // One "state<TAB>path" line per listed item; folders end in "/".
    std::string Lines(const TStateSet &states) const;
    // Both archives, the summary, a blank line, then Lines.
    std::string Text(const TStateSet &states) const;
    // A header row, then one row per listed item.
    std::string Csv(const TStateSet &states) const;
    // {"a", "b", "differ", "summary", "entries": [...]}
    std::string Json(const TStateSet &states) const;

    // A folder on both sides is not listed: its state only sums up what is
    // below it, and those items are listed themselves.
    static bool Listed(const TCompareItem &item, const TStateSet &states);
    // The item's path as UTF-8, folders ending in "/".
    static std::string DisplayPath(const TCompareItem &item);

private:
    const TCompareResult &m_Result;
    std::string m_NameA;
    std::string m_NameB;
};
