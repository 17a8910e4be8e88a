#include "browser/DamagedEntries.h"

#include "archive/vmVornFile.h"

#include <algorithm>
#include <exception>

void TDamagedEntries::Set(const TVornFile *vorn, const std::vector<TDamagedEntry> &damaged, bool complete)
{
    if (complete)
        m_Complete.insert(vorn);
    else
        m_Complete.erase(vorn);
    auto &entries = m_Entries[vorn];
    entries.clear();
    for (const TDamagedEntry &entry : damaged)
        entries.emplace(entry.Entry, entry.Reason);
    m_Holders[vorn] = vorn ? CountHolders(*vorn, damaged) : std::unordered_map<TEntryOffset, int>();
}

std::unordered_map<TEntryOffset, int> TDamagedEntries::CountHolders(const TVornFile &vorn,
                                                                   const std::vector<TDamagedEntry> &damaged)
{
    std::unordered_map<TEntryOffset, int> holders;
    for (const TDamagedEntry &entry : damaged) {
        if (entry.Entry == 0) // a part of the index, not an entry
            continue;
        // A damaged index may link folders in a circle or out of the index:
        // each folder counts once, and the walk ends at what can't be read.
        std::unordered_set<TEntryOffset> seen;
        try {
            for (TEntryOffset folder = vorn.GetParent(entry.Entry);
                 folder != 0 && vorn.IsDirectory(folder) && seen.insert(folder).second;
                 folder = vorn.GetParent(folder))
                ++holders[folder];
        } catch (const std::exception &) {
        }
    }
    return holders;
}

void TDamagedEntries::Forget(const TVornFile *vorn)
{
    m_Entries.erase(vorn);
    m_Holders.erase(vorn);
    m_Complete.erase(vorn);
}

const std::string *TDamagedEntries::Find(const TVornFile *vorn, TEntryOffset entry) const
{
    const auto archive = m_Entries.find(vorn);
    if (archive == m_Entries.end())
        return nullptr;
    const auto found = archive->second.find(entry);
    return found == archive->second.end() ? nullptr : &found->second;
}

int TDamagedEntries::DamagedBelow(const TVornFile *vorn, TEntryOffset folder) const
{
    const auto archive = m_Holders.find(vorn);
    if (archive == m_Holders.end())
        return 0;
    const auto found = archive->second.find(folder);
    return found == archive->second.end() ? 0 : found->second;
}

bool TDamagedEntries::Any(const TVornFile *vorn) const
{
    const auto archive = m_Entries.find(vorn);
    return archive != m_Entries.end() && !archive->second.empty();
}

std::vector<TEntryOffset> TDamagedEntries::Entries(const TVornFile *vorn) const
{
    std::vector<TEntryOffset> entries;
    const auto archive = m_Entries.find(vorn);
    if (archive != m_Entries.end())
        for (const auto &[entry, reason] : archive->second)
            entries.push_back(entry);
    std::sort(entries.begin(), entries.end());
    return entries;
}
