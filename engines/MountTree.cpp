#include "engines/MountTree.h"

#include "engines/MergedView.h"

#include "archive/Exceptions.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::string BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TMountTree::TMountTree(const std::vector<const TVornFile *> &archives, const TMountWarning &warn)
    : m_Warn(warn)
{
    m_Nodes.push_back({});
    if (archives.size() == 1) {
        m_Nodes[0].entry = archives[0]->GetRootOffset();
        m_Nodes[0].time = archives[0]->GetFileTime(m_Nodes[0].entry);
    }
    if (archives.size() != 1)
        addArchiveFolders(archives);
    // Breadth first: every folder's children are appended together, so they
    // get consecutive inodes. Each folder of an archive is entered once, so a
    // damaged index that lists a folder inside itself still ends.
    std::vector<std::unordered_set<TEntryOffset>> entered(archives.size());
    for (uint32_t folder = 0; folder < m_Nodes.size(); ++folder) {
        const TMountNode node = m_Nodes[folder];
        if (!node.directory || node.entry == 0)
            continue;
        const TVornFile &vorn = *archives[node.archive];
        if (!entered[node.archive].insert(node.entry).second) {
            m_Warn(pathOf(folder) + ": the folder is listed twice in the archive; shown empty here");
            continue;
        }
        addChildren(folder, readChildren(folder, vorn, node.archive), archives);
    }
}

TMountTree::TMountTree(const TMergedView &view, const TMountWarning &warn) : m_Warn(warn)
{
    std::vector<const TVornFile *> archives;
    for (uint32_t i = 0; i < view.ArchiveCount(); ++i)
        archives.push_back(&view.Archive(i));
    m_Nodes.push_back({});
    m_MergeNodes.push_back(MergeRoot);
    if (!view.Layers().empty()) {
        const TMergeVersion root = view.Winner(MergeRoot);
        m_Nodes[0].archive = root.Archive;
        m_Nodes[0].entry = root.Entry;
        m_Nodes[0].time = archives[root.Archive]->GetFileTime(root.Entry);
    }
    // The merged tree has no loops (an archive whose index has one is left
    // out of the merge), so every folder is simply entered once.
    for (uint32_t folder = 0; folder < m_Nodes.size(); ++folder)
        if (m_Nodes[folder].directory)
            addChildren(folder, mergedChildren(folder, view, m_MergeNodes[folder]), archives);
    m_MergeNodes = {};
}

std::vector<TMountTree::TPendingChild> TMountTree::mergedChildren(uint32_t folder, const TMergedView &view,
                                                                  uint32_t mergeNode)
{
    std::vector<TPendingChild> children;
    for (const TMergeNodeId child : view.Children(mergeNode)) {
        const TMergeVersion winner = view.Winner(child);
        children.push_back({shownName(folder, view.Name(child)).name, winner.Entry, winner.IsFolder,
                            winner.Archive, child});
    }
    return children;
}

TMountName TMountTree::shownName(uint32_t folder, std::string_view storedName)
{
    TMountName shown = MountNameOf(storedName);
    if (!shown.reason.empty())
        m_Warn(pathOf(folder) + shown.name + ": shown under this name because " + shown.reason);
    return shown;
}

void TMountTree::addArchiveFolders(const std::vector<const TVornFile *> &archives)
{
    std::vector<TPendingChild> folders;
    for (uint16_t i = 0; i < archives.size(); ++i)
        folders.push_back({BaseName(archives[i]->FileName()), archives[i]->GetRootOffset(), true, i});
    addChildren(0, std::move(folders), archives);
}

std::vector<TMountTree::TPendingChild> TMountTree::readChildren(uint32_t folder, const TVornFile &vorn,
                                                                uint16_t archive)
{
    std::vector<TPendingChild> children;
    for (const TEntryOffset entry : vorn.GetChildren(m_Nodes[folder].entry))
        children.push_back({shownName(folder, vorn.GetName(entry)).name, entry, vorn.IsDirectory(entry), archive});
    return children;
}

// Two entries of one name in a folder: the later ones get a number.
void TMountTree::makeNamesUnique(uint32_t folder, std::vector<TPendingChild> &children)
{
    std::unordered_set<std::string> taken;
    std::vector<size_t> repeats;
    for (size_t i = 0; i < children.size(); ++i)
        if (!taken.insert(children[i].name).second)
            repeats.push_back(i);
    for (const size_t i : repeats) {
        std::string unique;
        for (unsigned n = 2; !taken.insert(unique = NumberedName(children[i].name, n)).second; ++n) {
        }
        m_Warn(pathOf(folder) + unique + ": shown under this name because its folder holds another \""
               + children[i].name + "\"");
        children[i].name = std::move(unique);
    }
}

void TMountTree::addChildren(uint32_t folder, std::vector<TPendingChild> children,
                             const std::vector<const TVornFile *> &archives)
{
    makeNamesUnique(folder, children);
    std::sort(children.begin(), children.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    m_Nodes[folder].firstChild = uint32_t(m_Nodes.size());
    m_Nodes[folder].childCount = uint32_t(children.size());
    for (const TPendingChild &child : children) {
        if (m_Nodes.size() >= UINT32_MAX - 1)
            throw Exception("The archives hold too many entries to mount");
        TMountNode node;
        node.parent = folder;
        node.nameStart = storeName(child.name);
        node.nameLength = uint8_t(child.name.size());
        node.directory = child.directory;
        node.archive = child.archive;
        node.entry = child.entry;
        const TVornFile &vorn = *archives[child.archive];
        node.time = vorn.GetFileTime(child.entry);
        if (!child.directory) {
            node.size = vorn.GetSize(child.entry);
            m_TotalFileBytes += node.size;
        }
        m_Nodes.push_back(node);
        if (!m_MergeNodes.empty())
            m_MergeNodes.push_back(child.mergeNode);
    }
}

uint32_t TMountTree::storeName(const std::string &name)
{
    const uint32_t start = uint32_t(m_Names.size());
    m_Names += name;
    return start;
}

std::string_view TMountTree::name(TMountInode inode) const
{
    const TMountNode &n = node(inode);
    return std::string_view(m_Names).substr(n.nameStart, n.nameLength);
}

// The path under the mount point, for messages: "art/maps/".
std::string TMountTree::pathOf(uint32_t index) const
{
    std::string path;
    for (uint32_t i = index; i != 0; i = m_Nodes[i].parent)
        path.insert(0, std::string(name(i + 1)) + "/");
    return path;
}

TMountInode TMountTree::lookup(TMountInode folder, std::string_view childName) const
{
    const TMountNode &f = node(folder);
    if (!f.directory)
        return 0;
    uint32_t low = f.firstChild;
    uint32_t high = f.firstChild + f.childCount;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        const std::string_view candidate = name(middle + 1);
        if (candidate == childName)
            return middle + 1;
        if (candidate < childName)
            low = middle + 1;
        else
            high = middle;
    }
    return 0;
}
