#pragma once
// The result of comparing two archives, A and B: every path of either archive
// with its state, and the counts and bytes per state.

#include "archive/vmVornFileDef.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TCompareState : uint8_t {
    Same,     // same size and CRC-32, stored the same way; a folder: nothing below differs
    Repacked, // same size and CRC-32, stored in another format or chunking; a folder: only repacks below
    Changed,  // size or CRC-32 differs; a folder: something below is added, removed or changed
    OnlyInA,  // removed in B
    OnlyInB,  // added in B
};
constexpr size_t CompareStateCount = 5;

// "Same", "Repacked", "Changed", "Only in A", "Only in B".
const char *CompareStateText(TCompareState state);
// "same", "repacked", "changed", "removed", "added": the words of vorntool diff --only.
const char *CompareStateKeyword(TCompareState state);
// True for the states that make the archives hold different files.
bool IsDifference(TCompareState state);

constexpr uint32_t NoCompareParent = UINT32_MAX;

// One path of A or B. A name that is a file on one side and a folder on the
// other gives two items, one per side.
struct TCompareItem {
    std::string Name;        // 8-bit (Windows-1252); the path is the names of the folders above joined with "/"
    uint32_t Parent = NoCompareParent; // index of the folder item above it
    bool IsFolder = false;
    TCompareState State = TCompareState::Same;
    TEntryOffset EntryA = 0; // 0 when the path is not in A
    TEntryOffset EntryB = 0; // 0 when the path is not in B
    uint32_t SizeA = 0, SizeB = 0;   // files only
    uint32_t Crc32A = 0, Crc32B = 0; // files only; 0 = none stored
};

// Files (folders not counted) and their decoded bytes in A and in B, per state.
struct TCompareSummary {
    std::array<uint64_t, CompareStateCount> Files{};
    std::array<uint64_t, CompareStateCount> BytesA{};
    std::array<uint64_t, CompareStateCount> BytesB{};

    void Add(const TCompareItem &item);
    uint64_t FilesIn(TCompareState state) const { return Files[size_t(state)]; }
};

// Item `index`'s path below the root (8-bit, names joined with "/"), put
// together from the folders above it; a path longer than the system allows
// gives its first MaxPathLength bytes and "...".
std::string CompareItemPath(const std::vector<TCompareItem> &items, size_t index);

struct TCompareResult {
    // Depth first: each folder directly followed by everything below it,
    // names in byte order, a folder before a file of the same name.
    std::vector<TCompareItem> Items;
    TCompareSummary Summary;
    // True when some file or folder was added, removed or changed.
    bool Differ = false;
};
