#include "browser/MountActions.h"

#include "browser/BrowserSession.h"
#include "browser/FormMounted.h"
#include "browser/GenFunctions.h"
#include "browser/UiSeam.h"

#include <QAction>
#include <QApplication>
#include <QUrl>

TMountActions::TMountActions(TBrowserSession &session, TUiSeam &ui, QWidget *window, TMountedFolders *folders)
    : QObject(window), m_Session(session), m_Ui(ui), m_Window(window),
      m_Folders(folders ? folders : new TMountedFolders({}, {}, this))
{
    actMountAsFolder = new QAction(QStringLiteral("Mount as Folder"), this);
    actMountAsFolder->setStatusTip(QStringLiteral("Show the active vorn as a read-only folder that every program can open"));
    mniMounted = new QAction(QStringLiteral("Mounted..."), this);
    mniMounted->setStatusTip(QStringLiteral("The vorns mounted as folders; unmount them"));
    connect(actMountAsFolder, &QAction::triggered, this, &TMountActions::MountAsFolder);
    connect(mniMounted, &QAction::triggered, this, &TMountActions::ShowMounted);
    connect(&m_Session, &TBrowserSession::activeChanged, this, &TMountActions::UpdateEnabled);
    connect(&m_Session, &TBrowserSession::busyChanged, this, &TMountActions::UpdateEnabled);
    UpdateEnabled();
}

void TMountActions::SetGameView(std::function<TListedGameView()> listedGameView)
{
    m_ListedGameView = std::move(listedGameView);
}

// The game view's archives are open ones, so an active archive is there
// whenever the game view has something to mount.
void TMountActions::UpdateEnabled()
{
    actMountAsFolder->setEnabled(m_Session.ActiveVorn() && !m_Session.Busy());
}

const TMountedFolder &TMountActions::MountListed()
{
    const TListedGameView game = m_ListedGameView ? m_ListedGameView() : TListedGameView();
    if (!game.archives.isEmpty())
        return m_Folders->MountMerged(game.archives, game.caption);
    return m_Folders->Mount(TBrowserSession::PathOf(*m_Session.ActiveVorn()));
}

void TMountActions::MountAsFolder()
{
    if (!m_Session.ActiveVorn())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const TMountedFolder &mount = MountListed();
        QApplication::restoreOverrideCursor();
        m_Ui.openWithDefault(QUrl::fromLocalFile(mount.mountPoint));
    } catch (const std::exception &error) {
        QApplication::restoreOverrideCursor();
        m_Ui.showError(m_Window, ErrorBoxText(QString::fromStdString(error.what())));
    }
}

void TMountActions::ShowMounted()
{
    if (!m_frmMounted) {
        m_frmMounted = new TfrmMounted(*m_Folders, m_Ui, m_Window);
        m_frmMounted->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_frmMounted->show();
    m_frmMounted->raise();
    m_frmMounted->activateWindow();
}

TfrmMounted *TMountActions::MountedWindow() const
{
    return m_frmMounted;
}
