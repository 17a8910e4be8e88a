// The extraction benchmark's helper.
//   make_bench_archives make OUTDIR
//     writes OUTDIR/big.vmres (2,000 files, about 500 MB) and
//     OUTDIR/small.vmres (50,000 files, about 100 MB), each beside a folder
//     (OUTDIR/big, OUTDIR/small) holding the very same files, for zip.
//     Files are raw, zlib or LZO, whole or chunked, some compressible and
//     some not.
//   make_bench_archives decode ARCHIVE THREADS
//     decodes every file without writing anything and prints the seconds
//     taken; THREADS 0 decodes on one thread, more use worker threads the way
//     extraction does.

#include "archive/TreeWalk.h"
#include "engines/DecodePrefetcher.h"
#include "tests/support/VornWriter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

struct TBenchShape {
    const char *name;
    int folders;
    int files;
    size_t minSize;
    size_t maxSize;
    uint32_t chunkSize;
};

void MakeArchive(const fs::path &outDir, const TBenchShape &shape)
{
    VornWriter writer;
    std::mt19937 random(uint32_t(shape.files));
    const fs::path tree = outDir / shape.name;
    std::vector<VornWriter::Handle> folders;
    std::vector<fs::path> folderPaths;
    for (int i = 0; i < shape.folders; ++i) {
        const std::string name = "dir" + std::to_string(i);
        // Two levels: every tenth folder holds the next nine.
        const bool top = i % 10 == 0;
        const VornWriter::Handle parent = top ? 0 : folders[size_t(i - i % 10)];
        const fs::path parentPath = top ? tree : folderPaths[size_t(i - i % 10)];
        folders.push_back(writer.addDir(parent, name, MakeFileTime(2010, 1, 1)));
        folderPaths.push_back(parentPath / name);
        fs::create_directories(folderPaths.back());
    }
    uint64_t total = 0;
    for (int i = 0; i < shape.files; ++i) {
        FileSpec spec;
        spec.name = "file" + std::to_string(i) + ".dat";
        const size_t size = shape.minSize + random() % (shape.maxSize - shape.minSize + 1);
        // Three of five files compress well; the rest hardly at all.
        spec.data = i % 5 < 3 ? TextLikeBytes(size, uint32_t(i)) : PatternBytes(size, uint32_t(i));
        spec.format = uint16_t(i % 3);
        spec.chunkSize = spec.format != DATAFORMAT_RAW && i % 2 ? shape.chunkSize : 0;
        spec.time = MakeFileTime(2012, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0);
        total += size;
        const size_t folder = size_t(i) % folders.size();
        WriteBytes((folderPaths[folder] / spec.name).string(), spec.data);
        writer.addFile(folders[folder], std::move(spec));
    }
    const fs::path archive = outDir / (std::string(shape.name) + ".vmres");
    writer.write(archive.string());
    std::printf("%s: %d files, %.1f MB decoded, archive %.1f MB\n", archive.c_str(), shape.files, total / 1e6,
                double(fs::file_size(archive)) / 1e6);
}

int Decode(const std::string &archive, unsigned threads)
{
    const auto start = std::chrono::steady_clock::now();
    const TVornFile vorn(archive);
    std::vector<TEntryOffset> files;
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &) {
        if (!vorn.IsDirectory(entry))
            files.push_back(entry);
    });
    uint64_t bytes = 0;
    TPrefetchLimits limits;
    limits.Threads = threads;
    TDecodePrefetcher prefetcher(vorn, files, limits);
    for (size_t i = 0; i < files.size(); ++i)
        bytes += prefetcher.Take(i).Data.size();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %llu\n", seconds, static_cast<unsigned long long>(bytes));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 3) {
        const fs::path outDir = argv[2];
        MakeArchive(outDir, {"big", 20, 2'000, 50'000, 450'000, 65'536});
        MakeArchive(outDir, {"small", 500, 50'000, 0, 4'000, 1'024});
        return 0;
    }
    if (command == "decode" && argc == 4)
        return Decode(argv[2], unsigned(std::stoul(argv[3])));
    std::fputs("usage: make_bench_archives make OUTDIR | decode ARCHIVE THREADS\n", stderr);
    return 2;
}
