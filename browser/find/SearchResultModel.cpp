#include "browser/find/SearchResultModel.h"

#include "archive/Exceptions.h"
#include "browser/FileListModel.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"
#include "browser/SortFunctions.h"
#include "engines/MergedView.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>

#include <algorithm>
#include <cstring>

namespace {

const QString FolderTypeName = QStringLiteral("Folder");

} // namespace

TSearchResultModel::TSearchResultModel(QObject *parent) : TEntryListModel(parent) {}

QString TSearchResultModel::ColumnCaption(int column)
{
    if (column == ColFolder)
        return QStringLiteral("Folder");
    if (column == ColArchive)
        return QStringLiteral("Archive");
    return TFileListModel::ColumnCaption(column);
}

void TSearchResultModel::Clear()
{
    beginResetModel();
    m_Rows.clear();
    m_Rows.shrink_to_fit();
    m_Queued.clear();
    m_Queued.shrink_to_fit();
    m_Archives.clear();
    m_Game.reset();
    m_SortColumn = -1;
    m_SortDescending = false;
    endResetModel();
}

uint32_t TSearchResultModel::AddArchive(const TNameIndex &index, const QString &displayName)
{
    m_Archives.push_back({&index, displayName});
    return uint32_t(m_Archives.size() - 1);
}

void TSearchResultModel::AppendRows(uint32_t archive, const std::vector<uint32_t> &items,
                                    const std::vector<TMergeNodeId> &nodes)
{
    Queue(archive, items, nodes);
    Flush();
}

void TSearchResultModel::Queue(uint32_t archive, const std::vector<uint32_t> &items,
                               const std::vector<TMergeNodeId> &nodes)
{
    // No reserve here: growing by the batch would copy every row for each
    // batch of a broad search; push_back grows the rows geometrically.
    for (size_t i = 0; i < items.size(); ++i)
        m_Queued.push_back({archive, items[i], i < nodes.size() ? nodes[i] : NoMergeNode});
}

size_t TSearchResultModel::Flush()
{
    const size_t count = m_Queued.size();
    if (count == 0)
        return 0;
    const int first = int(m_Rows.size());
    beginInsertRows(QModelIndex(), first, first + int(count) - 1);
    m_Rows.insert(m_Rows.end(), m_Queued.begin(), m_Queued.end());
    m_Queued.clear();
    endInsertRows();
    return count;
}

void TSearchResultModel::RemoveArchive(const TVornFile &vorn)
{
    beginResetModel();
    std::erase_if(m_Rows, [&](const TRow &row) { return &VornOf(row) == &vorn; });
    std::erase_if(m_Queued, [&](const TRow &row) { return &VornOf(row) == &vorn; });
    for (TArchive &archive : m_Archives)
        if (archive.Index && &archive.Index->Vorn() == &vorn)
            archive.Index = nullptr; // no row refers to it any more
    endResetModel();
}

TEntryOffset TSearchResultModel::FolderEntryOf(const TRow &row) const
{
    return IndexOf(row).FolderEntry(IndexOf(row).Item(row.Item).Folder);
}

std::string TSearchResultModel::FolderPathOf(const TRow &row) const
{
    if (m_Game && row.Node != NoMergeNode) {
        // The merged folder, spelt as the game view shows it.
        const TMergeNodeId parent = m_Game->Parent(row.Node);
        return parent == MergeRoot ? std::string() : m_Game->Path(parent) + '/';
    }
    return IndexOf(row).FolderPath(IndexOf(row).Item(row.Item).Folder);
}

bool TSearchResultModel::OpenFolderAt(int row)
{
    const TMergeNodeId node = m_Rows[size_t(row)].Node;
    if (!m_Game || node == NoMergeNode)
        return false;
    emit gameFolderOpened(node);
    return true;
}

std::optional<TEntryGroup> TSearchResultModel::OwnGroup(const std::vector<int> &rows) const
{
    if (!m_Game)
        return std::nullopt;
    TEntryGroup group;
    group.Vorn = VornAt(rows.front());
    group.Merged = m_Game;
    group.MergedFolder = MergeRoot; // results come from anywhere: paths are taken from the top
    for (const int row : rows)
        group.Nodes.push_back(m_Rows[size_t(row)].Node);
    return group;
}

TVornChildItem TSearchResultModel::ItemOf(const TRow &row) const
{
    const TNameIndex &index = IndexOf(row);
    const TVornFile &vorn = index.Vorn();
    TVornChildItem item;
    item.Entry = index.Item(row.Item).Entry;
    item.Name = std::string(index.Name(row.Item));
    item.NeedsDetail = false;
    try {
        item.Modified = FileTimeToDateTime(vorn.GetFileTime(item.Entry));
        if (index.Item(row.Item).IsFolder) {
            item.ImageIndex = TVornChildItem::FolderImage;
            item.TypeName = FolderTypeName;
            return item;
        }
        const TFileTypeCache::TTypeInfo &type = m_Types.Lookup(item.Name);
        item.ImageIndex = type.ImageIndex;
        item.TypeName = type.Description;
        item.Size = vorn.GetSize(item.Entry);
        item.Flags = vorn.GetFileFlags(item.Entry);
        item.FormatCode = vorn.GetFormat(item.Entry);
        const std::string format = FormatToStr(item.FormatCode);
        std::memcpy(item.Format, format.data(), std::min(format.size(), sizeof item.Format));
        item.Crc = vorn.GetCrc32(item.Entry);
        item.StoredSize = vorn.GetCompressedSize(item.Entry);
    } catch (const Exception &) {
        // a damaged record keeps the columns read so far
    }
    return item;
}

QString TSearchResultModel::ColumnText(const TRow &row, int column) const
{
    if (column == ColFolder)
        return AnsiToQString(FolderPathOf(row));
    if (column == ColArchive)
        return m_Archives[row.Archive].Name;
    const TVornChildItem item = ItemOf(row);
    const bool folder = item.IsFolder();
    switch (column) {
    case TFileListModel::ColName: return AnsiToQString(item.Name);
    case TFileListModel::ColType: return item.TypeName;
    case TFileListModel::ColSize: return folder ? QString() : TFileListModel::SizeText(item.Size);
    case TFileListModel::ColModified: return DateTimeToText(item.Modified);
    case TFileListModel::ColRatio: return folder ? QString() : TFileListModel::RatioText(item);
    case TFileListModel::ColFormat: return folder ? QString() : item.FormatText();
    case TFileListModel::ColCrc: return folder ? QString() : TFileListModel::CrcText(item.Crc);
    default: return QString();
    }
}

void TSearchResultModel::SortByColumn(int column)
{
    if (column < 0 || column >= ResultColumnCount)
        return;
    m_SortDescending = column == m_SortColumn ? !m_SortDescending : false;
    m_SortColumn = column;
    beginResetModel();
    SortRows(column, m_SortDescending);
    endResetModel();
}

void TSearchResultModel::SortRows(int column, bool descending)
{
    // Each row's key is read once; folders come first in the columns where
    // the folder list groups them (not by date), as there.
    struct TKey {
        bool folder;
        uint64_t number;
        QString text;
        std::string_view name;
        TRow row;
    };
    std::vector<TKey> keys;
    keys.reserve(m_Rows.size());
    const bool textual = column == TFileListModel::ColType || column == TFileListModel::ColFormat
                         || column == ColFolder || column == ColArchive;
    for (const TRow &row : m_Rows) {
        TKey key{IsFolder(row), 0, QString(), IndexOf(row).Name(row.Item), row};
        if (column == ColFolder)
            key.text = AnsiToQString(FolderPathOf(row));
        else if (column == ColArchive)
            key.text = m_Archives[row.Archive].Name;
        else if (column != TFileListModel::ColName) {
            const TVornChildItem item = ItemOf(row);
            key.text = textual ? ColumnText(row, column) : QString();
            key.number = column == TFileListModel::ColSize       ? item.Size
                         : column == TFileListModel::ColModified ? uint64_t(item.Modified * 86400.0 * 1000.0)
                         : column == TFileListModel::ColCrc      ? item.Crc
                         : column == TFileListModel::ColRatio    ? uint64_t(item.Size ? item.StoredSize * 1000.0 / item.Size : 0)
                                                                 : 0;
        }
        keys.push_back(std::move(key));
    }
    const bool groupFolders = column != TFileListModel::ColModified;
    std::stable_sort(keys.begin(), keys.end(), [&](const TKey &a, const TKey &b) {
        int order = groupFolders && a.folder != b.folder ? (a.folder ? -1 : 1) : 0;
        if (order == 0 && textual)
            order = CompareText(a.text, b.text);
        if (order == 0 && a.number != b.number)
            order = a.number < b.number ? -1 : 1;
        if (order == 0)
            order = CompareText(a.name, b.name);
        return descending ? order > 0 : order < 0;
    });
    for (size_t i = 0; i < keys.size(); ++i)
        m_Rows[i] = keys[i].row;
}

QString TSearchResultModel::NameAt(int row) const
{
    const TRow &line = m_Rows[size_t(row)];
    return AnsiToQString(std::string(IndexOf(line).Name(line.Item)));
}

int TSearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_Rows.size());
}

int TSearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ResultColumnCount;
}

QVariant TSearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_Rows.size()))
        return QVariant();
    const TRow &row = m_Rows[size_t(index.row())];
    const int column = index.column();
    const QVariant damaged = DamagedData(index.row(), role, [&] { return ColumnText(row, column); });
    if (damaged.isValid())
        return damaged;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ColumnText(row, column);
    case Qt::DecorationRole:
        return column == TFileListModel::ColName ? QVariant(ListPicture(ItemOf(row).ImageIndex)) : QVariant();
    case Qt::TextAlignmentRole:
        return column == TFileListModel::ColSize ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::FontRole: {
        if ((ItemOf(row).Flags & FILEFLAG_STRUCK_OUT) == 0)
            return QVariant();
        QFont font = QGuiApplication::font();
        font.setStrikeOut(true);
        return font;
    }
    case TFileListModel::EntryRole:
        return QVariant::fromValue(uint(EntryOf(row)));
    default:
        return QVariant();
    }
}
