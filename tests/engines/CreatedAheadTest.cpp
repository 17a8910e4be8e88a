// Workers create a file under its own name ahead of its turn when no other
// step of the run can take that path. These tests pin the rules around
// that: which paths clash, that a created file never replaces anything and
// is removed again unless kept, and that a run with clashing names asks,
// reports and writes exactly as a sequential run.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"
#include "engines/NameClashes.h"
#include "engines/StagingFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

namespace {

using Files = std::map<std::string, std::string>;
using A = TOverwriteAnswer;

TFileBuffer Buffer(const std::string &text)
{
    TFileBuffer buffer(uint32_t(text.size()));
    std::copy(text.begin(), text.end(), buffer.data());
    return buffer;
}

TEST(NameClashes, PathsDifferingInCaseOrBeyondAsciiAndFoldersOnTheWayClash)
{
    TNameClashes clashes;
    clashes.AddFile("o/", "Readme.TXT");
    clashes.AddFile("o/", "readme.txt");
    clashes.AddFile("o/", "\xc3\xa9t\xc3\xa9.txt"); // "été" and "ÉTÉ" in UTF-8
    clashes.AddFile("o/", "\xc3\x89T\xc3\x89.txt");
    clashes.AddFolders("o/", "o/art/walls/");
    clashes.AddFile("o/", "ART");           // a file where a folder goes
    clashes.AddFile("o/art/", "walls");     // and one where the folder below it goes
    clashes.AddFile("o/art/", "brick.bmp"); // alone
    clashes.AddFile("o/", "o");             // alone: the root itself is not the run's to make
    clashes.AddFolders("o/", "o/Maps/");
    clashes.AddFolders("o/", "o/maps/x/");  // another folder that differs only in case
    clashes.AddFolders("o/", "o/sky/a/");
    clashes.AddFolders("o/", "o/sky/b/");   // one folder on the way to two
    clashes.Settle();

    EXPECT_TRUE(clashes.Clashes("o/", "README.txt"));
    EXPECT_TRUE(clashes.Clashes("o/", "\xc3\xa9t\xc3\xa9.txt"));
    EXPECT_TRUE(clashes.Clashes("o/", "art"));
    EXPECT_TRUE(clashes.Clashes("o/art/", "walls"));
    EXPECT_FALSE(clashes.Clashes("o/art/", "brick.bmp"));
    EXPECT_FALSE(clashes.Clashes("o/", "o"));
    EXPECT_FALSE(clashes.Clashes("o/art/walls/", "brick.bmp"));

    // Which folders may be made ahead of their turn.
    EXPECT_TRUE(clashes.FolderClashes("o/", "art")) << "a file may take its path";
    EXPECT_TRUE(clashes.FolderClashes("o/", "art/walls"));
    EXPECT_TRUE(clashes.FolderClashes("o/", "maps"));
    EXPECT_FALSE(clashes.FolderClashes("o/", "sky"));
    EXPECT_FALSE(clashes.FolderClashes("o/", "sky/b"));
}

TEST(StagingFolder, ACreatedFileReplacesNothingAndStaysOnlyWhenKept)
{
    TScratchFolder scratch;
    const std::string root = scratch.str() + "/";
    const std::vector<std::string> folders{root, root, root, root, root + "missing/"};
    const std::vector<std::string> names{"kept.txt", "dropped.txt", "old.txt", "sub", "new.txt"};
    TStagingFolder staging(
        root, [&](size_t file) -> const std::string & { return folders[file]; },
        [&](size_t file, TEntryOffset) { return names[file]; });
    WriteText(scratch.path() / "old.txt", "old");
    fs::create_directories(scratch.path() / "sub");
    const TFileTime time = MakeFileTime(2012, 5, 6, 7, 8, 10);

    std::optional<TCreatedFile> kept = staging.Create(0, 1, Buffer("kept"), time);
    std::optional<TCreatedFile> dropped = staging.Create(1, 1, Buffer("dropped"), time);
    EXPECT_FALSE(staging.Create(2, 1, Buffer("new"), time)) << "an existing file is not replaced";
    EXPECT_FALSE(staging.Create(3, 1, Buffer("new"), time)) << "nor a folder";
    EXPECT_FALSE(staging.Create(4, 1, Buffer("new"), time)) << "no folder is made";
    ASSERT_TRUE(kept && dropped);
    EXPECT_EQ(FilesBelow(scratch.path()), (Files{{"kept.txt", "kept"}, {"dropped.txt", "dropped"}, {"old.txt", "old"}}));
    std::time_t expected = 0;
    ASSERT_TRUE(FileTimeToLocalUnixTime(time, expected));
    EXPECT_EQ(ModificationTime(scratch.path() / "kept.txt"), expected);

    kept->Keep();
    kept.reset();
    dropped.reset();
    EXPECT_EQ(FilesBelow(scratch.path()), (Files{{"kept.txt", "kept"}, {"old.txt", "old"}}));
    EXPECT_TRUE(fs::is_directory(scratch.path() / "sub"));
}

// Folders are made ahead so that threads can create files in several at
// once; a run that ends early leaves none it had not reached, and never
// removes one it did not make.
TEST(FoldersAhead, ACancelledRunLeavesOnlyTheFoldersItReached)
{
    TScratchFolder scratch;
    VornWriter writer;
    for (int folder = 0; folder < 10; ++folder) {
        const auto handle = writer.addDir(0, FormatStr("f%d", folder));
        for (int file = 0; file < 5; ++file)
            writer.addFile(handle, TextFile(FormatStr("file%d", file), "x"));
    }
    writer.addFile(0, TextFile("F3", "a file that some file systems take for the folder f3"));
    const auto vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    const fs::path target = scratch.path() / "out";
    fs::create_directories(target / "f5"); // the user's own, empty
    TRecorder recorder;
    TJob job;
    TExtractEngine engine(*vorn, {}, recorder, recorder);
    engine.SetJob(job);
    engine.SetPrefetchLimits({2, 4096, 64ull << 20});
    bool madeAhead = false;
    bool clashingMadeAhead = true;
    engine.SetStatusCallback([&](const std::string &) {
        if (job.Cancelled())
            return;
        for (int i = 0; i < 1000 && !fs::exists(target / "f9/file4"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        madeAhead = fs::exists(target / "f9/file4");
        clashingMadeAhead = fs::exists(target / "f3");
        job.Cancel();
    });
    EXPECT_TRUE(engine.ExtractEntries(target.string(), {fnFullPath, owAsk, esAll}).Cancelled);

    EXPECT_TRUE(madeAhead);
    EXPECT_FALSE(clashingMadeAhead);
    EXPECT_EQ(FilesBelow(target), (Files{{"f0/file0", "x"}}));
    std::set<std::string> folders;
    for (const auto &each : fs::directory_iterator(target))
        folders.insert(each.path().filename().string());
    EXPECT_EQ(folders, (std::set<std::string>{"f0", "f5"}));
}

// A run whose workers have created every file they may ahead of the run's
// own thread before it places its first file.
class ClashingRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        FileSpec damaged = TextFile("dup.txt", "first");
        damaged.crcOverride = 1; // fails only when its turn comes
        writer.addFile(0, damaged);
        const auto x = writer.addDir(0, "x");
        writer.addFile(x, TextFile("in.txt", "in"));
        writer.addFile(0, TextFile("keep.txt", "new keep"));
        for (int i = 0; i < 10; ++i)
            writer.addFile(0, TextFile(FormatStr("u%d.txt", i), FormatStr("u%d", i)));
        writer.addFile(0, TextFile("dup.txt", "second"));
        writer.addFile(0, TextFile("x", "a file where a folder is"));
        writer.addFile(0, TextFile("last.txt", "last"));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
    }

    // The events of a run; `ahead`: with workers, waiting at the first file
    // until they have created the last one.
    std::vector<std::string> Run(bool ahead)
    {
        fs::remove_all(target);
        WriteText(target / "keep.txt", "old keep");
        TRecorder recorder;
        recorder.answers = {A::No};
        TExtractEngine engine(*vorn, {}, recorder, recorder);
        engine.SetPrefetchLimits(ahead ? TPrefetchLimits{2, 64, 64ull << 20} : TPrefetchLimits{0, 1, 1});
        engine.SetStatusCallback([&](const std::string &text) {
            if (ahead && recorder.events.empty()) {
                for (int i = 0; i < 1000 && !fs::exists(target / "last.txt"); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                before = FilesBelow(target);
            }
            recorder.events.push_back("status " + text);
        });
        result = engine.ExtractEntries(target.string(), {fnFullPath, owAsk, esAll});
        return recorder.events;
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    const fs::path target = scratch.path() / "out";
    Files before; // what the workers had created when the first file's turn came
    TExtractResult result;
};

TEST_F(ClashingRun, AsksReportsAndWritesAsASequentialRun)
{
    const std::vector<std::string> threaded = Run(true);
    const Files files = FilesBelow(target);
    const std::vector<std::string> sequential = Run(false);
    EXPECT_EQ(threaded, sequential);
    EXPECT_EQ(files, FilesBelow(target));

    // Only names nothing else can take were there early.
    EXPECT_EQ(before.count("last.txt"), 1u) << "unique names are created ahead";
    EXPECT_EQ(before.count("dup.txt"), 0u);
    EXPECT_EQ(before.count("x"), 0u);
    EXPECT_EQ(files.at("dup.txt"), "second");
    EXPECT_EQ(files.at("x/in.txt"), "in");
    EXPECT_EQ(files.at("keep.txt"), "old keep");
    EXPECT_EQ(files.count("x"), 0u);
    EXPECT_EQ(result.Written, 13u);
    EXPECT_EQ(result.Skipped, 1u);
    EXPECT_EQ(result.Failed, 2u) << "the damaged first dup.txt and the file x where a folder is";
}

} // namespace
