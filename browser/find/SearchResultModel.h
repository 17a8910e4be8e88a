#pragma once
// TSearchResultModel: the file list's flat result view. Every row is one
// search result, twelve bytes that name its archive, its entry in that
// archive's name index and, for a search of the game view, the merged path
// it wins; the columns are read when a view draws them. Besides the seven
// list columns it has the folder (inside the archive, or the merged folder)
// and the archive's file name. Rows stream in as a search finds them: they
// are queued as they come and added in one insertion per flush, so a view
// lays its rows out once per flush rather than once per batch.
//
// Results of the game view stand for their merged paths: they are handed
// out as the game sees them (a folder with its merged contents), and a
// folder opens in the game view.

#include "browser/EntryListModel.h"
#include "browser/FileTypeCache.h"
#include "browser/VornChildItem.h"
#include "engines/MergedTree.h"
#include "engines/NameIndex.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class TMergedView;

class TSearchResultModel : public TEntryListModel {
    Q_OBJECT

public:
    enum TExtraColumn { ColFolder = ColumnCount, ColArchive, ResultColumnCount };

    struct TRow {
        uint32_t Archive; // index into the archive table of this result set
        uint32_t Item;    // the entry's item in that archive's name index
        TMergeNodeId Node = NoMergeNode; // the merged path of a game view result
    };

    explicit TSearchResultModel(QObject *parent = nullptr);

    static QString ColumnCaption(int column);

    // Forgets every row and archive, and the game view.
    void Clear();
    // The rows that follow are results of this game view (kept while they
    // are shown); its archives are made known with AddArchive as usual.
    void SetGame(std::shared_ptr<const TMergedView> view) { m_Game = std::move(view); }
    const TMergedView *Game() const { return m_Game.get(); }
    // Makes an archive known to the rows that follow; returns its number.
    uint32_t AddArchive(const TNameIndex &index, const QString &displayName);
    // `nodes`, for game view results: the merged path of each item.
    void AppendRows(uint32_t archive, const std::vector<uint32_t> &items, const std::vector<TMergeNodeId> &nodes = {});
    // Queues rows without showing them yet; Flush() adds every queued row,
    // in the order queued, with one insertion. Returns how many it added.
    void Queue(uint32_t archive, const std::vector<uint32_t> &items, const std::vector<TMergeNodeId> &nodes = {});
    size_t Flush();
    size_t QueuedCount() const { return m_Queued.size(); }
    // Drops the rows of an archive that is about to close.
    void RemoveArchive(const TVornFile &vorn);

    // Sorts by a column: the same column again reverses the order.
    void SortByColumn(int column) override;
    bool SortDescending() const { return m_SortDescending; }

    const std::vector<TRow> &Rows() const { return m_Rows; }
    const TNameIndex &IndexOf(const TRow &row) const { return *m_Archives[row.Archive].Index; }
    const TVornFile &VornOf(const TRow &row) const { return IndexOf(row).Vorn(); }
    TEntryOffset EntryOf(const TRow &row) const { return IndexOf(row).Item(row.Item).Entry; }
    bool IsFolder(const TRow &row) const { return IndexOf(row).Item(row.Item).IsFolder; }
    // The folder holding the entry, as an entry offset and as "a/b/" text.
    TEntryOffset FolderEntryOf(const TRow &row) const;
    std::string FolderPathOf(const TRow &row) const;
    // The row as the folder list would show it (every column read).
    TVornChildItem ItemOf(const TRow &row) const;
    QString ColumnText(const TRow &row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const TVornFile *VornAt(int row) const override { return &VornOf(m_Rows[size_t(row)]); }
    TEntryOffset EntryAt(int row) const override { return EntryOf(m_Rows[size_t(row)]); }
    QString NameAt(int row) const override;
    // Results come from any folder: their folder names are taken below the root.
    TEntryOffset BaseFolderAt(int row) const override { return VornAt(row)->GetRootOffset(); }
    bool IsFolderAt(int row) const override { return IsFolder(m_Rows[size_t(row)]); }
    // Game view results: a folder opens in the game view, and the rows are
    // written as the game sees them.
    bool OpenFolderAt(int row) override;
    std::optional<TEntryGroup> OwnGroup(const std::vector<int> &rows) const override;

signals:
    // A folder of the game view was opened (double click).
    void gameFolderOpened(TMergeNodeId folder);

protected:
    QString Caption(int column) const override { return ColumnCaption(column); }

private:
    struct TArchive {
        const TNameIndex *Index;
        QString Name;
    };
    void SortRows(int column, bool descending);

    std::vector<TArchive> m_Archives;
    std::vector<TRow> m_Rows;
    std::vector<TRow> m_Queued; // found, not shown yet
    std::shared_ptr<const TMergedView> m_Game;
    mutable TFileTypeCache m_Types;
    int m_SortColumn = -1;
    bool m_SortDescending = false;
};
