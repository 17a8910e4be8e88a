// Decoding files: every failure message word for word, and the checks that
// keep a short or damaged stream from passing as good data.

#include "tests/archive/ArchiveTestUtil.h"

#include "archive/Crc32.h"
#include "archive/Decode.h"

#include <gtest/gtest.h>

namespace {

// One archive holding the given files below the root; file i is files[i].
struct Fixture {
    TempDir dir;
    VornWriter w;
    std::vector<VornWriter::Handle> handles;
    Bytes bytes;

    explicit Fixture(std::vector<FileSpec> files)
    {
        for (FileSpec &f : files)
            handles.push_back(w.addFile(0, std::move(f)));
        bytes = w.build();
    }
    TEntryOffset entry(size_t i) const { return w.entryOffset(handles.at(i)); }
    std::string write() const { return dir.write("f.vmres", bytes); }
    std::string readMessage(size_t i = 0) const
    {
        const TVornFile vorn(write());
        return MessageOf([&] { vorn.ReadFile(entry(i)); });
    }
    template <class E>
    std::string readMessageOf(size_t i = 0) const
    {
        const TVornFile vorn(write());
        return MessageOf<E>([&] { vorn.ReadFile(entry(i)); });
    }
};

const Bytes Text = TextLikeBytes(50000, 1);
// Small enough that any short stored stream could plausibly decode to it.
const Bytes Small = TextBytes("a small file");

TEST(DecodeTest, EntryAndFormatRefusals)
{
    Fixture f({{.name = "seven", .data = TextBytes("abc"), .format = 7},
               {.name = "ffff", .data = TextBytes("abc"), .format = 0xFFFF}});
    const TVornFile vorn(f.write());
    const TEntryOffset root = vorn.GetRootOffset();
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(root); }), std::to_string(root) + " is not a valid FileEntry offset.");
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(f.entry(0)); }), "Format Unknown (7) is not supported");
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(f.entry(1)); }), "Format Unknown (65535) is not supported");
}

TEST(DecodeTest, StoredBytesPastTheEnd)
{
    // The last file's stored bytes end one byte past the end of the archive.
    Fixture raw({{.name = "r", .data = Text}});
    raw.bytes.pop_back();
    EXPECT_EQ(raw.readMessage(), "vorn too small");

    Fixture stream({{.name = "z", .data = Text, .format = DATAFORMAT_ZLIB}});
    stream.bytes.pop_back();
    EXPECT_EQ(stream.readMessage(), "vorn too small");

    Fixture lzo({{.name = "l", .data = Text, .format = DATAFORMAT_LZO}});
    lzo.bytes.pop_back();
    EXPECT_EQ(lzo.readMessage(), "vorn too small");
}

TEST(DecodeTest, ChunkLargerThanTheChunkSize)
{
    Fixture f({{.name = "c", .data = Text, .format = DATAFORMAT_ZLIB, .chunkSize = 16384}});
    PutU32(f.bytes, f.w.chunkRecordPosition(f.handles[0], 1) + 4, 16385);
    EXPECT_EQ(f.readMessage(), "CompressedSize is bigger than buffer!");
    // The short last chunk's stored size raised to exactly the chunk size
    // (its stream ends early, the next file's bytes follow) still reads.
    Fixture exact({{.name = "c", .data = Text, .format = DATAFORMAT_ZLIB, .chunkSize = 16384},
                   {.name = "after", .data = Text}});
    PutU32(exact.bytes, exact.w.chunkRecordPosition(exact.handles[0], 3) + 4, 16384);
    EXPECT_EQ(exact.readMessage(), "<no exception>");
}

TEST(DecodeTest, ZlibFailures)
{
    // Reserved deflate block type after a valid zlib header.
    Fixture corrupt({{.name = "z", .data = Small, .format = DATAFORMAT_ZLIB, .storedOverride = Bytes{0x78, 0x9C, 0x07, 0, 0, 0}}});
    EXPECT_EQ(corrupt.readMessageOf<EDecompressionError>(), "ZLib error: the stream is damaged or ends early");
    Fixture badHeader({{.name = "z", .data = Small, .format = DATAFORMAT_ZLIB, .storedOverride = TextBytes("not zlib")}});
    EXPECT_EQ(badHeader.readMessageOf<EDecompressionError>(),
              "ZLib error: the stream does not start with a zlib header");
    Fixture empty({{.name = "z", .data = Small, .format = DATAFORMAT_ZLIB, .storedOverride = Bytes{}}});
    EXPECT_EQ(empty.readMessageOf<EDecompressionError>(), "ZLib error: the stream ends before its header");

    // A stream cut short inside its deflate data.
    Bytes cut = CompressZlib(Text.data(), Text.size());
    cut.resize(cut.size() / 2);
    Fixture truncated({{.name = "z", .data = Text, .format = DATAFORMAT_ZLIB, .storedOverride = cut}});
    EXPECT_EQ(truncated.readMessageOf<EDecompressionError>(), "ZLib error: the stream is damaged or ends early");
    // Sound deflate data whose Adler-32 trailer is cut off.
    Bytes noTrailer = CompressZlib(Text.data(), Text.size());
    noTrailer.resize(noTrailer.size() - 1);
    Fixture shortTrailer({{.name = "z", .data = Text, .format = DATAFORMAT_ZLIB, .storedOverride = noTrailer}});
    EXPECT_EQ(shortTrailer.readMessageOf<EDecompressionError>(),
              "ZLib error: the stream ends before its Adler-32 checksum");

    // A broken Adler-32 trailer.
    Bytes trailer = CompressZlib(Text.data(), Text.size());
    trailer.back() ^= 1;
    Fixture adler({{.name = "z", .data = Text, .format = DATAFORMAT_ZLIB, .storedOverride = trailer}});
    EXPECT_EQ(adler.readMessageOf<EDecompressionError>(), "ZLib error: the Adler-32 checksum of the stream differs");

    // A stream that decodes to more than the file's size.
    Fixture tooLong({{.name = "z", .data = Text, .format = DATAFORMAT_ZLIB, .sizeOverride = uint32_t(Text.size() - 1)}});
    EXPECT_EQ(tooLong.readMessageOf<EDecompressionError>(),
              "ZLib error: the stream decodes to more than " + std::to_string(Text.size() - 1) + " bytes");

    // A preset dictionary: the inflater stops and asks for it.
    Fixture dictionary({{.name = "z", .data = Small, .format = DATAFORMAT_ZLIB,
                         .storedOverride = Bytes{0x78, 0xBB, 0, 0, 0, 0, 0x03, 0x00}}});
    EXPECT_EQ(dictionary.readMessageOf<EZlibError>(), "ZLib error: target buffer may be too small");
}

TEST(DecodeTest, LzoFailures)
{
    Bytes stream = CompressLzo(Text.data(), Text.size());
    Bytes trailing = stream;
    trailing.push_back(0); // input left over after the end marker
    Bytes cut(stream.begin(), stream.end() - 3); // no end marker
    for (const Bytes &bad : {trailing, cut}) {
        Fixture f({{.name = "l", .data = Text, .format = DATAFORMAT_LZO, .storedOverride = bad}});
        EXPECT_EQ(f.readMessage(), "lzo decompression error");
    }
    for (const Bytes &bad : {TextBytes("garbage!"), Bytes{}}) {
        Fixture f({{.name = "l", .data = Small, .format = DATAFORMAT_LZO, .storedOverride = bad}});
        EXPECT_EQ(f.readMessage(), "lzo decompression error");
    }
    Fixture tooLong({{.name = "l", .data = Text, .format = DATAFORMAT_LZO, .sizeOverride = uint32_t(Text.size() - 1)}});
    EXPECT_EQ(tooLong.readMessage(), "lzo decompression error");
    Fixture chunk({{.name = "l", .data = Text, .format = DATAFORMAT_LZO, .chunkSize = 8192}});
    const uint32_t record = chunk.w.chunkRecordPosition(chunk.handles[0], 0);
    PutU32(chunk.bytes, record + 4, ReadU32LE(&chunk.bytes[record + 4]) - 1); // the stream loses its last byte
    EXPECT_EQ(chunk.readMessage(), "lzo decompression error");
}

TEST(DecodeTest, ShortStreamsFailTheChecks)
{
    const uint32_t longer = uint32_t(Text.size() + 100);
    for (const uint16_t format : {DATAFORMAT_ZLIB, DATAFORMAT_LZO}) {
        SCOPED_TRACE(format);
        // Stream ends properly but makes fewer bytes than m_Size: never the
        // uninitialised tail of the buffer.
        Fixture noCrc({{.name = "s", .data = Text, .format = format, .crcOverride = 0, .sizeOverride = longer}});
        EXPECT_EQ(noCrc.readMessage(), "Size missmatch.");
        Fixture otherCrc({{.name = "s", .data = Text, .format = format, .crcOverride = 0x12345678, .sizeOverride = longer}});
        EXPECT_EQ(otherCrc.readMessage(), "CRC-32 differs from header");
        Fixture ownCrc({{.name = "s", .data = Text, .format = format, .sizeOverride = longer}});
        EXPECT_EQ(ownCrc.readMessage(), "Size missmatch.");
    }
    // A chunk whose stream makes fewer bytes than its record says.
    Fixture chunk({{.name = "c", .data = Text, .format = DATAFORMAT_ZLIB, .chunkSize = 16384, .crcOverride = 0}});
    const uint32_t record = chunk.w.chunkRecordPosition(chunk.handles[0], 3); // the last, short chunk
    PutU32(chunk.bytes, record, ReadU32LE(&chunk.bytes[record]) + 1);
    EXPECT_EQ(chunk.readMessage(), "Size missmatch.");
    // The same with an entry size that agrees with the records: only the stream is short.
    Fixture agreeing({{.name = "c", .data = Text, .format = DATAFORMAT_ZLIB, .chunkSize = 16384, .crcOverride = 0,
                       .sizeOverride = uint32_t(Text.size() + 1)}});
    const uint32_t last = agreeing.w.chunkRecordPosition(agreeing.handles[0], 3);
    PutU32(agreeing.bytes, last, ReadU32LE(&agreeing.bytes[last]) + 1);
    EXPECT_EQ(agreeing.readMessage(), "Size missmatch.");
}

TEST(DecodeTest, CrcAndSizeChecks)
{
    Fixture f({{.name = "bad", .data = Text, .crcOverride = 0xDEADBEEF},
               {.name = "empty", .data = {}},
               {.name = "emptyCrc", .data = {}, .crcOverride = 1},
               {.name = "noCrc", .data = Text, .crcOverride = 0},
               {.name = "good", .data = TextBytes("after")}});
    const TVornFile vorn(f.write());
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(f.entry(0)); }), "CRC-32 differs from header");
    EXPECT_TRUE(vorn.ReadFile(f.entry(1)).empty());
    EXPECT_EQ(MessageOf([&] { vorn.ReadFile(f.entry(2)); }), "CRC-32 differs from header");
    EXPECT_EQ(AsString(vorn.ReadFile(f.entry(3))), AsString(Text));
    // The archive stays usable after failures.
    EXPECT_EQ(AsString(vorn.ReadFile(f.entry(4))), "after");

    // Chunk records that add up to less than m_Size.
    Fixture chunked({{.name = "c", .data = Text, .format = DATAFORMAT_LZO, .chunkSize = 30000,
                      .sizeOverride = uint32_t(Text.size() - 1000)}});
    EXPECT_EQ(chunked.readMessage(), "Size missmatch.");
}

TEST(DecodeTest, DecodeBlockDirectly)
{
    uint8_t out[16];
    const uint8_t in[4] = {1, 2, 3, 4};
    EXPECT_EQ(MessageOf([&] { DecodeBlock(DATAFORMAT_RAW, out, 16, 4, in); }),
              "DATAFORMAT_RAW should have been handled earlier!");
    const Bytes hello = TextBytes("hello, hello, hello");
    const Bytes z = CompressZlib(hello.data(), hello.size());
    uint8_t room[64];
    // Both decoders report what the stream produced, not the room given.
    EXPECT_EQ(DecodeBlock(DATAFORMAT_ZLIB, room, 64, uint32_t(z.size()), z.data()), hello.size());
    EXPECT_EQ(AsString(Bytes(room, room + hello.size())), AsString(hello));
    const Bytes l = CompressLzo(hello.data(), hello.size());
    EXPECT_EQ(DecodeBlock(DATAFORMAT_LZO, room, 64, uint32_t(l.size()), l.data()), hello.size());
    // Too little room: an inflate error, as zlib's finishing inflate reports it.
    EXPECT_EQ(MessageOf<EDecompressionError>([&] { DecodeBlock(DATAFORMAT_ZLIB, out, 16, uint32_t(z.size()), z.data()); }),
              "ZLib error: the stream decodes to more than 16 bytes");
    EXPECT_EQ(MessageOf([&] { DecodeBlock(DATAFORMAT_LZO, out, 16, uint32_t(l.size()), l.data()); }),
              "lzo decompression error");
}

TEST(DecodeTest, Crc32)
{
    const Bytes abc = TextBytes("abc");
    EXPECT_EQ(CalcCRC32(0, abc.data(), abc.size()), 0x352441C2u);
    EXPECT_EQ(CalcCRC32(0, nullptr, 0), 0u);
    // A running value continued piece by piece gives the whole value.
    uint32_t running = 0xFFFFFFFF;
    for (size_t i = 0; i < Text.size(); i += 777)
        running = CalcCRC32(running, Text.data() + i, std::min<size_t>(777, Text.size() - i), false);
    EXPECT_EQ(~running, CalcCRC32(0, Text.data(), Text.size()));
}

} // namespace
