#pragma once
// How an archive's 8-bit name appears in a mounted folder: Windows-1252
// turned into UTF-8, and a name that Linux can't take as one file name
// (empty, ".", "..", holding "/", longer than 255 bytes) replaced by a safe
// one, so no name leads out of its folder.

#include <string>
#include <string_view>

struct TMountName {
    std::string name;   // UTF-8, always a valid single file name
    std::string reason; // empty when the name is the archive's own; else why it was replaced
};

TMountName MountNameOf(std::string_view ansiName);

// `name` with " (n)" before its extension, for the n-th holder of a name
// already taken in its folder; kept within the 255-byte limit.
std::string NumberedName(const std::string &name, unsigned n);
