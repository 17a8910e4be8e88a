// Every shape the writer can store comes back byte for byte.

#include "tests/archive/ArchiveTestUtil.h"

#include "archive/Crc32.h"
#include "archive/TreeWalk.h"
#include "tests/support/DemoContent.h"

#include <gtest/gtest.h>

namespace {

std::vector<FileSpec> Shapes()
{
    const Bytes text = TextLikeBytes(100000, 2);
    const Bytes noise = PatternBytes(70000, 3);
    std::vector<FileSpec> s;
    auto add = [&](const std::string &name, const Bytes &data, uint16_t format, uint32_t chunkSize = 0) {
        s.push_back({.name = name, .data = data, .format = format, .chunkSize = chunkSize});
        return &s.back();
    };
    add("raw", text, DATAFORMAT_RAW);
    add("raw-empty", {}, DATAFORMAT_RAW);
    add("raw-noise", noise, DATAFORMAT_RAW);
    for (const uint16_t format : {DATAFORMAT_ZLIB, DATAFORMAT_LZO}) {
        const std::string f = format == DATAFORMAT_ZLIB ? "zlib" : "lzo";
        add(f + "-whole", text, format);
        add(f + "-whole-noise", noise, format);
        add(f + "-whole-empty", {}, format);
        add(f + "-chunked-empty", {}, format, 4096);
        add(f + "-7-chunks", text, format, 16384);                       // 100000 / 16384
        add(f + "-2-chunks", Bytes(text.begin(), text.begin() + 32768), format, 16384);
        add(f + "-one-byte-chunks", TextBytes("abcdefg"), format, 1);
        add(f + "-chunk-larger-than-file", text, format, 1 << 20);
        add(f + "-noise-chunked", noise, format, 8192);                   // chunks stored as is
        add(f + "-all-as-is", text, format, 10000)->storage = ChunkStorage::AllAsIs;
        add(f + "-extra", text, format, 16384)->extraBytes = 5;
        FileSpec *overwrite = add(f + "-extra-overwrites", text, format, 16384);
        overwrite->extraBytes = 5;
        overwrite->extraOverwrites = true;
        add(f + "-extra-larger-than-some-chunks", text, format, 4096)->extraBytes = 3000;
    }
    return s;
}

TEST(RoundTripTest, EveryWriterShapeReadsBackIdentically)
{
    TempDir dir;
    VornWriter w;
    const auto folder = w.addDir(0, "shapes");
    std::vector<std::pair<VornWriter::Handle, FileSpec>> files;
    for (FileSpec spec : Shapes()) {
        spec.time = MakeFileTime(2005, 6, 7, 8, 9, 10);
        files.emplace_back(w.addFile(folder, spec), spec);
    }
    const TVornFile vorn(dir.write("shapes.vmres", w.build()));

    for (const auto &[handle, spec] : files) {
        SCOPED_TRACE(spec.name);
        const TEntryOffset entry = w.entryOffset(handle);
        EXPECT_EQ(vorn.GetName(entry), spec.name);
        EXPECT_EQ(vorn.GetSize(entry), spec.data.size());
        EXPECT_EQ(vorn.GetFormat(entry), spec.format);
        EXPECT_EQ(vorn.GetChunkSize(entry), spec.chunkSize);
        EXPECT_EQ(vorn.GetCrc32(entry), CalcCRC32(0, spec.data.data(), spec.data.size()));
        EXPECT_EQ(vorn.GetFileTime(entry), spec.time);
        const TFileBuffer contents = vorn.ReadFile(entry);
        ASSERT_EQ(contents.size(), spec.data.size());
        EXPECT_TRUE(contents.empty() || std::equal(spec.data.begin(), spec.data.end(), contents.data()));
        Bytes pieces;
        size_t largest = 0;
        vorn.ReadFilePieces(entry, [&](const uint8_t *data, size_t size) {
            pieces.insert(pieces.end(), data, data + size);
            largest = std::max(largest, size);
        });
        EXPECT_TRUE(pieces == spec.data);
        if (spec.chunkSize != 0) {
            EXPECT_LE(largest, spec.chunkSize);
        }
        if (spec.format == DATAFORMAT_RAW) {
            EXPECT_EQ(vorn.GetCompressedSize(entry), spec.data.size());
        }
    }
}

TEST(RoundTripTest, ChunksStoredAsIsTakeNoExtraSpace)
{
    TempDir dir;
    VornWriter w;
    const Bytes text = TextLikeBytes(40000, 9);
    const auto asIs = w.addFile(0, {.name = "a", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096,
                                    .storage = ChunkStorage::AllAsIs});
    const auto packed = w.addFile(0, {.name = "b", .data = text, .format = DATAFORMAT_ZLIB, .chunkSize = 4096});
    const TVornFile vorn(dir.write("c.vmres", w.build()));
    EXPECT_EQ(vorn.GetCompressedSize(w.entryOffset(asIs)), text.size());
    EXPECT_LT(vorn.GetCompressedSize(w.entryOffset(packed)), text.size() / 2);
}

TEST(RoundTripTest, DemoArchiveReadsCompletely)
{
    TempDir dir;
    VornWriter w;
    AddDemoContent(w);
    const TVornFile vorn(dir.write("demo.vmres", w.build()));
    size_t files = 0, folders = 0;
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &) {
        if (vorn.IsDirectory(entry)) {
            ++folders;
            return;
        }
        ++files;
        EXPECT_EQ(vorn.ReadFile(entry).size(), vorn.GetSize(entry));
    });
    EXPECT_EQ(files, 10u);
    EXPECT_EQ(folders, 6u);
}

} // namespace
