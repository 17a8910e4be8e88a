#include "engines/DecodedCache.h"

TDecodedPiecePtr TDecodedCache::find(const TPieceKey &key)
{
    const std::lock_guard lock(m_Mutex);
    const auto found = m_Index.find(key);
    if (found == m_Index.end())
        return nullptr;
    m_Uses.splice(m_Uses.begin(), m_Uses, found->second);
    return found->second->second;
}

void TDecodedCache::insert(const TPieceKey &key, TDecodedPiecePtr piece)
{
    const uint64_t size = piece->bytes.size();
    if (size > m_Limit)
        return;
    const std::lock_guard lock(m_Mutex);
    if (const auto found = m_Index.find(key); found != m_Index.end()) {
        // Two readers decoded the same piece at once; the first one stays.
        m_Uses.splice(m_Uses.begin(), m_Uses, found->second);
        return;
    }
    while (m_Bytes + size > m_Limit) {
        m_Bytes -= m_Uses.back().second->bytes.size();
        m_Index.erase(m_Uses.back().first);
        m_Uses.pop_back();
    }
    m_Uses.emplace_front(key, std::move(piece));
    m_Index.emplace(key, m_Uses.begin());
    m_Bytes += size;
}

uint64_t TDecodedCache::bytes() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Bytes;
}
