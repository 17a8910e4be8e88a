#pragma once
// Archive names are never trusted as parts of a path on disk: a name that
// could leave its folder or name no file at all is refused.

#include <string>
#include <string_view>

// Empty when the 8-bit archive name can be used as one file or folder name;
// otherwise the message that explains why it can't.
std::string UnsafeNameReason(std::string_view name);
