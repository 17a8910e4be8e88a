#include "archive/Crc32.h"

#include <libdeflate.h>

uint32_t CalcCRC32(uint32_t crc, const uint8_t *data, size_t length, bool whole)
{
    if (whole)
        return libdeflate_crc32(0, data, length);
    // libdeflate works on complemented values; translate the running register.
    return ~libdeflate_crc32(~crc, data, length);
}

namespace {

constexpr uint32_t ReflectedPolynomial = 0xEDB88320;

// Product of two polynomials modulo the CRC polynomial, in the reflected
// bit order (the highest bit is x^0).
uint32_t MultiplyModulo(uint32_t a, uint32_t b)
{
    uint32_t product = 0;
    for (uint32_t bit = 1u << 31; bit != 0; bit >>= 1) {
        if (a & bit)
            product ^= b;
        b = (b & 1) ? (b >> 1) ^ ReflectedPolynomial : b >> 1;
    }
    return product;
}

// x^(8 * bytes) modulo the CRC polynomial, by squaring.
uint32_t ShiftBytes(uint64_t bytes)
{
    uint32_t result = 1u << 31; // x^0
    uint32_t square = 1u << 23; // x^8: one byte
    for (; bytes != 0; bytes >>= 1) {
        if (bytes & 1)
            result = MultiplyModulo(result, square);
        square = MultiplyModulo(square, square);
    }
    return result;
}

} // namespace

uint32_t CombineCRC32(uint32_t first, uint32_t second, uint64_t secondLength)
{
    return MultiplyModulo(ShiftBytes(secondLength), first) ^ second;
}
