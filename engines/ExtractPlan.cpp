#include "engines/ExtractPlan.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "engines/SafeName.h"

#include <algorithm>
#include <unordered_set>

std::string WithSeparator(const std::string &Dir)
{
    return !Dir.empty() && Dir.back() == '/' ? Dir : Dir + '/';
}

namespace {

// True when a folder above `entry` is in `folders`. A damaged index may make
// the folders above an entry loop or fail to read: the walk stops there, and
// the entry's own extraction reports the damage.
bool InsideOneOf(const TVornFile &vorn, TEntryOffset entry, const std::unordered_set<TEntryOffset> &folders)
{
    std::unordered_set<TEntryOffset> seen{entry};
    try {
        for (TEntryOffset parent = vorn.GetParent(entry); parent != 0 && seen.insert(parent).second;
             parent = vorn.GetParent(parent))
            if (folders.count(parent))
                return true;
    } catch (const std::exception &) {
    }
    return false;
}

} // namespace

std::vector<TEntryOffset> WithoutCoveredEntries(const TVornFile &vorn, const std::vector<TEntryOffset> &selected)
{
    const std::unordered_set<TEntryOffset> chosen(selected.begin(), selected.end());
    std::unordered_set<TEntryOffset> kept;
    std::vector<TEntryOffset> entries;
    for (const TEntryOffset entry : selected)
        if (!InsideOneOf(vorn, entry, chosen) && kept.insert(entry).second)
            entries.push_back(entry);
    return entries;
}

void TExtractPlan::AddEntry(const TVornFile &vorn, const std::string &Dir, TEntryOffset Entry, TFolderMode FolderMode)
{
    if (Aborted())
        return;
    AddSubtree(vorn, AddFolder({WithSeparator(Dir), {}}), Entry, FolderMode);
}

void TExtractPlan::AddEntryWithAncestors(const TVornFile &vorn, const std::string &TargetDir, TEntryOffset Entry,
                                         TFolderMode FolderMode)
{
    if (Aborted())
        return;
    try {
        AddSubtree(vorn, AddFolder(AncestorFolder(vorn, TargetDir, Entry, FolderMode)), Entry, FolderMode);
    } catch (...) {
        AbortWith(std::current_exception());
    }
}

TPlanFolder TExtractPlan::AncestorFolder(const TVornFile &vorn, const std::string &TargetDir, TEntryOffset Entry,
                                         TFolderMode FolderMode)
{
    TPlanFolder folder{WithSeparator(TargetDir), {}};
    if (FolderMode != fnFullPath)
        return folder;
    std::vector<TEntryOffset> ancestors; // below the root, nearest first
    std::unordered_set<TEntryOffset> seen;
    for (TEntryOffset parent = vorn.GetParent(Entry); parent != 0; parent = vorn.GetParent(parent)) {
        if (!seen.insert(parent).second)
            throw Exception(FormatStr("Damaged index: the folders above entry %u form a loop", Entry));
        if (vorn.GetParent(parent) != 0)
            ancestors.push_back(parent);
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend() && folder.Path.size() <= MaxPathLength; ++it) {
        const std::string name = vorn.GetName(*it);
        if (folder.Error.empty())
            folder.Error = UnsafeNameReason(name);
        folder.Path += AnsiToUtf8(name) + '/';
    }
    if (folder.Error.empty() && folder.Path.size() > MaxPathLength)
        folder.Error = PathTooLongMessage;
    return folder;
}

uint32_t TExtractPlan::AddFolder(TPlanFolder folder)
{
    m_Folders.push_back(std::move(folder));
    return uint32_t(m_Folders.size() - 1);
}

void TExtractPlan::AbortWith(std::exception_ptr error)
{
    m_AbortError = std::move(error);
    m_Steps.push_back({TPlanStep::Abort});
}

uint32_t TExtractPlan::FolderOf(const TVornFile &vorn, uint32_t dir, TEntryOffset directory, TFolderMode FolderMode)
{
    // The root maps onto the folder it is extracted into. Below a path that
    // is too long already, every folder shares its record: a deep chain of
    // folders keeps no path per level.
    if (FolderMode == fnNone || vorn.GetParent(directory) == 0 || m_Folders[dir].Path.size() > MaxPathLength)
        return dir;
    const std::string name = vorn.GetName(directory);
    TPlanFolder folder = m_Folders[dir];
    if (folder.Error.empty())
        folder.Error = UnsafeNameReason(name);
    folder.Path += AnsiToUtf8(name) + '/';
    if (folder.Error.empty() && folder.Path.size() > MaxPathLength)
        folder.Error = PathTooLongMessage;
    return AddFolder(std::move(folder));
}

TPlanFile TExtractPlan::File(const TVornFile &vorn, const TPlanStep &step) const
{
    TPlanFile file;
    try {
        const std::string name = vorn.GetName(step.Entry);
        file.Error = UnsafeNameReason(name);
        file.Name = AnsiToUtf8(name);
        if (file.Error.empty() && m_Folders[step.FolderIndex].Path.size() + file.Name.size() > MaxPathLength)
            file.Error = PathTooLongMessage;
    } catch (const std::exception &error) {
        file.Error = error.what();
    }
    return file;
}

void TExtractPlan::AddSubtree(const TVornFile &vorn, uint32_t dir, TEntryOffset Entry, TFolderMode FolderMode)
{
    struct Frame {
        uint32_t folder;
        std::vector<TEntryOffset> children;
        size_t next = 0;
    };
    // A damaged index can list a folder inside itself: each folder's
    // children are visited once.
    std::unordered_set<TEntryOffset> entered;
    std::vector<Frame> stack;
    const auto visit = [&](uint32_t parent, TEntryOffset entry) {
        if (!vorn.IsDirectory(entry)) {
            m_Steps.push_back({TPlanStep::File, parent, entry});
            return;
        }
        const uint32_t folder = FolderOf(vorn, parent, entry, FolderMode);
        m_Steps.push_back({TPlanStep::Folder, folder, entry});
        if (vorn.GetChildCount(entry) > 0 && entered.insert(entry).second)
            stack.push_back({folder, vorn.GetChildren(entry)});
    };
    try {
        visit(dir, Entry);
        while (!stack.empty()) {
            Frame &top = stack.back();
            if (top.next == top.children.size()) {
                stack.pop_back();
                continue;
            }
            const uint32_t folder = top.folder;
            const TEntryOffset child = top.children[top.next++];
            visit(folder, child);
        }
    } catch (...) {
        AbortWith(std::current_exception());
    }
}
