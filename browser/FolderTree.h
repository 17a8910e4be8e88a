#pragma once
// TFolderTree: the folder tree trvFolders, a view of the session's open
// archives: one top-level node per archive (the newest at the top) with its
// folders below. Every node carries its archive and the entry offset of its
// folder, so the tree needs no other link to the session.
//
// Another kind of node that lists an archive's folder carries that archive
// and folder (SetNodeData). A node of another view (the merged game view)
// carries no archive: the window leaves it alone and its view lists it when
// it is selected. Such top-level nodes stay above the archives.

#include "archive/vmVornFileDef.h"

#include <QTreeWidget>

class TVornFile;

class TFolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit TFolderTree(QWidget *parent = nullptr);

    // A node for the archive at the top (below the nodes of other views),
    // without its folders and without selecting it (no selection change is
    // reported).
    QTreeWidgetItem *AddArchiveNode(TVornFile &vorn, const QString &caption);
    // The folders below the archive's node; a damaged index raises.
    void AddFolderNodes(QTreeWidgetItem *archiveNode);
    // Removes the archive's nodes without reporting a selection change.
    void RemoveArchive(const TVornFile *vorn);

    // A top-level node of another view, above every archive's node; no
    // selection change is reported.
    void InsertViewNode(QTreeWidgetItem *node);

    QTreeWidgetItem *TopNodeOf(const TVornFile *vorn) const;
    // The node of the folder at or below startNode, the first child searched
    // first; null when there is none.
    static QTreeWidgetItem *FindFolderNode(TEntryOffset folder, QTreeWidgetItem *startNode);
    static QTreeWidgetItem *TopOf(QTreeWidgetItem *node);

    static void SetNodeData(QTreeWidgetItem *node, TVornFile &vorn, TEntryOffset folder);
    static TEntryOffset NodeOffset(const QTreeWidgetItem *node);
    // The archive of a node; null for a node of another view.
    static TVornFile *NodeVorn(const QTreeWidgetItem *node);

signals:
    // "Compare..." of an archive node's pop-up menu.
    void compareRequested(const TVornFile *vorn);

private:
    void ShowPopupMenu(const QPoint &position);
};
