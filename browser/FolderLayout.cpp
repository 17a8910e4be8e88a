#include "browser/FolderLayout.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/SortFunctions.h"

#include <algorithm>
#include <string_view>

namespace {

// Folders walked between two looks at the cancel flag.
constexpr size_t FoldersBetweenChecks = 1024;

} // namespace

TFolderLayout::TFolderLayout(const TVornFile &vorn, const std::atomic<bool> *cancel)
{
    const TEntryOffset root = vorn.GetRootOffset();
    m_Folders.push_back(root);
    m_Places.emplace_back();
    m_PlaceOf.emplace(root, 0);
    // Iterative: a very deep index can't overflow the stack. The places are
    // handed out in the order the tree used to make its nodes.
    std::vector<uint32_t> pending{0};
    for (size_t walked = 0; !pending.empty(); ++walked) {
        if (cancel && walked % FoldersBetweenChecks == 0 && cancel->load(std::memory_order_relaxed))
            throw EAbort();
        const uint32_t place = pending.back();
        pending.pop_back();
        const auto first = uint32_t(m_Folders.size());
        for (const TEntryOffset child : vorn.GetChildren(m_Folders[place])) {
            if (!vorn.IsDirectory(child) || !m_PlaceOf.emplace(child, uint32_t(m_Folders.size())).second)
                continue;
            vorn.GetNameView(child); // raises for a name the tree could not show
            pending.push_back(uint32_t(m_Folders.size()));
            m_Folders.push_back(child);
            m_Places.push_back(TPlace{place, 0, 0});
        }
        m_Places[place].firstChild = first;
        m_Places[place].childCount = uint32_t(m_Folders.size()) - first;
    }
    SortRootByName(vorn);
}

void TFolderLayout::SortRootByName(const TVornFile &vorn)
{
    struct TKey {
        bool folder;
        std::string_view name;
        TEntryOffset entry;
    };
    std::vector<TKey> keys;
    try {
        for (const TEntryOffset child : vorn.GetChildren(Root()))
            keys.push_back(TKey{vorn.IsDirectory(child), vorn.GetNameView(child), child});
    } catch (const Exception &) {
        return; // a damaged file name: the list's own listing reports it
    }
    std::sort(keys.begin(), keys.end(), [](const TKey &a, const TKey &b) {
        return a.folder != b.folder ? a.folder : CompareText(a.name, b.name) < 0;
    });
    m_RootByName.reserve(keys.size());
    for (const TKey &key : keys)
        m_RootByName.push_back(key.entry);
}

uint32_t TFolderLayout::Place(TEntryOffset folder) const
{
    const auto found = m_PlaceOf.find(folder);
    return found == m_PlaceOf.end() ? UINT32_MAX : found->second;
}

std::span<const TEntryOffset> TFolderLayout::Subfolders(TEntryOffset folder) const
{
    const uint32_t place = Place(folder);
    if (place == UINT32_MAX)
        return {};
    return std::span(m_Folders).subspan(m_Places[place].firstChild, m_Places[place].childCount);
}

std::vector<TEntryOffset> TFolderLayout::PathTo(TEntryOffset folder) const
{
    std::vector<TEntryOffset> path;
    for (uint32_t place = Place(folder); place != UINT32_MAX && place != 0; place = m_Places[place].parent)
        path.push_back(m_Folders[place]);
    std::reverse(path.begin(), path.end());
    return path;
}

size_t TFolderLayout::IndexInParent(TEntryOffset folder) const
{
    const uint32_t place = Place(folder);
    if (place == UINT32_MAX || place == 0)
        return 0;
    return place - m_Places[m_Places[place].parent].firstChild;
}
