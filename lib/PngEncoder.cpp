// encodePng: a texture as an 8-bit RGBA PNG file -- signature, IHDR, one
// zlib-compressed IDAT with no row filters, IEND.

#include "vorn/Texture.h"

#include "vorn/Error.h"

#include "archive/Crc32.h"

#include <libdeflate.h>

#include <memory>
#include <string_view>

namespace vorn {

namespace {

void PutU32(std::vector<uint8_t> &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t> &out, std::string_view type, const uint8_t *data, size_t size)
{
    PutU32(out, uint32_t(size));
    const size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    PutU32(out, CalcCRC32(0, out.data() + typeStart, out.size() - typeStart));
}

std::vector<uint8_t> Compressed(const std::vector<uint8_t> &raw)
{
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    if (!compressor)
        throw Error("Not enough memory to write the PNG file");
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
    out.resize(libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(), out.data(), out.size()));
    if (out.empty())
        throw Error("The PNG file could not be compressed");
    return out;
}

} // namespace

std::vector<uint8_t> encodePng(const Texture &texture)
{
    const size_t rowBytes = size_t(texture.width) * 4;
    if (texture.width == 0 || texture.height == 0 || texture.rgba.size() != rowBytes * texture.height)
        throw Error("The picture's size does not match its pixels");
    // Each row is preceded by its filter type, 0 (none).
    std::vector<uint8_t> rows;
    rows.reserve((rowBytes + 1) * texture.height);
    for (size_t y = 0; y < texture.height; ++y) {
        rows.push_back(0);
        const uint8_t *row = texture.rgba.data() + y * rowBytes;
        rows.insert(rows.end(), row, row + rowBytes);
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32(header, texture.width);
    PutU32(header, texture.height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filters, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    const std::vector<uint8_t> data = Compressed(rows);
    PutChunk(png, "IDAT", data.data(), data.size());
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace vorn
