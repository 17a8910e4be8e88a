#pragma once
// TRegexNode: one node of a parsed regular expression, before it becomes
// the states of a TRegexPattern. Nodes refer to their kids by index into
// the parser's node table.

#include "engines/ByteSet.h"

#include <cstdint>
#include <vector>

struct TRegexNode {
    enum Kind : uint8_t { Set, Concat, Alt, Repeat, Empty, Begin, End };
    Kind kind = Empty;
    TByteSet set;          // Set: the bytes it reads (already closed under folding when ignoring case)
    std::vector<int> kids; // Concat, Alt: in order; Repeat: the one repeated
    int min = 0;           // Repeat: counts; max -1 for no upper bound
    int max = 0;
};
