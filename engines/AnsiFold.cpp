#include "engines/AnsiFold.h"

#include "archive/vmFunctions.h"

#include <array>
#include <string>

namespace {

std::array<uint8_t, 256> BuildFoldTable()
{
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const char16_t folded = FoldUnicode(AnsiCharToUnicode(uint8_t(b)));
        table[size_t(b)] = uint8_t(UnicodeToAnsiChar(folded));
    }
    return table;
}


// Decodes the code point at `i` and moves `i` past it; 0xFFFD for bytes that
// are not well-formed UTF-8.
uint32_t NextCodePoint(std::string_view text, size_t &i)
{
    const uint8_t lead = uint8_t(text[i++]);
    if (lead < 0x80)
        return lead;
    const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (extra < 0 || lead >= 0xF5)
        return 0xFFFD;
    uint32_t cp = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (uint8_t(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (uint8_t(text[i++]) & 0x3F);
    }
    return cp;
}

} // namespace

// Built before main() from the core's code-page table; nothing folds
// during static initialisation.
const std::array<uint8_t, 256> AnsiFoldTable = BuildFoldTable();

char16_t FoldUnicode(char16_t ch)
{
    if ((ch >= u'A' && ch <= u'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7))
        return char16_t(ch + 0x20);
    switch (ch) {
    case 0x0160: return 0x0161; // Š
    case 0x0152: return 0x0153; // Œ
    case 0x017D: return 0x017E; // Ž
    case 0x0178: return 0x00FF; // Ÿ
    default: return ch;
    }
}

void FoldAnsiText(std::string_view text, std::string &out)
{
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = char(FoldAnsi(uint8_t(text[i])));
}

std::vector<int> Utf8ToAnsiChars(std::string_view utf8)
{
    std::vector<int> chars;
    chars.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const uint32_t cp = NextCodePoint(utf8, i);
        const char ansi = cp < 0x10000 ? UnicodeToAnsiChar(char16_t(cp)) : '?';
        // '?' back for anything but '?' itself: the code page lacks it.
        chars.push_back(ansi == '?' && cp != '?' ? -1 : int(uint8_t(ansi)));
    }
    return chars;
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}
