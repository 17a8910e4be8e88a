#include "engines/TargetWriter.h"

#include "archive/Exceptions.h"
#include "engines/TempFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TTargetWriter::~TTargetWriter()
{
    CloseFolder();
}

void TTargetWriter::CreateFolders(const std::string &folder)
{
    if (folder.empty() || m_MadeFolders.count(folder))
        return;
    // Usually only the last folder is missing; otherwise each prefix ending
    // at a "/" is one folder to make, and existing ones are fine.
    if (::mkdir(folder.c_str(), 0777) != 0 && errno == ENOENT) {
        for (size_t end = folder.find('/', 1); end != std::string::npos; end = folder.find('/', end + 1)) {
            const std::string prefix = folder.substr(0, end);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
                return;
        }
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
            return;
    }
    struct stat info;
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        m_MadeFolders.insert(folder);
}

int TTargetWriter::FolderHandle(const std::string &folder)
{
    if (m_FolderHandle >= 0 && folder == m_OpenFolder)
        return m_FolderHandle;
    CloseFolder();
    m_FolderHandle = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_FolderHandle >= 0)
        m_OpenFolder = folder;
    return m_FolderHandle;
}

void TTargetWriter::CloseFolder()
{
    if (m_FolderHandle >= 0)
        ::close(m_FolderHandle);
    m_FolderHandle = -1;
    m_OpenFolder.clear();
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
    const std::string target = folder + name;
    const int dir = FolderHandle(folder);
    if (dir < 0)
        ThrowCreateError(target, errno);
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
        WriteAndStamp(handle, data, time, target);
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
    else
        WriteFile(folder, name, file.Data, time);
}

void TTargetWriter::PlaceStaged(const std::string &folder, const std::string &name, const TStagedFile &staged,
                                TFileTime time)
{
    const std::string target = folder + name;
    const int dir = FolderHandle(folder);
    if (dir < 0)
        ThrowCreateError(target, errno);
    int error = staged.Link(dir, name);
    if (error == EEXIST)
        error = ReplaceWithStaged(dir, name, staged, target);
    // Another file system, or no way to link: write the bytes the ordinary way.
    if (error != 0)
        WriteFile(folder, name, staged.ReadBack(), time);
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
