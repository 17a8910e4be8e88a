#include "compare/CompareModel.h"

#include "archive/vmFunctions.h"

#include <QColor>

#include <algorithm>

namespace {

const std::vector<uint32_t> NoRows;

int CompareNames(const std::string &x, size_t xStart, const std::string &y, size_t yStart)
{
    // a-z against A-Z first, so that a listing reads alphabetically; then
    // byte order, so that names differing only in case keep a fixed order.
    const size_t xLength = x.size() - xStart, yLength = y.size() - yStart;
    for (size_t i = 0; i < std::min(xLength, yLength); ++i) {
        const auto fold = [](char c) { return uint8_t(c >= 'a' && c <= 'z' ? c - 32 : c); };
        const uint8_t a = fold(x[xStart + i]), b = fold(y[yStart + i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (xLength != yLength)
        return xLength < yLength ? -1 : 1;
    return x.compare(xStart, xLength, y, yStart, yLength);
}

QString CrcText(bool present, uint32_t crc)
{
    return present && crc != 0 ? QString::asprintf("%08X", crc) : QString();
}

QColor StateColor(TCompareState state)
{
    switch (state) {
    case TCompareState::OnlyInA: return QColor(170, 0, 0);
    case TCompareState::OnlyInB: return QColor(0, 128, 0);
    case TCompareState::Changed: return QColor(0, 0, 200);
    case TCompareState::Repacked: return QColor(128, 96, 0);
    case TCompareState::Same: break;
    }
    return {};
}

} // namespace

TCompareModel::TCompareModel(QObject *parent) : QAbstractItemModel(parent) {}

void TCompareModel::SetResult(std::shared_ptr<const TCompareResult> result)
{
    beginResetModel();
    m_Result = std::move(result);
    RankPaths();
    Rebuild();
    endResetModel();
}

void TCompareModel::SetTree(bool tree)
{
    if (tree == m_Tree)
        return;
    beginResetModel();
    m_Tree = tree;
    Rebuild();
    endResetModel();
}

void TCompareModel::SetStateShown(TCompareState state, bool shown)
{
    if (m_Shown[size_t(state)] == shown)
        return;
    beginResetModel();
    m_Shown[size_t(state)] = shown;
    Rebuild();
    endResetModel();
}

void TCompareModel::RankPaths()
{
    m_PathRank.clear();
    if (!m_Result)
        return;
    const std::vector<TCompareItem> &items = m_Result->Items;
    const uint32_t count = uint32_t(items.size());
    // The children of every item in one array (slot count: the top level),
    // each folder's run sorted by name.
    std::vector<uint32_t> first(count + 2, 0);
    for (const TCompareItem &item : items)
        ++first[(item.Parent == Root ? count : item.Parent) + 1];
    for (uint32_t i = 1; i < first.size(); ++i)
        first[i] += first[i - 1];
    std::vector<uint32_t> children(count);
    std::vector<uint32_t> fill(first.begin(), first.end() - 1);
    for (uint32_t i = 0; i < count; ++i)
        children[fill[items[i].Parent == Root ? count : items[i].Parent]++] = i;
    const auto byName = [&items](uint32_t x, uint32_t y) {
        const int order = CompareNames(items[x].Name, 0, items[y].Name, 0);
        return order != 0 ? order < 0 : x < y;
    };
    for (uint32_t parent = 0; parent <= count; ++parent)
        std::sort(children.begin() + first[parent], children.begin() + first[parent + 1], byName);

    m_PathRank.assign(count, 0);
    uint32_t rank = 0;
    std::vector<std::pair<uint32_t, uint32_t>> stack{{first[count], first[count + 1]}}; // runs still to visit
    while (!stack.empty()) {
        auto &[next, end] = stack.back();
        if (next == end) {
            stack.pop_back();
            continue;
        }
        const uint32_t item = children[next++];
        m_PathRank[item] = rank++;
        if (first[item] != first[item + 1])
            stack.push_back({first[item], first[item + 1]});
    }
}

void TCompareModel::Rebuild()
{
    m_TopRows.clear();
    m_ChildRows.clear();
    m_RowOf.clear();
    if (!m_Result)
        return;
    const std::vector<TCompareItem> &items = m_Result->Items;
    if (m_Tree) {
        // Everything below an item follows it: going backwards, each item
        // knows whether anything below it is shown before its own turn.
        std::vector<bool> shown(items.size());
        for (size_t i = items.size(); i-- > 0;) {
            shown[i] = shown[i] || m_Shown[size_t(items[i].State)];
            if (shown[i] && items[i].Parent != Root)
                shown[items[i].Parent] = true;
        }
        m_ChildRows.resize(items.size());
        for (uint32_t i = 0; i < items.size(); ++i)
            if (shown[i])
                (items[i].Parent == Root ? m_TopRows : m_ChildRows[items[i].Parent]).push_back(i);
    } else {
        for (uint32_t i = 0; i < items.size(); ++i)
            if (TCompareReport::Listed(items[i], m_Shown))
                m_TopRows.push_back(i);
    }
    m_RowOf.assign(items.size(), 0);
    SortRows();
}

bool TCompareModel::Less(uint32_t x, uint32_t y) const
{
    const TCompareItem &a = m_Result->Items[x];
    const TCompareItem &b = m_Result->Items[y];
    if (m_Tree && a.IsFolder != b.IsFolder)
        return a.IsFolder; // folders first, in either order
    int order = 0;
    switch (m_SortColumn) {
    case colState: order = int(a.State) - int(b.State); break;
    case colSizeA: order = a.SizeA < b.SizeA ? -1 : a.SizeA > b.SizeA; break;
    case colSizeB: order = a.SizeB < b.SizeB ? -1 : a.SizeB > b.SizeB; break;
    case colCrcA: order = a.Crc32A < b.Crc32A ? -1 : a.Crc32A > b.Crc32A; break;
    case colCrcB: order = a.Crc32B < b.Crc32B ? -1 : a.Crc32B > b.Crc32B; break;
    default: break;
    }
    if (order == 0) // siblings rank in name order, so the rank serves the tree too
        order = m_PathRank[x] < m_PathRank[y] ? -1 : m_PathRank[x] > m_PathRank[y];
    return m_SortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

void TCompareModel::SortRows()
{
    const auto sortRows = [this](std::vector<uint32_t> &rows) {
        std::sort(rows.begin(), rows.end(), [this](uint32_t x, uint32_t y) { return Less(x, y); });
        for (uint32_t row = 0; row < rows.size(); ++row)
            m_RowOf[rows[row]] = row;
    };
    sortRows(m_TopRows);
    for (std::vector<uint32_t> &rows : m_ChildRows)
        if (!rows.empty())
            sortRows(rows);
}

void TCompareModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<uint32_t> items;
    for (const QModelIndex &index : before)
        items.push_back(uint32_t(index.internalId()));
    m_SortColumn = column;
    m_SortOrder = order;
    if (m_Result)
        SortRows();
    QModelIndexList after;
    for (size_t i = 0; i < items.size(); ++i)
        after.append(createIndex(int(m_RowOf[items[i]]), before[qsizetype(i)].column(), quintptr(items[i])));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

const std::vector<uint32_t> &TCompareModel::ChildrenOf(uint32_t item) const
{
    if (item == Root)
        return m_TopRows;
    return m_Tree && item < m_ChildRows.size() ? m_ChildRows[item] : NoRows;
}

const TCompareItem *TCompareModel::ItemAt(const QModelIndex &index) const
{
    if (!index.isValid() || !m_Result)
        return nullptr;
    return &m_Result->Items[index.internalId()];
}

QModelIndex TCompareModel::IndexOfItem(uint32_t item) const
{
    if (!m_Result || item >= m_Result->Items.size())
        return {};
    const uint32_t parent = m_Tree ? m_Result->Items[item].Parent : Root;
    const std::vector<uint32_t> &rows = ChildrenOf(parent);
    const uint32_t row = m_RowOf[item];
    if (row >= rows.size() || rows[row] != item)
        return {};
    return createIndex(int(row), 0, quintptr(item));
}

std::vector<uint32_t> TCompareModel::ShownItems() const
{
    std::vector<uint32_t> shown;
    std::vector<std::pair<const std::vector<uint32_t> *, size_t>> stack{{&m_TopRows, 0}};
    while (!stack.empty()) {
        auto &[rows, next] = stack.back();
        if (next == rows->size()) {
            stack.pop_back();
            continue;
        }
        const uint32_t item = (*rows)[next++];
        shown.push_back(item);
        if (!ChildrenOf(item).empty())
            stack.push_back({&ChildrenOf(item), 0});
    }
    return shown;
}

QModelIndex TCompareModel::index(int row, int column, const QModelIndex &parent) const
{
    const uint32_t parentItem = parent.isValid() ? uint32_t(parent.internalId()) : Root;
    const std::vector<uint32_t> &rows = ChildrenOf(parentItem);
    if (row < 0 || size_t(row) >= rows.size() || column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column, quintptr(rows[size_t(row)]));
}

QModelIndex TCompareModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || !m_Tree)
        return {};
    const uint32_t parent = m_Result->Items[child.internalId()].Parent;
    return parent == Root ? QModelIndex() : createIndex(int(m_RowOf[parent]), 0, quintptr(parent));
}

int TCompareModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(ChildrenOf(parent.isValid() ? uint32_t(parent.internalId()) : Root).size());
}

int TCompareModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QVariant TCompareModel::data(const QModelIndex &index, int role) const
{
    const TCompareItem *item = ItemAt(index);
    if (!item)
        return {};
    if (role == Qt::ForegroundRole) {
        const QColor color = StateColor(item->State);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() >= colSizeA)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const bool fileA = !item->IsFolder && item->EntryA != 0;
    const bool fileB = !item->IsFolder && item->EntryB != 0;
    switch (index.column()) {
    case colName:
        return QString::fromStdString(m_Tree ? AnsiToUtf8(item->Name)
                                             : TCompareReport::DisplayPath(*m_Result, size_t(item - m_Result->Items.data())));
    case colState: return QString::fromLatin1(CompareStateText(item->State));
    case colSizeA: return fileA ? QString::number(item->SizeA) : QString();
    case colSizeB: return fileB ? QString::number(item->SizeB) : QString();
    case colCrcA: return CrcText(fileA, item->Crc32A);
    case colCrcB: return CrcText(fileB, item->Crc32B);
    default: return {};
    }
}

QVariant TCompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case colName: return m_Tree ? QStringLiteral("Name") : QStringLiteral("Path");
    case colState: return QStringLiteral("State");
    case colSizeA: return QStringLiteral("Size A");
    case colSizeB: return QStringLiteral("Size B");
    case colCrcA: return QStringLiteral("CRC-32 A");
    case colCrcB: return QStringLiteral("CRC-32 B");
    default: return {};
    }
}
