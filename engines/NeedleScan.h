#pragma once
// TNeedleScan: looks for a needle in a block of bytes without copying or
// folding the data first. The needle is given as the bytes allowed at each
// of its positions (a letter in both cases when ignoring case). Three
// positions whose bytes are rare in typical data are compared at 16 or 32
// starts at once; only the starts where all three fit are handed to the
// caller's check of the whole needle.

#include "engines/ByteSet.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class TNeedleScan {
public:
    // `positions`: the bytes allowed at each position of the needle.
    explicit TNeedleScan(const std::vector<TByteSet> &positions);

    // Whether `check(start)` holds for a start in [data, data + size -
    // needle length]. It is asked, in order, about every start whose probed
    // bytes fit (so about every start where the needle occurs) and about
    // no other.
    template <typename Check>
    bool Any(const uint8_t *data, size_t size, const Check &check) const
    {
        return Scan(data, data + size, &CallCheck<Check>, &check);
    }

    using TCheck = bool (*)(const void *check, const uint8_t *start);

private:
    struct TProbe {
        size_t offset = 0;
        std::array<uint8_t, 2> bytes{}; // the allowed bytes (one twice when only one is)
    };

    template <typename Check>
    static bool CallCheck(const void *check, const uint8_t *start)
    {
        return (*static_cast<const Check *>(check))(start);
    }
    bool Scan(const uint8_t *data, const uint8_t *end, TCheck check, const void *context) const;
    bool ProbesFit(const uint8_t *start) const;

    size_t m_Length = 0;
    bool m_Probed = false; // false: no position allows two bytes or fewer; all are compared one start at a time
    std::array<TProbe, 3> m_Probes; // the same position more than once when the needle is shorter
    std::vector<TByteSet> m_Positions;
};
