#pragma once
// TRawFormat: the game's uncompressed 32-bit textures, claimed by the
// extension ".raw" (exact case). Layout, little-endian:
//   0  "ipaR"           magic
//   4  "8888"           pixel format
//   8  2 bytes          not used
//  10  surface count    unsigned 16-bit, at least 1
//  12  width, height    unsigned 16-bit each
//  16  pixels of the first surface: rows bottom-up, each pixel B, G, R, A
// A texture that breaks these rules, or whose data is shorter than its header
// says, is declined and falls back to the text or hex viewer.

#include "viewers/AbstractFormat.h"

class QImage;

class TRawFormat : public TAbstractFormat {
public:
    TDeclinedBuffer InternalView(const QString &fileName, TFileBuffer buffer,
                                 QWidget *mainWindow) override;
    bool CanViewFormat(const QString &extension) override;
    int IconIndex(const QString &extension) override;
    QString FormatDescription(const QString &extension) override;

    // Decodes the first surface (alpha kept in the picture); raises Exception
    // with the first broken rule.
    static QImage DecodeTexture(const uint8_t *data, int64_t size);
};
