#pragma once
// Case folding for archive names and text. Names are Windows-1252: besides
// A-Z, the accented capitals and the code page's four extra capitals
// (Š, Œ, Ž, Ÿ) fold to their small letters. Patterns typed as UTF-8 become
// code-page bytes through the archive core's conversion.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The small letter of a UTF-16 code unit of the Windows-1252 repertoire (and
// of Latin-1); other units are returned unchanged.
char16_t FoldUnicode(char16_t ch);
// The folded Windows-1252 byte (a table look-up, inline: scans call it for
// every byte).
extern const std::array<uint8_t, 256> AnsiFoldTable;
inline uint8_t FoldAnsi(uint8_t byte) { return AnsiFoldTable[byte]; }
// Folds a whole 8-bit text into `out` (resized to fit).
void FoldAnsiText(std::string_view text, std::string &out);

// A UTF-8 text as Windows-1252 bytes; a character the code page doesn't have
// becomes -1 (it can never match a stored name), malformed UTF-8 too.
std::vector<int> Utf8ToAnsiChars(std::string_view utf8);
// The UTF-8 text as UTF-16 code units (malformed bytes become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view utf8);
