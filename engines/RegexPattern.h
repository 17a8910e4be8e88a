#pragma once
// TRegexPattern: a regular expression over 8-bit names, found anywhere in the
// text unless anchored with ^ and $. Compiled into a state machine that is
// run over the text once (time linear in the text, no recursion), so a long
// path or a pathological pattern never stalls or overflows the stack.
// One pattern serves one thread at a time (it caches what it has worked out).
// Supported: literals, ".", [classes] with ranges and ^, \d \w \s and their
// negations, escapes \t \n \r \xHH, groups ( ) and (?: ), "|", and the
// quantifiers * + ? {n} {n,} {n,m} (a "?" after a quantifier is accepted).

#include "engines/ByteSet.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TRegexPattern {
public:
    // `chars`: Windows-1252 bytes, -1 for a character no name can contain.
    // Raises an Exception naming the fault of a malformed expression.
    TRegexPattern(const std::vector<int> &chars, bool ignoreCase);

    bool Matches(std::string_view text) const;
    // Texts that every matching text holds, longest first: folded when
    // ignoring case, else as stored; none when the expression requires no
    // text. Matches gives the same answers without them; callers use them to
    // rule out many texts at once with a plain substring search.
    const std::vector<std::string> &RequiredTexts() const { return m_Required; }

private:
    struct TState {
        enum Kind : uint8_t { Byte, Epsilon, Split, Begin, End, Match };
        Kind kind = Epsilon;
        int out = -1;
        int out1 = -1; // Split only
        int set = -1;  // Byte only: index into m_Sets
    };
    friend class TRegexCompiler;

    // One state of the deterministic machine: a set of the states above.
    struct TDfaState {
        std::vector<int> nfa; // Byte states, and End states still to be decided
        bool match = false;
        bool matchAtEnd = false;
        bool dead = false; // nothing can match from here on
        std::array<int, 256> next; // -1: not worked out yet
    };

    // The Byte and End states reachable from `seeds` without reading a byte.
    void Closure(const std::vector<int> &seeds, bool atStart, bool atEnd, std::vector<int> &set, bool &match) const;
    int DfaState(bool atStart, const std::vector<int> &seeds) const;
    int Next(int from, uint8_t byte) const;

    std::vector<TState> m_States;
    std::vector<TByteSet> m_Sets;
    int m_Start = 0;
    mutable std::vector<TDfaState> m_Dfa;
    mutable std::map<std::pair<int, std::vector<int>>, int> m_DfaIndex; // by start/match bits and set
    mutable int m_DfaStart = -1;
    mutable bool m_InjectionEmpty = false; // a match starting after position 0 is impossible
    std::vector<std::string> m_Required;
};
