#pragma once
// What an extraction does and what became of it.

#include "vorn/Progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// What happens to a file that already exists in the target folder.
enum class Overwrite : uint8_t {
    Skip,    // leave it alone
    Replace, // replace it
    IfOlder, // replace it only when it is older than the entry
};

struct ExtractOptions {
    // Entries to extract (files, or folders with everything below them);
    // empty: the whole archive.
    std::vector<std::string> paths;
    // Rebuild each file's archive folders below the target; false writes
    // every file straight into it.
    bool keepFolders = true;
    Overwrite overwrite = Overwrite::Skip;
    ProgressCallback progress;
};

// One file that could not be written or checked.
struct Failure {
    std::string path;
    std::string message;
};

struct ExtractResult {
    uint32_t written = 0;
    uint32_t skipped = 0;
    bool cancelled = false;
    std::vector<Failure> failures;
};

// What checking every file of an archive found.
struct TestResult {
    uint64_t checked = 0;
    uint64_t passed = 0;
    uint64_t bytes = 0;
    bool cancelled = false;
    std::vector<Failure> damaged; // in tree order; a damaged folder's path ends in "/"
};

} // namespace vorn
