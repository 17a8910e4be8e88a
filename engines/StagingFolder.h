#pragma once
// TStagingFolder: where the worker threads of a run write finished files
// before the run's own thread puts them in place. Each file is staged as an
// unnamed file (TStagedFile) in the folder it goes to when that folder exists
// already, else in the run's target folder -- the same file system either
// way, so putting it in place is one link. Creating an unnamed file does not
// lock its folder, so several threads stage at once without waiting for each
// other or for the thread that links.
//
// A file whose name no other file of the run can take may be created under
// that name at once (Create): only where nothing has the name (O_EXCL),
// which takes fewer steps than staging and linking. Folders are opened once
// and shared by the files created in them; the few in use at once stay
// open, so threads can create in different folders at the same time.
//
// Until the run has made its target folder, nothing is staged. Below it, a
// missing folder is made ahead of its turn only when MakeFoldersAhead
// allows it; each folder made so that the run did not reach is removed
// again at the end, when it is empty. Staging is only a shortcut, too: when
// it fails for any reason (a file system without unnamed files, a full
// disk), the bytes stay in memory and are written the ordinary way, which
// reports an error under the file's real name.

#include "archive/FileBuffer.h"
#include "archive/vmVornFileDef.h"
#include "engines/FolderBelow.h"
#include "engines/StagedFile.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TStagingFolder {
public:
    // The folder (below the target folder) that file number `file` goes to;
    // called from several threads at once.
    using TFolderOf = std::function<const std::string &(size_t file)>;
    // The name file number `file` (of the archive's entry `entry`) may be
    // created under ahead of its turn; empty when it may not. Called from
    // several threads at once.
    using TOwnName = std::function<std::string(size_t file, TEntryOffset entry)>;

    // `root`: the run's target folder, with a trailing "/". Without `ownName`
    // every file is staged.
    TStagingFolder(std::string root, TFolderOf folderOf, TOwnName ownName = {});
    ~TStagingFolder();
    TStagingFolder(const TStagingFolder &) = delete;
    TStagingFolder &operator=(const TStagingFolder &) = delete;

    // Whether the run reached the folder (a path below the root with a
    // trailing "/") in its own turn.
    using TReached = std::function<bool(const std::string &folder)>;
    // Missing folders of the files are made where `mayMake` allows it (the
    // path below the root, without a trailing "/"). When the staging folder
    // ends, the files in flight being gone, each folder it made that
    // `reached` denies is removed if it is empty, the deepest first.
    void MakeFoldersAhead(TMayMakeFolder mayMake, TReached reached);

    // File number `file` as an unnamed file holding the bytes, stamped with
    // the time; nothing when the target folder does not exist (yet) or
    // staging fails. Safe on several threads.
    std::optional<TStagedFile> Stage(size_t file, const TFileBuffer &data, TFileTime time);
    // The same with the bytes the stream gives; the stream's own error (a
    // damaged file) is raised, leaving nothing behind.
    std::optional<TStagedFile> StageStream(size_t file, const TFileStream &stream, TFileTime time);
    // File number `file` created under its own name in its folder, holding
    // the bytes and stamped; nothing when it has no name of its own, its
    // folder does not exist (yet), something has the name or writing fails
    // (the file is then removed again). Safe on several threads.
    std::optional<TCreatedFile> Create(size_t file, TEntryOffset entry, const TFileBuffer &data, TFileTime time);

private:
    // A folder below the root, open for creating files in it.
    struct TOpenFolder {
        std::shared_ptr<const std::string> path; // below the root; "." for the root itself
        std::shared_ptr<const int> handle;
    };

    // The open folder of file number `file`, reached without following a
    // symbolic link; without a handle when it can't be opened (yet).
    TOpenFolder FolderOf(size_t file);
    TOpenFolder OpenFolder(std::string subfolder);
    void RemoveFoldersNotReached();
    // The target folder's descriptor, opened once it exists; -1 before.
    int RootHandle();
    // The folder of file number `file` relative to the target folder; "."
    // for the target folder itself.
    std::string Subfolder(size_t file) const;

    std::string m_Root;
    TFolderOf m_FolderOf;
    TOwnName m_OwnName;
    TMayMakeFolder m_MayMake;
    TReached m_Reached;
    std::mutex m_Mutex;
    int m_RootHandle = -1;
    // The folders files were last created in, the newest last: files come
    // folder by folder, each thread in its own.
    std::vector<TOpenFolder> m_Open;
    std::vector<std::string> m_MadeAhead; // below the root, in the order made
};
