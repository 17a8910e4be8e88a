// A chain of folders far deeper than any path the system takes: find's index
// and the comparison hold memory linear in the depth, paths up to the limit
// come out whole, and longer ones are reported, never built.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/ArchiveCompare.h"
#include "engines/CompareReport.h"
#include "engines/NameIndex.h"
#include "engines/NameSearch.h"
#include "tests/archive/AllocationProbe.h"

#include <gtest/gtest.h>

namespace {

constexpr int Depth = 1000;

// Folder k (from 1) has a 255-byte name, so its path is k * 256 - 1 bytes:
// folder 16's is exactly MaxPathLength, folder 17's one name longer.
std::string FolderName(int level)
{
    return std::string(254, 'd') + char('a' + level % 26);
}

class DeepChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        VornWriter::Handle folder = 0;
        for (int level = 1; level <= Depth; ++level) {
            folder = writer.addDir(folder, FolderName(level));
            if (level == 15)
                writer.addFile(folder, TextFile("near.txt", "near"));
        }
        writer.addFile(folder, TextFile("bottom.txt", "deep"));
        m_Vorn = BuildArchive(writer, m_Scratch.path() / "deep.vmres");
    }

    static std::string PathTo(int level)
    {
        std::string path;
        for (int k = 1; k <= level; ++k)
            path += FolderName(k) + '/';
        return path;
    }

    TScratchFolder m_Scratch;
    std::unique_ptr<TVornFile> m_Vorn;
};

TEST_F(DeepChain, TheNameIndexKeepsNoPathPerFolder)
{
    ResetPeakHeldBytes();
    const size_t before = HeldBytes();
    const TNameIndex index(*m_Vorn);
    EXPECT_LT(PeakHeldBytes() - before, size_t(4) << 20); // a path per folder would hold 128 MB
    ASSERT_EQ(index.Count(), size_t(Depth + 2));

    std::map<std::string, size_t> item; // by name, the first of each (names repeat every 26 levels)
    for (size_t i = 0; i < index.Count(); ++i)
        item.emplace(std::string(index.Name(i)), i);
    const size_t near = item.at("near.txt"), bottom = item.at("bottom.txt");
    const size_t limit = item.at(FolderName(16)), beyond = item.at(FolderName(17));
    EXPECT_EQ(index.ItemPath(near), PathTo(15) + "near.txt");
    EXPECT_EQ(index.ItemPath(limit), PathTo(16).substr(0, MaxPathLength));
    EXPECT_EQ(index.PathLength(beyond), MaxPathLength + 256);
    EXPECT_EQ(index.PathLength(bottom), uint64_t(Depth) * 256 + 10);
    try {
        index.ItemPath(beyond);
        ADD_FAILURE() << "a path too long was built";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), PathTooLongMessage);
    }
    // Shown cut: the first MaxPathLength bytes and "...".
    EXPECT_EQ(index.FolderPath(index.Item(bottom).Folder), PathTo(16).substr(0, MaxPathLength) + "...");

    // A name search finds the bottom; a whole-path search can't match a
    // path the system can't hold, and builds none to try.
    TFindCriteria criteria;
    criteria.Name = "*.txt";
    criteria.NameMode = TNameMode::Glob;
    std::vector<size_t> found;
    const auto collect = [&](const std::vector<uint32_t> &items) { found.insert(found.end(), items.begin(), items.end()); };
    TNameSearch(criteria).Run(index, 0, index.Count(), collect);
    EXPECT_EQ(found, (std::vector<size_t>{near, bottom}));
    found.clear();
    criteria.WholePath = true;
    criteria.NameMode = TNameMode::Substring;
    criteria.Name = ".txt";
    ResetPeakHeldBytes();
    TNameSearch(criteria).Run(index, 0, index.Count(), collect);
    EXPECT_LT(PeakHeldBytes() - before, size_t(4) << 20);
    EXPECT_EQ(found, (std::vector<size_t>{near}));
}

TEST_F(DeepChain, TheComparisonAndItsReportHoldNoPathPerItem)
{
    const std::unique_ptr<TVornFile> same = std::make_unique<TVornFile>((m_Scratch.path() / "deep.vmres").string());
    ResetPeakHeldBytes();
    const size_t before = HeldBytes();
    const TCompareResult result = TArchiveCompare(*m_Vorn, *same).Run();
    EXPECT_FALSE(result.Differ);

    TCompareReport::TStateSet states{};
    states[size_t(TCompareState::Same)] = true;
    std::string lines;
    std::vector<std::string> tooLong;
    const TCompareReport report(result, "a", "b");
    report.WriteLines(states, [&](const std::string &text) { lines += text; },
                      [&](const std::string &shown) { tooLong.push_back(shown); });
    EXPECT_LT(PeakHeldBytes() - before, size_t(4) << 20); // a path per item would hold 256 MB
    EXPECT_EQ(lines, "Same\t" + PathTo(15) + "near.txt\n");
    ASSERT_EQ(tooLong.size(), 1u); // bottom.txt
    EXPECT_EQ(tooLong[0], PathTo(16).substr(0, MaxPathLength) + "...");

    // Folders are listed when they differ; the one at the limit whole, the
    // ones below it cut, each shown path computed alone as well.
    VornWriter changed;
    VornWriter::Handle folder = 0;
    for (int level = 1; level <= 17; ++level)
        folder = changed.addDir(folder, FolderName(level));
    const std::unique_ptr<TVornFile> shallow = BuildArchive(changed, m_Scratch.path() / "shallow.vmres");
    const TCompareResult diff = TArchiveCompare(*m_Vorn, *shallow).Run();
    const TCompareReport diffReport(diff, "a", "b");
    std::vector<std::string> removed;
    TCompareReport::TStateSet onlyA{};
    onlyA[size_t(TCompareState::OnlyInA)] = true;
    diffReport.WriteLines(onlyA, [&](const std::string &text) { removed.push_back(text); });
    ASSERT_EQ(removed.size(), size_t(Depth - 17 + 2)); // near.txt, folders 18 and deeper, bottom.txt
    EXPECT_EQ(removed.front(), "Only in A\t" + PathTo(16).substr(0, MaxPathLength) + ".../\n"); // folder 18
    EXPECT_EQ(removed.back(), "Only in A\t" + PathTo(15) + "near.txt\n");
    const auto first = [&](const std::string &name) {
        size_t i = 0;
        while (i < diff.Items.size() && diff.Items[i].Name != name)
            ++i;
        return i;
    };
    EXPECT_EQ(TCompareReport::DisplayPath(diff, first("bottom.txt")), PathTo(16).substr(0, MaxPathLength) + "...");
    EXPECT_EQ(TCompareReport::DisplayPath(diff, first(FolderName(16))), PathTo(16));
}

} // namespace
