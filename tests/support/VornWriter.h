#pragma once
// VornWriter: writes vorn archives for the tests and the demo archive. It can
// produce every shape the reader must handle: raw, zlib and LZO files, whole
// or chunked, chunks stored as is, extra bytes after a chunk's stream, empty
// files and folders, descriptions and every header field. Damaged archives
// are made by patching the built bytes at the offsets it reports.

#include "archive/vmVornFileDef.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

enum class ChunkStorage {
    CompressWhenSmaller, // a chunk whose stream would not be smaller is stored as is
    AllAsIs,             // every chunk stored as is
};

struct FileSpec {
    std::string name;       // 8-bit (Windows-1252) name
    Bytes data;             // the decoded contents
    uint16_t format = DATAFORMAT_RAW;
    uint32_t chunkSize = 0; // 0: one stream (or raw)
    ChunkStorage storage = ChunkStorage::CompressWhenSmaller;
    uint32_t extraBytes = 0;     // of each compressed chunk, stored as is after its stream
    bool extraOverwrites = false; // the stream also encodes the extra bytes, wrongly
    TFileTime time = 0;
    uint16_t flags = 0;
    std::optional<uint32_t> crcOverride;  // default: the CRC-32 of data
    std::optional<uint32_t> sizeOverride; // default: data.size()
    std::optional<Bytes> storedOverride;  // stored bytes of a compressed single stream
};

class VornWriter {
public:
    using Handle = size_t; // a directory or file added to the writer; 0 is the root

    VornWriter();

    TVornHeader header; // m_ProductId "Velm", m_VornId "Vorn"; offsets are filled by build()
    std::u16string description;
    std::string rootName;
    TFileTime rootTime = 0;

    Handle addDir(Handle parent, const std::string &name, TFileTime time = 0);
    Handle addFile(Handle parent, FileSpec file);

    // The complete archive.
    Bytes build();
    void write(const std::string &path);

    // Valid after build(): where things ended up.
    TEntryOffset entryOffset(Handle node) const { return m_nodes.at(node).entry; }
    uint32_t indexStart() const { return m_indexStart; }     // file offset of the index
    uint64_t storedStart(Handle file) const;                  // file offset of a file's stored bytes
    uint32_t chunkRecordPosition(Handle file, size_t chunk) const; // file offset of a chunk record

private:
    struct StoredChunk {
        uint32_t uncompressed, compressed, extra, offset;
    };
    struct Node {
        bool directory = true;
        Handle parent = 0;
        std::string name;
        TFileTime time = 0;
        std::vector<Handle> children;
        FileSpec file;
        // filled by build()
        TEntryOffset entry = 0;
        uint32_t dataOffset = 0;
        uint32_t compressedSize = 0;
        std::vector<StoredChunk> chunks;
        Bytes stored;
    };

    void encodeFile(Node &node);
    uint32_t entrySize(const Node &node) const;
    void writeEntry(Bytes &index, const Node &node) const;
    Bytes headerBytes() const;

    std::vector<Node> m_nodes;
    uint32_t m_indexStart = 0;
    uint32_t m_dataStart = 0;
};

// Compressors used by the writer (and the benchmarks).
Bytes CompressZlib(const uint8_t *data, size_t size, int level = 6);
Bytes CompressLzo(const uint8_t *data, size_t size);

// FILETIME of a UTC calendar time.
TFileTime MakeFileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A Windows executable ("MZ") carrying the named sections.
Bytes BuildExecutable(const std::vector<std::string> &sectionNames);

// Bytes helpers for fixtures.
Bytes TextBytes(const std::string &text);
Bytes PatternBytes(size_t size, uint32_t seed);    // hard to compress
Bytes TextLikeBytes(size_t size, uint32_t seed);   // compresses well
void PutU16(Bytes &bytes, size_t position, uint16_t value);
void PutU32(Bytes &bytes, size_t position, uint32_t value);
void WriteBytes(const std::string &path, const Bytes &bytes);
