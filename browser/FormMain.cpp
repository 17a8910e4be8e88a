#include "browser/FormMain.h"

#include "browser/merged/MergedGameNode.h"
#include "browser/merged/MergedListModel.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/Collection.h"
#include "browser/Constants.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FindController.h"
#include "browser/FormProperties.h"
#include "browser/FormSaveVVC.h"
#include "browser/FormVornProperties.h"
#include "browser/GenFunctions.h"
#include "browser/History.h"
#include "browser/MenuHeading.h"
#include "browser/OpenProgress.h"
#include "browser/PictureLists.h"
#include "browser/MountActions.h"
#include "browser/TestArchiveActions.h"
#include "browser/UiSeam.h"

#include "browser/PreviewDock.h"
#include "browser/SaveEntryAsPng.h"
#include "viewers/FormatPlugin.h"
#include "viewers/PngConversion.h"
#include "viewers/ViewHandler.h"
#include "platform/AppFolder.h"
#include "platform/ThemeColors.h"
#include "settings/FormAbout.h"
#include "settings/FormOptions.h"
#include "compare/CompareCommand.h"
#include "extract/ClipboardCopy.h"
#include "extract/SameNameFolders.h"
#include "extract/OpenWithDefault.h"
#include "extract/DropSource.h"
#include "extract/ExtractCommand.h"
#include "extract/FormExtractDialog.h"
#include "extract/FormFailureReport.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

namespace {

constexpr int OffsetRole = Qt::UserRole + 1;
constexpr int VornRole = Qt::UserRole + 2;

// Shows the hourglass until the end of the scope, also when an error
// interrupts the work.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

// Suspends a widget's painting until the end of the scope.
class TUpdatesSuspended {
public:
    explicit TUpdatesSuspended(QWidget *widget) : m_widget(widget), m_was(widget->updatesEnabled())
    {
        widget->setUpdatesEnabled(false);
    }
    ~TUpdatesSuspended() { m_widget->setUpdatesEnabled(m_was); }
    TUpdatesSuspended(const TUpdatesSuspended &) = delete;
    TUpdatesSuspended &operator=(const TUpdatesSuspended &) = delete;

private:
    QWidget *m_widget;
    bool m_was;
};

QAction *MakeAction(QObject *parent, const QString &text, const QString &hint, const QKeySequence &shortcut = {})
{
    auto *action = new QAction(text, parent);
    action->setStatusTip(hint);
    action->setToolTip(hint.isEmpty() ? QString(text).remove(u'&') : hint);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

// ===================================================================
// Start-up
// ===================================================================

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
    RemoveSameNameFolders(m_TempFolder);
}

void TfrmMain::FormCreate(const QStringList &arguments)
{
    setWindowTitle(AppTitle);
    m_IniFileName = SettingsFileName();
    m_OpenProgress = new TOpenProgress(this);
    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreateFileList();
    CreatePopupMenu();
    LayOutWindow();
    CreateStatusBar();
    m_Find = new TFindController(*this);
    PlaceMergedNode();
    new TPreviewDock(this);
    lblVornPath->setText(NoVornOpenText);
    ConnectIdleUpdate();
    LoadHistory();
    LoadAllPlugins();
    setAcceptDrops(true);
    m_TempFolder = PrivateTempFolder();
    m_ClipboardCopy = std::make_unique<TClipboardCopy>(m_TempFolder);
    m_OpenWith = std::make_unique<TOpenWithDefault>(m_TempFolder,
                                                    [this](const QUrl &file) { return m_Seam->openWithDefault(file); });
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
    m_TestArchive = new TTestArchiveActions(*this);
    connect(m_TestArchive->actTestArchive, &QAction::triggered, this,
            [this] { RunCommand([this] { m_TestArchive->TestArchive(); }); });
    connect(m_TestArchive->mniSelectDamaged, &QAction::triggered, m_TestArchive, &TTestArchiveActions::SelectDamaged);
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

    mnuViewStyle = new QMenu(this);
    auto *group = new QActionGroup(mnuViewStyle);
    const QStringList captions = {QStringLiteral("Big Icons"), QStringLiteral("Small Icons"),
                                  QStringLiteral("List"), QStringLiteral("Details"), QStringLiteral("Thumbnails")};
    for (int tag = 0; tag < captions.size(); ++tag) {
        QAction *item = mnuViewStyle->addAction(captions[tag]);
        item->setCheckable(true);
        item->setData(tag);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { mniViewStyleClick(tag); });
        mniViewStyles.append(item);
    }
    connect(mnuViewStyle, &QMenu::aboutToShow, this, [this] {
        mniViewStyles.value(ViewStyle())->setChecked(true);
    });
    // The View menu offers the same styles, Thumbnails among them.
    mnuView->insertActions(mniPreferences, mniViewStyles);
    mnuView->insertSeparator(mniPreferences);

    tbnViewStyle = new QToolButton(tbrMain);
    tbnViewStyle->setObjectName(QStringLiteral("tbnViewStyle"));
    tbnViewStyle->setText(QStringLiteral("Style"));
    tbnViewStyle->setToolTip(QStringLiteral("Change the style of the listview"));
    tbnViewStyle->setStatusTip(tbnViewStyle->toolTip());
    tbnViewStyle->setIcon(ToolbarPicture(TToolbarPicture::Style));
    tbnViewStyle->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbnViewStyle->setAutoRaise(true);
    tbnViewStyle->setPopupMode(QToolButton::MenuButtonPopup);
    tbnViewStyle->setMenu(mnuViewStyle);
    connect(tbnViewStyle, &QToolButton::clicked, this, &TfrmMain::tbnViewStyleClick);
    tbrMain->addWidget(tbnViewStyle);
    for (QToolButton *button : tbrMain->findChildren<QToolButton *>())
        button->setMinimumSize(40, 44);
}

void TfrmMain::CreatePathBar(QWidget *parent)
{
    pnlOutlookBarBg = new QWidget(parent);
    pnlOutlookBarBg->setObjectName(QStringLiteral("pnlOutlookBarBg"));
    pnlOutlookBarBg->setFixedHeight(30);
    auto *layout = new QVBoxLayout(pnlOutlookBarBg);
    layout->setContentsMargins(0, 4, 0, 4);
    pnlOutlookBar = new QFrame(pnlOutlookBarBg);
    pnlOutlookBar->setObjectName(QStringLiteral("pnlOutlookBar"));
    pnlOutlookBar->setFixedHeight(22);
    pnlOutlookBar->setAutoFillBackground(true);
    QPalette palette = pnlOutlookBar->palette();
    palette.setColor(QPalette::Window, AppWorkspaceColor(palette));
    palette.setColor(QPalette::WindowText, Qt::white);
    pnlOutlookBar->setPalette(palette);
    auto *barLayout = new QHBoxLayout(pnlOutlookBar);
    barLayout->setContentsMargins(6, 0, 6, 0);
    lblVornPath = new QLabel(pnlOutlookBar);
    lblVornPath->setObjectName(QStringLiteral("lblVornPath"));
    QFont bold = lblVornPath->font();
    bold.setBold(true);
    lblVornPath->setFont(bold);
    lblVornPath->setPalette(palette);
    barLayout->addWidget(lblVornPath);
    barLayout->addStretch();
    layout->addWidget(pnlOutlookBar);
}

void TfrmMain::CreateFoldersPanel()
{
    pnlFolders = new QFrame;
    pnlFolders->setObjectName(QStringLiteral("pnlFolders"));
    pnlFolders->setFrameShape(QFrame::StyledPanel);
    pnlFolders->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(pnlFolders);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    auto *header = new QWidget(pnlFolders);
    header->setFixedHeight(21);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 2, 0);
    pnlFoldersHeader = new QLabel(QStringLiteral("  Folders"), header);
    pnlFoldersHeader->setObjectName(QStringLiteral("pnlFoldersHeader"));
    pnlFoldersHeader->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    btnHideFilderView = new QToolButton(header);
    btnHideFilderView->setObjectName(QStringLiteral("btnHideFilderView"));
    btnHideFilderView->setAutoRaise(true);
    btnHideFilderView->setFixedSize(18, 16);
    btnHideFilderView->setText(QStringLiteral("x"));
    btnHideFilderView->setToolTip(QStringLiteral("Hide the folder tree"));
    connect(btnHideFilderView, &QToolButton::clicked, this, [this] { mniViewHideFolderViewClick(true); });
    headerLayout->addWidget(pnlFoldersHeader, 1);
    headerLayout->addWidget(btnHideFilderView);
    layout->addWidget(header);

    trvFolders = new QTreeWidget(pnlFolders);
    trvFolders->setObjectName(QStringLiteral("trvFolders"));
    trvFolders->setHeaderHidden(true);
    trvFolders->setFrameShape(QFrame::NoFrame);
    trvFolders->setIndentation(19);
    trvFolders->setIconSize(QSize(16, 16));
    trvFolders->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trvFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    trvFolders->setUniformRowHeights(true);
    connect(trvFolders, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::OnTreeSelectionChanged);
    trvFolders->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(trvFolders, &QWidget::customContextMenuRequested, this, [this](const QPoint &position) {
        QTreeWidgetItem *node = trvFolders->itemAt(position);
        const TVornFile *vorn = node && !node->parent() ? NodeVorn(node) : nullptr;
        if (!vorn)
            return;
        const QString path = TBrowserSession::PathOf(*vorn);
        QMenu menu;
        menu.addAction(QStringLiteral("Compare..."), this, [this, path] { RunCommand([this, path] { mniCompareClick(path); }); });
        menu.exec(trvFolders->viewport()->mapToGlobal(position));
    });
    layout->addWidget(trvFolders);
}

void TfrmMain::CreateFileList()
{
    m_Model = new TFileListModel(this);
    lsvMain = new TFileListView;
    lsvMain->setObjectName(QStringLiteral("lsvMain"));
    lsvMain->setModel(m_Model);
    m_Model->SetDamagedEntries(&m_Session->Damaged());
    connect(m_Session, &TBrowserSession::damagedChanged, m_Model, &TEntryListModel::DamagedEntriesChanged);
    connect(lsvMain->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmMain::OnSelectionChanged);
    connect(m_Model, &QAbstractItemModel::modelReset, this, &TfrmMain::OnSelectionChanged);
    connect(lsvMain, &TFileListView::columnClicked, this, &TfrmMain::lsvMainColumnClick);
    connect(lsvMain, &TFileListView::rowDoubleClicked, this, [this] { RunCommand([this] { lsvMainDblClick(); }); });
    connect(lsvMain, &TFileListView::pressed, this, [this](const QPoint &position) { m_DragStart.MouseDown(position); });
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
    connect(popmniOpenWith, &QAction::triggered, this, [this] { RunCommand([this] { popmniOpenWithClick(); }); });
    popmniExtract = mnuPopupMain->addAction(QStringLiteral("Extract"));
    popmniExtract->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(popmniExtract, &QAction::triggered, this, [this] { RunCommand([this] { tbnExtractClick(); }); });
    popmniCopy = mnuPopupMain->addAction(QStringLiteral("Copy"));
    popmniCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(popmniCopy, &QAction::triggered, this, [this] { RunCommand([this] { popmniCopyClick(); }); });
    mnuPopupMain->addSeparator();
    popmniProperties = mnuPopupMain->addAction(QStringLiteral("Properties"));
    popmniProperties->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    connect(popmniProperties, &QAction::triggered, this, [this] { RunCommand([this] { popmniPropertiesClick(); }); });
    popmniSavePng = mnuPopupMain->addAction(QStringLiteral("Save as PNG..."));
    connect(popmniSavePng, &QAction::triggered, this, [this] {
        RunCommand([this] {
            const std::vector<TEntryOffset> entries = SelectedEntries();
            if (m_Session->ActiveVorn() && entries.size() == 1)
                SaveEntryAsPng(*m_Session->ActiveVorn(), entries.front(), *m_Seam, this);
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
    CreatePathBar(central);
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

// ===================================================================
// Errors
// ===================================================================

void TfrmMain::AppException(const std::exception &error)
{
    if (dynamic_cast<const EAbort *>(&error))
        return;
    m_Seam->showError(this, ErrorBoxText(QString::fromUtf8(error.what())));
}

void TfrmMain::RunCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        AppException(error);
    }
}

// ===================================================================
// State
// ===================================================================

std::vector<TEntryOffset> TfrmMain::SelectedEntries() const
{
    // Search results and the merged game view can come from several
    // archives: they are not entries of the active archive (the find
    // controller and the game view answer for them).
    if (m_Find->ShowingResults() || m_Merged->Showing())
        return {};
    QModelIndexList rows = lsvMain->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<TEntryOffset> entries;
    entries.reserve(size_t(rows.size()));
    for (const QModelIndex &index : rows)
        entries.push_back(m_Model->Rows()[size_t(index.row())].Entry);
    return entries;
}

int TfrmMain::SelectedCount() const
{
    if (m_SelectedCountCache < 0)
        m_SelectedCountCache = int(lsvMain->selectionModel()->selectedRows().size());
    return m_SelectedCountCache;
}

std::pair<const TVornFile *, TEntryOffset> TfrmMain::SelectedSingleFile() const
{
    if (m_Merged->Showing())
        return m_Merged->SingleSelectedFile();
    auto selected = m_Find->ShowingResults() ? m_Find->SingleSelected() : std::pair<const TVornFile *, TEntryOffset>();
    if (!m_Find->ShowingResults() && m_Session->ActiveVorn() && SelectedCount() == 1)
        selected = {m_Session->ActiveVorn(), SelectedEntries().front()};
    if (!selected.first || selected.first->IsDirectory(selected.second))
        return {nullptr, 0};
    return selected;
}

void TfrmMain::ShowListModel(QAbstractItemModel *model)
{
    if (lsvMain->DetailsView()->model() == model)
        return;
    QItemSelectionModel *previous = lsvMain->selectionModel();
    lsvMain->setModel(model);
    previous->deleteLater(); // the views share the new one
    connect(lsvMain->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmMain::OnSelectionChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &TfrmMain::OnSelectionChanged, Qt::UniqueConnection);
    OnSelectionChanged();
}

void TfrmMain::OnSelectionChanged()
{
    m_SelectedCountCache = -1;
}

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
    actView->setEnabled(active && SelectedCount() == 1);
    for (QAction *action : {actClose, actCloseAll, actSaveVVC, ornInfo1, mniSelectAll, mniInvertSelection})
        action->setEnabled(closable);
    m_TestArchive->UpdateEnabled();
}

// ===================================================================
// Opening and closing
// ===================================================================

void TfrmMain::OpenFile(const QString &path)
{
    const TOpenProgress::TStep step(*m_OpenProgress, path);
    QCoreApplication::processEvents();
    if (IsCollectionPath(path)) {
        ReadCollection(path); // remembers the collection after its archives
        return;
    }
    if (SelectIfOpen(path))
        return;
    TVornFile &vorn = m_Session->Open(path);
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
    QTreeWidgetItem *node = TopNodeOfVorn(m_Session->OpenVornAt(path));
    if (!node)
        return false;
    ActivateVornOfNode(node);
    SelectNode(node);
    return true;
}

void TfrmMain::AddVornToTree(TVornFile &vorn, const QString &path)
{
    auto *node = new QTreeWidgetItem;
    node->setText(0, FileNamePart(path));
    node->setData(0, OffsetRole, uint(vorn.GetRootOffset()));
    node->setData(0, VornRole, QVariant::fromValue(quintptr(&vorn)));
    node->setIcon(0, ListPicture(Pictures::Archive));
    {
        // Inserting above the selected node makes the tree report a
        // selection change before the new node is the selected one; it is
        // selected just below.
        const QSignalBlocker quiet(trvFolders);
        trvFolders->insertTopLevelItem(m_Merged->TopNode() ? 1 : 0, node); // the game view stays on top
    }
    m_ActiveRootNode = node;
    SelectNode(node); // lists the root folder
    if (vorn.GetChildCount(vorn.GetRootOffset()) > 0)
        AddFolderNodes(node, vorn, vorn.GetRootOffset());
}

void TfrmMain::AddFolderNodes(QTreeWidgetItem *parent, TVornFile &vorn, TEntryOffset directory)
{
    // Iterative, entering each directory once: a damaged index that lists a
    // folder inside itself (or is very deep) ends instead of recursing.
    const QIcon folderIcon = FolderNodeIcon();
    const QVariant vornData = QVariant::fromValue(quintptr(&vorn));
    std::unordered_set<TEntryOffset> entered{directory};
    std::vector<std::pair<QTreeWidgetItem *, TEntryOffset>> pending{{parent, directory}};
    while (!pending.empty()) {
        const auto [node, folder] = pending.back();
        pending.pop_back();
        for (const TEntryOffset child : vorn.GetChildren(folder)) {
            if (!vorn.IsDirectory(child) || !entered.insert(child).second)
                continue;
            auto *childNode = new QTreeWidgetItem(node);
            childNode->setText(0, AnsiToQString(vorn.GetName(child)));
            childNode->setData(0, OffsetRole, uint(child));
            childNode->setData(0, VornRole, vornData);
            childNode->setIcon(0, folderIcon);
            pending.emplace_back(childNode, child);
        }
    }
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
    ActivateVornOfNode(TopNodeOfVorn(m_Session->OpenVorns().back().get()));
    SelectFolderNode(m_Session->ActiveVorn()->GetRootOffset(), m_ActiveRootNode);
}

void TfrmMain::CloseAllVorns()
{
    if (m_Session->OpenVorns().empty())
        return;
    m_Session->CloseAll();
    ShowNothingOpen();
}

void TfrmMain::RemoveVornFromTree(const TVornFile *vorn)
{
    trvFolders->clearSelection();
    if (QTreeWidgetItem *node = TopNodeOfVorn(vorn)) {
        if (node == m_ActiveRootNode)
            m_ActiveRootNode = nullptr;
        const QSignalBlocker quiet(trvFolders); // no other node is chosen meanwhile
        delete node;
    }
    if (m_Model->Vorn() == vorn)
        m_Model->ClearRows(); // the rows must not outlive their reader
}

void TfrmMain::ShowNothingOpen()
{
    m_Model->ClearRows();
    trvFolders->clear();
    setWindowTitle(AppTitle);
    lblVornPath->setText(NoVornOpenText);
}

void TfrmMain::SetCaptionForVorn(const TVornFile *vorn)
{
    setWindowTitle(AppTitle + QLatin1String(" - [") + TBrowserSession::PathOf(*vorn) + u']');
}

QTreeWidgetItem *TfrmMain::TopNodeOfVorn(const TVornFile *vorn) const
{
    for (int i = 0; vorn && i < trvFolders->topLevelItemCount(); ++i)
        if (NodeVorn(trvFolders->topLevelItem(i)) == vorn)
            return trvFolders->topLevelItem(i);
    return nullptr;
}

void TfrmMain::DropFiles(const QStringList &paths)
{
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        const QString &path = paths[i];
        if (!QFileInfo(path).isFile())
            continue;
        try {
            OpenFile(path);
        } catch (const std::exception &error) {
            m_Seam->showErrorMessage(this, QStringLiteral("Can't open file %1.%2Reason: %3")
                                               .arg(path, QStringLiteral("\n\r"), QString::fromUtf8(error.what())));
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

// ===================================================================
// Tree
// ===================================================================

TEntryOffset TfrmMain::NodeOffset(const QTreeWidgetItem *node)
{
    return node ? TEntryOffset(node->data(0, OffsetRole).toUInt()) : 0;
}

TVornFile *TfrmMain::NodeVorn(const QTreeWidgetItem *node)
{
    return node ? reinterpret_cast<TVornFile *>(node->data(0, VornRole).value<quintptr>()) : nullptr;
}

void TfrmMain::OnTreeSelectionChanged()
{
    const QList<QTreeWidgetItem *> selected = trvFolders->selectedItems();
    RunCommand([&] { trvFoldersChange(selected.value(0)); });
}

void TfrmMain::trvFoldersChange(QTreeWidgetItem *node)
{
    if (!node || !node->isSelected())
        return;
    if (m_Merged->Owns(node)) {
        m_Merged->ShowNode(node);
        lblVornPath->setText(m_Merged->PathText());
        return;
    }
    if (m_Merged->Showing())
        ShowListModel(m_Model); // back from the game view to an archive's folder
    QTreeWidgetItem *top = node;
    while (top->parent())
        top = top->parent();
    ActivateVornOfNode(top);
    {
        TUpdatesSuspended suspended(lsvMain);
        FillFileList(NodeOffset(node));
    }
    const TVornFile *vorn = m_Session->ActiveVorn();
    if (vorn && vorn->GetChildCount(vorn->GetRootOffset()) > 0) {
        UpdatePathLabel(NodeOffset(node));
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
    TVornFile *vorn = NodeVorn(topNode);
    if (!vorn || vorn == m_Session->ActiveVorn() || !m_Session->IsOpen(vorn))
        return;
    m_Session->Activate(vorn);
    m_ActiveRootNode = topNode;
    SetCaptionForVorn(vorn);
}

void TfrmMain::SelectFolderNode(TEntryOffset directory, QTreeWidgetItem *startNode)
{
    if (!startNode)
        return;
    std::vector<QTreeWidgetItem *> pending{startNode};
    while (!pending.empty()) {
        QTreeWidgetItem *node = pending.back();
        pending.pop_back();
        if (NodeOffset(node) == directory) {
            if (node->parent())
                node->parent()->setExpanded(true);
            else
                node->setExpanded(true);
            SelectNode(node);
            return;
        }
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->child(i)); // first child searched first
    }
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

// ===================================================================
// List
// ===================================================================

void TfrmMain::FillFileList(TEntryOffset directory)
{
    TBusyCursor hourglass;
    m_Session->ShowFolder(directory);
    m_Model->FillFileList(m_Session->ActiveVorn(), directory);
}

void TfrmMain::lsvMainColumnClick(int column)
{
    if (m_Merged->Showing()) {
        m_Merged->Model().SortByColumn(column);
        return;
    }
    if (m_Find->ShowingResults()) {
        m_Find->SortResults(column);
        return;
    }
    if (!m_Model->ChooseSortColumn(column))
        return;
    RunCommand([this] { FillFileList(m_Session->CurrentFolder()); });
}

void TfrmMain::lsvMainDblClick()
{
    if (m_Merged->Showing()) {
        const auto [vorn, entry] = m_Merged->OpenSelected();
        if (vorn)
            ViewFileOf(*vorn, entry);
        return;
    }
    if (m_Find->ShowingResults()) {
        m_Find->OpenSelectedResult();
        return;
    }
    if (SelectedCount() != 1)
        return;
    const QModelIndexList rows = lsvMain->selectionModel()->selectedRows();
    const TVornChildItem &row = m_Model->Rows()[size_t(rows.first().row())];
    if (row.ImageIndex > 1)
        ViewEntry(row.Entry);
    else
        SelectFolderNode(row.Entry, m_ActiveRootNode);
}

bool TfrmMain::lsvMainKeyPress(int character)
{
    if (character == 8 && m_Find->ShowingResults()) {
        m_Find->LeaveResults();
        return true;
    }
    if (character == 8 && m_Merged->Showing()) {
        RunCommand([this] { m_Merged->GoUp(); });
        return true;
    }
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

void TfrmMain::ViewEntry(TEntryOffset entry)
{
    if (const TVornFile *vorn = m_Session->ActiveVorn())
        ViewFileOf(*vorn, entry);
}

void TfrmMain::ViewFileOf(const TVornFile &archive, TEntryOffset entry)
{
    const TVornFile *vorn = &archive;
    TFileBuffer buffer = vorn->ReadFile(entry);
    const QString name = AnsiToQString(vorn->GetName(entry));
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
    const QAbstractItemModel *model = lsvMain->DetailsView()->model(); // the folder listing or results
    const int count = model->rowCount();
    if (!lsvMain->HasListFocus() || count == 0)
        return;
    const QItemSelection all(model->index(0, 0), model->index(count - 1, model->columnCount() - 1));
    lsvMain->selectionModel()->select(all, QItemSelectionModel::Toggle);
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
    m_Merged->UpdateActions();
    m_Merged->actCompareOverridden->setVisible(m_Merged->Showing());
    if (m_Merged->Showing()) {
        const int count = SelectedCount();
        popmniView->setEnabled(count == 1);
        popmniExtract->setEnabled(count > 0);
        popmniProperties->setEnabled(count == 1);
        popmniCopy->setEnabled(count > 0);
        popmniOpenWith->setEnabled(SelectedSingleFile().first != nullptr);
        popmniSavePng->setVisible(false);
        return;
    }
    const bool one = SelectedCount() == 1;
    popmniView->setEnabled(one);
    popmniExtract->setEnabled(lsvMain->DetailsView()->model()->rowCount() > 0);
    popmniProperties->setEnabled(one);
    popmniCopy->setEnabled(SelectedCount() > 0);
    popmniOpenWith->setEnabled(SelectedSingleFile().first != nullptr);
    const std::vector<TEntryOffset> entries = one ? SelectedEntries() : std::vector<TEntryOffset>();
    const TVornFile *vorn = m_Session->ActiveVorn();
    popmniSavePng->setVisible(entries.size() == 1 && vorn && CanSaveEntryAsPng(*vorn, entries.front()));
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

// ===================================================================
// Window commands
// ===================================================================

void TfrmMain::mniOpenVornClick()
{
    QString folder;
    if (m_frmOptions)
        folder = m_frmOptions->GetStartupDir();
    const QStringList chosen = m_Seam->askOpenFileNames(this, folder, OpenDialogFilterText());
    if (chosen.isEmpty())
        return;
    for (const QString &path : chosen)
        OpenFile(path); // an error ends the loop and goes to the error box
    if (m_frmOptions)
        m_frmOptions->SetLastOpenDir(WithTrailingSeparator(FolderPart(chosen.first())));
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

// ===================================================================
// Closing
// ===================================================================

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

// ===================================================================
// Recent files, collections and the commands on entries
// ===================================================================

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
    ::GenericReopenClick(*FileHistory, tag, [this](const QString &path) { OpenFile(path); });
}

void TfrmMain::ReadCollection(const QString &path)
{
    OpenCollection(path, {[this](const QString &p) { return SelectIfOpen(p); },
                          [this](const QString &p) { OpenFile(p); },
                          [this](const QString &p) { AddToHistory(p); }});
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
    if (m_Merged->Showing()) {
        // The winners of the selection, one run per archive as for search results.
        if (frmExtractDialog)
            ExtractGroups(GroupOutgoingRows(MergedSelectionRows()).Groups);
        return;
    }
    if (m_Find->ShowingResults()) {
        if (frmExtractDialog)
            m_Find->ExtractSelected(*frmExtractDialog, ExtractHooks());
        return;
    }
    if (m_Session->ActiveVorn() && frmExtractDialog)
        RunExtraction(this, *frmExtractDialog, *m_Session->ActiveVorn(), m_Session->CurrentFolder(), SelectedEntries(),
                      ExtractHooks());
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
    if (m_Merged->Showing()) {
        m_Merged->ShowStack();
        return;
    }
    if (m_Find->ShowingResults()) {
        const auto [vorn, entry] = m_Find->SingleSelected();
        if (vorn)
            frmProperties->ShowProperties(*vorn, entry);
        return;
    }
    if (m_Session->ActiveVorn() && SelectedCount() == 1)
        frmProperties->ShowProperties(*m_Session->ActiveVorn(), SelectedEntries().front());
}

std::vector<TOutgoingRow> TfrmMain::MergedSelectionRows() const
{
    // Each winner is taken below its own folder, as a folder listing does.
    std::vector<TOutgoingRow> rows;
    for (const auto &[vorn, entry] : m_Merged->SelectedWinners())
        rows.push_back({vorn, vorn->GetParent(entry), entry, AnsiToQString(vorn->GetName(entry))});
    return rows;
}

void TfrmMain::ExtractGroups(const std::vector<TEntryGroup> &groups)
{
    // One run per archive; the target dialog is shown for the first only and
    // the others go to the same place with the same choices.
    TExtractHooks hooks = ExtractHooks();
    for (size_t g = 0; g < groups.size(); ++g) {
        if (!RunExtraction(this, *frmExtractDialog, *groups[g].Vorn, groups[g].Folder, groups[g].Entries, hooks))
            return;
        const QString target = frmExtractDialog->Path();
        hooks.GetExtractDir = [target] { return target; };
        hooks.ShowDialog = [](TfrmExtractDialog &) { return true; };
    }
}

void TfrmMain::PlaceMergedNode()
{
    TMergedGameNode::THooks hooks;
    hooks.ShowListModel = [this](QAbstractItemModel *model) { ShowListModel(model); };
    hooks.OpenArchive = [this](const QString &path) { OpenFile(path); };
    hooks.AskFolder = [this](const QString &start) {
        return m_Seam->askFolder(this, QStringLiteral("Open Game Folder"), start);
    };
    hooks.GameFolder = [this] { return m_frmOptions ? m_frmOptions->GameFolder() : QString(); };
    m_Merged = new TMergedGameNode(*m_Session, *trvFolders, *lsvMain, *m_Seam, std::move(hooks), this);
    connect(m_Merged->actOpenGameFolder, &QAction::triggered, this,
            [this] { RunCommand([this] { m_Merged->OpenGameFolder(); }); });
    connect(m_Merged->actChooseArchives, &QAction::triggered, this,
            [this] { RunCommand([this] { m_Merged->ChooseArchives(); }); });
    connect(m_Merged->actCompareOverridden, &QAction::triggered, this,
            [this] { RunCommand([this] { m_Merged->CompareWithOverridden(); }); });
    mnuFile->insertAction(mniReopen->menuAction(), m_Merged->actOpenGameFolder);
    mnuView->addSeparator();
    mnuView->addAction(m_Merged->actGameView);
    mnuActions->addSeparator();
    mnuActions->addAction(m_Merged->actOnlyConflicts);
    mnuActions->addAction(m_Merged->actChooseArchives);
    mnuPopupMain->insertAction(popmniProperties, m_Merged->actCompareOverridden);
}

TOutgoingFiles TfrmMain::SelectedFiles() const
{
    if (m_Merged->Showing())
        return GroupOutgoingRows(MergedSelectionRows());
    if (m_Find->ShowingResults())
        return m_Find->SelectedFiles();
    const TVornFile *vorn = m_Session->ActiveVorn();
    if (!vorn)
        return {};
    std::vector<TOutgoingRow> rows;
    for (const TEntryOffset entry : SelectedEntries())
        rows.push_back({vorn, m_Session->CurrentFolder(), entry, QString::fromStdString(AnsiToUtf8(vorn->GetName(entry)))});
    return GroupOutgoingRows(rows);
}

void TfrmMain::popmniCopyClick()
{
    const TOutgoingFiles files = SelectedFiles();
    if (files.Names.isEmpty())
        return;
    // Pasted maybe much later: written from what was copied, from the
    // archives still open then.
    m_ClipboardCopy->Copy(files.Names, [this, groups = files.Groups](const QString &target,
                                                                     QEventLoop::ProcessEventsFlags events) {
        return dfsMainDrop(groups, target, events);
    });
}

void TfrmMain::popmniOpenWithClick()
{
    const auto [vorn, entry] = SelectedSingleFile();
    if (!vorn)
        return;
    const QString name = QString::fromStdString(AnsiToUtf8(vorn->GetName(entry)));
    // Written relative to its own folder: the file lands as just its name.
    m_OpenWith->Open(name, [this, vorn, entry](const QString &folder) {
        return dfsMainDrop({TEntryGroup{vorn, vorn->GetParent(entry), {entry}}}, folder, QEventLoop::AllEvents);
    });
}

bool TfrmMain::lsvMainMouseMove(const QPoint &position, Qt::MouseButtons buttons)
{
    if (!m_DragStart.ShouldStartDrag(buttons, position, SelectedCount() > 0 && !m_Session->Busy()))
        return false;
    // Repeat subfolders of earlier drags whose files were moved out.
    RemoveEmptySameNameFolders(m_TempFolder);
    const TOutgoingFiles files = SelectedFiles();
    // The drop may be rendered after the drag has returned (an X11 target
    // fetches the data later), so it works on what was dragged, not on the
    // selection or archive of that later moment.
    auto source = std::make_unique<TDropFileSource>(
        DragFileList(m_TempFolder, files.Names),
        [this, groups = files.Groups](const QString &target, QEventLoop::ProcessEventsFlags events) {
            return dfsMainDrop(groups, target, events);
        });
    Execute(lsvMain, std::move(source));
    return true;
}

bool TfrmMain::dfsMainDrop(const std::vector<TEntryGroup> &groups, const QString &target,
                           QEventLoop::ProcessEventsFlags events)
{
    // Into the temporary folder the files go where the offered names point,
    // repeats of a name into their subfolders; a folder a file manager chose
    // by direct save gets them all, with the overwrite question.
    const bool intoTemp = QDir::cleanPath(target).startsWith(QDir::cleanPath(m_TempFolder));
    bool written = false;
    for (const TEntryGroup &group : groups) {
        const QString into = intoTemp ? SameNameFolder(target, group.Repeat) : target;
        // An archive closed since the drag or copy began is passed over.
        if (!m_Session->IsOpen(group.Vorn))
            continue;
        RunCommand([&] {
            TExtractHooks hooks = ExtractHooks();
            hooks.Events = events;
            written = ExtractForDragOut(this, *group.Vorn, group.Folder, group.Entries, into, hooks,
                                        intoTemp ? owReplaceAll : owAsk)
                      || written;
        });
    }
    SetStatusPanelText(QString());
    statusBar()->repaint();
    return written;
}
