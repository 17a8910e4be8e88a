#include "engines/CompareTypes.h"

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
