#include "engines/MountFile.h"

#include "archive/Crc32.h"
#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <algorithm>
#include <cstring>

namespace {

// A raw file's CRC-32 is gathered in blocks of this size.
constexpr uint64_t RawBlockSize = 64 * 1024;

const char *const CrcMessage = "CRC-32 differs from header";

} // namespace

TMountFile::TMountFile(const TVornFile &vorn, uint16_t archive, TEntryOffset entry, TDecodedCache &cache,
                       std::atomic<uint64_t> &decodedChunks)
    : m_Vorn(vorn), m_Archive(archive), m_Entry(entry), m_Cache(cache), m_DecodedChunks(decodedChunks)
{
    const uint16_t format = vorn.GetFormat(entry);
    if (format >= 3)
        throw Exception(FormatStr("Format %s (%d) is not supported", FormatToStr(format).c_str(), int(format)));
    m_Size = vorn.GetSize(entry);
    m_Start = vorn.StoredStart(entry);
    std::vector<uint64_t> pieces;
    if (format == DATAFORMAT_RAW) {
        for (uint64_t at = 0; at < m_Size; at += RawBlockSize)
            pieces.push_back(std::min(RawBlockSize, m_Size - at));
    } else if (vorn.GetChunkSize(entry) == 0) {
        m_Kind = TKind::Stream; // decoding the whole stream checks the CRC-32
    } else {
        m_Kind = TKind::Chunked;
        m_Chunks = vorn.CheckChunks(entry, m_Start);
        uint64_t at = 0;
        for (const auto &c : m_Chunks.chunks) {
            m_ChunkStarts.push_back(at);
            pieces.push_back(c.m_UncompressedSize);
            at += c.m_UncompressedSize;
        }
    }
    if (!pieces.empty())
        m_Coverage = std::make_unique<TCrcCoverage>(std::move(pieces), vorn.GetCrc32(entry));
}

size_t TMountFile::read(uint64_t offset, size_t size, uint8_t *out)
{
    if (m_Damaged)
        throw Exception(CrcMessage);
    if (offset >= m_Size)
        return 0;
    size = size_t(std::min<uint64_t>(size, m_Size - offset));
    if (m_Kind == TKind::Raw)
        readRaw(offset, size, out);
    else if (m_Kind == TKind::Stream)
        readStream(offset, size, out);
    else
        readChunked(offset, size, out);
    return size;
}

void TMountFile::readRaw(uint64_t offset, size_t size, uint8_t *out)
{
    if (m_Vorn.ReadUpTo(m_Start + offset, out, size) != size)
        throw Exception("vorn too small");
    // Every block this read holds whole counts towards the file's CRC-32.
    const uint64_t end = offset + size;
    for (uint64_t block = (offset + RawBlockSize - 1) / RawBlockSize; block * RawBlockSize < end; ++block) {
        const uint64_t blockStart = block * RawBlockSize;
        const uint64_t blockEnd = std::min(blockStart + RawBlockSize, m_Size);
        if (blockEnd > end)
            break;
        noteCrc(size_t(block), CalcCRC32(0, out + (blockStart - offset), size_t(blockEnd - blockStart)));
    }
}

void TMountFile::readStream(uint64_t offset, size_t size, uint8_t *out)
{
    TDecodedPiecePtr whole;
    {
        // One decode per file: a second reader waits for the first.
        const std::lock_guard lock(m_StreamMutex);
        const TPieceKey key{m_Archive, m_Entry, 0};
        if (!m_Stream)
            m_Stream = m_Cache.find(key);
        if (!m_Stream) {
            auto piece = std::make_shared<TDecodedPiece>();
            piece->bytes = m_Vorn.ReadFile(m_Entry); // checks the CRC-32 and the size
            m_Stream = std::move(piece);
            m_Cache.insert(key, m_Stream);
        }
        whole = m_Stream;
    }
    std::memcpy(out, whole->bytes.data() + offset, size);
}

void TMountFile::readChunked(uint64_t offset, size_t size, uint8_t *out)
{
    const uint64_t end = offset + size;
    if (end > m_Chunks.total)
        throw Exception("Size missmatch.");
    size_t index = size_t(std::upper_bound(m_ChunkStarts.begin(), m_ChunkStarts.end(), offset)
                          - m_ChunkStarts.begin()) - 1;
    for (uint64_t at = offset; at < end; ++index) {
        const TDecodedPiecePtr piece = chunk(index);
        noteCrc(index, piece->crc);
        const uint64_t inChunk = at - m_ChunkStarts[index];
        const uint64_t take = std::min<uint64_t>(end - at, piece->bytes.size() - inChunk);
        std::memcpy(out + (at - offset), piece->bytes.data() + inChunk, size_t(take));
        at += take;
    }
}

TDecodedPiecePtr TMountFile::chunk(size_t index)
{
    const TPieceKey key{m_Archive, m_Entry, uint32_t(index)};
    if (TDecodedPiecePtr cached = m_Cache.find(key))
        return cached;
    thread_local TFileBuffer work;
    if (work.size() < m_Chunks.workSize)
        work = TFileBuffer(m_Chunks.workSize);
    const auto &record = m_Chunks.chunks[index];
    auto piece = std::make_shared<TDecodedPiece>();
    piece->bytes = TFileBuffer(record.m_UncompressedSize);
    m_Vorn.DecodeChunk(m_Entry, m_Start, record, piece->bytes.data(), work);
    piece->crc = CalcCRC32(0, piece->bytes.data(), piece->bytes.size());
    ++m_DecodedChunks;
    m_Cache.insert(key, piece);
    return piece;
}

void TMountFile::noteCrc(size_t piece, uint32_t crc)
{
    if (m_Coverage && m_Coverage->add(piece, crc) == TCrcCoverage::TVerdict::Differs) {
        m_Damaged = true;
        throw Exception(CrcMessage);
    }
}
