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

#include "archive/vmVornFileDef.h"
#include "engines/MergedTree.h"

#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QAbstractItemModel;
class QTreeWidget;
class QTreeWidgetItem;
class TBrowserSession;
class TFileListView;
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
        std::function<void(QAbstractItemModel *model)> ShowListModel;
        // Opens an archive as File > Open does; raises its error.
        std::function<void(const QString &path)> OpenArchive;
        // Asks for a folder, starting at the given one; empty when cancelled.
        std::function<QString(const QString &start)> AskFolder;
        // The game's install folder the options found; empty when none.
        std::function<QString()> GameFolder;
    };

    TMergedGameNode(TBrowserSession &session, QTreeWidget &tree, TFileListView &list, TUiSeam &seam,
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
    // The winners of the selected rows (archive, entry), in list order.
    std::vector<std::pair<const TVornFile *, TEntryOffset>> SelectedWinners() const;
    // The winner of the one selected row when it is a file.
    std::pair<const TVornFile *, TEntryOffset> SingleSelectedFile() const;
    // The path label's text for the listed folder: "Game\art\maps\".
    QString PathText() const;

    // Enter or a double click on a row: a folder is opened in the tree, a
    // file's winner is returned for viewing (no archive for a folder).
    std::pair<const TVornFile *, TEntryOffset> OpenSelected();
    // Backspace: the folder above the listed one.
    void GoUp();

    // Commands.
    void ShowStack();              // Properties of the one selected path
    void CompareWithOverridden();  // the selected file against the version it hides
    void ChooseArchives();         // "Merged Archives..."
    void OpenGameFolder();         // File > "Open Game Folder..."
    // Enables the commands by the selection.
    void UpdateActions();
    // Selects the tree node of a merged folder, filling in the nodes above it.
    void SelectFolder(TMergeNodeId folder);

    QAction *actGameView = nullptr; // checkable: the node is shown
    QAction *actOnlyConflicts = nullptr;
    QAction *actCompareOverridden = nullptr;
    QAction *actChooseArchives = nullptr;
    QAction *actOpenGameFolder = nullptr;

private:
    void Rebuild();
    void FillFolderNodes(QTreeWidgetItem *item);
    QTreeWidgetItem *AddFolderNode(QTreeWidgetItem *parent, TMergeNodeId node);
    TMergedView *View();

    TBrowserSession &m_Session;
    QTreeWidget &m_Tree;
    TFileListView &m_List;
    TUiSeam &m_Seam;
    THooks m_Hooks;
    QWidget *m_Window;
    TMergedGame *m_Game = nullptr;
    TMergedListModel *m_Model = nullptr;
};
