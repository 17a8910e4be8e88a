#pragma once
// TPieceReader: a file of an open archive read at any position. The file is
// decoded in the pieces it is stored in -- a chunk of a chunked file, a
// megabyte of a raw file, a single compressed stream whole -- and a read
// decodes only the pieces that hold the bytes asked for, keeping the last
// one for the next read. The CRC-32 and the size are checked once the file
// has been read from its start to its end in order; a read that completes a
// damaged file raises, and the bytes handed out before must be thrown away.
// One reader serves one thread at a time; the archive must stay open.

#include "archive/vmVornFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TPieceReader {
public:
    // Raises the errors ReadFile raises before decoding anything: a folder,
    // an unknown format, stored bytes beyond the archive, damaged chunks.
    TPieceReader(const TVornFile &vorn, TEntryOffset file);

    uint64_t Size() const { return m_Size; }
    // Copies up to `length` decoded bytes from `position` to `buffer` and
    // returns how many; 0 at or after the end.
    size_t Read(uint64_t position, uint8_t *buffer, size_t length);
    // The whole file decoded straight into `destination` (Size() bytes of
    // room), with the CRC-32 and the size checked.
    void ReadAll(uint8_t *destination);

private:
    struct TPiece {
        uint64_t DecodedStart = 0;
        uint32_t DecodedSize = 0;
        TVornFile::TChunk Chunk{}; // chunked files only
    };

    void PlanRaw();
    void PlanChunked();
    size_t PieceAt(uint64_t position) const;
    // Decodes piece `k` into `output` (room for its decoded size).
    void DecodePiece(size_t k, uint8_t *output);
    void LoadPiece(size_t k);
    // Adds a freshly decoded piece to the running check when it continues
    // the bytes checked so far; raises when it completes a damaged file.
    void CheckInOrder(size_t k, const uint8_t *data);

    const TVornFile &m_Vorn;
    TEntryOffset m_File;
    uint16_t m_Format = 0;
    uint64_t m_Start = 0; // where the stored bytes begin in the archive
    uint64_t m_Size = 0;
    bool m_SingleStream = false;
    std::vector<TPiece> m_Pieces;
    TFileBuffer m_Work;
    TFileBuffer m_Current;       // the decoded bytes of piece m_CurrentPiece
    size_t m_CurrentPiece = SIZE_MAX;
    uint64_t m_CheckedUpTo = 0;  // decoded bytes [0, m_CheckedUpTo) are in m_Crc
    uint32_t m_Crc = 0xFFFFFFFF; // the running register
};
