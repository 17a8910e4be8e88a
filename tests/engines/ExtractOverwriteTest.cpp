// The overwrite question and the modes its answers switch to.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"

#include <gtest/gtest.h>

namespace {

using A = TOverwriteAnswer;

class ExtractOverwrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        entryTime = MakeFileTime(2020, 5, 6, 7, 8, 10);
        ASSERT_TRUE(FileTimeToLocalUnixTime(entryTime, entryUnixTime));
        VornWriter writer;
        for (const char *name : {"f1.txt", "f2.txt", "f3.txt"})
            writer.addFile(0, TextFile(name, std::string("new ") + name, entryTime, DATAFORMAT_ZLIB));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        target = scratch.path() / "out";
        for (const char *name : {"f1.txt", "f2.txt", "f3.txt"}) {
            WriteText(target / name, "old");
            SetModificationTime(target / name, entryUnixTime - 3600);
        }
    }

    TExtractResult Run(TOverwriteMode mode = owAsk)
    {
        return RunEngine(*vorn, recorder, target.string(), {fnFullPath, mode, esAll});
    }

    std::string Content(const char *name) { return ReadText(target / name); }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    TFileTime entryTime = 0;
    std::time_t entryUnixTime = 0;
    fs::path target;
    TRecorder recorder;
};

TEST_F(ExtractOverwrite, YesAndNoDecideOneFileAndKeepAsking)
{
    recorder.answers = {A::Yes, A::No, A::Yes};
    const TExtractResult result = Run();
    EXPECT_EQ(recorder.questions.size(), 3u);
    EXPECT_EQ(Content("f1.txt"), "new f1.txt");
    EXPECT_EQ(Content("f2.txt"), "old");
    EXPECT_EQ(Content("f3.txt"), "new f3.txt");
    EXPECT_EQ(result.Written, 2u);
    EXPECT_EQ(result.Skipped, 1u);
}

TEST_F(ExtractOverwrite, YesToAllReplacesTheRestWithoutAsking)
{
    recorder.answers = {A::No, A::YesToAll};
    Run();
    EXPECT_EQ(recorder.questions.size(), 2u);
    EXPECT_EQ(Content("f1.txt"), "old");
    EXPECT_EQ(Content("f2.txt"), "new f2.txt");
    EXPECT_EQ(Content("f3.txt"), "new f3.txt");
}

TEST_F(ExtractOverwrite, NoToAllTouchesNoExistingFile)
{
    recorder.answers = {A::NoToAll};
    Run();
    EXPECT_EQ(recorder.questions.size(), 1u);
    for (const char *name : {"f1.txt", "f2.txt", "f3.txt"}) {
        EXPECT_EQ(Content(name), "old");
        EXPECT_EQ(ModificationTime(target / name), entryUnixTime - 3600);
    }
}

TEST_F(ExtractOverwrite, OnlyOlderAppliesToThisFileAndTheRest)
{
    SetModificationTime(target / "f1.txt", entryUnixTime);     // as new: skipped
    SetModificationTime(target / "f2.txt", entryUnixTime - 2); // one DOS step older: replaced
    SetModificationTime(target / "f3.txt", entryUnixTime + 2); // newer: skipped
    recorder.answers = {A::OnlyOlder};
    Run();
    EXPECT_EQ(recorder.questions.size(), 1u);
    EXPECT_EQ(Content("f1.txt"), "old");
    EXPECT_EQ(Content("f2.txt"), "new f2.txt");
    EXPECT_EQ(Content("f3.txt"), "old");

    // A file whose time can't be read (a link to nothing) is replaced, not written through.
    fs::remove(target / "f1.txt");
    fs::create_symlink(scratch.path() / "missing", target / "f1.txt");
    Run(owOnlyOlder);
    EXPECT_EQ(Content("f1.txt"), "new f1.txt");
    EXPECT_FALSE(fs::exists(scratch.path() / "missing"));
}

TEST_F(ExtractOverwrite, OnlyOlderSkipsFilesAnEarlierRunWrote)
{
    fs::remove_all(target);
    Run(owReplaceAll);
    recorder.answers = {A::OnlyOlder};
    const TExtractResult again = Run();
    EXPECT_EQ(again.Written, 0u);
    EXPECT_EQ(again.Skipped, 3u);
}

TEST_F(ExtractOverwrite, EachRunStartsAskingAgain)
{
    recorder.answers = {A::YesToAll};
    Run();
    ASSERT_EQ(recorder.questions.size(), 1u);
    recorder.answers = {A::NoToAll};
    Run();
    EXPECT_EQ(recorder.questions.size(), 2u);
}

TEST_F(ExtractOverwrite, FixedModesNeverAsk)
{
    Run(owSkipAll);
    EXPECT_EQ(Content("f1.txt"), "old");
    // Replacing never writes through a link to a file elsewhere.
    const fs::path soft = scratch.path() / "soft.txt";
    const fs::path hard = scratch.path() / "hard.txt";
    WriteText(soft, "outside");
    WriteText(hard, "outside");
    fs::remove(target / "f2.txt");
    fs::remove(target / "f3.txt");
    fs::create_symlink(soft, target / "f2.txt");
    fs::create_hard_link(hard, target / "f3.txt");
    Run(owReplaceAll);
    EXPECT_EQ(Content("f1.txt"), "new f1.txt");
    EXPECT_EQ(Content("f3.txt"), "new f3.txt");
    EXPECT_EQ(ReadText(soft), "outside");
    EXPECT_EQ(ReadText(hard), "outside");
    EXPECT_TRUE(recorder.questions.empty());
}

TEST_F(ExtractOverwrite, TheQuestionDescribesBothFiles)
{
    WriteText(target / "f1.txt", "twelve bytes");
    SetModificationTime(target / "f1.txt", 1'000'000'000);
    recorder.answers = {A::NoToAll};
    Run();
    ASSERT_EQ(recorder.questions.size(), 1u);
    const TOverwriteQuestion &question = recorder.questions[0];
    EXPECT_EQ(question.ExistingPath, (target / "f1.txt").string());
    EXPECT_EQ(question.ExistingSize, 12u);
    EXPECT_EQ(question.ExistingTime, std::optional<std::time_t>(1'000'000'000));
    EXPECT_EQ(question.EntrySize, std::string("new f1.txt").size());
    EXPECT_EQ(question.EntryTime, entryTime);
}

TEST_F(ExtractOverwrite, AnExistingFileThatCantBeOpenedFailsWithoutAQuestion)
{
    fs::remove(target / "f1.txt");
    fs::create_symlink(scratch.path() / "missing", target / "f1.txt");
    recorder.answers = {A::NoToAll};
    Run();
    ASSERT_EQ(recorder.failures.size(), 1u);
    EXPECT_EQ(recorder.failures[0].Path, (target / "f1.txt").string());
    // The next file is asked about: the mode stayed at asking.
    ASSERT_EQ(recorder.questions.size(), 1u);
    EXPECT_EQ(recorder.questions[0].ExistingPath, (target / "f2.txt").string());
}

} // namespace
