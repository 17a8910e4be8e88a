#include "engines/MountTree.h"

#include "engines/MountName.h"

#include "archive/Exceptions.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

namespace {

std::string BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ByName(const auto &a, const auto &b)
{
    return a.name < b.name;
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
        addChildren(folder, readChildren(folder, vorn), node.archive, &vorn);
    }
}

void TMountTree::addArchiveFolders(const std::vector<const TVornFile *> &archives)
{
    std::vector<TPendingChild> folders;
    for (const TVornFile *vorn : archives)
        folders.push_back({BaseName(vorn->FileName()), vorn->GetRootOffset(), true});
    // The folders stay in the archives' order until they are sorted, so
    // remember which archive each one is.
    std::vector<std::pair<std::string, uint16_t>> named;
    makeNamesUnique(0, folders);
    for (uint16_t i = 0; i < folders.size(); ++i)
        named.emplace_back(folders[i].name, i);
    std::sort(named.begin(), named.end());
    m_Nodes[0].firstChild = uint32_t(m_Nodes.size());
    m_Nodes[0].childCount = uint32_t(named.size());
    for (const auto &[name, archive] : named) {
        TMountNode node;
        node.nameStart = storeName(name);
        node.nameLength = uint8_t(name.size());
        node.archive = archive;
        node.entry = archives[archive]->GetRootOffset();
        node.time = archives[archive]->GetFileTime(node.entry);
        m_Nodes.push_back(node);
    }
}

std::vector<TMountTree::TPendingChild> TMountTree::readChildren(uint32_t folder, const TVornFile &vorn)
{
    std::vector<TPendingChild> children;
    for (const TEntryOffset entry : vorn.GetChildren(m_Nodes[folder].entry)) {
        TMountName shown = MountNameOf(vorn.GetName(entry));
        if (!shown.reason.empty())
            m_Warn(pathOf(folder) + shown.name + ": shown under this name because " + shown.reason);
        children.push_back({std::move(shown.name), entry, vorn.IsDirectory(entry)});
    }
    makeNamesUnique(folder, children);
    std::sort(children.begin(), children.end(), ByName<TPendingChild, TPendingChild>);
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

void TMountTree::addChildren(uint32_t folder, std::vector<TPendingChild> children, uint16_t archive,
                             const TVornFile *vorn)
{
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
        node.archive = archive;
        node.entry = child.entry;
        node.time = vorn->GetFileTime(child.entry);
        if (!child.directory) {
            node.size = vorn->GetSize(child.entry);
            m_TotalFileBytes += node.size;
        }
        m_Nodes.push_back(node);
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
