#pragma once
// Folders below an extraction target, opened (and made) one name at a time
// relative to the target's descriptor, never through a symbolic link: a link
// that someone placed in the target can't lead an archive's folder path, and
// the files in it, out of the target.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TFolderBelow {
    int Handle = -1;  // an O_PATH descriptor of the folder; -1 when it can't be opened
    int Error = 0;    // the reason when it can't
    std::string Link; // the path (relative) of a symbolic link that stood in the way
};

// Opens the folder `relative` ("/"-separated names; empty for `root`
// itself) below the folder descriptor `root`, making the missing folders
// when `create` is set. The caller closes the descriptor.
TFolderBelow OpenFolderBelow(int root, std::string_view relative, bool create);

// Whether the missing folder `path` (relative, no trailing "/") may be made.
using TMayMakeFolder = std::function<bool(std::string_view path)>;
// The same, making a missing folder only when `mayMake` allows it; the
// paths of the folders it made itself (not those it found made meanwhile)
// are added to `made`.
TFolderBelow OpenFolderBelow(int root, std::string_view relative, const TMayMakeFolder &mayMake,
                             std::vector<std::string> &made);

// Removes `name` (a file; an empty folder with AT_REMOVEDIR in `flags`) from
// the folder `relative` below `root`, opened as above; does nothing when that
// folder can't be reached.
void RemoveBelow(int root, std::string_view relative, const std::string &name, int flags);

// "<path>" is a symbolic link: the message of a file refused because of it.
std::string SymbolicLinkMessage(const std::string &path);
