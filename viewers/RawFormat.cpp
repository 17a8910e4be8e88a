#include "viewers/RawFormat.h"

#include "archive/Exceptions.h"
#include "viewers/ImageFormat.h"

#include <QImage>
#include <cstring>
#include <exception>

namespace {

constexpr int64_t kHeaderSize = 16;
constexpr int kBytesPerPixel = 4;

uint16_t ReadU16(const uint8_t *at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

} // namespace

QImage TRawFormat::DecodeTexture(const uint8_t *data, int64_t size)
{
    if (!data || size < kHeaderSize || std::memcmp(data, "ipaR", 4) != 0)
        throw Exception("Invalid file!");
    if (std::memcmp(data + 4, "8888", 4) != 0)
        throw Exception("Unsupported Pixelformat!");
    if (ReadU16(data + 10) == 0)
        throw Exception("No surface present!");
    const int width = ReadU16(data + 12);
    const int height = ReadU16(data + 14);
    if (width == 0 || height == 0)
        throw Exception("Texture has no pixels!");
    const int64_t rowBytes = int64_t(width) * kBytesPerPixel;
    if (size - kHeaderSize < rowBytes * height)
        throw Exception("Texture data is incomplete!");

    QImage picture(width, height, QImage::Format_ARGB32);
    if (picture.isNull())
        throw Exception("Not enough memory for the texture!");
    const uint8_t *row = data + kHeaderSize;
    for (int stored = 0; stored < height; ++stored, row += rowBytes) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(height - 1 - stored));
        for (int x = 0; x < width; ++x) {
            const uint8_t *pixel = row + int64_t(x) * kBytesPerPixel;
            line[x] = qRgba(pixel[2], pixel[1], pixel[0], pixel[3]);
        }
    }
    return picture;
}

TDeclinedBuffer TRawFormat::InternalView(const QString &fileName, TFileBuffer buffer,
                                         QWidget *mainWindow)
{
    QImage picture;
    try {
        picture = DecodeTexture(buffer.data(), buffer.size());
    } catch (const std::exception &) {
        return buffer; // a bad texture goes on to the text or hex viewer
    }
    // The buffer is kept until the window is up, so that a failure to show
    // it still leaves intact bytes for the text or hex viewer.
    try {
        ShowImageWindow(picture, fileName, mainWindow);
    } catch (const std::exception &) {
        return buffer;
    }
    return std::nullopt;
}

bool TRawFormat::CanViewFormat(const QString &extension)
{
    return extension == u".raw";
}

int TRawFormat::IconIndex(const QString &)
{
    return ImageFormatIconIndex;
}

QString TRawFormat::FormatDescription(const QString &)
{
    return QStringLiteral("Texture");
}
