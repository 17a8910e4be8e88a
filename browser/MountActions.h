#pragma once
// TMountActions: Actions > "Mount as Folder", which mounts the active archive
// -- or, while the game view is listed, what the game sees of its merged
// archives -- read-only below the user's runtime folder and opens it in the
// file manager, and Actions > "Mounted...", the list of those mounts with
// "Unmount". Every mount ends when this object goes (with the window).

#include "browser/MountedFolders.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QWidget;
class TBrowserSession;
class TfrmMounted;
class TUiSeam;

// The game view while one of its folders is listed: its caption and the
// archives it merges (none while it is not listed).
struct TListedGameView {
    QString caption;
    QStringList archives;
};

class TMountActions : public QObject {
    Q_OBJECT
public:
    // `folders` null: the real vorntool and runtime folder.
    TMountActions(TBrowserSession &session, TUiSeam &ui, QWidget *window, TMountedFolders *folders = nullptr);

    QAction *actMountAsFolder = nullptr;
    QAction *mniMounted = nullptr;

    // Asks for the game view: while it is listed, Mount as Folder mounts it.
    void SetGameView(std::function<TListedGameView()> listedGameView);
    // Mounts the active archive (or the listed game view) and opens the
    // folder; errors go to the error box.
    void MountAsFolder();
    // Shows the "Mounted" list (one window, brought to the front).
    void ShowMounted();
    TMountedFolders &Folders() { return *m_Folders; }
    // The "Mounted" window while it is shown; null otherwise.
    TfrmMounted *MountedWindow() const;

private:
    void UpdateEnabled();
    // The listed game view, or the active archive.
    const TMountedFolder &MountListed();

    TBrowserSession &m_Session;
    TUiSeam &m_Ui;
    QWidget *m_Window;
    TMountedFolders *m_Folders;
    QPointer<TfrmMounted> m_frmMounted;
    std::function<TListedGameView()> m_ListedGameView;
};
