#pragma once
// What Archive::find looks for. Every criterion that is set must hold; an
// empty query finds every entry. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorn {

enum class NameMode : uint8_t {
    Auto,      // a glob when the text has "*" or "?", else a substring
    Substring, // the text anywhere in the name
    Glob,      // "*" and "?" over the whole name
    Regex,     // a regular expression found anywhere in the name
};

struct FindQuery {
    std::string name;
    NameMode nameMode = NameMode::Auto;
    bool ignoreCase = true;
    bool wholePath = false; // match "folder/sub/name" instead of the name
    std::vector<std::string> types; // extensions ("raw", ".bmp"); any one may match
    std::optional<uint64_t> minSize;
    std::optional<uint64_t> maxSize;
    std::vector<uint16_t> formats; // storage formats accepted; empty: any
    std::string containsText;      // in the decoded data, as 8-bit or UTF-16LE text
    std::string containsHex;       // in the decoded data, bytes in hex ("DE AD be ef")
    bool damaged = false;          // only files that fail their check
};

} // namespace vorn
