#include "engines/MountName.h"

#include "archive/vmFunctions.h"

#include <algorithm>

namespace {

constexpr size_t MaxNameBytes = 255;

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
std::string CutUtf8(std::string text, size_t limit)
{
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

TMountName MountNameOf(std::string_view ansiName)
{
    std::string name = AnsiToUtf8(ansiName);
    if (name.empty())
        return {"_unnamed_", "an entry has no name"};
    if (name == "." || name == "..")
        return {"_" + name + "_", "the name \"" + name + "\" can't be a file name"};
    if (name.find('/') != std::string::npos) {
        std::string safe = name;
        std::replace(safe.begin(), safe.end(), '/', '_');
        return {CutUtf8(std::move(safe), MaxNameBytes), "the name \"" + name + "\" holds a \"/\""};
    }
    if (name.size() > MaxNameBytes)
        return {CutUtf8(name, MaxNameBytes), "the name \"" + name + "\" is longer than 255 bytes"};
    return {std::move(name), {}};
}

std::string NumberedName(const std::string &name, unsigned n)
{
    const std::string suffix = " (" + std::to_string(n) + ")";
    // The number goes before an extension, but a leading dot is no extension.
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        dot = name.size();
    const std::string extension = name.substr(dot);
    std::string stem = name.substr(0, dot);
    const size_t room = MaxNameBytes - std::min(MaxNameBytes, suffix.size() + extension.size());
    stem = CutUtf8(std::move(stem), room);
    return CutUtf8(stem + suffix + extension, MaxNameBytes);
}
