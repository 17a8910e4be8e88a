#pragma once
// TFileListModel: the file list over Rows, the entries of one folder of the
// active archive. Views ask only for the rows they draw; the costlier columns
// (format, CRC, stored size) are read from the archive the first time a row
// is asked for. Holds the sort state, which lasts until the program ends.

#include "browser/SortFunctions.h"
#include "browser/VornChildItem.h"

#include <QAbstractTableModel>
#include <vector>

class TVornFile;
class TDamagedEntries;

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { ColName, ColType, ColSize, ColModified, ColRatio, ColFormat, ColCrc, ColumnCount };
    // The entry offset of a row (the list item's state index).
    static constexpr int EntryRole = Qt::UserRole + 1;
    // True for an entry the last "Test Archive" found damaged.
    static constexpr int DamagedRole = Qt::UserRole + 12;

    explicit TFileListModel(QObject *parent = nullptr);

    static QString ColumnCaption(int column);

    // Lists a folder of the archive (null: no archive active), sorted with
    // the current sort state; the first listing sorts by name. A damaged
    // index raises; the list is then empty.
    void FillFileList(const TVornFile *vorn, TEntryOffset directory);
    // Empties the list; the archive and the folder are forgotten.
    void ClearRows();
    // Reads the lazy columns of rows first..last that have not been read.
    void FillRowDetails(int first, int last) const;

    const std::vector<TVornChildItem> &Rows() const { return m_Rows; }
    TEntryOffset CurrentFolder() const { return m_CurrentFolder; }
    const TVornFile *Vorn() const { return m_Vorn; }
    // Damaged entries show in red with the reason in their tooltip.
    void SetDamagedEntries(const TDamagedEntries *damaged) { m_Damaged = damaged; }
    void DamagedEntriesChanged();

    TSortCompare SortCompare() const { return m_SortCompare; }
    bool SortDescending() const { return m_SortDescending; }
    // A click on a column: the same column again inverts the order, another
    // sortable column sorts ascending by it. Returns false (and changes
    // nothing) for a column that does not sort.
    bool ChooseSortColumn(int column);

    // Type-ahead: the first row from `start` on whose name begins with
    // `text` (a-z in any case), wrapping to the first row when `wrap` is set;
    // every row is examined at most once. -1 when none matches.
    int DataFind(const QString &text, int start, bool wrap) const;

    // The text of a column of a row as the list shows it.
    QString ColumnText(const TVornChildItem &row, int column) const;
    static QString SizeText(uint32_t size);
    static QString RatioText(const TVornChildItem &row);
    static QString CrcText(uint32_t crc);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

private:
    std::vector<TVornChildItem> BuildRows(const TVornFile &vorn, TEntryOffset directory) const;
    void FillDetails(TVornChildItem &row) const;
    const TVornChildItem *RowAt(const QModelIndex &index) const;
    QVariant FontFor(const TVornChildItem &row, int column) const;

    const TVornFile *m_Vorn = nullptr;
    const TDamagedEntries *m_Damaged = nullptr;
    mutable std::vector<TVornChildItem> m_Rows; // lazy columns fill in on demand
    TEntryOffset m_CurrentFolder = 0;
    TSortCompare m_SortCompare = nullptr;
    bool m_SortDescending = false;
};
