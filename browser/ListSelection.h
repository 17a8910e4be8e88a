#pragma once
// TListSelection: what the file list shows -- the listing of a folder or the
// results of a search, any TEntryListModel -- and which of its rows are
// selected. Every question about the selection is answered the same way for
// each kind of list: each selected row's archive, entry and folder, so the
// commands on selected entries need not know which list is shown.
//
// A new kind of list: derive a model from TEntryListModel (the row queries
// say where each row's entry lives) and Show() it; ShowListing() returns to
// the folder listing.

#include "archive/vmVornFileDef.h"
#include "browser/OutgoingFiles.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QItemSelectionModel;
class TEntryListModel;
class TFileListModel;
class TFileListView;
class TVornFile;

class TListSelection : public QObject {
    Q_OBJECT

public:
    // One selected row.
    struct TRow {
        const TVornFile *Vorn = nullptr;
        TEntryOffset Entry = 0;
        // What the entry's folder names are taken below when it is handed
        // out: the listed folder, or the root for a search result.
        TEntryOffset Folder = 0;
        bool IsFolder = false; // a double click opens it in the tree
        QString Name;          // as the list shows it
        int Number = -1;       // the row's place in the list
    };

    TListSelection(TFileListView &view, TFileListModel &listing, QObject *parent = nullptr);

    // ---- What is shown ----
    TEntryListModel *Model() const { return m_Shown; }
    TFileListModel &Listing() const { return m_Listing; }
    TFileListView &View() const { return m_View; }
    bool ShowsListing() const;
    QItemSelectionModel *SelectionModel() const;
    // Shows another list (its own selection, empty at first).
    void Show(TEntryListModel *model);
    void ShowListing();

    // ---- The selection, in list order ----
    int Count() const;
    std::vector<int> SelectedRowNumbers() const;
    std::vector<TRow> SelectedRows() const;
    // The one selected row; none unless exactly one is selected.
    std::optional<TRow> Single() const;
    // The one selected row when it is a file.
    std::optional<TRow> SingleFile() const;
    // The selected entries by archive (in the order the archives first
    // appear), each with the folder its names are taken below; or the one
    // group of a list whose rows are written by a writer of their own.
    std::vector<TEntryGroup> Groups() const;
    // The selected rows as files for drag-out and Copy.
    TOutgoingFiles Files() const;
    // Selects exactly the rows with this entry of this archive.
    void SelectEntry(const TVornFile *vorn, TEntryOffset entry);

signals:
    // Another list is shown, with a new selection model.
    void modelChanged();
    void selectionChanged();

private:
    void FollowSelectionModel();
    void CountAgain() { m_CountCache = -1; }
    TRow RowAt(int row) const;

    TFileListView &m_View;
    TFileListModel &m_Listing;
    TEntryListModel *m_Shown = nullptr;
    mutable int m_CountCache = -1; // -1: count again
};
