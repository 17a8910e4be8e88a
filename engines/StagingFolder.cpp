#include "engines/StagingFolder.h"

#include "engines/TempFile.h"

#include <algorithm>
#include <cerrno>
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
    RemoveFoldersNotReached();
    m_Open.clear();
    if (m_RootHandle >= 0)
        ::close(m_RootHandle);
}

void TStagingFolder::MakeFoldersAhead(TMayMakeFolder mayMake, TReached reached)
{
    m_MayMake = std::move(mayMake);
    m_Reached = std::move(reached);
}

void TStagingFolder::RemoveFoldersNotReached()
{
    for (auto made = m_MadeAhead.rbegin(); made != m_MadeAhead.rend(); ++made) {
        if (m_Reached(m_Root + *made + "/"))
            continue;
        const size_t slash = made->rfind('/');
        const size_t name = slash == std::string::npos ? 0 : slash + 1;
        RemoveBelow(m_RootHandle, std::string_view(*made).substr(0, name), made->substr(name), AT_REMOVEDIR);
    }
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
    const std::shared_ptr<const int> folder = FolderOf(file).handle;
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

TStagingFolder::TOpenFolder TStagingFolder::FolderOf(size_t file)
{
    if (RootHandle() < 0)
        return {};
    return OpenFolder(Subfolder(file));
}

TStagingFolder::TOpenFolder TStagingFolder::OpenFolder(std::string subfolder)
{
    constexpr size_t FoldersKept = 8;
    std::lock_guard lock(m_Mutex);
    for (auto open = m_Open.begin(); open != m_Open.end(); ++open) {
        if (*open->path == subfolder) {
            std::rotate(open, open + 1, m_Open.end());
            return m_Open.back();
        }
    }
    int handle = OpenFolderBeneath(m_RootHandle, subfolder);
    if (handle < 0 && errno == ENOENT && m_MayMake)
        handle = OpenFolderBelow(m_RootHandle, subfolder, m_MayMake, m_MadeAhead).Handle;
    if (handle < 0)
        return {}; // not made yet (the run's thread makes it in its turn), or not ours to use
    if (m_Open.size() == FoldersKept)
        m_Open.erase(m_Open.begin());
    const auto closeFolder = [](const int *folder) {
        ::close(*folder);
        delete folder;
    };
    m_Open.push_back({std::make_shared<const std::string>(std::move(subfolder)),
                      std::shared_ptr<const int>(new int(handle), closeFolder)});
    return m_Open.back();
}

std::optional<TCreatedFile> TStagingFolder::Create(size_t file, TEntryOffset entry, const TFileBuffer &data,
                                                   TFileTime time)
{
    if (!m_OwnName)
        return std::nullopt;
    std::string name = m_OwnName(file, entry);
    if (name.empty())
        return std::nullopt;
    const TOpenFolder folder = FolderOf(file);
    if (!folder.handle)
        return std::nullopt;
    // O_EXCL: whatever has the name -- a file, a folder, a link -- is left alone.
    const int handle =
        ::openat(*folder.handle, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (handle < 0)
        return std::nullopt;
    TCreatedFile created(m_RootHandle, folder.path, std::move(name));
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
