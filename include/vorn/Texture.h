#pragma once
// The game's raw textures ("ipaR" files with 8888 pixels) as pictures, and
// pictures as PNG files.

#include "vorn/Export.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

struct Texture {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> rgba; // 4 bytes per pixel, top row first
};

// Decodes the first surface of a raw texture; throws Error with the reason
// ("Invalid file!", "Unsupported Pixelformat!", ...) when it is none.
VORN_API Texture decodeTexture(const uint8_t *data, size_t size);

// The picture as a PNG file (8-bit RGBA, alpha as stored).
VORN_API std::vector<uint8_t> encodePng(const Texture &texture);

} // namespace vorn
