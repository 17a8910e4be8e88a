// Hostile values in the index and the header: every one ends in a clear
// Exception, never a read outside the index, an endless walk or a huge
// allocation.

#include "tests/archive/AllocationProbe.h"
#include "tests/archive/ArchiveTestUtil.h"

#include "archive/Decode.h"
#include "archive/TreeWalk.h"

#include <gtest/gtest.h>

namespace {

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// root -> sub -> {deep -> file.txt}, plus a file in the root.
struct Damaged {
    TempDir dir;
    VornWriter w;
    VornWriter::Handle sub, deep, file, top;
    Bytes bytes;

    Damaged()
    {
        sub = w.addDir(0, "sub");
        deep = w.addDir(sub, "deep");
        file = w.addFile(deep, {.name = "file.txt", .data = TextBytes("contents")});
        top = w.addFile(0, {.name = "top.bin", .data = TextLikeBytes(3000, 4), .format = DATAFORMAT_ZLIB});
        bytes = w.build();
    }
    // File position of a byte inside an entry.
    size_t at(VornWriter::Handle h, size_t offset = 0) const { return w.indexStart() + w.entryOffset(h) + offset; }
    TEntryOffset entry(VornWriter::Handle h) const { return w.entryOffset(h); }
    std::string write() const { return dir.write("damaged.vmres", bytes); }
};

TEST(DamagedIndexTest, EntryOffsetsOutsideTheIndex)
{
    Damaged d;
    PutU32(d.bytes, d.at(d.sub, 24), 0xFFFFFFFF); // sub's first child
    PutU32(d.bytes, d.at(0, 24), 0x7FFFFFF0);      // the root's second child
    const TVornFile vorn(d.write());
    const auto children = vorn.GetChildren(vorn.GetRootOffset());
    ASSERT_EQ(children.size(), 2u);
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetName(children[1]); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetSize(0xFFFFFFFF); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetFileTime(0xFFFFFFFC); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.ReadFile(0xFFFFFFFF); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetPath(0xFFFFFFF0); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { WalkTree(vorn, vorn.GetRootOffset(), [](TEntryOffset, const std::string &) {}); }),
                           "Damaged index"));
}

TEST(DamagedIndexTest, NameLengthsAndChildCountsPastTheIndex)
{
    Damaged d;
    PutU16(d.bytes, d.at(d.top, FILEENTRY_NAME_POS), 0xFFFF); // the last entry's name runs out of the index
    PutU32(d.bytes, d.at(d.deep, 4), 0x40000000);             // deep claims a billion children
    const TVornFile vorn(d.write());
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetName(d.entry(d.top)); }), "Damaged index"));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetCompressedSize(d.entry(d.top)); }), "Damaged index"));
    ResetLargestAllocation();
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetChildren(d.entry(d.deep)); }), "Damaged index"));
    EXPECT_LT(LargestAllocation(), 1u << 20);
    uint32_t index = 0x3FFFFFFF;
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.GetChild(d.entry(d.deep), index); }), "Damaged index"));
}

TEST(DamagedIndexTest, LoopsEndWalksAndRaiseInPaths)
{
    Damaged d;
    PutU32(d.bytes, d.at(d.deep, 24), d.entry(d.sub)); // deep lists its own parent: a cycle
    PutU32(d.bytes, d.at(d.sub), d.entry(d.deep));     // and sub's parent is deep
    const TVornFile vorn(d.write());
    std::vector<std::string> paths;
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset, const std::string &path) { paths.push_back(path); });
    // Each folder is entered once; the cycle shows as one repeated entry.
    EXPECT_EQ(paths, (std::vector<std::string>{"sub", "sub/deep", "sub/deep/sub", "top.bin"}));
    EXPECT_EQ(MessageOf([&] { vorn.GetPath(d.entry(d.file)); }),
              FormatStr("Damaged index: the folders above entry %u form a loop", d.entry(d.file)));

    Damaged self;
    PutU32(self.bytes, self.at(self.deep, 24), self.entry(self.deep)); // a folder inside itself
    PutU32(self.bytes, self.at(self.deep), self.entry(self.deep));     // and its own parent
    const TVornFile selfVorn(self.write());
    size_t visits = 0;
    WalkTree(selfVorn, selfVorn.GetRootOffset(), [&](TEntryOffset, const std::string &) { ++visits; });
    EXPECT_EQ(visits, 4u);
    EXPECT_TRUE(StartsWith(MessageOf([&] { selfVorn.GetPath(self.entry(self.deep)); }), "Damaged index"));
}

TEST(DamagedIndexTest, WalksGoOnPastEntriesOutsideTheIndex)
{
    Damaged d;
    PutU32(d.bytes, d.at(0, 24), 0x7FFFFFF0);        // the root's second child (top.bin)
    PutU32(d.bytes, d.at(d.deep, 4), 0x40000000);    // deep's children run out of the index
    const TVornFile vorn(d.write());
    std::vector<std::string> seen;
    WalkTree(
        vorn, vorn.GetRootOffset(), [&](TEntryOffset, const std::string &path) { seen.push_back(path); },
        [&](const std::string &folder, const std::string &message) {
            seen.push_back(folder + ": " + message.substr(0, 13));
        });
    EXPECT_EQ(seen, (std::vector<std::string>{"sub", "sub/deep", "sub/deep/: Damaged index", ": Damaged index"}));
}

TEST(DamagedIndexTest, DeepFolderChainsWalkInMemoryLinearInDepth)
{
    // 600 nested folders with 255-character names: a path per level would
    // hold 600 * 150 KB / 2 = 45 MB at the bottom.
    TempDir dir;
    VornWriter w;
    VornWriter::Handle folder = 0;
    for (int level = 0; level < 600; ++level)
        folder = w.addDir(folder, std::string(254, 'd') + char('a' + level % 26));
    w.addFile(folder, {.name = "bottom.txt", .data = TextBytes("deep")});
    const TVornFile vorn(dir.write("deep.vmres", w.build()));
    size_t deepest = 0;
    ResetPeakHeldBytes();
    const size_t before = HeldBytes();
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset, const std::string &path) {
        deepest = std::max(deepest, path.size());
    });
    EXPECT_EQ(deepest, 600u * 256 + 10);
    EXPECT_LT(PeakHeldBytes() - before, 8 * deepest);
}

TEST(DamagedIndexTest, OffsetSumsDoNotWrapAt32Bits)
{
    Damaged d;
    // m_DataOffset + m_Offset wraps to the real start in 32 bits; in truth it
    // lies 4 GB past the end of the file.
    const uint32_t dataOffset = ReadU32LE(&d.bytes[HEADER_DATAOFFSET_POS]);
    const uint32_t offset = ReadU32LE(&d.bytes[d.at(d.file, 8)]);
    PutU32(d.bytes, HEADER_DATAOFFSET_POS, dataOffset + 0x1000);
    PutU32(d.bytes, d.at(d.file, 8), offset - 0x1000);
    PutU32(d.bytes, d.at(d.top, 8), ReadU32LE(&d.bytes[d.at(d.top, 8)]) - 0x1000);
    const TVornFile vorn(d.write());
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(d.entry(d.file)); }), "vorn too small");
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(d.entry(d.top)); }), "vorn too small");

    TempDir dir;
    VornWriter w;
    const auto chunked = w.addFile(0, {.name = "c", .data = TextLikeBytes(20000, 1), .format = DATAFORMAT_LZO, .chunkSize = 8192});
    Bytes bytes = w.build();
    PutU32(bytes, w.chunkRecordPosition(chunked, 1) + 12, 0xFFFFFFF0);
    const TVornFile chunkVorn(dir.write("chunk.vmres", bytes));
    EXPECT_EQ(MessageOf([&] { chunkVorn.ReadFile(w.entryOffset(chunked)); }), "vorn too small");
}

TEST(DamagedIndexTest, HugeSizesFailBeforeAllocating)
{
    TempDir dir;
    VornWriter w;
    const Bytes small = TextLikeBytes(2000, 5);
    const auto raw = w.addFile(0, {.name = "raw", .data = small, .sizeOverride = 0xFFFFFFFF});
    const auto zlib = w.addFile(0, {.name = "zlib", .data = small, .format = DATAFORMAT_ZLIB, .sizeOverride = 0xFFFFFFFF});
    const auto lzo = w.addFile(0, {.name = "lzo", .data = small, .format = DATAFORMAT_LZO, .sizeOverride = 0xF0000000});
    const auto whole = w.addFile(0, {.name = "wholechunk", .data = small, .format = DATAFORMAT_ZLIB,
                                     .chunkSize = 0xFFFFFFFF, .sizeOverride = 0xFFFFFFFF});
    const auto chunk = w.addFile(0, {.name = "chunk", .data = small, .format = DATAFORMAT_ZLIB, .chunkSize = 4096});
    const auto many = w.addFile(0, {.name = "many", .data = small, .format = DATAFORMAT_LZO, .chunkSize = 16,
                                    .sizeOverride = 0xFFFFFFFF});
    Bytes bytes = w.build();
    PutU32(bytes, w.chunkRecordPosition(chunk, 0), 0xFFFFFF00); // one chunk claims nearly 4 GB
    const TVornFile vorn(dir.write("huge.vmres", bytes));

    const std::vector<std::pair<VornWriter::Handle, std::string>> cases = {
        {raw, "vorn too small"},
        {zlib, "Damaged index: "},
        {lzo, "Damaged index: "},
        {whole, "Size missmatch."},
        {chunk, "Damaged index: chunk 0 "},
        {many, "Damaged index: a record"},
    };
    for (const auto &[handle, expected] : cases) {
        SCOPED_TRACE(expected);
        ResetLargestAllocation();
        EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.ReadFile(w.entryOffset(handle)); }), expected));
        EXPECT_LT(LargestAllocation(), 1u << 20);
    }
}

TEST(DamagedIndexTest, DecodedSizesOnBothSidesOfWhatTheStoredBytesCanMake)
{
    TempDir dir;
    const Bytes text = TextLikeBytes(8192, 9);
    const uint32_t stored = uint32_t(CompressZlib(text.data(), text.size()).size());
    const uint32_t limit = uint32_t(MaxDecodedSize(stored));
    VornWriter w;
    const auto atLimit = w.addFile(0, {.name = "at", .data = text, .format = DATAFORMAT_ZLIB, .sizeOverride = limit});
    const auto beyond = w.addFile(0, {.name = "beyond", .data = text, .format = DATAFORMAT_ZLIB, .sizeOverride = limit + 1});
    const auto chunkAtLimit = w.addFile(0, {.name = "chunk-at", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096});
    const auto chunkBeyond = w.addFile(0, {.name = "chunk-beyond", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096});
    Bytes bytes = w.build();
    // The first chunk claims as much as its stream could make, or one byte more.
    for (const auto &[file, more] : {std::pair{chunkAtLimit, 0u}, std::pair{chunkBeyond, 1u}}) {
        const uint32_t record = w.chunkRecordPosition(file, 0);
        PutU32(bytes, record, uint32_t(MaxDecodedSize(ReadU32LE(&bytes[record + 4]))) + more);
    }
    const TVornFile vorn(dir.write("sizes.vmres", bytes));
    ASSERT_EQ(vorn.GetCompressedSize(w.entryOffset(beyond)), stored);

    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(atLimit)); }), "Size missmatch.");
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(beyond)); }),
              FormatStr("Damaged index: %u stored bytes can't decode to %u bytes", stored, limit + 1));
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(chunkAtLimit)); }), "Size missmatch.");
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(chunkBeyond)); }),
              FormatStr("Damaged index: chunk 0 of entry %u has impossible sizes", w.entryOffset(chunkBeyond)));
}

TEST(DamagedIndexTest, OverlappingChunksCannotClaimMoreThanTheFile)
{
    TempDir dir;
    VornWriter w;
    const auto file = w.addFile(0, {.name = "c", .data = TextLikeBytes(8 * 65536, 6), .format = DATAFORMAT_ZLIB,
                                    .chunkSize = 65536, .crcOverride = 0});
    Bytes bytes = w.build();
    // Every chunk record points at (up to a chunk's worth of) all the stored
    // bytes of the file.
    const uint32_t storedLength = uint32_t(bytes.size() - w.storedStart(file));
    for (size_t i = 0; i < 8; ++i) {
        const size_t record = w.chunkRecordPosition(file, i);
        PutU32(bytes, record, 65536);
        PutU32(bytes, record + 4, std::min<uint32_t>(storedLength, 65535));
        PutU32(bytes, record + 8, 0);
        PutU32(bytes, record + 12, 0);
    }
    const TVornFile vorn(dir.write("overlap.vmres", bytes));
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(file)); }),
              FormatStr("Damaged index: the chunks of entry %u overlap", w.entryOffset(file)));
}

TEST(DamagedIndexTest, ChunkWritesStayInsideTheBuffers)
{
    TempDir dir;
    VornWriter w;
    const Bytes text = TextLikeBytes(50000, 8);
    const auto extra = w.addFile(0, {.name = "extra", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 16384, .extraBytes = 5});
    const auto raw = w.addFile(0, {.name = "raw", .data = text, .format = DATAFORMAT_LZO, .chunkSize = 16384,
                                   .storage = ChunkStorage::AllAsIs});
    Bytes bytes = w.build();
    // More extra bytes than the chunk has.
    PutU32(bytes, w.chunkRecordPosition(extra, 0) + 8, 16385);
    // A raw chunk larger than the rest of the output (and than the chunk size).
    PutU32(bytes, w.chunkRecordPosition(raw, 0), 20000);
    PutU32(bytes, w.chunkRecordPosition(raw, 0) + 4, 20000);
    const TVornFile vorn(dir.write("writes.vmres", bytes));
    EXPECT_TRUE(StartsWith(MessageOf([&] { vorn.ReadFile(w.entryOffset(extra)); }), "Damaged index: chunk 0 "));
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(w.entryOffset(raw)); }), "Size missmatch.");
}

TEST(DamagedIndexTest, WrongFileSetBoundaryOnlyConfusesKinds)
{
    Damaged d;
    // A file set "before" the directory set: every offset counts as a folder.
    PutU32(d.bytes, HEADER_FILESET_POS, ReadU32LE(&d.bytes[HEADER_DIRSET_POS]) - 1);
    const TVornFile vorn(d.write());
    EXPECT_TRUE(vorn.IsDirectory(d.entry(d.top)));
    const std::string message = MessageOf([&] {
        WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &) { vorn.GetName(entry); });
    });
    EXPECT_TRUE(message == "<no exception>" || StartsWith(message, "Damaged index")) << message;
}

} // namespace
