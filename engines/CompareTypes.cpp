#include "engines/CompareTypes.h"

#include "engines/CappedPath.h"

const char *CompareStateText(TCompareState state)
{
    switch (state) {
    case TCompareState::Same: return "Same";
    case TCompareState::Repacked: return "Repacked";
    case TCompareState::Changed: return "Changed";
    case TCompareState::OnlyInA: return "Only in A";
    case TCompareState::OnlyInB: return "Only in B";
    }
    return "";
}

const char *CompareStateKeyword(TCompareState state)
{
    switch (state) {
    case TCompareState::Same: return "same";
    case TCompareState::Repacked: return "repacked";
    case TCompareState::Changed: return "changed";
    case TCompareState::OnlyInA: return "removed";
    case TCompareState::OnlyInB: return "added";
    }
    return "";
}

bool IsDifference(TCompareState state)
{
    return state == TCompareState::Changed || state == TCompareState::OnlyInA || state == TCompareState::OnlyInB;
}

void TCompareSummary::Add(const TCompareItem &item)
{
    if (item.IsFolder)
        return;
    const size_t state = size_t(item.State);
    ++Files[state];
    if (item.EntryA != 0)
        BytesA[state] += item.SizeA;
    if (item.EntryB != 0)
        BytesB[state] += item.SizeB;
}

std::string CompareItemPath(const std::vector<TCompareItem> &items, size_t index)
{
    std::vector<size_t> chain; // the item and the folders above it, nearest first
    for (size_t i = index; i != NoCompareParent; i = items[i].Parent)
        chain.push_back(i);
    TCappedPath path;
    for (auto it = chain.rbegin(); it != chain.rend() && !path.TooLong(); ++it) {
        if (it != chain.rbegin())
            path.Append('/');
        path.Append(items[*it].Name);
    }
    return path.Shown();
}
