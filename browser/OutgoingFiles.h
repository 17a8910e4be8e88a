#pragma once
// Selected list rows handed out as files, by drag-out or Copy: the names the
// files get, and the entries grouped by archive. A folder listing gives one
// group; search results give one per archive, whatever folders the entries
// are in.

#include "archive/vmVornFileDef.h"

#include <QStringList>

#include <vector>

class TVornFile;

struct TEntryGroup {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Folder = 0; // what the entries' folder names are taken below
    std::vector<TEntryOffset> Entries;
};

struct TOutgoingFiles {
    QStringList Names; // in list order, one per selected row
    std::vector<TEntryGroup> Groups;
};
