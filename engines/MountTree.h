#pragma once
// TMountTree: the folders and files a mount shows, as a table of inodes
// built once from the archives' indexes. Inode numbers follow from the
// archives alone (breadth first, names sorted), so the same archives give
// the same numbers at every mount. A folder's children have consecutive
// inodes sorted by name, which makes a lookup a binary search and a listing
// a slice of the table.

#include "engines/MountName.h"

#include "archive/vmVornFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TMergedView;

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
    // The merged tree of several archives: every path shows the version that
    // wins it (node archive numbers are the view's).
    TMountTree(const TMergedView &view, const TMountWarning &warn);

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
        uint16_t archive = 0;
        uint32_t mergeNode = 0; // in a merged tree
    };

    void addArchiveFolders(const std::vector<const TVornFile *> &archives);
    // Appends a folder's children, sorted, and gives them their names.
    void addChildren(uint32_t folder, std::vector<TPendingChild> children,
                     const std::vector<const TVornFile *> &archives);
    std::vector<TPendingChild> readChildren(uint32_t folder, const TVornFile &vorn, uint16_t archive);
    std::vector<TPendingChild> mergedChildren(uint32_t folder, const TMergedView &view, uint32_t mergeNode);
    TMountName shownName(uint32_t folder, std::string_view storedName);
    void makeNamesUnique(uint32_t folder, std::vector<TPendingChild> &children);
    std::string pathOf(uint32_t index) const;
    uint32_t storeName(const std::string &name);

    std::vector<TMountNode> m_Nodes;
    std::vector<uint32_t> m_MergeNodes; // while a merged tree is built: each node's merge node
    std::string m_Names;
    uint64_t m_TotalFileBytes = 0;
    TMountWarning m_Warn;
};
