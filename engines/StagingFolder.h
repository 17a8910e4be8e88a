#pragma once
// TStagingFolder: where the worker threads of a run write finished files
// before the run's own thread puts them in place. Each file is staged as an
// unnamed file (TStagedFile) in the folder it goes to when that folder exists
// already, else in the run's target folder -- the same file system either
// way, so putting it in place is one link. Creating an unnamed file does not
// lock its folder, so several threads stage at once without waiting for each
// other or for the thread that links.
//
// Staging never creates a folder: until the run has made its target folder,
// nothing is staged. It is only a shortcut, too: when it fails for any
// reason (a file system without unnamed files, a full disk), the bytes stay
// in memory and are written the ordinary way, which reports an error under
// the file's real name.

#include "archive/FileBuffer.h"
#include "archive/vmVornFileDef.h"
#include "engines/StagedFile.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TStagingFolder {
public:
    // The folder (below the target folder) that file number `file` goes to;
    // called from several threads at once.
    using TFolderOf = std::function<const std::string &(size_t file)>;

    // `root`: the run's target folder, with a trailing "/".
    TStagingFolder(std::string root, TFolderOf folderOf);
    ~TStagingFolder();
    TStagingFolder(const TStagingFolder &) = delete;
    TStagingFolder &operator=(const TStagingFolder &) = delete;

    // File number `file` as an unnamed file holding the bytes, stamped with
    // the time; nothing when the target folder does not exist (yet) or
    // staging fails. Safe on several threads.
    std::optional<TStagedFile> Stage(size_t file, const TFileBuffer &data, TFileTime time);
    // The same with the bytes the stream gives; the stream's own error (a
    // damaged file) is raised, leaving nothing behind.
    std::optional<TStagedFile> StageStream(size_t file, const TFileStream &stream, TFileTime time);

private:
    // The target folder's descriptor, opened once it exists; -1 before.
    int RootHandle();
    // The folder of file number `file` relative to the target folder; "."
    // for the target folder itself.
    std::string Subfolder(size_t file) const;

    std::string m_Root;
    TFolderOf m_FolderOf;
    std::mutex m_Mutex;
    int m_RootHandle = -1;
};
