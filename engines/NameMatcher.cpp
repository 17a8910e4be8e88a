#include "engines/NameMatcher.h"

#include "engines/AnsiFold.h"

TNameMatcher::TNameMatcher(const std::string &pattern, TNameMode mode, bool ignoreCase)
    : m_IgnoreCase(ignoreCase)
{
    m_Mode = ResolveNameMode(pattern, mode);
    const std::vector<int> chars = Utf8ToAnsiChars(pattern);
    switch (m_Mode) {
    case TNameMode::Regex:
        m_Regex.emplace(chars, ignoreCase);
        m_All = pattern.empty();
        m_Required = m_Regex->RequiredTexts();
        break;
    case TNameMode::Glob:
        m_Glob.emplace(chars, ignoreCase);
        m_All = pattern == "*";
        m_Required = m_Glob->RequiredTexts();
        break;
    default:
        for (const int c : chars) {
            m_Impossible = m_Impossible || c < 0;
            m_Needle += char(c < 0 ? 0 : ignoreCase ? FoldAnsi(uint8_t(c)) : c);
        }
        m_All = pattern.empty();
        if (!m_Impossible && !m_Needle.empty())
            m_Required = {m_Needle};
        break;
    }
    if (m_All)
        m_Required.clear();
}

bool TNameMatcher::Matches(std::string_view name, std::string_view folded) const
{
    if (m_All)
        return true;
    const std::string_view text = m_IgnoreCase ? folded : name;
    switch (m_Mode) {
    case TNameMode::Regex:
        // The expression's sets ignore case themselves; the text it requires
        // is found far faster than the expression is run.
        return (m_Required.empty() || text.find(m_Required.front()) != std::string_view::npos)
               && m_Regex->Matches(name);
    case TNameMode::Glob: return m_Glob->Matches(text);
    default: return !m_Impossible && text.find(m_Needle) != std::string_view::npos;
    }
}
