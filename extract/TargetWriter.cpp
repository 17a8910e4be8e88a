#include "extract/TargetWriter.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowCreateError(const std::string &path, int error)
{
    throw Exception(FormatStr("Cannot create file \"%s\". %s", path.c_str(), std::strerror(error)));
}

void WriteAll(int handle, const uint8_t *data, size_t size, const std::string &path)
{
    while (size > 0) {
        const ssize_t written = ::write(handle, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(FormatStr("Error writing \"%s\". %s", path.c_str(), std::strerror(errno)));
        }
        data += written;
        size -= size_t(written);
    }
}

} // namespace

TTargetWriter::~TTargetWriter()
{
    CloseFolder();
}

void TTargetWriter::CreateFolders(const std::string &folder)
{
    if (folder.empty() || m_MadeFolders.count(folder))
        return;
    // Each prefix ending at a "/" is one folder to make; existing ones are fine.
    for (size_t end = folder.find('/', 1); end != std::string::npos; end = folder.find('/', end + 1)) {
        const std::string prefix = folder.substr(0, end);
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return;
    }
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return;
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

    // A hidden name of our own in the same folder, so the rename stays on one file system.
    std::string temp;
    int handle = -1;
    for (int attempt = 0; handle < 0; ++attempt) {
        temp = FormatStr(".vornx-%d-%u.part", int(::getpid()), m_TempCounter++);
        handle = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle < 0 && (errno != EEXIST || attempt > 100))
            ThrowCreateError(target, errno);
    }
    try {
        WriteAll(handle, data.data(), data.size(), target);
        const int closeError = ::close(handle) == 0 ? 0 : errno;
        handle = -1;
        if (closeError)
            throw Exception(FormatStr("Error writing \"%s\". %s", target.c_str(), std::strerror(closeError)));
        // Stamped after the data is written and closed, so the time holds.
        std::time_t stamp;
        if (FileTimeToLocalUnixTime(time, stamp)) {
            const struct timespec times[2] = {{0, UTIME_OMIT}, {stamp, 0}};
            ::utimensat(dir, temp.c_str(), times, 0);
        }
        if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0)
            ThrowCreateError(target, errno);
    } catch (...) {
        if (handle >= 0)
            ::close(handle);
        ::unlinkat(dir, temp.c_str(), 0);
        throw;
    }
}
