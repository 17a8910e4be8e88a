#include "viewers/AnsiCodePage.h"

#include "archive/vmFunctions.h"

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(AnsiCharToUnicode(static_cast<uint8_t>(bytes[i])));
    return text;
}

QByteArray EncodeWindows1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = UnicodeToAnsiChar(text[i].unicode());
    return bytes;
}
