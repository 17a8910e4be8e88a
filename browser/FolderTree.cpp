#include "browser/FolderTree.h"

#include "archive/vmVornFile.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"

#include <QMenu>
#include <QSignalBlocker>

#include <unordered_set>
#include <vector>

namespace {

constexpr int OffsetRole = Qt::UserRole + 1;
constexpr int VornRole = Qt::UserRole + 2;

} // namespace

TFolderTree::TFolderTree(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("trvFolders"));
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);
    setIndentation(19);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &TFolderTree::ShowPopupMenu);
}

void TFolderTree::ShowPopupMenu(const QPoint &position)
{
    QTreeWidgetItem *node = itemAt(position);
    const TVornFile *vorn = node && !node->parent() ? NodeVorn(node) : nullptr;
    if (!vorn)
        return; // only an archive's own node offers it
    QMenu menu;
    menu.addAction(QStringLiteral("Compare..."), this, [this, vorn] { emit compareRequested(vorn); });
    menu.exec(viewport()->mapToGlobal(position));
}

void TFolderTree::SetNodeData(QTreeWidgetItem *node, TVornFile &vorn, TEntryOffset folder)
{
    node->setData(0, OffsetRole, uint(folder));
    node->setData(0, VornRole, QVariant::fromValue(quintptr(&vorn)));
}

TEntryOffset TFolderTree::NodeOffset(const QTreeWidgetItem *node)
{
    return node ? TEntryOffset(node->data(0, OffsetRole).toUInt()) : 0;
}

TVornFile *TFolderTree::NodeVorn(const QTreeWidgetItem *node)
{
    return node ? reinterpret_cast<TVornFile *>(node->data(0, VornRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem *TFolderTree::TopOf(QTreeWidgetItem *node)
{
    while (node && node->parent())
        node = node->parent();
    return node;
}

QTreeWidgetItem *TFolderTree::AddArchiveNode(TVornFile &vorn, const QString &caption)
{
    auto *node = new QTreeWidgetItem;
    node->setText(0, caption);
    SetNodeData(node, vorn, vorn.GetRootOffset());
    node->setIcon(0, ListPicture(Pictures::Archive));
    // Inserting above the selected node makes the tree report a selection
    // change before the new node is the selected one.
    const QSignalBlocker quiet(this);
    int below = 0;
    while (below < topLevelItemCount() && !NodeVorn(topLevelItem(below)))
        ++below; // the nodes of other views stay on top
    insertTopLevelItem(below, node);
    return node;
}

void TFolderTree::InsertViewNode(QTreeWidgetItem *node)
{
    const QSignalBlocker quiet(this);
    insertTopLevelItem(0, node);
}

void TFolderTree::AddFolderNodes(QTreeWidgetItem *archiveNode)
{
    TVornFile &vorn = *NodeVorn(archiveNode);
    const TEntryOffset root = NodeOffset(archiveNode);
    if (vorn.GetChildCount(root) == 0)
        return;
    // Iterative, entering each directory once: a damaged index that lists a
    // folder inside itself (or is very deep) ends instead of recursing.
    const QIcon folderIcon = FolderNodeIcon();
    std::unordered_set<TEntryOffset> entered{root};
    std::vector<std::pair<QTreeWidgetItem *, TEntryOffset>> pending{{archiveNode, root}};
    while (!pending.empty()) {
        const auto [node, folder] = pending.back();
        pending.pop_back();
        for (const TEntryOffset child : vorn.GetChildren(folder)) {
            if (!vorn.IsDirectory(child) || !entered.insert(child).second)
                continue;
            auto *childNode = new QTreeWidgetItem(node);
            childNode->setText(0, AnsiToQString(vorn.GetName(child)));
            SetNodeData(childNode, vorn, child);
            childNode->setIcon(0, folderIcon);
            pending.emplace_back(childNode, child);
        }
    }
}

void TFolderTree::RemoveArchive(const TVornFile *vorn)
{
    const QSignalBlocker quiet(this); // no other node is chosen meanwhile
    delete TopNodeOf(vorn);
}

QTreeWidgetItem *TFolderTree::TopNodeOf(const TVornFile *vorn) const
{
    for (int i = 0; vorn && i < topLevelItemCount(); ++i)
        if (NodeVorn(topLevelItem(i)) == vorn)
            return topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem *TFolderTree::FindFolderNode(TEntryOffset folder, QTreeWidgetItem *startNode)
{
    std::vector<QTreeWidgetItem *> pending;
    if (startNode)
        pending.push_back(startNode);
    while (!pending.empty()) {
        QTreeWidgetItem *node = pending.back();
        pending.pop_back();
        if (NodeOffset(node) == folder)
            return node;
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->child(i)); // first child searched first
    }
    return nullptr;
}
