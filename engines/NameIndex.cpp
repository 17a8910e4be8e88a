#include "engines/NameIndex.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"
#include "engines/CappedPath.h"

#include <algorithm>
#include <limits>

TNameIndex::TNameIndex(const TVornFile &vorn) : m_Vorn(vorn)
{
    Build();
}

void TNameIndex::AddItem(TEntryOffset entry, uint32_t folder, bool isFolder)
{
    std::string name = m_Vorn.GetName(entry);
    if (name.size() > std::numeric_limits<uint16_t>::max())
        name.resize(std::numeric_limits<uint16_t>::max());
    TItem item;
    item.Entry = entry;
    item.Folder = folder;
    item.NameStart = uint32_t(m_Names.size());
    item.NameLength = uint16_t(name.size());
    item.IsFolder = isFolder;
    m_Names += name;
    for (const char c : name)
        m_FoldedNames += char(FoldAnsi(uint8_t(c)));
    m_Items.push_back(item);
}

void TNameIndex::Build()
{
    // Depth first, each folder entered once (a damaged index can list a
    // folder inside itself), with an explicit stack of open folders.
    struct TOpen {
        uint32_t folder;
        std::vector<TEntryOffset> children;
        size_t next = 0;
    };
    const TEntryOffset root = m_Vorn.GetRootOffset();
    m_Folders.push_back({root, 0, 0, 0, 0, 0});
    m_FolderOfEntry.emplace(root, 0);
    std::vector<TOpen> stack;
    stack.push_back({0, m_Vorn.GetChildren(root)});
    while (!stack.empty()) {
        TOpen &top = stack.back();
        if (top.next == top.children.size()) {
            m_Folders[top.folder].Last = m_Items.size();
            stack.pop_back();
            continue;
        }
        const TEntryOffset entry = top.children[top.next++];
        const uint32_t parent = top.folder;
        try {
            const bool isFolder = m_Vorn.IsDirectory(entry);
            AddItem(entry, parent, isFolder);
            if (!isFolder || m_FolderOfEntry.count(entry))
                continue;
            std::vector<TEntryOffset> children = m_Vorn.GetChildren(entry);
            const uint32_t folder = uint32_t(m_Folders.size());
            const uint32_t nameItem = uint32_t(m_Items.size() - 1);
            const uint64_t length = uint64_t(m_Folders[parent].PathLength) + m_Items[nameItem].NameLength + 1;
            m_Folders.push_back({entry, parent, nameItem, uint32_t(std::min<uint64_t>(length, UINT32_MAX)),
                                 m_Items.size(), 0});
            m_FolderOfEntry.emplace(entry, folder);
            stack.push_back({folder, std::move(children)});
        } catch (const Exception &error) {
            m_Errors.push_back(FolderPath(parent) + ": " + error.what());
        }
    }
}

std::string TNameIndex::FolderPath(uint32_t folder) const
{
    std::vector<uint32_t> chain; // below the root, nearest first
    for (uint32_t f = folder; f != 0; f = m_Folders[f].Parent)
        chain.push_back(f);
    TCappedPath path;
    for (auto it = chain.rbegin(); it != chain.rend() && !path.TooLong(); ++it) {
        path.Append(Name(m_Folders[*it].NameItem));
        path.Append('/');
    }
    return path.Shown();
}

std::string TNameIndex::ItemPath(size_t i) const
{
    if (PathLength(i) > MaxPathLength)
        throw Exception(PathTooLongMessage);
    return FolderPath(m_Items[i].Folder).append(Name(i));
}

std::pair<size_t, size_t> TNameIndex::SubtreeRange(TEntryOffset folder) const
{
    const auto found = m_FolderOfEntry.find(folder);
    if (found == m_FolderOfEntry.end())
        return {0, 0};
    const TFolder &f = m_Folders[found->second];
    return {f.First, f.Last};
}

size_t TNameIndex::ItemAtOffset(size_t offset) const
{
    // Names are stored in item order, so their starts ascend.
    const auto after = std::upper_bound(m_Items.begin(), m_Items.end(), offset,
                                        [](size_t value, const TItem &item) { return value < item.NameStart; });
    return after == m_Items.begin() ? 0 : size_t(after - m_Items.begin() - 1);
}

size_t TNameIndex::MemoryBytes() const
{
    size_t bytes = m_Items.capacity() * sizeof(TItem) + m_Names.capacity() + m_FoldedNames.capacity();
    bytes += m_Folders.capacity() * sizeof(TFolder);
    return bytes + m_FolderOfEntry.size() * (sizeof(TEntryOffset) + sizeof(uint32_t) + 16);
}
