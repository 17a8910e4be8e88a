#include "archive/VornInfo.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <algorithm>

namespace {

// A four-character identifier; a NUL ends it early, as a text control would.
std::string IdToStr(const std::array<char, 4> &id)
{
    const auto end = std::find(id.begin(), id.end(), '\0');
    return AnsiToUtf8(std::string_view(id.data(), size_t(end - id.begin())));
}

std::string HexToStr(uint32_t value)
{
    return FormatStr("0x%08X", value);
}

} // namespace

std::string GuidToStr(const TVornGuid &g)
{
    const auto &d = g.m_Data4;
    return FormatStr("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.m_Data1, unsigned(g.m_Data2),
                     unsigned(g.m_Data3), d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
}

std::vector<TInfoRow> GetVornInfoRows(const TVornHeader &h)
{
    const bool noCreator = ReadU32LE(reinterpret_cast<const uint8_t *>(h.m_CreatorId.data())) == 0;
    return {
        {"m_ProductId", IdToStr(h.m_ProductId)},
        {"m_VornId", IdToStr(h.m_VornId)},
        {"m_HeaderVersion", FormatStr("%u.%u", h.m_HeaderVersion >> 16, h.m_HeaderVersion & 0xFFFF)},
        {"m_DirSetOffset", HexToStr(h.m_DirSetOffset)},
        {"m_FileSetOffset", HexToStr(h.m_FileSetOffset)},
        {"m_IndexSize", SizeToStr(h.m_IndexSize)},
        {"m_DataOffset", HexToStr(h.m_DataOffset)},
        {"m_ProductVersion", VersionToStr(h.m_ProductVersion)},
        {"m_MinimumVersion", VersionToStr(h.m_MinimumVersion)},
        {"m_Priority", PriorityToStr(h.m_Priority)},
        {"m_Flags", FlagsToStr(h.m_Flags)},
        {"m_CreatorId", noCreator ? std::string("<none>") : IdToStr(h.m_CreatorId)},
        {"m_GUID", GuidToStr(h.m_GUID)},
        {"m_IndexCRC32", HexToStr(h.m_IndexCRC32)},
        {"m_DataCRC32", HexToStr(h.m_DataCRC32)},
        {"m_UtcBuildTime", SystemTimeToStr(h.m_UtcBuildTime)},
    };
}
