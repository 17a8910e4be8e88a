#pragma once
// TMergeBuilder: makes a TMergedTree one merged folder at a time. The
// children of every folder version of a merged folder -- the archives'
// folders of that path -- are gathered, highest priority first, and grouped
// by folded name in a small hash table: the first of a group is the winner.
// Each group becomes a child node; the children of a folder are consecutive
// nodes and each one's versions consecutive elements, so nothing is sorted
// or moved afterwards. Names stay in the archives' indexes.

#include "archive/vmVornFile.h"
#include "engines/MergedTree.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// A member whose index turned out damaged while it was merged.
struct TDamagedMember {
    uint16_t Archive = 0;
    std::string Message;
};

class TMergeBuilder {
public:
    // `topDown`: the archives to merge, highest priority first. They stay
    // open while the tree is used.
    TMergeBuilder(std::vector<const TVornFile *> archives, std::vector<uint16_t> topDown);

    // The whole tree, every hidden version compared with its winner. Raises
    // TDamagedMember for the first archive whose index can't be walked.
    TMergedTree Build();

private:
    // One child of a folder version.
    struct TItem {
        std::string_view Name;
        TEntryOffset Entry = 0;
        uint32_t Hash = 0;
        uint32_t Child = 0; // its group: the child node, counted from the folder's first child
        uint16_t Archive = 0;
        bool IsFolder = false;
    };

    void MergeFolder(TMergeNodeId node);
    void GatherChildren(uint16_t archive, TEntryOffset folder);
    // Gives every item its group; returns the number of groups.
    uint32_t GroupByName();
    void PlaceVersions(TMergeNodeId firstChild, uint32_t childCount);
    TVersionState StateAgainst(const TMergeVersion &winner, const TMergeVersion &version) const;

    std::vector<const TVornFile *> m_Archives;
    std::vector<uint16_t> m_TopDown;
    TMergedTree m_Tree;
    std::unordered_set<uint64_t> m_Entered; // archive << 32 | folder entry
    // Work space of one folder, kept for the next.
    std::vector<TItem> m_Items;
    std::vector<uint32_t> m_Slots;
    std::vector<uint32_t> m_Counts;
};

// The hash of a name with its letters folded.
uint32_t FoldedNameHash(std::string_view name);
// True when the names are equal with their letters folded.
bool SameFoldedName(std::string_view a, std::string_view b);
