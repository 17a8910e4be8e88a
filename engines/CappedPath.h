#pragma once
// TCappedPath: a path put together one name at a time that never holds more
// than MaxPathLength + 1 bytes. It knows its whole length, so a walk can cut
// it back to a folder's prefix and tell a path the system can't take from
// one it can, without ever building the long one: on a deep chain of
// folders a walk's memory stays linear in the depth.

#include "engines/PathLimit.h"

#include <cstdint>
#include <string>
#include <string_view>

class TCappedPath {
public:
    void Append(std::string_view text);
    void Append(char c) { Append(std::string_view(&c, 1)); }
    // Back to an earlier Length().
    void CutTo(uint64_t length);

    uint64_t Length() const { return m_Length; }
    bool TooLong() const { return m_Length > MaxPathLength; }
    // The whole path; when TooLong(), only its first bytes.
    const std::string &Text() const { return m_Text; }
    // The whole path, or when it is too long its first MaxPathLength bytes
    // followed by "...": how a report names it.
    std::string Shown() const;

private:
    std::string m_Text;
    uint64_t m_Length = 0;
};
