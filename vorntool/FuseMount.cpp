#define FUSE_USE_VERSION 312
#include "vorntool/FuseMount.h"

#include "archive/Exceptions.h"

#include <fuse_lowlevel.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Nothing in an archive changes while it is mounted: the kernel may keep
// names and attributes as long as it likes.
constexpr double StableTimeout = 86400.0;
constexpr unsigned MaxThreads = 16;

struct TOpenFile {
    std::shared_ptr<TMountFile> file;
};

TMountFileSystem &FileSystemOf(fuse_req_t request)
{
    return static_cast<TFuseMount *>(fuse_req_userdata(request))->fileSystem();
}

bool Exists(TMountFileSystem &fs, fuse_ino_t inode)
{
    return fs.tree().contains(inode);
}

struct stat StatOf(TMountFileSystem &fs, fuse_ino_t inode)
{
    const TMountAttributes attributes = fs.attributes(inode);
    struct stat st {};
    st.st_ino = inode;
    st.st_mode = attributes.directory ? S_IFDIR | 0555 : S_IFREG | 0444;
    st.st_nlink = attributes.directory ? 2 : 1;
    st.st_uid = ::getuid();
    st.st_gid = ::getgid();
    st.st_size = off_t(attributes.size);
    st.st_blksize = 4096;
    st.st_blocks = blkcnt_t((attributes.size + 511) / 512);
    st.st_atim.tv_sec = st.st_mtim.tv_sec = st.st_ctim.tv_sec = attributes.modified;
    return st;
}

fuse_entry_param EntryOf(TMountFileSystem &fs, fuse_ino_t inode)
{
    fuse_entry_param entry {};
    entry.ino = inode;
    entry.attr = StatOf(fs, inode);
    entry.attr_timeout = StableTimeout;
    entry.entry_timeout = StableTimeout;
    return entry;
}

void Lookup(fuse_req_t request, fuse_ino_t parent, const char *name)
{
    TMountFileSystem &fs = FileSystemOf(request);
    const TMountInode child = Exists(fs, parent) ? fs.tree().lookup(parent, name) : 0;
    if (child == 0) {
        // A name that is not there stays absent too.
        fuse_entry_param negative {};
        negative.entry_timeout = StableTimeout;
        fuse_reply_entry(request, &negative);
        return;
    }
    const fuse_entry_param entry = EntryOf(fs, child);
    fuse_reply_entry(request, &entry);
}

void GetAttr(fuse_req_t request, fuse_ino_t inode, fuse_file_info *)
{
    TMountFileSystem &fs = FileSystemOf(request);
    if (!Exists(fs, inode)) {
        fuse_reply_err(request, ENOENT);
        return;
    }
    const struct stat st = StatOf(fs, inode);
    fuse_reply_attr(request, &st, StableTimeout);
}

void OpenDir(fuse_req_t request, fuse_ino_t inode, fuse_file_info *info)
{
    TMountFileSystem &fs = FileSystemOf(request);
    if (!Exists(fs, inode))
        fuse_reply_err(request, ENOENT);
    else if (!fs.tree().node(inode).directory)
        fuse_reply_err(request, ENOTDIR);
    else {
        info->cache_readdir = 1;
        info->keep_cache = 1;
        fuse_reply_open(request, info);
    }
}

// Fills a listing from position `offset`: 0 is ".", 1 is "..", 2 + i is
// child i. With `plus`, every entry carries its attributes.
void ReadDirectory(fuse_req_t request, fuse_ino_t inode, size_t size, off_t offset, bool plus)
{
    TMountFileSystem &fs = FileSystemOf(request);
    const TMountTree &tree = fs.tree();
    if (!Exists(fs, inode) || !tree.node(inode).directory) {
        fuse_reply_err(request, ENOTDIR);
        return;
    }
    std::vector<char> buffer(size);
    size_t used = 0;
    const uint64_t count = 2 + uint64_t(tree.node(inode).childCount);
    for (uint64_t position = uint64_t(offset); position < count; ++position) {
        const bool dot = position < 2;
        const TMountInode at = dot ? (position == 0 ? inode : tree.parent(inode))
                                   : tree.firstChild(inode) + (position - 2);
        const std::string name = position == 0 ? "." : position == 1 ? ".." : std::string(tree.name(at));
        size_t needed;
        if (plus) {
            fuse_entry_param entry {};
            if (dot)
                entry.attr = StatOf(fs, at); // no lookup is counted for "." and ".."
            else
                entry = EntryOf(fs, at);
            needed = fuse_add_direntry_plus(request, buffer.data() + used, size - used, name.c_str(), &entry,
                                            off_t(position + 1));
        } else {
            const struct stat st = StatOf(fs, at);
            needed = fuse_add_direntry(request, buffer.data() + used, size - used, name.c_str(), &st,
                                       off_t(position + 1));
        }
        if (needed > size - used)
            break;
        used += needed;
    }
    fuse_reply_buf(request, buffer.data(), used);
}

void ReadDir(fuse_req_t request, fuse_ino_t inode, size_t size, off_t offset, fuse_file_info *)
{
    ReadDirectory(request, inode, size, offset, false);
}

void ReadDirPlus(fuse_req_t request, fuse_ino_t inode, size_t size, off_t offset, fuse_file_info *)
{
    ReadDirectory(request, inode, size, offset, true);
}

void Open(fuse_req_t request, fuse_ino_t inode, fuse_file_info *info)
{
    TMountFileSystem &fs = FileSystemOf(request);
    if (!Exists(fs, inode)) {
        fuse_reply_err(request, ENOENT);
        return;
    }
    if (fs.tree().node(inode).directory) {
        fuse_reply_err(request, EISDIR);
        return;
    }
    if ((info->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(request, EROFS);
        return;
    }
    std::shared_ptr<TMountFile> file = fs.open(inode);
    if (!file) {
        fuse_reply_err(request, EIO);
        return;
    }
    info->fh = reinterpret_cast<uint64_t>(new TOpenFile{std::move(file)});
    info->keep_cache = 1; // the contents never change
    if (fuse_reply_open(request, info) != 0)
        delete reinterpret_cast<TOpenFile *>(info->fh); // the opener is gone: no release will come
}

void Read(fuse_req_t request, fuse_ino_t inode, size_t size, off_t offset, fuse_file_info *info)
{
    TMountFileSystem &fs = FileSystemOf(request);
    auto *open = reinterpret_cast<TOpenFile *>(info->fh);
    thread_local std::vector<uint8_t> buffer;
    if (buffer.size() < size)
        buffer.resize(size);
    const std::optional<size_t> count = fs.read(inode, *open->file, uint64_t(offset), size, buffer.data());
    if (!count)
        fuse_reply_err(request, EIO);
    else
        fuse_reply_buf(request, reinterpret_cast<const char *>(buffer.data()), *count);
}

void Release(fuse_req_t request, fuse_ino_t, fuse_file_info *info)
{
    delete reinterpret_cast<TOpenFile *>(info->fh);
    fuse_reply_err(request, 0);
}

void StatFs(fuse_req_t request, fuse_ino_t)
{
    TMountFileSystem &fs = FileSystemOf(request);
    struct statvfs st {};
    st.f_bsize = 4096;
    st.f_frsize = 4096;
    st.f_blocks = (fs.tree().totalFileBytes() + 4095) / 4096;
    st.f_files = fs.tree().size();
    st.f_namemax = 255;
    st.f_flag = ST_RDONLY | ST_NOSUID | ST_NODEV;
    fuse_reply_statfs(request, &st);
}

const fuse_lowlevel_ops &Operations()
{
    static const fuse_lowlevel_ops operations = [] {
        fuse_lowlevel_ops ops {};
        ops.lookup = Lookup;
        ops.getattr = GetAttr;
        ops.opendir = OpenDir;
        ops.readdir = ReadDir;
        ops.readdirplus = ReadDirPlus;
        ops.open = Open;
        ops.read = Read;
        ops.release = Release;
        ops.statfs = StatFs;
        return ops;
    }();
    return operations;
}

struct TArgsDeleter {
    void operator()(fuse_args *args) const { fuse_opt_free_args(args); }
};
struct TSessionDeleter {
    void operator()(fuse_session *session) const { fuse_session_destroy(session); }
};
struct TLoopConfigDeleter {
    void operator()(fuse_loop_config *config) const { fuse_loop_cfg_destroy(config); }
};

} // namespace

void TFuseMount::run(const std::string &mountPoint, bool background)
{
    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    const std::unique_ptr<fuse_args, TArgsDeleter> argsOwner(&args);
    for (const char *arg : {"vorntool", "-o", "ro,default_permissions,fsname=vorntool,subtype=vorn"})
        fuse_opt_add_arg(&args, arg);
    const std::unique_ptr<fuse_session, TSessionDeleter> session(
        fuse_session_new(&args, &Operations(), sizeof(fuse_lowlevel_ops), this));
    if (!session)
        throw Exception("Cannot start the FUSE session");
    if (fuse_set_signal_handlers(session.get()) != 0)
        throw Exception("Cannot install the signal handlers");
    if (fuse_session_mount(session.get(), mountPoint.c_str()) != 0) {
        fuse_remove_signal_handlers(session.get());
        throw Exception("Cannot mount at " + mountPoint + " (is /dev/fuse there and fusermount3 installed?)");
    }
    if (background)
        fuse_daemonize(0);
    const std::unique_ptr<fuse_loop_config, TLoopConfigDeleter> config(fuse_loop_cfg_create());
    fuse_loop_cfg_set_max_threads(config.get(), MaxThreads);
    const int result = fuse_session_loop_mt(session.get(), config.get());
    fuse_session_unmount(session.get());
    fuse_remove_signal_handlers(session.get());
    if (result < 0)
        throw Exception(std::string("The mount ended with an error: ") + std::strerror(-result));
}
