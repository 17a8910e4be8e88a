#include "engines/ContentPattern.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <algorithm>
#include <cstring>
#include <functional>

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
    if (!ignoreCase)
        return;
    for (char16_t &unit : m_Units)
        unit = FoldUnicode(unit);
    for (uint32_t u = 0; u < 0x10000; ++u)
        if (FoldUnicode(char16_t(u)) == m_Units[0])
            m_FirstUnits += char16_t(u);
}

bool TContentPattern::FoundIn(const uint8_t *data, size_t size) const
{
    return (m_HasBytes && FoundBytes(data, size)) || (!m_Units.empty() && FoundUtf16(data, size));
}

bool TContentPattern::FoundBytes(const uint8_t *data, size_t size) const
{
    const size_t n = m_Bytes.size();
    if (size < n)
        return false;
    if (!m_IgnoreCase) {
        const std::boyer_moore_horspool_searcher searcher(m_Bytes.begin(), m_Bytes.end());
        return std::search(data, data + size, searcher) != data + size;
    }
    // Positions whose first byte folds right are checked in full.
    const uint8_t first = m_Bytes[0];
    const uint8_t *last = data + size - n;
    for (const uint8_t *p = data; p <= last; ++p) {
        if (FoldAnsi(*p) != first)
            continue;
        size_t k = 1;
        while (k < n && FoldAnsi(p[k]) == m_Bytes[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool TContentPattern::FoundUtf16(const uint8_t *data, size_t size) const
{
    const size_t n = m_Units.size();
    if (size < 2 * n)
        return false;
    if (!m_IgnoreCase) {
        std::vector<uint8_t> bytes;
        for (const char16_t unit : m_Units) {
            bytes.push_back(uint8_t(unit));
            bytes.push_back(uint8_t(unit >> 8));
        }
        const std::boyer_moore_horspool_searcher searcher(bytes.begin(), bytes.end());
        return std::search(data, data + size, searcher) != data + size;
    }
    // Text may start at any byte, not only at even offsets.
    const uint8_t *last = data + size - 2 * n;
    const char16_t first0 = m_FirstUnits[0];
    const char16_t first1 = m_FirstUnits[m_FirstUnits.size() > 1 ? 1 : 0];
    const bool more = m_FirstUnits.size() > 2;
    for (const uint8_t *p = data; p <= last; ++p) {
        const char16_t unit = UnitAt(p);
        if (unit != first0 && unit != first1 && (!more || m_FirstUnits.find(unit) == std::u16string::npos))
            continue;
        size_t k = 1;
        while (k < n && FoldUnicode(UnitAt(p + 2 * k)) == m_Units[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}
