#include "viewers/PreviewContent.h"

#include "viewers/ImageDecoder.h"
#include "viewers/ViewHandler.h"
#include "viewers/ViewerText.h"

#include <exception>

namespace {

TPreviewContent ErrorContent(const std::exception &error)
{
    TPreviewContent content;
    content.Kind = TPreviewKind::Error;
    content.Message = QString::fromStdString(error.what());
    return content;
}

TPreviewContent ImageContent(const QImage &picture)
{
    TPreviewContent content;
    content.Kind = TPreviewKind::Image;
    content.PictureSize = picture.size();
    const int side = TPreviewContent::DisplaySide;
    const QImage shown = picture.width() > side || picture.height() > side
                             ? picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : picture;
    // Drawn as the image viewer draws it: the alpha channel is not used.
    content.Picture = shown.convertToFormat(QImage::Format_RGB32);
    return content;
}

// The first bytes of a text, cut at the start of a UTF-8 sequence so that a
// valid UTF-8 text stays valid.
int64_t TextHeadLength(const TFileBuffer &data)
{
    int64_t length = std::min<int64_t>(data.size(), TPreviewContent::TextLimit);
    if (length < int64_t(data.size())) {
        while (length > 0 && (data.data()[length] & 0xC0) == 0x80)
            --length;
    }
    return length;
}

TPreviewContent TextOrHexContent(TFileBuffer data)
{
    TPreviewContent content;
    if (IsTextData(data.data(), data.size())) {
        content.Kind = TPreviewKind::Text;
        const int64_t length = TextHeadLength(data);
        content.Text = LoadViewerText(data.data(), length);
        content.TextCut = length < int64_t(data.size());
        return content;
    }
    content.Kind = TPreviewKind::Hex;
    content.Data = std::make_shared<TFileBuffer>(std::move(data));
    return content;
}

} // namespace

TPreviewContent TPreviewContent::Decode(const QString &fileName, TPreviewRoute route, const TLoader &loader)
{
    TFileBuffer data;
    try {
        data = loader();
    } catch (const std::exception &error) {
        return ErrorContent(error);
    }
    if (route == TPreviewRoute::Plugin) {
        TPreviewContent content;
        content.Kind = TPreviewKind::Plugin;
        content.Data = std::make_shared<TFileBuffer>(std::move(data));
        return content;
    }
    if (route == TPreviewRoute::Image) {
        try {
            return ImageContent(TImageDecoder::Decode(fileName, data.data(), data.size()));
        } catch (const std::exception &error) {
            // A texture with a bad header goes on to the text or hex view, as
            // View does; a bitmap that doesn't decode is an error.
            if (ExtractExtension(fileName) != u".raw")
                return ErrorContent(error);
        }
    }
    return TextOrHexContent(std::move(data));
}
