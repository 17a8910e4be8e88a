#pragma once
// The pictures of the folder tree and the file list (shown at 16 x 16 and
// 32 x 32) and of the toolbar (24 x 24; grey at rest, coloured under the
// pointer). Drawn in code at the size and device pixel ratio they are shown
// at, so they stay sharp at any scale.

#include <QIcon>

namespace Pictures {
// Indices with a meaning for the program.
constexpr int TreeFolder = 0;
constexpr int ClosedFolder = 1;
constexpr int OpenFolder = 2;
constexpr int Archive = 3;
constexpr int Document = 4;
constexpr int Image = 8;
constexpr int Count = 15;
} // namespace Pictures

// Picture `index` of the list and tree (0 to 14); the blank document for any
// other index.
QIcon ListPicture(int index);

enum class TToolbarPicture { Open, Close, Extract, View, Test, Style };
QIcon ToolbarPicture(TToolbarPicture picture);

// The tree's icon of a folder node: closed, open while selected.
QIcon FolderNodeIcon();
