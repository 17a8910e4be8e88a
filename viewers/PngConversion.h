#pragma once
// TPngConversion: the "Convert images to PNG" step of an extraction run.
// Bitmaps and textures are written as PNG instead of the original, under the
// entry's full name with ".png" added ("grass.raw" -> "grass.raw.png"), so
// that two images of one folder never meet under one name. One that does not
// decode is written unchanged.

#include "engines/FileConverter.h"

class TPngConversion : public IFileConverter {
public:
    bool Claims(const std::string &name) const override;
    std::string ConvertedName(const std::string &name) const override;
    std::optional<TFileBuffer> Convert(const std::string &name, const TFileBuffer &data) const override;
};
