#pragma once
// TFindCriteria: what a search looks for. Every criterion that is set must
// hold; an empty criteria set finds every entry. Texts are UTF-8.

#include "archive/vmFunctions.h"
#include "engines/FindModes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TFindCriteria {
    std::string Name; // empty: any name
    TNameMode NameMode = TNameMode::Auto;
    bool IgnoreCase = true; // names and text, Windows-1252 letters included
    bool WholePath = false; // match "folder/sub/name" below the root instead of the name

    // Extensions ("vmtex", ".bmp") or file-type descriptions; any one may
    // match. Folders never match a type.
    std::vector<std::string> Types;
    std::optional<uint64_t> MinSize; // folders never match a size
    std::optional<uint64_t> MaxSize;
    uint8_t Formats = 0; // bit (1 << DATAFORMAT_x) per accepted storage format; 0: any
    std::optional<TDateTime> ModifiedFrom; // as the list shows the date
    std::optional<TDateTime> ModifiedTo;
    // Only files found damaged: by the archive's last Test Archive in the
    // window, by decoding them in `vorntool find`. Their data can't be read,
    // so no content criterion goes with it.
    bool Damaged = false;

    TContentMode ContentMode = TContentMode::None;
    std::string Content;

    // The name mode Auto stands for with this name.
    TNameMode EffectiveNameMode() const;
    // Whether only files can match (any criterion but the name is set).
    bool FilesOnly() const;
    bool HasContent() const { return ContentMode != TContentMode::None && !Content.empty(); }
    // Raises an Exception naming what is wrong: a malformed name pattern or
    // content, or criteria that can't go together.
    void Validate() const;
    // True when everything these criteria find is among what `previous`
    // found: only the name text grew as a substring. A search can then look
    // at the previous results alone.
    bool Narrows(const TFindCriteria &previous) const;
};

// Bits for TFindCriteria::Formats.
constexpr uint8_t FormatBit(uint16_t format) { return uint8_t(1u << format); }
