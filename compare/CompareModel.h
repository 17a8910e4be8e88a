#pragma once
// TCompareModel: the comparison's items for a QTreeView, as a tree of folders
// or as one flat list of paths, showing only the states whose filter is on.
// Rows are plain indexes into the result's items; no object per row.
//
// In the tree a folder is shown when its own state is shown or anything below
// it is. The flat list leaves out folders present on both sides (their state
// only sums up the items below them, which are listed themselves).

#include "engines/CompareReport.h"
#include "engines/CompareTypes.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

class TCompareModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum TColumn { colName, colState, colSizeA, colSizeB, colCrcA, colCrcB, ColumnCount };

    explicit TCompareModel(QObject *parent = nullptr);

    void SetResult(std::shared_ptr<const TCompareResult> result);
    const TCompareResult *Result() const { return m_Result.get(); }
    void SetTree(bool tree);
    void SetStateShown(TCompareState state, bool shown);
    const TCompareReport::TStateSet &ShownStates() const { return m_Shown; }

    // The item a row shows, or null for an invalid index.
    const TCompareItem *ItemAt(const QModelIndex &index) const;
    // The row of the item (column 0), invalid when it isn't shown.
    QModelIndex IndexOfItem(uint32_t item) const;
    // The items shown, in the order of the rows (depth first in the tree).
    std::vector<uint32_t> ShownItems() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    static constexpr uint32_t Root = NoCompareParent;

    // Ranks every item by its path: depth first, the names of each folder
    // in alphabetical order. Name order and every tie then compare integers.
    void RankPaths();
    void Rebuild();
    void SortRows();
    const std::vector<uint32_t> &ChildrenOf(uint32_t item) const;
    bool Less(uint32_t x, uint32_t y) const;

    std::shared_ptr<const TCompareResult> m_Result;
    bool m_Tree = true;
    TCompareReport::TStateSet m_Shown{true, true, true, true, true};
    int m_SortColumn = colName;
    Qt::SortOrder m_SortOrder = Qt::AscendingOrder;

    // Rows of the root (the top level or the whole flat list) and, in the
    // tree, of every folder; m_RowOf[item] is the item's row in its parent.
    std::vector<uint32_t> m_TopRows;
    std::vector<std::vector<uint32_t>> m_ChildRows;
    std::vector<uint32_t> m_RowOf;
    std::vector<uint32_t> m_PathRank;
};
