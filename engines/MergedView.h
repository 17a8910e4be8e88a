#pragma once
// TMergedView: the tree a game sees when it loads its resources from several
// archives at once. Every archive header carries a priority, a class
// (Factory < Language < Expansion < Patch < User) and a number after it; a
// file of a higher archive replaces the file of the same path in a lower one.
// Archives of equal priority are ordered by file name, the later name
// replacing the earlier, and each such tie is reported.
//
// Paths match the way the game's platform compares them: names are equal
// when they are equal after folding the letters of Windows-1252 (A-Z, the
// accented capitals, and the code page's extra capitals) to small letters.
// Each merged path has its versions in a stack, the winner first and then
// the versions it hides, highest priority first, each compared with the
// winner (TVersionState). Where one archive has a folder and another a file
// of the same path, the higher one wins: a winning file hides everything
// below the folder, a winning folder hides the file; either way the path is
// a conflict of kinds.
//
// The view refers to entries by offset and reads names from the archives'
// indexes; it copies no names. A merged path costs 24 bytes however many
// archives hold it: it keeps its winner and counts, and its stack is looked
// up in the archives' folders of its path when asked for. The archives must
// stay open while the view is used.

#include "archive/vmVornFile.h"
#include "engines/MergedTree.h"

#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The ids [First, Last) of a folder's children, in order, for range-for and
// the standard algorithms. (A plain struct: clang's ranges support lags
// behind the library's iota_view, and the fuzz build uses clang.)
struct TMergeNodeRange {
    struct iterator {
        using iterator_category = std::forward_iterator_tag;
        using value_type = TMergeNodeId;
        using difference_type = std::ptrdiff_t;
        using pointer = const TMergeNodeId *;
        using reference = TMergeNodeId;
        TMergeNodeId Id = 0;
        TMergeNodeId operator*() const { return Id; }
        iterator &operator++()
        {
            ++Id;
            return *this;
        }
        iterator operator++(int)
        {
            const iterator old = *this;
            ++Id;
            return old;
        }
        bool operator==(const iterator &) const = default;
    };
    TMergeNodeId First = 0;
    TMergeNodeId Last = 0;
    iterator begin() const { return {First}; }
    iterator end() const { return {Last}; }
    size_t size() const { return Last - First; }
    bool empty() const { return First == Last; }
};

class TMergedView {
public:
    // An archive that was left out: its index could not be walked.
    struct TFailure {
        uint32_t Archive = 0;
        std::string Message;
    };

    // Merges the archives (any order; none may be null). An archive whose
    // index turns out damaged is left out whole and reported in Failures().
    // Raises when there are more archives than a version can name (65535).
    explicit TMergedView(std::vector<const TVornFile *> archives);

    size_t ArchiveCount() const { return m_Archives.size(); }
    const TVornFile &Archive(uint32_t archive) const { return *m_Archives[archive]; }
    // The merged archives from the lowest priority to the highest (the ones
    // left out are not among them).
    const std::vector<uint32_t> &Layers() const { return m_Layers; }
    // Groups of merged archives of equal priority, each in the order of
    // Layers() (the last one wins).
    const std::vector<std::vector<uint32_t>> &Ties() const { return m_Ties; }
    const std::vector<TFailure> &Failures() const { return m_Failures; }

    // MergeRoot is the merged root folder; its versions are the archives'
    // roots (none when no archive could be merged).
    size_t NodeCount() const { return m_Tree.Nodes.size(); }
    TMergeNodeId Parent(TMergeNodeId node) const { return m_Tree.Nodes[node].Parent; }
    // The children, in the order first met: the winner's stored order, then
    // what lower archives add.
    TMergeNodeRange Children(TMergeNodeId node) const;
    // The stack: the winner first, then the hidden versions, highest
    // priority first (looked up in the parent's folders: the cost of one
    // walk of those folders).
    std::vector<TMergeVersion> Versions(TMergeNodeId node) const;
    // The stacks of all children of a folder, made in one walk of its
    // folders: for going through many paths of one folder.
    TChildStacks ChildStacks(TMergeNodeId folder) const;
    // The same when the folder's own stack (Versions(folder)) is at hand:
    // a walk down the tree passes each folder's stack on to its children.
    TChildStacks ChildStacks(TMergeNodeId folder, std::span<const TMergeVersion> stack) const;
    TMergeVersion Winner(TMergeNodeId node) const;
    uint32_t HiddenCount(TMergeNodeId node) const { return m_Tree.Nodes[node].HiddenCount; }
    bool IsFolder(TMergeNodeId node) const;
    // True when a version is of the other kind (file against folder).
    bool HasKindConflict(TMergeNodeId node) const;
    // A file that hides another version, or a path in a conflict of kinds.
    bool InConflict(TMergeNodeId node) const;
    // True for a folder with a path in conflict somewhere below it (worked
    // out for the whole tree the first time it is asked).
    bool HasConflictBelow(TMergeNodeId node) const;
    // The winner's stored name (8-bit); "" for the root.
    std::string Name(TMergeNodeId node) const;
    // The names below the root joined with "/"; "" for the root.
    std::string Path(TMergeNodeId node) const;
    // The node of a "/"-separated 8-bit path, letters folded as above;
    // NoMergeNode when there is none. "" gives the root.
    TMergeNodeId Find(std::string_view path) const;

    // Decides the node's Unsettled versions by decoding them and the winner,
    // and keeps the result for Versions() and ChildStacks(); a file that
    // can't be read counts as different.
    void SettleVersions(TMergeNodeId node);
    // The same for a stack at hand, keeping nothing.
    void Settle(std::vector<TMergeVersion> &stack) const;

    // Bytes the view holds (the archives and their indexes not counted).
    size_t MemoryBytes() const;

private:
    // The archives from the lowest priority to the highest; equal ones by
    // file name.
    std::vector<uint32_t> PriorityOrder() const;
    void CollectTies();
    // The archives' roots, the highest first.
    std::vector<TMergeVersion> RootVersions() const;
    // The folder versions of a merged folder, the highest first.
    std::vector<TMergeVersion> FolderVersions(TMergeNodeId folder) const;
    // The versions of a node found in its parent's folder versions, before
    // they are compared with the winner.
    std::vector<TMergeVersion> VersionsIn(const std::vector<TMergeVersion> &folders, TMergeNodeId node) const;
    // Puts back the states SettleVersions() decided.
    void ApplySettled(TMergeNodeId node, std::span<TMergeVersion> stack) const;

    std::vector<const TVornFile *> m_Archives;
    std::vector<uint32_t> m_Layers;
    std::vector<std::vector<uint32_t>> m_Ties;
    std::vector<TFailure> m_Failures;
    TMergedTree m_Tree;
    mutable std::vector<bool> m_ConflictBelow; // empty until asked
    // The states of the stacks SettleVersions() settled.
    std::unordered_map<TMergeNodeId, std::vector<TVersionState>> m_Settled;
};

// Priority order of two headers' m_Priority: the class (bits 12-15) first,
// then the number after it (bits 16-31); bits 0-11 don't count. Negative, 0
// or positive like a comparison.
int ComparePriority(uint32_t a, uint32_t b);
