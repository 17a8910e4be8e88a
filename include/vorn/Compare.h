#pragma once
// What archive B changes against archive A.

#include "vorn/Export.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

class Archive;

enum class Change : uint8_t {
    Same,     // same size and CRC-32, stored the same way
    Repacked, // same size and CRC-32, stored another way
    Changed,  // size or CRC-32 differ
    Removed,  // only in A
    Added,    // only in B
};

struct Difference {
    std::string path; // "/"-separated, UTF-8
    bool isDir = false;
    Change change = Change::Same;
    uint32_t sizeA = 0, sizeB = 0;   // files only
    uint32_t crc32A = 0, crc32B = 0; // files only; 0: none stored
};

// Every path of either archive that differs, depth first in name order
// (with `includeSame`, the equal ones too).
VORN_API std::vector<Difference> compare(const Archive &a, const Archive &b, bool includeSame = false);

// "same", "repacked", "changed", "removed", "added".
VORN_API const char *changeName(Change change);

} // namespace vorn
