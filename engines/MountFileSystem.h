#pragma once
// TMountFileSystem: the archives as a read-only file system, everything a
// mount needs apart from the kernel's side: the inode table, attributes,
// opening and reading files. Reads that fail are reported once per file and
// cause, and leave every other file readable. Safe to use from several threads.

#include "engines/ArchiveWatch.h"
#include "engines/DecodedCache.h"
#include "engines/MountFile.h"
#include "engines/MountTree.h"

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TMergedView;

struct TMountAttributes {
    TMountInode inode = 0;
    bool directory = false;
    uint64_t size = 0;
    std::time_t modified = 0;
};

class TMountFileSystem {
public:
    static constexpr uint64_t DefaultCacheBytes = 64ull << 20;

    // Opens the archives and builds the tree. Raises an Exception naming the
    // archive and the reader's message when one can't be opened or read.
    TMountFileSystem(const std::vector<std::string> &archivePaths, uint64_t cacheBytes,
                     const TMountWarning &warn);
    // What the game sees: the merged view's tree, every path showing its
    // winning version. The view's archives stay open while the file system
    // is used; the view itself is needed only while this is made.
    TMountFileSystem(const TMergedView &view, uint64_t cacheBytes, const TMountWarning &warn);

    const TMountTree &tree() const { return *m_Tree; }
    TMountAttributes attributes(TMountInode inode) const;

    // The file, ready to read; null (after a report) when it can't be read.
    std::shared_ptr<TMountFile> open(TMountInode inode);
    // Bytes read into `out`, or nullopt when the read failed and was reported.
    std::optional<size_t> read(TMountInode inode, TMountFile &file, uint64_t offset, size_t size, uint8_t *out);

    uint64_t decodedChunks() const { return m_DecodedChunks; }
    uint64_t cachedBytes() const { return m_Cache.bytes(); }

private:
    // Tells about a failed read once per file (inode 0: once at all) and message.
    void report(TMountInode inode, const std::string &message);
    std::string pathOf(TMountInode inode) const;

    void watchArchives();

    std::vector<std::unique_ptr<TVornFile>> m_Owned; // the archives opened here
    std::vector<const TVornFile *> m_Archives;       // by the nodes' archive numbers
    std::vector<std::unique_ptr<TArchiveWatch>> m_Watches;
    std::unique_ptr<TMountTree> m_Tree;
    TMountWarning m_Warn;
    TDecodedCache m_Cache;
    std::atomic<uint64_t> m_DecodedChunks = 0;

    std::mutex m_Mutex; // guards the sets below
    std::unordered_set<TMountInode> m_Damaged;
    std::set<std::pair<TMountInode, std::string>> m_Reported;
};
