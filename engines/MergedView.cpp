#include "engines/MergedView.h"

#include "archive/Exceptions.h"
#include "engines/FolderMerge.h"
#include "engines/MergeBuilder.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

std::string_view BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

} // namespace

int ComparePriority(uint32_t a, uint32_t b)
{
    const uint32_t classA = (a & 0xF000) >> 12, classB = (b & 0xF000) >> 12;
    if (classA != classB)
        return classA < classB ? -1 : 1;
    const uint32_t numberA = a >> 16, numberB = b >> 16;
    if (numberA != numberB)
        return numberA < numberB ? -1 : 1;
    return 0;
}

const char *VersionStateText(TVersionState state)
{
    switch (state) {
    case TVersionState::Winner: return "winner";
    case TVersionState::Same: return "same";
    case TVersionState::Different: return "different";
    case TVersionState::Unsettled: return "unsettled";
    case TVersionState::OtherKind: return "other kind";
    case TVersionState::Folder: return "folder";
    }
    return "?";
}

TMergedView::TMergedView(std::vector<const TVornFile *> archives) : m_Archives(std::move(archives))
{
    if (m_Archives.size() > UINT16_MAX)
        throw Exception(FormatStr("Too many archives to merge (%zu; at most %u)", m_Archives.size(), UINT16_MAX));
    const std::vector<uint32_t> order = PriorityOrder();
    std::vector<uint16_t> topDown(order.rbegin(), order.rend());
    // A damaged member is found while merging; it is left out and the rest
    // merged again, which costs nothing while every archive is sound.
    for (;;) {
        try {
            m_Tree = TMergeBuilder(m_Archives, topDown).Build();
            break;
        } catch (const TDamagedMember &damaged) {
            m_Failures.push_back({damaged.Archive, damaged.Message});
            std::erase(topDown, damaged.Archive);
        }
    }
    m_Layers.assign(topDown.rbegin(), topDown.rend());
    std::sort(m_Failures.begin(), m_Failures.end(),
              [](const TFailure &a, const TFailure &b) { return a.Archive < b.Archive; });
    CollectTies();
}

std::vector<uint32_t> TMergedView::PriorityOrder() const
{
    std::vector<uint32_t> order(m_Archives.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        const TVornFile &x = *m_Archives[a];
        const TVornFile &y = *m_Archives[b];
        if (const int c = ComparePriority(x.Header().m_Priority, y.Header().m_Priority); c != 0)
            return c < 0;
        if (const int c = BaseName(x.FileName()).compare(BaseName(y.FileName())); c != 0)
            return c < 0;
        return x.FileName() < y.FileName();
    });
    return order;
}

void TMergedView::CollectTies()
{
    for (size_t i = 0; i < m_Layers.size();) {
        size_t j = i + 1;
        const uint32_t priority = m_Archives[m_Layers[i]]->Header().m_Priority;
        while (j < m_Layers.size() && ComparePriority(priority, m_Archives[m_Layers[j]]->Header().m_Priority) == 0)
            ++j;
        if (j - i > 1)
            m_Ties.emplace_back(m_Layers.begin() + ptrdiff_t(i), m_Layers.begin() + ptrdiff_t(j));
        i = j;
    }
}

TMergeNodeRange TMergedView::Children(TMergeNodeId node) const
{
    const TMergeNode &n = m_Tree.Nodes[node];
    return {n.FirstChild, n.FirstChild + n.ChildCount};
}

TMergeVersion TMergedView::Winner(TMergeNodeId node) const
{
    const TMergeNode &n = m_Tree.Nodes[node];
    return {n.Archive, TVersionState::Winner, n.IsFolder, n.Entry};
}

std::vector<TMergeVersion> TMergedView::RootVersions() const
{
    std::vector<TMergeVersion> roots;
    for (auto it = m_Layers.rbegin(); it != m_Layers.rend(); ++it)
        roots.push_back({uint16_t(*it), roots.empty() ? TVersionState::Winner : TVersionState::Folder, true,
                         m_Archives[*it]->GetRootOffset()});
    return roots;
}

std::vector<TMergeVersion> TMergedView::FolderVersions(TMergeNodeId folder) const
{
    // From the root down, without recursion: a damaged index can nest
    // folders very deep.
    std::vector<TMergeNodeId> chain;
    for (TMergeNodeId n = folder; n != MergeRoot; n = Parent(n))
        chain.push_back(n);
    std::vector<TMergeVersion> folders = RootVersions();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        folders = VersionsIn(folders, *it);
        std::erase_if(folders, [](const TMergeVersion &version) { return !version.IsFolder; });
    }
    return folders;
}

std::vector<TMergeVersion> TMergedView::VersionsIn(const std::vector<TMergeVersion> &folders, TMergeNodeId node) const
{
    // The path's versions are the children of that name in the parent's
    // folders, in the order the merge met them.
    const TMergeNode &n = m_Tree.Nodes[node];
    const std::string_view name = m_Archives[n.Archive]->GetNameView(n.Entry);
    std::vector<TMergeVersion> stack;
    stack.reserve(n.HiddenCount + 1);
    for (const TMergeVersion &folder : folders) {
        const TVornFile &vorn = *m_Archives[folder.Archive];
        for (const TEntryOffset child : vorn.GetChildren(folder.Entry))
            if (SameFoldedName(vorn.GetNameView(child), name))
                stack.push_back({folder.Archive, TVersionState::Winner, vorn.IsDirectory(child), child});
    }
    return stack;
}

std::vector<TMergeVersion> TMergedView::Versions(TMergeNodeId node) const
{
    if (node == MergeRoot)
        return RootVersions();
    std::vector<TMergeVersion> stack = VersionsIn(FolderVersions(Parent(node)), node);
    for (size_t i = 1; i < stack.size(); ++i)
        stack[i].State = VersionStateAgainst(m_Archives, stack[0], stack[i]);
    ApplySettled(node, stack);
    return stack;
}

TChildStacks TMergedView::ChildStacks(TMergeNodeId folder) const
{
    return ChildStacks(folder, folder == MergeRoot ? RootVersions() : Versions(folder));
}

TChildStacks TMergedView::ChildStacks(TMergeNodeId folder, std::span<const TMergeVersion> stack) const
{
    TChildStacks stacks;
    stacks.FirstChild = m_Tree.Nodes[folder].FirstChild;
    if (!IsFolder(folder))
        return stacks;
    std::vector<TMergeVersion> folders;
    for (const TMergeVersion &version : stack)
        if (version.IsFolder)
            folders.push_back(version);
    TFolderMerge merge(m_Archives);
    merge.Merge(folders);
    stacks.Versions = std::move(merge.Result().Versions);
    stacks.Starts = std::move(merge.Result().Starts);
    if (!m_Settled.empty())
        for (const TMergeNodeId child : Children(folder)) {
            const uint32_t i = child - stacks.FirstChild;
            ApplySettled(child, std::span(stacks.Versions).subspan(stacks.Starts[i], stacks.Starts[i + 1] - stacks.Starts[i]));
        }
    return stacks;
}

void TMergedView::ApplySettled(TMergeNodeId node, std::span<TMergeVersion> stack) const
{
    const auto settled = m_Settled.find(node);
    if (settled == m_Settled.end() || settled->second.size() != stack.size())
        return;
    for (size_t i = 0; i < stack.size(); ++i)
        stack[i].State = settled->second[i];
}

bool TMergedView::IsFolder(TMergeNodeId node) const
{
    return node == MergeRoot || m_Tree.Nodes[node].IsFolder;
}

bool TMergedView::HasKindConflict(TMergeNodeId node) const
{
    return m_Tree.Nodes[node].KindConflict;
}

bool TMergedView::InConflict(TMergeNodeId node) const
{
    if (node == MergeRoot)
        return false;
    return IsFolder(node) ? HasKindConflict(node) : HiddenCount(node) > 0;
}

bool TMergedView::HasConflictBelow(TMergeNodeId node) const
{
    if (m_ConflictBelow.empty()) {
        // A child always comes after its parent, so one pass from the end
        // settles every folder before its parent is reached.
        m_ConflictBelow.assign(m_Tree.Nodes.size(), false);
        for (TMergeNodeId n = TMergeNodeId(m_Tree.Nodes.size()); n-- > 1;)
            if (m_ConflictBelow[n] || InConflict(n))
                m_ConflictBelow[Parent(n)] = true;
    }
    return m_ConflictBelow[node];
}

std::string TMergedView::Name(TMergeNodeId node) const
{
    if (node == MergeRoot)
        return {};
    const TMergeVersion &winner = Winner(node);
    return std::string(m_Archives[winner.Archive]->GetNameView(winner.Entry));
}

std::string TMergedView::Path(TMergeNodeId node) const
{
    std::vector<TMergeNodeId> chain;
    for (TMergeNodeId n = node; n != MergeRoot; n = Parent(n))
        chain.push_back(n);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        const TMergeVersion &winner = Winner(*it);
        path += m_Archives[winner.Archive]->GetNameView(winner.Entry);
    }
    return path;
}

TMergeNodeId TMergedView::Find(std::string_view path) const
{
    TMergeNodeId node = MergeRoot;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        TMergeNodeId found = NoMergeNode;
        for (const TMergeNodeId child : Children(node)) {
            const TMergeVersion &winner = Winner(child);
            if (SameFoldedName(m_Archives[winner.Archive]->GetNameView(winner.Entry), name)) {
                found = child;
                break;
            }
        }
        if (found == NoMergeNode)
            return NoMergeNode;
        node = found;
    }
    return node;
}

void TMergedView::SettleVersions(TMergeNodeId node)
{
    std::vector<TMergeVersion> stack = Versions(node);
    if (std::none_of(stack.begin(), stack.end(),
                     [](const TMergeVersion &version) { return version.State == TVersionState::Unsettled; }))
        return;
    Settle(stack);
    std::vector<TVersionState> &states = m_Settled[node];
    states.clear();
    for (const TMergeVersion &version : stack)
        states.push_back(version.State);
}

void TMergedView::Settle(std::vector<TMergeVersion> &stack) const
{
    TFileBuffer winnerBytes;
    bool winnerRead = false, winnerReadable = false;
    for (size_t i = 1; i < stack.size(); ++i) {
        TMergeVersion &version = stack[i];
        if (version.State != TVersionState::Unsettled)
            continue;
        version.State = TVersionState::Different;
        try {
            if (!winnerRead) {
                winnerRead = true;
                winnerBytes = m_Archives[stack[0].Archive]->ReadFile(stack[0].Entry);
                winnerReadable = true;
            }
            if (!winnerReadable)
                continue;
            const TFileBuffer bytes = m_Archives[version.Archive]->ReadFile(version.Entry);
            if (bytes.size() == winnerBytes.size() && std::memcmp(bytes.data(), winnerBytes.data(), bytes.size()) == 0)
                version.State = TVersionState::Same;
        } catch (const Exception &) {
            // left as different
        }
    }
}

size_t TMergedView::MemoryBytes() const
{
    size_t settled = 0;
    for (const auto &[node, states] : m_Settled)
        settled += sizeof(node) + sizeof(states) + states.capacity() + 2 * sizeof(void *);
    return m_Tree.Nodes.capacity() * sizeof(TMergeNode) + m_Archives.capacity() * sizeof(void *)
           + m_Layers.capacity() * sizeof(uint32_t) + settled;
}
