#pragma once
// TNameClashes: which paths of a run more than one of its files or folders
// may be written to. A file whose path clashes with nothing can be created
// under its name ahead of its turn: no earlier step can have put anything
// there. Paths that some file system could take for the same one --
// differing only in the case of ASCII letters, or in any character beyond
// ASCII -- count as one, as do, rarely, two unrelated paths of the same
// 32-bit key: a clash found where there is none only costs a file its
// shortcut. Four bytes a path while the run's paths are added; afterwards
// only the clashing keys are kept.
//
// A folder may be made ahead of its turn when no file of the run can take
// its path and no other folder differs from it only in case or beyond
// ASCII (FolderClashes); one folder reached through several paths of the
// run is one folder, not a clash.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

class TNameClashes {
public:
    // Room for this many paths, so adding them needs no more.
    void Reserve(size_t paths) { m_Keys.reserve(paths); }
    // The run may write `name` in `folder` (a path with a trailing "/").
    void AddFile(std::string_view folder, std::string_view name);
    // The run makes the folder `path` (with a trailing "/") below `root`,
    // and with it every folder between them.
    void AddFolders(std::string_view root, std::string_view path);
    // All paths are added: from now on Clashes answers, on any thread.
    void Settle();
    // Whether `name` in `folder` may be written by more than one step.
    bool Clashes(std::string_view folder, std::string_view name) const;
    // Whether the folder `path` (below `root`, no trailing "/") may be taken
    // by a file of the run or by another of its folders.
    bool FolderClashes(std::string_view root, std::string_view path) const;

private:
    struct TFolderKey {
        uint32_t folded; // as the file keys
        uint32_t exact;  // the bytes as they are: tells two folders of one folded key apart
        auto operator<=>(const TFolderKey &) const = default;
    };

    std::vector<uint32_t> m_Keys;
    std::vector<TFolderKey> m_Folders;
    std::unordered_set<uint32_t> m_Repeated;
    std::unordered_set<uint32_t> m_FolderVariants; // folded keys of several different folders
};
