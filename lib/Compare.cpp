#include "vorn/Compare.h"

#include "lib/ArchiveImpl.h"
#include "lib/ErrorTranslation.h"

#include "archive/vmFunctions.h"
#include "engines/ArchiveCompare.h"

namespace vorn {

namespace {

Change ChangeOf(TCompareState state)
{
    switch (state) {
    case TCompareState::Same:
        return Change::Same;
    case TCompareState::Repacked:
        return Change::Repacked;
    case TCompareState::Changed:
        return Change::Changed;
    case TCompareState::OnlyInA:
        return Change::Removed;
    case TCompareState::OnlyInB:
        break;
    }
    return Change::Added;
}

} // namespace

std::vector<Difference> compare(const Archive &a, const Archive &b, bool includeSame)
{
    const TCompareResult compared = Translated<OpenError>(
        [&] { return TArchiveCompare(ArchiveAccess::Of(a)->Vorn, ArchiveAccess::Of(b)->Vorn).Run(); });
    std::vector<Difference> differences;
    for (size_t i = 0; i < compared.Items.size(); ++i) {
        const TCompareItem &item = compared.Items[i];
        if (item.State == TCompareState::Same && !includeSame)
            continue;
        differences.push_back({AnsiToUtf8(CompareItemPath(compared.Items, i)), item.IsFolder, ChangeOf(item.State), item.SizeA, item.SizeB,
                               item.Crc32A, item.Crc32B});
    }
    return differences;
}

const char *changeName(Change change)
{
    static const char *const names[] = {"same", "repacked", "changed", "removed", "added"};
    return names[size_t(change)];
}

} // namespace vorn
