#pragma once
// vorn::Archive: one open vorn archive. Opening reads its header and index;
// every question about the tree is answered from the index, and file data
// is decoded on request. An Archive may be read from several threads at once.

#include "vorn/Entry.h"
#include "vorn/Export.h"
#include "vorn/Extract.h"
#include "vorn/FileStream.h"
#include "vorn/Find.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

class VORN_API Archive {
public:
    // Throws OpenError with the reason when the file is no sound archive.
    explicit Archive(const std::string &path);
    ~Archive();
    Archive(Archive &&other) noexcept;
    Archive &operator=(Archive &&other) noexcept;
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    const std::string &path() const;
    // The header as (field, value) rows, as `vorntool info` shows them.
    std::vector<std::pair<std::string, std::string>> info() const;

    // The entry at a "/"-separated path (a-z in any case); "" is the root.
    // Throws NotFoundError.
    Entry stat(const std::string &path) const;
    bool contains(const std::string &path) const;
    // The children of a folder in stored order.
    std::vector<Entry> list(const std::string &folder = {}) const;
    // Everything below a folder, depth first in stored order; each folder
    // comes before its contents.
    std::vector<Entry> walk(const std::string &folder = {}) const;
    // The same, one entry at a time, without keeping them.
    void walk(const std::string &folder, const std::function<void(const Entry &)> &visit) const;

    // A file's decoded contents; throws NotFoundError or DecodeError.
    std::vector<uint8_t> read(const std::string &path) const;
    // The same into `destination`, which has room for the entry's size.
    void readInto(const Entry &file, uint8_t *destination) const;
    // A file to read at any position, decoding only what is read.
    FileStream openFile(const std::string &path) const;

    // Writes entries below `targetFolder`. A file that can't be written is
    // recorded in the result's failures and the run goes on; nothing is
    // ever written outside the target folder.
    ExtractResult extract(const std::string &targetFolder, const ExtractOptions &options = {}) const;
    // Decodes every file and checks its CRC-32 and size.
    TestResult test(const ProgressCallback &progress = {}) const;
    // Entries that meet every criterion, in tree order. Throws Error for a
    // malformed pattern, DecodeError when a file's data can't be searched.
    std::vector<Entry> find(const FindQuery &query) const;

private:
    friend struct ArchiveAccess; // the library's own way to the open archive
    struct Impl;
    std::shared_ptr<Impl> d;
};

} // namespace vorn
