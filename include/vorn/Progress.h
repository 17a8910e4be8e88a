#pragma once
// How far a long piece of work on an archive has come.

#include <cstdint>
#include <functional>
#include <string>

namespace vorn {

struct Progress {
    uint64_t entriesDone = 0;
    uint64_t entriesTotal = 0;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    std::string current; // the entry being worked on
};

// Called on the caller's thread before each entry; returning false stops
// the work before the next one.
using ProgressCallback = std::function<bool(const Progress &)>;

} // namespace vorn
