#include "engines/MergeBuilder.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <unordered_set>
#include <utility>

uint32_t MergeNameHash(TMergeNodeId parent, std::string_view name)
{
    // FNV-1a over the folded bytes, started from the parent's number.
    uint64_t hash = 0xcbf29ce484222325ull ^ (uint64_t(parent) * 0x9e3779b97f4a7c15ull);
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

TMergeBuilder::TMergeBuilder(std::vector<const TVornFile *> archives) : m_Archives(std::move(archives))
{
    m_Nodes.push_back({}); // the root, never in the table: it has no parent
    m_Slots.resize(1024);
}

void TMergeBuilder::AddBelow(uint16_t archive)
{
    const size_t nodes = m_Nodes.size();
    const size_t versions = m_Pending.size();
    try {
        Walk(archive);
    } catch (...) {
        RollBack(nodes, versions);
        throw;
    }
}

void TMergeBuilder::Walk(uint16_t archive)
{
    const TVornFile &vorn = *m_Archives[archive];
    const TEntryOffset root = vorn.GetRootOffset();
    if (m_Nodes[MergeRoot].WinnerEntry == 0)
        m_Nodes[MergeRoot] = {NoMergeNode, root, archive, true};
    m_Pending.push_back({MergeRoot, {archive, TVersionState::Winner, true, root}});
    // Each folder is entered once: a damaged index can list a folder inside
    // itself, and walking it again would never end.
    std::unordered_set<TEntryOffset> entered;
    std::vector<std::pair<TEntryOffset, TMergeNodeId>> open{{root, MergeRoot}};
    while (!open.empty()) {
        const auto [folder, node] = open.back();
        open.pop_back();
        if (!entered.insert(folder).second)
            throw Exception(FormatStr("Damaged index: folder %u is listed more than once", folder));
        for (const TEntryOffset child : vorn.GetChildren(folder)) {
            if (child == 0) // the parent of the root, never an entry
                throw Exception(FormatStr("Damaged index: folder %u lists entry 0", folder));
            const bool isFolder = vorn.IsDirectory(child);
            const TMergeNodeId id = FindOrAdd(node, vorn.GetNameView(child), archive, child, isFolder);
            m_Pending.push_back({id, {archive, TVersionState::Winner, isFolder, child}});
            // Below a winning file a folder's contents stay hidden.
            if (isFolder && m_Nodes[id].IsFolder)
                open.emplace_back(child, id);
        }
    }
}

TMergeNodeId TMergeBuilder::FindOrAdd(TMergeNodeId parent, std::string_view name, uint16_t archive,
                                      TEntryOffset entry, bool isFolder)
{
    const uint32_t hash = MergeNameHash(parent, name);
    const size_t mask = m_Slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const TSlot &slot = m_Slots[i];
        if (slot.Node == NoMergeNode)
            break;
        if (slot.Hash == hash && m_Nodes[slot.Node].Parent == parent && SameFoldedName(WinnerName(slot.Node), name))
            return slot.Node;
    }
    if (m_Nodes.size() >= NoMergeNode - 1)
        throw Exception("Too many paths to merge");
    const TMergeNodeId node = TMergeNodeId(m_Nodes.size());
    m_Nodes.push_back({parent, entry, archive, isFolder});
    if (2 * (m_Used + 1) > m_Slots.size())
        Grow();
    Insert(node, hash);
    return node;
}

std::string_view TMergeBuilder::WinnerName(TMergeNodeId node) const
{
    const TGrowingNode &n = m_Nodes[node];
    return m_Archives[n.WinnerArchive]->GetNameView(n.WinnerEntry);
}

void TMergeBuilder::Insert(TMergeNodeId node, uint32_t hash)
{
    const size_t mask = m_Slots.size() - 1;
    size_t i = hash & mask;
    while (m_Slots[i].Node != NoMergeNode)
        i = (i + 1) & mask;
    m_Slots[i] = {node, hash};
    ++m_Used;
}

void TMergeBuilder::Grow()
{
    std::vector<TSlot> old(m_Slots.size() * 2);
    old.swap(m_Slots);
    m_Used = 0;
    for (const TSlot &slot : old)
        if (slot.Node != NoMergeNode)
            Insert(slot.Node, slot.Hash);
}

void TMergeBuilder::RollBack(size_t nodes, size_t versions)
{
    m_Nodes.resize(nodes);
    m_Pending.resize(versions);
    if (versions == 0)
        m_Nodes[MergeRoot] = {};
    // Open addressing can't simply drop entries; the table is made again
    // from the nodes that stay (names are read, not stored).
    std::fill(m_Slots.begin(), m_Slots.end(), TSlot{});
    m_Used = 0;
    for (TMergeNodeId node = 1; node < nodes; ++node)
        Insert(node, MergeNameHash(m_Nodes[node].Parent, WinnerName(node)));
}

TMergedTree TMergeBuilder::Finish()
{
    TMergedTree tree;
    const size_t count = m_Nodes.size();
    tree.Nodes.resize(count);
    // Versions and children are each grouped by node with a counting sort
    // that keeps their order: versions stay highest priority first, children
    // in the order they were met.
    for (const TPendingVersion &pending : m_Pending)
        ++tree.Nodes[pending.Node].VersionCount;
    for (TMergeNodeId node = 1; node < count; ++node)
        ++tree.Nodes[m_Nodes[node].Parent].ChildCount;
    uint32_t versionStart = 0, childStart = 0;
    for (TMergeNode &node : tree.Nodes) {
        node.FirstVersion = versionStart;
        node.FirstChild = childStart;
        versionStart += node.VersionCount;
        childStart += node.ChildCount;
        node.VersionCount = node.ChildCount = 0;
    }
    tree.Versions.resize(m_Pending.size());
    for (const TPendingVersion &pending : m_Pending) {
        TMergeNode &node = tree.Nodes[pending.Node];
        tree.Versions[node.FirstVersion + node.VersionCount++] = pending.Version;
    }
    tree.Children.resize(count > 0 ? count - 1 : 0);
    for (TMergeNodeId id = 1; id < count; ++id) {
        TMergeNode &parent = tree.Nodes[m_Nodes[id].Parent];
        tree.Children[parent.FirstChild + parent.ChildCount++] = id;
        tree.Nodes[id].Parent = m_Nodes[id].Parent;
    }
    for (const TMergeNode &node : tree.Nodes)
        for (uint32_t i = 1; i < node.VersionCount; ++i) {
            TMergeVersion &version = tree.Versions[node.FirstVersion + i];
            version.State = StateAgainst(tree.Versions[node.FirstVersion], version);
        }
    m_Pending = {};
    m_Slots = {};
    return tree;
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
