#include "browser/merged/MergedListModel.h"

#include "archive/Exceptions.h"
#include "browser/FileListModel.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"
#include "browser/SortFunctions.h"
#include "engines/MergedView.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

TMergedListModel::TMergedListModel(QObject *parent) : TEntryListModel(parent) {}

QString TMergedListModel::ColumnCaption(int column)
{
    if (column == ColArchive)
        return QStringLiteral("Archive");
    if (column == ColOverrides)
        return QStringLiteral("Overrides");
    return TFileListModel::ColumnCaption(column);
}

void TMergedListModel::SetView(const TMergedView *view, std::weak_ptr<const TMergedView> handle)
{
    m_View = view;
    m_Handle = std::move(handle);
    m_Folder = MergeRoot;
    Rebuild();
}

void TMergedListModel::ShowFolder(TMergeNodeId folder)
{
    m_Folder = folder;
    Rebuild();
}

void TMergedListModel::SetOnlyConflicts(bool only)
{
    if (only == m_OnlyConflicts)
        return;
    m_OnlyConflicts = only;
    Rebuild();
}

void TMergedListModel::SortByColumn(int column)
{
    if (column < 0 || column >= MergedColumnCount || column == ColRatio || column == ColFormat || column == ColCrc)
        return;
    m_SortDescending = column == m_SortColumn ? !m_SortDescending : false;
    m_SortColumn = column;
    beginResetModel();
    SortRows();
    endResetModel();
}

void TMergedListModel::Rebuild()
{
    std::vector<TRow> rows;
    if (m_View) {
        for (const TMergeNodeId node : m_View->Children(m_Folder)) {
            if (m_OnlyConflicts && !m_View->InConflict(node) && !m_View->HasConflictBelow(node))
                continue;
            try {
                rows.push_back(MakeRow(node));
            } catch (const Exception &) {
                // A version whose record can't be read was left out of the view already.
            }
        }
    }
    beginResetModel();
    m_Rows = std::move(rows);
    SortRows();
    endResetModel();
}

TMergedListModel::TRow TMergedListModel::MakeRow(TMergeNodeId node)
{
    const TMergeVersion &winner = m_View->Winner(node);
    const TVornFile &vorn = m_View->Archive(winner.Archive);
    TRow row;
    row.Node = node;
    row.Archive = winner.Archive;
    row.Hidden = m_View->HiddenCount(node);
    TVornChildItem &item = row.Item;
    item.Entry = winner.Entry;
    item.Name = m_View->Name(node);
    item.NeedsDetail = false;
    item.Modified = FileTimeToDateTime(vorn.GetFileTime(winner.Entry));
    if (winner.IsFolder) {
        item.ImageIndex = TVornChildItem::FolderImage;
        item.TypeName = QStringLiteral("Folder");
        return row;
    }
    const TFileTypeCache::TTypeInfo &type = m_Types.Lookup(item.Name);
    item.ImageIndex = type.ImageIndex;
    item.TypeName = type.Description;
    item.Size = vorn.GetSize(winner.Entry);
    item.Flags = vorn.GetFileFlags(winner.Entry);
    item.FormatCode = vorn.GetFormat(winner.Entry);
    const std::string format = FormatToStr(item.FormatCode);
    std::memcpy(item.Format, format.data(), std::min(format.size(), sizeof item.Format));
    item.Crc = vorn.GetCrc32(winner.Entry);
    item.StoredSize = vorn.GetCompressedSize(winner.Entry);
    return row;
}

void TMergedListModel::SortRows()
{
    // Every order is worked out ascending and reversed as a whole.
    const bool descending = m_SortDescending;
    std::function<int(const TRow &, const TRow &)> compare;
    if (m_SortColumn == ColArchive || m_SortColumn == ColOverrides) {
        compare = [this](const TRow &a, const TRow &b) {
            if (a.Item.IsFolder() != b.Item.IsFolder())
                return a.Item.IsFolder() ? -1 : 1;
            int order = m_SortColumn == ColArchive ? CompareText(ArchiveName(a.Archive), ArchiveName(b.Archive))
                                                   : (a.Hidden < b.Hidden ? -1 : a.Hidden > b.Hidden ? 1 : 0);
            return order != 0 ? order : CompareText(a.Item.Name, b.Item.Name);
        };
    } else {
        const TSortCompare byColumn = CompareForColumn(TFileListModel::ColumnCaption(m_SortColumn));
        const TSortCompare chosen = byColumn ? byColumn : CompareByName;
        compare = [chosen](const TRow &a, const TRow &b) { return chosen(a.Item, b.Item, false); };
    }
    std::sort(m_Rows.begin(), m_Rows.end(), [&](const TRow &a, const TRow &b) {
        const int order = compare(a, b);
        return descending ? order > 0 : order < 0;
    });
}

QString TMergedListModel::ArchiveName(uint16_t archive) const
{
    return QFileInfo(QString::fromStdString(m_View->Archive(archive).FileName())).fileName();
}

QString TMergedListModel::ColumnText(const TRow &row, int column) const
{
    const bool folder = row.Item.IsFolder();
    switch (column) {
    case ColName: return AnsiToQString(row.Item.Name);
    case ColType: return row.Item.TypeName;
    case ColSize: return folder ? QString() : TFileListModel::SizeText(row.Item.Size);
    case ColModified: return DateTimeToText(row.Item.Modified);
    case ColRatio: return folder ? QString() : TFileListModel::RatioText(row.Item);
    case ColFormat: return folder ? QString() : row.Item.FormatText();
    case ColCrc: return folder ? QString() : TFileListModel::CrcText(row.Item.Crc);
    case ColArchive: return ArchiveName(row.Archive);
    case ColOverrides: return row.Hidden > 0 ? QString::number(row.Hidden) : QString();
    default: return QString();
    }
}

const TVornFile *TMergedListModel::VornAt(int row) const
{
    return &m_View->Archive(m_Rows[size_t(row)].Archive);
}

std::vector<const TVornFile *> TMergedListModel::Archives() const
{
    std::vector<const TVornFile *> archives;
    for (size_t archive = 0; m_View && archive < m_View->ArchiveCount(); ++archive)
        archives.push_back(&m_View->Archive(uint32_t(archive)));
    return archives;
}

TEntryOffset TMergedListModel::BaseFolderAt(int row) const
{
    return VornAt(row)->GetParent(EntryAt(row));
}

bool TMergedListModel::OpenFolderAt(int row)
{
    emit folderOpened(NodeAt(row));
    return true;
}

std::optional<TEntryGroup> TMergedListModel::OwnGroup(const std::vector<int> &rows) const
{
    TEntryGroup group;
    group.Vorn = VornAt(rows.front());
    group.Merged = m_Handle;
    group.MergedFolder = m_Folder;
    for (const int row : rows)
        group.Nodes.push_back(NodeAt(row));
    return group;
}

bool TMergedListModel::ShowPropertiesAt(int row)
{
    emit propertiesRequested(NodeAt(row));
    return true;
}

QString TMergedListModel::NameAt(int row) const
{
    return AnsiToQString(m_Rows[size_t(row)].Item.Name);
}

int TMergedListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_Rows.size());
}

int TMergedListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MergedColumnCount;
}

QVariant TMergedListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_Rows.size()))
        return QVariant();
    const TRow &row = m_Rows[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return ColumnText(row, column);
    case Qt::ToolTipRole:
        if (column == ColOverrides && m_View->HasKindConflict(row.Node))
            return QStringLiteral("A file and a folder of this path: the higher archive wins");
        return ColumnText(row, column);
    case Qt::DecorationRole:
        return column == ColName ? QVariant(ListPicture(row.Item.ImageIndex)) : QVariant();
    case Qt::TextAlignmentRole:
        return column == ColSize || column == ColOverrides ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                                           : QVariant();
    case EntryRole:
        return QVariant::fromValue(uint(row.Item.Entry));
    default:
        return QVariant();
    }
}
