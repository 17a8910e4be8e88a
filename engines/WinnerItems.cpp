#include "engines/WinnerItems.h"

#include "engines/MergedView.h"
#include "engines/NameIndex.h"

#include <algorithm>
#include <utility>

TWinnerItems::TWinnerItems(const TMergedView &view, const std::vector<const TNameIndex *> &indexes)
    : m_View(view), m_NodeOfItem(indexes.size())
{
    // The winners of each archive by entry, then each indexed item looked up.
    std::vector<std::vector<std::pair<TEntryOffset, TMergeNodeId>>> winners(indexes.size());
    for (TMergeNodeId node = MergeRoot + 1; node < view.NodeCount(); ++node) {
        const TMergeVersion winner = view.Winner(node);
        if (winner.Archive < indexes.size() && indexes[winner.Archive])
            winners[winner.Archive].emplace_back(winner.Entry, node);
    }
    for (size_t archive = 0; archive < indexes.size(); ++archive) {
        if (!indexes[archive])
            continue;
        std::vector<std::pair<TEntryOffset, TMergeNodeId>> &byEntry = winners[archive];
        std::sort(byEntry.begin(), byEntry.end());
        const TNameIndex &index = *indexes[archive];
        std::vector<TMergeNodeId> &nodes = m_NodeOfItem[archive];
        nodes.assign(index.Count(), NoMergeNode);
        for (size_t item = 0; item < index.Count(); ++item) {
            const TEntryOffset entry = index.Item(item).Entry;
            const auto found = std::lower_bound(byEntry.begin(), byEntry.end(), std::pair(entry, TMergeNodeId(0)));
            if (found != byEntry.end() && found->first == entry)
                nodes[item] = found->second;
        }
    }
}

TMergeNodeId TWinnerItems::NodeOf(uint32_t archive, uint32_t item) const
{
    const std::vector<TMergeNodeId> &nodes = m_NodeOfItem[archive];
    return item < nodes.size() ? nodes[item] : NoMergeNode;
}

void TWinnerItems::Keep(uint32_t archive, std::vector<uint32_t> &items, std::vector<TMergeNodeId> &nodes,
                        TMergeNodeId folder) const
{
    nodes.clear();
    size_t kept = 0;
    for (const uint32_t item : items) {
        const TMergeNodeId node = NodeOf(archive, item);
        if (node == NoMergeNode || !Below(node, folder))
            continue;
        items[kept++] = item;
        nodes.push_back(node);
    }
    items.resize(kept);
}

bool TWinnerItems::Below(TMergeNodeId node, TMergeNodeId folder) const
{
    if (folder == MergeRoot)
        return true;
    for (TMergeNodeId above = m_View.Parent(node); above != NoMergeNode; above = m_View.Parent(above)) {
        if (above == folder)
            return true;
        if (above == MergeRoot)
            return false;
    }
    return false;
}
