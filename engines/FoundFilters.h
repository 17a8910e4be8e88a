#pragma once
// Narrowing the results of a name search by what their files hold: the
// decoded bytes holding a pattern, or the file failing the decoding check.
// Both keep the results in their order. vorntool find and the library share
// them; the window's find runs the same engines through its own jobs.

#include "engines/Job.h"

#include <cstdint>
#include <vector>

class TContentPattern;
class TNameIndex;

struct TContentFilterResult {
    std::vector<uint32_t> Kept;         // the items whose data holds the pattern
    std::vector<TJobFailure> Failures; // items that could not be decoded
};

// The items (of `index`) whose decoded data holds `pattern`.
TContentFilterResult FilterByContent(const TNameIndex &index, const std::vector<uint32_t> &items,
                                     const TContentPattern &pattern);
// The items whose files fail the decoding check (damaged data or CRC).
std::vector<uint32_t> FilterDamaged(const TNameIndex &index, const std::vector<uint32_t> &items);
