#include "browser/FileListModel.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/FileTypeCache.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"
#include "platform/ThemeColors.h"

#include <QBrush>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString FolderTypeName = QStringLiteral("Folder");

} // namespace

TFileListModel::TFileListModel(QObject *parent) : TEntryListModel(parent) {}

QString TFileListModel::ColumnCaption(int column)
{
    static const char *const captions[ColumnCount] = {"Name", "Type", "Size", "Last Modified",
                                                       "Ratio", "Format", "CRC"};
    return column >= 0 && column < ColumnCount ? QLatin1String(captions[column]) : QString();
}

std::vector<TVornChildItem> TFileListModel::BuildRows(const TVornFile &vorn,
                                                      std::span<const TEntryOffset> children) const
{
    std::vector<TVornChildItem> rows;
    rows.reserve(children.size());
    TFileTypeCache types;
    for (const TEntryOffset child : children) {
        TVornChildItem row;
        row.Entry = child;
        row.Name = vorn.GetName(child);
        if (vorn.IsDirectory(child)) {
            row.ImageIndex = TVornChildItem::FolderImage;
            row.TypeName = FolderTypeName;
        } else {
            const TFileTypeCache::TTypeInfo &type = types.Lookup(row.Name);
            row.ImageIndex = type.ImageIndex;
            row.TypeName = type.Description;
            row.Size = vorn.GetSize(child);
            row.Flags = vorn.GetFileFlags(child);
        }
        row.Modified = FileTimeToDateTime(vorn.GetFileTime(child));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TVornChildItem> TFileListModel::SortedRows(const TVornFile &vorn, TEntryOffset directory,
                                                       std::span<const TEntryOffset> byName) const
{
    if (byName.empty() || m_SortCompare != CompareByName) {
        std::vector<TVornChildItem> rows = BuildRows(vorn, vorn.GetChildren(directory));
        SortRows(rows, m_SortCompare, m_SortDescending);
        return rows;
    }
    std::vector<TVornChildItem> rows = BuildRows(vorn, byName);
    if (m_SortDescending)
        std::reverse(rows.begin(), rows.end()); // descending reverses the whole order
    return rows;
}

void TFileListModel::FillFileList(const TVornFile *vorn, TEntryOffset directory, std::span<const TEntryOffset> byName)
{
    if (!m_SortCompare)
        m_SortCompare = CompareByName;
    std::vector<TVornChildItem> rows;
    try {
        if (vorn)
            rows = SortedRows(*vorn, directory, byName);
    } catch (...) {
        ClearRows();
        throw;
    }

    beginResetModel();
    m_Rows = std::move(rows);
    m_Vorn = vorn;
    m_Folder = directory;
    endResetModel();
}

void TFileListModel::ClearRows()
{
    beginResetModel();
    m_Rows.clear();
    m_Rows.shrink_to_fit();
    m_Vorn = nullptr;
    m_Folder = 0;
    endResetModel();
}

std::vector<const TVornFile *> TFileListModel::Archives() const
{
    if (!m_Vorn)
        return {};
    return {m_Vorn};
}

void TFileListModel::FillDetails(TVornChildItem &row) const
{
    row.NeedsDetail = false;
    if (!m_Vorn || m_Vorn->IsDirectory(row.Entry))
        return;
    row.FormatCode = m_Vorn->GetFormat(row.Entry);
    const std::string name = FormatToStr(row.FormatCode);
    std::memset(row.Format, 0, sizeof row.Format);
    std::memcpy(row.Format, name.data(), std::min(name.size(), sizeof row.Format));
    row.Crc = m_Vorn->GetCrc32(row.Entry);
    row.StoredSize = m_Vorn->GetCompressedSize(row.Entry);
}

void TFileListModel::FillRowDetails(int first, int last) const
{
    if (first < 0 || last >= int(m_Rows.size()))
        return;
    for (int i = first; i <= last; ++i) {
        TVornChildItem &row = m_Rows[size_t(i)];
        if (!row.NeedsDetail)
            continue;
        try {
            FillDetails(row);
        } catch (const Exception &) {
            // A damaged entry keeps empty detail columns; the list goes on.
        }
    }
}

bool TFileListModel::ChooseSortColumn(int column)
{
    const TSortCompare chosen = CompareForColumn(ColumnCaption(column));
    if (!chosen)
        return false;
    m_SortDescending = chosen == m_SortCompare ? !m_SortDescending : false;
    m_SortCompare = chosen;
    return true;
}

void TFileListModel::SortByColumn(int column)
{
    if (ChooseSortColumn(column))
        FillFileList(m_Vorn, m_Folder);
}

QString TFileListModel::NameAt(int row) const
{
    return AnsiToQString(m_Rows[size_t(row)].Name);
}

QString TFileListModel::SizeText(uint32_t size)
{
    // 64-bit arithmetic: sizes near 4 GiB must not wrap around to "1 kB".
    const uint64_t kilobytes = size == 0 ? 0 : (uint64_t(size) + 1023) >> 10;
    return QString::number(kilobytes) + QLatin1String(" kB");
}

QString TFileListModel::RatioText(const TVornChildItem &row)
{
    if (row.Size == 0 || row.FormatCode == DATAFORMAT_RAW)
        return QString();
    const double ratio = 100.0 - double(row.StoredSize) / double(row.Size) * 100.0;
    return QString::number(qint64(std::nearbyint(ratio))) + u'%';
}

QString TFileListModel::CrcText(uint32_t crc)
{
    if (crc == 0)
        return QStringLiteral("-");
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

QString TFileListModel::ColumnText(const TVornChildItem &row, int column) const
{
    const bool folder = row.IsFolder();
    switch (column) {
    case ColName: return AnsiToQString(row.Name);
    case ColType: return row.TypeName;
    case ColSize: return folder ? QString() : SizeText(row.Size);
    case ColModified: return DateTimeToText(row.Modified);
    case ColRatio: return folder ? QString() : RatioText(row);
    case ColFormat: return folder ? QString() : row.FormatText();
    case ColCrc: return folder ? QString() : CrcText(row.Crc);
    default: return QString();
    }
}

const TVornChildItem *TFileListModel::RowAt(const QModelIndex &index) const
{
    if (!index.isValid() || !m_Vorn || index.row() >= int(m_Rows.size()))
        return nullptr;
    FillRowDetails(index.row(), index.row());
    return &m_Rows[size_t(index.row())];
}

QVariant TFileListModel::FontFor(const TVornChildItem &row, int column) const
{
    const bool struckOut = (row.Flags & FILEFLAG_STRUCK_OUT) != 0;
    if (column != ColCrc && !struckOut)
        return QVariant();
    QFont font = QGuiApplication::font();
    if (column == ColCrc) {
        font.setFamilies({QStringLiteral("Courier New"), QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
        font.setStyleHint(QFont::TypeWriter);
    }
    font.setStrikeOut(struckOut);
    return font;
}

int TFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_Rows.size());
}

int TFileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex &index, int role) const
{
    const TVornChildItem *row = RowAt(index);
    if (!row)
        return QVariant();
    const int column = index.column();
    const QVariant damaged = DamagedData(index.row(), role, [&] { return ColumnText(*row, column); });
    if (damaged.isValid())
        return damaged;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ColumnText(*row, column);
    case Qt::DecorationRole:
        return column == ColName ? QVariant(ListPicture(row->ImageIndex)) : QVariant();
    case Qt::TextAlignmentRole:
        return column == ColSize ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::FontRole:
        return FontFor(*row, column);
    case Qt::ForegroundRole:
        // A "$" name is blue; the other columns keep the window-text colour.
        if (column == ColName && !row->Name.empty() && row->Name[0] == '$')
            return QBrush(ReadableOn(QColor(0, 0, 255), QGuiApplication::palette().color(QPalette::Base)));
        return QVariant();
    case EntryRole:
        return QVariant::fromValue(uint(row->Entry));
    default:
        return QVariant();
    }
}
