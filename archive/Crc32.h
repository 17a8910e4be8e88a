#pragma once
// CRC-32 (ISO 3309 / ITU-T V.42, reflected polynomial 0xEDB88320), as zlib's crc32.

#include <cstddef>
#include <cstdint>

// With `whole` the start value 0xFFFFFFFF and the final complement are
// applied and `crc` is ignored; otherwise the bytes continue the running
// (uncomplemented) value `crc` and the new running value is returned.
uint32_t CalcCRC32(uint32_t crc, const uint8_t *data, size_t length, bool whole = true);

// The CRC-32 of two byte ranges one after the other, from the CRC-32 of each
// and the length of the second (all whole computations).
uint32_t CombineCRC32(uint32_t first, uint32_t second, uint64_t secondLength);
