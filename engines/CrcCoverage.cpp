#include "engines/CrcCoverage.h"

#include "archive/Crc32.h"

TCrcCoverage::TCrcCoverage(std::vector<uint64_t> pieceSizes, uint32_t storedCrc)
    : m_Sizes(std::move(pieceSizes)), m_Crcs(m_Sizes.size()), m_Seen(m_Sizes.size()),
      m_Missing(m_Sizes.size()), m_StoredCrc(storedCrc)
{
}

TCrcCoverage::TVerdict TCrcCoverage::add(size_t index, uint32_t crc)
{
    const std::lock_guard lock(m_Mutex);
    if (m_StoredCrc == 0 || index >= m_Seen.size() || m_Seen[index])
        return TVerdict::Incomplete;
    m_Seen[index] = true;
    m_Crcs[index] = crc;
    if (--m_Missing > 0)
        return TVerdict::Incomplete;
    uint32_t whole = 0;
    for (size_t i = 0; i < m_Crcs.size(); ++i)
        whole = CombineCRC32(whole, m_Crcs[i], m_Sizes[i]);
    return whole == m_StoredCrc ? TVerdict::Matches : TVerdict::Differs;
}
