#include "engines/ContentPattern.h"

#include "archive/Exceptions.h"
#include "engines/AnsiFold.h"

#include <cstring>
#include <utility>

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

// Every UTF-16 unit that folds to another, with what it folds to.
std::vector<std::pair<char16_t, char16_t>> UnitsThatFold()
{
    std::vector<std::pair<char16_t, char16_t>> pairs;
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit)
        if (const char16_t folded = FoldUnicode(char16_t(unit)); folded != unit)
            pairs.emplace_back(char16_t(unit), folded);
    return pairs;
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
        std::vector<TByteSet> positions(m_Bytes.size());
        for (size_t k = 0; k < m_Bytes.size(); ++k)
            positions[k].Add(m_Bytes[k]);
        m_NarrowScan.emplace(positions);
        return;
    }
    if (content.empty())
        throw Exception("No text to search for");
    m_IgnoreCase = ignoreCase;
    SetUpNarrow(content);
    SetUpWide(content);
}

void TContentPattern::SetUpNarrow(const std::string &content)
{
    std::vector<TByteSet> positions;
    m_HasBytes = true;
    for (const int c : Utf8ToAnsiChars(content)) {
        m_HasBytes = m_HasBytes && c >= 0;
        m_Bytes.push_back(uint8_t(c < 0 ? 0 : m_IgnoreCase ? FoldAnsi(uint8_t(c)) : c));
        // The bytes that may stand at this place: ignoring case, all that
        // fold to the same letter.
        TByteSet &allowed = positions.emplace_back();
        for (int b = 0; b < 256; ++b)
            if ((m_IgnoreCase ? FoldAnsi(uint8_t(b)) : b) == m_Bytes.back())
                allowed.Add(uint8_t(b));
    }
    if (m_HasBytes)
        m_NarrowScan.emplace(positions);
}

void TContentPattern::SetUpWide(const std::string &content)
{
    m_Units = Utf8ToUtf16(content);
    const std::vector<std::pair<char16_t, char16_t>> folding =
        m_IgnoreCase ? UnitsThatFold() : std::vector<std::pair<char16_t, char16_t>>();
    std::vector<TByteSet> positions;
    for (char16_t &unit : m_Units) {
        if (m_IgnoreCase)
            unit = FoldUnicode(unit);
        m_Wide.push_back(uint8_t(unit));
        m_Wide.push_back(uint8_t(unit >> 8));
        // The low and high bytes of every unit that folds to this one.
        positions.resize(positions.size() + 2);
        TByteSet &low = positions[positions.size() - 2];
        TByteSet &high = positions.back();
        low.Add(uint8_t(unit));
        high.Add(uint8_t(unit >> 8));
        for (const auto &[from, to] : folding) {
            if (to == unit) {
                low.Add(uint8_t(from));
                high.Add(uint8_t(from >> 8));
            }
        }
    }
    m_WideScan.emplace(positions);
}

bool TContentPattern::FoundIn(const uint8_t *data, size_t size) const
{
    // The scans hand out the places where three rare bytes of a needle fit
    // (either case of a letter when ignoring case), each then checked in
    // full; the data is never copied or folded as a whole.
    // The entry's decoded bytes are searched whole, so a match across the
    // chunks of a chunked entry is one like any other.
    return (m_NarrowScan && m_NarrowScan->Any(data, size, [this](const uint8_t *start) { return NarrowAt(start); }))
           || (m_WideScan && m_WideScan->Any(data, size, [this](const uint8_t *start) { return WideAt(start); }));
}

bool TContentPattern::NarrowAt(const uint8_t *start) const
{
    if (!m_IgnoreCase)
        return std::memcmp(start, m_Bytes.data(), m_Bytes.size()) == 0;
    for (size_t k = 0; k < m_Bytes.size(); ++k)
        if (FoldAnsi(start[k]) != m_Bytes[k])
            return false;
    return true;
}

bool TContentPattern::WideAt(const uint8_t *start) const
{
    if (!m_IgnoreCase)
        return std::memcmp(start, m_Wide.data(), m_Wide.size()) == 0;
    for (size_t k = 0; k < m_Units.size(); ++k)
        if (FoldUnicode(UnitAt(start + 2 * k)) != m_Units[k])
            return false;
    return true;
}
