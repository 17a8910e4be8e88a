#pragma once
// TBrowserSession: the state of one browsing session, in one place for every
// view of it (the main window's tree and list, Find, the preview pane, Test
// Archive):
//   - the open archives, oldest first (OpenVorns), and which one is active;
//   - the folder of the active archive the file list shows (CurrentFolder);
//   - the damaged marks the last Test Archive left on each archive;
//   - Busy while a job works on an open archive (see TBusyFlag).
//   - the archives being opened on workers (Opens), handed over in the order
//     their opens began;
//   - the folder layout of each open archive (FoldersOf), made with its read.
// Views change it only through its commands and follow it through its
// signals; none keeps a copy of what it holds. A command that fails raises
// and leaves the state as it was.

#include "archive/vmVornFileDef.h"
#include "browser/DamagedEntries.h"
#include "browser/OpenQueue.h"
#include "extract/BusyFlag.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class TFolderLayout;
class TVornFile;

class TBrowserSession : public QObject {
    Q_OBJECT

public:
    using TArchives = std::vector<std::unique_ptr<TVornFile>>;

    // What an open begun with BeginOpen gets when its turn comes: the open
    // archive, or the reader's error with a null archive.
    using TOpened = std::function<void(TVornFile *vorn, std::exception_ptr error)>;

    // Makes a reader for a path; raises the reader's error. It may stop with
    // EAbort once `cancel` turns true (the open was dropped).
    using TReadVorn = std::function<std::unique_ptr<TVornFile>(const QString &path, const std::atomic<bool> &cancel)>;

    explicit TBrowserSession(QObject *parent = nullptr);
    // `read` makes the readers of BeginOpen in place of the plain TVornFile.
    explicit TBrowserSession(TReadVorn read, QObject *parent = nullptr);
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
    // Where the open archive's folders sit in the folder tree; null for an
    // archive that is not open.
    std::shared_ptr<const TFolderLayout> FoldersOf(const TVornFile *vorn) const;

    // ---- Commands ----
    // Reads the archive and adds it as the newest (archiveOpened); it becomes
    // the active one, no folder listed yet. The reader's error is raised, and
    // so is that of a folder tree that can't be read (TFolderLayout).
    // The opens under way are handed over first.
    TVornFile &Open(const QString &path);
    // Reads the archive on a worker and returns at once. When its turn comes
    // (every open begun before it handed over) it is added as Open adds it
    // and `opened` gets it; a failed read changes nothing and `opened` gets
    // the error. A path that is open or being opened is not read again:
    // `opened` gets that archive when its turn comes, null when it failed.
    TOpenQueue::TTicket BeginOpen(const QString &path, TOpened opened);
    // The opens under way: their order, steps after them, dropping, waiting.
    TOpenQueue &Opens() { return m_Opens; }
    // archiveAboutToClose, then the archive's marks go and it is freed. When
    // it was the active archive, none is active afterwards.
    void Close(const TVornFile *vorn);
    // Every archive, newest first, and the opens under way.
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
    // The archive and its folder layout, both made by `read`.
    static TOpenQueue::TArchive Read(const TReadVorn &read, const QString &path, const std::atomic<bool> &cancel);
    TVornFile &Add(TOpenQueue::TArchive archive);

    TArchives m_OpenVorns;
    std::unordered_map<const TVornFile *, std::shared_ptr<const TFolderLayout>> m_Folders;
    TVornFile *m_ActiveVorn = nullptr;
    TEntryOffset m_CurrentFolder = 0;
    TDamagedEntries m_Damaged;
    TBusyFlag m_Busy;
    TOpenQueue m_Opens; // last: its workers end before the rest goes
};
