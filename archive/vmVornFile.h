#pragma once
// TVornFile: one open vorn archive. Opening checks the header and loads the
// whole index as one block; every question about the directory tree is then
// answered by reads at entry offsets inside that block. Every such read is
// bounds-checked: a damaged index raises an Exception, it never reads outside
// the block. File contents are read on request with positioned reads, so
// ReadFile may run on several threads at once.

#include "archive/FileBuffer.h"
#include "archive/vmVornFileDef.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Receives a file's decoded bytes piece by piece, in order.
using TPieceSink = std::function<void(const uint8_t *data, size_t size)>;

class TVornFile {
public:
    // Opens and checks the archive; raises an Exception with the message of
    // the first failing check and leaves nothing open. Only a regular file
    // is an archive; an open that would eat into the reserve of descriptors
    // (OpenFileLimit.h) is refused.
    explicit TVornFile(const std::string &path);
    // The same open, stopped with EAbort once `cancel` turns true: the index
    // is read in pieces and the flag is checked between them.
    TVornFile(const std::string &path, const std::atomic<bool> &cancel);
    ~TVornFile();
    TVornFile(const TVornFile &) = delete;
    TVornFile &operator=(const TVornFile &) = delete;

    const std::string &FileName() const { return m_FileName; }
    const TVornHeader &Header() const { return m_Header; }
    const std::u16string &Description() const { return m_Description; }
    uint64_t ArchiveSize() const { return m_ArchiveSize; }

    TEntryOffset GetRootOffset() const;
    bool IsDirectory(TEntryOffset entry) const;
    std::string GetName(TEntryOffset entry) const;
    // The same name without a copy, valid while the archive is open.
    std::string_view GetNameView(TEntryOffset entry) const;
    TEntryOffset GetParent(TEntryOffset entry) const;
    uint32_t GetChildCount(TEntryOffset directory) const;
    // Child number `ChildIndex` of the directory; `ChildIndex` becomes the
    // next index, or 0 after the last child.
    TEntryOffset GetChild(TEntryOffset directory, uint32_t &ChildIndex) const;
    // All children in stored order.
    std::vector<TEntryOffset> GetChildren(TEntryOffset directory) const;
    uint32_t GetSize(TEntryOffset file) const;
    uint32_t GetCrc32(TEntryOffset file) const;
    uint16_t GetFormat(TEntryOffset file) const;
    uint16_t GetFileFlags(TEntryOffset file) const;
    // Stored size; a raw file has no compressed-data header and gives its size.
    uint32_t GetCompressedSize(TEntryOffset file) const;
    // Chunk size in decoded bytes; 0 for raw files and single streams.
    uint32_t GetChunkSize(TEntryOffset file) const;
    TFileTime GetFileTime(TEntryOffset entry) const;
    // Names of the ancestors, each followed by "\": "\art\bitmaps\" for a
    // file in root\art\bitmaps, "\" for a child of the root, "" for the root.
    std::string GetPath(TEntryOffset entry) const;

    // Decodes the file's whole contents into a new buffer, checking the
    // CRC-32 and the size.
    TFileBuffer ReadFile(TEntryOffset file) const;
    // The same bytes handed to `sink` piece by piece -- a chunk at a time,
    // or a megabyte of a raw file; a single compressed stream comes whole --
    // so a big file never needs its size in memory. The CRC-32 and the size
    // are checked at the end: when this raises, the pieces handed over so
    // far must be thrown away.
    void ReadFilePieces(TEntryOffset file, const TPieceSink &sink) const;

    // Reading a file at any offset without decoding all of it (the mount).
    friend class TPieceReader; // reads a file piece by piece at any position
    struct TChunk {
        uint32_t m_UncompressedSize;
        uint32_t m_CompressedSize;
        uint32_t m_ExtraBytes;
        uint32_t m_Offset;
    };
    // Archive position of the file's stored bytes.
    uint64_t StoredStart(TEntryOffset file) const;
    // Reads up to `length` bytes at an archive position; fewer at its end.
    uint64_t ReadUpTo(uint64_t position, void *buffer, uint64_t length) const;
    // The chunks of a chunked file once they are checked against the
    // archive; `total` is what they decode to, `largest` the most one chunk
    // decodes to and `workSize` the most stored bytes of a compressed one.
    struct TCheckedChunks {
        std::vector<TChunk> chunks;
        uint64_t total = 0;
        uint32_t largest = 0;
        uint32_t workSize = 0;
    };
    TCheckedChunks CheckChunks(TEntryOffset file, uint64_t start) const;
    // Decodes one chunk to `output` (room for its decoded size); returns the
    // bytes written.
    uint32_t DecodeChunk(TEntryOffset file, uint64_t start, const TChunk &chunk, uint8_t *output,
                         TFileBuffer &work) const;
    // Raises the error of a file whose decoded bytes (`count` of them, with
    // the CRC-32 `crc`) do not match its entry.
    void CheckDecoded(TEntryOffset file, uint32_t crc, uint64_t count) const;

private:
    // Opens the file, then reads it (ReadArchive); a failure closes it again.
    void Open(const std::atomic<bool> *cancel);
    void ReadArchive(const std::atomic<bool> *cancel);
    void CheckExecutable() const;
    void LoadDescription();
    void LoadIndex(const std::atomic<bool> *cancel);
    void CheckRoot() const;

    // Raises unless [position, position + length) lies inside the index.
    void CheckIndexRange(uint64_t position, uint64_t length) const;
    uint16_t IndexU16(uint64_t position) const;
    uint32_t IndexU32(uint64_t position) const;
    uint32_t NameFieldPosition(TEntryOffset entry) const;
    uint64_t AfterNamePosition(TEntryOffset entry) const;
    std::vector<TChunk> ReadChunks(TEntryOffset file, uint32_t size, uint32_t chunkSize) const;

    // Reads exactly `length` bytes at `position`; raises "Stream read error".
    void ReadAt(uint64_t position, void *buffer, uint64_t length) const;
    void CheckStoredBytes(uint64_t start, uint64_t length) const;

    void ReadRaw(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const;
    void ReadStream(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const;
    void ReadChunked(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const;

    std::string m_FileName;
    int m_Handle = -1;
    uint64_t m_ArchiveSize = 0;
    TVornHeader m_Header;
    std::u16string m_Description;
    std::vector<uint8_t> m_Index;
};
