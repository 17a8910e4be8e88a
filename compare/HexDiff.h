#pragma once
// THexDiff: where two byte buffers differ, for the side-by-side hex view. A
// byte present on one side only (past the end of the shorter buffer) counts
// as differing. Nothing here paints; the rows are those of THexLayout.

#include <cstdint>

class THexDiff {
public:
    // The buffers are not copied; they must outlive this object.
    THexDiff(const uint8_t *a, int64_t sizeA, const uint8_t *b, int64_t sizeB);

    // Bit c is set when byte 16 * row + c differs.
    uint16_t DifferingColumns(int64_t row) const;
    // The first differing offset at or after `from`; -1 when there is none.
    int64_t NextDifference(int64_t from) const;
    int64_t LongerSize() const { return m_SizeA > m_SizeB ? m_SizeA : m_SizeB; }

private:
    bool Differs(int64_t offset) const;

    const uint8_t *m_A;
    int64_t m_SizeA;
    const uint8_t *m_B;
    int64_t m_SizeB;
};
