#pragma once
// TDamagedEntries: the entries "Test Archive" found damaged, for each open
// archive, with the reason, and the folders that hold them (at any depth);
// kept until the archive is closed or tested again.

#include "archive/vmVornFileDef.h"
#include "engines/VerifyEngine.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TVornFile;

class TDamagedEntries {
public:
    // The result of a test replaces the archive's earlier marks; `complete`
    // is false for a test cancelled before the end.
    void Set(const TVornFile *vorn, const std::vector<TDamagedEntry> &damaged, bool complete = true);
    void Forget(const TVornFile *vorn);
    // The reason the entry is damaged; nullptr when it is not marked.
    const std::string *Find(const TVornFile *vorn, TEntryOffset entry) const;
    // How many damaged entries the folder holds, in itself and below.
    int DamagedBelow(const TVornFile *vorn, TEntryOffset folder) const;
    // Whether the test found anything damaged in the archive.
    bool Any(const TVornFile *vorn) const;
    // Whether a test went through the whole archive since it was opened
    // (the last test, if several), damaged or not.
    bool Tested(const TVornFile *vorn) const { return m_Complete.count(vorn) > 0; }
    // The archive's damaged entries, sorted.
    std::vector<TEntryOffset> Entries(const TVornFile *vorn) const;

private:
    // Counts each damaged entry once in every folder above it.
    static std::unordered_map<TEntryOffset, int> CountHolders(const TVornFile &vorn,
                                                              const std::vector<TDamagedEntry> &damaged);

    std::unordered_map<const TVornFile *, std::unordered_map<TEntryOffset, std::string>> m_Entries;
    std::unordered_map<const TVornFile *, std::unordered_map<TEntryOffset, int>> m_Holders;
    std::unordered_set<const TVornFile *> m_Complete; // the last test went to the end
};
