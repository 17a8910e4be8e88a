#include "viewers/HexLayout.h"

#include <algorithm>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void PutHex(std::string &text, size_t at, uint64_t value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        text[at + i] = kHexDigits[value & 0xF];
        value >>= 4;
    }
}

} // namespace

const std::string &THexLayout::HeaderText()
{
    static const std::string header =
        "Address    0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F  -- ASCII Data --";
    return header;
}

char THexLayout::DisplayChar(uint8_t byte)
{
    return (byte < 32 || byte >= 126) ? '.' : static_cast<char>(byte);
}

std::string THexLayout::RowText(const uint8_t *data, int64_t size, int64_t row)
{
    std::string text(RowLength, ' ');
    const int64_t first = row * BytesPerRow;
    // The address has 8 digits; past 4 GB it shows the low 32 bits.
    PutHex(text, 0, static_cast<uint64_t>(first), 8);
    for (int k = 0; k < BytesPerRow && first + k < size; ++k) {
        const uint8_t byte = data[first + k];
        PutHex(text, HexColumn + 3 * k, byte, 2);
        text[CharColumn + k] = DisplayChar(byte);
    }
    return text;
}

int THexLayout::VisibleRows(int paneHeight, int lineHeight)
{
    return lineHeight > 0 ? std::max(0, paneHeight / lineHeight) : 0;
}

THexLayout::TScrollRange THexLayout::ScrollRange(int64_t size, int visibleRows)
{
    const int64_t rows = size / BytesPerRow;
    const int64_t maximum = std::max<int64_t>(0, rows - visibleRows + 1);
    return {static_cast<int>(maximum), visibleRows, rows >= visibleRows};
}

THexLayout::TColumnSpan THexLayout::SelectedColumns(int64_t selStart, int64_t selLength,
                                                    int64_t row)
{
    if (selLength <= 0)
        return {0, 0};
    const int64_t rowStart = row * BytesPerRow;
    const int64_t from = std::max(selStart, rowStart);
    const int64_t to = std::min(selStart + selLength, rowStart + BytesPerRow);
    if (from >= to)
        return {0, 0};
    return {static_cast<int>(from - rowStart), static_cast<int>(to - from)};
}

THexLayout::TCellSpan THexLayout::HexCells(TColumnSpan columns)
{
    return {HexColumn + 3 * columns.first, 3 * columns.count - 1};
}

THexLayout::TCellSpan THexLayout::CharCells(TColumnSpan columns)
{
    return {CharColumn + columns.first, columns.count};
}
