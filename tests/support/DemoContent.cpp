#include "tests/support/DemoContent.h"

Bytes MakeBitmap(int width, int height)
{
    const uint32_t rowSize = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowSize * uint32_t(height);
    Bytes b(54 + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, uint32_t(b.size()));
    PutU32(b, 10, 54);
    PutU32(b, 14, 40);
    PutU32(b, 18, uint32_t(width));
    PutU32(b, 22, uint32_t(height));
    PutU16(b, 26, 1);
    PutU16(b, 28, 24);
    PutU32(b, 34, pixelBytes);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = &b[54 + y * rowSize + x * 3];
            p[0] = uint8_t(255 * x / std::max(1, width - 1));  // blue
            p[1] = uint8_t(255 * y / std::max(1, height - 1)); // green
            p[2] = 128;                                         // red
        }
    return b;
}

Bytes MakeRawTexture(uint16_t width, uint16_t height, const Bytes &bgraPixels, uint16_t surfaces)
{
    Bytes b(16, 0);
    b[0] = 'i'; b[1] = 'p'; b[2] = 'a'; b[3] = 'R';
    b[4] = '8'; b[5] = '8'; b[6] = '8'; b[7] = '8';
    PutU16(b, 10, surfaces);
    PutU16(b, 12, width);
    PutU16(b, 14, height);
    b.insert(b.end(), bgraPixels.begin(), bgraPixels.end());
    return b;
}

namespace {

Bytes Checkerboard(uint16_t size)
{
    Bytes pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            pixels.insert(pixels.end(), {uint8_t(dark ? 40 : 220), uint8_t(dark ? 90 : 180),
                                         uint8_t(dark ? 160 : 60), 255});
        }
    return pixels;
}

} // namespace

void AddDemoContent(VornWriter &w)
{
    const TFileTime t1 = MakeFileTime(2003, 5, 14, 17, 4, 8);
    const TFileTime t2 = MakeFileTime(2004, 2, 29, 9, 30, 0);
    w.header.m_ProductVersion.m_Numbers = {1, 0, 1234, 5, 6, 7};
    w.header.m_MinimumVersion.m_Numbers = {1, 0, 1000, 0, 0, 0};
    w.header.m_Priority = 0x23000;
    w.header.m_Flags = 3;
    w.header.m_CreatorId = {'D', 'E', 'M', 'O'};
    w.header.m_GUID = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    w.header.m_UtcBuildTime = {2003, 5, 3, 14, 17, 4, 9, 120};
    w.header.m_TitleText = u"VornViewer demo archive";
    w.header.m_CopyrightText = u"(c) the VornViewer developers";
    w.header.m_AuthorText = u"VornViewer";
    w.header.m_BuildText = u"demo build 1";
    w.description = u"A small archive that shows every kind of entry the viewer handles.";

    const auto art = w.addDir(0, "art", t1);
    const auto bitmaps = w.addDir(art, "bitmaps", t1);
    const auto textures = w.addDir(art, "textures", t2);
    const auto scripts = w.addDir(0, "scripts", t2);
    const auto maps = w.addDir(0, "maps", t2);
    w.addDir(0, "empty", t2);

    w.addFile(bitmaps, {.name = "banner.bmp", .data = MakeBitmap(200, 100), .format = DATAFORMAT_ZLIB, .time = t1});
    w.addFile(bitmaps, {.name = "PIC.BMP", .data = MakeBitmap(64, 64), .time = t1});
    w.addFile(textures, {.name = "checker.raw", .data = MakeRawTexture(64, 64, Checkerboard(64)),
                         .format = DATAFORMAT_LZO, .chunkSize = 4096, .time = t2});
    w.addFile(scripts, {.name = "readme.txt",
                        .data = TextBytes("Welcome to the VornViewer demo archive.\r\nEvery file here was made by the test writer.\r\n"),
                        .time = t1});
    w.addFile(scripts, {.name = "quest.lua", .data = TextLikeBytes(20000, 3), .format = DATAFORMAT_ZLIB,
                        .chunkSize = 8192, .extraBytes = 5, .time = t2});
    w.addFile(scripts, {.name = "$system.cfg", .data = TextBytes("debug=0\nfullscreen=1\n"), .time = t2});
    w.addFile(scripts, {.name = "old_quest.lua", .data = TextBytes("-- retired\n"), .time = t1, .flags = FILEFLAG_STRUCK_OUT});
    w.addFile(maps, {.name = "world.vmmap", .data = TextLikeBytes(8 * 1024 * 1024, 11),
                     .format = DATAFORMAT_ZLIB, .chunkSize = 65536, .time = t2});
    w.addFile(maps, {.name = "heightmap.bin", .data = PatternBytes(300000, 5), .format = DATAFORMAT_LZO, .time = t2});
    w.addFile(0, {.name = "empty.txt", .data = {}, .time = t1});
}
