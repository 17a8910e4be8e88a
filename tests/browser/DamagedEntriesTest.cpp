// The marks "Test Archive" leaves on damaged entries, kept per archive.

#include "archive/vmVornFile.h"
#include "browser/DamagedEntries.h"
#include "tests/browser/BrowserFixture.h"

namespace {

using DamagedEntriesTest = BrowserTest;

TEST_F(DamagedEntriesTest, TheLastTestOfEachArchiveDecidesUntilItIsClosed)
{
    const TVornFile a(WriteSample(QStringLiteral("a.vmres")).toStdString());
    const TVornFile b(WriteSample(QStringLiteral("b.vmres")).toStdString());
    TDamagedEntries marks;
    marks.Set(&a, {{30, "x", "bad"}, {7, "y", "worse"}, {19, "z", "bad"}});
    marks.Set(&b, {{7, "y", "other"}});
    EXPECT_EQ(marks.Entries(&a), (std::vector<TEntryOffset>{7, 19, 30}));
    ASSERT_NE(marks.Find(&a, 7), nullptr);
    EXPECT_EQ(*marks.Find(&a, 7), "worse");
    EXPECT_EQ(marks.Find(&a, 8), nullptr);

    // A complete test, then a cancelled one: its marks, and not tested to the end.
    marks.Set(&a, {{19, "z", "bad"}}, false);
    EXPECT_FALSE(marks.Tested(&a));
    EXPECT_EQ(marks.Entries(&a), std::vector<TEntryOffset>{19});
    marks.Set(&b, {}, true);
    EXPECT_TRUE(marks.Tested(&b));
    EXPECT_FALSE(marks.Any(&b));

    marks.Set(&a, {{19, "z", "bad"}});
    marks.Forget(&a);
    EXPECT_EQ(marks.Find(&a, 19), nullptr);
    EXPECT_FALSE(marks.Any(&a));
    EXPECT_FALSE(marks.Tested(&a));
    EXPECT_TRUE(marks.Tested(&b));
}

} // namespace
