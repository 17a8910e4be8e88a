#pragma once
// TRegexLiteral: texts that every match of a parsed regular expression
// contains, worked out from the expression's literal parts. A name search
// looks for one with a plain substring search first and runs the expression
// only on the names that hold it. The texts are folded when the expression
// ignores case (to be sought in folded names) and as stored otherwise; there
// are none when the expression requires no text (".*", "\d+", "a|b").

#include "engines/RegexNode.h"

#include <optional>
#include <string>
#include <vector>

class TRegexLiteral {
public:
    // `nodes` as the parser made them: every node's kids come before it.
    // The longest few texts, longest first.
    static std::vector<std::string> Required(const std::vector<TRegexNode> &nodes, int root, bool ignoreCase);

private:
    // What is known of the texts one node matches.
    struct TInfo {
        std::optional<std::string> exact; // it matches this text and no other
        std::string prefix;               // every match starts with it
        std::string suffix;               // every match ends with it
        std::vector<std::string> factors; // every match contains each of them
    };

    static TInfo Of(const TRegexNode &node, const std::vector<TInfo> &done, bool ignoreCase);
    static TInfo Exact(const std::string &text);
    static TInfo Concat(const TInfo &a, const TInfo &b);
    static TInfo Alternatives(const std::vector<const TInfo *> &kids);
    static TInfo Repeat(const TInfo &kid, int min, int max);
    static std::string CommonFactor(const std::vector<const TInfo *> &kids);
    // Adds prefix and suffix to the factors and keeps the longest few.
    static TInfo Tidy(TInfo info);
};
