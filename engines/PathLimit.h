#pragma once
// The longest path the system takes. A path beyond it can't be created, so
// nothing builds one: the entries below it are reported one by one instead,
// which also keeps memory linear in the depth of a deep chain of folders.

#include <cstddef>

// The longest path the system takes, in bytes.
constexpr size_t MaxPathLength = 4095;
// The error of a file or folder whose path is longer than that.
inline constexpr char PathTooLongMessage[] = "The path is longer than the system allows";
