#pragma once
// TFolderTree: the folder tree trvFolders, a view of the session's open
// archives: one top-level node per archive (the newest at the top) with its
// folders below. Every node carries its archive and the entry offset of its
// folder, so the tree needs no other link to the session.
//
// A folder's subfolder nodes are made when it is first expanded or a search
// for a folder below it passes through it (FindFolderNode), from the
// archive's folder layout: an archive of many thousands of folders joins the
// tree without making a node for each. A folder with subfolders shows its
// expand arrow before its nodes are made. A folder with very many subfolders
// gets them in slices between events (NodesPerSlice at a time), so the
// window keeps answering; a search that needs a node not made yet makes the
// nodes up to it at once.
//
// Another kind of node that lists an archive's folder carries that archive
// and folder (SetNodeData). A node of another view (the merged game view)
// carries no archive: the window leaves it alone and its view lists it when
// it is selected. Such top-level nodes stay above the archives.

#include "archive/vmVornFileDef.h"

#include <QTimer>
#include <QTreeWidget>

#include <deque>
#include <memory>
#include <unordered_map>

class TFolderLayout;
class TVornFile;

class TFolderTree : public QTreeWidget {
    Q_OBJECT

public:
    // Subfolder nodes made at once, and in each later slice.
    static constexpr int NodesPerSlice = 5000;

    explicit TFolderTree(QWidget *parent = nullptr);

    // A node for the archive at the top (below the nodes of other views),
    // without its folders and without selecting it (no selection change is
    // reported).
    QTreeWidgetItem *AddArchiveNode(TVornFile &vorn, const QString &caption);
    // The folders below the archive's node as `folders` places them: the
    // nodes of the root's subfolders now, the others as they are reached.
    void AddFolderNodes(QTreeWidgetItem *archiveNode, std::shared_ptr<const TFolderLayout> folders);
    // Removes the archive's nodes without reporting a selection change.
    void RemoveArchive(const TVornFile *vorn);
    // Removes every node, those of other views too.
    void RemoveAll();

    // A top-level node of another view, above every archive's node; no
    // selection change is reported.
    void InsertViewNode(QTreeWidgetItem *node);

    QTreeWidgetItem *TopNodeOf(const TVornFile *vorn) const;
    // The node of the archive's folder, making the nodes on the way down
    // from its archive's node; null when the tree has none for it.
    QTreeWidgetItem *FindFolderNode(TEntryOffset folder, QTreeWidgetItem *archiveNode);
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
    const TFolderLayout *LayoutOf(const QTreeWidgetItem *node) const;
    // Makes the node's first slice of subfolder nodes unless they are made
    // already; the others follow in slices between events.
    void FillFolderNodes(QTreeWidgetItem *node);
    // Makes the node's subfolder nodes up to the one at `index` (and at
    // least a slice) that are not made yet.
    void MakeFolderNodes(QTreeWidgetItem *node, size_t index);
    // The next slice of the node waiting longest.
    void MakeNextSlice();
    QTreeWidgetItem *MakeFolderNode(TVornFile &vorn, const TFolderLayout &folders, TEntryOffset folder) const;

    std::unordered_map<const TVornFile *, std::shared_ptr<const TFolderLayout>> m_Layouts;
    // A folder whose subfolder nodes are partly made. The tree keeps no
    // pointer to its node: the node may go with its archive meanwhile. A
    // folder leaves the line when its turn comes after it was finished or
    // its node went.
    struct TUnfinished {
        const TVornFile *vorn;
        TEntryOffset folder;
        bool operator==(const TUnfinished &) const = default;
    };
    std::deque<TUnfinished> m_Unfinished; // oldest first
    QTimer m_SliceTimer;
    QIcon m_FolderIcon;
};
