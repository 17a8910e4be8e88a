#pragma once
// The plain data of a merged tree (see TMergedView): the children of a node
// are consecutive nodes, and a node keeps only its winner, how many versions
// that winner hides and whether one of them is of the other kind. The whole
// stack of a path is found again in the archives' indexes when it is asked
// for, so a path costs the same however many archives hold it.

#include "archive/vmVornFileDef.h"

#include <cstdint>
#include <span>
#include <vector>

using TMergeNodeId = uint32_t;
constexpr TMergeNodeId MergeRoot = 0;
constexpr TMergeNodeId NoMergeNode = UINT32_MAX;

// How a version compares with the winner of its path.
enum class TVersionState : uint8_t {
    Winner,    // the version the game sees
    Same,      // a file of the same bytes (equal size and CRC-32, or compared byte for byte)
    Different, // a file of other bytes, or one that can't be read
    Unsettled, // equal size but no CRC-32 to tell; settled by decoding both
    OtherKind, // a folder where the winner is a file, or a file where it is a folder
    Folder,    // a folder below a winning folder: its contents are merged
};

// "winner", "same", "different", "unsettled", "other kind", "folder".
const char *VersionStateText(TVersionState state);

struct TMergeVersion {
    uint16_t Archive = 0; // index into the archives the tree was made from
    TVersionState State = TVersionState::Winner;
    bool IsFolder = false;
    TEntryOffset Entry = 0;
};

// One merged path: 24 bytes.
struct TMergeNode {
    TMergeNodeId Parent = NoMergeNode;
    TMergeNodeId FirstChild = 0;
    uint32_t ChildCount = 0;
    TEntryOffset Entry = 0;    // the winner's entry
    uint32_t HiddenCount = 0;  // the versions the winner hides
    uint16_t Archive = 0;      // the winner's archive
    bool IsFolder = false;     // the winner's kind
    bool KindConflict = false; // a hidden version is of the other kind
};

struct TMergedTree {
    std::vector<TMergeNode> Nodes; // node 0 is the root
};

// The stacks of all children of one merged folder, made in one pass: child
// FirstChild + i has the versions [Starts[i], Starts[i + 1]).
struct TChildStacks {
    TMergeNodeId FirstChild = 0;
    std::vector<TMergeVersion> Versions;
    std::vector<uint32_t> Starts{0};

    uint32_t Count() const { return uint32_t(Starts.size() - 1); }
    std::span<const TMergeVersion> Of(TMergeNodeId child) const
    {
        const uint32_t i = child - FirstChild;
        return {Versions.data() + Starts[i], Starts[i + 1] - Starts[i]};
    }
};
