#pragma once
// TDetailsView: the file list's "Details" style, a table of one line per row
// with the list's columns, fixed row heights and no row header. A table keeps
// nothing per row: rows added to a list of a million cost what the added
// rows cost, where a tree view lays out all its rows again at each addition
// (a broad search streams its results in while the user types). The keys
// move by rows, as in a list: Home and End go to the first and last row,
// Left and Right scroll sideways.

#include <QTableView>

class TDetailsView : public QTableView {
    Q_OBJECT

public:
    explicit TDetailsView(QWidget *parent = nullptr);

    // The column header.
    QHeaderView *header() const { return horizontalHeader(); }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};
