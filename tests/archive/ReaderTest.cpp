// Questions about the directory tree: children, names, paths, kinds, lookup.

#include "tests/archive/ArchiveTestUtil.h"

#include "archive/TreeWalk.h"

#include <gtest/gtest.h>

namespace {

struct Tree {
    VornWriter w;
    VornWriter::Handle art, bitmaps, pic, a, ab, abc, abcd, emptyDir;
    TempDir dir;
    std::unique_ptr<TVornFile> vorn;

    Tree()
    {
        art = w.addDir(0, "art", MakeFileTime(2003, 5, 14, 17, 4, 8));
        bitmaps = w.addDir(art, "bitmaps");
        pic = w.addFile(bitmaps, {.name = "pic.bmp", .data = TextBytes("BM"), .format = DATAFORMAT_ZLIB,
                                  .time = MakeFileTime(2004, 2, 29, 9, 30, 0), .flags = FILEFLAG_STRUCK_OUT});
        // Names of every padding length, each with children after the name field.
        a = w.addDir(0, "a");
        ab = w.addDir(a, "ab");
        abc = w.addDir(ab, "abc");
        abcd = w.addDir(abc, "abcd");
        w.addFile(a, {.name = "1", .data = TextBytes("one")});
        w.addFile(ab, {.name = "22", .data = TextBytes("two")});
        w.addFile(abc, {.name = "333", .data = TextBytes("three")});
        w.addFile(abcd, {.name = "4444", .data = TextBytes("four")});
        emptyDir = w.addDir(0, "empty");
        vorn = std::make_unique<TVornFile>(dir.write("tree.vmres", w.build()));
    }
    TEntryOffset at(VornWriter::Handle h) const { return w.entryOffset(h); }
};

TEST(ReaderTest, GetChildCountsAndWraps)
{
    Tree t;
    const TEntryOffset root = t.vorn->GetRootOffset();
    ASSERT_EQ(t.vorn->GetChildCount(root), 3u);
    uint32_t index = 0;
    EXPECT_EQ(t.vorn->GetChild(root, index), t.at(t.art));
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(t.vorn->GetChild(root, index), t.at(t.a));
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(t.vorn->GetChild(root, index), t.at(t.emptyDir));
    EXPECT_EQ(index, 0u);
    index = 3;
    EXPECT_EQ(MessageOf([&] { t.vorn->GetChild(root, index); }), "ChildIndex out of bounds! (3)");
    index = 0;
    EXPECT_EQ(t.vorn->GetChildCount(t.at(t.emptyDir)), 0u);
    EXPECT_EQ(MessageOf([&] { t.vorn->GetChild(t.at(t.emptyDir), index); }), "ChildIndex out of bounds! (0)");
    EXPECT_TRUE(t.vorn->GetChildren(t.at(t.emptyDir)).empty());
}

TEST(ReaderTest, NamesOfEveryPaddingLength)
{
    Tree t;
    // Each level's children sit right after its padded name; reading them
    // back proves the padding for lengths 1 to 4.
    const std::vector<std::pair<VornWriter::Handle, std::string>> expected = {
        {t.a, "1"}, {t.ab, "22"}, {t.abc, "333"}, {t.abcd, "4444"}};
    for (const auto &[dir, fileName] : expected) {
        std::vector<std::string> names;
        for (const TEntryOffset child : t.vorn->GetChildren(t.at(dir)))
            names.push_back(t.vorn->GetName(child));
        EXPECT_EQ(names.back(), fileName);
    }
    EXPECT_EQ(t.vorn->GetName(t.at(t.abcd)), "abcd");
    EXPECT_EQ(t.vorn->GetName(t.vorn->GetRootOffset()), "");
    // A one-character name field takes 4 bytes, a two-character one 8.
    EXPECT_EQ(PaddedNameLength(1), 4u);
    EXPECT_EQ(PaddedNameLength(2), 8u);
    EXPECT_EQ(PaddedNameLength(0), 4u);
    EXPECT_EQ(PaddedNameLength(5), 8u);
}

TEST(ReaderTest, KindsAndFileFields)
{
    Tree t;
    const TVornFile &v = *t.vorn;
    EXPECT_TRUE(v.IsDirectory(v.GetRootOffset()));
    EXPECT_TRUE(v.IsDirectory(t.at(t.bitmaps)));
    EXPECT_FALSE(v.IsDirectory(t.at(t.pic)));
    const uint32_t fileSetStart = v.Header().m_FileSetOffset - v.Header().m_DirSetOffset;
    EXPECT_TRUE(v.IsDirectory(fileSetStart - 1));
    EXPECT_FALSE(v.IsDirectory(fileSetStart));
    EXPECT_FALSE(v.IsDirectory(0xFFFFFFFF));

    const TEntryOffset pic = t.at(t.pic);
    EXPECT_EQ(v.GetSize(pic), 2u);
    EXPECT_EQ(v.GetFormat(pic), DATAFORMAT_ZLIB);
    EXPECT_EQ(v.GetFileFlags(pic), FILEFLAG_STRUCK_OUT);
    EXPECT_EQ(v.GetFileTime(pic), MakeFileTime(2004, 2, 29, 9, 30, 0));
    EXPECT_EQ(v.GetFileTime(t.at(t.art)), MakeFileTime(2003, 5, 14, 17, 4, 8));
    EXPECT_EQ(v.GetParent(pic), t.at(t.bitmaps));
    EXPECT_EQ(v.GetParent(v.GetRootOffset()), 0u);
    EXPECT_GT(v.GetCompressedSize(pic), 2u); // a zlib stream of two bytes is longer
    EXPECT_EQ(v.GetChunkSize(pic), 0u);
}

TEST(ReaderTest, PathsOfAncestors)
{
    Tree t;
    EXPECT_EQ(t.vorn->GetPath(t.vorn->GetRootOffset()), "");
    EXPECT_EQ(t.vorn->GetPath(t.at(t.art)), "\\");
    EXPECT_EQ(t.vorn->GetPath(t.at(t.bitmaps)), "\\art\\");
    EXPECT_EQ(t.vorn->GetPath(t.at(t.pic)), "\\art\\bitmaps\\");

    TempDir dir;
    VornWriter named;
    named.rootName = "R";
    const auto sub = named.addDir(0, "s");
    const TVornFile vorn(dir.write("named.vmres", named.build()));
    EXPECT_EQ(vorn.GetPath(named.entryOffset(sub)), "R\\");
}

TEST(ReaderTest, WalkTreeAndFindEntry)
{
    Tree t;
    std::vector<std::string> paths;
    WalkTree(*t.vorn, t.vorn->GetRootOffset(), [&](TEntryOffset, const std::string &path) { paths.push_back(path); });
    const std::vector<std::string> expected = {"art", "art/bitmaps", "art/bitmaps/pic.bmp", "a", "a/ab", "a/ab/abc",
                                               "a/ab/abc/abcd", "a/ab/abc/abcd/4444", "a/ab/abc/333", "a/ab/22",
                                               "a/1", "empty"};
    EXPECT_EQ(paths, expected);

    EXPECT_EQ(FindEntry(*t.vorn, "ART/Bitmaps/PIC.bmp"), t.at(t.pic));
    EXPECT_EQ(FindEntry(*t.vorn, "/art//bitmaps/"), t.at(t.bitmaps));
    EXPECT_EQ(FindEntry(*t.vorn, ""), t.vorn->GetRootOffset());
    EXPECT_EQ(FindEntry(*t.vorn, "art/missing"), 0u);
    EXPECT_EQ(FindEntry(*t.vorn, "art/bitmaps/pic.bmp/deeper"), 0u);
    EXPECT_TRUE(SameTextAsciiCase("abcXYZ", "ABCxyz"));
    EXPECT_FALSE(SameTextAsciiCase("\xe9", "\xc9")); // only a-z fold
}

TEST(ReaderTest, FindEntryMatchesWindows1252NamesByUtf8)
{
    TempDir dir;
    VornWriter w;
    const auto file = w.addFile(0, {.name = "caf\xe9\x80.txt", .data = TextBytes("euro")});
    const TVornFile vorn(dir.write("ansi.vmres", w.build()));
    EXPECT_EQ(vorn.GetName(w.entryOffset(file)), "caf\xe9\x80.txt");
    EXPECT_EQ(FindEntry(vorn, "CAF\u00e9\u20ac.TXT"), w.entryOffset(file));
}

} // namespace
