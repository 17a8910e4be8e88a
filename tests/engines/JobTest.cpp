// The job layer as the engines drive it: totals and counts of a run,
// failures in the order they happened, cancel between entries, and the
// verify engine's verdicts.

#include "engines/PathLimit.h"
#include "engines/VerifyEngine.h"
#include "tests/engines/ExtractTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Files = std::map<std::string, std::string>;

FileSpec Damaged(const std::string &name)
{
    FileSpec spec = TextFile(name, "damaged contents", 0, DATAFORMAT_ZLIB);
    spec.crcOverride = 0x12345678;
    return spec;
}

TEST(Job, ExtractionCountsEveryFileAndCollectsFailuresInOrder)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, TextFile("a.txt", "aaaa"));
    writer.addFile(0, Damaged("b.txt"));
    const auto sub = writer.addDir(0, "sub");
    writer.addFile(sub, TextFile("..", "xx"));
    writer.addFile(sub, TextFile("c.txt", "cc"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const std::string out = (scratch.path() / "out").string() + "/";

    TRecorder recorder;
    TExtractEngine engine(*vorn, {}, recorder, recorder);
    TJob job;
    engine.SetJob(job);
    engine.SetPrefetchLimits({2, 4, 1 << 20});
    const TExtractResult result = engine.ExtractEntries(out, {fnFullPath, owAsk, esAll});

    const TJobProgress progress = job.Progress();
    EXPECT_EQ(progress.EntriesTotal, 4u);
    EXPECT_EQ(progress.EntriesDone, 4u);
    EXPECT_EQ(progress.BytesTotal, 4u + 16u + 2u + 2u);
    EXPECT_EQ(progress.BytesDone, progress.BytesTotal);
    EXPECT_EQ(progress.Current, "sub/c.txt"); // the path in the archive, as the progress window shows it
    const std::vector<TJobFailure> failures = job.Failures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].Path, out + "b.txt");
    EXPECT_EQ(failures[0].Reason, "CRC-32 differs from header");
    EXPECT_EQ(failures[1].Path, recorder.failures.at(1).Path);
    EXPECT_EQ(failures[1].Reason, recorder.failures.at(1).Message);
    EXPECT_EQ(progress.Failures, 2u);
    EXPECT_EQ(result.Written, 2u);
    EXPECT_FALSE(result.Cancelled);
}

TEST(Job, TheCurrentEntryOfADeepFileIsTheEndOfItsPath)
{
    TScratchFolder scratch;
    VornWriter writer;
    VornWriter::Handle folder = 0;
    for (int level = 0; level < 20; ++level)
        folder = writer.addDir(folder, std::string(250, char('a' + level)));
    writer.addFile(folder, TextFile("deep.txt", "deep"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    TRecorder recorder;
    TExtractEngine engine(*vorn, {}, recorder, recorder);
    TJob job;
    engine.SetJob(job);
    engine.ExtractEntries(scratch.str(), {fnNone, owAsk, esAll});
    const std::string current = job.Progress().Current;
    EXPECT_EQ(current.substr(0, 4), ".../");
    EXPECT_EQ(current.substr(current.size() - 9), "/deep.txt");
    EXPECT_NE(current.find(std::string(250, 't') + "/deep.txt"), std::string::npos); // the nearest folders
    EXPECT_LE(current.size(), MaxPathLength + 256 + 4);
}

TEST(Job, CancelStopsBetweenEntriesAndLeavesOnlyWholeFiles)
{
    TScratchFolder scratch;
    VornWriter writer;
    const std::string big(300000, 'x');
    for (int i = 0; i < 40; ++i)
        writer.addFile(0, TextFile("f" + std::to_string(100 + i), big, 0, DATAFORMAT_ZLIB));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const fs::path out = scratch.path() / "out";

    TRecorder recorder;
    TExtractEngine engine(*vorn, {}, recorder, recorder);
    TJob job;
    engine.SetJob(job);
    engine.SetPrefetchLimits({3, 16, 64 << 20}); // workers stage files well ahead of the cancel
    int shown = 0;
    engine.SetStatusCallback([&](const std::string &) {
        if (++shown == 10)
            job.Cancel(); // from inside the tenth file: it is still finished
    });
    const TExtractResult result = engine.ExtractEntries(out.string(), {fnFullPath, owAsk, esAll});

    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.Written, 10u);
    EXPECT_EQ(job.Progress().EntriesDone, 10u);
    const Files files = FilesBelow(out); // hidden temporary files would show here too
    ASSERT_EQ(files.size(), 10u);
    for (const auto &[name, contents] : files)
        EXPECT_TRUE(contents == big) << name;
    EXPECT_EQ(files.rbegin()->first, "f109");
}

TEST(Job, VerifyReportsExactlyTheDamagedFilesInTreeOrder)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, Damaged("first"));
    const auto dir = writer.addDir(0, "dir");
    for (int i = 0; i < 20; ++i)
        writer.addFile(dir, TextFile("ok" + std::to_string(i), std::string(1000, char('a' + i)), 0, DATAFORMAT_LZO));
    writer.addFile(dir, Damaged("second"));
    FileSpec last = Damaged("last"); // big enough to be checked as a stream
    last.data = TextLikeBytes(9 << 20, 1);
    last.chunkSize = 1 << 20;
    writer.addFile(0, last);
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");

    TJob job;
    const TVerifyResult result = TVerifyEngine(*vorn, job, {3, 4, 1 << 20}).Run();
    ASSERT_EQ(result.Damaged.size(), 3u);
    EXPECT_EQ(result.Damaged[0].Path, "first");
    EXPECT_EQ(result.Damaged[0].Reason, "CRC-32 differs from header");
    EXPECT_EQ(result.Damaged[1].Path, "dir/second");
    EXPECT_EQ(result.Damaged[2].Path, "last");
    EXPECT_EQ(result.Damaged[1].Entry, vorn->GetChildren(vorn->GetChildren(vorn->GetRootOffset()).at(1)).back());
    EXPECT_EQ(result.Checked, 23u);
    EXPECT_EQ(result.Passed, 20u);
    EXPECT_EQ(job.Failures().size(), 3u);
    EXPECT_EQ(job.Progress().EntriesDone, 23u);

    TJob cancelled;
    cancelled.Cancel();
    const TVerifyResult none = TVerifyEngine(*vorn, cancelled).Run();
    EXPECT_TRUE(none.Cancelled);
    EXPECT_EQ(none.Checked, 0u);
    EXPECT_EQ(cancelled.Progress().EntriesTotal, 23u);

    // A folder whose list of children can't be read is reported where it stands.
    VornWriter broken;
    const auto sub = broken.addDir(0, "sub");
    broken.addFile(sub, TextFile("in.txt", "in"));
    broken.addFile(0, Damaged("after"));
    Bytes bytes = broken.build();
    PutU32(bytes, broken.indexStart() + broken.entryOffset(sub) + 4, 0x40000000);
    WriteBytes((scratch.path() / "broken.vmres").string(), bytes);
    const TVornFile brokenVorn((scratch.path() / "broken.vmres").string());
    TJob brokenJob;
    const TVerifyResult inOrder = TVerifyEngine(brokenVorn, brokenJob).Run();
    ASSERT_EQ(inOrder.Damaged.size(), 2u);
    EXPECT_EQ(inOrder.Damaged[0].Path, "sub/");
    EXPECT_EQ(inOrder.Damaged[0].Entry, 0u);
    EXPECT_EQ(inOrder.Damaged[1].Path, "after");
}

TEST(Job, VerifyReportsAnUnreadableFolderAfterTheLastFile)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, TextFile("first.txt", "first"));
    const auto last = writer.addDir(0, "last");
    writer.addFile(last, TextFile("in.txt", "in"));
    Bytes bytes = writer.build();
    PutU32(bytes, writer.indexStart() + writer.entryOffset(last) + 4, 0x40000000);
    WriteBytes((scratch.path() / "broken.vmres").string(), bytes);
    const TVornFile vorn((scratch.path() / "broken.vmres").string());
    TJob job;
    const TVerifyResult result = TVerifyEngine(vorn, job).Run();
    ASSERT_EQ(result.Damaged.size(), 1u);
    EXPECT_EQ(result.Damaged[0].Path, "last/");
    EXPECT_EQ(result.Passed, 1u);
}

} // namespace
