#include "engines/MergeBuilder.h"

#include "archive/Exceptions.h"

#include <utility>

TMergeBuilder::TMergeBuilder(std::vector<const TVornFile *> archives, std::vector<uint16_t> topDown)
    : m_Archives(std::move(archives)), m_TopDown(std::move(topDown))
{
}

TMergedTree TMergeBuilder::Build()
{
    m_Tree = {};
    m_Entered.clear();
    m_Open.clear();
    m_Pool.clear();
    TMergeNode root;
    for (const uint16_t archive : m_TopDown) {
        try {
            m_Pool.push_back({archive, TVersionState::Folder, true, m_Archives[archive]->GetRootOffset()});
        } catch (const Exception &e) {
            throw TDamagedMember{archive, e.message()};
        }
    }
    if (!m_Pool.empty()) {
        m_Pool.front().State = TVersionState::Winner;
        root.Archive = m_Pool.front().Archive;
        root.Entry = m_Pool.front().Entry;
        root.IsFolder = true;
        root.HiddenCount = uint32_t(m_Pool.size() - 1);
    }
    m_Tree.Nodes.push_back(root);
    m_Open.push_back({MergeRoot, 0, uint32_t(m_Pool.size())});
    while (!m_Open.empty()) {
        const TOpenFolder open = m_Open.back();
        m_Open.pop_back();
        MergeFolder(open);
    }
    m_Merge.Result() = {};
    m_Pool = {};
    m_Folders = {};
    m_Tree.Nodes.shrink_to_fit(); // the view lives on: no spare room kept from growing
    return std::move(m_Tree);
}

void TMergeBuilder::MergeFolder(const TOpenFolder &open)
{
    // The last folder opened is the last in the pool: take its versions off.
    m_Folders.assign(m_Pool.begin() + open.First, m_Pool.begin() + open.First + open.Count);
    m_Pool.resize(open.First);
    for (const TMergeVersion &folder : m_Folders)
        EnterOnce(folder);
    m_Merge.Merge(m_Folders);
    AddChildren(open.Node);
}

void TMergeBuilder::AddChildren(TMergeNodeId node)
{
    const TChildStacks &stacks = m_Merge.Result();
    const uint32_t childCount = stacks.Count();
    if (m_Tree.Nodes.size() + childCount >= NoMergeNode)
        throw Exception("Too many paths to merge");
    const TMergeNodeId firstChild = TMergeNodeId(m_Tree.Nodes.size());
    m_Tree.Nodes[node].FirstChild = firstChild;
    m_Tree.Nodes[node].ChildCount = childCount;
    for (uint32_t child = 0; child < childCount; ++child) {
        const std::span<const TMergeVersion> stack = stacks.Of(child);
        TMergeNode merged;
        merged.Parent = node;
        merged.Archive = stack[0].Archive;
        merged.Entry = stack[0].Entry;
        merged.IsFolder = stack[0].IsFolder;
        merged.HiddenCount = uint32_t(stack.size() - 1);
        for (const TMergeVersion &version : stack)
            merged.KindConflict = merged.KindConflict || version.State == TVersionState::OtherKind;
        m_Tree.Nodes.push_back(merged);
        // Only a winning folder has children to merge: below a winning file a
        // folder's contents stay hidden.
        if (merged.IsFolder)
            OpenFolder(firstChild + child, stack);
    }
}

void TMergeBuilder::OpenFolder(TMergeNodeId node, std::span<const TMergeVersion> stack)
{
    const uint32_t first = uint32_t(m_Pool.size());
    for (const TMergeVersion &version : stack)
        if (version.IsFolder) // a file below a winning folder adds nothing
            m_Pool.push_back(version);
    m_Open.push_back({node, first, uint32_t(m_Pool.size()) - first});
}

void TMergeBuilder::EnterOnce(const TMergeVersion &folder)
{
    if (!m_Entered.insert(uint64_t(folder.Archive) << 32 | folder.Entry).second)
        throw TDamagedMember{folder.Archive,
                             FormatStr("Damaged index: folder %u is listed more than once", folder.Entry)};
}
