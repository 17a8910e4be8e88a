// Archives merged by priority: which version of a path wins, the stacks of
// hidden versions, ties, letters in any case, files against folders, damaged
// members, and finding a game folder's archives.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/MergeSources.h"
#include "engines/MergedExtract.h"
#include "engines/MergedView.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

struct TStoredFile {
    std::string path; // "/"-separated below the root; a trailing "/" makes an empty folder
    std::string text;
    bool withCrc = true;
};

class MergedView : public ::testing::Test {
protected:
    // Writes an archive of the given priority holding the files.
    const TVornFile &Archive(const std::string &name, uint32_t priority, const std::vector<TStoredFile> &files)
    {
        VornWriter writer;
        writer.header.m_Priority = priority;
        std::map<std::string, VornWriter::Handle> folders{{"", 0}};
        for (const TStoredFile &file : files) {
            size_t start = 0;
            VornWriter::Handle folder = 0;
            for (size_t slash; (slash = file.path.find('/', start)) != std::string::npos; start = slash + 1) {
                const std::string path = file.path.substr(0, slash);
                if (!folders.count(path))
                    folders[path] = writer.addDir(folder, file.path.substr(start, slash - start));
                folder = folders[path];
            }
            if (start == file.path.size())
                continue;
            FileSpec spec = TextFile(file.path.substr(start), file.text);
            if (!file.withCrc)
                spec.crcOverride = 0;
            writer.addFile(folder, spec);
        }
        archives.push_back(BuildArchive(writer, scratch.path() / name));
        return *archives.back();
    }
    TMergedView Merge()
    {
        std::vector<const TVornFile *> pointers;
        for (const auto &archive : archives)
            pointers.push_back(archive.get());
        return TMergedView(pointers);
    }
    static std::string WinnerOf(const TMergedView &view, const std::string &path)
    {
        const TMergeNodeId node = view.Find(path);
        if (node == NoMergeNode)
            return "<none>";
        return fs::path(view.Archive(view.Winner(node).Archive).FileName()).filename().string();
    }
    // "archive state" for each version, winner first.
    static std::vector<std::string> StackOf(const TMergedView &view, TMergeNodeId node)
    {
        std::vector<std::string> stack;
        for (const TMergeVersion &version : view.Versions(node))
            stack.push_back(fs::path(view.Archive(version.Archive).FileName()).stem().string() + " "
                            + VersionStateText(version.State));
        return stack;
    }

    TScratchFolder scratch;
    std::vector<std::unique_ptr<TVornFile>> archives;
};

TEST_F(MergedView, AFolderIsExtractedMergedUnderOneJobThatCanStopIt)
{
    Archive("base.vmres", 0x0000, {{"Art/a.txt", "base a"}, {"Art/old.txt", "old"}, {"top.txt", "top"}});
    Archive("patch.vmres", 0x13000, {{"art/A.TXT", "patched a!"}});
    const TMergedView view = Merge();
    const std::vector<TMergeNodeId> art{view.Find("art")};
    TRecorder recorder;
    TMergedExtract extract(view, recorder, recorder);
    TJob job;
    extract.SetJob(job);
    const fs::path out = scratch.path() / "out";
    const TExtractResult result = extract.Extract(out.string(), art, {fnRelative, owReplaceAll, esSelected});
    // Each path's winner, below the folder's merged name.
    EXPECT_EQ(FilesBelow(out), (std::map<std::string, std::string>{{"art/A.TXT", "patched a!"}, {"art/old.txt", "old"}}));
    EXPECT_EQ(result.Written, 2u);
    const TJobProgress progress = job.Progress();
    EXPECT_EQ(progress.EntriesTotal, 2u);
    EXPECT_EQ(progress.EntriesDone, 2u);
    EXPECT_EQ(progress.BytesTotal, 13u); // "patched a!" and "old"

    TJob cancelled;
    cancelled.Cancel();
    extract.SetJob(cancelled);
    const fs::path none = scratch.path() / "none";
    EXPECT_TRUE(extract.Extract(none.string(), {MergeRoot}, {fnFullPath, owReplaceAll, esAll}).Cancelled);
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(MergedView, ClassThenNumberDecidesAndBitsBelowTheClassDoNot)
{
    // Given out of order; each one's own file tells where it ranks.
    const std::vector<std::pair<std::string, uint32_t>> ranked = {
        {"patch10", 0xA3000}, {"factory", 0x0000}, {"user", 0x4000},      {"patch2", 0x23000},
        {"language", 0x1000}, {"expansion", 0x2000}, {"factory1", 0x10000}, {"language3", 0x31000},
        {"noname", 0x5000},   {"patch", 0x3FFF},
    };
    for (const auto &[name, priority] : ranked)
        Archive(name + ".vmres", priority, {{"all.txt", name}, {name + ".txt", name}});
    const TMergedView view = Merge();
    std::vector<std::string> layers;
    for (const uint32_t archive : view.Layers())
        layers.push_back(fs::path(view.Archive(archive).FileName()).stem().string());
    EXPECT_EQ(layers, (std::vector<std::string>{"factory", "factory1", "language", "language3", "expansion",
                                                 "patch", "patch2", "patch10", "user", "noname"}));
    EXPECT_EQ(WinnerOf(view, "all.txt"), "noname.vmres");
    const TMergeNodeId all = view.Find("all.txt");
    EXPECT_EQ(view.HiddenCount(all), 9u);
    EXPECT_EQ(view.Archive(view.Versions(all).back().Archive).FileName(), archives[1]->FileName());
    EXPECT_EQ(view.Children(MergeRoot).size(), 11u);
    EXPECT_TRUE(view.Ties().empty());
    EXPECT_TRUE(view.InConflict(all));
    EXPECT_FALSE(view.InConflict(view.Find("patch2.txt")));
}

TEST_F(MergedView, EqualPrioritiesGoByFileNameAndAreReported)
{
    // Bits 0-11 differ, the priority does not.
    Archive("b.vmres", 0x23001, {{"x.txt", "b"}});
    Archive("a.vmres", 0x23FFF, {{"x.txt", "a"}});
    Archive("c.vmres", 0x13000, {{"x.txt", "c"}});
    const TMergedView view = Merge();
    EXPECT_EQ(WinnerOf(view, "x.txt"), "b.vmres");
    ASSERT_EQ(view.Ties().size(), 1u);
    EXPECT_EQ(view.Ties()[0], (std::vector<uint32_t>{1, 0}));
}

TEST_F(MergedView, NamesMatchWithCodePageLettersFolded)
{
    Archive("low.vmres", 0x0000,
            {{"Textures/Stone.DDS", "old"}, {"\xC9t\xC9.txt", "old"}, {"\x8A.txt", "old"}, {"a.txt", "a"}});
    Archive("high.vmres", 0x3000,
            {{"textures/stone.dds", "new"}, {"\xE9t\xE9.txt", "new"}, {"\x9A.txt", "new"}, {"\xE1.txt", "a acute"}});
    const TMergedView view = Merge();
    EXPECT_EQ(view.Children(MergeRoot).size(), 5u); // a.txt and á.txt stay apart
    const TMergeNodeId stone = view.Find("TEXTURES/stone.Dds");
    ASSERT_NE(stone, NoMergeNode);
    EXPECT_EQ(view.Path(stone), "textures/stone.dds"); // the winner's spelling
    EXPECT_EQ(view.Versions(stone).size(), 2u);
    EXPECT_EQ(view.Versions(view.Find("textures")).size(), 2u);
    EXPECT_EQ(view.HiddenCount(view.Find("\xC9T\xC9.TXT")), 1u);
    EXPECT_EQ(view.HiddenCount(view.Find("\x8A.txt")), 1u);
    EXPECT_EQ(view.HiddenCount(view.Find("a.txt")), 0u);
    EXPECT_EQ(view.Find("textures/missing.dds"), NoMergeNode);
    EXPECT_TRUE(view.HasConflictBelow(MergeRoot)); // through "textures"
    EXPECT_TRUE(view.HasConflictBelow(view.Find("textures")));
    EXPECT_FALSE(view.HasConflictBelow(view.Find("a.txt")));
}

TEST_F(MergedView, FileAgainstFolderTheHigherWins)
{
    Archive("base.vmres", 0x0000, {{"maps/a.map", "a"}, {"data", "a file"}, {"data2/x.txt", "x"}});
    Archive("mod.vmres", 0x4000, {{"maps", "a file"}, {"data/y.txt", "y"}});
    const TMergedView view = Merge();
    const TMergeNodeId maps = view.Find("maps");
    EXPECT_FALSE(view.IsFolder(maps));
    EXPECT_TRUE(view.HasKindConflict(maps));
    EXPECT_EQ(StackOf(view, maps), (std::vector<std::string>{"mod winner", "base other kind"}));
    EXPECT_EQ(view.Find("maps/a.map"), NoMergeNode); // hidden below the winning file
    const TMergeNodeId data = view.Find("data");
    EXPECT_TRUE(view.IsFolder(data));
    EXPECT_TRUE(view.InConflict(data));
    EXPECT_EQ(StackOf(view, data), (std::vector<std::string>{"mod winner", "base other kind"}));
    EXPECT_NE(view.Find("data/y.txt"), NoMergeNode);
    EXPECT_FALSE(view.InConflict(view.Find("data2")));
    EXPECT_FALSE(view.HasConflictBelow(view.Find("data2")));
}

TEST_F(MergedView, StacksThreeDeepCompareEachVersionWithTheWinner)
{
    Archive("factory.vmres", 0x0000,
            {{"s/same.txt", "one"}, {"s/size.txt", "short"}, {"s/nocrc.txt", "abc"}, {"s/nocrc2.txt", "abc"}});
    Archive("expansion.vmres", 0x2000,
            {{"s/same.txt", "one"}, {"s/size.txt", "longer"}, {"s/nocrc.txt", "abc", false}, {"s/nocrc2.txt", "abd", false}});
    Archive("patch.vmres", 0x3000,
            {{"S/same.txt", "one"}, {"s/size.txt", "longer"}, {"s/nocrc.txt", "abc"}, {"s/nocrc2.txt", "abc"}});
    TMergedView view = Merge();
    EXPECT_EQ(StackOf(view, view.Find("s/same.txt")),
              (std::vector<std::string>{"patch winner", "expansion same", "factory same"}));
    EXPECT_EQ(StackOf(view, view.Find("s/size.txt")),
              (std::vector<std::string>{"patch winner", "expansion same", "factory different"}));
    // The patch spells the folder two ways: both are one folder.
    EXPECT_EQ(StackOf(view, view.Find("s")),
              (std::vector<std::string>{"patch winner", "patch folder", "expansion folder", "factory folder"}));
    EXPECT_TRUE(view.HasConflictBelow(MergeRoot)); // only through "s"
    // Without a stored CRC-32 only the bytes can tell.
    const TMergeNodeId nocrc = view.Find("s/nocrc.txt");
    const TMergeNodeId nocrc2 = view.Find("s/nocrc2.txt");
    EXPECT_EQ(StackOf(view, nocrc2)[1], "expansion unsettled");
    view.SettleVersions(nocrc);
    view.SettleVersions(nocrc2);
    EXPECT_EQ(StackOf(view, nocrc), (std::vector<std::string>{"patch winner", "expansion same", "factory same"}));
    EXPECT_EQ(StackOf(view, nocrc2),
              (std::vector<std::string>{"patch winner", "expansion different", "factory same"}));
}

// A path keeps only its winner and counts; its stack is found again in the
// archives when asked for, alone or with its folder's others.
TEST_F(MergedView, StacksFoundWhenAskedAgreeWithTheMerge)
{
    Archive("base.vmres", 0x0000,
            {{"maps/a.map", "a"}, {"data", "a file"}, {"d/e/x.txt", "x"}, {"d/e/nocrc.txt", "n"}, {"solo.txt", "s"}});
    Archive("patch.vmres", 0x3000,
            {{"D/E/X.TXT", "y"}, {"d/E/nocrc.txt", "n", false}, {"data/y.txt", "y"}, {"d/f/g.txt", "g"}});
    Archive("mod.vmres", 0x4000, {{"maps", "a file"}, {"d/e/x.txt", "x"}, {"d/e/nocrc.txt", "n"}});
    TMergedView view = Merge();
    view.SettleVersions(view.Find("d/e/nocrc.txt"));
    const auto text = [&](const TMergeVersion &v) {
        return std::to_string(v.Archive) + " " + VersionStateText(v.State) + " " + std::to_string(v.Entry)
               + (v.IsFolder ? " d" : " f");
    };
    size_t stacksSeen = 0;
    for (TMergeNodeId folder = 0; folder < view.NodeCount(); ++folder) {
        const TChildStacks stacks = view.ChildStacks(folder);
        ASSERT_EQ(stacks.Count(), view.Children(folder).size()) << view.Path(folder);
        for (const TMergeNodeId child : view.Children(folder)) {
            const std::vector<TMergeVersion> alone = view.Versions(child);
            std::vector<std::string> a, b;
            for (const TMergeVersion &v : alone)
                a.push_back(text(v));
            for (const TMergeVersion &v : stacks.Of(child))
                b.push_back(text(v));
            EXPECT_EQ(a, b) << view.Path(child);
            ASSERT_EQ(alone.size(), view.HiddenCount(child) + 1) << view.Path(child);
            EXPECT_EQ(text(alone[0]), text(view.Winner(child)));
            EXPECT_EQ(view.HasKindConflict(child),
                      std::any_of(alone.begin(), alone.end(),
                                  [](const TMergeVersion &v) { return v.State == TVersionState::OtherKind; }));
            ++stacksSeen;
        }
    }
    EXPECT_EQ(stacksSeen, view.NodeCount() - 1);
    EXPECT_EQ(text(view.Versions(MergeRoot)[0]), text(view.Winner(MergeRoot))); // the highest archive's root
    EXPECT_EQ(StackOf(view, view.Find("d/e/nocrc.txt")),
              (std::vector<std::string>{"mod winner", "patch same", "base same"}));
    EXPECT_EQ(StackOf(view, view.Find("d/e/x.txt")),
              (std::vector<std::string>{"mod winner", "patch different", "base same"}));
    // Below a winning file the hidden folder's children are no paths.
    EXPECT_EQ(view.ChildStacks(view.Find("maps")).Count(), 0u);
}

// A damaged or hostile index can nest folders far deeper than any game:
// a stack deep down is still found, without running out of stack.
TEST_F(MergedView, AStackAndAFileFarDownAreReachedWithoutRecursion)
{
    constexpr int depth = 60000;
    for (const char *name : {"low.vmres", "high.vmres"}) {
        VornWriter writer;
        writer.header.m_Priority = std::string(name) == "high.vmres" ? 0x3000 : 0;
        VornWriter::Handle folder = 0;
        for (int level = 0; level < depth; ++level)
            folder = writer.addDir(folder, "d");
        writer.addFile(folder, TextFile("x.txt", name));
        archives.push_back(BuildArchive(writer, scratch.path() / name));
    }
    const TMergedView view = Merge();
    const TMergeNodeId deepest = TMergeNodeId(view.NodeCount() - 1);
    ASSERT_EQ(view.Name(deepest), "x.txt");
    EXPECT_EQ(StackOf(view, deepest), (std::vector<std::string>{"high winner", "low different"}));
    // Written without folders, no path length ends the descent either.
    TRecorder recorder;
    TExtractOptions flat;
    flat.FolderMode = fnNone;
    const fs::path target = scratch.path() / "flat";
    fs::create_directories(target);
    const TExtractResult written = TMergedExtract(view, recorder, recorder).Extract(target.string(), {MergeRoot}, flat);
    EXPECT_EQ(written.Written, 1u);
    std::ifstream file(target / "x.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "high.vmres");
}

TEST_F(MergedView, ADamagedMemberIsLeftOutWholeAndTheRestMerged)
{
    Archive("base.vmres", 0x0000, {{"a.txt", "base"}, {"deep/b.txt", "base"}});
    // The highest archive: its root's children are merged before the damage
    // below "zz" is met, so all it added must be taken back.
    VornWriter writer;
    writer.header.m_Priority = 0x4000;
    writer.addFile(0, TextFile("a.txt", "damaged"));
    writer.addFile(0, TextFile("only.txt", "damaged"));
    writer.addFile(writer.addDir(0, "deep"), TextFile("c.txt", "damaged"));
    const VornWriter::Handle zz = writer.addDir(0, "zz");
    writer.addFile(zz, TextFile("z.txt", "damaged"));
    Bytes bytes = writer.build();
    PutU32(bytes, writer.indexStart() + writer.entryOffset(zz) + 16 + 8, 0x7FFFFFF0); // its child
    WriteBytes((scratch.path() / "damaged.vmres").string(), bytes);
    archives.push_back(std::make_unique<TVornFile>((scratch.path() / "damaged.vmres").string()));
    Archive("patch.vmres", 0x3000, {{"only.txt", "patch"}, {"deep/c.txt", "patch"}});

    const TMergedView view = Merge();
    ASSERT_EQ(view.Failures().size(), 1u);
    EXPECT_EQ(view.Failures()[0].Archive, 1u);
    EXPECT_NE(view.Failures()[0].Message.find("Damaged index"), std::string::npos);
    EXPECT_EQ(view.Layers(), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(WinnerOf(view, "a.txt"), "base.vmres");
    EXPECT_EQ(WinnerOf(view, "only.txt"), "patch.vmres");
    EXPECT_EQ(WinnerOf(view, "deep/c.txt"), "patch.vmres");
    EXPECT_EQ(WinnerOf(view, "zz"), "<none>");
    EXPECT_EQ(view.Versions(MergeRoot).size(), 2u);
    EXPECT_EQ(view.Children(MergeRoot).size(), 3u);
    for (TMergeNodeId node = 0; node < view.NodeCount(); ++node)
        for (const TMergeVersion &version : view.Versions(node))
            EXPECT_NE(version.Archive, 1u) << view.Path(node);
}

TEST_F(MergedView, NothingToMergeGivesAnEmptyRoot)
{
    const TMergedView view = Merge();
    EXPECT_EQ(view.NodeCount(), 1u);
    EXPECT_TRUE(view.Versions(MergeRoot).empty());
    EXPECT_TRUE(view.Children(MergeRoot).empty());
}

TEST_F(MergedView, GameFolderArchivesAreFoundBelowItAndBadOnesReported)
{
    fs::create_directories(scratch.path() / "game/Data/Maps");
    fs::create_directories(scratch.path() / "empty");
    VornWriter writer;
    writer.addFile(0, TextFile("x.txt", "x"));
    BuildArchive(writer, scratch.path() / "game/Data/base.vmres");
    BuildArchive(writer, scratch.path() / "game/Data/Maps/one.VMMAP");
    BuildArchive(writer, scratch.path() / "game/Data/save.vmsave");
    WriteText(scratch.path() / "game/broken.vmres", "not an archive");
    TMergeSources sources;
    sources.Add((scratch.path() / "game").string());
    sources.Add((scratch.path() / "empty").string());
    ASSERT_EQ(sources.Archives().size(), 2u);
    EXPECT_EQ(sources.Archives()[0]->FileName(), (scratch.path() / "game/Data/Maps/one.VMMAP").string());
    EXPECT_EQ(sources.Archives()[1]->FileName(), (scratch.path() / "game/Data/base.vmres").string());
    ASSERT_EQ(sources.Problems().size(), 2u);
    EXPECT_EQ(sources.Problems()[0], (scratch.path() / "game/broken.vmres").string() + ": Cannot open file: size < sizeof(TVornHeader)");
    EXPECT_NE(sources.Problems()[1].find("No archives"), std::string::npos);
}

} // namespace
