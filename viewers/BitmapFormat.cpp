#include "viewers/BitmapFormat.h"

#include "archive/Exceptions.h"
#include "viewers/ImageFormat.h"

#include <QByteArrayView>
#include <QImage>

TDeclinedBuffer TBitmapFormat::InternalView(const QString &fileName, TFileBuffer buffer,
                                            QWidget *mainWindow)
{
    ShowImageWindow(DecodeBitmap(buffer.data(), buffer.size()), fileName, mainWindow);
    return std::nullopt; // the buffer is freed as this returns, after the window is shown
}

bool TBitmapFormat::CanViewFormat(const QString &extension)
{
    return extension == u".bmp";
}

int TBitmapFormat::IconIndex(const QString &)
{
    return ImageFormatIconIndex;
}

QString TBitmapFormat::FormatDescription(const QString &)
{
    return QStringLiteral("Bitmap");
}

QImage TBitmapFormat::DecodeBitmap(const uint8_t *data, int64_t size)
{
    QImage picture;
    if (data && size > 0)
        picture = QImage::fromData(QByteArrayView(data, qsizetype(size)), "BMP");
    if (picture.isNull())
        throw Exception("Bitmap image is not valid");
    return picture;
}
