#include "engines/MountFileSystem.h"

#include "engines/MergedView.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

TMountFileSystem::TMountFileSystem(const std::vector<std::string> &archivePaths, uint64_t cacheBytes,
                                   const TMountWarning &warn)
    : m_Warn(warn), m_Cache(cacheBytes)
{
    if (archivePaths.size() > UINT16_MAX)
        throw Exception("Too many archives to mount at once");
    for (const std::string &path : archivePaths) {
        try {
            m_Owned.push_back(std::make_unique<TVornFile>(path));
        } catch (const Exception &e) {
            throw Exception(path + ": " + e.what());
        }
        m_Archives.push_back(m_Owned.back().get());
    }
    watchArchives();
    m_Tree = std::make_unique<TMountTree>(m_Archives, warn);
}

TMountFileSystem::TMountFileSystem(const TMergedView &view, uint64_t cacheBytes, const TMountWarning &warn)
    : m_Warn(warn), m_Cache(cacheBytes)
{
    for (uint32_t i = 0; i < view.ArchiveCount(); ++i)
        m_Archives.push_back(&view.Archive(i));
    watchArchives();
    m_Tree = std::make_unique<TMountTree>(view, warn);
}

void TMountFileSystem::watchArchives()
{
    for (const TVornFile *vorn : m_Archives)
        m_Watches.push_back(std::make_unique<TArchiveWatch>(vorn->FileName()));
}

TMountAttributes TMountFileSystem::attributes(TMountInode inode) const
{
    const TMountNode &node = m_Tree->node(inode);
    TMountAttributes attributes;
    attributes.inode = inode;
    attributes.directory = node.directory;
    attributes.size = node.size;
    // The time extraction gives the file, so a copy out matches `vorntool x`.
    if (!FileTimeToLocalUnixTime(node.time, attributes.modified))
        attributes.modified = 0;
    return attributes;
}

std::string TMountFileSystem::pathOf(TMountInode inode) const
{
    std::string path;
    for (TMountInode at = inode; at != MountRootInode; at = m_Tree->parent(at))
        path.insert(0, (path.empty() ? "" : "/") + std::string(m_Tree->name(at)));
    return path;
}

void TMountFileSystem::report(TMountInode inode, const std::string &message)
{
    {
        const std::lock_guard lock(m_Mutex);
        if (!m_Reported.emplace(inode, message).second)
            return;
    }
    m_Warn(inode == 0 ? message : pathOf(inode) + ": " + message);
}

std::shared_ptr<TMountFile> TMountFileSystem::open(TMountInode inode)
{
    const TMountNode &node = m_Tree->node(inode);
    try {
        auto file = std::make_shared<TMountFile>(*m_Archives[node.archive], node.archive, node.entry, m_Cache,
                                                 m_DecodedChunks);
        const std::lock_guard lock(m_Mutex);
        if (m_Damaged.count(inode))
            file->markDamaged();
        return file;
    } catch (const Exception &e) {
        report(inode, e.what());
        return nullptr;
    }
}

std::optional<size_t> TMountFileSystem::read(TMountInode inode, TMountFile &file, uint64_t offset, size_t size,
                                             uint8_t *out)
{
    const TMountNode &node = m_Tree->node(inode);
    if (m_Watches[node.archive]->changed()) {
        report(0, "the archive " + m_Archives[node.archive]->FileName()
                      + " changed on disk while mounted; its files can't be read any more");
        return std::nullopt;
    }
    try {
        return file.read(offset, size, out);
    } catch (const Exception &e) {
        if (file.damaged()) {
            const std::lock_guard lock(m_Mutex);
            m_Damaged.insert(inode);
        }
        report(inode, e.what());
        return std::nullopt;
    }
}
