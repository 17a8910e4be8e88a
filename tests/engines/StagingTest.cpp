// Worker threads write finished files ahead as unnamed staged files; the
// run's own thread links them into place. These tests pin what must not
// change with that: the files, their times, what an existing file or a
// failure leaves behind, and that no temporary file outlives a run however
// it ends.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"
#include "engines/StagingFolder.h"
#include "engines/TargetWriter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Files = std::map<std::string, std::string>;
using A = TOverwriteAnswer;

const TPrefetchLimits Threaded{2, 64, 64ull << 20};

TFileBuffer Buffer(const std::string &text)
{
    TFileBuffer buffer(uint32_t(text.size()));
    std::copy(text.begin(), text.end(), buffer.data());
    return buffer;
}

int OpenFolder(const fs::path &folder)
{
    return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

TEST(StagingFolder, StagesNothingBeforeTheTargetExistsAndLeavesNoNameBehind)
{
    TScratchFolder scratch;
    const fs::path root = scratch.path() / "out";
    const std::string rootText = root.string() + "/";
    const std::vector<std::string> folders{rootText + "sub/", rootText};
    TStagingFolder staging(rootText, [&](size_t file) -> const std::string & { return folders[file]; });
    const TFileTime time = MakeFileTime(2011, 3, 4, 5, 6, 8);
    EXPECT_FALSE(staging.Stage(0, Buffer("early"), time)) << "the target folder must not be made by staging";
    EXPECT_FALSE(fs::exists(root));

    fs::create_directories(root);
    std::optional<TStagedFile> placed = staging.Stage(0, Buffer("placed"), time); // "sub" is missing: staged in root
    std::optional<TStagedFile> dropped = staging.Stage(1, Buffer("dropped"), time);
    ASSERT_TRUE(placed && dropped);
    EXPECT_TRUE(FilesBelow(root).empty()) << "staged files have no name";

    const int folder = OpenFolder(root);
    EXPECT_EQ(placed->Link(folder, "a.txt"), 0);
    EXPECT_EQ(dropped->Link(folder, "a.txt"), EEXIST);
    ::close(folder);
    dropped.reset();
    placed.reset();
    EXPECT_EQ(FilesBelow(root), (Files{{"a.txt", "placed"}}));
    std::time_t expected = 0;
    ASSERT_TRUE(FileTimeToLocalUnixTime(time, expected));
    EXPECT_EQ(ModificationTime(root / "a.txt"), expected);
}

TEST(StagingFolder, AStagedFileOnAnotherFileSystemIsWrittenTheOrdinaryWay)
{
    // /dev/shm is a memory file system on Linux; the scratch folder is not.
    struct stat shm, scratchInfo;
    TScratchFolder scratch;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(scratch.path().c_str(), &scratchInfo) != 0
        || shm.st_dev == scratchInfo.st_dev)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    std::string shmRoot = "/dev/shm/vv-staging-XXXXXX";
    ASSERT_TRUE(::mkdtemp(shmRoot.data()));
    shmRoot += "/";
    TStagingFolder staging(shmRoot, [&](size_t) -> const std::string & { return shmRoot; });
    TPreparedFile file;
    file.Staged = staging.Stage(0, Buffer("across"), MakeFileTime(2010, 1, 1));
    ASSERT_TRUE(file.Staged);

    WriteText(scratch.path() / "a.txt", "old");
    TTargetWriter writer(scratch.str() + "/");
    writer.PlaceFile(scratch.str() + "/", "a.txt", file, MakeFileTime(2010, 1, 1));
    file = TPreparedFile();
    EXPECT_EQ(FilesBelow(scratch.path()), (Files{{"a.txt", "across"}}));
    EXPECT_TRUE(fs::is_empty(shmRoot));
    fs::remove_all(shmRoot);
}

// Files that the runs below extract: some replace existing files, one is
// damaged, one collides with a folder on disk.
class ParallelRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        const auto sub = writer.addDir(0, "sub");
        for (int i = 0; i < 40; ++i) {
            FileSpec spec = TextFile(FormatStr("f%d.txt", i), FormatStr("new %d", i), fileTime, uint16_t(i % 3));
            if (i == 7)
                spec.crcOverride = 1;
            writer.addFile(i % 2 ? sub : 0, std::move(spec));
        }
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        PrepareTarget();
    }

    void PrepareTarget()
    {
        fs::remove_all(target);
        WriteText(target / "f4.txt", "old 4");    // replaced by "Yes"
        WriteText(target / "sub/f7.txt", "old 7"); // damaged entry: kept whatever the answer
        WriteText(target / "f10.txt", "old 10");  // kept by "No"
        fs::create_directories(target / "sub/f9.txt"); // a folder where a file should go
    }

    TExtractResult Run(TRecorder &recorder, TPrefetchLimits limits, TExtractEngine::TBeforeEntryCallback before = {})
    {
        TExtractEngine engine(*vorn, {}, recorder, recorder);
        recorder.Attach(engine);
        engine.SetPrefetchLimits(limits);
        engine.SetBeforeEntryCallback(std::move(before));
        return engine.ExtractEntries(target.string(), {fnFullPath, owAsk, esAll});
    }

    TScratchFolder scratch;
    const TFileTime fileTime = MakeFileTime(2015, 6, 7, 8, 9, 10);
    std::unique_ptr<TVornFile> vorn;
    const fs::path target = scratch.path() / "out";
};

TEST_F(ParallelRun, WritesAsTheSequentialRunWithFailuresInTheirPlace)
{
    TRecorder threaded;
    threaded.answers = {A::Yes, A::Yes, A::No};
    const TExtractResult result = Run(threaded, Threaded);
    const Files files = FilesBelow(target);

    PrepareTarget();
    TRecorder sequential;
    sequential.answers = {A::Yes, A::Yes, A::No};
    Run(sequential, {0, 1, 1});

    EXPECT_EQ(threaded.events, sequential.events);
    EXPECT_EQ(files, FilesBelow(target));
    EXPECT_EQ(files.at("f4.txt"), "new 4");
    EXPECT_EQ(files.at("sub/f7.txt"), "old 7");
    EXPECT_EQ(files.at("f10.txt"), "old 10");
    EXPECT_EQ(files.size(), 39u) << "40 entries, one damaged in place of an old file, one blocked by a folder";
    ASSERT_EQ(threaded.failures.size(), 2u);
    EXPECT_EQ(threaded.failures[0].Path, (target / "sub/f7.txt").string());
    EXPECT_EQ(threaded.failures[0].Message, "CRC-32 differs from header");
    EXPECT_EQ(threaded.failures[1].Path, (target / "sub/f9.txt").string());
    EXPECT_NE(threaded.failures[1].Message.find("Cannot create file"), std::string::npos);
    EXPECT_EQ(result.Written, 37u);
    EXPECT_EQ(result.Skipped, 1u);
    std::time_t expected = 0;
    ASSERT_TRUE(FileTimeToLocalUnixTime(fileTime, expected));
    EXPECT_EQ(ModificationTime(target / "f4.txt"), expected);
    EXPECT_EQ(ModificationTime(target / "sub/f39.txt"), expected);
}

TEST_F(ParallelRun, SkippedFilesLeaveNothingBehind)
{
    TRecorder recorder;
    recorder.answers = {A::No, A::NoToAll};
    const TExtractResult result = Run(recorder, Threaded);
    EXPECT_EQ(result.Skipped, 3u);
    const Files files = FilesBelow(target);
    EXPECT_EQ(files.at("f4.txt"), "old 4");
    EXPECT_EQ(files.at("sub/f7.txt"), "old 7");
    EXPECT_EQ(files.at("f10.txt"), "old 10");
    EXPECT_EQ(files.size(), 39u) << "the new files and the three old ones, nothing else";
}

TEST_F(ParallelRun, ARunThatEndsMidwayLeavesOnlyTheFilesPlacedBeforeIt)
{
    // A missing target makes the first files go through memory and the
    // later ones through staging; the end comes while files are staged ahead.
    for (const bool targetExists : {false, true}) {
        for (const TPrefetchLimits limits : {Threaded, TPrefetchLimits{1, 3, 1}}) {
            fs::remove_all(target);
            if (targetExists)
                fs::create_directories(target);
            TRecorder recorder;
            int entries = 0;
            EXPECT_THROW(Run(recorder, limits,
                             [&] {
                                 if (++entries == 25)
                                     throw EAbort();
                             }),
                         EAbort);
            // The root, "sub" and 22 files were handled; one of them is damaged.
            size_t placed = 0;
            for (const std::string &event : recorder.events)
                placed += event.rfind("status ", 0) == 0;
            placed -= recorder.failures.size();
            EXPECT_EQ(placed, 21u);
            const Files files = FilesBelow(target);
            EXPECT_EQ(files.size(), placed);
            for (const auto &[name, content] : files)
                EXPECT_EQ(name.find(".vornx"), std::string::npos) << name;
        }
    }
}

} // namespace
