#pragma once
// vorn::MergedView: what the game sees when it loads several archives at
// once. Every archive has a priority (a class: Factory < Language <
// Expansion < Patch < User, and a number after it); a file of a higher
// archive replaces the file of the same path in a lower one, and archives of
// equal priority go by file name, the later name winning. Paths match with
// the letters of the game's code page in any case. Where one archive has a
// folder and another a file of the same path, the higher one wins.
//
// A MergedView may be read from several threads at once.

#include "vorn/Entry.h"
#include "vorn/Export.h"
#include "vorn/Extract.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorn {

// How a version of a path compares with the one the game sees.
enum class VersionState : uint8_t {
    Winner,    // the version the game sees
    Same,      // a file of the same bytes
    Different, // a file of other bytes, or one that can't be read
    OtherKind, // a folder where the winner is a file, or a file where it is a folder
    Folder,    // a folder below a winning folder: its contents are merged
};

// "winner", "same", "different", "other kind", "folder".
VORN_API const char *versionStateName(VersionState state);

// One version of a merged path.
struct MergedVersion {
    std::string archive;  // the path of the archive that holds it
    std::string priority; // that archive's priority, e.g. "Patch + 2"
    Entry entry;          // as that archive describes it (its own spelling)
    VersionState state = VersionState::Winner;
};

// A path of the merged tree and the version the game sees.
struct MergedEntry {
    Entry entry;           // the winning version; `path` is the merged path
    std::string archive;   // the archive the winning version comes from
    uint32_t hidden = 0;   // how many versions of the path it hides
    bool conflict = false; // it hides another file, or a file and a folder meet
};

class VORN_API MergedView {
public:
    // Archives, or folders searched with their subfolders for ".vmres" and
    // ".vmmap" files (saved games are no part of what the game loads). One
    // that can't be opened or turns out damaged is left out and named in
    // problems(); throws OpenError when nothing is left to merge.
    explicit MergedView(const std::vector<std::string> &paths);
    ~MergedView();
    MergedView(MergedView &&other) noexcept;
    MergedView &operator=(MergedView &&other) noexcept;
    MergedView(const MergedView &) = delete;
    MergedView &operator=(const MergedView &) = delete;

    // The merged archives, lowest priority first.
    std::vector<std::string> archives() const;
    // Groups of archives of equal priority, each in the order of archives()
    // (the last one wins).
    std::vector<std::vector<std::string>> ties() const;
    // One line per path or archive left out: "path: reason".
    std::vector<std::string> problems() const;

    // The merged path (any letter case); "" is the root. Throws NotFoundError.
    MergedEntry stat(const std::string &path) const;
    // The children of a merged folder, the winner's stored order first.
    std::vector<MergedEntry> list(const std::string &folder = {}) const;
    // Everything below a merged folder, depth first; each folder comes
    // before its contents.
    std::vector<MergedEntry> walk(const std::string &folder = {}) const;
    // The paths in conflict, in the order of walk().
    std::vector<MergedEntry> conflicts() const;
    // Every version of a path, the winner first, then the hidden ones from
    // the highest priority down. Files without a stored CRC-32 are decoded
    // to tell same from different.
    std::vector<MergedVersion> versions(const std::string &path) const;

    // The winning file's decoded contents; throws NotFoundError or DecodeError.
    std::vector<uint8_t> read(const std::string &path) const;
    // Writes what the game sees below `targetFolder`: every winning file of
    // the merged tree, or of options.paths, in the merged folders (one
    // folder however the archives spell it). Failures are collected in the
    // result; nothing is written outside the target folder.
    ExtractResult extract(const std::string &targetFolder, const ExtractOptions &options = {}) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vorn
