#include "engines/ContentPattern.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <algorithm>
#include <cstring>
#include <cstring>
#include <string.h>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Folds n bytes into dst. Eight ASCII bytes at a time are folded with word
// arithmetic (A-Z gain 0x20); words with other bytes go through the table.
void FoldBytes(const uint8_t *src, size_t n, uint8_t *dst)
{
    constexpr uint64_t Ones = 0x0101010101010101ull;
    constexpr uint64_t High = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, src + i, 8);
        if (word & High) {
            for (size_t k = 0; k < 8; ++k)
                dst[i + k] = FoldAnsi(src[i + k]);
            continue;
        }
        const uint64_t atLeastA = word + Ones * (0x80 - 'A');
        const uint64_t aboveZ = word + Ones * (0x80 - 'Z' - 1);
        word |= ((atLeastA & ~aboveZ) & High) >> 2;
        std::memcpy(dst + i, &word, 8);
    }
    for (; i < n; ++i)
        dst[i] = FoldAnsi(src[i]);
}

char16_t UnitAt(const uint8_t *p)
{
    return char16_t(p[0] | (p[1] << 8));
}

} // namespace

std::vector<uint8_t> TContentPattern::ParseHex(const std::string &text)
{
    std::vector<uint8_t> bytes;
    int pending = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == ',' || c == '\t') {
            if (pending >= 0)
                throw Exception("Bad hex string: a byte needs two digits");
            continue;
        }
        if (pending < 0 && c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            ++i;
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0)
            throw Exception(FormatStr("Bad hex string: \"%c\" is not a hex digit", c));
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(uint8_t(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0)
        throw Exception("Bad hex string: a byte needs two digits");
    if (bytes.empty())
        throw Exception("Bad hex string: no bytes given");
    return bytes;
}

TContentPattern::TContentPattern(TContentMode mode, const std::string &content, bool ignoreCase)
{
    if (mode == TContentMode::Hex) {
        m_Bytes = ParseHex(content);
        m_HasBytes = true;
        return;
    }
    if (content.empty())
        throw Exception("No text to search for");
    m_IgnoreCase = ignoreCase;
    m_HasBytes = true;
    for (const int c : Utf8ToAnsiChars(content)) {
        m_HasBytes = m_HasBytes && c >= 0;
        m_Bytes.push_back(uint8_t(c < 0 ? 0 : ignoreCase ? FoldAnsi(uint8_t(c)) : c));
    }
    m_Units = Utf8ToUtf16(content);
    if (ignoreCase)
        for (char16_t &unit : m_Units)
            unit = FoldUnicode(unit);
    // The UTF-16LE bytes sought; ignoring case, as the folded data shows them.
    for (const char16_t unit : m_Units)
        for (const uint8_t byte : {uint8_t(unit), uint8_t(unit >> 8)})
            m_Wide.push_back(ignoreCase ? FoldAnsi(byte) : byte);
}

bool TContentPattern::FoundIn(const uint8_t *data, size_t size) const
{
    if (!m_IgnoreCase)
        return (m_HasBytes && memmem(data, size, m_Bytes.data(), m_Bytes.size()))
               || (!m_Wide.empty() && memmem(data, size, m_Wide.data(), m_Wide.size()));
    // Ignoring case, the data is folded a piece at a time and searched with
    // memmem: exact for the 8-bit text; for UTF-16 the folded bytes give
    // candidates that are then compared unit by unit. Pieces overlap by a
    // needle's length, so a match across two pieces is seen.
    constexpr size_t Piece = 256 * 1024;
    thread_local std::vector<uint8_t> folded;
    const size_t overlap = std::max(m_Bytes.size(), m_Wide.size());
    for (size_t start = 0; start < size; start += Piece) {
        const size_t from = start > overlap ? start - overlap : 0;
        const size_t end = std::min(size, start + Piece);
        folded.resize(end - from);
        FoldBytes(data + from, end - from, folded.data());
        if (m_HasBytes && memmem(folded.data(), folded.size(), m_Bytes.data(), m_Bytes.size()))
            return true;
        if (!m_Wide.empty() && FoundWideCandidate(data + from, folded))
            return true;
    }
    return false;
}

bool TContentPattern::FoundWideCandidate(const uint8_t *original, const std::vector<uint8_t> &folded) const
{
    const uint8_t *begin = folded.data();
    const uint8_t *end = begin + folded.size();
    for (const uint8_t *p = begin; p + m_Wide.size() <= end; ++p) {
        p = static_cast<const uint8_t *>(memmem(p, size_t(end - p), m_Wide.data(), m_Wide.size()));
        if (!p)
            return false;
        const uint8_t *units = original + (p - begin);
        size_t k = 0;
        while (k < m_Units.size() && FoldUnicode(UnitAt(units + 2 * k)) == m_Units[k])
            ++k;
        if (k == m_Units.size())
            return true;
    }
    return false;
}
