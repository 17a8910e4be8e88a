#include "browser/FolderTree.h"

#include "archive/vmVornFile.h"
#include "browser/FolderLayout.h"
#include "browser/GenFunctions.h"
#include "browser/PictureLists.h"

#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>
#include <span>
#include <vector>

namespace {

constexpr int OffsetRole = Qt::UserRole + 1;
constexpr int VornRole = Qt::UserRole + 2;
// Set on a node whose subfolder nodes are not made yet.
constexpr int UnfilledRole = Qt::UserRole + 3;

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
    connect(this, &QTreeWidget::itemExpanded, this, &TFolderTree::FillFolderNodes);
    m_SliceTimer.setSingleShot(true);
    m_SliceTimer.setInterval(0); // after the events waiting
    connect(&m_SliceTimer, &QTimer::timeout, this, &TFolderTree::MakeNextSlice);
    m_FolderIcon = FolderNodeIcon(); // one icon for every folder node
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

void TFolderTree::AddFolderNodes(QTreeWidgetItem *archiveNode, std::shared_ptr<const TFolderLayout> folders)
{
    m_Layouts.insert_or_assign(NodeVorn(archiveNode), std::move(folders));
    archiveNode->setData(0, UnfilledRole, true);
    FillFolderNodes(archiveNode);
}

const TFolderLayout *TFolderTree::LayoutOf(const QTreeWidgetItem *node) const
{
    const auto found = m_Layouts.find(NodeVorn(node));
    return found == m_Layouts.end() ? nullptr : found->second.get();
}

void TFolderTree::FillFolderNodes(QTreeWidgetItem *node)
{
    MakeFolderNodes(node, 0);
}

void TFolderTree::MakeFolderNodes(QTreeWidgetItem *node, size_t index)
{
    const TFolderLayout *folders = LayoutOf(node);
    if (!folders || !node->data(0, UnfilledRole).toBool())
        return; // made already, or a node of another view
    // The nodes follow the layout's order: those made are the first ones.
    const std::span<const TEntryOffset> subfolders = folders->Subfolders(NodeOffset(node));
    const auto made = size_t(node->childCount());
    const size_t end = std::min(subfolders.size(), std::max(index + 1, made + NodesPerSlice));
    TVornFile &vorn = *NodeVorn(node);
    QList<QTreeWidgetItem *> children;
    children.reserve(qsizetype(end - made));
    for (size_t i = made; i < end; ++i)
        children.append(MakeFolderNode(vorn, *folders, subfolders[i]));
    node->addChildren(children); // one insertion for them all
    if (end == subfolders.size()) {
        node->setData(0, UnfilledRole, false);
        return;
    }
    const TUnfinished self{&vorn, NodeOffset(node)};
    if (std::find(m_Unfinished.begin(), m_Unfinished.end(), self) == m_Unfinished.end()) {
        m_Unfinished.push_back(self);
        m_SliceTimer.start();
    }
}

void TFolderTree::MakeNextSlice()
{
    while (!m_Unfinished.empty()) {
        const TUnfinished next = m_Unfinished.front();
        QTreeWidgetItem *node = FindFolderNode(next.folder, TopNodeOf(next.vorn));
        if (node && node->data(0, UnfilledRole).toBool()) {
            MakeFolderNodes(node, 0);
            break;
        }
        m_Unfinished.pop_front(); // finished, or gone with its archive
    }
    if (!m_Unfinished.empty())
        m_SliceTimer.start();
}

QTreeWidgetItem *TFolderTree::MakeFolderNode(TVornFile &vorn, const TFolderLayout &folders, TEntryOffset folder) const
{
    auto *node = new QTreeWidgetItem;
    node->setText(0, AnsiToQString(vorn.GetName(folder))); // the layout has read every name once
    SetNodeData(node, vorn, folder);
    node->setIcon(0, m_FolderIcon);
    if (folders.HasSubfolders(folder)) {
        node->setData(0, UnfilledRole, true);
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return node;
}

void TFolderTree::RemoveArchive(const TVornFile *vorn)
{
    const QSignalBlocker quiet(this); // no other node is chosen meanwhile
    delete TopNodeOf(vorn);
    m_Layouts.erase(vorn);
}

void TFolderTree::RemoveAll()
{
    clear();
    m_Layouts.clear();
}

QTreeWidgetItem *TFolderTree::TopNodeOf(const TVornFile *vorn) const
{
    for (int i = 0; vorn && i < topLevelItemCount(); ++i)
        if (NodeVorn(topLevelItem(i)) == vorn)
            return topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem *TFolderTree::FindFolderNode(TEntryOffset folder, QTreeWidgetItem *archiveNode)
{
    if (!archiveNode || NodeOffset(archiveNode) == folder)
        return archiveNode;
    const TFolderLayout *folders = LayoutOf(archiveNode);
    const std::vector<TEntryOffset> path = folders ? folders->PathTo(folder) : std::vector<TEntryOffset>();
    if (path.empty())
        return nullptr; // not a folder of the tree
    QTreeWidgetItem *node = archiveNode;
    for (const TEntryOffset step : path) {
        const size_t index = folders->IndexInParent(step);
        MakeFolderNodes(node, index);
        node = node->child(int(index)); // the nodes follow the layout's order
    }
    return node;
}
