#pragma once
// TFolderTable: the folders a walk met, each known by its entry and the
// folder holding it. A path is put together only when asked for, so a run
// over a million files keeps eight bytes per folder and none per file
// instead of a path each.

#include "archive/vmVornFile.h"

#include <cstdint>
#include <string>
#include <vector>

class TFolderTable {
public:
    // Folder 0 stands for the folder the walk started in; its path is "".
    TFolderTable() : m_Folders(1) {}

    // A folder met below folder `parent`; returns its number.
    uint32_t Add(uint32_t parent, TEntryOffset entry);
    // Folder `folder`'s path below the start, UTF-8, each name followed by
    // "/"; a path longer than the system allows is cut ("..."). The last
    // path asked for is kept, so the files of one folder share it.
    const std::string &Path(const TVornFile &vorn, uint32_t folder) const;
    // Bytes the table holds.
    size_t MemoryBytes() const { return m_Folders.capacity() * sizeof(TFolder); }

private:
    struct TFolder {
        TEntryOffset Entry = 0;
        uint32_t Parent = 0;
    };

    std::vector<TFolder> m_Folders;
    mutable uint32_t m_Cached = UINT32_MAX;
    mutable std::string m_CachedPath;
};
