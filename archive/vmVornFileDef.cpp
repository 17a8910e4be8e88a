#include "archive/vmVornFileDef.h"

const char *const DataFormatNames[3] = {"Raw", "Zlib", "Lzo"};

const char *const PriorityNames[5] = {"Factory", "Language", "Expansion", "Patch", "User"};

const char *const FlagNames[33] = {
    "NONE", "NON_RETAIL", "ALLOW_MULTIPLAYER_XFER",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""};

namespace {

std::u16string ReadText(const uint8_t *bytes, TVornTextField field)
{
    std::u16string text;
    for (uint32_t i = 0; i < field.units; ++i) {
        const char16_t unit = ReadU16LE(bytes + field.offset + 2 * i);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

TVornVersion ReadVersion(const uint8_t *p)
{
    TVornVersion version;
    for (size_t i = 0; i < version.m_Numbers.size(); ++i)
        version.m_Numbers[i] = ReadU16LE(p + 2 * i);
    return version;
}

template <size_t N>
std::array<char, N> ReadChars(const uint8_t *p)
{
    std::array<char, N> chars{};
    std::memcpy(chars.data(), p, N);
    return chars;
}

} // namespace

TVornHeader TVornHeader::Parse(const uint8_t *b)
{
    TVornHeader h;
    h.m_ProductId = ReadChars<4>(b + 0);
    h.m_VornId = ReadChars<4>(b + 4);
    h.m_HeaderVersion = ReadU32LE(b + 8);
    h.m_DirSetOffset = ReadU32LE(b + 12);
    h.m_FileSetOffset = ReadU32LE(b + 16);
    h.m_IndexSize = ReadU32LE(b + 20);
    h.m_DataOffset = ReadU32LE(b + 24);
    h.m_ProductVersion = ReadVersion(b + 28);
    h.m_MinimumVersion = ReadVersion(b + 40);
    h.m_Priority = ReadU32LE(b + 52);
    h.m_Flags = ReadU32LE(b + 56);
    h.m_CreatorId = ReadChars<4>(b + 60);
    h.m_GUID.m_Data1 = ReadU32LE(b + 64);
    h.m_GUID.m_Data2 = ReadU16LE(b + 68);
    h.m_GUID.m_Data3 = ReadU16LE(b + 70);
    std::memcpy(h.m_GUID.m_Data4.data(), b + 72, 8);
    h.m_IndexCRC32 = ReadU32LE(b + 80);
    h.m_DataCRC32 = ReadU32LE(b + 84);
    const uint8_t *t = b + 88;
    h.m_UtcBuildTime = {ReadU16LE(t), ReadU16LE(t + 2), ReadU16LE(t + 4), ReadU16LE(t + 6),
                        ReadU16LE(t + 8), ReadU16LE(t + 10), ReadU16LE(t + 12), ReadU16LE(t + 14)};
    h.m_CopyrightText = ReadText(b, HEADER_COPYRIGHT);
    h.m_BuildText = ReadText(b, HEADER_BUILD);
    h.m_TitleText = ReadText(b, HEADER_TITLE);
    h.m_AuthorText = ReadText(b, HEADER_AUTHOR);
    h.m_DescriptionLength = ReadU16LE(b + HEADER_DESCRIPTION_LENGTH_POS);
    return h;
}
