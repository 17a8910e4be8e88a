#pragma once
// What a vorn::Archive holds, and the library's way to it from the other
// parts of the public API.

#include "vorn/Archive.h"

#include "archive/vmVornFile.h"
#include "engines/NameIndex.h"

#include <memory>
#include <mutex>

namespace vorn {

// Hidden: only the library itself uses it.
struct __attribute__((visibility("hidden"))) Archive::Impl {
    explicit Impl(const std::string &path);

    // The flat name table that find() searches, made on first use.
    const TNameIndex &NameIndex();

    std::string Path;
    TVornFile Vorn;

private:
    std::mutex m_IndexMutex;
    std::unique_ptr<TNameIndex> m_Index;
};

struct ArchiveAccess {
    using Impl = Archive::Impl;
    static const std::shared_ptr<Archive::Impl> &Of(const Archive &archive) { return archive.d; }
};

// The public description of an entry; `path` is 8-bit as the index stores it.
Entry MakeEntry(const TVornFile &vorn, TEntryOffset entry, std::string_view path);
// The file at `path`; throws NotFoundError for a folder or a missing path.
TEntryOffset FindFile(const TVornFile &vorn, const std::string &path);

} // namespace vorn
