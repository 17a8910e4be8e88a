#pragma once
// TImageDecoder: turns the bytes of a file that a built-in image format
// claims (".bmp" bitmaps, ".raw" textures; exact case, as the viewers claim
// them) into a picture, for every user of pictures outside the image viewer
// window: the preview pane, thumbnails and PNG export. Safe on any thread.

#include <QImage>
#include <QString>
#include <cstdint>

class TImageDecoder {
public:
    // Whether a built-in image format claims the name.
    static bool IsImageName(const QString &fileName);
    // The picture; raises Exception when the bytes don't decode (or the name
    // is not an image name). Textures keep their alpha channel.
    static QImage Decode(const QString &fileName, const uint8_t *data, int64_t size);
};
