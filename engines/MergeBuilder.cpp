#include "engines/MergeBuilder.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <algorithm>
#include <bit>
#include <utility>

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

TMergeBuilder::TMergeBuilder(std::vector<const TVornFile *> archives, std::vector<uint16_t> topDown)
    : m_Archives(std::move(archives)), m_TopDown(std::move(topDown))
{
}

TMergedTree TMergeBuilder::Build()
{
    m_Tree = {};
    m_Entered.clear();
    m_Tree.Nodes.push_back({});
    for (const uint16_t archive : m_TopDown) {
        try {
            m_Tree.Versions.push_back({archive, TVersionState::Winner, true, m_Archives[archive]->GetRootOffset()});
        } catch (const Exception &e) {
            throw TDamagedMember{archive, e.message()};
        }
    }
    m_Tree.Nodes[MergeRoot].VersionCount = uint32_t(m_TopDown.size());
    for (uint32_t i = 1; i < m_TopDown.size(); ++i)
        m_Tree.Versions[i].State = TVersionState::Folder;
    std::vector<TMergeNodeId> open{MergeRoot};
    while (!open.empty()) {
        const TMergeNodeId node = open.back();
        open.pop_back();
        MergeFolder(node);
        const TMergeNode &merged = m_Tree.Nodes[node];
        for (TMergeNodeId child = merged.FirstChild; child < merged.FirstChild + merged.ChildCount; ++child)
            if (m_Tree.Versions[m_Tree.Nodes[child].FirstVersion].IsFolder)
                open.push_back(child);
    }
    m_Items = {};
    m_Slots = {};
    m_Counts = {};
    return std::move(m_Tree);
}

void TMergeBuilder::MergeFolder(TMergeNodeId node)
{
    m_Items.clear();
    const TMergeNode merged = m_Tree.Nodes[node];
    // Only folders have children to merge: below a winning file a folder's
    // contents stay hidden, and a file below a winning folder adds nothing.
    for (uint32_t i = 0; i < merged.VersionCount; ++i) {
        const TMergeVersion version = m_Tree.Versions[merged.FirstVersion + i];
        if (version.IsFolder)
            GatherChildren(version.Archive, version.Entry);
    }
    const uint32_t childCount = GroupByName();
    if (m_Tree.Nodes.size() + childCount >= NoMergeNode)
        throw Exception("Too many paths to merge");
    const TMergeNodeId firstChild = TMergeNodeId(m_Tree.Nodes.size());
    m_Tree.Nodes[node].FirstChild = firstChild;
    m_Tree.Nodes[node].ChildCount = childCount;
    m_Tree.Nodes.resize(m_Tree.Nodes.size() + childCount, TMergeNode{node, 0, 0, 0, 0});
    PlaceVersions(firstChild, childCount);
}

void TMergeBuilder::GatherChildren(uint16_t archive, TEntryOffset folder)
{
    const TVornFile &vorn = *m_Archives[archive];
    try {
        // A damaged index can list a folder inside itself; entering it again
        // would never end.
        if (!m_Entered.insert(uint64_t(archive) << 32 | folder).second)
            throw Exception(FormatStr("Damaged index: folder %u is listed more than once", folder));
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

uint32_t TMergeBuilder::GroupByName()
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

void TMergeBuilder::PlaceVersions(TMergeNodeId firstChild, uint32_t childCount)
{
    // A counting sort by group that keeps the gathered order: highest
    // priority first, and within one archive the stored order.
    m_Counts.assign(childCount + 1, 0);
    for (const TItem &item : m_Items)
        ++m_Counts[item.Child + 1];
    const uint32_t base = uint32_t(m_Tree.Versions.size());
    for (uint32_t child = 0; child < childCount; ++child) {
        TMergeNode &node = m_Tree.Nodes[firstChild + child];
        node.FirstVersion = base + m_Counts[child];
        node.VersionCount = m_Counts[child + 1];
        m_Counts[child + 1] += m_Counts[child];
    }
    m_Tree.Versions.resize(base + m_Items.size());
    for (uint32_t child = 0; child < childCount; ++child)
        m_Counts[child] = m_Tree.Nodes[firstChild + child].FirstVersion;
    for (const TItem &item : m_Items)
        m_Tree.Versions[m_Counts[item.Child]++] = {item.Archive, TVersionState::Winner, item.IsFolder, item.Entry};
    for (uint32_t child = 0; child < childCount; ++child) {
        const TMergeNode &node = m_Tree.Nodes[firstChild + child];
        const TMergeVersion &winner = m_Tree.Versions[node.FirstVersion];
        for (uint32_t i = 1; i < node.VersionCount; ++i) {
            TMergeVersion &version = m_Tree.Versions[node.FirstVersion + i];
            version.State = StateAgainst(winner, version);
        }
    }
}

TVersionState TMergeBuilder::StateAgainst(const TMergeVersion &winner, const TMergeVersion &version) const
{
    if (winner.IsFolder != version.IsFolder)
        return TVersionState::OtherKind;
    if (version.IsFolder)
        return TVersionState::Folder;
    const TVornFile &a = *m_Archives[winner.Archive];
    const TVornFile &b = *m_Archives[version.Archive];
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
