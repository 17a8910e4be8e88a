#pragma once
// TCrcCoverage: checks a file's CRC-32 once it has been read from start to
// end, whatever the order of the reads. The file is split into pieces (its
// chunks, or blocks of a raw file); each piece's CRC-32 is noted when a read
// has produced all of it, and when every piece has been seen their CRCs are
// combined into the file's and compared with the stored one. Safe to use
// from several threads.

#include <cstdint>
#include <mutex>
#include <vector>

class TCrcCoverage {
public:
    enum class TVerdict { Incomplete, Matches, Differs };

    // `pieceSizes` in file order; `storedCrc` 0 means nothing is checked.
    TCrcCoverage(std::vector<uint64_t> pieceSizes, uint32_t storedCrc);

    // Notes the CRC-32 of piece `index`; a piece seen before is not counted
    // again. Matches or Differs once, when the last missing piece arrives.
    TVerdict add(size_t index, uint32_t crc);

private:
    std::mutex m_Mutex;
    std::vector<uint64_t> m_Sizes;
    std::vector<uint32_t> m_Crcs;
    std::vector<bool> m_Seen;
    size_t m_Missing;
    uint32_t m_StoredCrc;
};
