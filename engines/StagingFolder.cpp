#include "engines/StagingFolder.h"

#include "engines/TempFile.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

TStagingFolder::TStagingFolder(std::string root, TFolderOf folderOf)
    : m_Root(std::move(root)), m_FolderOf(std::move(folderOf))
{
}

TStagingFolder::~TStagingFolder()
{
    if (m_RootHandle >= 0)
        ::close(m_RootHandle);
}

int TStagingFolder::RootHandle()
{
    std::lock_guard lock(m_Mutex);
    if (m_RootHandle < 0)
        m_RootHandle = ::open(m_Root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return m_RootHandle;
}

std::string TStagingFolder::Subfolder(size_t file) const
{
    const std::string &folder = m_FolderOf(file);
    if (folder.size() <= m_Root.size() || folder.compare(0, m_Root.size(), m_Root) != 0)
        return ".";
    return folder.substr(m_Root.size());
}

namespace {

// An unnamed file in the folder `subfolder` below `root`, reached without
// following a symbolic link; -1 when there is a link on the way or the
// kernel can't tell (the caller stages in `root` then).
int OpenUnnamedBelow(int root, const std::string &subfolder, int flags)
{
    open_how how{};
    how.flags = uint64_t(flags);
    how.mode = 0666;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    return int(::syscall(SYS_openat2, root, subfolder.c_str(), &how, sizeof how));
}

} // namespace

std::optional<TStagedFile> TStagingFolder::Stage(size_t file, const TFileBuffer &data, TFileTime time)
{
    return StageStream(file, [&](const TPieceSink &sink) { sink(data.data(), data.size()); }, time);
}

std::optional<TStagedFile> TStagingFolder::StageStream(size_t file, const TFileStream &stream, TFileTime time)
{
    const int root = RootHandle();
    if (root < 0)
        return std::nullopt;
    // Near its folder when that exists: the file system keeps a file's
    // data close to its folder's.
    constexpr int flags = O_TMPFILE | O_RDWR | O_CLOEXEC;
    int handle = OpenUnnamedBelow(root, Subfolder(file), flags);
    if (handle < 0)
        handle = ::openat(root, ".", flags, 0666);
    if (handle < 0)
        return std::nullopt;
    TStagedFile staged(handle);
    // A failed write ends the stream early; the file is written again the
    // ordinary way, which reports the error.
    struct TWriteFailed {};
    try {
        stream([&](const uint8_t *data, size_t size) {
            try {
                WriteAll(handle, data, size, m_Root);
            } catch (const std::exception &) {
                throw TWriteFailed();
            }
        });
    } catch (const TWriteFailed &) {
        return std::nullopt;
    }
    Stamp(handle, time);
    return staged;
}
