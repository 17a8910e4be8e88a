#include "browser/EntryListModel.h"

#include "browser/DamagedEntries.h"

#include <QBrush>
#include <QColor>

namespace {

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

QBrush DamagedColor()
{
    return QBrush(QColor(200, 0, 0));
}

QString UpperAscii(QString text)
{
    for (QChar &c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return text;
}

} // namespace

TEntryListModel::TEntryListModel(QObject *parent) : QAbstractTableModel(parent) {}

void TEntryListModel::DamagedEntriesChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const std::string *TEntryListModel::DamageOf(int row) const
{
    return m_Damaged ? m_Damaged->Find(VornAt(row), EntryAt(row)) : nullptr;
}

int TEntryListModel::DamagedBelow(int row) const
{
    return m_Damaged ? m_Damaged->DamagedBelow(VornAt(row), EntryAt(row)) : 0;
}

QVariant TEntryListModel::DamageMark(int role, const std::string &reason, const QString &text)
{
    if (role == DamagedRole)
        return true;
    if (role == Qt::ForegroundRole)
        return DamagedColor();
    return text + QStringLiteral("\nDamaged: ") + QString::fromStdString(reason);
}

QVariant TEntryListModel::HolderMark(int role, int damagedBelow, const QString &text)
{
    if (role == Qt::ForegroundRole)
        return DamagedColor();
    return text + QStringLiteral("\nHolds %1 damaged %2")
                      .arg(damagedBelow)
                      .arg(damagedBelow == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
}

int TEntryListModel::DataFind(const QString &text, int start, bool wrap) const
{
    const int count = rowCount();
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
        if (StartsWithAsciiCase(NameAt(position), upper))
            return position;
    }
    return -1;
}

QVariant TEntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return Caption(section);
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags TEntryListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QModelIndexList TEntryListModel::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                       Qt::MatchFlags flags) const
{
    // Only the names answer, and only prefix searches (the list's own
    // type-ahead asks with "starts with"). The search starts from the
    // current cell, which is in whatever column was clicked: it still goes
    // by the names, from that cell's row.
    const Qt::MatchFlags kind = flags & Qt::MatchTypeMask;
    const bool prefix = kind == Qt::MatchStartsWith || kind == Qt::MatchFixedString || kind == Qt::MatchExactly;
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::match(start, role, value, hits, flags);
    if (!prefix || hits == 0)
        return {};
    const int found = DataFind(value.toString(), start.isValid() ? start.row() : 0, flags.testFlag(Qt::MatchWrap));
    if (found < 0)
        return {};
    return {index(found, ColName)};
}
