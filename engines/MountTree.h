#pragma once
// TMountTree: the folders and files a mount shows, as a table of inodes
// built once from the archives' indexes. Inode numbers follow from the
// archives alone (breadth first, names sorted), so the same archives give
// the same numbers at every mount. A folder's children have consecutive
// inodes sorted by name, which makes a lookup a binary search and a listing
// a slice of the table.

#include "archive/vmVornFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TMountInode = uint64_t;
constexpr TMountInode MountRootInode = 1;

struct TMountNode {
    uint32_t parent = 0;     // index of the folder above; the root is its own parent
    uint32_t firstChild = 0; // index of the first child
    uint32_t childCount = 0;
    uint32_t nameStart = 0;  // in the name pool
    uint8_t nameLength = 0;
    bool directory = true;
    uint16_t archive = 0;    // which archive the entry belongs to
    TEntryOffset entry = 0;  // 0 for a folder the mount made (one per archive)
    uint32_t size = 0;
    TFileTime time = 0;
};

// Told about every name shown differently from the archive, with the path
// under the mount point and why.
using TMountWarning = std::function<void(const std::string &message)>;

class TMountTree {
public:
    // One archive: its tree at the top. Several: a folder per archive named
    // after its file. Raises the reader's Exception when an index can't be read.
    TMountTree(const std::vector<const TVornFile *> &archives, const TMountWarning &warn);

    size_t size() const { return m_Nodes.size(); }
    bool contains(TMountInode inode) const { return inode >= 1 && inode <= m_Nodes.size(); }
    const TMountNode &node(TMountInode inode) const { return m_Nodes[inode - 1]; }
    std::string_view name(TMountInode inode) const;
    TMountInode parent(TMountInode inode) const { return node(inode).parent + 1; }
    TMountInode firstChild(TMountInode inode) const { return node(inode).firstChild + 1; }
    // The child of a folder with exactly this name; 0 when there is none.
    TMountInode lookup(TMountInode folder, std::string_view childName) const;
    uint64_t totalFileBytes() const { return m_TotalFileBytes; }

private:
    struct TPendingChild {
        std::string name;
        TEntryOffset entry;
        bool directory;
    };

    void addArchiveFolders(const std::vector<const TVornFile *> &archives);
    void addChildren(uint32_t folder, std::vector<TPendingChild> children, uint16_t archive,
                     const TVornFile *vorn);
    std::vector<TPendingChild> readChildren(uint32_t folder, const TVornFile &vorn);
    void makeNamesUnique(uint32_t folder, std::vector<TPendingChild> &children);
    std::string pathOf(uint32_t index) const;
    uint32_t storeName(const std::string &name);

    std::vector<TMountNode> m_Nodes;
    std::string m_Names;
    uint64_t m_TotalFileBytes = 0;
    TMountWarning m_Warn;
};
