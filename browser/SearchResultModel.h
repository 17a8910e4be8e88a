#pragma once
// TSearchResultModel: the file list's flat result view. Every row is one
// search result, eight bytes that name its archive and its entry in that
// archive's name index; the columns are read when a view draws them. Besides
// the seven list columns it has the folder inside the archive and the
// archive's file name. Rows stream in as a search finds them.

#include "browser/FileListModel.h"
#include "engines/NameIndex.h"

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class TSearchResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TExtraColumn { ColFolder = TFileListModel::ColumnCount, ColArchive, ResultColumnCount };

    struct TRow {
        uint32_t Archive; // index into the archive table of this result set
        uint32_t Item;    // the entry's item in that archive's name index
    };

    explicit TSearchResultModel(QObject *parent = nullptr);

    static QString ColumnCaption(int column);

    // Forgets every row and archive.
    void Clear();
    // Makes an archive known to the rows that follow; returns its number.
    uint32_t AddArchive(const TNameIndex &index, const QString &displayName);
    void AppendRows(uint32_t archive, const std::vector<uint32_t> &items);
    // Drops the rows of an archive that is about to close.
    void RemoveArchive(const TVornFile &vorn);

    // Sorts by a column: the same column again reverses the order.
    void SortByColumn(int column);
    int SortColumn() const { return m_SortColumn; }
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

    // Type-ahead over the names, as the folder list does it.
    int DataFind(const QString &text, int start, bool wrap) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

private:
    struct TArchive {
        const TNameIndex *Index;
        QString Name;
    };
    struct TTypeInfo {
        QString Description;
        int16_t ImageIndex;
    };

    const TTypeInfo &TypeOf(std::string_view name) const;
    void SortRows(int column, bool descending);

    std::vector<TArchive> m_Archives;
    std::vector<TRow> m_Rows;
    mutable std::unordered_map<std::string, TTypeInfo> m_Types; // by extension
    int m_SortColumn = -1;
    bool m_SortDescending = false;
};
