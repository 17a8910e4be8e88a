#pragma once
// TMountedFolders: the archives (and game views) this window has mounted as
// folders. Each is a `vorntool mount -b` of its own below the user's runtime
// folder ($XDG_RUNTIME_DIR/vornviewer/), so a fault in one mount never
// reaches the window; it lasts until Unmount, or UnmountAll when the window
// closes.

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

struct TMountedFolder {
    QString archive;     // as the session opened it; a game view's caption
    QStringList members; // the archives merged in a game view
    QString mountPoint;  // the folder that shows it
    QString warnings;   // what vorntool said about names it had to change
};

class TMountedFolders : public QObject {
    Q_OBJECT
public:
    // `tool`: the vorntool program; `base`: the folder that holds the mount
    // points (both found by the defaults when empty).
    explicit TMountedFolders(QString tool = {}, QString base = {}, QObject *parent = nullptr);
    ~TMountedFolders() override;

    const std::vector<TMountedFolder> &Mounts() const { return m_Mounts; }
    // Mounts the archive in a new folder named after it and returns the
    // mount. Raises an Exception with vorntool's message when it fails.
    const TMountedFolder &Mount(const QString &archive);
    // Mounts what the game sees of these archives in a new folder "Game",
    // listed under `caption`. Raises like Mount.
    const TMountedFolder &MountMerged(const QStringList &archives, const QString &caption);
    // Ends a mount and removes its folder. Raises when a program still uses
    // it; the mount then stays.
    void Unmount(const QString &mountPoint);
    // Ends every mount, also those still in use (they go once let go).
    void UnmountAll();

    // vorntool beside the program (also in the build tree), else on PATH.
    static QString DefaultTool();

signals:
    void changed();

private:
    // Runs vorntool mount -b with the arguments in a new folder named
    // `folderName` and records the mount.
    const TMountedFolder &Start(TMountedFolder mount, const QString &folderName, const QStringList &arguments);
    QString NewMountPoint(const QString &name) const;
    static QString RunFusermount(const QStringList &arguments, int &exitCode);

    QString m_Tool;
    QString m_Base;
    std::vector<TMountedFolder> m_Mounts;
};
