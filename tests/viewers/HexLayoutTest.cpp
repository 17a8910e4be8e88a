#include "viewers/HexLayout.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::string Row(const std::vector<uint8_t> &bytes, int64_t row)
{
    return THexLayout::RowText(bytes.data(), int64_t(bytes.size()), row);
}

TEST(HexLayout, HeaderDigitsStandOverTheSecondDigitOfEachPair)
{
    const std::string &header = THexLayout::HeaderText();
    ASSERT_EQ(header.size(), 75u);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(header[11 + 3 * k], "0123456789ABCDEF"[k]) << k;
    EXPECT_EQ(header.substr(59), "-- ASCII Data --");
}

TEST(HexLayout, ControlAndHighBytesShowAsDots)
{
    const std::vector<uint8_t> bytes = {0x1F, 0x20, 0x7D, 0x7E, 0x7F, 0x80};
    EXPECT_EQ(Row(bytes, 0),
              "00000000  1F 20 7D 7E 7F 80                                "
              ". }...          ");
    EXPECT_EQ(Row(bytes, 0).find(". }"), 59u);
}

TEST(HexLayout, RowsOfATwentyByteFile)
{
    std::vector<uint8_t> bytes(20);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t('A' + i);
    EXPECT_EQ(Row(bytes, 0),
              "00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Row(bytes, 1),
              "00000010  51 52 53 54                                      QRST            ");
    // Rows past the data show their address only.
    EXPECT_EQ(Row(bytes, 2), "00000020" + std::string(67, ' '));
    EXPECT_EQ(Row(bytes, 0x1000), "00010000" + std::string(67, ' '));
}

TEST(HexLayout, ScrollRangeAroundSixteenTimesTheVisibleRows)
{
    const int visible = 33;
    const auto exact = THexLayout::ScrollRange(16 * visible, visible);
    EXPECT_EQ(exact.maximum, 1);
    EXPECT_EQ(exact.pageStep, visible);
    EXPECT_TRUE(exact.enabled);

    const auto oneShort = THexLayout::ScrollRange(16 * visible - 1, visible);
    EXPECT_EQ(oneShort.maximum, 0);
    EXPECT_FALSE(oneShort.enabled);

    const auto empty = THexLayout::ScrollRange(0, visible);
    EXPECT_EQ(empty.maximum, 0);
    EXPECT_FALSE(empty.enabled);
}

TEST(HexLayout, ScrollRangeOfA200MegabyteBufferReachesTheLastRow)
{
    const int64_t size = 200LL * 1024 * 1024 + 5;
    const int visible = 33;
    const auto range = THexLayout::ScrollRange(size, visible);
    // The last row shown whole at the maximum position holds the last bytes.
    EXPECT_EQ(int64_t(range.maximum) + visible - 1, size / 16);
}

TEST(HexLayout, VisibleRowsAreWholeLinesOnly)
{
    EXPECT_EQ(THexLayout::VisibleRows(429, 13), 33);
    EXPECT_EQ(THexLayout::VisibleRows(12, 13), 0);
    EXPECT_EQ(THexLayout::VisibleRows(100, 0), 0);
}

TEST(HexLayout, SelectionCellsWithinOneRow)
{
    const auto columns = THexLayout::SelectedColumns(16 + 3, 2, 1);
    EXPECT_EQ(columns.first, 3);
    EXPECT_EQ(columns.count, 2);
    // Two byte pairs and the blank between them, not the blank after.
    const auto hex = THexLayout::HexCells(columns);
    EXPECT_EQ(hex.first, 10 + 9);
    EXPECT_EQ(hex.count, 5);
    const auto chars = THexLayout::CharCells(columns);
    EXPECT_EQ(chars.first, 62);
    EXPECT_EQ(chars.count, 2);
    EXPECT_TRUE(THexLayout::SelectedColumns(16 + 3, 2, 0).empty());
    EXPECT_TRUE(THexLayout::SelectedColumns(16 + 3, 0, 1).empty());
}

TEST(HexLayout, SelectionAcrossSeveralRowsMarksEachRowItsPart)
{
    // Bytes 14 to 49: the end of row 0, all of rows 1 and 2, two bytes of row 3.
    const int64_t start = 14, length = 36;
    const auto first = THexLayout::SelectedColumns(start, length, 0);
    EXPECT_EQ(first.first, 14);
    EXPECT_EQ(first.count, 2);
    const auto middle = THexLayout::SelectedColumns(start, length, 2);
    EXPECT_EQ(middle.first, 0);
    EXPECT_EQ(middle.count, 16);
    const auto last = THexLayout::SelectedColumns(start, length, 3);
    EXPECT_EQ(last.first, 0);
    EXPECT_EQ(last.count, 2);
    EXPECT_TRUE(THexLayout::SelectedColumns(start, length, 4).empty());
}

} // namespace
