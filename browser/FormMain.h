#pragma once
// TfrmMain: the main window, a view of one browsing session (TBrowserSession,
// which owns the open archives and the state around them). It shows the
// archives' folders in the tree trvFolders (newest archive at the top; every
// node carries its archive) and the entries of the selected folder in the
// list lsvMain, and carries the menus, the toolbar and the commands that
// reach the other features.
//
// Errors: every command catches at its own boundary and hands the error to
// AppException, which shows the standard error box.

#include "archive/vmVornFileDef.h"
#include "browser/FolderTree.h"
#include "browser/OutgoingFiles.h"

#include <QEventLoop>
#include <QMainWindow>
#include <QPoint>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeWidgetItem;
class TBrowserSession;
class TFileListModel;
class TListSelection;
class TMergedGameNode;
class TMountActions;
class TFindController;
class TOutgoingCommands;
class TPathBar;
class TFileListView;
class TUiSeam;
class TVornFile;
class THistory;
class TfrmExtractDialog;
struct TExtractHooks;
class TfrmOptions;
class TfrmProperties;
class TfrmSaveVVC;
class TTestArchiveActions;
class TOpenProgress;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window (FormCreate) and opens every existing file named in
    // `arguments`. seam answers the modal questions; null: the real dialogs.
    explicit TfrmMain(const QStringList &arguments = {}, TUiSeam *seam = nullptr, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Creates the long-lived dialogs in start-up order (extraction target,
    // options, overwrite prompt, collection, properties; those that exist).
    void CreateLongLivedDialogs();

    // ---- State for the other features ----
    // The open archives, the active one, the listed folder, marks and Busy.
    TBrowserSession &Session() const { return *m_Session; }
    QTreeWidgetItem *ActiveRootNode() const { return m_ActiveRootNode; }
    // What the list shows (the folder listing or search results) and which
    // of its rows are selected.
    TListSelection &Selection() const { return *m_Selection; }
    // The status bar's single panel (extraction progress).
    void SetStatusPanelText(const QString &text);
    QString StatusPanelText() const;
    // This process's own folder below the system's temporary folder, with a
    // trailing "/" (drag-out, Copy and Open with write there).
    const QString &TempFolder() const;
    TFileListModel *FileListModel() const { return m_Model; }
    TUiSeam &Ui() const { return *m_Seam; }
    TfrmOptions *Options() const { return m_frmOptions; }
    // Find (its bar, dialog and results), placed in this window.
    TFindController *Find() const { return m_Find; }
    // Actions > "Test Archive" and "Select Damaged", placed in this window.
    TTestArchiveActions *TestArchive() const { return m_TestArchive; }
    // The merged game view (its tree node, list and commands), placed in this window.
    TMergedGameNode *MergedGame() const { return m_Merged; }
    // Actions > "Mount as Folder" and "Mounted...".
    TMountActions *Mounts() const { return m_MountActions; }
    // The window that shows while many archives open.
    TOpenProgress *OpenProgress() const { return m_OpenProgress; }

    // ---- Opening and closing ----
    // How an open on a worker reports the reader's error once it is done.
    using TOpenFailed = std::function<void(const std::exception &error)>;
    // Opens an archive or (".vvc") a collection. Without `failed` it returns
    // once everything is open and raises the reader's error (the command
    // line). With it (the open dialog, Reopen, drops, the game folder) the
    // archives are read on workers while the window goes on answering,
    // join the tree in the order they were asked for and report an error
    // to `failed` when their turn comes.
    void OpenFile(const QString &path, const TOpenFailed &failed = {});
    // Whether an archive of that path is open; if so it becomes active and
    // its top-level node is selected.
    bool SelectIfOpen(const QString &path);
    void CloseActiveVorn();
    void CloseAllVorns();
    // Reads a file and shows it; a read error raises.
    void ViewEntry(const TVornFile &vorn, TEntryOffset entry);
    // Opens files dropped on the window, last to first; failures are reported
    // one by one and do not stop the others.
    void DropFiles(const QStringList &paths);

    // ---- Tree ----
    void trvFoldersChange(QTreeWidgetItem *node);
    void ActivateVornOfNode(QTreeWidgetItem *topNode);
    void SelectFolderNode(TEntryOffset directory, QTreeWidgetItem *archiveNode);
    // Selects the node and makes sure the list shows its folder, also when
    // the node was selected already.
    void SelectNode(QTreeWidgetItem *node);
    // Makes the archive active and selects the folder's node.
    void ShowFolderOf(const TVornFile *vorn, TEntryOffset folder);

    // ---- List ----
    void FillFileList(TEntryOffset directory);
    void lsvMainColumnClick(int column);
    void lsvMainDblClick();
    // Backspace (8) and Enter (13); true when the key was handled.
    bool lsvMainKeyPress(int character);
    void mniSelectAllClick();
    void mniInvertSelectionClick();
    void tbnViewStyleClick();
    void mniViewStyleClick(int tag);
    int ViewStyle() const;
    void mnuPopupMainPopup();

    // ---- Window commands ----
    void mniOpenVornClick();
    void mniViewHideFolderViewClick(bool fromHeaderButton);
    void mniToolbarClick();
    void mniViewClick();
    void mniPreferencesClick();
    void mniAboutClick();
    // Enabling rules of the commands; runs whenever the program is idle.
    void actCloseUpdate();

    // ---- Recent files, collections, info dialogs ----
    // Recent-files history: load at start-up, add after an open, save at close.
    void LoadHistory();
    void AddToHistory(const QString &path);
    void SaveHistory();
    THistory *History() const { return FileHistory; }
    // Rebuilds the "&Reopen" submenu from the history.
    void FileHistoryChange();
    void GenericReopenClick(int tag);
    // Opens the archives a collection file names, then remembers the
    // collection; on workers when `failed` is given (see OpenFile).
    void ReadCollection(const QString &path, const TOpenFailed &failed = {});
    void mniSaveVVCClick();
    // File > "Compare..." and the tree's pop-up on an archive node: asks for
    // two archives, offering `first` (default: the oldest open one) as A.
    void mniCompareClick(const QString &first = {});
    void tbnExtractClick();
    void ornInfo1Click();
    void popmniPropertiesClick();
    // A mouse move over the list: starts a drag-out of the selected entries
    // once a button has moved far enough; true when a drag ran.
    bool lsvMainMouseMove(const QPoint &position, Qt::MouseButtons buttons);
    // The drop of a drag-out: writes the dragged entries into target, the
    // temporary folder (replacing what is there) or the folder a file
    // manager named for a direct save (asking before replacing). False when
    // nothing was written.
    bool dfsMainDrop(const std::vector<TEntryGroup> &groups, const QString &target,
                     QEventLoop::ProcessEventsFlags events = QEventLoop::AllEvents);

    // The standard error box for an error no command handles.
    void AppException(const std::exception &error);
    // Runs a command, reporting its errors through AppException.
    void RunCommand(const std::function<void()> &command);

    // ---- Controls ----
    QToolBar *tbrMain = nullptr;
    QWidget *pnlOutlookBarBg = nullptr;
    QFrame *pnlOutlookBar = nullptr;
    QLabel *lblVornPath = nullptr;
    QSplitter *sptMain = nullptr;
    QFrame *pnlFolders = nullptr;
    QLabel *pnlFoldersHeader = nullptr;
    QToolButton *btnHideFilderView = nullptr;
    TFolderTree *trvFolders = nullptr;
    TFileListView *lsvMain = nullptr;
    QLabel *stbPanel = nullptr;

    QAction *actExtract = nullptr;
    QAction *actView = nullptr;
    QAction *actClose = nullptr;
    QAction *actCloseAll = nullptr;
    QAction *actSaveVVC = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mniOpenVorn = nullptr;
    QMenu *mniReopen = nullptr;
    QAction *mniExit = nullptr;
    QAction *mniCompare = nullptr;
    QAction *ornInfo1 = nullptr;
    QMenu *mnuActions = nullptr;
    QAction *mniSelectAll = nullptr;
    QAction *mniInvertSelection = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mniViewHideFolderView = nullptr;
    QAction *mniToolbar = nullptr;
    QAction *mniPreferences = nullptr;
    QAction *mniAbout = nullptr;

    QToolButton *tbnViewStyle = nullptr;
    QMenu *mnuViewStyle = nullptr;
    QList<QAction *> mniViewStyles; // tags 0 to 4, in the Style button's menu and the View menu

    QMenu *mnuPopupMain = nullptr;
    QAction *popmniActions = nullptr;
    QAction *popmniView = nullptr;
    QAction *popmniExtract = nullptr;
    QAction *popmniProperties = nullptr;
    QAction *popmniCopy = nullptr;
    QAction *popmniOpenWith = nullptr;
    QAction *popmniSavePng = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What an extraction run needs from this window; shared by Extract and
    // the drop of a drag-out.
    TExtractHooks ExtractHooks();
    void FormCreate(const QStringList &arguments);
    void OpenCommandLine(const QStringList &arguments);
    void FormClose();

    void CreateActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateFoldersPanel();
    void CreateFileList();
    void CreatePopupMenu();
    void CreateStatusBar();
    void LayOutWindow();
    void ConnectIdleUpdate();
    // Find, the preview pane and the game view: their bar, actions, dock and
    // tree node in the window.
    void PlaceFind();
    void PlacePreview();
    void PlaceMergedGame();

    // An archive the session has just opened: caption, tree, recent files.
    void ShowOpened(TVornFile &vorn, const QString &path);
    // Hands an archive opened on a worker (or its error) to the tree.
    void OpenedOnWorker(TVornFile *vorn, const std::exception_ptr &error, const QString &path,
                        const TOpenFailed &failed);
    void AddVornToTree(TVornFile &vorn, const QString &path);
    // Removes the archive's nodes and rows before its reader goes.
    void RemoveVornFromTree(const TVornFile *vorn);
    void SetCaptionForVorn(const TVornFile *vorn);
    void ShowNothingOpen();
    void UpdatePathLabel(TEntryOffset folder);
    void OnTreeSelectionChanged();

    std::unique_ptr<TUiSeam> m_OwnSeam;
    TUiSeam *m_Seam = nullptr;
    TfrmOptions *m_frmOptions = nullptr;
    TfrmExtractDialog *frmExtractDialog = nullptr;
    THistory *FileHistory = nullptr;
    std::unique_ptr<TOutgoingCommands> m_Outgoing; // drag-out, Copy, Open with
    TfrmSaveVVC *frmSaveVVC = nullptr;
    TfrmProperties *frmProperties = nullptr;
    TFileListModel *m_Model = nullptr;
    TListSelection *m_Selection = nullptr;
    TFindController *m_Find = nullptr;
    TTestArchiveActions *m_TestArchive = nullptr;
    TMergedGameNode *m_Merged = nullptr;
    TMountActions *m_MountActions = nullptr;
    TOpenProgress *m_OpenProgress = nullptr;

    TBrowserSession *m_Session = nullptr;
    TPathBar *m_PathBar = nullptr;
    QTreeWidgetItem *m_ActiveRootNode = nullptr;
    QString m_IniFileName;
};
