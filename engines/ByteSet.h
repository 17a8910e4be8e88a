#pragma once
// TByteSet: a set of byte values, the building block of the name patterns.

#include "engines/AnsiFold.h"

#include <bitset>
#include <cstdint>

struct TByteSet {
    std::bitset<256> bits;

    bool Has(uint8_t byte) const { return bits[byte]; }
    void Add(uint8_t byte) { bits.set(byte); }
    void AddRange(uint8_t first, uint8_t last)
    {
        for (int b = first; b <= last; ++b)
            bits.set(size_t(b));
    }
    // Adds every byte that folds like a member, so the set ignores case.
    void CloseUnderFolding()
    {
        std::bitset<256> folded;
        for (int b = 0; b < 256; ++b)
            if (bits[size_t(b)])
                folded.set(FoldAnsi(uint8_t(b)));
        for (int b = 0; b < 256; ++b)
            if (folded[FoldAnsi(uint8_t(b))])
                bits.set(size_t(b));
    }
};
