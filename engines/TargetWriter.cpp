#include "engines/TargetWriter.h"

#include "archive/Exceptions.h"
#include "engines/FolderBelow.h"
#include "engines/TempFile.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes the folder and its missing parents, the usual way.
void MakeFolders(const std::string &folder)
{
    // Usually only the last folder is missing; otherwise each prefix ending
    // at a "/" is one folder to make, and existing ones are fine.
    if (::mkdir(folder.c_str(), 0777) == 0 || errno != ENOENT)
        return;
    for (size_t end = folder.find('/', 1); end != std::string::npos; end = folder.find('/', end + 1))
        if (::mkdir(folder.substr(0, end).c_str(), 0777) != 0 && errno != EEXIST)
            return;
    ::mkdir(folder.c_str(), 0777);
}

} // namespace

TTargetWriter::TTargetWriter(std::string root) : m_Root(std::move(root)) {}

TTargetWriter::~TTargetWriter()
{
    CloseFolder();
    if (m_RootHandle >= 0)
        ::close(m_RootHandle);
}

std::string_view TTargetWriter::Relative(const std::string &folder) const
{
    return std::string_view(folder).substr(std::min(m_Root.size(), folder.size()));
}

int TTargetWriter::RootHandle(bool create)
{
    if (m_RootHandle >= 0)
        return m_RootHandle;
    // The target folder itself is the user's choice: a link there is followed.
    if (create && !m_Root.empty())
        MakeFolders(m_Root);
    m_RootHandle = ::open(m_Root.empty() ? "." : m_Root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return m_RootHandle;
}

void TTargetWriter::CreateFolders(const std::string &folder)
{
    if (folder.empty() || m_MadeFolders.count(folder))
        return;
    const int root = RootHandle(true);
    if (root < 0)
        return;
    const TFolderBelow made = OpenFolderBelow(root, Relative(folder), true);
    if (made.Handle < 0)
        return;
    m_MadeFolders.insert(folder);
    CloseFolder(); // the new folder is the one the next files go to
    m_FolderHandle = made.Handle;
    m_OpenFolder = folder;
}

int TTargetWriter::FolderHandle(const std::string &folder)
{
    if (m_FolderHandle >= 0 && folder == m_OpenFolder)
        return m_FolderHandle;
    CloseFolder();
    const int root = RootHandle(false);
    if (root < 0) {
        m_FolderError = errno;
        return -1;
    }
    const TFolderBelow opened = OpenFolderBelow(root, Relative(folder), false);
    m_FolderError = opened.Error;
    m_FolderLink = opened.Link;
    m_FolderHandle = opened.Handle;
    if (m_FolderHandle >= 0)
        m_OpenFolder = folder;
    return m_FolderHandle;
}

int TTargetWriter::RequireFolder(const std::string &folder, const std::string &target)
{
    const int dir = FolderHandle(folder);
    if (dir >= 0)
        return dir;
    if (!m_FolderLink.empty())
        throw Exception(SymbolicLinkMessage(m_Root + m_FolderLink));
    ThrowCreateError(target, m_FolderError);
}

void TTargetWriter::CloseFolder()
{
    if (m_FolderHandle >= 0)
        ::close(m_FolderHandle);
    m_FolderHandle = -1;
    m_OpenFolder.clear();
    m_FolderError = 0;
    m_FolderLink.clear();
}

bool TTargetWriter::Exists(const std::string &folder, const std::string &name)
{
    const int dir = FolderHandle(folder);
    struct stat info;
    return dir >= 0 && ::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode);
}

std::optional<std::time_t> TTargetWriter::ModificationTime(const std::string &folder, const std::string &name)
{
    const int dir = FolderHandle(folder);
    struct stat info;
    if (dir < 0 || ::fstatat(dir, name.c_str(), &info, 0) != 0)
        return std::nullopt;
    return info.st_mtime;
}

TExistingFile TTargetWriter::ReadExisting(const std::string &path)
{
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0)
        throw Exception(FormatStr("Cannot open file \"%s\". %s", path.c_str(), std::strerror(errno)));
    struct stat info;
    TExistingFile existing;
    if (::fstat(handle, &info) == 0) {
        existing.Size = uint64_t(info.st_size);
        existing.ModificationTime = info.st_mtime;
    }
    ::close(handle);
    return existing;
}

void TTargetWriter::WriteFile(const std::string &folder, const std::string &name, const TFileBuffer &data,
                              TFileTime time)
{
    WriteStream(folder, name, [&](const TPieceSink &sink) { sink(data.data(), data.size()); }, time);
}

void TTargetWriter::WriteStream(const std::string &folder, const std::string &name, const TFileStream &stream,
                                TFileTime time)
{
    const std::string target = folder + name;
    const int dir = RequireFolder(folder, target);
    // A temporary file in the same folder, so the rename stays on one file system.
    std::string temp;
    int handle = -1;
    for (int attempt = 0; handle < 0; ++attempt) {
        temp = NewTempName();
        handle = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle < 0 && (errno != EEXIST || attempt > 100))
            ThrowCreateError(target, errno);
    }
    try {
        stream([&](const uint8_t *data, size_t size) { WriteAll(handle, data, size, target); });
        Stamp(handle, time);
        const int closeError = ::close(handle) == 0 ? 0 : errno;
        handle = -1;
        if (closeError)
            throw Exception(FormatStr("Error writing \"%s\". %s", target.c_str(), std::strerror(closeError)));
        if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0)
            ThrowCreateError(target, errno);
    } catch (...) {
        if (handle >= 0)
            ::close(handle);
        ::unlinkat(dir, temp.c_str(), 0);
        throw;
    }
}

void TTargetWriter::PlaceFile(const std::string &folder, const std::string &name, const TPreparedFile &file,
                              TFileTime time)
{
    if (file.Staged)
        PlaceStaged(folder, name, *file.Staged, time);
    else if (file.Stream) // decoded as it is written, ahead on threads of its own when the run asked so
        WriteStream(folder, name, file.Stream, time);
    else
        WriteFile(folder, name, file.Data, time);
}

void TTargetWriter::PlaceStaged(const std::string &folder, const std::string &name, const TStagedFile &staged,
                                TFileTime time)
{
    const std::string target = folder + name;
    const int dir = RequireFolder(folder, target);
    int error = staged.Link(dir, name);
    if (error == EEXIST)
        error = ReplaceWithStaged(dir, name, staged, target);
    // Another file system, or no way to link: write the bytes the ordinary way.
    if (error != 0)
        WriteStream(folder, name, [&](const TPieceSink &sink) { staged.ReadBack(sink); }, time);
}

int TTargetWriter::ReplaceWithStaged(int dir, const std::string &name, const TStagedFile &staged,
                                     const std::string &target)
{
    // Linked under a temporary name first, then renamed over the existing file in one step.
    std::string temp;
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt <= 100; ++attempt) {
        temp = NewTempName();
        error = staged.Link(dir, temp);
    }
    if (error != 0)
        return error;
    if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) {
        error = errno;
        ::unlinkat(dir, temp.c_str(), 0);
        ThrowCreateError(target, error);
    }
    return 0;
}
