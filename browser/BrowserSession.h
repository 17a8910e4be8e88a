#pragma once
// TBrowserSession: the state of one browsing session, in one place for every
// view of it (the main window's tree and list, Find, the preview pane, Test
// Archive):
//   - the open archives, oldest first (OpenVorns), and which one is active;
//   - the folder of the active archive the file list shows (CurrentFolder);
//   - the damaged marks the last Test Archive left on each archive;
//   - Busy while a job works on an open archive (see TBusyFlag).
// Views change it only through its commands and follow it through its
// signals; none keeps a copy of what it holds. A command that fails raises
// and leaves the state as it was.

#include "archive/vmVornFileDef.h"
#include "browser/DamagedEntries.h"
#include "extract/BusyFlag.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class TVornFile;

class TBrowserSession : public QObject {
    Q_OBJECT

public:
    using TArchives = std::vector<std::unique_ptr<TVornFile>>;

    explicit TBrowserSession(QObject *parent = nullptr);
    ~TBrowserSession() override;

    // ---- State ----
    const TArchives &OpenVorns() const { return m_OpenVorns; }
    TVornFile *ActiveVorn() const { return m_ActiveVorn; }
    // The folder of the active archive the list shows; 0 when none is listed.
    TEntryOffset CurrentFolder() const { return m_CurrentFolder; }
    const TDamagedEntries &Damaged() const { return m_Damaged; }
    bool Busy() const { return m_Busy.Busy(); }
    // What a job holds while it runs (TBusyFlag::TScope).
    TBusyFlag &BusyFlag() { return m_Busy; }
    // The open archive at that path (paths compared as the file system
    // compares them); null when none is.
    TVornFile *OpenVornAt(const QString &path) const;
    bool IsOpen(const TVornFile *vorn) const;
    // The path the archive was opened with.
    static QString PathOf(const TVornFile &vorn);

    // ---- Commands ----
    // Reads the archive and adds it as the newest (archiveOpened); it becomes
    // the active one, no folder listed yet. The reader's error is raised.
    TVornFile &Open(const QString &path);
    // archiveAboutToClose, then the archive's marks go and it is freed. When
    // it was the active archive, none is active afterwards.
    void Close(const TVornFile *vorn);
    // Every archive, newest first.
    void CloseAll();
    // Makes an open archive (or none) the active one; its folder is not
    // listed until ShowFolder.
    void Activate(TVornFile *vorn);
    // The folder of the active archive that the list shows from now on.
    void ShowFolder(TEntryOffset folder);
    // The result of a test of the archive replaces its marks; `complete` is
    // false for a test cancelled before the end.
    void SetDamaged(const TVornFile *vorn, const std::vector<TDamagedEntry> &damaged, bool complete);

signals:
    void archiveOpened(TVornFile *vorn);
    // Last moment to let go of the archive: its reader is freed next.
    void archiveAboutToClose(const TVornFile *vorn);
    void activeChanged(TVornFile *vorn);
    void folderChanged(TEntryOffset folder);
    void busyChanged(bool busy);
    void damagedChanged(const TVornFile *vorn);

private:
    TArchives m_OpenVorns;
    TVornFile *m_ActiveVorn = nullptr;
    TEntryOffset m_CurrentFolder = 0;
    TDamagedEntries m_Damaged;
    TBusyFlag m_Busy;
};
