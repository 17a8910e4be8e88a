// The mount's file system without the kernel: names, inodes, reads at any
// offset, the cache of decoded data and the damage checks.

#include "engines/DecodedCache.h"
#include "engines/MergedView.h"
#include "engines/MountFileSystem.h"
#include "engines/MountName.h"
#include "tests/archive/ArchiveTestUtil.h"
#include "tests/engines/ExtractTestSupport.h"

#include "archive/Crc32.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace {

using Warnings = std::vector<std::string>;

TMountWarning Collect(Warnings &warnings)
{
    return [&warnings](const std::string &message) { warnings.push_back(message); };
}

// Every path below the root, depth first, as the tree shows it.
std::vector<std::string> Paths(const TMountTree &tree, TMountInode folder = MountRootInode,
                               const std::string &prefix = "")
{
    std::vector<std::string> paths;
    const TMountNode &node = tree.node(folder);
    for (uint32_t i = 0; i < node.childCount; ++i) {
        const TMountInode child = tree.firstChild(folder) + i;
        const std::string path = prefix + std::string(tree.name(child));
        EXPECT_EQ(tree.parent(child), folder);
        EXPECT_EQ(tree.lookup(folder, tree.name(child)), child);
        paths.push_back(path);
        for (const std::string &below : Paths(tree, child, path + "/"))
            paths.push_back(below);
    }
    return paths;
}

std::string Read(TMountFile &file, uint64_t offset, size_t size)
{
    std::string bytes(size, '\0');
    bytes.resize(file.read(offset, size, reinterpret_cast<uint8_t *>(bytes.data())));
    return bytes;
}

std::string AsText(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class MountEngineTest : public ::testing::Test {
protected:
    TScratchFolder scratch;
    std::atomic<uint64_t> decoded = 0;

    std::string write(VornWriter &writer, const std::string &name = "test.vmres")
    {
        const std::string path = (scratch.path() / name).string();
        writer.write(path);
        return path;
    }
};

TEST(MountNameTest, TranslatesAndReplacesNamesThatCantBeFileNames)
{
    EXPECT_EQ(MountNameOf("caf\xE9 \x80.txt").name, "caf\xC3\xA9 \xE2\x82\xAC.txt");
    EXPECT_TRUE(MountNameOf("caf\xE9").reason.empty());
    EXPECT_TRUE(MountNameOf("back\\slash:colon").reason.empty()); // fine on Linux
    for (const std::string &hostile : std::vector<std::string>{"", ".", "..", "../../etc", "a/b", std::string(300, 'n')}) {
        const TMountName shown = MountNameOf(hostile);
        EXPECT_FALSE(shown.reason.empty()) << hostile;
        EXPECT_FALSE(shown.name.empty());
        EXPECT_NE(shown.name, ".");
        EXPECT_NE(shown.name, "..");
        EXPECT_EQ(shown.name.find('/'), std::string::npos);
        EXPECT_LE(shown.name.size(), 255u);
    }
    // A long name of two-byte characters is cut between characters.
    const std::string cut = MountNameOf(std::string(200, '\xE9')).name;
    EXPECT_EQ(cut.size(), 254u);
}

TEST(MountNameTest, NumberGoesBeforeTheExtensionWithinTheLimit)
{
    EXPECT_EQ(NumberedName("map.vmmap", 2), "map (2).vmmap");
    EXPECT_EQ(NumberedName(".hidden", 3), ".hidden (3)");
    EXPECT_EQ(NumberedName("plain", 2), "plain (2)");
    const std::string longName = NumberedName(std::string(250, 'x') + ".txt", 12);
    EXPECT_EQ(longName.size(), 255u);
    EXPECT_TRUE(longName.ends_with(" (12).txt"));
}

TEST(CombineCrcTest, JoinsTheChecksumsOfTwoRanges)
{
    const uint8_t text[] = {'a', 'b', 'c'};
    EXPECT_EQ(CombineCRC32(CalcCRC32(0, text, 2), CalcCRC32(0, text + 2, 1), 1), 0x352441C2u);
    EXPECT_EQ(CombineCRC32(0, CalcCRC32(0, text, 3), 3), 0x352441C2u); // nothing before
    EXPECT_EQ(CombineCRC32(CalcCRC32(0, text, 3), 0, 0), 0x352441C2u); // nothing after
    const Bytes big = PatternBytes(100000, 7);
    EXPECT_EQ(CombineCRC32(CalcCRC32(0, big.data(), 33333), CalcCRC32(0, big.data() + 33333, 66667), 66667),
              CalcCRC32(0, big.data(), big.size()));
}

TEST(DecodedCacheTest, DropsTheLeastRecentlyUsedToStayWithinTheLimit)
{
    TDecodedCache cache(100);
    const auto piece = [](uint32_t size) {
        auto p = std::make_shared<TDecodedPiece>();
        p->bytes = TFileBuffer(size);
        return p;
    };
    cache.insert({0, 1, 0}, piece(40));
    cache.insert({0, 2, 0}, piece(40));
    ASSERT_TRUE(cache.find({0, 1, 0})); // now 2 is the oldest
    cache.insert({0, 3, 0}, piece(40));
    EXPECT_TRUE(cache.find({0, 1, 0}));
    EXPECT_FALSE(cache.find({0, 2, 0}));
    EXPECT_TRUE(cache.find({0, 3, 0}));
    EXPECT_EQ(cache.bytes(), 80u);
    cache.insert({0, 4, 0}, piece(101)); // larger than the whole cache: not kept
    EXPECT_FALSE(cache.find({0, 4, 0}));
    EXPECT_EQ(cache.bytes(), 80u);
    EXPECT_FALSE(cache.find({1, 1, 0})); // another archive's entry
    EXPECT_FALSE(cache.find({0, 1, 1})); // another chunk
}

TEST_F(MountEngineTest, TreeShowsSafeUniqueSortedNamesWithStableInodes)
{
    VornWriter writer;
    const auto art = writer.addDir(0, "art");
    writer.addFile(art, TextFile("b.txt", "b"));
    writer.addFile(art, TextFile("a.txt", "a"));
    writer.addFile(art, TextFile("a.txt", "second a"));
    writer.addFile(0, TextFile("..", "dots"));
    writer.addFile(0, TextFile("x/y", "slash"));
    writer.addFile(0, TextFile("caf\xE9", "cafe"));
    const std::string path = write(writer);
    Warnings warnings;
    const TVornFile vorn(path);
    const TMountTree tree({&vorn}, Collect(warnings));
    EXPECT_EQ(Paths(tree), (std::vector<std::string>{"_.._", "art", "art/a (2).txt", "art/a.txt", "art/b.txt",
                                                     "caf\xC3\xA9", "x_y"}));
    EXPECT_EQ(warnings.size(), 3u);
    const TMountInode second = tree.lookup(tree.lookup(MountRootInode, "art"), "a (2).txt");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(tree.node(second).size, 8u); // the later entry got the number
    EXPECT_EQ(tree.lookup(MountRootInode, ".."), 0u);
    EXPECT_EQ(tree.lookup(MountRootInode, "missing"), 0u);
    EXPECT_EQ(tree.lookup(second, "a"), 0u); // a file has no children

    const TVornFile again(path);
    const TMountTree sameTree({&again}, [](const std::string &) {});
    EXPECT_EQ(sameTree.lookup(sameTree.lookup(MountRootInode, "art"), "a (2).txt"), second);
}

TEST_F(MountEngineTest, SeveralArchivesGetAFolderEachEvenWithTheSameFileName)
{
    VornWriter first;
    first.addFile(0, TextFile("one.txt", "1"));
    VornWriter second;
    second.addFile(0, TextFile("two.txt", "22"));
    std::filesystem::create_directory(scratch.path() / "other");
    const TVornFile a(write(first, "data.vmres"));
    const TVornFile b(write(second, "other/data.vmres"));
    Warnings warnings;
    const TMountTree tree({&a, &b}, Collect(warnings));
    EXPECT_EQ(Paths(tree), (std::vector<std::string>{"data (2).vmres", "data (2).vmres/two.txt", "data.vmres",
                                                     "data.vmres/one.txt"}));
    EXPECT_EQ(tree.node(tree.lookup(MountRootInode, "data (2).vmres")).archive, 1);
    EXPECT_EQ(tree.totalFileBytes(), 3u);
}

TEST_F(MountEngineTest, AFolderListedInsideItselfIsEnteredOnce)
{
    VornWriter writer;
    const auto loop = writer.addDir(0, "loop");
    writer.addFile(loop, TextFile("f", "x"));
    writer.build();
    Bytes bytes = writer.build();
    // The folder's only child becomes the folder itself.
    const uint32_t childOffsetPosition = writer.indexStart() + writer.entryOffset(loop) + 16 + 8;
    PutU32(bytes, childOffsetPosition, writer.entryOffset(loop));
    const std::string path = (scratch.path() / "loop.vmres").string();
    WriteBytes(path, bytes);
    const TVornFile vorn(path);
    Warnings warnings;
    const TMountTree tree({&vorn}, Collect(warnings));
    EXPECT_EQ(Paths(tree), (std::vector<std::string>{"loop", "loop/loop"}));
    EXPECT_EQ(warnings.size(), 1u);
}

// Factory and patch archives whose paths meet in every way a merge knows:
// an override spelled in other letter case, a file against a folder each
// way round, a path only one archive has, and a name the mount must change.
class MergedMountTest : public MountEngineTest {
protected:
    static constexpr TFileTime PatchRootTime = 127000000000000000;
    std::string factoryPath, patchPath;

    void SetUp() override
    {
        VornWriter factory;
        const auto art = factory.addDir(0, "Art");
        factory.addFile(art, TextFile("Stone.dds", "factory stone"));
        factory.addFile(art, TextFile("keep.txt", "kept"));
        factory.addFile(factory.addDir(0, "sound"), TextFile("x.wav", "hidden below a file"));
        factory.addFile(0, TextFile("mixed", "hidden by a folder"));
        VornWriter patch;
        patch.header.m_Priority = 0x3000; // Patch, above Factory
        patch.rootTime = PatchRootTime;
        patch.addFile(patch.addDir(0, "art"), TextFile("STONE.DDS", "patched!"));
        patch.addFile(0, TextFile("Sound", "a file now"));
        patch.addFile(patch.addDir(0, "MIXED"), TextFile("inner.txt", "in"));
        patch.addFile(0, TextFile("a/b", "slash"));
        factoryPath = write(factory, "factory.vmres");
        patchPath = write(patch, "patch.vmres");
    }

    std::string readAll(TMountFileSystem &fs, const std::string &path)
    {
        TMountInode inode = MountRootInode;
        for (size_t start = 0, slash = 0; slash != std::string::npos; start = slash + 1) {
            slash = path.find('/', start);
            inode = fs.tree().lookup(inode, path.substr(start, slash - start));
            if (inode == 0)
                return "(missing)";
        }
        std::string bytes(100, '\0');
        bytes.resize(fs.read(inode, *fs.open(inode), 0, 100, reinterpret_cast<uint8_t *>(bytes.data())).value_or(0));
        return bytes;
    }
};

TEST_F(MergedMountTest, ShowsEachPathsWinnerWithInodesThatDontDependOnTheOrder)
{
    const TVornFile factory(factoryPath), patch(patchPath);
    const TMergedView view({&factory, &patch});
    Warnings warnings;
    TMountFileSystem fs(view, 1 << 20, Collect(warnings));
    EXPECT_EQ(Paths(fs.tree()), (std::vector<std::string>{"MIXED", "MIXED/inner.txt", "Sound", "a_b", "art",
                                                          "art/STONE.DDS", "art/keep.txt"}));
    EXPECT_EQ(readAll(fs, "art/STONE.DDS"), "patched!");
    EXPECT_EQ(readAll(fs, "art/keep.txt"), "kept");
    EXPECT_EQ(readAll(fs, "Sound"), "a file now");
    EXPECT_EQ(readAll(fs, "a_b"), "slash");
    EXPECT_TRUE(fs.attributes(MountRootInode).directory);
    EXPECT_EQ(fs.tree().node(MountRootInode).time, PatchRootTime); // the winning root's
    EXPECT_EQ(fs.tree().totalFileBytes(), 8u + 4 + 10 + 2 + 5);
    ASSERT_EQ(warnings.size(), 1u); // the changed name
    EXPECT_TRUE(warnings[0].starts_with("a_b: shown under this name")) << warnings[0];

    const TMergedView reversed({&patch, &factory});
    const TMountTree again(reversed, [](const std::string &) {});
    for (const std::string name : {"MIXED", "Sound", "art"})
        EXPECT_EQ(again.lookup(MountRootInode, name), fs.tree().lookup(MountRootInode, name)) << name;
}

struct ReadCase {
    uint16_t format;
    uint32_t chunkSize;
    uint32_t extraBytes;
};

class MountReadTest : public MountEngineTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(MountReadTest, ReadsAtAnyOffsetEqualTheFileAndDecodeOnlyTheChunksTouched)
{
    const ReadCase c = GetParam();
    const Bytes data = TextLikeBytes(300000, 11);
    VornWriter writer;
    FileSpec spec{"f.bin", data, c.format, c.chunkSize};
    spec.extraBytes = c.extraBytes;
    writer.addFile(0, spec);
    const TVornFile vorn(write(writer));
    TDecodedCache cache(0); // nothing kept: every read decodes what it needs
    TMountFile file(vorn, 0, vorn.GetChildren(vorn.GetRootOffset())[0], cache, decoded);
    std::mt19937 random(5);
    for (int i = 0; i < 200; ++i) {
        const uint64_t offset = random() % (data.size() + 10);
        const size_t size = random() % 9000;
        const uint64_t before = decoded;
        const std::string got = Read(file, offset, size);
        const uint64_t end = std::min<uint64_t>(offset + size, data.size());
        ASSERT_EQ(got, AsText(data).substr(std::min<uint64_t>(offset, data.size()), end - std::min<uint64_t>(offset, end)))
            << offset << "+" << size;
        if (c.chunkSize != 0 && c.format != DATAFORMAT_RAW && end > offset) {
            const uint64_t touched = (end - 1) / c.chunkSize - offset / c.chunkSize + 1;
            EXPECT_EQ(decoded - before, touched);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, MountReadTest,
                         ::testing::Values(ReadCase{DATAFORMAT_RAW, 0, 0}, ReadCase{DATAFORMAT_ZLIB, 0, 0},
                                           ReadCase{DATAFORMAT_LZO, 0, 0}, ReadCase{DATAFORMAT_ZLIB, 16384, 0},
                                           ReadCase{DATAFORMAT_LZO, 16384, 0}, ReadCase{DATAFORMAT_ZLIB, 10000, 5}));

TEST_F(MountEngineTest, ACachedChunkIsNotDecodedAgain)
{
    VornWriter writer;
    writer.addFile(0, {"f", TextLikeBytes(100000, 3), DATAFORMAT_LZO, 16384});
    const TVornFile vorn(write(writer));
    TDecodedCache cache(1 << 20);
    TMountFile file(vorn, 0, vorn.GetChildren(vorn.GetRootOffset())[0], cache, decoded);
    Read(file, 100, 10);
    Read(file, 16000, 1000); // the first chunk again and the second
    Read(file, 0, 100000);
    EXPECT_EQ(decoded, 7u);
}

// A file whose stored CRC-32 is wrong reads fine in part; the read that
// completes it fails, and so does every later one.
TEST_F(MountEngineTest, WrongCrcIsFoundOnceTheFileWasReadWholeInAnyOrder)
{
    for (const uint16_t format : {DATAFORMAT_RAW, DATAFORMAT_ZLIB}) {
        const Bytes data = TextLikeBytes(200000, 4);
        VornWriter writer;
        FileSpec spec{"f", data, format, format == DATAFORMAT_RAW ? 0u : 16384u};
        spec.crcOverride = CalcCRC32(0, data.data(), data.size()) ^ 1;
        writer.addFile(0, spec);
        const TVornFile vorn(write(writer));
        TDecodedCache cache(1 << 20);
        TMountFile file(vorn, 0, vorn.GetChildren(vorn.GetRootOffset())[0], cache, decoded);
        EXPECT_EQ(Read(file, 131072, 68928), AsText(data).substr(131072)); // the end first
        EXPECT_EQ(Read(file, 0, 65536), AsText(data).substr(0, 65536));
        EXPECT_FALSE(file.damaged());
        EXPECT_EQ(MessageOf([&] { Read(file, 65536, 65536); }), "CRC-32 differs from header");
        EXPECT_EQ(MessageOf([&] { Read(file, 0, 10); }), "CRC-32 differs from header");
    }
}

TEST_F(MountEngineTest, ACorrectFileReadWholeInPiecesPasses)
{
    const Bytes data = PatternBytes(200000, 8);
    VornWriter writer;
    writer.addFile(0, {"raw", data});
    writer.addFile(0, {"lzo", data, DATAFORMAT_LZO, 30000});
    const TVornFile vorn(write(writer));
    TDecodedCache cache(1 << 20);
    for (const TEntryOffset entry : vorn.GetChildren(vorn.GetRootOffset())) {
        TMountFile file(vorn, 0, entry, cache, decoded);
        for (uint64_t at = 0; at < data.size(); at += 4096)
            Read(file, at, 4096);
        EXPECT_FALSE(file.damaged());
    }
}

class MountFileSystemTest : public MountEngineTest {
protected:
    Bytes data = TextLikeBytes(100000, 9);
    std::string path;
    Warnings warnings;
    std::unique_ptr<TMountFileSystem> fs;

    void SetUp() override
    {
        VornWriter writer;
        writer.addFile(0, {"good", data, DATAFORMAT_ZLIB, 16384});
        writer.addFile(0, {"bad", data, DATAFORMAT_ZLIB, 16384});
        writer.addFile(0, {"whole", data, DATAFORMAT_LZO});
        writer.addFile(0, {"raw", data});
        Bytes bytes = writer.build();
        // The second chunk of "bad" gets a broken stream.
        const uint32_t record = writer.chunkRecordPosition(2, 1);
        const uint32_t chunkOffset = bytes[record + 12] | bytes[record + 13] << 8 | bytes[record + 14] << 16;
        bytes[writer.storedStart(2) + chunkOffset + 2] ^= 0xFF;
        path = (scratch.path() / "fs.vmres").string();
        WriteBytes(path, bytes);
        fs = std::make_unique<TMountFileSystem>(std::vector<std::string>{path}, 1 << 20, Collect(warnings));
    }

    std::optional<std::string> readAll(const std::string &name)
    {
        const TMountInode inode = fs->tree().lookup(MountRootInode, name);
        const auto file = fs->open(inode);
        std::string bytes(data.size(), '\0');
        const auto count = fs->read(inode, *file, 0, bytes.size(), reinterpret_cast<uint8_t *>(bytes.data()));
        if (!count)
            return std::nullopt;
        bytes.resize(*count);
        return bytes;
    }
};

TEST_F(MountFileSystemTest, ADamagedChunkFailsItsReadsOnlyAndIsReportedOnce)
{
    EXPECT_EQ(readAll("bad"), std::nullopt);
    EXPECT_EQ(readAll("bad"), std::nullopt);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with("bad: ")) << warnings[0];
    const TMountInode bad = fs->tree().lookup(MountRootInode, "bad");
    const auto file = fs->open(bad);
    std::string first(100, '\0');
    EXPECT_EQ(fs->read(bad, *file, 0, 100, reinterpret_cast<uint8_t *>(first.data())), 100u); // chunk 0 is fine
    for (const char *name : {"good", "whole", "raw"})
        EXPECT_EQ(readAll(name), AsText(data)) << name;
    const TMountAttributes attributes = fs->attributes(bad);
    EXPECT_EQ(attributes.size, data.size());
    EXPECT_FALSE(attributes.directory);
    EXPECT_TRUE(fs->attributes(MountRootInode).directory);
}

TEST_F(MountFileSystemTest, AnArchiveTruncatedOrReplacedWhileMountedFailsItsReads)
{
    EXPECT_EQ(readAll("raw"), AsText(data));
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    EXPECT_EQ(readAll("raw"), std::nullopt);
    EXPECT_EQ(readAll("good"), std::nullopt);
    EXPECT_FALSE(warnings.empty());
    EXPECT_NE(warnings.back().find("changed on disk"), std::string::npos);
}

TEST_F(MountEngineTest, ADamagedArchiveRefusesToMountWithTheReadersMessage)
{
    const std::string path = (scratch.path() / "bad.vmres").string();
    WriteBytes(path, TextBytes("not an archive at all, but long enough? no"));
    EXPECT_EQ(MessageOf([&] { TMountFileSystem({path}, 1, [](const std::string &) {}); }),
              path + ": Cannot open file: size < sizeof(TVornHeader)");
}

} // namespace
