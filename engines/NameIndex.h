#pragma once
// TNameIndex: every entry of one archive in one flat table, made once when a
// search first needs it and reused while the archive stays open. Names are
// kept as stored and folded side by side, in depth-first order, so the
// entries below a folder form one run of the table and a search is a scan
// over contiguous memory. About 16 bytes per entry plus twice its name; a
// folder knows its parent and its path's length, and its path is put
// together only when asked for, so a deep tree costs no more than a flat one.

#include "archive/vmVornFile.h"
#include "engines/PathLimit.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class TNameIndex {
public:
    struct TItem {
        TEntryOffset Entry = 0;
        uint32_t Folder = 0;    // index into the folder table of the folder holding it
        uint32_t NameStart = 0; // into the name buffers
        uint16_t NameLength = 0;
        bool IsFolder = false;
    };

    // Walks the whole tree. A folder whose records are damaged is left out
    // and its error kept in Errors(); the rest is indexed.
    explicit TNameIndex(const TVornFile &vorn);

    const TVornFile &Vorn() const { return m_Vorn; }
    size_t Count() const { return m_Items.size(); }
    const TItem &Item(size_t i) const { return m_Items[i]; }
    std::string_view Name(size_t i) const { return {m_Names.data() + m_Items[i].NameStart, m_Items[i].NameLength}; }
    std::string_view FoldedName(size_t i) const
    {
        return {m_FoldedNames.data() + m_Items[i].NameStart, m_Items[i].NameLength};
    }
    // Every name one after another, folded or as stored; item i's name
    // starts at Item(i).NameStart.
    std::string_view NameBuffer(bool folded) const { return folded ? m_FoldedNames : m_Names; }
    // The item whose name holds byte `offset` of the name buffers.
    size_t ItemAtOffset(size_t offset) const;
    // The path of a folder below the root, 8-bit, each name followed by "/";
    // "" for the root. A path longer than the system allows is never built
    // whole: it gives its first MaxPathLength bytes and "...".
    std::string FolderPath(uint32_t folder) const;
    // The length of that path in bytes (without the cut), at most UINT32_MAX.
    uint32_t FolderPathLength(uint32_t folder) const { return m_Folders[folder].PathLength; }
    // The length of item i's path: its folder's path and its name.
    uint64_t PathLength(size_t i) const { return uint64_t(FolderPathLength(m_Items[i].Folder)) + m_Items[i].NameLength; }
    // Item i's whole path (folder path and name); raises an Exception with
    // PathTooLongMessage when it is longer than MaxPathLength.
    std::string ItemPath(size_t i) const;
    TEntryOffset FolderEntry(uint32_t folder) const { return m_Folders[folder].Entry; }
    // The item range [first, last) of everything below a folder of the tree;
    // empty for an offset that is no indexed folder.
    std::pair<size_t, size_t> SubtreeRange(TEntryOffset folder) const;
    const std::vector<std::string> &Errors() const { return m_Errors; }
    // Bytes the table holds.
    size_t MemoryBytes() const;

private:
    struct TFolder {
        TEntryOffset Entry = 0;
        uint32_t Parent = 0;     // the folder holding it; the root: itself
        uint32_t NameItem = 0;   // the item that names it (not for the root)
        uint32_t PathLength = 0; // bytes of its path, each name with its "/"
        size_t First = 0;        // its subtree's items
        size_t Last = 0;
    };

    void Build();
    void AddItem(TEntryOffset entry, uint32_t folder, bool isFolder);

    const TVornFile &m_Vorn;
    std::vector<TItem> m_Items;
    std::string m_Names;
    std::string m_FoldedNames;
    std::vector<TFolder> m_Folders;
    std::unordered_map<TEntryOffset, uint32_t> m_FolderOfEntry;
    std::vector<std::string> m_Errors;
};
