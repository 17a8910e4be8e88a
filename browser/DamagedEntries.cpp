#include "browser/DamagedEntries.h"

#include <algorithm>

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
}

void TDamagedEntries::Forget(const TVornFile *vorn)
{
    m_Entries.erase(vorn);
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
