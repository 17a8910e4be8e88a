#pragma once
// TFolderMerge: merges the children of one merged folder. The children of
// every folder version of the path -- the archives' folders of that path,
// highest priority first -- are gathered and grouped by folded name in a
// small hash table, in the order first met. Each group is one merged child:
// its versions in gathered order (highest priority first, and within one
// archive the stored order), the first one the winner and every other one
// compared with it. Names stay in the archives' indexes.

#include "archive/vmVornFile.h"
#include "engines/MergedTree.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// A member whose index turned out damaged while it was merged.
struct TDamagedMember {
    uint16_t Archive = 0;
    std::string Message;
};

class TFolderMerge {
public:
    // The archives stay open, and the vector alive, while this is used.
    explicit TFolderMerge(const std::vector<const TVornFile *> &archives);

    // Merges the children of `folders` into Result(), replacing what was
    // there. Raises TDamagedMember when a folder's children can't be read.
    void Merge(std::span<const TMergeVersion> folders);

    TChildStacks &Result() { return m_Result; }

private:
    // One child of a folder version.
    struct TItem {
        std::string_view Name;
        TEntryOffset Entry = 0;
        uint32_t Hash = 0;
        uint32_t Child = 0; // its group, in the order first met
        uint16_t Archive = 0;
        bool IsFolder = false;
    };

    void GatherChildren(uint16_t archive, TEntryOffset folder);
    // Gives every item its group; returns the number of groups.
    uint32_t GroupByName();
    void PlaceVersions(uint32_t childCount);

    const std::vector<const TVornFile *> &m_Archives;
    TChildStacks m_Result;
    // Work space, kept for the next folder.
    std::vector<TItem> m_Items;
    std::vector<uint32_t> m_Slots;
};

// The hash of a name with its letters folded.
uint32_t FoldedNameHash(std::string_view name);
// True when the names are equal with their letters folded.
bool SameFoldedName(std::string_view a, std::string_view b);
// How `version` compares with `winner` by kind, size and CRC-32 (Unsettled
// when only decoding can tell).
TVersionState VersionStateAgainst(const std::vector<const TVornFile *> &archives, const TMergeVersion &winner,
                                  const TMergeVersion &version);
