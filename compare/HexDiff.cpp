#include "compare/HexDiff.h"

#include "viewers/HexLayout.h"

#include <algorithm>
#include <cstring>

THexDiff::THexDiff(const uint8_t *a, int64_t sizeA, const uint8_t *b, int64_t sizeB)
    : m_A(a), m_SizeA(a ? sizeA : 0), m_B(b), m_SizeB(b ? sizeB : 0)
{
}

bool THexDiff::Differs(int64_t offset) const
{
    const bool inA = offset < m_SizeA, inB = offset < m_SizeB;
    return inA != inB || (inA && m_A[offset] != m_B[offset]);
}

uint16_t THexDiff::DifferingColumns(int64_t row) const
{
    uint16_t columns = 0;
    const int64_t first = row * THexLayout::BytesPerRow;
    for (int c = 0; c < THexLayout::BytesPerRow; ++c)
        if (first + c < LongerSize() && Differs(first + c))
            columns |= uint16_t(1u << c);
    return columns;
}

int64_t THexDiff::NextDifference(int64_t from) const
{
    from = std::max<int64_t>(from, 0);
    // The common part a block at a time: memcmp finds equal runs far faster
    // than a byte loop.
    constexpr int64_t Block = 4096;
    const int64_t common = std::min(m_SizeA, m_SizeB);
    for (int64_t start = from; start < common; start += Block) {
        const int64_t length = std::min(Block, common - start);
        if (std::memcmp(m_A + start, m_B + start, size_t(length)) == 0)
            continue;
        for (int64_t i = start; i < start + length; ++i)
            if (m_A[i] != m_B[i])
                return i;
    }
    const int64_t tail = std::max(from, common);
    return tail < LongerSize() ? tail : -1;
}
