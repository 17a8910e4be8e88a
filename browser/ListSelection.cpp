#include "browser/ListSelection.h"

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>

TListSelection::TListSelection(TFileListView &view, TFileListModel &listing, QObject *parent)
    : QObject(parent), m_View(view), m_Listing(listing), m_Shown(&listing)
{
    m_View.setModel(&listing);
    FollowSelectionModel();
}

bool TListSelection::ShowsListing() const
{
    return m_Shown == &m_Listing;
}

QItemSelectionModel *TListSelection::SelectionModel() const
{
    return m_View.selectionModel();
}

void TListSelection::Show(TEntryListModel *model)
{
    if (!model || model == m_Shown)
        return;
    QItemSelectionModel *previous = m_View.selectionModel();
    m_Shown = model;
    m_View.setModel(model);
    previous->deleteLater(); // the views share the new one
    FollowSelectionModel();
    emit modelChanged();
}

void TListSelection::ShowListing()
{
    Show(&m_Listing);
}

void TListSelection::FollowSelectionModel()
{
    m_CountCache = -1;
    connect(m_View.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_CountCache = -1;
        emit selectionChanged();
    });
    // A reset empties the selection without a selectionChanged.
    connect(m_Shown, &QAbstractItemModel::modelReset, this, &TListSelection::CountAgain, Qt::UniqueConnection);
}

int TListSelection::Count() const
{
    if (m_CountCache < 0)
        m_CountCache = int(m_View.selectionModel()->selectedRows().size());
    return m_CountCache;
}

std::vector<int> TListSelection::SelectedRowNumbers() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_View.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TListSelection::TRow TListSelection::RowAt(int row) const
{
    return {m_Shown->VornAt(row), m_Shown->EntryAt(row), m_Shown->BaseFolderAt(row), m_Shown->IsFolderAt(row),
            m_Shown->NameAt(row), row};
}

std::vector<TListSelection::TRow> TListSelection::SelectedRows() const
{
    std::vector<TRow> rows;
    for (const int row : SelectedRowNumbers())
        rows.push_back(RowAt(row));
    return rows;
}

std::optional<TListSelection::TRow> TListSelection::Single() const
{
    if (Count() != 1)
        return std::nullopt;
    return RowAt(m_View.selectionModel()->selectedRows().first().row());
}

std::optional<TListSelection::TRow> TListSelection::SingleFile() const
{
    std::optional<TRow> row = Single();
    if (!row || !row->Vorn || row->Vorn->IsDirectory(row->Entry))
        return std::nullopt;
    return row;
}

std::vector<TEntryGroup> TListSelection::Groups() const
{
    const std::vector<int> numbers = SelectedRowNumbers();
    if (std::optional<TEntryGroup> own = numbers.empty() ? std::nullopt : m_Shown->OwnGroup(numbers))
        return {std::move(*own)};
    std::vector<TEntryGroup> groups;
    for (const TRow &row : SelectedRows()) {
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&row](const TEntryGroup &g) { return g.Vorn == row.Vorn && g.Folder == row.Folder; });
        if (group == groups.end())
            group = groups.insert(groups.end(), {row.Vorn, row.Folder, {}});
        group->Entries.push_back(row.Entry);
    }
    return groups;
}

TOutgoingFiles TListSelection::Files() const
{
    std::vector<TOutgoingRow> rows;
    for (const TRow &row : SelectedRows())
        rows.push_back({row.Vorn, row.Folder, row.Entry, row.Name});
    TOutgoingFiles files = GroupOutgoingRows(rows);
    const std::vector<int> numbers = SelectedRowNumbers();
    if (std::optional<TEntryGroup> own = numbers.empty() ? std::nullopt : m_Shown->OwnGroup(numbers))
        files.Groups = SplitMergedByRepeat(*own, files.Names);
    return files;
}

void TListSelection::SelectEntry(const TVornFile *vorn, TEntryOffset entry)
{
    for (int row = 0; row < m_Shown->rowCount(); ++row) {
        if (m_Shown->VornAt(row) != vorn || m_Shown->EntryAt(row) != entry)
            continue;
        const QModelIndex index = m_Shown->index(row, 0);
        m_View.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_View.CurrentView()->scrollTo(index);
        return;
    }
}
