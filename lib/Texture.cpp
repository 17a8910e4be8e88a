#include "vorn/Texture.h"

#include "vorn/Error.h"

#include <cstring>

namespace vorn {

namespace {

constexpr size_t HeaderSize = 16;
constexpr size_t BytesPerPixel = 4;

uint16_t ReadU16(const uint8_t *p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

} // namespace

Texture decodeTexture(const uint8_t *data, size_t size)
{
    if (!data || size < HeaderSize || std::memcmp(data, "ipaR", 4) != 0)
        throw Error("Invalid file!");
    if (std::memcmp(data + 4, "8888", 4) != 0)
        throw Error("Unsupported Pixelformat!");
    if (ReadU16(data + 10) == 0)
        throw Error("No surface present!");
    Texture texture;
    texture.width = ReadU16(data + 12);
    texture.height = ReadU16(data + 14);
    if (texture.width == 0 || texture.height == 0)
        throw Error("Texture has no pixels!");
    const size_t rowBytes = size_t(texture.width) * BytesPerPixel;
    if (size - HeaderSize < rowBytes * texture.height)
        throw Error("Texture data is incomplete!");
    // Stored bottom row first, each pixel blue, green, red, alpha.
    texture.rgba.resize(rowBytes * texture.height);
    for (size_t stored = 0; stored < texture.height; ++stored) {
        const uint8_t *from = data + HeaderSize + stored * rowBytes;
        uint8_t *to = texture.rgba.data() + (texture.height - 1 - stored) * rowBytes;
        for (size_t x = 0; x < rowBytes; x += BytesPerPixel) {
            to[x] = from[x + 2];
            to[x + 1] = from[x + 1];
            to[x + 2] = from[x];
            to[x + 3] = from[x + 3];
        }
    }
    return texture;
}

} // namespace vorn
