#pragma once
// TTargetWriter: the file-system side of an extraction run below one target
// folder. The target folder is made with its parents; the archive's folders
// below it are made and opened one name at a time, never through a symbolic
// link, so a link placed in the target can't lead files out of it. A file is
// written to a temporary file in its folder
// (or comes staged, already written) and renamed or linked as the target
// only when all of its data is on disk, so a failure never leaves a partial
// file nor destroys the file it would replace.

#include "archive/FileBuffer.h"
#include "archive/vmVornFileDef.h"
#include "engines/StagedFile.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

struct TExistingFile {
    uint64_t Size = 0;
    std::optional<std::time_t> ModificationTime;
};

class TTargetWriter {
public:
    // `root`: the run's target folder, with a trailing "/"; every folder
    // given to the writer lies below it.
    explicit TTargetWriter(std::string root);
    ~TTargetWriter();
    TTargetWriter(const TTargetWriter &) = delete;
    TTargetWriter &operator=(const TTargetWriter &) = delete;

    // Creates the folder and its missing parents; failures are not reported
    // here (writing into the folder then fails, naming a link in the way).
    void CreateFolders(const std::string &folder);
    // Whether CreateFolders made (or found) the folder in this run.
    bool Made(const std::string &folder) const { return m_MadeFolders.count(folder) > 0; }
    // True when something other than a folder has the name in `folder`.
    bool Exists(const std::string &folder, const std::string &name);
    // The file's modification time, when it can be read.
    std::optional<std::time_t> ModificationTime(const std::string &folder, const std::string &name);
    // Size and time of an existing file, read by opening it; raises when it
    // can't be opened.
    static TExistingFile ReadExisting(const std::string &path);

    // Writes the bytes as folder + name and stamps them with the FILETIME
    // taken as local time (DOS precision; a time outside the DOS range
    // leaves the system's time). Raises with the reason on failure.
    void WriteFile(const std::string &folder, const std::string &name, const TFileBuffer &data, TFileTime time);
    // The same with the bytes the stream gives; its error leaves nothing.
    void WriteStream(const std::string &folder, const std::string &name, const TFileStream &stream, TFileTime time);
    // Puts a prepared file in place as folder + name: a staged one (already
    // stamped) is linked there, bytes in memory or a stream are written.
    void PlaceFile(const std::string &folder, const std::string &name, const TPreparedFile &file, TFileTime time);

private:
    // The folder's path below the target folder.
    std::string_view Relative(const std::string &folder) const;
    // A descriptor of the target folder, made first when `create` is set;
    // -1 when it can't be opened.
    int RootHandle(bool create);
    // A descriptor of the folder; -1 when it can't be opened.
    int FolderHandle(const std::string &folder);
    // FolderHandle, raising why the folder can't be opened when it can't.
    int RequireFolder(const std::string &folder, const std::string &target);
    void CloseFolder();
    void PlaceStaged(const std::string &folder, const std::string &name, const TStagedFile &staged, TFileTime time);
    // Puts the staged file over the existing file `name` in `dir`; returns 0,
    // or the error when the staged file can't be linked into `dir` at all.
    int ReplaceWithStaged(int dir, const std::string &name, const TStagedFile &staged, const std::string &target);

    std::string m_Root;
    int m_RootHandle = -1;
    std::unordered_set<std::string> m_MadeFolders;
    std::string m_OpenFolder;
    int m_FolderHandle = -1;
    int m_FolderError = 0;      // why the last folder could not be opened
    std::string m_FolderLink;   // and the link that stood in the way, if that was it
};
