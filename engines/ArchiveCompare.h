#pragma once
// TArchiveCompare: which files two archives, A and B, have in common and
// which were added, removed or changed. It walks both indexes folder by
// folder and matches names byte for byte, as the archive's own lookup does;
// file contents are not decoded, the stored sizes and CRC-32s decide. Only a
// pair of equal size where one side stores no CRC-32 is decoded and compared
// byte for byte, so that "Same" is never a guess.

#include "archive/vmVornFile.h"
#include "engines/CompareTypes.h"

#include <string>
#include <unordered_set>
#include <vector>

class TArchiveCompare {
public:
    // Both archives stay open while Run works.
    TArchiveCompare(const TVornFile &a, const TVornFile &b);

    // The whole comparison. A damaged index raises an Exception whose message
    // begins with that archive's file name.
    TCompareResult Run();

private:
    // What the index says about one child of a folder.
    struct TEntryFacts {
        std::string Name;
        TEntryOffset Entry = 0;
        bool IsFolder = false;
        uint32_t Size = 0;
        uint32_t Crc32 = 0;
        uint16_t Format = 0;
        uint32_t CompressedSize = 0;
        uint32_t ChunkSize = 0;
    };
    // Children of the same name and kind on both sides; an absent side has Entry 0.
    struct TPair {
        TEntryFacts A, B;
    };
    // A folder being walked: its paired children and the next one to visit.
    struct TFrame {
        std::vector<TPair> Pairs;
        size_t Next = 0;
        uint32_t Item = NoCompareParent;
    };
    // One side: the archive and the folders walked so far.
    struct TSide {
        const TVornFile &Vorn;
        std::unordered_set<TEntryOffset> Entered;
    };

    TFrame OpenFolders(TEntryOffset a, TEntryOffset b, uint32_t item);
    // The children of `folder` (0: none). Raises with the archive's name on a
    // damaged index, and when a folder is met a second time.
    static std::vector<TEntryFacts> ReadFolder(TSide &side, TEntryOffset folder);
    static TEntryFacts ReadEntry(const TVornFile &vorn, TEntryOffset entry);
    static std::vector<TPair> PairByName(std::vector<TEntryFacts> a, std::vector<TEntryFacts> b);
    void AddItem(TFrame &frame, TPair pair, std::vector<TFrame> &stack);
    TCompareState CompareFiles(const TEntryFacts &a, const TEntryFacts &b) const;
    bool SameContents(TEntryOffset a, TEntryOffset b) const;
    // Folders present on both sides take the most telling state found below them.
    static void MarkFolders(std::vector<TCompareItem> &items);

    TSide m_A;
    TSide m_B;
    TCompareResult m_Result;
};
