#include "browser/merged/MergedGameNode.h"

#include "archive/Exceptions.h"
#include "browser/BrowserSession.h"
#include "browser/FileListView.h"
#include "browser/FolderTree.h"
#include "browser/GenFunctions.h"
#include "browser/ListSelection.h"
#include "browser/PictureLists.h"
#include "browser/SortFunctions.h"
#include "browser/UiSeam.h"
#include "browser/merged/FormMergeChoose.h"
#include "browser/merged/FormMergeStack.h"
#include "browser/merged/MergedGame.h"
#include "browser/merged/MergedListModel.h"
#include "engines/MergeSources.h"
#include "engines/MergedView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>

#include <algorithm>
#include <memory>

namespace {

// The merged node a tree item stands for; items of the archives have none.
constexpr int MergedNodeRole = Qt::UserRole + 40;
// Set on an item whose folder nodes are not added yet.
constexpr int UnfilledRole = Qt::UserRole + 41;

} // namespace

TMergedGameNode::TMergedGameNode(TBrowserSession &session, TFolderTree &tree, TListSelection &list, TUiSeam &seam,
                                 THooks hooks, QWidget *window)
    : QObject(window), m_Session(session), m_Tree(tree), m_List(list), m_Seam(seam), m_Hooks(std::move(hooks)),
      m_Window(window)
{
    m_Game = new TMergedGame(session, this);
    m_Model = new TMergedListModel(this);
    actGameView = new QAction(QStringLiteral("Game View"), this);
    actGameView->setCheckable(true);
    actGameView->setStatusTip(QStringLiteral("Show the open archives merged as the game sees them"));
    actOnlyConflicts = new QAction(QStringLiteral("Only files in conflict"), this);
    actOnlyConflicts->setCheckable(true);
    actCompareOverridden = new QAction(QStringLiteral("Compare with overridden version"), this);
    actChooseArchives = new QAction(QStringLiteral("Merged Archives..."), this);
    actOpenGameFolder = new QAction(QStringLiteral("Open Game Folder..."), this);
    ConnectActions();
    connect(m_Game, &TMergedGame::membersChanged, this, &TMergedGameNode::Rebuild);
    connect(&m_Tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (Owns(item))
            FillFolderNodes(item);
    });
    connect(&m_Tree, &QTreeWidget::itemSelectionChanged, this, &TMergedGameNode::OnTreeSelectionChanged);
    connect(m_Model, &TMergedListModel::folderOpened, this, &TMergedGameNode::SelectFolder);
    connect(m_Model, &TMergedListModel::propertiesRequested, this, &TMergedGameNode::ShowStack);
    connect(&m_List, &TListSelection::modelChanged, this, &TMergedGameNode::UpdateActions);
    connect(&m_List, &TListSelection::selectionChanged, this, &TMergedGameNode::UpdateActions);
    for (QAbstractItemView *view : m_List.View().Views())
        view->installEventFilter(this);
    Rebuild();
    UpdateActions();
}

TMergedGameNode::~TMergedGameNode() = default;

void TMergedGameNode::ConnectActions()
{
    const auto reporting = [this](void (TMergedGameNode::*command)()) {
        return [this, command] { RunReporting(m_Seam, m_Window, [this, command] { (this->*command)(); }); };
    };
    connect(actOnlyConflicts, &QAction::toggled, this, [this](bool only) { m_Model->SetOnlyConflicts(only); });
    connect(actGameView, &QAction::toggled, this, &TMergedGameNode::Rebuild);
    connect(actOpenGameFolder, &QAction::triggered, this, reporting(&TMergedGameNode::OpenGameFolder));
    connect(actChooseArchives, &QAction::triggered, this, reporting(&TMergedGameNode::ChooseArchives));
    connect(actCompareOverridden, &QAction::triggered, this, reporting(&TMergedGameNode::CompareWithOverridden));
}

void TMergedGameNode::OnTreeSelectionChanged()
{
    const QList<QTreeWidgetItem *> selected = m_Tree.selectedItems();
    if (!selected.isEmpty() && Owns(selected.front()))
        RunReporting(m_Seam, m_Window, [this, &selected] { ShowNode(selected.front()); });
}

bool TMergedGameNode::eventFilter(QObject *watched, QEvent *event)
{
    // Backspace goes up from a merged folder, as it does in an archive's.
    if (event->type() == QEvent::KeyPress && Showing()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Backspace && !(key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
            RunReporting(m_Seam, m_Window, [this] { GoUp(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

TMergedView *TMergedGameNode::View()
{
    return m_Game->View();
}

void TMergedGameNode::Rebuild()
{
    // The old view is gone: nothing may show its rows or nodes any more.
    m_Model->SetView(nullptr);
    const QSignalBlocker quiet(&m_Tree);
    delete TopNode();
    if (m_Game->Members().empty() || !actGameView->isChecked())
        return;
    auto *top = new QTreeWidgetItem;
    top->setText(0, m_Game->Caption());
    top->setIcon(0, ListPicture(Pictures::Archive));
    top->setData(0, MergedNodeRole, uint(MergeRoot));
    top->setData(0, UnfilledRole, true);
    top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_Tree.InsertViewNode(top);
}

QTreeWidgetItem *TMergedGameNode::TopNode() const
{
    // Looked up, not kept: the window may clear the whole tree.
    for (int i = 0; i < m_Tree.topLevelItemCount(); ++i)
        if (Owns(m_Tree.topLevelItem(i)))
            return m_Tree.topLevelItem(i);
    return nullptr;
}

bool TMergedGameNode::Owns(const QTreeWidgetItem *node) const
{
    return node && node->data(0, MergedNodeRole).isValid();
}

void TMergedGameNode::FillFolderNodes(QTreeWidgetItem *item)
{
    if (!item->data(0, UnfilledRole).toBool())
        return;
    item->setData(0, UnfilledRole, false);
    TMergedView *view = View();
    if (!view)
        return;
    const TMergeNodeId folder = TMergeNodeId(item->data(0, MergedNodeRole).toUInt());
    std::vector<std::pair<std::string, TMergeNodeId>> folders;
    for (const TMergeNodeId child : view->Children(folder))
        if (view->IsFolder(child))
            folders.emplace_back(view->Name(child), child);
    std::sort(folders.begin(), folders.end(),
              [](const auto &a, const auto &b) { return CompareText(a.first, b.first) < 0; });
    for (const auto &[name, child] : folders)
        AddFolderNode(item, child);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem *TMergedGameNode::AddFolderNode(QTreeWidgetItem *parent, TMergeNodeId node)
{
    auto *item = new QTreeWidgetItem(parent);
    item->setText(0, AnsiToQString(View()->Name(node)));
    item->setIcon(0, FolderNodeIcon());
    item->setData(0, MergedNodeRole, uint(node));
    const bool hasFolders = std::ranges::any_of(View()->Children(node), [this](TMergeNodeId child) {
        return View()->IsFolder(child);
    });
    item->setData(0, UnfilledRole, hasFolders);
    if (hasFolders)
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void TMergedGameNode::ShowNode(QTreeWidgetItem *node)
{
    TMergedView *view = View();
    if (!view || !Owns(node))
        return;
    if (m_Model->View() != view) {
        m_Model->SetView(view, m_Game->ViewHandle());
        if (!view->Failures().empty()) {
            QString text = QStringLiteral("Left out of the game view:");
            for (const TMergedView::TFailure &failure : view->Failures())
                text += u'\n' + QString::fromStdString(view->Archive(failure.Archive).FileName()) + QStringLiteral(": ")
                        + QString::fromStdString(failure.Message);
            m_Seam.showErrorMessage(m_Window, text);
        }
    }
    m_Model->ShowFolder(TMergeNodeId(node->data(0, MergedNodeRole).toUInt()));
    m_List.Show(m_Model);
    UpdateActions();
    emit pathChanged(PathText());
}

bool TMergedGameNode::Showing() const
{
    return m_List.Model() == m_Model;
}

std::vector<TMergeNodeId> TMergedGameNode::SelectedNodes() const
{
    std::vector<TMergeNodeId> nodes;
    if (Showing())
        for (const int row : m_List.SelectedRowNumbers())
            nodes.push_back(m_Model->NodeAt(row));
    return nodes;
}

void TMergedGameNode::ShowStack(TMergeNodeId node)
{
    TMergedView *view = View();
    if (!view || view != m_Model->View())
        return; // the row is of a view that is gone
    TfrmMergeStack dialog(m_Window);
    dialog.Fill(*view, node);
    m_Seam.execDialog(dialog);
}

void TMergedGameNode::CompareWithOverridden()
{
    const std::vector<TMergeNodeId> nodes = SelectedNodes();
    if (nodes.size() != 1)
        return;
    const int version = FirstOverriddenFile(*m_Model->View(), nodes.front());
    if (version > 0)
        ::CompareWithOverridden(m_Window, *m_Model->View(), nodes.front(), version);
}

void TMergedGameNode::ChooseArchives()
{
    TfrmMergeChoose dialog(m_Window);
    std::vector<const TVornFile *> open;
    for (const auto &vorn : m_Session.OpenVorns())
        open.push_back(vorn.get());
    dialog.Fill(open, m_Game->Members());
    if (m_Seam.execDialog(dialog))
        m_Game->Choose(dialog.Chosen());
}

void TMergedGameNode::OpenGameFolder()
{
    const QString folder = m_Seam.askFolder(m_Window, QStringLiteral("Open Game Folder"), m_Hooks.GameFolder());
    if (folder.isEmpty())
        return;
    const std::vector<std::string> archives = FindGameArchives(folder.toStdString());
    if (archives.empty()) {
        m_Seam.showErrorMessage(m_Window, QStringLiteral("No archives (.vmres, .vmmap) in %1 or below it.").arg(folder));
        return;
    }
    // The archives are read on workers while the window goes on answering;
    // the game shows once the last of them has joined (or failed).
    auto failed = std::make_shared<QStringList>();
    for (const std::string &path : archives) {
        const QString archive = QString::fromStdString(path);
        m_Hooks.OpenArchive(archive, [failed, archive](const std::exception &error) {
            *failed << archive + QStringLiteral(": ") + QString::fromUtf8(error.what());
        });
    }
    m_Session.Opens().Then([this, failed] { ShowGame(*failed); });
}

void TMergedGameNode::ShowGame(const QStringList &failed)
{
    if (!failed.isEmpty())
        m_Seam.showErrorMessage(m_Window, QStringLiteral("Left out of the game view:\n") + failed.join(u'\n'));
    actGameView->setChecked(true);
    if (QTreeWidgetItem *top = TopNode())
        m_Tree.setCurrentItem(top); // lists the merged root
}

void TMergedGameNode::UpdateActions()
{
    const bool showing = Showing();
    actOnlyConflicts->setEnabled(showing);
    actCompareOverridden->setVisible(showing);
    // Counted first: the selection is read only when one row is selected.
    const std::vector<TMergeNodeId> nodes = showing && m_List.Count() == 1 ? SelectedNodes() : std::vector<TMergeNodeId>();
    actCompareOverridden->setEnabled(nodes.size() == 1 && FirstOverriddenFile(*m_Model->View(), nodes.front()) > 0);
}

QString TMergedGameNode::PathText() const
{
    QString text = QStringLiteral("Game\\");
    if (m_Model->View() && m_Model->CurrentFolder() != MergeRoot)
        text += AnsiToQString(m_Model->View()->Path(m_Model->CurrentFolder())).replace(u'/', u'\\') + u'\\';
    return text;
}

void TMergedGameNode::GoUp()
{
    if (Showing() && m_Model->View() && m_Model->CurrentFolder() != MergeRoot)
        SelectFolder(m_Model->View()->Parent(m_Model->CurrentFolder()));
}

void TMergedGameNode::SelectFolder(TMergeNodeId folder)
{
    const TMergedView *view = View();
    if (!view)
        return;
    std::vector<TMergeNodeId> chain;
    for (TMergeNodeId n = folder; n != MergeRoot; n = view->Parent(n))
        chain.push_back(n);
    QTreeWidgetItem *item = TopNode();
    for (auto it = chain.rbegin(); item && it != chain.rend(); ++it) {
        FillFolderNodes(item);
        item->setExpanded(true);
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->data(0, MergedNodeRole).toUInt() == *it)
                next = item->child(i);
        item = next;
    }
    if (!item)
        return;
    if (item->isSelected() && m_Tree.currentItem() == item)
        ShowNode(item); // selecting it again reports no change
    else
        m_Tree.setCurrentItem(item);
}
