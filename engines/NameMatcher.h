#pragma once
// TNameMatcher: the name criterion, compiled once and then asked about many
// names. Names are stored Windows-1252 bytes; ignoring case, the caller
// passes the name folded (FoldAnsiText) as well, so a million names are not
// folded again for every keystroke.

#include "engines/FindCriteria.h"
#include "engines/GlobPattern.h"
#include "engines/RegexPattern.h"

#include <optional>
#include <string>
#include <string_view>

class TNameMatcher {
public:
    // Raises an Exception for a malformed regular expression.
    TNameMatcher(const std::string &pattern, TNameMode mode, bool ignoreCase);

    bool MatchesAll() const { return m_All; }
    bool IgnoresCase() const { return m_IgnoreCase; }
    // For a plain substring that can occur: the bytes sought (folded when
    // ignoring case), so a caller may look for them in many names at once.
    const std::string *PlainNeedle() const
    {
        return m_Mode == TNameMode::Substring && !m_All && !m_Impossible ? &m_Needle : nullptr;
    }
    // `name`: the stored bytes; `folded`: the same folded (only read when
    // ignoring case).
    bool Matches(std::string_view name, std::string_view folded) const;

private:
    bool m_All = false;
    bool m_IgnoreCase = true;
    TNameMode m_Mode = TNameMode::Substring;
    std::string m_Needle;  // Substring: the bytes sought (folded when ignoring case)
    bool m_Impossible = false; // Substring: the text has a character no name has
    std::optional<TGlobPattern> m_Glob;
    std::optional<TRegexPattern> m_Regex;
};
