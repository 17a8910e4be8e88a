// Reading a file piece by piece: a raw file over one piece comes in pieces
// of at most 1 MiB, checked as a whole read is.

#include "tests/archive/ArchiveTestUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(FilePieces, ARawFileJustOverOnePieceComesInTwoAndIsChecked)
{
    TempDir dir;
    VornWriter w;
    const Bytes data = PatternBytes((1u << 20) + 1, 5);
    const auto sound = w.addFile(0, {.name = "sound.raw", .data = data});
    w.addFile(0, {.name = "after.raw", .data = TextBytes("stored after it")});
    const auto damaged = w.addFile(0, {.name = "damaged.raw", .data = data, .crcOverride = 1});
    Bytes bytes = w.build();
    const TVornFile vorn(dir.write("pieces.vmres", bytes));
    std::vector<size_t> sizes;
    Bytes read;
    vorn.ReadFilePieces(w.entryOffset(sound), [&](const uint8_t *piece, size_t size) {
        sizes.push_back(size);
        read.insert(read.end(), piece, piece + size);
    });
    EXPECT_EQ(sizes, (std::vector<size_t>{1u << 20, 1}));
    EXPECT_TRUE(read == data);
    const auto ignore = [](const uint8_t *, size_t) {};
    EXPECT_EQ(MessageOf([&] { vorn.ReadFilePieces(w.entryOffset(damaged), ignore); }), "CRC-32 differs from header");

    // Cut short inside the last file: refused before any piece is handed on.
    bytes.resize(w.storedStart(damaged) + data.size() - 1);
    const TVornFile cut(dir.write("cut.vmres", bytes));
    size_t handed = 0;
    EXPECT_EQ(MessageOf([&] { cut.ReadFilePieces(w.entryOffset(damaged), [&](const uint8_t *, size_t size) { handed += size; }); }),
              "vorn too small");
    EXPECT_EQ(handed, 0u);
}

} // namespace
