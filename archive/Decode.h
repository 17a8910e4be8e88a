#pragma once
// Decompression of one stored stream (zlib or LZO1X) into a caller's buffer.

#include <cstdint>

// Decodes `sourceSize` bytes at `source` into at most `destinationSize` bytes
// at `destination` and returns the number of bytes the stream produced.
// Raises "lzo decompression error", EDecompressionError (a damaged zlib
// stream, its message says what is wrong with it), EZlibError (a preset
// dictionary) or, for DATAFORMAT_RAW, a generic Exception.
uint32_t DecodeBlock(uint16_t format, uint8_t *destination, uint32_t destinationSize,
                     uint32_t sourceSize, const uint8_t *source);

// The largest output a stream of `storedSize` bytes can produce in any
// supported format (deflate's limit is about 1032:1; LZO1X's is lower).
uint64_t MaxDecodedSize(uint64_t storedSize);
