#include "viewers/ViewerText.h"

#include "viewers/AnsiCodePage.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <cstring>

namespace {

QString DecodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

QString UnifyLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

QString LoadViewerText(const uint8_t *data, int64_t size)
{
    if (!data || size <= 0)
        return QString();
    const void *zero = std::memchr(data, 0, size_t(size));
    const int64_t length = zero ? static_cast<const uint8_t *>(zero) - data : size;
    return UnifyLineEnds(DecodeText(QByteArrayView(data, qsizetype(length))));
}
