#include "archive/Decode.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFileDef.h"

#include <libdeflate.h>
#include <lzo/lzo1x.h>

#include <memory>
#include <string>

namespace {

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

// One decompressor per thread: extraction decodes on several threads.
libdeflate_decompressor *ThreadDecompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor)
        throw EDecompressionError("Not enough memory for the zlib decoder");
    return decompressor.get();
}

// zlib refuses a bad two-byte header with an error, and stops on a preset
// dictionary (FDICT) asking for it, which is not an error code.
void CheckZlibHeader(const uint8_t *source, uint32_t sourceSize)
{
    if (sourceSize < 2)
        throw EDecompressionError("ZLib error: the stream ends before its header");
    const unsigned cmf = source[0];
    const unsigned flg = source[1];
    const bool valid = ((cmf << 8) | flg) % 31 == 0 && (cmf & 0x0F) == 8 && (cmf >> 4) <= 7;
    if (!valid)
        throw EDecompressionError("ZLib error: the stream does not start with a zlib header");
    if (flg & 0x20)
        throw EZlibError("ZLib error: target buffer may be too small");
}

// Says what is wrong with a zlib stream libdeflate refused. Only on failure:
// the deflate data is decoded once more without the zlib wrapper (which cuts
// off the last four bytes as the trailer, even when the data needs them), so
// a sound body tells a bad or missing Adler-32 trailer from damaged data.
std::string FailureMessage(uint8_t *destination, uint32_t destinationSize, uint32_t sourceSize,
                           const uint8_t *source)
{
    constexpr uint32_t HeaderSize = 2;
    constexpr uint32_t TrailerSize = 4;
    size_t consumed = 0;
    size_t produced = 0;
    const libdeflate_result body = libdeflate_deflate_decompress_ex(
        ThreadDecompressor(), source + HeaderSize, sourceSize - HeaderSize, destination, destinationSize,
        &consumed, &produced);
    if (body == LIBDEFLATE_INSUFFICIENT_SPACE)
        return FormatStr("ZLib error: the stream decodes to more than %u bytes", destinationSize);
    if (body != LIBDEFLATE_SUCCESS)
        return "ZLib error: the stream is damaged or ends early";
    if (sourceSize - HeaderSize - consumed < TrailerSize)
        return "ZLib error: the stream ends before its Adler-32 checksum";
    return "ZLib error: the Adler-32 checksum of the stream differs";
}

uint32_t DecodeZlib(uint8_t *destination, uint32_t destinationSize, uint32_t sourceSize,
                    const uint8_t *source)
{
    CheckZlibHeader(source, sourceSize);
    size_t consumed = 0;
    size_t produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        ThreadDecompressor(), source, sourceSize, destination, destinationSize, &consumed, &produced);
    if (result != LIBDEFLATE_SUCCESS)
        throw EDecompressionError(FailureMessage(destination, destinationSize, sourceSize, source));
    // The count is what the stream really produced, so a short stream is
    // caught by the CRC and size checks instead of exposing stale memory.
    return uint32_t(produced);
}

uint32_t DecodeLzo(uint8_t *destination, uint32_t destinationSize, uint32_t sourceSize,
                   const uint8_t *source)
{
    static const bool initialised = lzo_init() == LZO_E_OK;
    lzo_uint produced = destinationSize;
    if (!initialised
        || lzo1x_decompress_safe(source, sourceSize, destination, &produced, nullptr) != LZO_E_OK)
        throw Exception("lzo decompression error");
    return uint32_t(produced);
}

} // namespace

uint32_t DecodeBlock(uint16_t format, uint8_t *destination, uint32_t destinationSize,
                     uint32_t sourceSize, const uint8_t *source)
{
    switch (format) {
    case DATAFORMAT_ZLIB:
        return DecodeZlib(destination, destinationSize, sourceSize, source);
    case DATAFORMAT_LZO:
        return DecodeLzo(destination, destinationSize, sourceSize, source);
    case DATAFORMAT_RAW:
        throw Exception("DATAFORMAT_RAW should have been handled earlier!");
    default:
        throw Exception(FormatStr("Format %u is not supported", unsigned(format)));
    }
}

uint64_t MaxDecodedSize(uint64_t storedSize)
{
    return storedSize * 1032 + 1024;
}
