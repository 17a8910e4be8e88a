// Writes the fuzzer's seed corpus: small archives of every shape the writer
// makes, so the fuzzer starts from inputs that reach deep into the reader.

#include "tests/support/VornWriter.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace {

Bytes Build(const std::function<void(VornWriter &)> &fill)
{
    VornWriter w;
    fill(w);
    return w.build();
}

std::vector<std::pair<std::string, Bytes>> Seeds()
{
    const TFileTime time = MakeFileTime(2003, 5, 14, 17, 4, 8);
    return {
        {"empty", Build([](VornWriter &) {})},
        {"raw", Build([&](VornWriter &w) {
             const auto d = w.addDir(0, "dir", time);
             w.addDir(d, "empty");
             w.addFile(d, {.name = "a.txt", .data = TextBytes("hello, archive"), .time = time});
             w.addFile(0, {.name = "e", .data = {}});
             w.addFile(0, {.name = "struck", .data = TextBytes("x"), .flags = FILEFLAG_STRUCK_OUT});
         })},
        {"zlib", Build([](VornWriter &w) {
             w.addFile(0, {.name = "z.txt", .data = TextLikeBytes(1500, 1), .format = DATAFORMAT_ZLIB});
             w.addFile(0, {.name = "zc", .data = TextLikeBytes(3000, 2), .format = DATAFORMAT_ZLIB, .chunkSize = 1024,
                           .extraBytes = 4, .extraOverwrites = true});
         })},
        {"lzo", Build([](VornWriter &w) {
             w.addFile(0, {.name = "l.txt", .data = TextLikeBytes(1500, 3), .format = DATAFORMAT_LZO});
             w.addFile(0, {.name = "lc", .data = TextLikeBytes(3000, 4), .format = DATAFORMAT_LZO, .chunkSize = 700,
                           .extraBytes = 3});
         })},
        {"as-is", Build([](VornWriter &w) {
             w.addFile(0, {.name = "n", .data = PatternBytes(1200, 5), .format = DATAFORMAT_ZLIB, .chunkSize = 512});
             w.addFile(0, {.name = "a", .data = TextLikeBytes(900, 6), .format = DATAFORMAT_LZO, .chunkSize = 300,
                           .storage = ChunkStorage::AllAsIs});
             w.addFile(0, {.name = "u", .data = TextBytes("?"), .format = 5});
         })},
        {"header", Build([&](VornWriter &w) {
             w.header.m_Priority = 0x23000;
             w.header.m_Flags = 3;
             w.header.m_CreatorId = {'S', 'E', 'E', 'D'};
             w.header.m_UtcBuildTime = {2003, 5, 3, 14, 17, 4, 9, 120};
             w.header.m_TitleText = u"Seed";
             w.description = u"a description";
             w.rootName = "root";
             auto d = w.addDir(0, "a", time);
             for (const char *name : {"b", "c", "d", "e"})
                 d = w.addDir(d, name, time);
             w.addFile(d, {.name = "deep.txt", .data = TextBytes("deep"), .format = DATAFORMAT_ZLIB});
         })},
        {"exe", BuildExecutable({".text", ".IVORN", ".DVORN"})},
    };
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    try {
        for (const auto &[name, bytes] : Seeds())
            WriteBytes(std::string(argv[1]) + "/" + name + ".vorn", bytes);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
