// Which entries a run writes, and where, for each selection and folder mode.

#include "tests/engines/ExtractTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Files = std::map<std::string, std::string>;

// root: top.txt, a/a1.txt, a/b/x.txt, a/b/c/y.txt, a/b/e/ (empty), d/x.txt
class ExtractSelection : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        writer.addFile(0, TextFile("top.txt", "top"));
        const auto a = writer.addDir(0, "a");
        writer.addFile(a, TextFile("a1.txt", "a1", 0, DATAFORMAT_ZLIB));
        b = writer.addDir(a, "b");
        x = writer.addFile(b, TextFile("x.txt", "b-x", 0, DATAFORMAT_LZO));
        c = writer.addDir(b, "c");
        y = writer.addFile(c, TextFile("y.txt", "c-y"));
        e = writer.addDir(b, "e");
        const auto d = writer.addDir(0, "d");
        writer.addFile(d, TextFile("x.txt", "d-x"));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        bOffset = writer.entryOffset(b);
        xOffset = writer.entryOffset(x);
        cOffset = writer.entryOffset(c);
        eOffset = writer.entryOffset(e);
        yOffset = writer.entryOffset(y);
        target = scratch.path() / "out";
    }

    TExtractResult Run(TFileSelection selection, TFolderMode folders, TExtractSelection shown = {})
    {
        return RunEngine(*vorn, recorder, target.string(), {folders, owAsk, selection}, std::move(shown));
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    VornWriter::Handle b = 0, x = 0, c = 0, e = 0, y = 0;
    TEntryOffset bOffset = 0, xOffset = 0, cOffset = 0, eOffset = 0, yOffset = 0;
    fs::path target;
    TRecorder recorder;
};

TEST_F(ExtractSelection, AllWithFolderNamesRebuildsTheTreeWithEmptyFolders)
{
    const TExtractResult result = Run(esAll, fnFullPath, {bOffset, {}});
    EXPECT_EQ(FilesBelow(target), (Files{{"top.txt", "top"},
                                         {"a/a1.txt", "a1"},
                                         {"a/b/x.txt", "b-x"},
                                         {"a/b/c/y.txt", "c-y"},
                                         {"d/x.txt", "d-x"}}));
    EXPECT_EQ(FoldersBelow(target), (std::vector<std::string>{"a", "a/b", "a/b/c", "a/b/e", "d"}));
    EXPECT_EQ(result.Written, 5u);
    EXPECT_TRUE(recorder.questions.empty());
}

TEST_F(ExtractSelection, AllWithoutFolderNamesIsFlatAndSameNamesMeetTheQuestion)
{
    recorder.answers = {TOverwriteAnswer::No};
    Run(esAll, fnNone);
    EXPECT_EQ(FilesBelow(target), (Files{{"top.txt", "top"}, {"a1.txt", "a1"}, {"x.txt", "b-x"}, {"y.txt", "c-y"}}));
    EXPECT_TRUE(FoldersBelow(target).empty());
    ASSERT_EQ(recorder.questions.size(), 1u);
    EXPECT_EQ(recorder.questions[0].ExistingPath, (target / "x.txt").string());
}

TEST_F(ExtractSelection, CurrentDirWritesTheShownFolderBelowItsArchivePath)
{
    Run(esCurrentDir, fnFullPath, {bOffset, {}});
    EXPECT_EQ(FilesBelow(target), (Files{{"a/b/x.txt", "b-x"}, {"a/b/c/y.txt", "c-y"}}));
    EXPECT_EQ(FoldersBelow(target), (std::vector<std::string>{"a", "a/b", "a/b/c", "a/b/e"}));

    TScratchFolder flat;
    RunEngine(*vorn, recorder, flat.str(), {fnNone, owAsk, esCurrentDir}, {bOffset, {}});
    EXPECT_EQ(FilesBelow(flat.path()), (Files{{"x.txt", "b-x"}, {"y.txt", "c-y"}}));
}

TEST_F(ExtractSelection, SelectedFilesAndFoldersGoBelowTheShownFolderPath)
{
    Run(esSelected, fnFullPath, {bOffset, {xOffset, cOffset}});
    EXPECT_EQ(FilesBelow(target), (Files{{"a/b/x.txt", "b-x"}, {"a/b/c/y.txt", "c-y"}}));
    EXPECT_EQ(FoldersBelow(target), (std::vector<std::string>{"a", "a/b", "a/b/c"}));
}

TEST_F(ExtractSelection, SelectedWithoutFolderNamesFlattensSubfolders)
{
    Run(esSelected, fnNone, {bOffset, {xOffset, cOffset}});
    EXPECT_EQ(FilesBelow(target), (Files{{"x.txt", "b-x"}, {"y.txt", "c-y"}}));
    EXPECT_TRUE(FoldersBelow(target).empty());
}

TEST_F(ExtractSelection, RelativeKeepsOnlyTheFoldersBelowTheItems)
{
    Run(esSelected, fnRelative, {bOffset, {xOffset, cOffset, eOffset}});
    EXPECT_EQ(FilesBelow(target), (Files{{"x.txt", "b-x"}, {"c/y.txt", "c-y"}}));
    EXPECT_EQ(FoldersBelow(target), (std::vector<std::string>{"c", "e"}));
}

// Search results list a folder and the files below it side by side.
TEST_F(ExtractSelection, AFileSelectedWithAFolderAboveItIsWrittenOnceWithoutAQuestion)
{
    for (const TFolderMode mode : {fnFullPath, fnNone, fnRelative}) {
        TScratchFolder out;
        const TExtractResult result = RunEngine(*vorn, recorder, out.str(), {mode, owAsk, esSelected},
                                                {0, {xOffset, bOffset, yOffset, xOffset, bOffset}});
        EXPECT_EQ(result.Written, 2u) << int(mode);
        EXPECT_TRUE(recorder.questions.empty()) << int(mode);
        const Files expected = mode == fnNone ? Files{{"x.txt", "b-x"}, {"y.txt", "c-y"}}
                             : mode == fnRelative ? Files{{"b/x.txt", "b-x"}, {"b/c/y.txt", "c-y"}}
                                                  : Files{{"a/b/x.txt", "b-x"}, {"a/b/c/y.txt", "c-y"}};
        EXPECT_EQ(FilesBelow(out.path()), expected) << int(mode);
    }
}

TEST_F(ExtractSelection, SelectedWithNothingSelectedExtractsTheWholeArchive)
{
    Run(esSelected, fnFullPath, {bOffset, {}});
    EXPECT_EQ(FilesBelow(target).size(), 5u);
    EXPECT_TRUE(fs::is_directory(target / "a/b/e"));
}

TEST_F(ExtractSelection, SelectedItemsAreWrittenInListOrderWithStatusTexts)
{
    Run(esSelected, fnFullPath, {bOffset, {cOffset, xOffset}});
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"status Extracting y.txt", "status Extracting x.txt"}));
}

TEST_F(ExtractSelection, CurrentDirOfTheRootIsTheWholeArchive)
{
    Run(esCurrentDir, fnFullPath, {vorn->GetRootOffset(), {}});
    EXPECT_EQ(FilesBelow(target).size(), 5u);
}

TEST_F(ExtractSelection, EmptyTargetIsRefusedBeforeAnythingIsWritten)
{
    EXPECT_THROW(RunEngine(*vorn, recorder, "", {fnFullPath, owAsk, esAll}), Exception);
    EXPECT_TRUE(recorder.events.empty());
}

} // namespace
