#include "viewers/PngConversion.h"

#include "viewers/ImageDecoder.h"
#include "viewers/PngWriter.h"

#include <QImage>
#include <cstring>
#include <exception>

bool TPngConversion::Claims(const std::string &name) const
{
    return TImageDecoder::IsImageName(QString::fromStdString(name));
}

std::string TPngConversion::ConvertedName(const std::string &name) const
{
    return name + ".png";
}

std::optional<TFileBuffer> TPngConversion::Convert(const std::string &name, const TFileBuffer &data) const
{
    QByteArray png;
    try {
        png = TPngWriter::Encode(TImageDecoder::Decode(QString::fromStdString(name), data.data(), data.size()));
    } catch (const std::exception &) {
        return std::nullopt; // not a picture after all: the original is written
    }
    TFileBuffer converted(uint32_t(png.size()));
    std::memcpy(converted.data(), png.constData(), size_t(png.size()));
    return converted;
}
