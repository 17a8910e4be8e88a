#pragma once
// TRegexPattern: a regular expression over 8-bit names, found anywhere in the
// text unless anchored with ^ and $. Compiled into a state machine that is
// run over the text once (time linear in the text, no recursion), so a long
// path or a pathological pattern never stalls or overflows the stack.
// Supported: literals, ".", [classes] with ranges and ^, \d \w \s and their
// negations, escapes \t \n \r \xHH, groups ( ) and (?: ), "|", and the
// quantifiers * + ? {n} {n,} {n,m} (a "?" after a quantifier is accepted).

#include "engines/ByteSet.h"

#include <string_view>
#include <vector>

class TRegexPattern {
public:
    // `chars`: Windows-1252 bytes, -1 for a character no name can contain.
    // Raises an Exception naming the fault of a malformed expression.
    TRegexPattern(const std::vector<int> &chars, bool ignoreCase);

    bool Matches(std::string_view text) const;

private:
    struct TState {
        enum Kind : uint8_t { Byte, Epsilon, Split, Begin, End, Match };
        Kind kind = Epsilon;
        int out = -1;
        int out1 = -1; // Split only
        int set = -1;  // Byte only: index into m_Sets
    };
    friend class TRegexCompiler;

    bool AddState(std::vector<int> &list, int state, size_t position, size_t length) const;

    std::vector<TState> m_States;
    std::vector<TByteSet> m_Sets;
    int m_Start = 0;
};
