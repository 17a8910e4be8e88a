#pragma once
// TVornChildItem: one row of the file list. Rows never copy archive entries
// beyond what the list shows; Entry identifies the entry in the active
// archive. Rows of one type share their TypeName text.

#include "archive/vmFunctions.h"
#include "archive/vmVornFileDef.h"

#include <QString>
#include <cstdint>
#include <string>

struct TVornChildItem {
    // Picture index of folder rows; rows with a picture index below 2 are
    // folders.
    static constexpr int16_t FolderImage = 1;

    bool NeedsDetail = true;       // Format, FormatCode, Crc and StoredSize not yet read
    char Format[4] = {};           // first four characters of the data format's name
    uint16_t FormatCode = 0;       // stored data format (filled with Format)
    int16_t ImageIndex = 0;
    uint16_t Flags = 0;
    TEntryOffset Entry = 0;
    uint32_t Crc = 0;
    uint32_t StoredSize = 0;
    uint32_t Size = 0;
    TDateTime Modified = 0;
    std::string Name;              // the stored 8-bit (Windows-1252) name
    QString TypeName;

    bool IsFolder() const { return ImageIndex == FolderImage; }
    QString FormatText() const;
};
