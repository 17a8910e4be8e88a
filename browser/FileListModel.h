#pragma once
// TFileListModel: the file list over Rows, the entries of one folder of the
// active archive. Views ask only for the rows they draw; the costlier columns
// (format, CRC, stored size) are read from the archive the first time a row
// is asked for. Holds the sort state, which lasts until the program ends.

#include "browser/EntryListModel.h"
#include "browser/SortFunctions.h"
#include "browser/VornChildItem.h"

#include <span>
#include <vector>

class TVornFile;

class TFileListModel : public TEntryListModel {
    Q_OBJECT

public:
    explicit TFileListModel(QObject *parent = nullptr);

    static QString ColumnCaption(int column);

    // Lists a folder of the archive (null: no archive active), sorted with
    // the current sort state; the first listing sorts by name. A damaged
    // index raises; the list is then empty. `byName`, when given, holds the
    // folder's entries in name order (folders first): a listing by name
    // takes that order instead of sorting.
    void FillFileList(const TVornFile *vorn, TEntryOffset directory, std::span<const TEntryOffset> byName = {});
    // Empties the list; the archive and the folder are forgotten.
    void ClearRows();
    // Reads the lazy columns of rows first..last that have not been read.
    void FillRowDetails(int first, int last) const;

    const std::vector<TVornChildItem> &Rows() const { return m_Rows; }
    // The archive and the folder the rows were listed from (the session
    // decides which folder is shown; these say where the rows come from).
    const TVornFile *Vorn() const { return m_Vorn; }
    TEntryOffset Folder() const { return m_Folder; }

    TSortCompare SortCompare() const { return m_SortCompare; }
    bool SortDescending() const { return m_SortDescending; }
    // A click on a column: the same column again inverts the order, another
    // sortable column sorts ascending by it. Returns false (and changes
    // nothing) for a column that does not sort.
    bool ChooseSortColumn(int column);
    // ChooseSortColumn, then the folder listed again in the new order.
    void SortByColumn(int column) override;

    // The text of a column of a row as the list shows it.
    QString ColumnText(const TVornChildItem &row, int column) const;
    static QString SizeText(uint32_t size);
    static QString RatioText(const TVornChildItem &row);
    static QString CrcText(uint32_t crc);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const TVornFile *VornAt(int) const override { return m_Vorn; }
    TEntryOffset EntryAt(int row) const override { return m_Rows[size_t(row)].Entry; }
    QString NameAt(int row) const override;
    TEntryOffset BaseFolderAt(int) const override { return m_Folder; }
    bool Previewed() const override { return true; }
    // Rows without a picture of a file open as folders.
    bool IsFolderAt(int row) const override { return m_Rows[size_t(row)].ImageIndex <= TVornChildItem::FolderImage; }
    std::vector<const TVornFile *> Archives() const override;

protected:
    QString Caption(int column) const override { return ColumnCaption(column); }

private:
    std::vector<TVornChildItem> BuildRows(const TVornFile &vorn, std::span<const TEntryOffset> children) const;
    // The folder's rows in the current sort order.
    std::vector<TVornChildItem> SortedRows(const TVornFile &vorn, TEntryOffset directory,
                                           std::span<const TEntryOffset> byName) const;
    void FillDetails(TVornChildItem &row) const;
    const TVornChildItem *RowAt(const QModelIndex &index) const;
    QVariant FontFor(const TVornChildItem &row, int column) const;

    const TVornFile *m_Vorn = nullptr;
    mutable std::vector<TVornChildItem> m_Rows; // lazy columns fill in on demand
    TEntryOffset m_Folder = 0;
    TSortCompare m_SortCompare = nullptr;
    bool m_SortDescending = false;
};
