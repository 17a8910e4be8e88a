#pragma once
// TfrmMergeStack: "Properties" of a path of the merged game view: its whole
// stack of versions, the winner first and then the versions it hides from
// the highest priority down, each with its archive, priority, size, CRC-32
// and whether it holds the same bytes as the winner. "Compare with
// overridden version" shows the winner and the selected hidden file side by
// side in hex.

#include "engines/MergedTree.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;
class TMergedView;

class TfrmMergeStack : public QDialog {
    Q_OBJECT
public:
    enum TColumn { ColArchive, ColPriority, ColSize, ColCrc, ColVersion, ColumnCount };

    explicit TfrmMergeStack(QWidget *parent = nullptr);

    // Settles the versions whose bytes only decoding can compare, then
    // fills the rows; the first hidden file is selected.
    void Fill(TMergedView &view, TMergeNodeId node);
    // The selected row's version (0 is the winner); -1 when none is selected.
    int SelectedVersion() const;

    // What the last column says of a version.
    static QString VersionText(const TMergeVersion &version);

    QLabel *lblPath = nullptr;
    QTableWidget *grdVersions = nullptr;
    QPushButton *btnCompare = nullptr;
    QPushButton *btnClose = nullptr;

private:
    void UpdateCompare();

    TMergedView *m_View = nullptr;
    TMergeNodeId m_Node = MergeRoot;
};

// Opens the side-by-side hex view of the winner of `node` (left) and its
// version number `version` (right), a window of its own that closes itself.
// Raises when either can't be read.
QWidget *CompareWithOverridden(QWidget *parent, const TMergedView &view, TMergeNodeId node, int version);
// The first hidden file version of a file node; -1 when it has none.
int FirstOverriddenFile(const TMergedView &view, TMergeNodeId node);
