#pragma once
// Selected list rows handed out as files, by drag-out or Copy: the names the
// files get, and the entries grouped by archive and by repeat of their name.
// A folder listing gives one archive; search results give several, whatever
// folders the entries are in. Entries whose name came before in the list go
// to groups of their own, written into the repeat's subfolder where the
// offered file names point (SameNameFolder), so none replaces another.

#include "archive/vmVornFileDef.h"
#include "engines/MergedTree.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TMergedView;
class TVornFile;

struct TEntryGroup {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Folder = 0; // what the entries' folder names are taken below
    std::vector<TEntryOffset> Entries;
    int Repeat = 0; // how often the entries' names came before in the list

    // Paths of the merged game view instead of entries (Vorn, Folder and
    // Entries unused): written as the game sees them. When the view is gone
    // by then (its archives changed), nothing is written.
    std::weak_ptr<const TMergedView> Merged;
    std::vector<TMergeNodeId> Nodes;
    TMergeNodeId MergedFolder = MergeRoot; // the listed merged folder
    bool IsMerged() const { return !Nodes.empty(); }
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
// A group of merged paths (one per name in `names`, in the same order) split
// by repeat of the names, as GroupOutgoingRows splits entries: paths of one
// name from several folders each get the subfolder of their repeat.
std::vector<TEntryGroup> SplitMergedByRepeat(const TEntryGroup &group, const QStringList &names);
