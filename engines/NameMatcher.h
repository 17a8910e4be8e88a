#pragma once
// TNameMatcher: the name criterion, compiled once and then asked about many
// names. Names are stored Windows-1252 bytes; ignoring case, the caller
// passes the name folded (FoldAnsiText) as well, so a million names are not
// folded again for every keystroke.

#include "engines/FindModes.h"
#include "engines/GlobPattern.h"
#include "engines/RegexPattern.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TNameMatcher {
public:
    // Raises an Exception for a malformed regular expression.
    TNameMatcher(const std::string &pattern, TNameMode mode, bool ignoreCase);

    bool MatchesAll() const { return m_All; }
    bool IgnoresCase() const { return m_IgnoreCase; }
    // Texts that every matching name holds (folded when ignoring case),
    // longest first, so a caller may look for one in many names at once and
    // ask Matches only about the names that hold it; none when there is no
    // text to look for.
    const std::vector<std::string> &RequiredTexts() const { return m_Required; }
    // Whether holding the one text of RequiredTexts() is all the criterion
    // asks (a plain substring): Matches need not be asked.
    bool RequiredTextDecides() const { return m_Mode == TNameMode::Substring; }
    // `name`: the stored bytes; `folded`: the same folded (only read when
    // ignoring case).
    bool Matches(std::string_view name, std::string_view folded) const;

private:
    bool m_All = false;
    bool m_IgnoreCase = true;
    TNameMode m_Mode = TNameMode::Substring;
    std::string m_Needle;  // Substring: the bytes sought (folded when ignoring case)
    bool m_Impossible = false; // Substring: the text has a character no name has
    std::vector<std::string> m_Required; // see RequiredTexts()
    std::optional<TGlobPattern> m_Glob;
    std::optional<TRegexPattern> m_Regex;
};
