#include "browser/DamagedEntries.h"

void TDamagedEntries::Set(const TVornFile *vorn, const std::vector<TDamagedEntry> &damaged)
{
    auto &entries = m_Entries[vorn];
    entries.clear();
    for (const TDamagedEntry &entry : damaged)
        entries.emplace(entry.Entry, entry.Reason);
    if (entries.empty())
        m_Entries.erase(vorn);
}

void TDamagedEntries::Forget(const TVornFile *vorn)
{
    m_Entries.erase(vorn);
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
    return m_Entries.count(vorn) > 0;
}
