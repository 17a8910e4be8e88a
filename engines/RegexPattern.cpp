#include "engines/RegexPattern.h"

#include "archive/Exceptions.h"
#include "engines/RegexLiteral.h"
#include "engines/RegexNode.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr int MaxNesting = 200;
constexpr int MaxRepeat = 1000;
constexpr size_t MaxStates = 50000;
constexpr int Infinite = -1;

[[noreturn]] void Fail(const std::string &reason)
{
    throw Exception("Bad regular expression: " + reason);
}

class TParser {
public:
    TParser(const std::vector<int> &chars, bool ignoreCase) : m_Chars(chars), m_IgnoreCase(ignoreCase) {}

    std::vector<TRegexNode> Parse(int &root)
    {
        root = ParseAlternatives(0);
        if (m_Pos < m_Chars.size())
            Fail("unmatched )");
        return std::move(m_Nodes);
    }

private:
    bool AtEnd() const { return m_Pos >= m_Chars.size(); }
    int Peek() const { return AtEnd() ? INT32_MIN : m_Chars[m_Pos]; }

    int Add(TRegexNode node)
    {
        m_Nodes.push_back(std::move(node));
        return int(m_Nodes.size() - 1);
    }

    int AddSet(TByteSet set, bool negate = false)
    {
        if (m_IgnoreCase)
            set.CloseUnderFolding();
        if (negate)
            set.bits.flip();
        TRegexNode node;
        node.kind = TRegexNode::Set;
        node.set = set;
        return Add(std::move(node));
    }

    int ParseAlternatives(int depth)
    {
        if (depth > MaxNesting)
            Fail("groups nested too deeply");
        std::vector<int> kids{ParseSequence(depth)};
        while (Peek() == '|') {
            ++m_Pos;
            kids.push_back(ParseSequence(depth));
        }
        if (kids.size() == 1)
            return kids.front();
        TRegexNode node;
        node.kind = TRegexNode::Alt;
        node.kids = std::move(kids);
        return Add(std::move(node));
    }

    int ParseSequence(int depth)
    {
        std::vector<int> kids;
        while (!AtEnd() && Peek() != '|' && Peek() != ')')
            kids.push_back(ParseRepeat(depth));
        if (kids.size() == 1)
            return kids.front();
        TRegexNode node;
        node.kind = kids.empty() ? TRegexNode::Empty : TRegexNode::Concat;
        node.kids = std::move(kids);
        return Add(std::move(node));
    }

    int ParseRepeat(int depth)
    {
        int atom = ParseAtom(depth);
        for (int stacked = 0;; ++stacked) {
            if (stacked > MaxNesting)
                Fail("too many quantifiers in a row");
            int min = 0;
            int max = 0;
            const int c = Peek();
            if (c == '*') {
                min = 0, max = Infinite, ++m_Pos;
            } else if (c == '+') {
                min = 1, max = Infinite, ++m_Pos;
            } else if (c == '?') {
                min = 0, max = 1, ++m_Pos;
            } else if (c != '{' || !ParseCount(min, max)) {
                return atom;
            }
            if (Peek() == '?')
                ++m_Pos; // lazy and greedy find the same names
            TRegexNode node;
            node.kind = TRegexNode::Repeat;
            node.kids = {atom};
            node.min = min;
            node.max = max;
            atom = Add(std::move(node));
        }
    }

    // {n}, {n,} or {n,m} at the current position; anything else leaves the
    // "{" to be read as a literal.
    bool ParseCount(int &min, int &max)
    {
        size_t pos = m_Pos + 1;
        auto number = [&](int &value) {
            const size_t start = pos;
            value = 0;
            while (pos < m_Chars.size() && m_Chars[pos] >= '0' && m_Chars[pos] <= '9') {
                value = std::min(value * 10 + (m_Chars[pos] - '0'), MaxRepeat + 1);
                ++pos;
            }
            return pos > start;
        };
        if (!number(min))
            return false;
        max = min;
        if (pos < m_Chars.size() && m_Chars[pos] == ',') {
            ++pos;
            if (!number(max))
                max = Infinite;
        }
        if (pos >= m_Chars.size() || m_Chars[pos] != '}')
            return false;
        if (min > MaxRepeat || max > MaxRepeat)
            Fail("repeat count above 1000");
        if (max != Infinite && max < min)
            Fail("repeat range {n,m} with m below n");
        m_Pos = pos + 1;
        return true;
    }

    int ParseAtom(int depth)
    {
        const int c = m_Chars[m_Pos++];
        TByteSet set;
        switch (c) {
        case '(': {
            if (Peek() == '?') {
                if (m_Pos + 1 >= m_Chars.size() || m_Chars[m_Pos + 1] != ':')
                    Fail("only (?: ) groups are supported");
                m_Pos += 2;
            }
            const int inner = ParseAlternatives(depth + 1);
            if (Peek() != ')')
                Fail("missing )");
            ++m_Pos;
            return inner;
        }
        case '*':
        case '+':
        case '?':
            Fail("nothing to repeat before " + std::string(1, char(c)));
        case '[':
            return ParseClass();
        case '.':
            set.bits.set();
            return AddSet(set);
        case '^': {
            TRegexNode node;
            node.kind = TRegexNode::Begin;
            return Add(std::move(node));
        }
        case '$': {
            TRegexNode node;
            node.kind = TRegexNode::End;
            return Add(std::move(node));
        }
        case '\\': {
            bool negate = false;
            ParseEscape(set, negate, false);
            return AddSet(set, negate);
        }
        default:
            if (c >= 0)
                set.Add(uint8_t(c));
            return AddSet(set); // a character no name has: the empty set
        }
    }

    // The escape after a backslash into `set`; \D \W \S set `negate`.
    void ParseEscape(TByteSet &set, bool &negate, bool inClass)
    {
        if (AtEnd())
            Fail("\\ at the end");
        const int c = m_Chars[m_Pos++];
        switch (c) {
        case 'd': case 'D':
            set.AddRange('0', '9');
            break;
        case 'w': case 'W':
            AddWordChars(set);
            break;
        case 's': case 'S':
            for (const char space : {' ', '\t', '\n', '\r', '\f', '\v'})
                set.Add(uint8_t(space));
            break;
        case 't': set.Add('\t'); return;
        case 'n': set.Add('\n'); return;
        case 'r': set.Add('\r'); return;
        case 'x': set.Add(uint8_t(ParseHexByte())); return;
        default:
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
                Fail("unsupported escape \\" + std::string(1, char(c)));
            if (c >= 0)
                set.Add(uint8_t(c));
            return;
        }
        if (c == 'D' || c == 'W' || c == 'S') {
            if (inClass)
                Fail("\\D, \\W and \\S can't stand inside [ ]");
            negate = true;
        }
    }

    int ParseHexByte()
    {
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const int c = AtEnd() ? -1 : m_Chars[m_Pos++];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                Fail("\\x needs two hex digits");
            value = value * 16 + digit;
        }
        return value;
    }

    static void AddWordChars(TByteSet &set)
    {
        set.AddRange('a', 'z');
        set.AddRange('A', 'Z');
        set.AddRange('0', '9');
        set.Add('_');
        for (int b = 0x80; b < 256; ++b) // the code page's letters
            if (FoldAnsi(uint8_t(b)) != b || (b >= 0xDF && b != 0xF7))
                set.Add(uint8_t(b));
    }

    int ParseClass()
    {
        const bool negate = Peek() == '^';
        if (negate)
            ++m_Pos;
        TByteSet set;
        bool first = true;
        for (;;) {
            if (AtEnd())
                Fail("missing ]");
            int c = m_Chars[m_Pos++];
            if (c == ']' && !first)
                break;
            first = false;
            if (c == '\\') {
                TByteSet escaped;
                bool unused = false;
                ParseEscape(escaped, unused, true);
                if (escaped.bits.count() != 1 || Peek() != '-') {
                    set.bits |= escaped.bits;
                    continue;
                }
                c = int(escaped.bits._Find_first());
            }
            if (Peek() == '-' && m_Pos + 1 < m_Chars.size() && m_Chars[m_Pos + 1] != ']') {
                m_Pos++;
                int last = m_Chars[m_Pos++];
                if (last == '\\') {
                    TByteSet escaped;
                    bool unused = false;
                    ParseEscape(escaped, unused, true);
                    last = escaped.bits.count() == 1 ? int(escaped.bits._Find_first()) : -1;
                }
                if (c < 0 || last < 0 || last < c)
                    Fail("bad range in [ ]");
                set.AddRange(uint8_t(c), uint8_t(last));
            } else if (c >= 0) {
                set.Add(uint8_t(c));
            }
        }
        return AddSet(set, negate);
    }

    const std::vector<int> &m_Chars;
    bool m_IgnoreCase;
    size_t m_Pos = 0;
    std::vector<TRegexNode> m_Nodes;
};

} // namespace

// Turns the parsed expression into states (Thompson's construction): each
// node becomes a fragment with a start state and open ends to be linked.
class TRegexCompiler {
public:
    TRegexCompiler(TRegexPattern &pattern, const std::vector<TRegexNode> &nodes) : m_Pattern(pattern), m_Nodes(nodes) {}

    int Compile(int root)
    {
        TFragment whole = Build(root);
        const int match = NewState(TRegexPattern::TState::Match);
        Link(whole.ends, match);
        return whole.start;
    }

private:
    struct TEnd {
        int state;
        bool second; // out1 of a Split
    };
    struct TFragment {
        int start;
        std::vector<TEnd> ends;
    };

    int NewState(TRegexPattern::TState::Kind kind)
    {
        if (m_Pattern.m_States.size() >= MaxStates)
            Fail("expression too large");
        TRegexPattern::TState state;
        state.kind = kind;
        m_Pattern.m_States.push_back(state);
        return int(m_Pattern.m_States.size() - 1);
    }

    void Link(const std::vector<TEnd> &ends, int target)
    {
        for (const TEnd &end : ends)
            (end.second ? m_Pattern.m_States[size_t(end.state)].out1 : m_Pattern.m_States[size_t(end.state)].out) = target;
    }

    TFragment Single(TRegexPattern::TState::Kind kind)
    {
        const int s = NewState(kind);
        return {s, {{s, false}}};
    }

    // Recursion follows the nesting of groups and quantifiers, which the
    // parser bounds.
    TFragment Build(int index)
    {
        const TRegexNode &node = m_Nodes[size_t(index)];
        switch (node.kind) {
        case TRegexNode::Set: {
            TFragment f = Single(TRegexPattern::TState::Byte);
            m_Pattern.m_Sets.push_back(node.set);
            m_Pattern.m_States[size_t(f.start)].set = int(m_Pattern.m_Sets.size() - 1);
            return f;
        }
        case TRegexNode::Empty: return Single(TRegexPattern::TState::Epsilon);
        case TRegexNode::Begin: return Single(TRegexPattern::TState::Begin);
        case TRegexNode::End: return Single(TRegexPattern::TState::End);
        case TRegexNode::Concat: return Sequence(node.kids);
        case TRegexNode::Alt: {
            TFragment result = Build(node.kids[0]);
            for (size_t k = 1; k < node.kids.size(); ++k) {
                TFragment next = Build(node.kids[k]);
                const int split = NewState(TRegexPattern::TState::Split);
                m_Pattern.m_States[size_t(split)].out = result.start;
                m_Pattern.m_States[size_t(split)].out1 = next.start;
                result.start = split;
                result.ends.insert(result.ends.end(), next.ends.begin(), next.ends.end());
            }
            return result;
        }
        case TRegexNode::Repeat: return Repeat(node);
        }
        return Single(TRegexPattern::TState::Epsilon);
    }

    TFragment Sequence(const std::vector<int> &kids)
    {
        TFragment result = Build(kids[0]);
        for (size_t k = 1; k < kids.size(); ++k) {
            TFragment next = Build(kids[k]);
            Link(result.ends, next.start);
            result.ends = std::move(next.ends);
        }
        return result;
    }

    TFragment Repeat(const TRegexNode &node)
    {
        const int kid = node.kids[0];
        TFragment result = Single(TRegexPattern::TState::Epsilon);
        auto append = [&](TFragment next) {
            Link(result.ends, next.start);
            result.ends = std::move(next.ends);
        };
        for (int i = 0; i < node.min; ++i)
            append(Build(kid));
        if (node.max == Infinite) {
            TFragment body = Build(kid);
            const int split = NewState(TRegexPattern::TState::Split);
            m_Pattern.m_States[size_t(split)].out = body.start;
            Link(body.ends, split);
            append({split, {{split, true}}});
            return result;
        }
        for (int i = node.min; i < node.max; ++i) {
            TFragment body = Build(kid);
            const int split = NewState(TRegexPattern::TState::Split);
            m_Pattern.m_States[size_t(split)].out = body.start;
            body.ends.push_back({split, true});
            append({split, std::move(body.ends)});
        }
        return result;
    }

    TRegexPattern &m_Pattern;
    const std::vector<TRegexNode> &m_Nodes;
};

TRegexPattern::TRegexPattern(const std::vector<int> &chars, bool ignoreCase)
{
    int root = 0;
    const std::vector<TRegexNode> nodes = TParser(chars, ignoreCase).Parse(root);
    m_Start = TRegexCompiler(*this, nodes).Compile(root);
    m_Required = TRegexLiteral::Required(nodes, root, ignoreCase);
}

namespace {

// A cache that grew past this many states starts again (about 1 kB each).
constexpr size_t MaxDfaStates = 4096;

} // namespace

void TRegexPattern::Closure(const std::vector<int> &seeds, bool atStart, bool atEnd, std::vector<int> &set,
                            bool &match) const
{
    std::vector<uint8_t> seen(m_States.size(), 0);
    std::vector<int> stack(seeds.rbegin(), seeds.rend());
    set.clear();
    match = false;
    while (!stack.empty()) {
        const int x = stack.back();
        stack.pop_back();
        if (x < 0 || seen[size_t(x)])
            continue;
        seen[size_t(x)] = 1;
        const TState &st = m_States[size_t(x)];
        switch (st.kind) {
        case TState::Byte: set.push_back(x); break;
        case TState::Epsilon: stack.push_back(st.out); break;
        case TState::Split:
            stack.push_back(st.out1);
            stack.push_back(st.out);
            break;
        case TState::Begin:
            if (atStart)
                stack.push_back(st.out);
            break;
        case TState::End:
            if (atEnd)
                stack.push_back(st.out);
            else
                set.push_back(x); // decided once the end is known
            break;
        case TState::Match: match = true; break;
        }
    }
    std::sort(set.begin(), set.end());
}

int TRegexPattern::DfaState(bool atStart, const std::vector<int> &seeds) const
{
    std::vector<int> set;
    bool match = false;
    Closure(seeds, atStart, false, set, match);
    // A set reached together with a match is another state than the set alone.
    std::pair<int, std::vector<int>> key(int(atStart) | (match ? 2 : 0), set);
    const auto known = m_DfaIndex.find(key);
    if (known != m_DfaIndex.end())
        return known->second;
    TDfaState state;
    state.match = match;
    std::vector<int> ends;
    for (const int x : set)
        if (m_States[size_t(x)].kind == TState::End)
            ends.push_back(m_States[size_t(x)].out);
    std::vector<int> unused;
    Closure(ends, atStart, true, unused, state.matchAtEnd);
    state.matchAtEnd = state.matchAtEnd || match;
    state.dead = set.empty() && !match && m_InjectionEmpty;
    state.nfa = std::move(set);
    state.next.fill(-1);
    m_Dfa.push_back(std::move(state));
    m_DfaIndex.emplace(std::move(key), int(m_Dfa.size() - 1));
    return int(m_Dfa.size() - 1);
}

int TRegexPattern::Next(int from, uint8_t byte) const
{
    const int cached = m_Dfa[size_t(from)].next[byte];
    if (cached >= 0)
        return cached;
    // The states the byte leads to, and a new match starting after it.
    std::vector<int> seeds;
    for (const int x : m_Dfa[size_t(from)].nfa) {
        const TState &st = m_States[size_t(x)];
        if (st.kind == TState::Byte && m_Sets[size_t(st.set)].Has(byte))
            seeds.push_back(st.out);
    }
    seeds.push_back(m_Start);
    const int to = DfaState(false, seeds);
    m_Dfa[size_t(from)].next[byte] = to;
    return to;
}

bool TRegexPattern::Matches(std::string_view text) const
{
    // The state machine is turned into a deterministic one lazily: each set
    // of states met is made once and its transitions are remembered, so a
    // name costs one table look-up per byte.
    if (m_Dfa.size() > MaxDfaStates || m_DfaStart < 0) {
        m_Dfa.clear();
        m_DfaIndex.clear();
        std::vector<int> injection;
        bool injectionMatches = false;
        Closure({m_Start}, false, false, injection, injectionMatches);
        m_InjectionEmpty = injection.empty() && !injectionMatches;
        m_DfaStart = DfaState(true, {m_Start});
    }
    int state = m_DfaStart;
    if (m_Dfa[size_t(state)].match)
        return true;
    for (const char c : text) {
        const TDfaState &from = m_Dfa[size_t(state)];
        const int cached = from.next[uint8_t(c)];
        state = cached >= 0 ? cached : Next(state, uint8_t(c));
        const TDfaState &now = m_Dfa[size_t(state)];
        if (now.match)
            return true;
        if (now.dead)
            return false;
    }
    return m_Dfa[size_t(state)].matchAtEnd;
}
