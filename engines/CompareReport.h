#pragma once
// TCompareReport: a comparison written out for people and programs: the
// summary line, plain lines (state, tab, path), CSV and JSON. vorntool diff
// prints it and the comparison window saves it. Texts are UTF-8; archive
// names are turned from Windows-1252.

#include "engines/CompareTypes.h"

#include <array>
#include <functional>
#include <string>

class TCompareReport {
public:
    // Which states are listed (by TCompareState value).
    using TStateSet = std::array<bool, CompareStateCount>;
    // Receives a report piece by piece, so a long one need not be held whole.
    using TTextSink = std::function<void(const std::string &text)>;
    // Receives a listed item whose path is longer than the system allows
    // (its first bytes and "..."); the item is then left out of the report.
    using TTooLongSink = std::function<void(const std::string &shownPath)>;
    // Added, removed and changed.
    static TStateSet Differences();

    // `nameA`, `nameB`: how the two archives are named in the report.
    TCompareReport(const TCompareResult &result, std::string nameA, std::string nameB);

    // "Only in A: 1 file, 10 bytes; Only in B: ...; Changed: 2 files, 10 -> 12 bytes; ..."
    std::string SummaryText() const;
    // One "state<TAB>path" line per listed item; folders end in "/".
    std::string Lines(const TStateSet &states) const;
    void WriteLines(const TStateSet &states, const TTextSink &out, const TTooLongSink &tooLong = {}) const;
    // Both archives, the summary, a blank line, then Lines.
    std::string Text(const TStateSet &states) const;
    // A header row, then one row per listed item.
    std::string Csv(const TStateSet &states) const;
    // {"a", "b", "differ", "summary", "entries": [...]}
    std::string Json(const TStateSet &states) const;
    void WriteJson(const TStateSet &states, const TTextSink &out, const TTooLongSink &tooLong = {}) const;

    // A folder on both sides is not listed: its state only sums up what is
    // below it, and those items are listed themselves.
    static bool Listed(const TCompareItem &item, const TStateSet &states);
    // Item `index`'s path as UTF-8, folders ending in "/"; one longer than
    // the system allows is cut (see CompareItemPath).
    static std::string DisplayPath(const TCompareResult &result, size_t index);

private:
    using TListedVisitor = std::function<void(const TCompareItem &item, const std::string &displayPath)>;
    // Every listed item in order with its display path, walking with one
    // path buffer; without `tooLong` a path too long is shown cut.
    void ForEachListed(const TStateSet &states, const TListedVisitor &visit, const TTooLongSink &tooLong) const;

    const TCompareResult &m_Result;
    std::string m_NameA;
    std::string m_NameB;
};
