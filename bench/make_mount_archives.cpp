// Writes the archives of the mount benchmark (bench/bench_mount.sh):
//   big.vmres    one file of 1 GB, zlib in chunks of 64 KB, plus its bytes in big.bin
//   many.vmres   1,000,000 entries: 1,000 folders of 999 small raw files
//   small.vmres  50,000 files of 1-16 KB in 100 folders, raw, zlib and LZO
// Usage: make_mount_archives FOLDER

#include "tests/support/VornWriter.h"

#include <cstdio>
#include <string>

namespace {

void WriteBig(const std::string &folder)
{
    const Bytes data = TextLikeBytes(size_t(1) << 30, 1);
    WriteBytes(folder + "/big.bin", data);
    VornWriter writer;
    writer.addFile(0, {"big.bin", data, DATAFORMAT_ZLIB, 65536});
    writer.write(folder + "/big.vmres");
}

void WriteMany(const std::string &folder)
{
    VornWriter writer;
    const Bytes tiny = TextBytes("x");
    for (int d = 0; d < 1000; ++d) {
        const auto dir = writer.addDir(0, "folder" + std::to_string(d));
        for (int f = 0; f < 999; ++f)
            writer.addFile(dir, {"file" + std::to_string(f) + ".txt", tiny});
    }
    writer.write(folder + "/many.vmres");
}

void WriteSmall(const std::string &folder)
{
    VornWriter writer;
    for (int d = 0; d < 100; ++d) {
        const auto dir = writer.addDir(0, "dir" + std::to_string(d));
        for (int f = 0; f < 500; ++f) {
            const int n = d * 500 + f;
            writer.addFile(dir, {"f" + std::to_string(f) + ".txt", TextLikeBytes(1024 + size_t(n * 7919) % 15360, n),
                                 uint16_t(n % 3)});
        }
    }
    writer.write(folder + "/small.vmres");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_mount_archives FOLDER\n");
        return 2;
    }
    WriteBig(argv[1]);
    WriteMany(argv[1]);
    WriteSmall(argv[1]);
    return 0;
}
