// Randomised damage to good archives: truncated and bit-flipped copies are
// opened, walked and read completely. Only Exceptions may come out.

#include "tests/archive/ArchiveTestUtil.h"

#include "archive/TreeWalk.h"

#include <gtest/gtest.h>

#include <random>

namespace {

Bytes VariedArchive(uint32_t seed)
{
    VornWriter w;
    w.description = u"damage me";
    const auto a = w.addDir(0, "a");
    const auto b = w.addDir(a, "bb");
    w.addDir(0, "empty");
    w.addFile(0, {.name = "raw.txt", .data = TextBytes("plain text")});
    w.addFile(a, {.name = "z", .data = TextLikeBytes(3000, seed), .format = DATAFORMAT_ZLIB});
    w.addFile(a, {.name = "l", .data = TextLikeBytes(2500, seed + 1), .format = DATAFORMAT_LZO});
    w.addFile(b, {.name = "zc", .data = TextLikeBytes(5000, seed + 2), .format = DATAFORMAT_ZLIB, .chunkSize = 1024,
                  .extraBytes = 3, .extraOverwrites = true});
    w.addFile(b, {.name = "lc", .data = PatternBytes(3000, seed), .format = DATAFORMAT_LZO, .chunkSize = 512});
    w.addFile(b, {.name = "as-is", .data = TextLikeBytes(2000, seed), .format = DATAFORMAT_LZO, .chunkSize = 700,
                  .storage = ChunkStorage::AllAsIs});
    w.addFile(b, {.name = "empty", .data = {}, .format = DATAFORMAT_ZLIB, .chunkSize = 64});
    return w.build();
}

// Opens, walks and reads everything; returns how many files decoded.
size_t Exercise(const std::string &path)
{
    size_t decoded = 0;
    try {
        const TVornFile vorn(path);
        std::vector<TEntryOffset> files;
        size_t visits = 0;
        WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &) {
            if (++visits > 10000)
                throw Exception("walk too long");
            if (!vorn.IsDirectory(entry))
                files.push_back(entry);
        });
        for (const TEntryOffset file : files) {
            try {
                vorn.GetPath(file);
                vorn.GetCompressedSize(file);
                if (vorn.GetSize(file) > (64u << 20))
                    continue;
                const TFileBuffer contents = vorn.ReadFile(file);
                EXPECT_EQ(contents.size(), vorn.GetSize(file));
                ++decoded;
            } catch (const Exception &) {
            }
        }
    } catch (const Exception &) {
    }
    return decoded;
}

TEST(CorruptionTest, TruncatedArchivesOnlyRaise)
{
    TempDir dir;
    const Bytes good = VariedArchive(1);
    const std::string path = dir.write("t.vmres", good);
    EXPECT_EQ(Exercise(path), 7u);
    std::mt19937 random(1234);
    for (int i = 0; i < 400; ++i) {
        const size_t length = std::uniform_int_distribution<size_t>(0, good.size() - 1)(random);
        SCOPED_TRACE(length);
        dir.write("t.vmres", Bytes(good.begin(), good.begin() + length));
        Exercise(path);
    }
}

TEST(CorruptionTest, BitFlippedArchivesOnlyRaise)
{
    TempDir dir;
    const std::string path = dir.file("f.vmres");
    std::mt19937 random(5678);
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const Bytes good = VariedArchive(seed);
        const uint32_t indexStart = ReadU32LE(&good[HEADER_DIRSET_POS]);
        const uint32_t indexEnd = indexStart + ReadU32LE(&good[HEADER_INDEXSIZE_POS]);
        for (int i = 0; i < 700; ++i) {
            Bytes bad = good;
            const int flips = std::uniform_int_distribution<int>(1, 4)(random);
            std::string trace;
            for (int f = 0; f < flips; ++f) {
                // Most damage goes to the header's offsets and the index,
                // where a single bit changes the most.
                const int where = std::uniform_int_distribution<int>(0, 9)(random);
                size_t position;
                if (where < 2)
                    position = std::uniform_int_distribution<size_t>(0, 27)(random);
                else if (where < 8)
                    position = std::uniform_int_distribution<size_t>(indexStart, indexEnd - 1)(random);
                else
                    position = std::uniform_int_distribution<size_t>(0, bad.size() - 1)(random);
                const int bit = std::uniform_int_distribution<int>(0, 7)(random);
                bad[position] ^= uint8_t(1u << bit);
                trace += std::to_string(position) + ":" + std::to_string(bit) + " ";
            }
            SCOPED_TRACE(trace);
            dir.write("f.vmres", bad);
            Exercise(path);
        }
    }
}

TEST(CorruptionTest, RandomWordsInTheIndexOnlyRaise)
{
    // Whole 32-bit values replaced at random: offsets, counts and sizes
    // that point anywhere.
    TempDir dir;
    const std::string path = dir.file("w.vmres");
    const Bytes good = VariedArchive(7);
    const uint32_t indexStart = ReadU32LE(&good[HEADER_DIRSET_POS]);
    const uint32_t indexSize = ReadU32LE(&good[HEADER_INDEXSIZE_POS]);
    std::mt19937 random(91011);
    const uint32_t interesting[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0, 16, indexSize};
    for (int i = 0; i < 1000; ++i) {
        Bytes bad = good;
        const size_t position = indexStart + 4 * std::uniform_int_distribution<size_t>(0, indexSize / 4 - 1)(random);
        const uint32_t value = random() % 2 ? interesting[random() % 8] : uint32_t(random());
        PutU32(bad, position, value);
        SCOPED_TRACE(std::to_string(position) + "=" + std::to_string(value));
        dir.write("w.vmres", bad);
        Exercise(path);
    }
}

} // namespace
