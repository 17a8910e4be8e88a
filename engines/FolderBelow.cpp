#include "engines/FolderBelow.h"

#include "archive/Exceptions.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int FolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsSymbolicLink(int dir, const std::string &name)
{
    struct stat info;
    return ::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

} // namespace

TFolderBelow OpenFolderBelow(int root, std::string_view relative, bool create)
{
    std::vector<std::string> made;
    return OpenFolderBelow(root, relative, [create](std::string_view) { return create; }, made);
}

TFolderBelow OpenFolderBelow(int root, std::string_view relative, const TMayMakeFolder &mayMake,
                             std::vector<std::string> &made)
{
    TFolderBelow folder;
    int current = ::fcntl(root, F_DUPFD_CLOEXEC, 0);
    size_t position = 0;
    while (current >= 0 && position < relative.size()) {
        size_t end = relative.find('/', position);
        if (end == std::string_view::npos)
            end = relative.size();
        const std::string name(relative.substr(position, end - position));
        position = end + 1;
        if (name.empty())
            continue;
        int next = ::openat(current, name.c_str(), FolderFlags);
        if (next < 0 && errno == ENOENT && mayMake(relative.substr(0, end))) {
            const bool madeHere = ::mkdirat(current, name.c_str(), 0777) == 0;
            if (madeHere)
                made.emplace_back(relative.substr(0, end));
            if (madeHere || errno == EEXIST) // or made by someone else meanwhile
                next = ::openat(current, name.c_str(), FolderFlags);
        }
        const int error = errno;
        if (next < 0 && IsSymbolicLink(current, name))
            folder.Link = std::string(relative.substr(0, end));
        ::close(current);
        current = next;
        if (current < 0)
            folder.Error = folder.Link.empty() ? error : ELOOP;
    }
    if (current < 0 && folder.Error == 0)
        folder.Error = errno;
    folder.Handle = current;
    return folder;
}

void RemoveBelow(int root, std::string_view relative, const std::string &name, int flags)
{
    const TFolderBelow folder = OpenFolderBelow(root, relative, false);
    if (folder.Handle < 0)
        return;
    ::unlinkat(folder.Handle, name.c_str(), flags);
    ::close(folder.Handle);
}

std::string SymbolicLinkMessage(const std::string &path)
{
    return FormatStr("\"%s\" is a symbolic link; nothing is written through it", path.c_str());
}
