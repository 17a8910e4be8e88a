#include "browser/FormMain.h"

#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/BusyCursor.h"
#include "browser/Collection.h"
#include "browser/Constants.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderLayout.h"
#include "browser/FoldersPanel.h"
#include "browser/FormProperties.h"
#include "browser/FormSaveVVC.h"
#include "browser/FormVornProperties.h"
#include "browser/GenFunctions.h"
#include "browser/GroupExtraction.h"
#include "browser/History.h"
#include "browser/ListSelection.h"
#include "browser/MenuHeading.h"
#include "browser/MountActions.h"
#include "browser/OpenProgress.h"
#include "browser/OutgoingCommands.h"
#include "browser/PathBar.h"
#include "browser/PictureLists.h"
#include "browser/PreviewDock.h"
#include "browser/SaveEntryAsPng.h"
#include "browser/TestArchiveActions.h"
#include "browser/UiSeam.h"
#include "browser/UpdatesSuspended.h"
#include "browser/ViewStyleButton.h"
#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/find/FindRow.h"
#include "browser/merged/MergedGame.h"
#include "browser/merged/MergedGameNode.h"
#include "browser/merged/MergedListModel.h"
#include "compare/CompareCommand.h"
#include "extract/DropSource.h"
#include "extract/ExtractCommand.h"
#include "extract/FormExtractDialog.h"
#include "extract/FormFailureReport.h"
#include "platform/AppFolder.h"
#include "settings/FormAbout.h"
#include "settings/FormOptions.h"
#include "viewers/FormatPlugin.h"
#include "viewers/PngConversion.h"
#include "viewers/ViewHandler.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QAction *MakeAction(QObject *parent, const QString &text, const QString &hint, const QKeySequence &shortcut = {})
{
    auto *action = new QAction(text, parent);
    action->setStatusTip(hint);
    action->setToolTip(hint.isEmpty() ? QString(text).remove(u'&') : hint);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

// ---- Start-up ----

TfrmMain::TfrmMain(const QStringList &arguments, TUiSeam *seam, QWidget *parent) : QMainWindow(parent)
{
    if (!seam) {
        m_OwnSeam = std::make_unique<TDialogUiSeam>();
        seam = m_OwnSeam.get();
    }
    m_Seam = seam;
    m_Session = new TBrowserSession(this);
    setObjectName(QStringLiteral("frmMain"));
    FormCreate(arguments);
}

TfrmMain::~TfrmMain()
{
    m_Find->CancelSearch(); // its thread reads the archives
    m_Model->ClearRows();
    m_Session->CloseAll(); // while the views that follow it are still there
}

void TfrmMain::FormCreate(const QStringList &arguments)
{
    setWindowTitle(AppTitle);
    m_IniFileName = SettingsFileName();
    m_OpenProgress = new TOpenProgress(m_Session->Opens(), this);
    CreateFileList();
    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreatePopupMenu();
    LayOutWindow();
    CreateStatusBar();
    PlaceFind();
    PlaceMergedGame();
    PlacePreview();
    lblVornPath->setText(NoVornOpenText);
    ConnectIdleUpdate();
    LoadHistory();
    LoadAllPlugins();
    setAcceptDrops(true);
    m_Outgoing = std::make_unique<TOutgoingCommands>(*m_Session, *m_Selection, *m_Seam, this,
                                                     [this] { return ExtractHooks(); });
    OpenCommandLine(arguments);
}

void TfrmMain::OpenCommandLine(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (!QFileInfo(argument).isFile())
            continue;
        try {
            OpenFile(LongFileName(argument));
        } catch (const std::exception &error) {
            AppException(error);
            return; // the arguments after a failing one stay unopened
        }
    }
}

void TfrmMain::CreateLongLivedDialogs()
{
    if (!frmExtractDialog)
        frmExtractDialog = new TfrmExtractDialog(this);
    if (!m_frmOptions) {
        m_frmOptions = new TfrmOptions(m_IniFileName, this);
        m_frmOptions->SetErrorHandler([this](const std::exception &error) { AppException(error); });
    }
    if (!frmSaveVVC)
        frmSaveVVC = new TfrmSaveVVC(this);
    if (!frmProperties)
        frmProperties = new TfrmProperties(this);
}

void TfrmMain::CreateActions()
{
    actExtract = MakeAction(this, QStringLiteral("Extract"), QStringLiteral("Extract file(s)"), QKeySequence(Qt::SHIFT | Qt::Key_E));
    actView = MakeAction(this, QStringLiteral("View"), QStringLiteral("View selected file"), QKeySequence(Qt::SHIFT | Qt::Key_V));
    actClose = MakeAction(this, QStringLiteral("&Close"), QStringLiteral("Close active vorn"), QKeySequence(Qt::CTRL | Qt::Key_F4));
    actCloseAll = MakeAction(this, QStringLiteral("Close &All"), QStringLiteral("Close all open vorns"));
    actSaveVVC = MakeAction(this, QStringLiteral("Save VVC"), QStringLiteral("Save a list of vorn files for easy access"));
    actExtract->setIcon(ToolbarPicture(TToolbarPicture::Extract));
    actView->setIcon(ToolbarPicture(TToolbarPicture::View));
    actClose->setIcon(ToolbarPicture(TToolbarPicture::Close));
    for (QAction *action : {actExtract, actView, actClose, actCloseAll, actSaveVVC})
        action->setEnabled(false);

    connect(actExtract, &QAction::triggered, this, [this] { RunCommand([this] { tbnExtractClick(); }); });
    connect(actView, &QAction::triggered, this, [this] { RunCommand([this] { lsvMainDblClick(); }); });
    connect(actClose, &QAction::triggered, this, [this] { RunCommand([this] { CloseActiveVorn(); }); });
    connect(actCloseAll, &QAction::triggered, this, [this] { RunCommand([this] { CloseAllVorns(); }); });
    connect(actSaveVVC, &QAction::triggered, this, [this] { RunCommand([this] { mniSaveVVCClick(); }); });
    m_TestArchive = new TTestArchiveActions(*m_Session, *m_Selection, *m_Seam, this);
    m_MountActions = new TMountActions(*m_Session, *m_Seam, this);
}

void TfrmMain::CreateMenus()
{
    QMenu *file = mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mniOpenVorn = MakeAction(this, QStringLiteral("&Open"), QStringLiteral("Open an existing vorn file."), QKeySequence(Qt::CTRL | Qt::Key_O));
    mniOpenVorn->setIcon(ToolbarPicture(TToolbarPicture::Open));
    connect(mniOpenVorn, &QAction::triggered, this, [this] { RunCommand([this] { mniOpenVornClick(); }); });
    file->addAction(mniOpenVorn);
    mniReopen = file->addMenu(QStringLiteral("&Reopen"));
    mniReopen->menuAction()->setEnabled(false);
    file->addSeparator();
    file->addAction(actSaveVVC);
    file->addSeparator();
    file->addAction(actClose);
    file->addAction(actCloseAll);
    file->addSeparator();
    mniCompare = MakeAction(this, QStringLiteral("Compare..."), QStringLiteral("Compare two archives"));
    connect(mniCompare, &QAction::triggered, this, [this] { RunCommand([this] { mniCompareClick(); }); });
    file->addAction(mniCompare);
    file->addSeparator();
    mniExit = MakeAction(this, QStringLiteral("&Exit"), QStringLiteral("Exit this application"), QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(mniExit, &QAction::triggered, this, &QWidget::close);
    file->addAction(mniExit);

    QMenu *actions = mnuActions = menuBar()->addMenu(QStringLiteral("Actions"));
    actions->addAction(actExtract);
    actions->addAction(actView);
    actions->addAction(m_TestArchive->actTestArchive);
    actions->addSeparator();
    actions->addAction(m_MountActions->actMountAsFolder);
    actions->addAction(m_MountActions->mniMounted);
    actions->addSeparator();
    ornInfo1 = MakeAction(this, QStringLiteral("Vorn Info"), QStringLiteral("View detailed information about the active vorn"), QKeySequence(Qt::Key_F1));
    connect(ornInfo1, &QAction::triggered, this, [this] { RunCommand([this] { ornInfo1Click(); }); });
    actions->addAction(ornInfo1);
    actions->addSeparator();
    mniSelectAll = MakeAction(this, QStringLiteral("Select All"), QString(), QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(mniSelectAll, &QAction::triggered, this, &TfrmMain::mniSelectAllClick);
    actions->addAction(mniSelectAll);
    mniInvertSelection = MakeAction(this, QStringLiteral("Invert Selection"), QString(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    connect(mniInvertSelection, &QAction::triggered, this, &TfrmMain::mniInvertSelectionClick);
    actions->addAction(mniInvertSelection);
    actions->addAction(m_TestArchive->mniSelectDamaged);
    for (QAction *action : {ornInfo1, mniSelectAll, mniInvertSelection})
        action->setEnabled(false);

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    connect(mnuView, &QMenu::aboutToShow, this, &TfrmMain::mniViewClick);
    mniViewHideFolderView = MakeAction(this, QStringLiteral("Folder tree"), QStringLiteral("Show / Hide the folder tree"), QKeySequence(Qt::Key_F4));
    mniViewHideFolderView->setCheckable(true);
    mniViewHideFolderView->setChecked(true);
    connect(mniViewHideFolderView, &QAction::triggered, this, [this] { mniViewHideFolderViewClick(false); });
    mnuView->addAction(mniViewHideFolderView);
    mniToolbar = MakeAction(this, QStringLiteral("Toolbar"), QStringLiteral("Show / Hide the toolbar"));
    mniToolbar->setCheckable(true);
    mniToolbar->setChecked(true);
    connect(mniToolbar, &QAction::triggered, this, &TfrmMain::mniToolbarClick);
    mnuView->addAction(mniToolbar);
    mnuView->addSeparator();
    mniPreferences = MakeAction(this, QStringLiteral("Options"), QStringLiteral("Change various options for this application"));
    connect(mniPreferences, &QAction::triggered, this, [this] { RunCommand([this] { mniPreferencesClick(); }); });
    mnuView->addAction(mniPreferences);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    mniAbout = MakeAction(this, QStringLiteral("About"), QString());
    connect(mniAbout, &QAction::triggered, this, [this] { RunCommand([this] { mniAboutClick(); }); });
    help->addAction(mniAbout);
}

void TfrmMain::CreateToolbar()
{
    tbrMain = addToolBar(QStringLiteral("Toolbar"));
    tbrMain->setObjectName(QStringLiteral("tbrMain"));
    tbrMain->setMovable(false);
    tbrMain->setFloatable(false);
    tbrMain->toggleViewAction()->setVisible(false);
    tbrMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbrMain->setIconSize(QSize(24, 24));
    tbrMain->setContextMenuPolicy(Qt::PreventContextMenu);

    auto *openButton = new QAction(mniOpenVorn->icon(), QStringLiteral("Open"), this);
    openButton->setToolTip(mniOpenVorn->statusTip());
    openButton->setStatusTip(mniOpenVorn->statusTip());
    connect(openButton, &QAction::triggered, mniOpenVorn, &QAction::trigger);
    tbrMain->addAction(openButton);
    tbrMain->addAction(actClose);
    tbrMain->addSeparator();
    tbrMain->addAction(actExtract);
    tbrMain->addAction(actView);
    tbrMain->addAction(m_TestArchive->actTestArchive);
    tbrMain->addSeparator();

    auto *styleButton = new TViewStyleButton(tbrMain);
    tbnViewStyle = styleButton;
    mnuViewStyle = styleButton->StyleMenu();
    mniViewStyles = styleButton->StyleItems();
    connect(styleButton, &TViewStyleButton::styleChosen, this, &TfrmMain::mniViewStyleClick);
    connect(tbnViewStyle, &QToolButton::clicked, this, &TfrmMain::tbnViewStyleClick);
    connect(mnuViewStyle, &QMenu::aboutToShow, this, [this] { mniViewStyles.value(ViewStyle())->setChecked(true); });
    // The View menu offers the same styles, Thumbnails among them.
    mnuView->insertActions(mniPreferences, mniViewStyles);
    mnuView->insertSeparator(mniPreferences);
    tbrMain->addWidget(tbnViewStyle);
    for (QToolButton *button : tbrMain->findChildren<QToolButton *>())
        button->setMinimumSize(40, 44);
}

void TfrmMain::CreateFoldersPanel()
{
    auto *panel = new TFoldersPanel;
    pnlFolders = panel;
    pnlFoldersHeader = panel->Header();
    btnHideFilderView = panel->HideButton();
    connect(btnHideFilderView, &QToolButton::clicked, this, [this] { mniViewHideFolderViewClick(true); });
    trvFolders = panel->Tree();
    connect(trvFolders, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::OnTreeSelectionChanged);
    connect(trvFolders, &TFolderTree::compareRequested, this, [this](const TVornFile *vorn) {
        RunCommand([this, vorn] { mniCompareClick(TBrowserSession::PathOf(*vorn)); });
    });
}

void TfrmMain::CreateFileList()
{
    m_Model = new TFileListModel(this);
    lsvMain = new TFileListView;
    lsvMain->setObjectName(QStringLiteral("lsvMain"));
    m_Selection = new TListSelection(*lsvMain, *m_Model, this);
    m_Model->SetDamagedEntries(&m_Session->Damaged());
    connect(m_Session, &TBrowserSession::damagedChanged, m_Model, &TEntryListModel::DamagedEntriesChanged);
    connect(lsvMain, &TFileListView::columnClicked, this, &TfrmMain::lsvMainColumnClick);
    connect(lsvMain, &TFileListView::rowDoubleClicked, this, [this] { RunCommand([this] { lsvMainDblClick(); }); });
    connect(lsvMain, &TFileListView::pressed, this, [this](const QPoint &position) { m_Outgoing->MousePressed(position); });
    connect(lsvMain, &TFileListView::contextMenuRequested, this, [this](const QPoint &globalPosition) {
        mnuPopupMainPopup();
        mnuPopupMain->popup(globalPosition);
    });
    for (QAbstractItemView *view : lsvMain->Views()) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
}

void TfrmMain::CreatePopupMenu()
{
    mnuPopupMain = new QMenu(this);
    mnuPopupMain->setObjectName(QStringLiteral("mnuPopupMain"));
    popmniActions = new TMenuHeadingAction(QStringLiteral("Actions"), mnuPopupMain);
    mnuPopupMain->addAction(popmniActions);
    popmniView = mnuPopupMain->addAction(QStringLiteral("View"));
    popmniView->setShortcut(QKeySequence(Qt::Key_Return));
    popmniView->setShortcutContext(Qt::WidgetShortcut); // Enter itself is handled by the list
    mnuPopupMain->setDefaultAction(popmniView);
    connect(popmniView, &QAction::triggered, this, [this] { RunCommand([this] { lsvMainDblClick(); }); });
    popmniOpenWith = mnuPopupMain->addAction(QStringLiteral("Open with Default Application"));
    connect(popmniOpenWith, &QAction::triggered, this, [this] { RunCommand([this] { m_Outgoing->OpenWith(); }); });
    popmniExtract = mnuPopupMain->addAction(QStringLiteral("Extract"));
    popmniExtract->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(popmniExtract, &QAction::triggered, this, [this] { RunCommand([this] { tbnExtractClick(); }); });
    popmniCopy = mnuPopupMain->addAction(QStringLiteral("Copy"));
    popmniCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(popmniCopy, &QAction::triggered, this, [this] { RunCommand([this] { m_Outgoing->Copy(); }); });
    mnuPopupMain->addSeparator();
    popmniProperties = mnuPopupMain->addAction(QStringLiteral("Properties"));
    popmniProperties->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    connect(popmniProperties, &QAction::triggered, this, [this] { RunCommand([this] { popmniPropertiesClick(); }); });
    popmniSavePng = mnuPopupMain->addAction(QStringLiteral("Save as PNG..."));
    connect(popmniSavePng, &QAction::triggered, this, [this] {
        RunCommand([this] {
            if (const std::optional<TListSelection::TRow> row = m_Selection->Single())
                SaveEntryAsPng(*row->Vorn, row->Entry, *m_Seam, this);
        });
    });
    // The shortcuts of Extract and Properties work while the list has the focus.
    for (QAction *action : {popmniExtract, popmniCopy, popmniProperties}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        lsvMain->addAction(action);
    }
}

void TfrmMain::CreateStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("stbMain"));
    statusBar()->setFixedHeight(19);
    statusBar()->setSizeGripEnabled(true);
    stbPanel = new QLabel(statusBar());
    stbPanel->setMinimumWidth(50);
    statusBar()->addWidget(stbPanel);
}

void TfrmMain::LayOutWindow()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_PathBar = new TPathBar(central);
    pnlOutlookBarBg = m_PathBar;
    pnlOutlookBar = m_PathBar->Strip();
    lblVornPath = m_PathBar->Label();
    layout->addWidget(pnlOutlookBarBg);

    CreateFoldersPanel();
    sptMain = new QSplitter(Qt::Horizontal, central);
    sptMain->setObjectName(QStringLiteral("sptMain"));
    sptMain->setHandleWidth(4);
    sptMain->setChildrenCollapsible(false);
    sptMain->addWidget(pnlFolders);
    sptMain->addWidget(lsvMain);
    sptMain->setStretchFactor(0, 0);
    sptMain->setStretchFactor(1, 1);
    sptMain->setSizes({161, 535});
    layout->addWidget(sptMain, 1);
    setCentralWidget(central);

    resize(696, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmMain::ConnectIdleUpdate()
{
    // The enabling rules are evaluated whenever the event loop is about to
    // wait for new events, i.e. when the program goes idle.
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TfrmMain::actCloseUpdate);
    connect(m_Session, &TBrowserSession::busyChanged, this, &TfrmMain::actCloseUpdate);
    connect(m_Session, &TBrowserSession::archiveAboutToClose, this, &TfrmMain::RemoveVornFromTree);
}

void TfrmMain::PlaceFind()
{
    m_Find = new TFindController(*m_Session, *m_Selection, *m_Seam, this);
    addToolBarBreak(); // the find row goes below the toolbar
    addToolBar(new TFindRow(m_Find->Bar(), this));
    addAction(m_Find->FocusBarAction());
    mnuActions->addAction(m_Find->DialogAction());
    mnuPopupMain->addAction(m_Find->GoToFolderAction());
    connect(m_Find, &TFindController::folderRequested, this,
            [this](const TVornFile *vorn, TEntryOffset folder) { ShowFolderOf(vorn, folder); });
    connect(m_Find, &TFindController::showingResultsChanged, m_PathBar, &TPathBar::ShowSearchResults);
    // Choosing a folder in the tree, even the one already chosen, ends the result view.
    connect(trvFolders, &QTreeWidget::itemSelectionChanged, m_Find, &TFindController::LeaveResults);
    connect(trvFolders, &QTreeWidget::itemClicked, m_Find, &TFindController::LeaveResults);
}

void TfrmMain::PlaceMergedGame()
{
    TMergedGameNode::THooks hooks;
    hooks.OpenArchive = [this](const QString &path, const TOpenFailed &failed) { OpenFile(path, failed); };
    hooks.GameFolder = [this] { return m_frmOptions ? m_frmOptions->GameFolder() : QString(); };
    m_Merged = new TMergedGameNode(*m_Session, *trvFolders, *m_Selection, *m_Seam, std::move(hooks), this);
    TFindController::TGameHooks find;
    find.ListedFolder = [this] {
        TFindController::TGamePlace place;
        std::shared_ptr<const TMergedView> view = m_Merged->Game().ViewHandle().lock();
        if (m_Merged->Showing() && view && view.get() == m_Merged->Model().View())
            place = {std::move(view), m_Merged->Model().CurrentFolder()};
        return place;
    };
    find.ShowFolder = [this](const TMergedView &view, TMergeNodeId folder) {
        if (m_Merged->Game().ViewHandle().lock().get() != &view || !m_Merged->TopNode())
            return false;
        m_Merged->SelectFolder(folder);
        return m_Merged->Showing() && m_Merged->Model().CurrentFolder() == folder;
    };
    m_Find->SetGameHooks(std::move(find));
    connect(m_Merged, &TMergedGameNode::pathChanged, lblVornPath, &QLabel::setText);
    mnuFile->insertAction(mniReopen->menuAction(), m_Merged->actOpenGameFolder);
    mnuView->addSeparator();
    mnuView->addAction(m_Merged->actGameView);
    mnuActions->addSeparator();
    mnuActions->addAction(m_Merged->actOnlyConflicts);
    mnuActions->addAction(m_Merged->actChooseArchives);
    mnuPopupMain->insertAction(popmniProperties, m_Merged->actCompareOverridden);
    m_MountActions->SetGameView([this] {
        return m_Merged->Showing() ? TListedGameView{m_Merged->Game().Caption(), m_Merged->Game().MemberPaths()}
                                   : TListedGameView();
    });
}

void TfrmMain::PlacePreview()
{
    auto *preview = new TPreviewDock(*m_Selection, this);
    addDockWidget(Qt::RightDockWidgetArea, preview);
    preview->hide();
    // Beside the other panes of the View menu, before its first separator.
    const QList<QAction *> items = mnuView->actions();
    const auto separator = std::find_if(items.begin(), items.end(), [](QAction *item) { return item->isSeparator(); });
    mnuView->insertAction(separator == items.end() ? nullptr : *separator, preview->ToggleAction());
    addAction(preview->ToggleAction()); // F3 works while the menu is closed
}

// ---- Errors ----

void TfrmMain::AppException(const std::exception &error)
{
    ShowErrorBox(*m_Seam, this, error);
}

void TfrmMain::RunCommand(const std::function<void()> &command)
{
    RunReporting(*m_Seam, this, command);
}

// ---- State ----

void TfrmMain::SetStatusPanelText(const QString &text)
{
    stbPanel->setText(text);
}

QString TfrmMain::StatusPanelText() const
{
    return stbPanel->text();
}

void TfrmMain::actCloseUpdate()
{
    const bool active = m_Session->ActiveVorn() != nullptr;
    const bool closable = active && !m_Session->Busy();
    actExtract->setEnabled(active);
    actView->setEnabled(active && m_Selection->Count() == 1);
    for (QAction *action : {actClose, actCloseAll, actSaveVVC, ornInfo1, mniSelectAll, mniInvertSelection})
        action->setEnabled(closable);
}

// ---- Opening and closing ----

void TfrmMain::OpenFile(const QString &path, const TOpenFailed &failed)
{
    if (!failed) {
        QCoreApplication::processEvents();
        m_Session->Opens().Wait(); // the opens begun before this one come first
    }
    if (IsCollectionPath(path)) {
        ReadCollection(path, failed); // remembers the collection after its archives
        return;
    }
    if (failed) {
        // An open path is reselected in its turn too, after those before it.
        m_Session->BeginOpen(path, [this, path, failed](TVornFile *vorn, std::exception_ptr error) {
            OpenedOnWorker(vorn, error, path, failed);
        });
        return;
    }
    if (SelectIfOpen(path))
        return;
    ShowOpened(m_Session->Open(path), path);
}

void TfrmMain::OpenedOnWorker(TVornFile *vorn, const std::exception_ptr &error, const QString &path,
                              const TOpenFailed &failed)
{
    try {
        if (error)
            std::rethrow_exception(error);
        if (!vorn)
            return; // a second open of a path whose first open failed
        if (!trvFolders->TopNodeOf(vorn))
            ShowOpened(*vorn, path);
        else
            SelectIfOpen(path);
    } catch (const std::exception &reason) {
        failed(reason);
    }
}

void TfrmMain::ShowOpened(TVornFile &vorn, const QString &path)
{
    SetCaptionForVorn(&vorn);
    try {
        TUpdatesSuspended suspended(trvFolders);
        AddVornToTree(vorn, path);
    } catch (...) {
        CloseActiveVorn();
        throw;
    }
    AddToHistory(path);
}

bool TfrmMain::SelectIfOpen(const QString &path)
{
    QTreeWidgetItem *node = trvFolders->TopNodeOf(m_Session->OpenVornAt(path));
    if (!node)
        return false;
    ActivateVornOfNode(node);
    SelectNode(node);
    return true;
}

void TfrmMain::AddVornToTree(TVornFile &vorn, const QString &path)
{
    QTreeWidgetItem *node = trvFolders->AddArchiveNode(vorn, FileNamePart(path));
    m_ActiveRootNode = node;
    SelectNode(node); // lists the root folder
    trvFolders->AddFolderNodes(node, m_Session->FoldersOf(&vorn));
}

void TfrmMain::CloseActiveVorn()
{
    if (!m_Session->ActiveVorn())
        return;
    m_Session->Close(m_Session->ActiveVorn());
    if (m_Session->OpenVorns().empty()) {
        ShowNothingOpen();
        return;
    }
    ActivateVornOfNode(trvFolders->TopNodeOf(m_Session->OpenVorns().back().get()));
    SelectFolderNode(m_Session->ActiveVorn()->GetRootOffset(), m_ActiveRootNode);
}

void TfrmMain::CloseAllVorns()
{
    m_Session->Opens().DropAll(); // what is still being opened goes too
    if (m_Session->OpenVorns().empty())
        return;
    m_Session->CloseAll();
    ShowNothingOpen();
}

void TfrmMain::RemoveVornFromTree(const TVornFile *vorn)
{
    trvFolders->clearSelection();
    if (m_ActiveRootNode == trvFolders->TopNodeOf(vorn))
        m_ActiveRootNode = nullptr;
    trvFolders->RemoveArchive(vorn);
    if (m_Model->Vorn() == vorn)
        m_Model->ClearRows(); // the rows must not outlive their reader
}

void TfrmMain::ShowNothingOpen()
{
    m_Model->ClearRows();
    trvFolders->RemoveAll();
    setWindowTitle(AppTitle);
    lblVornPath->setText(NoVornOpenText);
}

void TfrmMain::SetCaptionForVorn(const TVornFile *vorn)
{
    setWindowTitle(AppTitle + QLatin1String(" - [") + TBrowserSession::PathOf(*vorn) + u']');
}

void TfrmMain::DropFiles(const QStringList &paths)
{
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        const QString &path = paths[i];
        if (!QFileInfo(path).isFile())
            continue;
        const TOpenFailed failed = [this, path](const std::exception &error) {
            m_Seam->showErrorMessage(this, QStringLiteral("Can't open file %1.%2Reason: %3")
                                               .arg(path, QStringLiteral("\n\r"), QString::fromUtf8(error.what())));
        };
        try {
            OpenFile(path, failed);
        } catch (const std::exception &error) {
            failed(error); // a collection that cannot be read
        }
    }
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    // Entries dragged out of our own list are not archives to open.
    if (event->mimeData()->hasUrls() && !qobject_cast<const TDropFileSource *>(event->mimeData()))
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile(); // any length
    event->acceptProposedAction();
    DropFiles(paths);
}

// ---- Tree ----

void TfrmMain::OnTreeSelectionChanged()
{
    const QList<QTreeWidgetItem *> selected = trvFolders->selectedItems();
    RunCommand([&] { trvFoldersChange(selected.value(0)); });
}

void TfrmMain::trvFoldersChange(QTreeWidgetItem *node)
{
    if (!node || !node->isSelected() || !TFolderTree::NodeVorn(node))
        return; // a node of another view (the game view) is listed by that view
    m_Selection->ShowListing();
    ActivateVornOfNode(TFolderTree::TopOf(node));
    {
        TUpdatesSuspended suspended(lsvMain);
        FillFileList(TFolderTree::NodeOffset(node));
    }
    const TVornFile *vorn = m_Session->ActiveVorn();
    if (vorn && vorn->GetChildCount(vorn->GetRootOffset()) > 0) {
        UpdatePathLabel(TFolderTree::NodeOffset(node));
        lsvMain->FocusFirstRow();
    }
}

void TfrmMain::UpdatePathLabel(TEntryOffset folder)
{
    const TVornFile &vorn = *m_Session->ActiveVorn();
    const QString archive = FileNamePart(TBrowserSession::PathOf(vorn));
    const QString inside = AnsiToQString(vorn.GetPath(folder) + vorn.GetName(folder));
    lblVornPath->setText(archive + inside + u'\\');
}

void TfrmMain::ActivateVornOfNode(QTreeWidgetItem *topNode)
{
    TVornFile *vorn = TFolderTree::NodeVorn(topNode);
    if (!vorn || vorn == m_Session->ActiveVorn() || !m_Session->IsOpen(vorn))
        return;
    m_Session->Activate(vorn);
    m_ActiveRootNode = topNode;
    SetCaptionForVorn(vorn);
}

void TfrmMain::SelectFolderNode(TEntryOffset directory, QTreeWidgetItem *archiveNode)
{
    QTreeWidgetItem *node = trvFolders->FindFolderNode(directory, archiveNode);
    if (!node)
        return;
    (node->parent() ? node->parent() : node)->setExpanded(true);
    SelectNode(node);
}

void TfrmMain::ShowFolderOf(const TVornFile *vorn, TEntryOffset folder)
{
    m_Selection->ShowListing(); // also when the node is the one selected already
    QTreeWidgetItem *top = trvFolders->TopNodeOf(vorn);
    ActivateVornOfNode(top);
    SelectFolderNode(folder, top);
}

void TfrmMain::SelectNode(QTreeWidgetItem *node)
{
    // Selecting the node that is already selected changes nothing, so the
    // list, which may still show another archive's folder, is filled here.
    if (!node)
        return;
    const bool unchanged = node->isSelected() && trvFolders->currentItem() == node;
    trvFolders->setCurrentItem(node);
    if (unchanged)
        RunCommand([&] { trvFoldersChange(node); });
}

// ---- List ----

void TfrmMain::FillFileList(TEntryOffset directory)
{
    TBusyCursor hourglass;
    m_Session->ShowFolder(directory);
    // The root's name order is worked out with the read: a root of many
    // thousands of entries is listed without a sort here.
    const TVornFile *vorn = m_Session->ActiveVorn();
    const std::shared_ptr<const TFolderLayout> folders = m_Session->FoldersOf(vorn);
    const bool root = folders && directory == folders->Root();
    m_Model->FillFileList(vorn, directory, root ? folders->RootByName() : std::span<const TEntryOffset>());
}

void TfrmMain::lsvMainColumnClick(int column)
{
    TBusyCursor hourglass;
    RunCommand([&] { m_Selection->Model()->SortByColumn(column); });
}

void TfrmMain::lsvMainDblClick()
{
    const std::optional<TListSelection::TRow> row = m_Selection->Single();
    if (!row || (row->IsFolder && m_Selection->Model()->OpenFolderAt(row->Number)))
        return;
    if (row->IsFolder)
        ShowFolderOf(row->Vorn, row->Entry);
    else
        ViewEntry(*row->Vorn, row->Entry);
}

bool TfrmMain::lsvMainKeyPress(int character)
{
    if (character == 8) {
        RunCommand([this] {
            if (!m_Session->ActiveVorn())
                return;
            const TEntryOffset parent = m_Session->ActiveVorn()->GetParent(m_Session->CurrentFolder());
            if (parent != 0)
                SelectFolderNode(parent, m_ActiveRootNode);
        });
        return true;
    }
    if (character == 13) {
        RunCommand([this] { lsvMainDblClick(); });
        return true;
    }
    return false;
}

void TfrmMain::ViewEntry(const TVornFile &vorn, TEntryOffset entry)
{
    TFileBuffer buffer = vorn.ReadFile(entry);
    const QString name = AnsiToQString(vorn.GetName(entry));
    try {
        ViewFile(std::move(buffer), name, this);
    } catch (...) {
        // The viewers fail silently; the buffer is freed with the exception.
    }
}

void TfrmMain::mniSelectAllClick()
{
    if (lsvMain->HasListFocus())
        lsvMain->CurrentView()->selectAll();
}

void TfrmMain::mniInvertSelectionClick()
{
    const QAbstractItemModel *model = m_Selection->Model(); // the folder listing or results
    const int count = model->rowCount();
    if (!lsvMain->HasListFocus() || count == 0)
        return;
    const QItemSelection all(model->index(0, 0), model->index(count - 1, model->columnCount() - 1));
    m_Selection->SelectionModel()->select(all, QItemSelectionModel::Toggle);
}

void TfrmMain::tbnViewStyleClick()
{
    lsvMain->SetViewStyle((ViewStyle() + 1) % 4);
}

void TfrmMain::mniViewStyleClick(int tag)
{
    lsvMain->SetViewStyle(tag);
}

int TfrmMain::ViewStyle() const
{
    return lsvMain->ViewStyle();
}

void TfrmMain::mnuPopupMainPopup()
{
    const int count = m_Selection->Count();
    const std::optional<TListSelection::TRow> row = m_Selection->Single();
    popmniView->setEnabled(count == 1);
    popmniExtract->setEnabled(m_Selection->Model()->rowCount() > 0);
    popmniProperties->setEnabled(count == 1);
    popmniCopy->setEnabled(count > 0);
    popmniOpenWith->setEnabled(m_Selection->SingleFile().has_value());
    popmniSavePng->setVisible(row && CanSaveEntryAsPng(*row->Vorn, row->Entry));
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as objects: the watched object may be a viewport, which is no view.
    const QList<QAbstractItemView *> views = lsvMain->Views();
    const bool isView = std::any_of(views.begin(), views.end(),
                                    [watched](const QAbstractItemView *view) { return view == watched; });
    if (isView && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
            return QMainWindow::eventFilter(watched, event);
        if (key->key() == Qt::Key_Backspace)
            return lsvMainKeyPress(8);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return lsvMainKeyPress(13);
    }
    if (!isView && event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (lsvMainMouseMove(mouse->position().toPoint(), mouse->buttons()))
            return true; // the drag consumed the move
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Window commands ----

void TfrmMain::mniOpenVornClick()
{
    QString folder;
    if (m_frmOptions)
        folder = m_frmOptions->GetStartupDir();
    const QStringList chosen = m_Seam->askOpenFileNames(this, folder, OpenDialogFilterText());
    if (chosen.isEmpty())
        return;
    // An error ends the batch: the files chosen after the failing one stay
    // unopened and the start-up folder stays as it was.
    struct TBatch {
        bool failed = false;
        TOpenQueue::TTicket last = 0;
    };
    auto batch = std::make_shared<TBatch>();
    const TOpenFailed failed = [this, batch](const std::exception &error) {
        batch->failed = true;
        // What was queued before the failing file has been handed over.
        m_Session->Opens().DropThrough(batch->last);
        AppException(error);
    };
    for (const QString &path : chosen) {
        OpenFile(path, failed); // a collection that cannot be read raises here
        batch->last = m_Session->Opens().LastTicket();
    }
    m_Session->Opens().Then([this, batch, first = chosen.first()] {
        if (!batch->failed && m_frmOptions)
            m_frmOptions->SetLastOpenDir(WithTrailingSeparator(FolderPart(first)));
    });
}

void TfrmMain::mniViewHideFolderViewClick(bool fromHeaderButton)
{
    const bool visible = fromHeaderButton ? false : !pnlFolders->isVisible();
    pnlFolders->setVisible(visible); // the splitter handle follows the panel
    mniViewHideFolderView->setChecked(visible);
}

void TfrmMain::mniToolbarClick()
{
    tbrMain->setVisible(!tbrMain->isVisible());
    mniToolbar->setChecked(tbrMain->isVisible());
}

void TfrmMain::mniViewClick()
{
    mniToolbar->setChecked(tbrMain->isVisible());
    mniViewHideFolderView->setChecked(pnlFolders->isVisible());
    mniViewStyles.value(ViewStyle())->setChecked(true);
}

void TfrmMain::mniPreferencesClick()
{
    if (!m_frmOptions)
        return;
    m_frmOptions->SaveSettings();
    m_frmOptions->exec();
}

void TfrmMain::mniAboutClick()
{
    TfrmAbout::Execute(this);
}

// ---- Closing ----

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_Session->Busy()) { // FormCloseQuery
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    m_Model->ClearRows();
    m_MountActions->Folders().UnmountAll();
    CloseAllVorns();
    SaveHistory();
    if (m_frmOptions)
        RunCommand([this] { m_frmOptions->SaveSettings(); });
}

// ---- Recent files, collections and the commands on entries ----

void TfrmMain::LoadHistory()
{
    FileHistory = new THistory(this);
    FileHistory->SetIfExistsPlaceFirst(true);
    connect(FileHistory, &THistory::OnChange, this, &TfrmMain::FileHistoryChange);
    FileHistory->SetMaxItems(8);
    FileHistoryChange();
    FileHistory->LoadFromIniFile(m_IniFileName, HistorySection);
}

void TfrmMain::AddToHistory(const QString &path)
{
    FileHistory->Add(path);
}

void TfrmMain::SaveHistory()
{
    RunCommand([this] { FileHistory->SaveToIniFile(m_IniFileName, HistorySection); });
}

void TfrmMain::FileHistoryChange()
{
    FillReopenMenu(*mniReopen, *FileHistory, [this](int tag) { RunCommand([this, tag] { GenericReopenClick(tag); }); });
}

void TfrmMain::GenericReopenClick(int tag)
{
    ::GenericReopenClick(*FileHistory, tag, [this](const QString &path) {
        OpenFile(path, [this](const std::exception &error) { AppException(error); });
    });
}

void TfrmMain::ReadCollection(const QString &path, const TOpenFailed &failed)
{
    // A line that fails to open is skipped without a message.
    const TOpenFailed skipped = failed ? TOpenFailed([](const std::exception &) {}) : TOpenFailed();
    // On workers an open archive is reselected in its turn (OpenFile).
    OpenCollection(path, {[this, skipped](const QString &p) { return !skipped && SelectIfOpen(p); },
                          [this, skipped](const QString &p) { OpenFile(p, skipped); },
                          [this](const QString &p) {
                              m_Session->Opens().Then([this, p] { AddToHistory(p); });
                          }});
}

void TfrmMain::mniCompareClick(const QString &first)
{
    // Oldest first: opening the old version and then the new one offers
    // them as A and B.
    QStringList paths;
    for (const auto &vorn : m_Session->OpenVorns())
        paths << TBrowserSession::PathOf(*vorn);
    RunCompareCommand(this, paths, first, [this](QDialog &dialog) { return m_Seam->execDialog(dialog); });
}

void TfrmMain::mniSaveVVCClick()
{
    const QString fileName = Ui().askSaveFileName(this, CollectionSaveFilter(), CollectionDefaultSuffix());
    if (fileName.isEmpty())
        return;
    QStringList paths;
    for (const auto &vorn : m_Session->OpenVorns())
        paths << TBrowserSession::PathOf(*vorn);
    frmSaveVVC->Execute(fileName, paths);
}

void TfrmMain::tbnExtractClick()
{
    if (!frmExtractDialog)
        return;
    std::vector<TEntryGroup> groups = m_Selection->Groups();
    // Nothing selected in a folder: the dialog offers the folder or the archive.
    if (groups.empty() && m_Selection->ShowsListing() && m_Session->ActiveVorn())
        groups.push_back({m_Session->ActiveVorn(), m_Session->CurrentFolder(), {}});
    // One run per archive; the target dialog is shown for the first only and
    // the others go to the same place with the same choices.
    TExtractHooks hooks = ExtractHooks();
    for (const TEntryGroup &group : groups) {
        if (!ExtractGroup(this, *frmExtractDialog, group, hooks))
            return;
        const QString target = frmExtractDialog->Path();
        hooks.GetExtractDir = [target] { return target; };
        hooks.ShowDialog = [](TfrmExtractDialog &) { return true; };
    }
}

TExtractHooks TfrmMain::ExtractHooks()
{
    TExtractHooks hooks;
    hooks.GetExtractDir = [this] { return m_frmOptions ? m_frmOptions->GetExtractDir() : QDir::homePath(); };
    hooks.SetLastExtractDir = [this](const QString &folder) {
        if (m_frmOptions)
            m_frmOptions->SetLastExtractDir(WithTrailingSeparator(folder));
    };
    hooks.Busy = &m_Session->BusyFlag();
    hooks.ShowStatus = [this](const QString &text) {
        SetStatusPanelText(text);
        statusBar()->repaint();
    };
    hooks.ShowDialog = [this](TfrmExtractDialog &dialog) { return m_Seam->execDialog(dialog); };
    hooks.Question = m_Seam->overwriteQuestion();
    hooks.Report = m_Seam->extractReport();
    hooks.ShowFailureReport = [this](TfrmFailureReport &report) { m_Seam->execDialog(report); };
    static const TPngConversion pngConversion;
    hooks.PngConversion = &pngConversion;
    return hooks;
}

void TfrmMain::ornInfo1Click()
{
    if (m_Session->ActiveVorn())
        TfrmVornProperties::ShowVornInfo(*m_Session->ActiveVorn(), this);
}

void TfrmMain::popmniPropertiesClick()
{
    const std::optional<TListSelection::TRow> row = m_Selection->Single();
    if (row && !m_Selection->Model()->ShowPropertiesAt(row->Number))
        frmProperties->ShowProperties(*row->Vorn, row->Entry);
}

bool TfrmMain::lsvMainMouseMove(const QPoint &position, Qt::MouseButtons buttons)
{
    return m_Outgoing->MouseMoved(lsvMain, position, buttons);
}

bool TfrmMain::dfsMainDrop(const std::vector<TEntryGroup> &groups, const QString &target,
                           QEventLoop::ProcessEventsFlags events)
{
    return m_Outgoing->Drop(groups, target, events);
}

const QString &TfrmMain::TempFolder() const
{
    return m_Outgoing->TempFolder();
}
