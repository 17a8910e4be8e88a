#include "viewers/ViewHandler.h"

#include "viewers/FormHexViewer.h"
#include "viewers/FormTextViewer.h"
#include "viewers/FormatList.h"

#include <algorithm>

namespace {

constexpr int64_t kTextTestLength = 1024;

bool IsTextByte(uint8_t byte)
{
    return byte >= 32 || byte == '\t' || byte == '\n' || byte == '\r';
}

QString UpperAscii(QString text)
{
    for (QChar &ch : text) {
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
    }
    return text;
}

// Offers the buffer to the claiming format. Returns the buffer when the file
// still needs a viewer, nothing when it is dealt with. An error of the format
// propagates; the buffer has then been freed with the format's argument.
TDeclinedBuffer OfferToClaimingFormat(TFileBuffer buffer, const QString &fileName,
                                      QWidget *mainWindow)
{
    TAbstractFormat *format = FindClaimingFormat(ExtractExtension(fileName));
    if (!format)
        return buffer;
    return format->InternalView(fileName, std::move(buffer), mainWindow);
}

} // namespace

QString ExtractExtension(const QString &fileName)
{
    const qsizetype period = fileName.lastIndexOf(u'.');
    return period < 0 ? QString() : fileName.mid(period);
}

TAbstractFormat *FindClaimingFormat(const QString &extension)
{
    return FormatList().FindClaiming(extension);
}

QString GetFormatDescription(const QString &fileName)
{
    try {
        const QString extension = ExtractExtension(fileName);
        if (TAbstractFormat *format = FindClaimingFormat(extension))
            return format->FormatDescription(extension);
        return UpperAscii(extension.mid(1)) + QStringLiteral(" File");
    } catch (...) {
        return QStringLiteral("Unknown");
    }
}

int GetFormatIconIndex(const QString &fileName)
{
    const QString extension = ExtractExtension(fileName);
    if (TAbstractFormat *format = FindClaimingFormat(extension))
        return format->IconIndex(extension);
    return TAbstractFormat::DefaultIconIndex;
}

bool IsTextData(const uint8_t *data, int64_t size)
{
    if (size < 1 || !data)
        return false;
    const uint8_t *end = data + std::min(size, kTextTestLength);
    return std::all_of(data, end, IsTextByte);
}

TViewer ViewFile(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow)
{
    TDeclinedBuffer unshown;
    try {
        unshown = OfferToClaimingFormat(std::move(buffer), fileName, mainWindow);
    } catch (...) {
        return TViewer::None;
    }
    if (!unshown)
        return TViewer::Format;
    if (IsTextData(unshown->data(), unshown->size())) {
        ViewAsText(std::move(*unshown), fileName, mainWindow);
        return TViewer::Text;
    }
    ViewAsHex(std::move(*unshown), fileName, mainWindow);
    return TViewer::Hex;
}
