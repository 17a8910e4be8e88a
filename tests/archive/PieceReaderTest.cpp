// TPieceReader: reads at any position give the bytes ReadFile gives, only
// the pieces read are decoded, and the check of a file read in order still
// catches damage.

#include "archive/PieceReader.h"

#include "tests/archive/ArchiveTestUtil.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Chunk = 4096;

struct PieceFixture {
    TempDir dir;
    VornWriter writer;
    std::unique_ptr<TVornFile> vorn;
    std::vector<VornWriter::Handle> files;

    void Add(FileSpec spec) { files.push_back(writer.addFile(0, std::move(spec))); }
    void Open(const std::function<void(Bytes &)> &damage = {})
    {
        Bytes bytes = writer.build();
        if (damage)
            damage(bytes);
        vorn = std::make_unique<TVornFile>(dir.write("pieces.vmres", bytes));
    }
    TEntryOffset Entry(size_t i) const { return writer.entryOffset(files[i]); }
};

std::string ReadRange(TPieceReader &reader, uint64_t position, size_t length)
{
    std::string out(length, '\0');
    out.resize(reader.Read(position, reinterpret_cast<uint8_t *>(out.data()), length));
    return out;
}

} // namespace

TEST(PieceReaderTest, ReadsAnywhereGiveTheDecodedBytesOfEveryForm)
{
    PieceFixture f;
    const Bytes text = TextLikeBytes(5 * Chunk + 123, 1);
    f.Add({.name = "chunked.lzo", .data = text, .format = DATAFORMAT_LZO, .chunkSize = Chunk, .extraBytes = 5});
    f.Add({.name = "stream.zlib", .data = text, .format = DATAFORMAT_ZLIB});
    f.Add({.name = "big.raw", .data = PatternBytes((2u << 20) + 77, 2)});
    f.Add({.name = "as-is.zlib", .data = PatternBytes(3 * Chunk, 3), .format = DATAFORMAT_ZLIB, .chunkSize = Chunk,
           .storage = ChunkStorage::AllAsIs});
    f.Open();
    for (size_t i = 0; i < f.files.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string whole = AsString(f.vorn->ReadFile(f.Entry(i)));
        TPieceReader reader(*f.vorn, f.Entry(i));
        ASSERT_EQ(reader.Size(), whole.size());
        // Backwards over piece boundaries, then past the end.
        for (uint64_t at : {uint64_t(whole.size() - 10), uint64_t(2 * Chunk - 3), uint64_t((1u << 20) - 1), uint64_t(0)})
            if (at < whole.size()) {
                EXPECT_EQ(ReadRange(reader, at, 9000), whole.substr(at, 9000)) << at;
            }
        EXPECT_EQ(ReadRange(reader, whole.size(), 10), "");
        std::string all(whole.size(), '\0');
        TPieceReader fresh(*f.vorn, f.Entry(i));
        fresh.ReadAll(reinterpret_cast<uint8_t *>(all.data()));
        EXPECT_EQ(all, whole);
    }
}

TEST(PieceReaderTest, OnlyThePiecesReadAreDecoded)
{
    PieceFixture f;
    const Bytes text = TextLikeBytes(4 * Chunk, 4);
    f.Add({.name = "a.zlib", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = Chunk});
    f.Open([&](Bytes &bytes) { PutU32(bytes, f.writer.storedStart(f.files[0]), 0xFFFFFFFF); });
    TPieceReader reader(*f.vorn, f.Entry(0));
    EXPECT_EQ(ReadRange(reader, 2 * Chunk, Chunk), std::string(text.begin() + 2 * Chunk, text.begin() + 3 * Chunk));
    EXPECT_NE(MessageOf([&] { ReadRange(reader, 0, 1); }), "<no exception>");
}

TEST(PieceReaderTest, ReadingInOrderChecksTheCrcWhenTheLastPieceIsDecoded)
{
    PieceFixture f;
    const Bytes text = TextLikeBytes(3 * Chunk, 5);
    f.Add({.name = "bad.lzo", .data = text, .format = DATAFORMAT_LZO, .chunkSize = Chunk, .crcOverride = 1});
    f.Add({.name = "bad.raw", .data = text, .crcOverride = 1});
    f.Add({.name = "empty", .data = {}, .crcOverride = 1});
    f.Add({.name = "empty.zlib", .data = {}, .format = DATAFORMAT_ZLIB, .crcOverride = 1});
    f.Open();
    TPieceReader chunked(*f.vorn, f.Entry(0));
    EXPECT_EQ(ReadRange(chunked, 0, 2 * Chunk).size(), 2 * Chunk);
    EXPECT_EQ(MessageOf([&] { ReadRange(chunked, 2 * Chunk, Chunk); }), "CRC-32 differs from header");
    for (size_t i = 1; i < 4; ++i) {
        TPieceReader reader(*f.vorn, f.Entry(i));
        EXPECT_EQ(MessageOf([&] { ReadRange(reader, 0, text.size()); }), "CRC-32 differs from header") << i;
        std::string all(reader.Size(), '\0');
        EXPECT_EQ(MessageOf([&] { reader.ReadAll(reinterpret_cast<uint8_t *>(all.data())); }),
                  "CRC-32 differs from header") << i;
    }
}

TEST(PieceReaderTest, RefusesWhatReadFileRefusesBeforeDecoding)
{
    PieceFixture f;
    f.Add({.name = "unknown", .data = TextBytes("abc"), .format = 7});
    f.Add({.name = "short-chunks", .data = TextLikeBytes(3 * Chunk, 6), .format = DATAFORMAT_ZLIB,
           .chunkSize = Chunk});
    f.Add({.name = "raw-past-end", .data = TextBytes("abc"), .sizeOverride = 1u << 30});
    // The last chunk claims one byte less: the chunks leave the file's end unfilled.
    f.Open([&](Bytes &bytes) { PutU32(bytes, f.writer.chunkRecordPosition(f.files[1], 2), Chunk - 1); });
    EXPECT_EQ(MessageOf([&] { TPieceReader(*f.vorn, f.Entry(0)); }), "Format Unknown (7) is not supported");
    EXPECT_EQ(MessageOf([&] { TPieceReader(*f.vorn, f.Entry(1)); }), "Size missmatch.");
    EXPECT_EQ(MessageOf([&] { TPieceReader(*f.vorn, f.Entry(2)); }), "vorn too small");
    const TEntryOffset root = f.vorn->GetRootOffset();
    EXPECT_EQ(MessageOf([&] { TPieceReader(*f.vorn, root); }), std::to_string(root) + " is not a valid FileEntry offset.");
}
