#pragma once
// TGlobPattern: a file-name wildcard ("*.vmtex", "tex?_*.bmp"). "*" stands
// for any run of characters, "?" for one; the pattern covers the whole text.

#include <string>
#include <string_view>
#include <vector>

class TGlobPattern {
public:
    // `chars`: Windows-1252 bytes, -1 for a character no name can contain.
    // With `ignoreCase` the literals are folded and Matches expects folded text.
    TGlobPattern(const std::vector<int> &chars, bool ignoreCase);

    bool Matches(std::string_view text) const;
    // The runs of plain characters, longest first: every matching text
    // holds each of them.
    const std::vector<std::string> &RequiredTexts() const { return m_Runs; }

private:
    enum : int { Star = -2, AnyOne = -3, Never = -1 };
    std::vector<int> m_Tokens; // a byte, or Star / AnyOne / Never
    std::vector<std::string> m_Runs; // the runs of plain characters, longest first
    std::string m_Required;    // the longest run
    bool m_Impossible = false; // a character no name can contain
};
