#pragma once
// Selected list rows handed out as files, by drag-out or Copy: the names the
// files get, and the entries grouped by archive and by repeat of their name.
// A folder listing gives one archive; search results give several, whatever
// folders the entries are in. Entries whose name came before in the list go
// to groups of their own, written into the repeat's subfolder where the
// offered file names point (SameNameFolder), so none replaces another.

#include "archive/vmVornFileDef.h"

#include <QString>
#include <QStringList>

#include <vector>

class TVornFile;

struct TEntryGroup {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Folder = 0; // what the entries' folder names are taken below
    std::vector<TEntryOffset> Entries;
    int Repeat = 0; // how often the entries' names came before in the list
};

struct TOutgoingFiles {
    QStringList Names; // in list order, one per selected row
    std::vector<TEntryGroup> Groups;
};

// One selected row.
struct TOutgoingRow {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Folder = 0;
    TEntryOffset Entry = 0;
    QString Name;
};

// The rows, in list order, as files: a group per archive and repeat, in the
// order they first appear.
TOutgoingFiles GroupOutgoingRows(const std::vector<TOutgoingRow> &rows);
