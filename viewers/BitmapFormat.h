#pragma once
// TBitmapFormat: Windows bitmap files, claimed by the extension ".bmp" (exact
// case). A file that does not decode is an error, not a decline: it is then
// shown by no viewer at all.

#include "viewers/AbstractFormat.h"

class QImage;

class TBitmapFormat : public TAbstractFormat {
public:
    TDeclinedBuffer InternalView(const QString &fileName, TFileBuffer buffer,
                                 QWidget *mainWindow) override;
    bool CanViewFormat(const QString &extension) override;
    int IconIndex(const QString &extension) override;
    QString FormatDescription(const QString &extension) override;

    // Decodes a Windows bitmap file; raises Exception when it is not one.
    static QImage DecodeBitmap(const uint8_t *data, int64_t size);
};
