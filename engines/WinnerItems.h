#pragma once
// TWinnerItems: which items of the archives' name indexes the game sees. For
// each archive of a merged view, the merged node every item of its name index
// wins, or none for a version another archive hides (and for everything
// below a folder a file hides). A search over the game view scans the
// archives' name indexes as usual and keeps the items that win, so hidden
// versions are never found. Four bytes per indexed item, made in one pass
// over the merged tree.

#include "engines/MergedTree.h"

#include <cstdint>
#include <vector>

class TMergedView;
class TNameIndex;

class TWinnerItems {
public:
    // indexes[a] is the name index of the view's archive a; null for an
    // archive that is not searched. The view and the indexes must outlive
    // the object.
    TWinnerItems(const TMergedView &view, const std::vector<const TNameIndex *> &indexes);

    // The node that item `item` of archive `archive` wins; NoMergeNode when
    // it is hidden.
    TMergeNodeId NodeOf(uint32_t archive, uint32_t item) const;
    // Keeps the items of an archive that win a path below `folder`
    // (MergeRoot: anywhere) and gives their nodes, in the items' order.
    void Keep(uint32_t archive, std::vector<uint32_t> &items, std::vector<TMergeNodeId> &nodes,
              TMergeNodeId folder) const;

private:
    bool Below(TMergeNodeId node, TMergeNodeId folder) const;

    const TMergedView &m_View;
    std::vector<std::vector<TMergeNodeId>> m_NodeOfItem; // by archive, by item
};
