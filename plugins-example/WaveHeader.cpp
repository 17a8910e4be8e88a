#include "plugins-example/WaveHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t kRiffHeaderSize = 12;
constexpr int64_t kChunkHeaderSize = 8;
constexpr uint32_t kFmtMinimumSize = 16;

uint16_t U16(const uint8_t *at)
{
    return uint16_t(at[0] | (at[1] << 8));
}

uint32_t U32(const uint8_t *at)
{
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24);
}

void ReadFormatChunk(const uint8_t *chunk, TWaveHeader &header)
{
    header.formatTag = U16(chunk);
    header.channels = U16(chunk + 2);
    header.sampleRate = U32(chunk + 4);
    header.byteRate = U32(chunk + 8);
    header.bitsPerSample = U16(chunk + 14);
}

} // namespace

std::optional<TWaveHeader> ReadWaveHeader(const uint8_t *data, int64_t size)
{
    if (!data || size < kRiffHeaderSize || std::memcmp(data, "RIFF", 4) != 0
        || std::memcmp(data + 8, "WAVE", 4) != 0)
        return std::nullopt;
    TWaveHeader header;
    bool haveFormat = false;
    int64_t at = kRiffHeaderSize;
    while (at + kChunkHeaderSize <= size) {
        const uint8_t *chunk = data + at;
        const uint32_t chunkSize = U32(chunk + 4);
        const int64_t available = size - at - kChunkHeaderSize;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < kFmtMinimumSize || available < kFmtMinimumSize)
                return std::nullopt;
            ReadFormatChunk(chunk + kChunkHeaderSize, header);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // A cut-off file still shows the sound that is really there.
            header.dataSize = uint32_t(std::min<int64_t>(chunkSize, available));
        }
        at += kChunkHeaderSize + chunkSize + (chunkSize & 1); // chunks are padded to even sizes
    }
    if (!haveFormat)
        return std::nullopt;
    return header;
}
