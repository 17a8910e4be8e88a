#pragma once
// How a search reads its name and content texts.

#include <cstdint>
#include <string_view>

enum class TNameMode : uint8_t {
    Auto,      // a glob when the text has "*" or "?", else a substring
    Substring, // the text anywhere in the name
    Glob,      // "*" and "?" wildcards over the whole name
    Regex,     // a regular expression found anywhere in the name
};

enum class TContentMode : uint8_t {
    None,
    Text, // Windows-1252 (ASCII) or UTF-16LE text
    Hex,  // bytes written in hex ("DE AD be ef", "deadbeef")
};

// The name mode Auto stands for with this name text.
TNameMode ResolveNameMode(std::string_view name, TNameMode mode);
