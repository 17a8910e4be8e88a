// A big file decoded ahead on several threads reaches its writer as reading
// it in order gives it: the same pieces in the same order, and a damaged
// file's error after the same pieces.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/PiecesAhead.h"

#include <gtest/gtest.h>

namespace {

struct TOutcome {
    std::vector<Bytes> pieces;
    std::string error;
    bool operator==(const TOutcome &) const = default;
};

// What a reader hands to its sink, piece by piece, and the error it ends with.
template <typename Reader>
TOutcome Collect(Reader &&read)
{
    TOutcome outcome;
    try {
        read([&](const uint8_t *data, size_t size) { outcome.pieces.emplace_back(data, data + size); });
    } catch (const std::exception &error) {
        outcome.error = error.what();
    }
    return outcome;
}

struct TPiecesAheadArchive {
    TScratchFolder scratch;
    VornWriter writer;
    std::vector<VornWriter::Handle> files;
    std::unique_ptr<TVornFile> vorn;

    TPiecesAheadArchive()
    {
        const Bytes text = TextLikeBytes(600'000, 3);
        Bytes mixed = TextLikeBytes(300'000, 4);
        const Bytes noise = PatternBytes(300'000, 5); // its chunks are stored as they are
        mixed.insert(mixed.end(), noise.begin(), noise.end());
        files = {
            writer.addFile(0, {.name = "zlib", .data = mixed, .format = DATAFORMAT_ZLIB, .chunkSize = 4096}),
            writer.addFile(0, {.name = "lzo", .data = text, .format = DATAFORMAT_LZO, .chunkSize = 5000, .extraBytes = 7}),
            writer.addFile(0, {.name = "raw", .data = PatternBytes((3 << 20) + 5, 6)}),
            writer.addFile(0, {.name = "broken", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096}),
            writer.addFile(0, {.name = "crc", .data = text, .format = DATAFORMAT_LZO, .chunkSize = 4096, .crcOverride = 1}),
            writer.addFile(0, {.name = "list", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096}),
        };
        Bytes bytes = writer.build();
        BreakChunkStream(bytes, writer, files[3], 70); // of 147 chunks
        // The last chunk of "list" claims to lie far beyond the archive's end.
        const uint32_t offsetField = writer.chunkRecordPosition(files[5], 146) + 12;
        for (int i = 0; i < 4; ++i)
            bytes[offsetField + i] = 0xF0;
        const fs::path path = scratch.path() / "pieces.vmres";
        WriteBytes(path.string(), bytes);
        vorn = std::make_unique<TVornFile>(path.string());
    }

    TOutcome InOrder(size_t file) const
    {
        return Collect([&](const TPieceSink &sink) { vorn->ReadFilePieces(writer.entryOffset(files[file]), sink); });
    }
    TOutcome Ahead(size_t file, unsigned threads) const
    {
        return Collect([&](const TPieceSink &sink) { ReadPiecesAhead(*vorn, writer.entryOffset(files[file]), sink, threads); });
    }
};

TEST(PiecesAhead, EveryFileComesInTheSamePiecesWithTheSameErrorAsReadInOrder)
{
    const TPiecesAheadArchive archive;
    for (size_t file = 0; file < archive.files.size(); ++file) {
        const TOutcome expected = archive.InOrder(file);
        for (const unsigned threads : {1u, 2u, 5u})
            EXPECT_TRUE(archive.Ahead(file, threads) == expected) << "file " << file << ", " << threads << " threads";
    }
    // The damaged files fail where they should: in the middle, at the end, before the first piece.
    const TOutcome broken = archive.InOrder(3);
    EXPECT_EQ(broken.pieces.size(), 70u);
    EXPECT_FALSE(broken.error.empty());
    const TOutcome crc = archive.InOrder(4);
    EXPECT_EQ(crc.pieces.size(), 147u);
    EXPECT_EQ(crc.error, "CRC-32 differs from header");
    const TOutcome list = archive.InOrder(5);
    EXPECT_TRUE(list.pieces.empty());
    EXPECT_EQ(list.error, "vorn too small");
    EXPECT_EQ(archive.InOrder(0).pieces.size(), 147u);
    EXPECT_TRUE(archive.InOrder(0).error.empty());
}

TEST(PiecesAhead, AFailingWriterEndsTheReadWithItsError)
{
    const TPiecesAheadArchive archive;
    for (const size_t file : {size_t(0), size_t(2)}) {
        size_t received = 0;
        const auto failingWrite = [&](const uint8_t *, size_t) {
            if (++received == 2)
                throw Exception("No space left on device");
        };
        try {
            ReadPiecesAhead(*archive.vorn, archive.writer.entryOffset(archive.files[file]), failingWrite, 3);
            ADD_FAILURE() << "the write error was lost";
        } catch (const Exception &error) {
            EXPECT_STREQ(error.what(), "No space left on device");
        }
        EXPECT_EQ(received, 2u);
    }
}

} // namespace
