#pragma once
// TMountFile: one archive file read at any offset, as a mounted folder reads
// it. A raw file is read straight from the archive; a chunked file decodes
// only the chunks a read touches; a single compressed stream is decoded once,
// whole. Decoded bytes go through the shared cache. The file's CRC-32 is
// checked once it has been read from start to end; a file found damaged
// that way refuses every later read. Safe to read from several threads.

#include "engines/CrcCoverage.h"
#include "engines/DecodedCache.h"

#include "archive/vmVornFile.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TMountFile {
public:
    // Raises when the file's chunk table is damaged or its format unknown.
    TMountFile(const TVornFile &vorn, uint16_t archive, TEntryOffset entry, TDecodedCache &cache,
               std::atomic<uint64_t> &decodedChunks);

    // Copies the bytes [offset, offset + size) that exist to `out` and
    // returns how many (0 at the end). Raises the reader's Exception when
    // the bytes can't be had or the completed file fails its CRC-32.
    size_t read(uint64_t offset, size_t size, uint8_t *out);
    bool damaged() const { return m_Damaged; }
    void markDamaged() { m_Damaged = true; }
    uint64_t size() const { return m_Size; }

private:
    enum class TKind { Raw, Stream, Chunked };

    void readRaw(uint64_t offset, size_t size, uint8_t *out);
    void readStream(uint64_t offset, size_t size, uint8_t *out);
    void readChunked(uint64_t offset, size_t size, uint8_t *out);
    TDecodedPiecePtr chunk(size_t index);
    void noteCrc(size_t piece, uint32_t crc);

    const TVornFile &m_Vorn;
    const uint16_t m_Archive;
    const TEntryOffset m_Entry;
    TDecodedCache &m_Cache;
    std::atomic<uint64_t> &m_DecodedChunks;
    TKind m_Kind = TKind::Raw;
    uint64_t m_Size = 0;
    uint64_t m_Start = 0; // archive position of the stored bytes
    TVornFile::TCheckedChunks m_Chunks;
    std::vector<uint64_t> m_ChunkStarts; // decoded position of each chunk
    std::mutex m_StreamMutex;
    TDecodedPiecePtr m_Stream; // a single stream, kept while the file is open
    std::unique_ptr<TCrcCoverage> m_Coverage;
    std::atomic<bool> m_Damaged = false;
};
