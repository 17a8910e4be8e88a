#pragma once
// TMountActions: Actions > "Mount as Folder", which mounts the active archive
// read-only below the user's runtime folder and opens it in the file
// manager, and Actions > "Mounted...", the list of those mounts with
// "Unmount". Every mount ends when this object goes (with the window).

#include "browser/MountedFolders.h"

#include <QObject>
#include <QPointer>

class QAction;
class QWidget;
class TBrowserSession;
class TfrmMounted;
class TUiSeam;

class TMountActions : public QObject {
    Q_OBJECT
public:
    // `folders` null: the real vorntool and runtime folder.
    TMountActions(TBrowserSession &session, TUiSeam &ui, QWidget *window, TMountedFolders *folders = nullptr);

    QAction *actMountAsFolder = nullptr;
    QAction *mniMounted = nullptr;

    // Mounts the active archive and opens the folder; errors go to the error box.
    void MountAsFolder();
    // Shows the "Mounted" list (one window, brought to the front).
    void ShowMounted();
    TMountedFolders &Folders() { return *m_Folders; }
    // The "Mounted" window while it is shown; null otherwise.
    TfrmMounted *MountedWindow() const;

private:
    void UpdateEnabled();

    TBrowserSession &m_Session;
    TUiSeam &m_Ui;
    QWidget *m_Window;
    TMountedFolders *m_Folders;
    QPointer<TfrmMounted> m_frmMounted;
};
