#include "archive/PieceReader.h"

#include "archive/Crc32.h"
#include "archive/Decode.h"
#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <algorithm>
#include <cstring>

namespace {

// A raw file is read in pieces of this size.
constexpr uint32_t RawPieceSize = 1u << 20;

} // namespace

TPieceReader::TPieceReader(const TVornFile &vorn, TEntryOffset file) : m_Vorn(vorn), m_File(file)
{
    if (vorn.IsDirectory(file))
        throw Exception(FormatStr("%d is not a valid FileEntry offset.", int32_t(file)));
    m_Format = vorn.GetFormat(file);
    if (m_Format >= 3)
        throw Exception(FormatStr("Format %s (%d) is not supported", FormatToStr(m_Format).c_str(), int(m_Format)));
    m_Start = uint64_t(vorn.m_Header.m_DataOffset) + vorn.IndexU32(uint64_t(file) + 8);
    m_Size = vorn.GetSize(file);
    if (m_Format == DATAFORMAT_RAW)
        PlanRaw();
    else if (vorn.GetChunkSize(file) == 0)
        m_SingleStream = true;
    else
        PlanChunked();
    if (m_SingleStream)
        m_Pieces.push_back({0, uint32_t(m_Size), {}});
}

void TPieceReader::PlanRaw()
{
    m_Vorn.CheckStoredBytes(m_Start, m_Size);
    for (uint64_t at = 0; at < m_Size; at += RawPieceSize)
        m_Pieces.push_back({at, uint32_t(std::min<uint64_t>(RawPieceSize, m_Size - at)), {}});
}

void TPieceReader::PlanChunked()
{
    const TVornFile::TCheckedChunks checked = m_Vorn.CheckChunks(m_File, m_Start);
    // Chunks that add up to less than the file would leave a hole no read
    // can fill; reading the file whole fails the same way.
    if (checked.total != m_Size)
        throw Exception("Size missmatch.");
    m_Work = TFileBuffer(checked.workSize);
    uint64_t at = 0;
    for (const TVornFile::TChunk &chunk : checked.chunks) {
        m_Pieces.push_back({at, chunk.m_UncompressedSize, chunk});
        at += chunk.m_UncompressedSize;
    }
}

size_t TPieceReader::PieceAt(uint64_t position) const
{
    const auto after = std::upper_bound(m_Pieces.begin(), m_Pieces.end(), position,
                                        [](uint64_t p, const TPiece &piece) { return p < piece.DecodedStart; });
    return size_t(after - m_Pieces.begin()) - 1;
}

void TPieceReader::DecodePiece(size_t k, uint8_t *output)
{
    const TPiece &piece = m_Pieces[k];
    if (m_Format == DATAFORMAT_RAW) {
        m_Vorn.ReadAt(m_Start + piece.DecodedStart, output, piece.DecodedSize);
    } else if (!m_SingleStream) {
        m_Vorn.DecodeChunk(m_File, m_Start, piece.Chunk, output, m_Work);
    } else {
        const uint32_t stored = m_Vorn.GetCompressedSize(m_File);
        m_Vorn.CheckStoredBytes(m_Start, stored);
        if (m_Size > MaxDecodedSize(stored))
            throw Exception(FormatStr("Damaged index: %u stored bytes can't decode to %u bytes", stored,
                                      uint32_t(m_Size)));
        TFileBuffer work(stored);
        m_Vorn.ReadAt(m_Start, work.data(), stored);
        const uint32_t produced = DecodeBlock(m_Format, output, uint32_t(m_Size), stored, work.data());
        m_Vorn.CheckDecoded(m_File, CalcCRC32(0, output, produced), produced);
    }
}

void TPieceReader::LoadPiece(size_t k)
{
    if (k == m_CurrentPiece)
        return;
    m_CurrentPiece = SIZE_MAX;
    if (m_Current.size() < m_Pieces[k].DecodedSize)
        m_Current = TFileBuffer(m_Pieces[k].DecodedSize);
    DecodePiece(k, m_Current.data());
    CheckInOrder(k, m_Current.data());
    m_CurrentPiece = k;
}

void TPieceReader::CheckInOrder(size_t k, const uint8_t *data)
{
    const TPiece &piece = m_Pieces[k];
    if (m_SingleStream || piece.DecodedStart != m_CheckedUpTo)
        return; // a single stream is checked as it is decoded
    m_Crc = CalcCRC32(m_Crc, data, piece.DecodedSize, false);
    m_CheckedUpTo += piece.DecodedSize;
    if (m_CheckedUpTo == m_Size)
        m_Vorn.CheckDecoded(m_File, ~m_Crc, m_CheckedUpTo);
}

size_t TPieceReader::Read(uint64_t position, uint8_t *buffer, size_t length)
{
    if (m_Size == 0) { // nothing to hand out, but the stored CRC-32 still has to hold
        if (m_Pieces.empty())
            m_Vorn.CheckDecoded(m_File, 0, 0);
        else
            LoadPiece(0);
        return 0;
    }
    size_t done = 0;
    while (done < length && position + done < m_Size) {
        const uint64_t at = position + done;
        const size_t k = PieceAt(at);
        LoadPiece(k);
        const TPiece &piece = m_Pieces[k];
        const uint64_t inPiece = at - piece.DecodedStart;
        const size_t n = size_t(std::min<uint64_t>(piece.DecodedSize - inPiece, length - done));
        std::memcpy(buffer + done, m_Current.data() + inPiece, n);
        done += n;
    }
    return done;
}

void TPieceReader::ReadAll(uint8_t *destination)
{
    m_CheckedUpTo = 0;
    m_Crc = 0xFFFFFFFF;
    // An empty file still has its stored CRC-32 to answer to.
    if (m_Pieces.empty())
        m_Vorn.CheckDecoded(m_File, 0, 0);
    for (size_t k = 0; k < m_Pieces.size(); ++k) {
        uint8_t *output = destination + m_Pieces[k].DecodedStart;
        DecodePiece(k, output);
        CheckInOrder(k, output);
    }
}
