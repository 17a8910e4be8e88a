// Benchmark of the archive core: opening and walking an archive of 200,000
// entries, and decoding a ~500 MB archive of raw, zlib and LZO files (whole
// and chunked) next to the bare speed of libdeflate, lzo1x_decompress_safe and
// memcpy on the very same stored bytes.
//
//   bench_core [FOLDER]   (default: a new folder below /tmp, removed after)

#include "archive/TreeWalk.h"
#include "archive/vmVornFile.h"
#include "tests/support/VornWriter.h"

#include <libdeflate.h>
#include <lzo/lzo1x.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best of `runs`: the least disturbed by the other jobs on the machine.
double BestSeconds(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

uint32_t Next(uint32_t &x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// Game-like data in 16 KB blocks: text from a vocabulary, pixels of smooth
// gradients with noise in the low bits, and tables of numbered records.
Bytes MixedBytes(size_t size, uint32_t seed)
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> list;
        uint32_t x = 12345;
        for (int i = 0; i < 300; ++i) {
            std::string w;
            for (uint32_t n = 2 + Next(x) % 9; n > 0; --n)
                w += char('a' + Next(x) % 26);
            list.push_back(w);
        }
        return list;
    }();
    Bytes b;
    b.reserve(size);
    uint32_t x = seed * 2654435761u + 7;
    for (size_t block = 0; b.size() < size; ++block) {
        const size_t end = std::min(size, b.size() + 16384);
        switch (block % 3) {
        case 0:
            while (b.size() < end) {
                const std::string &w = words[Next(x) % words.size()];
                const char sep = Next(x) % 12 == 0 ? '\n' : ' ';
                for (char c : w)
                    b.push_back(uint8_t(c));
                b.push_back(uint8_t(sep));
            }
            break;
        case 1:
            for (uint32_t i = 0; b.size() < end; ++i)
                b.push_back(uint8_t(((i / 4) % 256 + (i % 4) * 40 + block) ^ (Next(x) & 7)));
            break;
        default:
            for (uint32_t id = uint32_t(block) * 1000; b.size() < end; ++id) {
                const uint32_t fields[4] = {id, Next(x) % 100, 0x3F800000u + (Next(x) & 0xFFFF), Next(x) % 4};
                for (uint32_t f : fields)
                    for (int k = 0; k < 4; ++k)
                        b.push_back(uint8_t(f >> (8 * k)));
            }
        }
        b.resize(std::min(b.size(), end));
    }
    return b;
}

// --- the 200,000-entry archive -------------------------------------------

constexpr int TopFolders = 20;
constexpr int SubFolders = 100;
constexpr int FilesPerFolder = 99;

void WriteManyEntries(const std::string &path)
{
    VornWriter w;
    char name[32];
    for (int t = 0; t < TopFolders; ++t) {
        std::snprintf(name, sizeof name, "top_%02d", t);
        const auto top = w.addDir(0, name);
        for (int s = 0; s < SubFolders; ++s) {
            std::snprintf(name, sizeof name, "sub_%03d", s);
            const auto sub = w.addDir(top, name);
            for (int f = 0; f < FilesPerFolder; ++f) {
                std::snprintf(name, sizeof name, "file_%05d.txt", f);
                w.addFile(sub, {.name = name, .data = TextBytes(name)});
            }
        }
    }
    w.write(path);
}

void BenchManyEntries(const std::string &path)
{
    const double open = BestSeconds(10, [&] { TVornFile vorn(path); });
    const TVornFile vorn(path);
    size_t entries = 0;
    const double walk = BestSeconds(5, [&] {
        entries = 0;
        WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset, const std::string &) { ++entries; });
    });
    std::printf("%-34s %10zu entries, index %u bytes\n", "archive of many entries", entries,
                vorn.Header().m_IndexSize);
    std::printf("%-34s %10.2f ms\n", "open (TVornFile)", open * 1e3);
    std::printf("%-34s %10.2f ms\n", "walk the whole tree (WalkTree)", walk * 1e3);
}

// --- the ~500 MB mixed archive ----------------------------------------------

struct Kind {
    const char *name;
    uint16_t format;
    uint32_t chunkSize;
};

const Kind Kinds[] = {
    {"raw", DATAFORMAT_RAW, 0},
    {"zlib whole", DATAFORMAT_ZLIB, 0},
    {"zlib chunked 64K", DATAFORMAT_ZLIB, 65536},
    {"lzo whole", DATAFORMAT_LZO, 0},
    {"lzo chunked 64K", DATAFORMAT_LZO, 65536},
};

struct BenchFile {
    const Kind *kind;
    VornWriter::Handle handle;
    TEntryOffset entry = 0;
    uint32_t size = 0;
};

// One stored stream or chunk, as the libraries see it.
struct Piece {
    const uint8_t *stored;
    uint32_t storedSize;
    uint32_t outputSize;
    uint32_t extra;  // bytes stored as is after the stream
    bool asIs;
};

std::vector<Piece> StoredPieces(const Bytes &archive, const VornWriter &w, const TVornFile &vorn, const BenchFile &f)
{
    const uint8_t *start = archive.data() + w.storedStart(f.handle);
    if (f.kind->format == DATAFORMAT_RAW)
        return {{start, f.size, f.size, 0, true}};
    if (f.kind->chunkSize == 0)
        return {{start, vorn.GetCompressedSize(f.entry), f.size, 0, false}};
    std::vector<Piece> pieces;
    const uint32_t chunks = (f.size + f.kind->chunkSize - 1) / f.kind->chunkSize;
    for (uint32_t i = 0; i < chunks; ++i) {
        const uint8_t *r = archive.data() + w.chunkRecordPosition(f.handle, i);
        const uint32_t unc = ReadU32LE(r), comp = ReadU32LE(r + 4), extra = ReadU32LE(r + 8), off = ReadU32LE(r + 12);
        pieces.push_back({start + off, comp, unc, extra, comp == unc});
    }
    return pieces;
}

void DecodeWithLibrary(uint16_t format, const std::vector<Piece> &pieces, uint8_t *out,
                       libdeflate_decompressor *inflater)
{
    for (const Piece &p : pieces) {
        if (p.asIs) {
            std::memcpy(out, p.stored, p.outputSize);
        } else if (format == DATAFORMAT_ZLIB) {
            if (libdeflate_zlib_decompress(inflater, p.stored, p.storedSize, out, p.outputSize - p.extra, nullptr)
                != LIBDEFLATE_SUCCESS)
                throw std::runtime_error("libdeflate failed");
            std::memcpy(out + p.outputSize - p.extra, p.stored + p.storedSize, p.extra);
        } else {
            lzo_uint produced = p.outputSize;
            if (lzo1x_decompress_safe(p.stored, p.storedSize, out, &produced, nullptr) != LZO_E_OK)
                throw std::runtime_error("lzo failed");
            std::memcpy(out + p.outputSize - p.extra, p.stored + p.storedSize, p.extra);
        }
        out += p.outputSize;
    }
}

void BenchDecoding(const std::string &path)
{
    constexpr size_t BytesPerKind = 100u << 20;
    VornWriter w;
    std::vector<BenchFile> files;
    uint32_t seed = 1;
    for (const Kind &kind : Kinds) {
        const auto folder = w.addDir(0, kind.name);
        for (size_t total = 0; total < BytesPerKind; ++seed) {
            const size_t size = std::min<size_t>(BytesPerKind - total, (1u << 20) + (seed * 7919u) % (7u << 20));
            total += size;
            const auto handle = w.addFile(folder, {.name = "file_" + std::to_string(seed) + ".bin",
                                                   .data = MixedBytes(size, seed),
                                                   .format = kind.format,
                                                   .chunkSize = kind.chunkSize});
            files.push_back({&kind, handle});
        }
    }
    std::printf("writing the mixed archive...\n");
    std::fflush(stdout);
    const Bytes archive = w.build();
    WriteBytes(path, archive);

    const TVornFile vorn(path);
    size_t largest = 0;
    for (BenchFile &f : files) {
        f.entry = w.entryOffset(f.handle);
        f.size = vorn.GetSize(f.entry);
        largest = std::max<size_t>(largest, f.size);
    }
    std::printf("%-34s %10.1f MB in %zu files, archive %.1f MB\n", "mixed archive", 5.0 * BytesPerKind / 1e6,
                files.size(), archive.size() / 1e6);
    std::printf("\n%-18s %9s %9s %12s %12s %7s\n", "kind", "MB", "stored MB", "core MB/s", "library MB/s", "ratio");

    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor *)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    lzo_init();
    Bytes scratch(largest);
    double coreTotal = 0, libraryTotal = 0, bytesTotal = 0;
    for (const Kind &kind : Kinds) {
        std::vector<const BenchFile *> ofKind;
        std::vector<std::vector<Piece>> pieces;
        double bytes = 0, stored = 0;
        for (const BenchFile &f : files)
            if (f.kind == &kind) {
                ofKind.push_back(&f);
                pieces.push_back(StoredPieces(archive, w, vorn, f));
                bytes += f.size;
                for (const Piece &p : pieces.back())
                    stored += p.storedSize + (p.asIs ? 0 : p.extra);
            }
        const double core = BestSeconds(3, [&] {
            for (const BenchFile *f : ofKind)
                if (vorn.ReadFile(f->entry).size() != f->size)
                    throw std::runtime_error("short read");
        });
        const double library = BestSeconds(3, [&] {
            for (size_t i = 0; i < ofKind.size(); ++i)
                DecodeWithLibrary(kind.format, pieces[i], scratch.data(), inflater.get());
        });
        coreTotal += core;
        libraryTotal += library;
        bytesTotal += bytes;
        const char *library_name = kind.format == DATAFORMAT_RAW ? "memcpy" : "";
        std::printf("%-18s %9.1f %9.1f %12.0f %12.0f %6.0f%% %s\n", kind.name, bytes / 1e6, stored / 1e6,
                    bytes / 1e6 / core, bytes / 1e6 / library, 100 * library / core, library_name);
    }
    std::printf("%-18s %9.1f %9s %12.0f %12.0f %6.0f%%\n", "all", bytesTotal / 1e6, "", bytesTotal / 1e6 / coreTotal,
                bytesTotal / 1e6 / libraryTotal, 100 * libraryTotal / coreTotal);
    std::printf("(core: TVornFile::ReadFile incl. file reads, CRC-32 and size checks; library: the bare\n"
                " decoder or memcpy from memory into a reused buffer)\n");
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    const bool ownFolder = argc < 2;
    std::string folder;
    if (ownFolder) {
        char pattern[] = "/tmp/bench_core.XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    } else {
        folder = argv[1];
        fs::create_directories(folder);
    }
    int code = 0;
    try {
        std::printf("writing the archive of many entries...\n");
        std::fflush(stdout);
        WriteManyEntries(folder + "/many.vmres");
        BenchManyEntries(folder + "/many.vmres");
        std::printf("\n");
        BenchDecoding(folder + "/mixed.vmres");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_core: %s\n", e.what());
        code = 1;
    }
    if (ownFolder)
        fs::remove_all(folder);
    return code;
}
