#include "archive/Crc32.h"

#include <libdeflate.h>

uint32_t CalcCRC32(uint32_t crc, const uint8_t *data, size_t length, bool whole)
{
    if (whole)
        return libdeflate_crc32(0, data, length);
    // libdeflate works on complemented values; translate the running register.
    return ~libdeflate_crc32(~crc, data, length);
}
