#pragma once
// TMergeSources: the archives named for a merge, opened. A file is taken as
// it is; a folder is searched with its subfolders for the game's resource
// archives and maps (".vmres", ".vmmap", in any case), saved games being no
// part of what the game loads. An archive that can't be opened, a folder
// without archives and a path that is neither are reported and left out.

#include "archive/vmVornFile.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TMergeSources {
public:
    // Adds the archive at `path`, or the archives found below it.
    void Add(const std::string &path);

    const std::vector<std::unique_ptr<TVornFile>> &Archives() const { return m_Archives; }
    // The open archives, for TMergedView.
    std::vector<const TVornFile *> ArchivePointers() const;
    // One line per path left out: "path: reason".
    const std::vector<std::string> &Problems() const { return m_Problems; }

private:
    void Open(const std::string &path);

    std::vector<std::unique_ptr<TVornFile>> m_Archives;
    std::vector<std::string> m_Problems;
};

// True for the file names a game folder's archives have: ".vmres" or
// ".vmmap", in any case.
bool IsGameArchiveName(std::string_view name);
// The archives in `folder` and its subfolders, sorted by path; symbolic
// links to folders are not followed. Unreadable subfolders are skipped.
std::vector<std::string> FindGameArchives(const std::string &folder);
