#pragma once
// IFileConverter: an optional step of an extraction run that writes some
// files in another form (images as PNG). The engine asks it about each file
// by its name on disk; a claimed file is decoded first, converted, and then
// written under the converted name with the run's overwrite rules. A claimed
// file that turns out not to be convertible is written unchanged under its
// own name, so nothing of the archive is lost.

#include "archive/FileBuffer.h"

#include <optional>
#include <string>

class IFileConverter {
public:
    virtual ~IFileConverter() = default;
    // Whether the file named `name` (UTF-8) is one to convert.
    virtual bool Claims(const std::string &name) const = 0;
    // The name the converted file is written under.
    virtual std::string ConvertedName(const std::string &name) const = 0;
    // The converted bytes, or nothing when `data` can't be converted.
    virtual std::optional<TFileBuffer> Convert(const std::string &name, const TFileBuffer &data) const = 0;
};
