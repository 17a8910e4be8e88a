#pragma once
// The demo archive's contents, also used by tests that want a realistic tree.

#include "tests/support/VornWriter.h"

// A Windows bitmap (24 bits per pixel) of the given size with a colour ramp.
Bytes MakeBitmap(int width, int height);
// A raw texture ("ipaR", "8888") with the given pixels, bottom row first.
Bytes MakeRawTexture(uint16_t width, uint16_t height, const Bytes &bgraPixels, uint16_t surfaces = 1);

void AddDemoContent(VornWriter &writer);
