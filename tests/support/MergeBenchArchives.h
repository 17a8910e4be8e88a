#pragma once
// The archives the merge benchmarks merge: 20 archives of 100,000 entries
// each, 40 folders of 50 folders of 49 files. Their priorities run through
// every class (eight factory archives, a language, two expansions, eight
// patches, a user archive). The factory archives hold folders of their own;
// every later archive puts 10 of its 40 top folders over a factory
// archive's, so their files override, and the rest are new.
//
// With `identical`, every archive holds the same paths instead: the deepest
// stacks (20 versions of every path).

#include <string>
#include <vector>

constexpr int MergeBenchArchiveCount = 20;
constexpr int MergeBenchEntriesPerArchive = 100000;

// Writes the archives into `folder` (kept when they are there already) and
// returns their paths.
std::vector<std::string> WriteMergeBenchArchives(const std::string &folder, bool identical);
