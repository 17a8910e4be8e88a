#pragma once
// Files handed out together (drag-out, Copy) are offered in one folder, but
// the selection may hold one name more than once: search results from
// several folders or archives, or a damaged folder that repeats a name. In
// one folder the later file would silently replace the earlier one. So the
// first file of each name lies in the folder itself and each repeat in a
// subfolder of its own ("same-name-<process id>:<n>"), where a file manager
// finds it under its own name and asks before it replaces anything. The ':'
// keeps these subfolders apart from every entry: no entry with a ':' in its
// name is ever written or offered.

#include <QString>
#include <QStringList>

#include <vector>

// For each name in order: how often the same name came before it (0 for the
// first of its name). Names compare as the file system compares them.
std::vector<int> SameNameRepeats(const QStringList &names);

// Where the files of a repeat lie below `folder`: the folder itself for 0,
// else its subfolder; always with a trailing "/".
QString SameNameFolder(const QString &folder, int repeat);

// Removes this process's repeat subfolders directly below `folder`, with
// whatever is still in them.
void RemoveSameNameFolders(const QString &folder);

// Removes those of them that are empty: a file manager has moved their file
// out. One that still holds something (a file manager still asking, or one
// that copied) is left alone.
void RemoveEmptySameNameFolders(const QString &folder);
