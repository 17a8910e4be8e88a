// Writes the archives the file-manager drag tests and benchmark drag from.
//   make_drag_archives OUTDIR          the test archives (below)
//   make_drag_archives OUTDIR --bench  also bench_many.vmres (2,000 files,
//                                      100 MB) and bench_huge.vmres (one
//                                      500 MB file)
// Every archive's root holds just what one case selects, so a case selects
// rows from the top of the list.

#include "tests/support/VornWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

FileSpec File(std::string name, Bytes data, int seed)
{
    FileSpec spec;
    spec.name = std::move(name);
    spec.data = std::move(data);
    spec.format = uint16_t(seed % 3);
    spec.chunkSize = spec.format != DATAFORMAT_RAW && seed % 2 ? 65536 : 0;
    spec.time = MakeFileTime(2011 + seed % 10, 1 + seed % 12, 1 + seed % 28, seed % 24, seed % 60, (seed * 7) % 60);
    return spec;
}

void Write(VornWriter &writer, const fs::path &path)
{
    writer.write(path.string());
    std::printf("%s\n", path.c_str());
}

void One(const fs::path &out)
{
    VornWriter writer;
    // A blank, "#", "%" and a non-ASCII letter (Windows-1252 0xFC).
    writer.addFile(0, File("one #1 %41 \xFC.txt", TextLikeBytes(3000, 1), 1));
    Write(writer, out / "one.vmres");
}

void Three(const fs::path &out)
{
    VornWriter writer;
    for (int i = 0; i < 4; ++i)
        writer.addFile(0, File("file" + std::to_string(i) + ".bin", PatternBytes(10000 + size_t(i) * 777, uint32_t(i)), i));
    Write(writer, out / "three.vmres");
}

void Many(const fs::path &out, const char *name, int count, size_t size)
{
    VornWriter writer;
    for (int i = 0; i < count; ++i) {
        char fileName[32];
        std::snprintf(fileName, sizeof fileName, "f%05d.dat", i);
        const size_t bytes = size + size_t(i % 7) * 13;
        writer.addFile(0, File(fileName, i % 2 ? TextLikeBytes(bytes, uint32_t(i)) : PatternBytes(bytes, uint32_t(i)), i));
    }
    Write(writer, out / name);
}

// One folder of 2,000 small files: the quick drop drags the folder row.
void Folder(const fs::path &out)
{
    VornWriter writer;
    const VornWriter::Handle folder = writer.addDir(0, "lots", MakeFileTime(2014, 4, 4, 4, 4, 4));
    for (int i = 0; i < 2000; ++i) {
        char fileName[32];
        std::snprintf(fileName, sizeof fileName, "g%05d.dat", i);
        writer.addFile(folder, File(fileName, PatternBytes(500 + size_t(i % 5) * 17, uint32_t(i)), i));
    }
    Write(writer, out / "folder.vmres");
}

void Tree(const fs::path &out)
{
    VornWriter writer;
    const VornWriter::Handle top = writer.addDir(0, "maps", MakeFileTime(2015, 5, 5, 5, 5, 6));
    writer.addFile(top, File("world.vmmap", TextLikeBytes(70000, 7), 7));
    const VornWriter::Handle sub = writer.addDir(top, "sub dir", MakeFileTime(2016, 6, 6));
    writer.addFile(sub, File("a.txt", TextLikeBytes(100, 8), 8));
    const VornWriter::Handle deep = writer.addDir(sub, "deep", MakeFileTime(2017, 7, 7));
    writer.addFile(deep, File("b.bin", PatternBytes(200000, 9), 9));
    writer.addFile(deep, File("empty.dat", {}, 10));
    Write(writer, out / "tree.vmres");
}

void Big(const fs::path &out, const char *name, size_t size)
{
    VornWriter writer;
    writer.addFile(0, File("big.bin", PatternBytes(size, 11), 2));
    Write(writer, out / name);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_drag_archives OUTDIR [--bench]\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out);
    if (argc > 2 && std::string(argv[2]) == "--bench") {
        Many(out, "bench_many.vmres", 2000, 50000);
        Big(out, "bench_huge.vmres", 500u << 20);
        return 0;
    }
    One(out);
    Three(out);
    Many(out, "many.vmres", 2000, 1000);
    Folder(out);
    Tree(out);
    Big(out, "big.vmres", 50u << 20);
    return 0;
}
