#pragma once
// TMergedListModel: the file list of a folder of the merged game view. Each
// row is a merged path and shows its winner -- the version the game sees --
// with the list's usual columns, plus the winner's archive ("Archive") and
// how many versions it hides ("Overrides"). With "Only files in conflict"
// the list keeps the paths in conflict (files that hide another version,
// files against folders) and the folders with such paths below them.

#include "browser/EntryListModel.h"
#include "browser/FileTypeCache.h"
#include "browser/VornChildItem.h"
#include "engines/MergedTree.h"

#include <vector>

class TMergedView;

class TMergedListModel : public TEntryListModel {
    Q_OBJECT

public:
    enum TExtraColumn { ColArchive = ColumnCount, ColOverrides, MergedColumnCount };

    struct TRow {
        TVornChildItem Item; // the winner, every column read
        TMergeNodeId Node = 0;
        uint32_t Hidden = 0;
        uint16_t Archive = 0;
    };

    explicit TMergedListModel(QObject *parent = nullptr);

    static QString ColumnCaption(int column);

    // The view whose folders are listed (null: none); the list empties.
    // `handle` tells the rows handed out whether the view is still there.
    void SetView(const TMergedView *view, std::weak_ptr<const TMergedView> handle = {});
    const TMergedView *View() const { return m_View; }
    // Lists a merged folder.
    void ShowFolder(TMergeNodeId folder);
    TMergeNodeId CurrentFolder() const { return m_Folder; }
    void SetOnlyConflicts(bool only);
    bool OnlyConflicts() const { return m_OnlyConflicts; }
    // Sorts by a column: the same column again reverses the order.
    void SortByColumn(int column) override;

    const std::vector<TRow> &Rows() const { return m_Rows; }
    TMergeNodeId NodeAt(int row) const { return m_Rows[size_t(row)].Node; }
    QString ColumnText(const TRow &row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Each row stands for its winner, taken below the winner's own folder.
    const TVornFile *VornAt(int row) const override;
    TEntryOffset EntryAt(int row) const override { return m_Rows[size_t(row)].Item.Entry; }
    QString NameAt(int row) const override;
    TEntryOffset BaseFolderAt(int row) const override;
    bool IsFolderAt(int row) const override { return m_Rows[size_t(row)].Item.IsFolder(); }
    bool Previewed() const override { return true; }
    // A folder opens as a merged folder, Properties show the path's stack.
    bool OpenFolderAt(int row) override;
    bool ShowPropertiesAt(int row) override;
    // The rows are written as the game sees them, folders merged.
    std::optional<TEntryGroup> OwnGroup(const std::vector<int> &rows) const override;
    // The view's archives: any of them may hold a winner.
    std::vector<const TVornFile *> Archives() const override;

signals:
    void folderOpened(TMergeNodeId folder);
    void propertiesRequested(TMergeNodeId node);

protected:
    QString Caption(int column) const override { return ColumnCaption(column); }

private:
    void Rebuild();
    TRow MakeRow(TMergeNodeId node);
    void SortRows();
    QString ArchiveName(uint16_t archive) const;

    const TMergedView *m_View = nullptr;
    std::weak_ptr<const TMergedView> m_Handle;
    TMergeNodeId m_Folder = MergeRoot;
    bool m_OnlyConflicts = false;
    std::vector<TRow> m_Rows;
    int m_SortColumn = ColName;
    bool m_SortDescending = false;
    TFileTypeCache m_Types;
};
