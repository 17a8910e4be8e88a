#pragma once
// One file or folder of an archive, as its index describes it.

#include <cstdint>
#include <string>

namespace vorn {

// Storage formats of a file's data.
enum class Format : uint16_t { Raw = 0, Zlib = 1, Lzo = 2 };

struct Entry {
    std::string path;        // below the root, names joined with "/", UTF-8; "" for the root
    bool isDir = false;
    uint32_t size = 0;           // decoded bytes; 0 for a folder
    uint32_t compressedSize = 0; // stored bytes; a raw file gives its size
    uint16_t format = 0;         // a Format value; others are unknown formats
    uint32_t crc32 = 0;          // 0: none stored
    uint64_t fileTime = 0;       // 100 ns intervals since 1601-01-01 UTC
    uint32_t id = 0;             // the entry's place in the index, unique within the archive

    // The last name of the path.
    std::string name() const { return path.substr(path.rfind('/') + 1); }
};

} // namespace vorn
