#pragma once
// TContentPattern: what a content search looks for in an entry's decoded
// bytes. Text is sought both as Windows-1252 (ASCII) bytes and as UTF-16LE,
// ignoring case when asked (Windows-1252 letters too); hex is sought as the
// exact bytes.

#include "engines/FindModes.h"
#include "engines/NeedleScan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TContentPattern {
public:
    // From the content criterion; raises an Exception for an empty text or a
    // malformed hex string.
    TContentPattern(TContentMode mode, const std::string &content, bool ignoreCase);

    // Whether the bytes contain the pattern.
    bool FoundIn(const uint8_t *data, size_t size) const;

    // Hex digits ("DE AD be ef", "0xDEADBEEF", spaces and commas between
    // bytes) as bytes; raises an Exception naming the fault.
    static std::vector<uint8_t> ParseHex(const std::string &text);

private:
    // The needles and the bytes allowed at each of their places.
    void SetUpNarrow(const std::string &content);
    void SetUpWide(const std::string &content);
    // Whether the 8-bit text (or the hex bytes) starts at `start`.
    bool NarrowAt(const uint8_t *start) const;
    // Whether the UTF-16LE text starts at `start`.
    bool WideAt(const uint8_t *start) const;

    bool m_IgnoreCase = false;
    std::vector<uint8_t> m_Bytes; // the 8-bit needle (folded when ignoring case)
    bool m_HasBytes = false;      // false: the text has a character Windows-1252 lacks
    std::u16string m_Units;       // the UTF-16 needle (folded when ignoring case); empty for hex
    std::vector<uint8_t> m_Wide;  // its UTF-16LE bytes
    std::optional<TNeedleScan> m_NarrowScan; // where the 8-bit needle may start
    std::optional<TNeedleScan> m_WideScan;   // where the UTF-16LE needle may start
};
