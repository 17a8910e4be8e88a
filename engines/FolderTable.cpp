#include "engines/FolderTable.h"

#include "archive/vmFunctions.h"
#include "engines/CappedPath.h"

uint32_t TFolderTable::Add(uint32_t parent, TEntryOffset entry)
{
    m_Folders.push_back({entry, parent});
    return uint32_t(m_Folders.size() - 1);
}

const std::string &TFolderTable::Path(const TVornFile &vorn, uint32_t folder) const
{
    if (folder == m_Cached)
        return m_CachedPath;
    std::vector<TEntryOffset> chain; // below the start, nearest first
    for (uint32_t f = folder; f != 0; f = m_Folders[f].Parent)
        chain.push_back(m_Folders[f].Entry);
    TCappedPath path;
    for (auto it = chain.rbegin(); it != chain.rend() && !path.TooLong(); ++it) {
        path.Append(vorn.GetName(*it)); // read once by the walk: the index in memory answers again
        path.Append('/');
    }
    m_CachedPath = AnsiToUtf8(path.Shown());
    m_Cached = folder;
    return m_CachedPath;
}
