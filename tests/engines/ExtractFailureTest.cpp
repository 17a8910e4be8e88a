// Per-file failures, hostile names, the replacement through a temporary file
// and the time stamps of written files.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"
#include "engines/ExtractPlan.h"
#include "engines/FolderBelow.h"
#include "tests/archive/AllocationProbe.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Files = std::map<std::string, std::string>;

FileSpec DamagedFile(const std::string &name)
{
    FileSpec spec = TextFile(name, "damaged contents", 0, DATAFORMAT_ZLIB);
    spec.crcOverride = 0x12345678;
    return spec;
}

TEST(ExtractFailure, ADamagedFileIsReportedAndTheRunGoesOn)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, DamagedFile("bad.txt"));
    writer.addFile(0, TextFile("good.txt", "good"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const fs::path target = scratch.path() / "out";
    TRecorder recorder;
    const TExtractResult result = RunEngine(*vorn, recorder, target.string(), {fnFullPath, owAsk, esAll});

    const std::string badPath = (target / "bad.txt").string();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"status Extracting bad.txt", "fail " + badPath,
                                                         "status Extracting good.txt"}));
    ASSERT_EQ(recorder.failures.size(), 1u);
    EXPECT_EQ(ExtractFailureText(recorder.failures[0]),
              "Can't extract: " + badPath + "\nError: CRC-32 differs from header");
    EXPECT_EQ(FilesBelow(target), (Files{{"good.txt", "good"}}));
    EXPECT_EQ(result.Failed, 1u);
    EXPECT_EQ(result.Written, 1u);
}

TEST(ExtractFailure, AFailedReplacementKeepsTheExistingFileAndLeavesNoTemporaryFile)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, DamagedFile("bad.txt"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const fs::path target = scratch.path() / "out";
    WriteText(target / "bad.txt", "keep me");
    TRecorder recorder;
    recorder.answers = {TOverwriteAnswer::Yes};
    RunEngine(*vorn, recorder, target.string(), {fnFullPath, owAsk, esAll});
    EXPECT_EQ(recorder.failures.size(), 1u);
    EXPECT_EQ(FilesBelow(target), (Files{{"bad.txt", "keep me"}}));
}

TEST(ExtractFailure, ATargetThatCantBeCreatedFailsEachFile)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, TextFile("one.txt", "1"));
    const auto sub = writer.addDir(0, "sub");
    writer.addFile(sub, TextFile("two.txt", "2"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    WriteText(scratch.path() / "plain", "a file, not a folder");
    const fs::path target = scratch.path() / "plain" / "out";
    TRecorder recorder;
    const TExtractResult result = RunEngine(*vorn, recorder, target.string(), {fnFullPath, owAsk, esAll});
    ASSERT_EQ(recorder.failures.size(), 2u);
    EXPECT_EQ(recorder.failures[0].Path, (target / "one.txt").string());
    EXPECT_EQ(recorder.failures[1].Path, (target / "sub" / "two.txt").string());
    EXPECT_NE(recorder.failures[0].Message.find("Cannot create file"), std::string::npos);
    EXPECT_EQ(result.Failed, 2u);
}

TEST(ExtractFailure, PathsTooLongFailPerFileInMemoryLinearInDepth)
{
    // 600 nested folders with 255-character names; one file fits, one does not.
    TScratchFolder scratch;
    VornWriter writer;
    VornWriter::Handle folder = 0;
    for (int level = 0; level < 600; ++level) {
        folder = writer.addDir(folder, std::string(254, 'd') + char('a' + level % 26));
        if (level == 2)
            writer.addFile(folder, TextFile("near.txt", "near"));
    }
    writer.addFile(folder, TextFile("bottom.txt", "deep"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    TRecorder recorder;
    ResetPeakHeldBytes();
    const size_t before = HeldBytes();
    const TExtractResult result = RunEngine(*vorn, recorder, scratch.str(), {fnFullPath, owReplaceAll, esAll});
    EXPECT_LT(PeakHeldBytes() - before, size_t(4) << 20); // a path per level would hold 45 MB
    EXPECT_EQ(result.Written, 1u);
    ASSERT_EQ(recorder.failures.size(), 1u);
    EXPECT_EQ(recorder.failures[0].Message, PathTooLongMessage);
    EXPECT_EQ(FilesBelow(scratch.path()).size(), 2u); // the archive and near.txt

    // The limit itself: a full path of exactly MaxPathLength bytes is planned, one byte more is refused.
    VornWriter flat;
    flat.addFile(0, TextFile(std::string(100, 'a'), "fits"));
    flat.addFile(0, TextFile(std::string(101, 'b'), "too long"));
    const auto flatVorn = BuildArchive(flat, scratch.path() / "flat.vmres");
    const std::string dir = '/' + std::string(MaxPathLength - 102, 'd'); // and its "/"
    TExtractPlan plan;
    plan.AddEntry(*flatVorn, dir, flatVorn->GetRootOffset(), fnFullPath);
    std::vector<std::string> errors;
    for (const TPlanStep &step : plan.Steps()) {
        if (step.kind == TPlanStep::File)
            errors.push_back(plan.File(*flatVorn, step).Error);
    }
    EXPECT_EQ(errors, (std::vector<std::string>{"", PathTooLongMessage}));
}

TEST(ExtractFailure, NothingIsWrittenThroughALinkedFolderInTheTarget)
{
    TScratchFolder scratch;
    VornWriter writer;
    const auto linkdir = writer.addDir(0, "linkdir");
    const auto inner = writer.addFile(linkdir, TextFile("inner.txt", "inner"));
    writer.addFile(writer.addDir(linkdir, "below"), TextFile("deeper.txt", "deeper"));
    writer.addFile(0, TextFile("top.txt", "top"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const fs::path target = scratch.path() / "out";
    const fs::path outside = scratch.path() / "outside";
    fs::create_directories(target);
    fs::create_directories(outside);
    fs::create_directory_symlink(outside, target / "linkdir");

    struct Case {
        TExtractOptions options;
        TExtractSelection selection;
        TPrefetchLimits limits;
        size_t failures;
    };
    const TPrefetchLimits sequential{0, 1, 1}, threaded{2, 8, 1 << 20};
    for (const Case &run : {Case{{fnFullPath, owSkipAll, esAll}, {}, sequential, 2},
                            Case{{fnFullPath, owReplaceAll, esAll}, {}, threaded, 2},
                            Case{{fnFullPath, owAsk, esSelected}, {0, {writer.entryOffset(inner)}}, sequential, 1}}) {
        TRecorder recorder;
        RunEngine(*vorn, recorder, target.string(), run.options, run.selection, run.limits);
        EXPECT_TRUE(fs::is_empty(outside));
        ASSERT_EQ(recorder.failures.size(), run.failures);
        for (const TExtractFailure &failure : recorder.failures)
            EXPECT_EQ(failure.Message, SymbolicLinkMessage((target / "linkdir").string()));
    }
    EXPECT_EQ(ReadText(target / "top.txt"), "top");
}

TEST(ExtractFailure, BigFilesStreamInBoundedMemoryAndDamagedOnesLeaveNothing)
{
    TScratchFolder scratch;
    VornWriter writer;
    const Bytes big = TextLikeBytes(40 << 20, 7);
    writer.addFile(0, {.name = "big.bin", .data = big, .format = DATAFORMAT_ZLIB, .chunkSize = 1 << 20});
    writer.addFile(0, {.name = "damaged.bin", .data = TextLikeBytes(20 << 20, 8), .format = DATAFORMAT_LZO,
                       .chunkSize = 1 << 20, .crcOverride = 1});
    const auto broken = writer.addFile(0, {.name = "broken.bin", .data = TextLikeBytes(12 << 20, 9),
                                           .format = DATAFORMAT_ZLIB, .chunkSize = 1 << 20});
    Bytes bytes = writer.build();
    BreakChunkStream(bytes, writer, broken, 6);
    WriteBytes((scratch.path() / "test.vmres").string(), bytes);
    const TVornFile vorn((scratch.path() / "test.vmres").string());
    struct Case {
        TPrefetchLimits limits;
        size_t peakMB; // a few chunks per stream (decoded, waiting, being written); the whole file would be 40 MB
    };
    for (const Case &run : {Case{{0, 1, 1}, 14}, Case{{2, 8, 64 << 20}, 14}, Case{{0, 1, 1, 5}, 14},
                            Case{{2, 8, 64 << 20, 2}, 24}}) { // two files stream at once
        const fs::path target = scratch.path() / ("run" + std::to_string(run.limits.Threads) + std::to_string(run.limits.PieceThreads));
        TRecorder recorder;
        ResetPeakHeldBytes();
        const size_t before = HeldBytes();
        RunEngine(vorn, recorder, target.string(), {fnFullPath, owReplaceAll, esAll}, {}, run.limits);
        EXPECT_LT(PeakHeldBytes() - before, run.peakMB << 20);
        ASSERT_EQ(recorder.failures.size(), 2u);
        EXPECT_EQ(recorder.failures[0].Message, "CRC-32 differs from header");
        EXPECT_EQ(recorder.failures[1].Path, target.string() + "/broken.bin");
        const Files written = FilesBelow(target);
        ASSERT_EQ(written.size(), 1u); // no damaged.bin, no broken.bin, no temporary file
        EXPECT_TRUE(written.at("big.bin") == std::string(big.begin(), big.end()));
    }
}

TEST(ExtractFailure, WrittenFilesCarryTheEntryTimeToTheEvenSecond)
{
    TScratchFolder scratch;
    VornWriter writer;
    const TFileTime oddSecond = MakeFileTime(2004, 2, 29, 23, 59, 59);
    const TFileTime evenSecond = MakeFileTime(1999, 12, 31, 1, 2, 4);
    writer.addFile(0, TextFile("odd.txt", "odd", oddSecond, DATAFORMAT_LZO));
    writer.addFile(0, TextFile("even.txt", "even", evenSecond));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    TRecorder recorder;
    RunEngine(*vorn, recorder, scratch.str(), {fnNone, owAsk, esAll});

    std::time_t expected = 0;
    ASSERT_TRUE(FileTimeToLocalUnixTime(oddSecond, expected));
    EXPECT_EQ(ModificationTime(scratch.path() / "odd.txt"), expected);
    EXPECT_EQ(UnixTimeToLocalDateTime(expected), FileTimeToDateTime(oddSecond));
    ASSERT_TRUE(FileTimeToLocalUnixTime(evenSecond, expected));
    EXPECT_EQ(ModificationTime(scratch.path() / "even.txt"), expected);
}

class HostileNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        for (const char *name : {"..", ".", "", "a/b", "/abs", "c:d", "x\\y"})
            writer.addFile(0, TextFile(name, "hostile"));
        const auto up = writer.addDir(0, "..");
        const auto evil = writer.addFile(up, TextFile("evil.txt", "evil"));
        const auto slash = writer.addDir(0, "../../etc");
        writer.addFile(slash, TextFile("evil2.txt", "evil"));
        writer.addFile(0, TextFile("fine.txt", "fine"));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        upOffset = writer.entryOffset(up);
        evilOffset = writer.entryOffset(evil);
        target = scratch.path() / "deep" / "out";
        fs::create_directories(target);
    }

    // Everything in the scratch folder apart from the archive, relative to it.
    std::vector<std::string> WrittenOutsideTarget()
    {
        std::vector<std::string> outside;
        for (const auto &item : fs::recursive_directory_iterator(scratch.path())) {
            const std::string relative = fs::relative(item.path(), scratch.path()).generic_string();
            if (relative != "test.vmres" && relative != "deep" && relative.rfind("deep/out", 0) != 0)
                outside.push_back(relative);
        }
        return outside;
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    TEntryOffset upOffset = 0, evilOffset = 0;
    fs::path target;
    TRecorder recorder;
};

TEST_F(HostileNames, EachUnsafeNameFailsAloneAndNothingIsWrittenOutsideTheTarget)
{
    const TExtractResult result = RunEngine(*vorn, recorder, target.string(), {fnFullPath, owReplaceAll, esAll});
    EXPECT_EQ(result.Failed, 9u);
    EXPECT_EQ(result.Written, 1u);
    EXPECT_EQ(FilesBelow(target), (Files{{"fine.txt", "fine"}}));
    EXPECT_TRUE(WrittenOutsideTarget().empty());
    for (const TExtractFailure &failure : recorder.failures)
        EXPECT_EQ(failure.Path.rfind(target.string() + "/", 0), 0u) << failure.Path;
    // The nameless entry is refused for what it is, before the file system sees it.
    EXPECT_EQ(std::count_if(recorder.failures.begin(), recorder.failures.end(),
                            [](const TExtractFailure &f) { return f.Message.find("without a name") != std::string::npos; }),
              1);
}

TEST_F(HostileNames, FlatExtractionIgnoresFolderNamesButNotFileNames)
{
    const TExtractResult result = RunEngine(*vorn, recorder, target.string(), {fnNone, owReplaceAll, esAll});
    EXPECT_EQ(result.Failed, 7u);
    EXPECT_EQ(FilesBelow(target), (Files{{"evil.txt", "evil"}, {"evil2.txt", "evil"}, {"fine.txt", "fine"}}));
    EXPECT_TRUE(WrittenOutsideTarget().empty());
}

TEST_F(HostileNames, AnUnsafeFolderOnTheShownPathFailsItsFiles)
{
    RunEngine(*vorn, recorder, target.string(), {fnFullPath, owReplaceAll, esSelected}, {upOffset, {evilOffset}});
    ASSERT_EQ(recorder.failures.size(), 1u);
    EXPECT_TRUE(WrittenOutsideTarget().empty());
    EXPECT_TRUE(FilesBelow(target).empty());
}

} // namespace
