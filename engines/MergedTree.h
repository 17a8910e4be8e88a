#pragma once
// The plain data of a merged tree (see TMergedView): the children of a node
// are consecutive nodes, its versions consecutive elements of one flat
// array, and versions refer to archive entries by offset.

#include "archive/vmVornFileDef.h"

#include <cstdint>
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

struct TMergeNode {
    TMergeNodeId Parent = NoMergeNode;
    TMergeNodeId FirstChild = 0;
    uint32_t ChildCount = 0;
    uint32_t FirstVersion = 0; // into Versions
    uint32_t VersionCount = 0;
};

struct TMergedTree {
    std::vector<TMergeNode> Nodes; // node 0 is the root
    std::vector<TMergeVersion> Versions;
};
