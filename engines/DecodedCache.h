#pragma once
// TDecodedCache: decoded bytes kept for the next read, bounded by their
// total size; the least recently used piece goes first. A piece is a whole
// file or one chunk of a chunked file. Safe to use from several threads.

#include "archive/FileBuffer.h"

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

struct TDecodedPiece {
    TFileBuffer bytes;
    uint32_t crc = 0; // CRC-32 of the bytes
};
using TDecodedPiecePtr = std::shared_ptr<const TDecodedPiece>;

struct TPieceKey {
    uint16_t archive = 0;
    uint32_t entry = 0;
    uint32_t piece = 0; // chunk number; 0 for a whole file

    bool operator==(const TPieceKey &) const = default;
};

class TDecodedCache {
public:
    explicit TDecodedCache(uint64_t limitBytes) : m_Limit(limitBytes) {}

    // The piece, now the most recently used; null when it is not kept.
    TDecodedPiecePtr find(const TPieceKey &key);
    // Keeps the piece, dropping the least recently used ones to stay within
    // the limit. A piece larger than the whole limit is not kept.
    void insert(const TPieceKey &key, TDecodedPiecePtr piece);
    uint64_t bytes() const;

private:
    struct TKeyHash {
        size_t operator()(const TPieceKey &key) const
        {
            return std::hash<uint64_t>()((uint64_t(key.archive) << 48) ^ (uint64_t(key.entry) << 16) ^ key.piece
                                         ^ (uint64_t(key.piece) << 40));
        }
    };
    using TUseList = std::list<std::pair<TPieceKey, TDecodedPiecePtr>>;

    mutable std::mutex m_Mutex;
    const uint64_t m_Limit;
    uint64_t m_Bytes = 0;
    TUseList m_Uses; // most recently used first
    std::unordered_map<TPieceKey, TUseList::iterator, TKeyHash> m_Index;
};
