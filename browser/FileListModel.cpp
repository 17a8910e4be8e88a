#include "browser/FileListModel.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/DamagedEntries.h"
#include "browser/FileTypes.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"
#include "platform/ThemeColors.h"

#include <QBrush>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

struct TTypeInfo {
    QString description;
    int16_t imageIndex;
};

// Type texts depend only on the extension: one registry look-up per
// extension and listing, and rows of one type share the text.
class TTypeCache {
public:
    const TTypeInfo &Lookup(const std::string &name)
    {
        const size_t dot = name.rfind('.');
        const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
        auto found = m_types.find(extension);
        if (found == m_types.end()) {
            const QString fileName = AnsiToQString(name);
            TTypeInfo info{FileTypeDescription(fileName), int16_t(FileTypeIconIndex(fileName))};
            found = m_types.emplace(extension, std::move(info)).first;
        }
        return found->second;
    }

private:
    std::unordered_map<std::string, TTypeInfo> m_types;
};

const QString FolderTypeName = QStringLiteral("Folder");

bool StartsWithAsciiCase(const QString &name, const QString &upperText)
{
    if (name.size() < upperText.size())
        return false;
    for (qsizetype i = 0; i < upperText.size(); ++i) {
        char16_t c = name[i].unicode();
        if (c >= u'a' && c <= u'z')
            c -= 32;
        if (c != upperText[i].unicode())
            return false;
    }
    return true;
}

QString UpperAscii(QString text)
{
    for (QChar &c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return text;
}

} // namespace

TFileListModel::TFileListModel(QObject *parent) : QAbstractTableModel(parent) {}

QString TFileListModel::ColumnCaption(int column)
{
    static const char *const captions[ColumnCount] = {"Name", "Type", "Size", "Last Modified",
                                                       "Ratio", "Format", "CRC"};
    return column >= 0 && column < ColumnCount ? QLatin1String(captions[column]) : QString();
}

std::vector<TVornChildItem> TFileListModel::BuildRows(const TVornFile &vorn, TEntryOffset directory) const
{
    std::vector<TVornChildItem> rows;
    const std::vector<TEntryOffset> children = vorn.GetChildren(directory);
    rows.reserve(children.size());
    TTypeCache types;
    for (const TEntryOffset child : children) {
        TVornChildItem row;
        row.Entry = child;
        row.Name = vorn.GetName(child);
        if (vorn.IsDirectory(child)) {
            row.ImageIndex = TVornChildItem::FolderImage;
            row.TypeName = FolderTypeName;
        } else {
            const TTypeInfo &type = types.Lookup(row.Name);
            row.ImageIndex = type.imageIndex;
            row.TypeName = type.description;
            row.Size = vorn.GetSize(child);
            row.Flags = vorn.GetFileFlags(child);
        }
        row.Modified = FileTimeToDateTime(vorn.GetFileTime(child));
        rows.push_back(std::move(row));
    }
    return rows;
}

void TFileListModel::FillFileList(const TVornFile *vorn, TEntryOffset directory)
{
    std::vector<TVornChildItem> rows;
    try {
        if (vorn)
            rows = BuildRows(*vorn, directory);
    } catch (...) {
        ClearRows();
        m_CurrentFolder = directory;
        throw;
    }
    if (!m_SortCompare)
        m_SortCompare = CompareByName;
    SortRows(rows, m_SortCompare, m_SortDescending);

    beginResetModel();
    m_Rows = std::move(rows);
    m_Vorn = vorn;
    m_CurrentFolder = directory;
    endResetModel();
}

void TFileListModel::ClearRows()
{
    beginResetModel();
    m_Rows.clear();
    m_Rows.shrink_to_fit();
    m_Vorn = nullptr;
    m_CurrentFolder = 0; // an offset of the forgotten archive means nothing in another
    endResetModel();
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

int TFileListModel::DataFind(const QString &text, int start, bool wrap) const
{
    const int count = int(m_Rows.size());
    if (start < 0 || start > count)
        return -1;
    const QString upper = UpperAscii(text);
    int position = start;
    for (int examined = 0; examined < count; ++examined, ++position) {
        if (position == count) {
            if (!wrap)
                return -1;
            position = 0;
        }
        if (StartsWithAsciiCase(AnsiToQString(m_Rows[size_t(position)].Name), upper))
            return position;
    }
    return -1;
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
    if (const std::string *reason = m_Damaged ? m_Damaged->Find(m_Vorn, row->Entry) : nullptr) {
        if (role == DamagedRole)
            return true;
        if (role == Qt::ForegroundRole)
            return QBrush(QColor(200, 0, 0));
        if (role == Qt::ToolTipRole)
            return ColumnText(*row, column) + QStringLiteral("\nDamaged: ") + QString::fromStdString(*reason);
    }
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

void TFileListModel::DamagedEntriesChanged()
{
    if (!m_Rows.empty())
        emit dataChanged(index(0, 0), index(int(m_Rows.size()) - 1, ColumnCount - 1));
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return ColumnCaption(section);
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QModelIndexList TFileListModel::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                      Qt::MatchFlags flags) const
{
    // Only the names answer, and only prefix searches (the list's own
    // type-ahead asks with "starts with").
    const Qt::MatchFlags kind = flags & Qt::MatchTypeMask;
    const bool prefix = kind == Qt::MatchStartsWith || kind == Qt::MatchFixedString || kind == Qt::MatchExactly;
    if (role != Qt::DisplayRole || start.column() != ColName)
        return QAbstractTableModel::match(start, role, value, hits, flags);
    if (!prefix || hits == 0)
        return {};
    const int found = DataFind(value.toString(), start.isValid() ? start.row() : 0, flags.testFlag(Qt::MatchWrap));
    if (found < 0)
        return {};
    return {index(found, ColName)};
}
