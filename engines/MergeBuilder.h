#pragma once
// TMergeBuilder: makes a TMergedTree one merged folder at a time
// (TFolderMerge). The children of a folder are consecutive nodes, so nothing
// is sorted or moved afterwards; a node keeps its winner and counts, and the
// folder versions of folders still to be merged wait in one pool.

#include "archive/vmVornFile.h"
#include "engines/FolderMerge.h"
#include "engines/MergedTree.h"

#include <span>
#include <unordered_set>
#include <vector>

class TMergeBuilder {
public:
    // `topDown`: the archives to merge, highest priority first. They stay
    // open while the tree is used.
    TMergeBuilder(std::vector<const TVornFile *> archives, std::vector<uint16_t> topDown);

    // The whole tree. Raises TDamagedMember for the first archive whose index
    // can't be walked.
    TMergedTree Build();

private:
    // A merged folder still to merge; its folder versions are
    // m_Pool[First, First + Count).
    struct TOpenFolder {
        TMergeNodeId Node = 0;
        uint32_t First = 0;
        uint32_t Count = 0;
    };

    void MergeFolder(const TOpenFolder &open);
    void AddChildren(TMergeNodeId node);
    // Puts a winning folder's folder versions in the pool, to merge later.
    void OpenFolder(TMergeNodeId node, std::span<const TMergeVersion> stack);
    // Refuses a folder met twice: a damaged index listing a folder inside
    // itself would never end.
    void EnterOnce(const TMergeVersion &folder);

    std::vector<const TVornFile *> m_Archives;
    std::vector<uint16_t> m_TopDown;
    TMergedTree m_Tree;
    TFolderMerge m_Merge{m_Archives};
    std::unordered_set<uint64_t> m_Entered; // archive << 32 | folder entry
    std::vector<TOpenFolder> m_Open;
    std::vector<TMergeVersion> m_Pool;
    std::vector<TMergeVersion> m_Folders; // the folder versions being merged
};
