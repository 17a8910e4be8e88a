// The corners of the regular-expression syntax, and the cache of worked-out
// states starting again in the middle of a search.

#include "engines/AnsiFold.h"
#include "engines/RegexPattern.h"

#include "archive/Exceptions.h"

#include <gtest/gtest.h>

#include <random>

namespace {

bool Matches(const std::string &expression, const std::string &ansiText, bool ignoreCase = false)
{
    return TRegexPattern(Utf8ToAnsiChars(expression), ignoreCase).Matches(ansiText);
}

TEST(RegexPattern, ClassesEscapesAndCountsAtTheirEdges)
{
    // A negated class with letters, ignoring case: neither case matches.
    EXPECT_FALSE(Matches("^[^a-c]$", "B", true));
    EXPECT_TRUE(Matches("^[^a-c]$", "d", true));
    // "]" first and "-" last are the characters themselves; a range may hold one character.
    EXPECT_TRUE(Matches("^[]x]$", "]"));
    EXPECT_TRUE(Matches("^[a-]$", "-"));
    EXPECT_FALSE(Matches("^[a-]$", "b"));
    EXPECT_TRUE(Matches("^[k-k]$", "k"));
    // Escapes: hex digits as letters, the negated digit class, "ß" as a word character.
    EXPECT_TRUE(Matches("^\\x4a\\x4A$", "JJ"));
    EXPECT_TRUE(Matches("^\\D$", "x"));
    EXPECT_FALSE(Matches("\\D", "42"));
    EXPECT_TRUE(Matches("^\\w$", "\xDF"));
    // A count of 1000 is the largest allowed.
    EXPECT_TRUE(Matches("^a{1000}$", std::string(1000, 'a')));
    EXPECT_FALSE(Matches("^a{1000}$", std::string(999, 'a')));
    EXPECT_THROW(TRegexPattern(Utf8ToAnsiChars("a{1001}"), false), Exception);
    // 200 groups deep is allowed; an expression of a million states is not.
    EXPECT_TRUE(Matches(std::string(200, '(') + "a" + std::string(200, ')'), "a"));
    EXPECT_THROW(TRegexPattern(Utf8ToAnsiChars("(?:a{1000}){1000}"), false), Exception);
}

TEST(RegexPattern, AnswersStayRightWhenTheStateCacheStartsAgain)
{
    // "a" 12 places before the end: several thousand states are met over
    // random texts, more than the cache keeps.
    const TRegexPattern pattern(Utf8ToAnsiChars("a.{12}$"), false);
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        std::string text(14 + random() % 20, 'b');
        for (char &c : text)
            c = random() % 2 ? 'a' : 'b';
        ASSERT_EQ(pattern.Matches(text), text[text.size() - 13] == 'a') << text;
    }
}

} // namespace
