// Writes an archive holding one big chunked file, for timing `vorntool x`
// against `vorntool test` on it (bench/bench_scale.sh). The test writer holds
// whole files in memory; this one streams: 16 different text-like chunks are
// compressed once and their stored bytes repeated, so the file decodes chunk
// by chunk like any other while the archive is written in seconds.
//
//   make_big_entry OUT.vmres zlib|lzo [CHUNKS]    (64 KB chunks; 64,000 = 4.19 GB)

#include "archive/Crc32.h"
#include "archive/vmVornFileDef.h"

#include <libdeflate.h>
#include <lzo/lzo1x.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t ChunkSize = 64 * 1024;
constexpr size_t Distinct = 16;

void PutU16(Bytes &b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void PutU32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// Words of a small vocabulary with numbers: compresses about 3:1 with zlib.
Bytes TextChunk(uint32_t seed)
{
    static const char *const Words[] = {"stone", "grass", "tex", "map", "water", "light", "shadow", "door", "key",
                                        "wall", "floor", "north", "south", "="};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < ChunkSize) {
        text += Words[random() % 14];
        text += std::to_string(random() % 1000);
        text += random() % 8 == 0 ? '\n' : ' ';
    }
    return Bytes(text.begin(), text.begin() + ChunkSize);
}

Bytes Compress(const Bytes &chunk, bool lzo)
{
    if (lzo) {
        Bytes out(chunk.size() + chunk.size() / 16 + 64 + 3);
        std::vector<uint8_t> work(LZO1X_1_MEM_COMPRESS);
        lzo_uint size = out.size();
        lzo1x_1_compress(chunk.data(), chunk.size(), out.data(), &size, work.data());
        out.resize(size);
        return out;
    }
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(6);
    Bytes out(libdeflate_zlib_compress_bound(compressor, chunk.size()));
    out.resize(libdeflate_zlib_compress(compressor, chunk.data(), chunk.size(), out.data(), out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || (std::string(argv[2]) != "zlib" && std::string(argv[2]) != "lzo")) {
        std::fprintf(stderr, "usage: make_big_entry OUT.vmres zlib|lzo [CHUNKS]\n");
        return 2;
    }
    const bool lzo = std::string(argv[2]) == "lzo";
    const uint32_t chunks = argc > 3 ? uint32_t(std::stoul(argv[3])) : 64000;
    if (lzo_init() != LZO_E_OK)
        return 1;
    std::vector<Bytes> plain, stored;
    for (size_t i = 0; i < Distinct; ++i) {
        plain.push_back(TextChunk(uint32_t(i)));
        stored.push_back(Compress(plain.back(), lzo));
    }
    uint32_t crc = 0xFFFFFFFF; // the running register
    uint64_t storedTotal = 0;
    std::vector<uint32_t> chunkOffsets;
    for (uint32_t c = 0; c < chunks; ++c) {
        crc = CalcCRC32(crc, plain[c % Distinct].data(), ChunkSize, false);
        chunkOffsets.push_back(uint32_t(storedTotal));
        storedTotal += stored[c % Distinct].size();
    }

    // Index: the directory table, the root with one child, the file's entry.
    const std::string name = "big.bin";
    const uint32_t rootEntry = 8, fileEntry = 32;
    const uint32_t nameField = (uint32_t(name.size()) + 3 + 3) / 4 * 4;
    Bytes index(fileEntry + 28 + nameField + 8 + 16 * size_t(chunks), 0);
    PutU32(index, 0, 1);
    PutU32(index, 4, rootEntry);
    PutU32(index, rootEntry + 4, 1);  // one child
    PutU32(index, rootEntry + 20, fileEntry); // after the 4-byte empty name field
    PutU32(index, fileEntry, rootEntry);
    PutU32(index, fileEntry + 4, chunks * ChunkSize);
    PutU32(index, fileEntry + 12, ~crc);
    PutU32(index, fileEntry + 16, 0xD53E8000); // a FILETIME in 2003
    PutU32(index, fileEntry + 20, 0x01C2F5A0);
    PutU16(index, fileEntry + 24, lzo ? DATAFORMAT_LZO : DATAFORMAT_ZLIB);
    PutU16(index, fileEntry + 28, uint16_t(name.size()));
    std::memcpy(&index[fileEntry + 30], name.data(), name.size());
    const size_t compressedHeader = fileEntry + 28 + nameField;
    PutU32(index, compressedHeader, uint32_t(storedTotal));
    PutU32(index, compressedHeader + 4, ChunkSize);
    for (uint32_t c = 0; c < chunks; ++c) {
        const size_t record = compressedHeader + 8 + 16 * size_t(c);
        PutU32(index, record, ChunkSize);
        PutU32(index, record + 4, uint32_t(stored[c % Distinct].size()));
        PutU32(index, record + 12, chunkOffsets[c]);
    }

    Bytes header(VORN_HEADER_SIZE, 0);
    std::memcpy(&header[0], "VelmVorn", 8);
    PutU32(header, 8, 0x00010000);
    PutU32(header, 12, VORN_HEADER_SIZE);
    PutU32(header, 16, VORN_HEADER_SIZE + fileEntry);
    PutU32(header, 20, uint32_t(index.size()));
    PutU32(header, 24, VORN_HEADER_SIZE + uint32_t(index.size()));

    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(header.data()), std::streamsize(header.size()));
    out.write(reinterpret_cast<const char *>(index.data()), std::streamsize(index.size()));
    for (uint32_t c = 0; c < chunks; ++c)
        out.write(reinterpret_cast<const char *>(stored[c % Distinct].data()), std::streamsize(stored[c % Distinct].size()));
    if (!out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %u chunks, %llu bytes decoded, %llu stored\n", argv[1], chunks,
                static_cast<unsigned long long>(uint64_t(chunks) * ChunkSize),
                static_cast<unsigned long long>(storedTotal));
    return 0;
}
