#include "engines/FolderMerge.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <algorithm>
#include <bit>

uint32_t FoldedNameHash(std::string_view name)
{
    uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a
    for (const char c : name) {
        hash ^= FoldAnsi(uint8_t(c));
        hash *= 0x100000001b3ull;
    }
    return uint32_t(hash ^ (hash >> 32));
}

bool SameFoldedName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldAnsi(uint8_t(a[i])) != FoldAnsi(uint8_t(b[i])))
            return false;
    return true;
}

TVersionState VersionStateAgainst(const std::vector<const TVornFile *> &archives, const TMergeVersion &winner,
                                  const TMergeVersion &version)
{
    if (winner.IsFolder != version.IsFolder)
        return TVersionState::OtherKind;
    if (version.IsFolder)
        return TVersionState::Folder;
    const TVornFile &a = *archives[winner.Archive];
    const TVornFile &b = *archives[version.Archive];
    try {
        const uint32_t size = a.GetSize(winner.Entry);
        if (size != b.GetSize(version.Entry))
            return TVersionState::Different;
        if (size == 0)
            return TVersionState::Same;
        const uint32_t crcA = a.GetCrc32(winner.Entry);
        const uint32_t crcB = b.GetCrc32(version.Entry);
        if (crcA != 0 && crcB != 0)
            return crcA == crcB ? TVersionState::Same : TVersionState::Different;
        return TVersionState::Unsettled;
    } catch (const Exception &) {
        return TVersionState::Different;
    }
}

TFolderMerge::TFolderMerge(const std::vector<const TVornFile *> &archives) : m_Archives(archives) {}

void TFolderMerge::Merge(std::span<const TMergeVersion> folders)
{
    m_Items.clear();
    for (const TMergeVersion &folder : folders)
        GatherChildren(folder.Archive, folder.Entry);
    PlaceVersions(GroupByName());
}

void TFolderMerge::GatherChildren(uint16_t archive, TEntryOffset folder)
{
    const TVornFile &vorn = *m_Archives[archive];
    try {
        for (const TEntryOffset child : vorn.GetChildren(folder)) {
            if (child == 0) // the parent of the root, never an entry
                throw Exception(FormatStr("Damaged index: folder %u lists entry 0", folder));
            TItem item;
            item.Name = vorn.GetNameView(child);
            item.Entry = child;
            item.Hash = FoldedNameHash(item.Name);
            item.Archive = archive;
            item.IsFolder = vorn.IsDirectory(child);
            m_Items.push_back(item);
        }
    } catch (const Exception &e) {
        throw TDamagedMember{archive, e.message()};
    }
}

uint32_t TFolderMerge::GroupByName()
{
    constexpr uint32_t empty = UINT32_MAX;
    const size_t size = std::bit_ceil(std::max<size_t>(16, m_Items.size() * 2));
    m_Slots.assign(size, empty);
    const size_t mask = size - 1;
    uint32_t groups = 0;
    for (uint32_t i = 0; i < m_Items.size(); ++i) {
        TItem &item = m_Items[i];
        for (size_t slot = item.Hash & mask;; slot = (slot + 1) & mask) {
            const uint32_t first = m_Slots[slot];
            if (first == empty) {
                m_Slots[slot] = i;
                item.Child = groups++;
                break;
            }
            if (m_Items[first].Hash == item.Hash && SameFoldedName(m_Items[first].Name, item.Name)) {
                item.Child = m_Items[first].Child;
                break;
            }
        }
    }
    return groups;
}

void TFolderMerge::PlaceVersions(uint32_t childCount)
{
    // A counting sort by group that keeps the gathered order.
    std::vector<uint32_t> &starts = m_Result.Starts;
    starts.assign(childCount + 1, 0);
    for (const TItem &item : m_Items)
        ++starts[item.Child + 1];
    for (uint32_t child = 0; child < childCount; ++child)
        starts[child + 1] += starts[child];
    std::vector<TMergeVersion> &versions = m_Result.Versions;
    versions.resize(m_Items.size());
    m_Slots.assign(starts.begin(), starts.end() - 1); // the next free place of each group
    for (const TItem &item : m_Items)
        versions[m_Slots[item.Child]++] = {item.Archive, TVersionState::Winner, item.IsFolder, item.Entry};
    for (uint32_t child = 0; child < childCount; ++child) {
        const TMergeVersion &winner = versions[starts[child]];
        for (uint32_t i = starts[child] + 1; i < starts[child + 1]; ++i)
            versions[i].State = VersionStateAgainst(m_Archives, winner, versions[i]);
    }
}
