// Comparing pairs of archives written by the test writer: every state, the
// folder marks, names matched byte for byte, damaged indexes, and the report.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/Crc32.h"
#include "engines/ArchiveCompare.h"
#include "engines/CompareReport.h"

#include <gtest/gtest.h>

namespace {

using States = std::map<std::string, std::string>; // display path -> state text

FileSpec File(const std::string &name, const std::string &text, uint16_t format = DATAFORMAT_RAW,
              uint32_t chunkSize = 0)
{
    FileSpec spec = TextFile(name, text, 0, format);
    spec.chunkSize = chunkSize;
    return spec;
}

class ArchiveCompare : public ::testing::Test {
protected:
    VornWriter a, b;

    TCompareResult Compare()
    {
        vornA = BuildArchive(a, scratch.path() / "a.vmres");
        vornB = BuildArchive(b, scratch.path() / "b.vmres");
        return TArchiveCompare(*vornA, *vornB).Run();
    }
    static States StatesOf(const TCompareResult &result)
    {
        States states;
        for (size_t i = 0; i < result.Items.size(); ++i)
            states[TCompareReport::DisplayPath(result, i)] += CompareStateText(result.Items[i].State);
        return states;
    }
    // The message of the comparison's Exception, or "" when it succeeds.
    std::string FailureOf(const Bytes &bytesA, const Bytes &bytesB)
    {
        WriteBytes((scratch.path() / "a.vmres").string(), bytesA);
        WriteBytes((scratch.path() / "b.vmres").string(), bytesB);
        try {
            const TVornFile vornA((scratch.path() / "a.vmres").string());
            const TVornFile vornB((scratch.path() / "b.vmres").string());
            TArchiveCompare(vornA, vornB).Run();
        } catch (const Exception &e) {
            return e.what();
        }
        return "";
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vornA, vornB;
};

TEST_F(ArchiveCompare, AddedRemovedChangedAndSameWithFoldersMarked)
{
    a.addFile(0, File("same.txt", "unchanged"));
    a.addFile(0, File("gone.txt", "removed"));
    a.addFile(0, File("grown.txt", "abc"));
    a.addFile(0, File("edited.txt", "abcd", DATAFORMAT_ZLIB));
    const auto art = a.addDir(0, "art");
    a.addFile(a.addDir(art, "deep"), File("tex.bmp", "old"));
    a.addFile(a.addDir(0, "quiet"), File("keep.txt", "keep"));

    b.addFile(0, File("same.txt", "unchanged"));
    b.addFile(0, File("grown.txt", "abcdef"));
    b.addFile(0, File("edited.txt", "abce", DATAFORMAT_ZLIB));
    b.addFile(0, File("new.txt", "added"));
    const auto artB = b.addDir(0, "art");
    b.addFile(b.addDir(artB, "deep"), File("tex.bmp", "new"));
    b.addFile(b.addDir(0, "quiet"), File("keep.txt", "keep"));
    b.addFile(b.addDir(0, "mods"), File("m.txt", "mod"));
    // A repack listed before a removal doesn't hide the removal from the folder.
    const auto mixedA = a.addDir(0, "mixed");
    a.addFile(mixedA, File("a.txt", "aaaa"));
    a.addFile(mixedA, File("b.txt", "b"));
    b.addFile(b.addDir(0, "mixed"), File("a.txt", "aaaa", DATAFORMAT_ZLIB));

    const TCompareResult result = Compare();
    EXPECT_EQ(StatesOf(result), (States{{"same.txt", "Same"},
                                        {"gone.txt", "Only in A"},
                                        {"grown.txt", "Changed"},
                                        {"edited.txt", "Changed"},
                                        {"new.txt", "Only in B"},
                                        {"art/", "Changed"},
                                        {"art/deep/", "Changed"},
                                        {"art/deep/tex.bmp", "Changed"},
                                        {"quiet/", "Same"},
                                        {"quiet/keep.txt", "Same"},
                                        {"mods/", "Only in B"},
                                        {"mods/m.txt", "Only in B"},
                                        {"mixed/", "Changed"},
                                        {"mixed/a.txt", "Repacked"},
                                        {"mixed/b.txt", "Only in A"}}));
    EXPECT_TRUE(result.Differ);

    // Depth first, names in byte order, each item pointing at its folder.
    std::vector<std::string> order;
    for (size_t i = 0; i < result.Items.size(); ++i)
        order.push_back(CompareItemPath(result.Items, i));
    EXPECT_EQ(order, (std::vector<std::string>{"art", "art/deep", "art/deep/tex.bmp", "edited.txt", "gone.txt",
                                               "grown.txt", "mixed", "mixed/a.txt", "mixed/b.txt", "mods", "mods/m.txt", "new.txt", "quiet",
                                               "quiet/keep.txt", "same.txt"}));
    EXPECT_EQ(result.Items[2].Parent, 1u);
    EXPECT_EQ(result.Items[2].Name, "tex.bmp");

    const TCompareSummary &s = result.Summary;
    EXPECT_EQ(s.FilesIn(TCompareState::Changed), 3u);
    EXPECT_EQ(s.BytesA[size_t(TCompareState::Changed)], 3u + 4 + 3);
    EXPECT_EQ(s.BytesB[size_t(TCompareState::Changed)], 6u + 4 + 3);
    EXPECT_EQ(s.FilesIn(TCompareState::OnlyInB), 2u);
    EXPECT_EQ(s.BytesB[size_t(TCompareState::OnlyInB)], 5u + 3);
    EXPECT_EQ(s.FilesIn(TCompareState::OnlyInA), 2u);
    EXPECT_EQ(s.FilesIn(TCompareState::Same), 2u);
}

TEST_F(ArchiveCompare, SameBytesStoredAnotherWayAreRepackedAndDoNotDiffer)
{
    const std::string text(40000, 'x');
    a.addFile(0, File("raw-to-zlib.txt", text));
    a.addFile(0, File("whole-to-chunks.txt", text, DATAFORMAT_ZLIB));
    const auto sub = a.addDir(0, "sub");
    a.addFile(sub, File("chunking.txt", text, DATAFORMAT_LZO, 16384));
    a.addFile(sub, File("empty.txt", "", DATAFORMAT_RAW));
    FileSpec asIs = File("as-is.txt", text, DATAFORMAT_ZLIB, 4096); // the same stored bytes, chunked otherwise
    asIs.storage = ChunkStorage::AllAsIs;
    a.addFile(sub, asIs);

    b.addFile(0, File("raw-to-zlib.txt", text, DATAFORMAT_ZLIB));
    b.addFile(0, File("whole-to-chunks.txt", text, DATAFORMAT_ZLIB, 8192));
    const auto subB = b.addDir(0, "sub");
    b.addFile(subB, File("chunking.txt", text, DATAFORMAT_LZO, 4096));
    b.addFile(subB, File("empty.txt", "", DATAFORMAT_ZLIB));
    asIs.chunkSize = 8192;
    b.addFile(subB, asIs);

    const TCompareResult result = Compare();
    EXPECT_EQ(StatesOf(result), (States{{"raw-to-zlib.txt", "Repacked"},
                                        {"whole-to-chunks.txt", "Repacked"},
                                        {"sub/", "Repacked"},
                                        {"sub/chunking.txt", "Repacked"},
                                        {"sub/empty.txt", "Repacked"},
                                        {"sub/as-is.txt", "Repacked"}}));
    EXPECT_FALSE(result.Differ);
    EXPECT_FALSE(TArchiveCompare(*vornA, *vornA).Run().Differ);
    EXPECT_EQ(StatesOf(TArchiveCompare(*vornB, *vornB).Run())["sub/"], "Same");
}

TEST_F(ArchiveCompare, FileReplacedByFolderOfTheSameNameGivesOneItemPerSide)
{
    a.addFile(0, File("x", "file"));
    b.addFile(b.addDir(0, "x"), File("y.txt", "inside"));
    const TCompareResult result = Compare();
    EXPECT_EQ(StatesOf(result), (States{{"x", "Only in A"}, {"x/", "Only in B"}, {"x/y.txt", "Only in B"}}));
    ASSERT_EQ(result.Items.size(), 3u);
    EXPECT_TRUE(result.Items[0].IsFolder); // the folder comes first
}

TEST_F(ArchiveCompare, NamesMatchByteForByteIncludingWindows1252)
{
    a.addFile(0, File("Caf\xE9.txt", "same"));
    a.addFile(0, File("readme.TXT", "same"));
    a.addFile(0, File("dup.txt", "first"));
    a.addFile(0, File("dup.txt", "second"));
    b.addFile(0, File("Caf\xE9.txt", "same"));
    b.addFile(0, File("README.txt", "same"));
    b.addFile(0, File("dup.txt", "first"));
    const TCompareResult result = Compare();
    EXPECT_EQ(StatesOf(result), (States{{"Caf\xC3\xA9.txt", "Same"},
                                        {"readme.TXT", "Only in A"},
                                        {"README.txt", "Only in B"},
                                        {"dup.txt", "SameOnly in A"}}));
}

TEST_F(ArchiveCompare, WithoutAStoredCrcTheBytesDecide)
{
    FileSpec sameNoCrc = File("same.txt", "contents");
    sameNoCrc.crcOverride = 0;
    FileSpec otherNoCrc = File("other.txt", "contentX");
    otherNoCrc.crcOverride = 0;
    FileSpec unreadable = File("broken.txt", "contents", DATAFORMAT_ZLIB); // not a zlib stream
    unreadable.storedOverride = TextBytes("not zlib");
    unreadable.crcOverride = 0;
    a.addFile(0, sameNoCrc);
    a.addFile(0, otherNoCrc);
    a.addFile(0, unreadable);
    b.addFile(0, File("same.txt", "contents", DATAFORMAT_ZLIB));
    b.addFile(0, File("other.txt", "contents"));
    b.addFile(0, File("broken.txt", "contents", DATAFORMAT_ZLIB));
    EXPECT_EQ(StatesOf(Compare()),
              (States{{"same.txt", "Repacked"}, {"other.txt", "Changed"}, {"broken.txt", "Changed"}}));
}

TEST_F(ArchiveCompare, DamagedIndexOnEitherSideNamesThatArchive)
{
    a.addFile(a.addDir(0, "sub"), File("f.txt", "f"));
    const Bytes good = a.build();
    const size_t subChildren = a.indexStart() + a.entryOffset(1) + DIRENTRY_NAME_POS + PaddedNameLength(3);

    Bytes outside = good;
    PutU32(outside, subChildren, 0xFFFFFFF0);
    const std::string pathA = (scratch.path() / "a.vmres").string();
    const std::string pathB = (scratch.path() / "b.vmres").string();
    EXPECT_EQ(FailureOf(outside, good).rfind(pathA + ": Damaged index", 0), 0u);
    EXPECT_EQ(FailureOf(good, outside).rfind(pathB + ": Damaged index", 0), 0u);

    Bytes loop = good;
    PutU32(loop, subChildren, a.entryOffset(1)); // sub lists itself
    EXPECT_EQ(FailureOf(good, loop), pathB + ": Damaged index: folder " + std::to_string(a.entryOffset(1))
                                         + " is listed more than once");
    EXPECT_EQ(FailureOf(good, good), "");
}

TEST_F(ArchiveCompare, ReportListsDifferencesWithoutFoldersOnBothSides)
{
    a.addFile(a.addDir(0, "d"), File("a,\"b\".txt", "1"));
    b.addFile(b.addDir(0, "d"), File("a,\"b\".txt", "22"));
    b.addFile(b.addDir(0, "new\x01"), File("n.txt", "n"));
    const TCompareResult result = Compare();
    const TCompareReport report(result, "old.vmres", "new.vmres");
    EXPECT_EQ(report.Lines(TCompareReport::Differences()),
              "Changed\td/a,\"b\".txt\nOnly in B\tnew\x01/\nOnly in B\tnew\x01/n.txt\n");
    const uint32_t crcA = CalcCRC32(0, reinterpret_cast<const uint8_t *>("1"), 1);
    const uint32_t crcB = CalcCRC32(0, reinterpret_cast<const uint8_t *>("22"), 2);
    EXPECT_EQ(report.Csv(TCompareReport::Differences()),
              FormatStr("State,Path,Kind,Size A,Size B,CRC-32 A,CRC-32 B\r\n"
                        "Changed,\"d/a,\"\"b\"\".txt\",file,1,2,%08X,%08X\r\n"
                        "Only in B,new\x01/,folder,,,,\r\nOnly in B,new\x01/n.txt,file,,1,,%08X\r\n",
                        crcA, crcB, vornB->GetCrc32(result.Items.back().EntryB)));
    const std::string json = report.Json(TCompareReport::Differences());
    EXPECT_NE(json.find("{\"path\": \"d/a,\\\"b\\\".txt\", \"kind\": \"file\", \"state\": \"changed\", \"sizeA\": 1"),
              std::string::npos);
    EXPECT_NE(json.find("\"path\": \"new\\u0001/\", \"kind\": \"folder\", \"state\": \"added\"}"), std::string::npos);
    EXPECT_EQ(report.SummaryText(), "Only in A: 0 files, 0 bytes; Only in B: 1 file, 1 bytes; "
                                    "Changed: 1 file, 1 -> 2 bytes; Repacked: 0 files, 0 bytes; Same: 0 files, 0 bytes");
}

} // namespace
