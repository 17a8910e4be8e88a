// The name criterion and the index-answered criteria of a search.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/TreeWalk.h"
#include "engines/NameIndex.h"
#include "engines/NameMatcher.h"
#include "engines/NameSearch.h"
#include "engines/RegexPattern.h"

#include <gtest/gtest.h>

namespace {

bool NameMatches(const std::string &pattern, TNameMode mode, const std::string &ansiName, bool ignoreCase = true)
{
    const TNameMatcher matcher(pattern, mode, ignoreCase);
    std::string folded;
    FoldAnsiText(ansiName, folded);
    return matcher.Matches(ansiName, folded);
}

TEST(FindMatcher, GlobCoversTheWholeNameWithStarAndQuestionMark)
{
    EXPECT_TRUE(NameMatches("*.vmtex", TNameMode::Glob, "Stone.VMTEX"));
    EXPECT_FALSE(NameMatches("*.vmtex", TNameMode::Glob, "stone.vmtex.bak"));
    EXPECT_TRUE(NameMatches("tex?_*.bmp", TNameMode::Glob, "tex1_grass.bmp"));
    EXPECT_TRUE(NameMatches("tex?_*.bmp", TNameMode::Glob, "tex1_.bmp"));
    EXPECT_FALSE(NameMatches("tex?_*.bmp", TNameMode::Glob, "tex12_grass.bmp"));
    EXPECT_TRUE(NameMatches("*a*b*c", TNameMode::Glob, "xxaxxbxxbcc"));
    EXPECT_TRUE(NameMatches("stone*", TNameMode::Glob, "stone"));
    EXPECT_FALSE(NameMatches("*.BMP", TNameMode::Glob, "pic.bmp", false));
    // Auto: wildcards make a glob, plain text a substring.
    EXPECT_TRUE(NameMatches("tex?", TNameMode::Auto, "tex1"));
    EXPECT_FALSE(NameMatches("tex?", TNameMode::Auto, "tex1.bmp"));
    EXPECT_TRUE(NameMatches("ONE", TNameMode::Auto, "stone.bmp"));
}

TEST(FindMatcher, RegexFindsAnywhereUnlessAnchored)
{
    EXPECT_TRUE(NameMatches("^tex[0-9]{2,3}\\.(bmp|tga)$", TNameMode::Regex, "TEX042.tga"));
    EXPECT_FALSE(NameMatches("^tex[0-9]{2,3}\\.(bmp|tga)$", TNameMode::Regex, "tex0421.tga"));
    EXPECT_TRUE(NameMatches("n[^0-9]+e", TNameMode::Regex, "xxstonnexx"));
    EXPECT_FALSE(NameMatches("n[^0-9]+e", TNameMode::Regex, "n1e"));
    EXPECT_TRUE(NameMatches("a\\d?b", TNameMode::Regex, "ab"));
    EXPECT_TRUE(NameMatches("(?:ab)+$", TNameMode::Regex, "xabab"));
    EXPECT_FALSE(NameMatches("[a-c]", TNameMode::Regex, "XYZ"));
    EXPECT_FALSE(NameMatches("Stone", TNameMode::Regex, "stone", false));
    // One matcher over many names, as a search uses it.
    const TNameMatcher one("^st(o|a)ne?$|x{2}$", TNameMode::Regex, true);
    const std::vector<std::pair<std::string, bool>> names = {
        {"stone", true}, {"xstone", false}, {"stan", true}, {"stonee", false}, {"STONE", true}, {"axx", true}, {"", false}};
    for (const auto &[name, expected] : names)
        EXPECT_EQ(one.Matches(name, name), expected) << name;

    // A pattern that backtracking engines take exponential time or deep
    // recursion on, over a long text: answered in one pass.
    const std::string longName(200000, 'a');
    EXPECT_FALSE(NameMatches("(a|aa)*(a*)*b", TNameMode::Regex, longName));
    EXPECT_TRUE(NameMatches("(a|aa)*$", TNameMode::Regex, longName));
}

TEST(FindMatcher, MalformedRegexIsAnErrorWithItsReason)
{
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"(stone", "missing )"}, {"stone)", "unmatched )"}, {"*.bmp", "nothing to repeat"},
        {"[a-", "missing ]"},    {"[z-a]", "bad range"},    {"a{5,2}", "m below n"},
        {"\\", "at the end"},    {"\\q", "unsupported escape"}, {std::string(300, '('), "nested too deeply"},
    };
    for (const auto &[pattern, reason] : bad) {
        SCOPED_TRACE(pattern);
        try {
            TNameMatcher(pattern, TNameMode::Regex, true);
            ADD_FAILURE() << "accepted";
        } catch (const Exception &error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}

TEST(FindMatcher, Windows1252LettersFoldInEveryMode)
{
    const std::string ete = "\xC9T\xC9.txt";  // "ÉTÉ.txt" as stored
    const std::string skoda = "\x8A" "koda"; // "Škoda"
    for (const TNameMode mode : {TNameMode::Substring, TNameMode::Glob, TNameMode::Regex}) {
        SCOPED_TRACE(int(mode));
        const std::string pattern = mode == TNameMode::Glob ? "été*" : "été";
        EXPECT_TRUE(NameMatches(pattern, mode, ete));
        EXPECT_FALSE(NameMatches(pattern, mode, ete, false));
        EXPECT_TRUE(NameMatches(mode == TNameMode::Glob ? "ÉTÉ*" : "ÉTÉ", mode, ete, false));
        EXPECT_TRUE(NameMatches(mode == TNameMode::Glob ? "škoda" : "ško", mode, skoda));
    }
    EXPECT_TRUE(NameMatches("[à-þ]T", TNameMode::Regex, ete));
    // A character the code page lacks never matches, not even a stored "?".
    EXPECT_FALSE(NameMatches("a\u03A9", TNameMode::Substring, "a?"));
    EXPECT_FALSE(NameMatches("a\u03A9", TNameMode::Glob, "a?"));
    EXPECT_FALSE(NameMatches("a\u03A9", TNameMode::Regex, "a?"));
}

// Expressions whose required text is easy to get wrong. `mustMatch` is a
// name the expression matches without holding the text a careless reading
// would require; `required` is the longest text every match holds.
struct TRequiredCase {
    const char *expression;
    bool ignoreCase;
    const char *mustMatch;
    const char *required;
};

const TRequiredCase RequiredCases[] = {
    {"STONE12", true, "tex0042_Stone12.vmtex", "stone12"},
    {"Stone", false, "Stone.bmp", "Stone"},
    {"[sS]tone", false, "stone", "tone"},
    {"stone|rock", true, "ROCK.bmp", "o"},
    {"(stone|rock)12", true, "rock12.wav", "12"},
    {"tex(12|13)", true, "TEX13", "tex1"},
    {"(ab|cb)x", true, "cbx", "bx"},
    {"stones?12", true, "stone12", "stone"},
    {"ab?c", true, "ac", "a"},
    {"a(bc)*d", true, "ad", "a"},
    {"x{0}y", true, "y", "y"},
    {"(|a)b", true, "b", "b"},
    {"(ab){2,3}x", true, "ababx", "ababx"},
    {"(ab)+c", true, "xababc", "abc"},
    {"a{2,}b", true, "xaaab", "aab"},
    {"a+?b", true, "aab", "ab"},
    {"(stone){2}", true, "STONEstone", "stonestone"},
    {"st[o0]ne", true, "ST0NE", "ne"},
    {"st.ne", true, "stune", "ne"},
    {"\\d+x", true, "12X", "x"},
    {"\\x41b", true, "AB", "ab"},
    {"\\.bmp$", true, "a.BMP", ".bmp"},
    {"^tex0[0-4]\\d7_", true, "tex0317_sky.bmp", "tex0"},
    {"bmp$|^tex", true, "tex.wav", ""},
    {"été", true, "\xC9T\xC9.txt", "\xE9t\xE9"},
    {"Šÿ", true, "x\x8A\x9F", "\x9A\xFF"},
    {"a\u03A9|b", true, "b", ""},
};

std::vector<std::string> RequiredCaseNames()
{
    std::vector<std::string> names = {"stone.bmp", "tex0042_stone12.vmtex", "rock", "ababab", "abx", "ST0NF",
                                      "ete.txt", "axc", "aXd", "tex0427_a.bmp", "\x9A\xFF", "STONE"};
    for (const TRequiredCase &c : RequiredCases)
        names.push_back(c.mustMatch);
    return names;
}

TEST(FindMatcher, RequiredTextNeverRulesOutAMatch)
{
    const std::vector<std::string> names = RequiredCaseNames();
    std::string folded;
    for (const TRequiredCase &c : RequiredCases) {
        SCOPED_TRACE(c.expression);
        const TRegexPattern plain(Utf8ToAnsiChars(c.expression), c.ignoreCase);
        const std::vector<std::string> &required = plain.RequiredTexts();
        EXPECT_EQ(required.empty() ? "" : required.front(), c.required);
        EXPECT_TRUE(plain.Matches(c.mustMatch));
        const TNameMatcher matcher(c.expression, TNameMode::Regex, c.ignoreCase);
        for (const std::string &name : names) {
            FoldAnsiText(name, folded);
            EXPECT_EQ(matcher.Matches(name, folded), plain.Matches(name)) << name;
        }
    }
}

TEST(FindSearch, RegexSearchOverAnIndexFindsWhatTheExpressionMatches)
{
    // A search looks for a required text over all names at once and runs
    // the expression only where it is found: the same names must come out.
    TScratchFolder folder;
    VornWriter writer;
    const auto names = writer.addDir(0, "names");
    std::vector<std::string> all = RequiredCaseNames();
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    for (const std::string &name : all)
        writer.addFile(names, TextFile(name, "x"));
    const std::unique_ptr<TVornFile> vorn = BuildArchive(writer, folder.path() / "n.vmres");
    const TNameIndex index(*vorn);
    const auto compare = [&](const TFindCriteria &criteria, const std::function<bool(std::string_view)> &plain) {
        std::vector<std::string> expected;
        for (size_t i = 0; i < index.Count(); ++i)
            if (plain(index.Name(i)))
                expected.emplace_back(index.Name(i));
        std::vector<std::string> found;
        TNameSearch(criteria).Run(index, 0, index.Count(), [&](const std::vector<uint32_t> &items) {
            for (const uint32_t i : items)
                found.emplace_back(index.Name(i));
        });
        EXPECT_EQ(found, expected);
    };
    TFindCriteria criteria;
    for (const TRequiredCase &c : RequiredCases) {
        SCOPED_TRACE(c.expression);
        const TRegexPattern plain(Utf8ToAnsiChars(c.expression), c.ignoreCase);
        criteria.Name = c.expression;
        criteria.NameMode = TNameMode::Regex;
        criteria.IgnoreCase = c.ignoreCase;
        compare(criteria, [&](std::string_view name) { return plain.Matches(name); });
    }
    // Globs are sought by one of their plain runs the same way.
    for (const char *glob : {"t?x*", "*A*B*", "*b?x", "ST?NE*"}) {
        SCOPED_TRACE(glob);
        criteria.Name = glob;
        criteria.NameMode = TNameMode::Glob;
        criteria.IgnoreCase = glob[0] != 'S';
        compare(criteria, [&](std::string_view name) {
            return NameMatches(glob, TNameMode::Glob, std::string(name), criteria.IgnoreCase);
        });
    }
}

class FindCriteriaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        const auto art = writer.addDir(0, "Art");
        writer.addFile(art, TextFile("Stone.VMTEX", std::string(3000, 's'), MakeFileTime(2003, 5, 14), DATAFORMAT_ZLIB));
        writer.addFile(art, TextFile("grass.vmtex", "g", MakeFileTime(2004, 2, 29)));
        const auto maps = writer.addDir(0, "maps");
        writer.addFile(maps, TextFile("stone.map", std::string(500, 'm'), MakeFileTime(2004, 2, 29), DATAFORMAT_LZO));
        writer.addDir(maps, "stones");
        m_Vorn = BuildArchive(writer, m_Folder.path() / "a.vmres");
        m_Index = std::make_unique<TNameIndex>(*m_Vorn);
    }

    std::vector<std::string> Find(const TFindCriteria &criteria, TNameSearch::TTypeDescriber describer = {})
    {
        std::vector<std::string> paths;
        TNameSearch(criteria, describer).Run(*m_Index, 0, m_Index->Count(), [&](const std::vector<uint32_t> &items) {
            for (const uint32_t i : items)
                paths.push_back(m_Index->FolderPath(m_Index->Item(i).Folder) + std::string(m_Index->Name(i)));
        });
        return paths;
    }

    TScratchFolder m_Folder;
    std::unique_ptr<TVornFile> m_Vorn;
    std::unique_ptr<TNameIndex> m_Index;
};

TEST_F(FindCriteriaTest, CriteriaCombine)
{
    TFindCriteria stone;
    stone.Name = "stone";
    EXPECT_EQ(Find(stone), (std::vector<std::string>{"Art/Stone.VMTEX", "maps/stone.map", "maps/stones"}));

    TFindCriteria files = stone;
    files.MinSize = 501; // folders have no size: a size criterion leaves them out
    EXPECT_EQ(Find(files), (std::vector<std::string>{"Art/Stone.VMTEX"}));
    files.MinSize.reset();
    files.Formats = FormatBit(DATAFORMAT_LZO) | FormatBit(DATAFORMAT_RAW);
    EXPECT_EQ(Find(files), (std::vector<std::string>{"maps/stone.map"}));

    TFindCriteria typed;
    typed.Types = {"*.VMTEX"};
    typed.ModifiedFrom = FileTimeToDateTime(MakeFileTime(2004, 1, 1));
    EXPECT_EQ(Find(typed), (std::vector<std::string>{"Art/grass.vmtex"}));
    typed = {};
    typed.Types = {"Velmire map"};
    const auto describe = [](std::string_view name) {
        return name.ends_with(".map") ? std::string("Velmire Map") : std::string("File");
    };
    EXPECT_EQ(Find(typed, describe), (std::vector<std::string>{"maps/stone.map"}));

    TFindCriteria path;
    path.Name = "maps/*s";
    path.WholePath = true;
    EXPECT_EQ(Find(path), (std::vector<std::string>{"maps/stones"}));
    path.WholePath = false;
    EXPECT_TRUE(Find(path).empty());

    // Only files can be damaged; their data can't be searched.
    TFindCriteria damaged = stone;
    damaged.Damaged = true;
    EXPECT_EQ(Find(damaged), (std::vector<std::string>{"Art/Stone.VMTEX", "maps/stone.map"}));
    EXPECT_NO_THROW(damaged.Validate());
    damaged.ContentMode = TContentMode::Text;
    damaged.Content = "s";
    EXPECT_THROW(damaged.Validate(), Exception);
    damaged.Damaged = false;
    EXPECT_NO_THROW(damaged.Validate());
    damaged.NameMode = TNameMode::Regex;
    damaged.Name = "(s";
    EXPECT_THROW(damaged.Validate(), Exception);
}

TEST_F(FindCriteriaTest, SubtreeAndNarrowing)
{
    const auto [first, last] = m_Index->SubtreeRange(FindEntry(*m_Vorn, "maps"));
    std::vector<std::string> below;
    for (size_t i = first; i < last; ++i)
        below.emplace_back(m_Index->Name(i));
    EXPECT_EQ(below, (std::vector<std::string>{"stone.map", "stones"}));

    TFindCriteria before;
    before.Name = "St";
    TFindCriteria after = before;
    after.Name = "xSTo";
    EXPECT_TRUE(after.Narrows(before));
    after.Name = "s";
    EXPECT_FALSE(after.Narrows(before));
    after.Name = "st*";
    EXPECT_FALSE(after.Narrows(before));
    after.Name = "stone";
    after.MinSize = 1;
    EXPECT_FALSE(after.Narrows(before));
    after.MinSize.reset();
    after.Damaged = true;
    EXPECT_FALSE(after.Narrows(before));
    // A substring finds names a glob of the same text left out ("stones").
    after.Damaged = false;
    before.Name = "stone";
    before.NameMode = TNameMode::Glob;
    EXPECT_FALSE(after.Narrows(before));
}

} // namespace
