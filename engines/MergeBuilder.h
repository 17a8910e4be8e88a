#pragma once
// TMergeBuilder: makes a TMergedTree from archives added one at a time, from
// the highest priority to the lowest, so the first version of a path is its
// winner. Each folder's children are looked up by parent and folded name in
// one hash table of node numbers; names stay in the archives' indexes.

#include "archive/vmVornFile.h"
#include "engines/MergedTree.h"

#include <string_view>
#include <vector>

class TMergeBuilder {
public:
    // The archives stay open while the builder and its tree are used.
    explicit TMergeBuilder(std::vector<const TVornFile *> archives);

    // Merges archive number `archive` below everything added so far. A
    // damaged index raises its Exception and leaves nothing of the archive
    // in the tree.
    void AddBelow(uint16_t archive);
    // The tree with each node's children and versions in place and every
    // hidden version compared with its winner.
    TMergedTree Finish();

private:
    // What a node needs while the tree grows; its winner names it.
    struct TGrowingNode {
        TMergeNodeId Parent = NoMergeNode;
        TEntryOffset WinnerEntry = 0;
        uint16_t WinnerArchive = 0;
        bool IsFolder = true;
    };
    struct TPendingVersion {
        TMergeNodeId Node = 0;
        TMergeVersion Version;
    };
    struct TSlot {
        TMergeNodeId Node = NoMergeNode;
        uint32_t Hash = 0;
    };

    void Walk(uint16_t archive);
    TMergeNodeId FindOrAdd(TMergeNodeId parent, std::string_view name, uint16_t archive, TEntryOffset entry,
                           bool isFolder);
    std::string_view WinnerName(TMergeNodeId node) const;
    void Insert(TMergeNodeId node, uint32_t hash);
    void Grow();
    // Forgets the nodes from `nodes` on and the versions from `versions` on.
    void RollBack(size_t nodes, size_t versions);
    TVersionState StateAgainst(const TMergeVersion &winner, const TMergeVersion &version) const;

    std::vector<const TVornFile *> m_Archives;
    std::vector<TGrowingNode> m_Nodes;
    std::vector<TPendingVersion> m_Pending;
    std::vector<TSlot> m_Slots; // a power of two, at most half full
    size_t m_Used = 0;
};

// The hash of a name under a parent, letters folded.
uint32_t MergeNameHash(TMergeNodeId parent, std::string_view name);
// True when the names are equal with their letters folded.
bool SameFoldedName(std::string_view a, std::string_view b);
