#include "engines/NeedleScan.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VV_NEEDLE_SCAN_X86 1
#endif

namespace {

// How often a byte turns up in the data archives hold, roughly: zeros and
// spaces fill binary and text, lower-case letters fill text; the others are
// about as rare as in random bytes. Only the order matters.
int Commonness(uint8_t byte)
{
    if (byte == 0x00)
        return 1000;
    if (byte == ' ')
        return 400;
    if (byte == 0xFF)
        return 300;
    if (byte == 'e')
        return 250;
    if (std::strchr("taoinsr", byte))
        return 180;
    if (std::strchr("hldcu", byte))
        return 100;
    if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '\r' || byte == '\n')
        return 60;
    if ((byte >= 'A' && byte <= 'Z') || std::strchr("._-/\\:,", byte))
        return 40;
    return 15;
}

#ifdef VV_NEEDLE_SCAN_X86

// The probes, for the vector loops below.
struct TProbeBytes {
    size_t offset[3];
    uint8_t bytes[3][2];
    size_t furthest; // the largest offset
};

// From `p` on, sixteen starts a step while a step's loads stay before `end`:
// the first step with a start whose probed bytes fit, its starts as bits
// in `bits`; or, with `bits` 0, where the steps stopped.
const uint8_t *StepSse2(const uint8_t *p, const uint8_t *end, const TProbeBytes &probes, uint32_t &bits)
{
    __m128i allowed[3][2];
    for (int k = 0; k < 3; ++k)
        for (int v = 0; v < 2; ++v)
            allowed[k][v] = _mm_set1_epi8(char(probes.bytes[k][v]));
    const auto fits = [&](const uint8_t *start, int k) {
        const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i *>(start + probes.offset[k]));
        return _mm_or_si128(_mm_cmpeq_epi8(data, allowed[k][0]), _mm_cmpeq_epi8(data, allowed[k][1]));
    };
    for (; size_t(end - p) >= probes.furthest + 16; p += 16) {
        const __m128i hits = _mm_and_si128(_mm_and_si128(fits(p, 0), fits(p, 1)), fits(p, 2));
        bits = uint32_t(_mm_movemask_epi8(hits));
        if (bits != 0)
            return p;
    }
    bits = 0;
    return p;
}

// The same, thirty-two starts a step, on processors with AVX2.
__attribute__((target("avx2"))) const uint8_t *StepAvx2(const uint8_t *p, const uint8_t *end,
                                                         const TProbeBytes &probes, uint32_t &bits)
{
    __m256i allowed[3][2];
    for (int k = 0; k < 3; ++k)
        for (int v = 0; v < 2; ++v)
            allowed[k][v] = _mm256_set1_epi8(char(probes.bytes[k][v]));
    const auto fits = [&](const uint8_t *start, int k) __attribute__((target("avx2"))) {
        const __m256i data = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(start + probes.offset[k]));
        return _mm256_or_si256(_mm256_cmpeq_epi8(data, allowed[k][0]), _mm256_cmpeq_epi8(data, allowed[k][1]));
    };
    for (; size_t(end - p) >= probes.furthest + 32; p += 32) {
        const __m256i hits = _mm256_and_si256(_mm256_and_si256(fits(p, 0), fits(p, 1)), fits(p, 2));
        bits = uint32_t(_mm256_movemask_epi8(hits));
        if (bits != 0)
            return p;
    }
    bits = 0;
    return p;
}

bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

#endif

} // namespace

TNeedleScan::TNeedleScan(const std::vector<TByteSet> &positions) : m_Length(positions.size())
{
    // The three positions with the rarest bytes, among those that allow at
    // most two (every position does when the needle is text or hex).
    std::vector<std::pair<int, size_t>> ranked;
    for (size_t k = 0; k < positions.size(); ++k) {
        const TByteSet &set = positions[k];
        if (set.bits.count() == 0 || set.bits.count() > 2)
            continue;
        int score = 0;
        for (int b = 0; b < 256; ++b)
            if (set.Has(uint8_t(b)))
                score += Commonness(uint8_t(b));
        ranked.emplace_back(score, k);
    }
    if (ranked.empty()) {
        m_Positions = positions;
        return;
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    const auto probe = [&](size_t k) {
        TProbe p;
        p.offset = k;
        const size_t first = positions[k].bits._Find_first();
        const size_t second = positions[k].bits._Find_next(first);
        p.bytes = {uint8_t(first), uint8_t(second < 256 ? second : first)};
        return p;
    };
    for (size_t k = 0; k < m_Probes.size(); ++k)
        m_Probes[k] = probe(ranked[std::min(k, ranked.size() - 1)].second);
    m_Probed = true;
}

bool TNeedleScan::ProbesFit(const uint8_t *start) const
{
    if (!m_Probed) {
        for (size_t k = 0; k < m_Length; ++k)
            if (!m_Positions[k].Has(start[k]))
                return false;
        return true;
    }
    for (const TProbe &probe : m_Probes) {
        const uint8_t byte = start[probe.offset];
        if (byte != probe.bytes[0] && byte != probe.bytes[1])
            return false;
    }
    return true;
}

bool TNeedleScan::Scan(const uint8_t *data, const uint8_t *end, TCheck check, const void *context) const
{
    if (m_Length == 0 || size_t(end - data) < m_Length)
        return false;
    const uint8_t *const last = end - m_Length; // the last start the needle fits at
    const uint8_t *p = data;
#ifdef VV_NEEDLE_SCAN_X86
    if (m_Probed) {
        TProbeBytes probes{};
        for (size_t k = 0; k < m_Probes.size(); ++k) {
            probes.offset[k] = m_Probes[k].offset;
            probes.bytes[k][0] = m_Probes[k].bytes[0];
            probes.bytes[k][1] = m_Probes[k].bytes[1];
            probes.furthest = std::max(probes.furthest, m_Probes[k].offset);
        }
        // Steps of 32 starts with AVX2, then of 16 for what is left.
        bool wide = HasAvx2();
        for (;;) {
            uint32_t bits = 0;
            const uint8_t *step = wide ? StepAvx2(p, end, probes, bits) : StepSse2(p, end, probes, bits);
            if (bits == 0) {
                p = step;
                if (!wide)
                    break;
                wide = false;
                continue;
            }
            for (; bits != 0; bits &= bits - 1) {
                const uint8_t *start = step + __builtin_ctz(bits);
                if (start > last)
                    return false; // no later start fits either
                if (check(context, start))
                    return true;
            }
            p = step + (wide ? 32 : 16);
        }
    }
#endif
    // The last few starts (and every start without vector steps) one by one.
    for (; p <= last; ++p)
        if (ProbesFit(p) && check(context, p))
            return true;
    return false;
}
