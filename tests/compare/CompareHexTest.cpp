// Two files side by side in hex: which bytes are marked, the next-difference
// walk, and the marks as painted.

#include "tests/browser/BrowserFixture.h"

#include "compare/FormCompareHex.h"
#include "compare/HexDiff.h"
#include "viewers/HexLayout.h"
#include "viewers/HexPane.h"

#include <QImage>
#include <QPushButton>
#include <QScrollBar>

#include <cstring>

namespace {

TFileBuffer Filled(uint32_t size, uint8_t value)
{
    TFileBuffer buffer(size);
    std::memset(buffer.data(), value, size);
    return buffer;
}

TEST(CompareHexTest, DifferingBytesIncludeTheLongerTail)
{
    TFileBuffer a = Filled(40, 'a'), b = Filled(42, 'a');
    b.data()[5] = 'x';
    b.data()[33] = 'y';
    const THexDiff diff(a.data(), a.size(), b.data(), b.size());
    EXPECT_EQ(diff.DifferingColumns(0), 1u << 5);
    EXPECT_EQ(diff.DifferingColumns(1), 0u);
    EXPECT_EQ(diff.DifferingColumns(2), (1u << 1) | (1u << 8) | (1u << 9));
    EXPECT_EQ(diff.DifferingColumns(3), 0u);
    EXPECT_EQ(diff.NextDifference(0), 5);
    EXPECT_EQ(diff.NextDifference(6), 33);
    EXPECT_EQ(diff.NextDifference(34), 40);
    EXPECT_EQ(diff.NextDifference(42), -1);

    // Far apart in a big buffer: the block scan finds it.
    TFileBuffer big = Filled(1 << 20, 0), other = Filled(1 << 20, 0);
    other.data()[700001] = 1;
    EXPECT_EQ(THexDiff(big.data(), big.size(), other.data(), other.size()).NextDifference(1), 700001);
}

TEST(CompareHexTest, NextDifferenceSelectsAndScrollsAndMarksArePainted)
{
    EnsureApplication();
    TFileBuffer a = Filled(1 << 20, 'a'), b = Filled(1 << 20, 'a');
    b.data()[3] = 'b';
    b.data()[500000] = 'c';
    auto *window = new TfrmCompareHex;
    window->SetData(std::move(a), std::move(b), QStringLiteral("x.bin"));
    window->show();

    EXPECT_TRUE(window->NextDifference());
    EXPECT_EQ(window->SelectedOffset(), 3);
    EXPECT_EQ(window->FirstRow(), 0);
    window->btnNext->click();
    EXPECT_EQ(window->SelectedOffset(), 500000);
    const int row = 500000 / THexLayout::BytesPerRow;
    EXPECT_LE(window->FirstRow(), row);
    EXPECT_GT(window->FirstRow() + window->pbxA->VisibleRows(), row);
    EXPECT_FALSE(window->NextDifference());
    EXPECT_EQ(window->SelectedOffset(), 500000);

    // Row 0 painted: the cell of byte 3 in the mark colour, byte 2's not.
    window->sbrMain->setValue(0);
    QImage image(window->pbxB->size(), QImage::Format_RGB32);
    window->pbxB->render(&image);
    const int width = window->pbxB->CharWidth();
    const auto cellColour = [&](int column) {
        return QColor(image.pixel((THexLayout::HexColumn + 3 * column) * width + 1, 0));
    };
    EXPECT_EQ(cellColour(3), QColor(255, 190, 120));
    EXPECT_NE(cellColour(2), QColor(255, 190, 120));

    // A difference on the row just below the visible ones scrolls it into view.
    const int visible = window->pbxA->VisibleRows();
    ASSERT_GT(visible, 0);
    TFileBuffer c = Filled(1 << 16, 'a'), d = Filled(1 << 16, 'a');
    d.data()[visible * THexLayout::BytesPerRow] = 'd';
    window->SetData(std::move(c), std::move(d), QStringLiteral("y.bin"));
    EXPECT_TRUE(window->NextDifference());
    EXPECT_LE(window->FirstRow(), visible);
    EXPECT_GT(window->FirstRow() + visible, visible);
    window->close(); // deletes itself
}

} // namespace
