#include "engines/GlobPattern.h"

#include "engines/AnsiFold.h"

#include <algorithm>
#include <cstdint>

TGlobPattern::TGlobPattern(const std::vector<int> &chars, bool ignoreCase)
{
    for (const int c : chars) {
        if (c == '*') {
            if (m_Tokens.empty() || m_Tokens.back() != Star) // "**" is "*"
                m_Tokens.push_back(Star);
        } else if (c == '?') {
            m_Tokens.push_back(AnyOne);
        } else if (c < 0) {
            m_Tokens.push_back(Never);
        } else {
            m_Tokens.push_back(ignoreCase ? FoldAnsi(uint8_t(c)) : c);
        }
    }
    // Each run of plain characters must occur in any matching text; looking
    // for the longest first rules most names out quickly.
    std::string run;
    for (const int token : m_Tokens) {
        if (token >= 0) {
            run += char(token);
            continue;
        }
        if (token == Never)
            m_Impossible = true;
        if (!run.empty())
            m_Runs.push_back(run);
        run.clear();
    }
    if (!run.empty())
        m_Runs.push_back(run);
    std::stable_sort(m_Runs.begin(), m_Runs.end(),
                     [](const std::string &a, const std::string &b) { return a.size() > b.size(); });
    if (!m_Runs.empty())
        m_Required = m_Runs.front();
}

bool TGlobPattern::Matches(std::string_view text) const
{
    if (m_Impossible || (!m_Required.empty() && text.find(m_Required) == std::string_view::npos))
        return false;
    // Greedy matching that falls back to the last star: linear for patterns
    // with one star, never worse than tokens x text.
    size_t t = 0;
    size_t p = 0;
    size_t starToken = SIZE_MAX;
    size_t starText = 0;
    while (t < text.size()) {
        if (p < m_Tokens.size() && m_Tokens[p] == Star) {
            starToken = p++;
            starText = t;
            continue;
        }
        if (p < m_Tokens.size()
            && (m_Tokens[p] == AnyOne || (m_Tokens[p] >= 0 && m_Tokens[p] == int(uint8_t(text[t]))))) {
            ++p;
            ++t;
            continue;
        }
        if (starToken == SIZE_MAX)
            return false;
        p = starToken + 1;
        t = ++starText;
    }
    while (p < m_Tokens.size() && m_Tokens[p] == Star)
        ++p;
    return p == m_Tokens.size();
}
