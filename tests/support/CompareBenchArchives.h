#pragma once
// The two archives the comparison benchmarks compare: 100 folders of 20
// folders of 99 files, plus the folders (200,100 entries).

#include <string>

// `changes`: whether this is B, where every 100th file has new contents,
// every 100th (another) is stored compressed, every 200th is left out and
// every 200th gets a new neighbour.
void WriteCompareBenchArchive(const std::string &path, bool changes);
