#include "viewers/ImageDecoder.h"

#include "archive/Exceptions.h"
#include "viewers/BitmapFormat.h"
#include "viewers/RawFormat.h"
#include "viewers/ViewHandler.h"

namespace {

bool IsBitmapName(const QString &fileName)
{
    return ExtractExtension(fileName) == u".bmp";
}

bool IsTextureName(const QString &fileName)
{
    return ExtractExtension(fileName) == u".raw";
}

} // namespace

bool TImageDecoder::IsImageName(const QString &fileName)
{
    return IsBitmapName(fileName) || IsTextureName(fileName);
}

QImage TImageDecoder::Decode(const QString &fileName, const uint8_t *data, int64_t size)
{
    if (IsTextureName(fileName))
        return TRawFormat::DecodeTexture(data, size);
    if (IsBitmapName(fileName))
        return TBitmapFormat::DecodeBitmap(data, size);
    throw Exception("Not an image file");
}
