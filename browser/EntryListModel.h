#pragma once
// TEntryListModel: what the file list's two models share, the entries of a
// folder and the results of a search: the column captions, rows that can be
// selected and dragged, type-ahead over the names and the marks Test Archive
// leaves on damaged entries.

#include "archive/vmVornFileDef.h"
#include "browser/OutgoingFiles.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

class TDamagedEntries;
class TVornFile;

class TEntryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The columns both models have, in this order.
    enum TColumn { ColName, ColType, ColSize, ColModified, ColRatio, ColFormat, ColCrc, ColumnCount };
    // The entry offset of a row (the list item's state index).
    static constexpr int EntryRole = Qt::UserRole + 1;
    // True for an entry the last "Test Archive" found damaged.
    static constexpr int DamagedRole = Qt::UserRole + 12;

    explicit TEntryListModel(QObject *parent = nullptr);

    // Damaged entries show in red with the reason in their tooltip, folders
    // that hold any in red with their count.
    void SetDamagedEntries(const TDamagedEntries *damaged) { m_Damaged = damaged; }
    void DamagedEntriesChanged();
    // Why the entry of a row is damaged; nullptr when it is not marked.
    const std::string *DamageOf(int row) const;
    // How many damaged entries the folder of a row holds (0 for a file).
    int DamagedBelow(int row) const;

    // Type-ahead: the first row from `start` on whose name begins with
    // `text` (a-z in any case), wrapping to the first row when `wrap` is set;
    // every row is examined at most once. -1 when none matches.
    int DataFind(const QString &text, int start, bool wrap) const;

    // ---- What each row stands for ----
    // The archive, the entry and the shown name of a row.
    virtual const TVornFile *VornAt(int row) const = 0;
    virtual TEntryOffset EntryAt(int row) const = 0;
    virtual QString NameAt(int row) const = 0;
    // What the row's folder names are taken below when its entry is handed
    // out (extracted, dragged, copied).
    virtual TEntryOffset BaseFolderAt(int row) const = 0;
    // Whether a double click opens the row as a folder in the tree.
    virtual bool IsFolderAt(int row) const = 0;
    // A click on a column header; a failure to read the archive again raises.
    virtual void SortByColumn(int column) = 0;

    // ---- What a kind of list does itself ----
    // A double click on a folder row: true when the list opened it in a view
    // of its own; false leaves it to the window, which shows the archive's
    // folder in the tree.
    virtual bool OpenFolderAt(int /*row*/) { return false; }
    // Properties of a row: true when the list showed its own; false leaves
    // it to the window, which shows the entry's.
    virtual bool ShowPropertiesAt(int /*row*/) { return false; }
    // Whether the preview pane shows the one selected file: for the rows of
    // a folder, not for search results.
    virtual bool Previewed() const { return false; }
    // Rows (in list order) that are handed out by a writer of their own, as
    // one group; none: each row is its archive's entry.
    virtual std::optional<TEntryGroup> OwnGroup(const std::vector<int> & /*rows*/) const { return std::nullopt; }
    // The archives the rows are entries of, known whenever the list is
    // reset; the thumbnails are decoded from these. None: the list shows no
    // thumbnails (search results, whose archives come and go as rows stream in).
    virtual std::vector<const TVornFile *> Archives() const { return {}; }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

protected:
    virtual QString Caption(int column) const = 0;
    // A damaged row's value for the roles that mark it; invalid for the
    // other roles and rows. `text()` gives the cell's text, asked for only
    // for a damaged row's tooltip.
    template <class TTextOf>
    QVariant DamagedData(int row, int role, const TTextOf &text) const
    {
        if (role != DamagedRole && role != Qt::ForegroundRole && role != Qt::ToolTipRole)
            return QVariant();
        const QString tip = role == Qt::ToolTipRole ? text() : QString();
        if (const std::string *reason = DamageOf(row))
            return DamageMark(role, *reason, tip);
        const int below = role == DamagedRole ? 0 : DamagedBelow(row);
        return below > 0 ? HolderMark(role, below, tip) : QVariant();
    }

private:
    static QVariant DamageMark(int role, const std::string &reason, const QString &text);
    static QVariant HolderMark(int role, int damagedBelow, const QString &text);

    const TDamagedEntries *m_Damaged = nullptr;
};
