#pragma once
// THexLayout: the arithmetic of the hex dump, free of any painting. A row r
// holds the bytes 16r to 16r + 15 and reads, in 75 fixed-width characters:
//   AAAAAAAA  HH HH .. HH  CCCCCCCCCCCCCCCC
// the address at column 0, the first hex digit at column 10 and the
// characters at columns 59 to 74.

#include <cstdint>
#include <string>

class THexLayout {
public:
    static constexpr int BytesPerRow = 16;
    static constexpr int RowLength = 75;
    static constexpr int HexColumn = 10;
    static constexpr int CharColumn = 59;

    struct TScrollRange {
        int maximum;
        int pageStep;
        bool enabled;
    };

    // A run of byte columns (0 to 15) of one row.
    struct TColumnSpan {
        int first;
        int count;
        bool empty() const { return count <= 0; }
    };

    // A run of character cells of the row text, in units of the char width.
    struct TCellSpan {
        int first;
        int count;
    };

    // The header caption, aligned with the row texts.
    static const std::string &HeaderText();

    // The text of row `row` of a buffer of `size` bytes. Rows past the data
    // show their address only.
    static std::string RowText(const uint8_t *data, int64_t size, int64_t row);
    // The character shown for one byte in the character part.
    static char DisplayChar(uint8_t byte);

    // Whole rows that fit in a pane of the given height.
    static int VisibleRows(int paneHeight, int lineHeight);
    // Scroll range for a buffer, the position being the first row shown.
    static TScrollRange ScrollRange(int64_t size, int visibleRows);
    static bool IsOddRow(int64_t row) { return (row & 1) != 0; }

    // The columns of `row` that lie in the selection [selStart, selStart + selLength).
    static TColumnSpan SelectedColumns(int64_t selStart, int64_t selLength, int64_t row);
    // The cells that highlight those columns: the hex pairs with the blanks
    // between them (not after the last), and the characters.
    static TCellSpan HexCells(TColumnSpan columns);
    static TCellSpan CharCells(TColumnSpan columns);
};
