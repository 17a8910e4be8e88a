#pragma once
// TMergedGameNode: the merged game view in the main window. A node at the
// top of the folder tree, "Game (12 archives)", whose folders are the merged
// tree (filled in as they are expanded); selecting one lists its merged
// paths (TMergedListModel). The node shows while View > "Game View" is on
// (off at start, so the tree holds only archives as it always did);
// "Open Game Folder..." turns it on. It carries the commands of that list: the
// filter "Only files in conflict", the stack of a path ("Properties"),
// "Compare with overridden version", the choice of the merged archives and
// File > "Open Game Folder...".
//
// The node is a node of its own view in the folder tree: it carries no
// archive, so the window leaves it alone; this object lists it through the
// list selection when it is selected, goes up on Backspace and opens the
// folders and the stack of its rows. It exposes its actions; the window
// places them.

#include "archive/vmVornFileDef.h"
#include "engines/MergedTree.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <vector>

class QAction;
class QTreeWidgetItem;
class TBrowserSession;
class TFolderTree;
class TListSelection;
class TMergedGame;
class TMergedListModel;
class TMergedView;
class TUiSeam;
class TVornFile;

class TMergedGameNode : public QObject {
    Q_OBJECT

public:
    // What the node needs from the window.
    struct THooks {
        // Opens an archive as File > Open does: read on a worker, it joins
        // in its turn (Opens() of the session), and a failure goes to
        // `failed` then.
        std::function<void(const QString &path, std::function<void(const std::exception &error)> failed)>
            OpenArchive;
        // The game's install folder the options found; empty when none.
        std::function<QString()> GameFolder;
    };

    // `window` parents the dialogs and the error boxes.
    TMergedGameNode(TBrowserSession &session, TFolderTree &tree, TListSelection &list, TUiSeam &seam,
                    THooks hooks, QWidget *window);
    ~TMergedGameNode() override;

    TMergedGame &Game() { return *m_Game; }
    TMergedListModel &Model() { return *m_Model; }
    // The node at the top of the tree; null when no archive is merged.
    QTreeWidgetItem *TopNode() const;
    // True for the top node and the folder nodes below it.
    bool Owns(const QTreeWidgetItem *node) const;
    // Lists the merged folder of one of its nodes.
    void ShowNode(QTreeWidgetItem *node);
    // True while the list shows a merged folder.
    bool Showing() const;
    // The merged paths of the selected list rows, in list order.
    std::vector<TMergeNodeId> SelectedNodes() const;
    // The path label's text for the listed folder: "Game\art\maps\".
    QString PathText() const;

    // Backspace: the folder above the listed one.
    void GoUp();

    // Commands.
    void ShowStack(TMergeNodeId node); // Properties of a path
    void CompareWithOverridden();  // the selected file against the version it hides
    void ChooseArchives();         // "Merged Archives..."
    void OpenGameFolder();         // File > "Open Game Folder..."
    // Shows and enables the commands by the list and its selection.
    void UpdateActions();
    // Selects the tree node of a merged folder, filling in the nodes above it.
    void SelectFolder(TMergeNodeId folder);

    QAction *actGameView = nullptr; // checkable: the node is shown
    QAction *actOnlyConflicts = nullptr;
    QAction *actCompareOverridden = nullptr;
    QAction *actChooseArchives = nullptr;
    QAction *actOpenGameFolder = nullptr;

signals:
    // The listed merged folder changed; the text is its path label.
    void pathChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectActions();
    // Open Game Folder's end, once its archives have joined.
    void ShowGame(const QStringList &failed);
    void OnTreeSelectionChanged();
    void Rebuild();
    void FillFolderNodes(QTreeWidgetItem *item);
    QTreeWidgetItem *AddFolderNode(QTreeWidgetItem *parent, TMergeNodeId node);
    TMergedView *View();

    TBrowserSession &m_Session;
    TFolderTree &m_Tree;
    TListSelection &m_List;
    TUiSeam &m_Seam;
    THooks m_Hooks;
    QWidget *m_Window;
    TMergedGame *m_Game = nullptr;
    TMergedListModel *m_Model = nullptr;
};
