#include "engines/StagingFolder.h"

#include "engines/TempFile.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

TStagingFolder::TStagingFolder(std::string root, TFolderOf folderOf, TOwnName ownName)
    : m_Root(std::move(root)), m_FolderOf(std::move(folderOf)), m_OwnName(std::move(ownName))
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

// The folder `subfolder` below `root`, reached without following a symbolic
// link; -1 when there is a link on the way or the kernel can't tell.
int OpenFolderBeneath(int root, const std::string &subfolder)
{
    open_how how{};
    how.flags = uint64_t(O_PATH | O_DIRECTORY | O_CLOEXEC);
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
    const std::shared_ptr<const int> folder = FolderOf(file);
    int handle = folder ? ::openat(*folder, ".", flags, 0666) : -1;
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

std::shared_ptr<const int> TStagingFolder::FolderOf(size_t file)
{
    const int root = RootHandle();
    if (root < 0)
        return nullptr;
    std::string subfolder = Subfolder(file);
    std::lock_guard lock(m_Mutex);
    if (m_LastFolder && subfolder == m_LastSubfolder)
        return m_LastFolder;
    const int handle = OpenFolderBeneath(root, subfolder);
    if (handle < 0)
        return nullptr; // not made yet (the run's thread makes it in its turn), or not ours to use
    m_LastFolder = std::shared_ptr<const int>(new int(handle), [](const int *folder) {
        ::close(*folder);
        delete folder;
    });
    m_LastSubfolder = std::move(subfolder);
    return m_LastFolder;
}

std::optional<TCreatedFile> TStagingFolder::Create(size_t file, TEntryOffset entry, const TFileBuffer &data,
                                                   TFileTime time)
{
    if (!m_OwnName)
        return std::nullopt;
    std::string name = m_OwnName(file, entry);
    if (name.empty())
        return std::nullopt;
    std::shared_ptr<const int> folder = FolderOf(file);
    if (!folder)
        return std::nullopt;
    // O_EXCL: whatever has the name -- a file, a folder, a link -- is left alone.
    const int handle = ::openat(*folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (handle < 0)
        return std::nullopt;
    TCreatedFile created(std::move(folder), std::move(name));
    bool written = true;
    try {
        WriteAll(handle, data.data(), data.size(), m_Root);
    } catch (const std::exception &) {
        written = false; // a full disk: removed, and the ordinary way reports it
    }
    if (written)
        Stamp(handle, time);
    if (::close(handle) != 0 || !written)
        return std::nullopt;
    return created;
}
