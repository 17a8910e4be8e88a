#pragma once
// The stored archive format: the header record, format constants and the
// name tables for data formats, priority classes and archive flags.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

using TEntryOffset = uint32_t; // byte offset of a record from the start of the index
using TFileTime = uint64_t;    // 100 ns intervals since 1601-01-01 UTC

constexpr uint16_t DATAFORMAT_RAW = 0;
constexpr uint16_t DATAFORMAT_ZLIB = 1;
constexpr uint16_t DATAFORMAT_LZO = 2;

// m_FileFlags bit of an entry that the file list shows struck out.
constexpr uint16_t FILEFLAG_STRUCK_OUT = 0x8000;

constexpr uint32_t VORN_HEADER_SIZE = 786;
constexpr uint32_t DIRENTRY_NAME_POS = 16;  // name field inside a DirEntry
constexpr uint32_t FILEENTRY_NAME_POS = 28; // name field inside a FileEntry
constexpr uint32_t CHUNK_RECORD_SIZE = 16;

extern const char *const DataFormatNames[3];
extern const char *const PriorityNames[5];
extern const char *const FlagNames[33]; // [0] = "NONE", [k + 1] = name of bit k

struct TVornVersion {
    std::array<uint16_t, 6> m_Numbers{};
};

struct TVornGuid {
    uint32_t m_Data1 = 0;
    uint16_t m_Data2 = 0;
    uint16_t m_Data3 = 0;
    std::array<uint8_t, 8> m_Data4{};
};

struct TVornSystemTime {
    uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

// The 786-byte header at file offset 0. Text fields hold the UTF-16 code
// units before the first NUL (or all of them when there is none).
struct TVornHeader {
    std::array<char, 4> m_ProductId{};
    std::array<char, 4> m_VornId{};
    uint32_t m_HeaderVersion = 0;
    uint32_t m_DirSetOffset = 0;
    uint32_t m_FileSetOffset = 0;
    uint32_t m_IndexSize = 0;
    uint32_t m_DataOffset = 0;
    TVornVersion m_ProductVersion;
    TVornVersion m_MinimumVersion;
    uint32_t m_Priority = 0;
    uint32_t m_Flags = 0;
    std::array<char, 4> m_CreatorId{};
    TVornGuid m_GUID;
    uint32_t m_IndexCRC32 = 0;
    uint32_t m_DataCRC32 = 0;
    TVornSystemTime m_UtcBuildTime;
    std::u16string m_CopyrightText; // 100 code units stored
    std::u16string m_BuildText;     // 100 code units stored
    std::u16string m_TitleText;     // 100 code units stored
    std::u16string m_AuthorText;    // 40 code units stored
    uint16_t m_DescriptionLength = 0;

    // Decodes the header from its VORN_HEADER_SIZE stored bytes.
    static TVornHeader Parse(const uint8_t *bytes);
};

// Byte offsets and capacities of the header's text fields.
struct TVornTextField {
    uint32_t offset;
    uint32_t units;
};
constexpr TVornTextField HEADER_COPYRIGHT{104, 100};
constexpr TVornTextField HEADER_BUILD{304, 100};
constexpr TVornTextField HEADER_TITLE{504, 100};
constexpr TVornTextField HEADER_AUTHOR{704, 40};
constexpr uint32_t HEADER_DESCRIPTION_LENGTH_POS = 784;

// Padded length of a name field with L characters: (L + 3) rounded up to 4.
constexpr uint32_t PaddedNameLength(uint32_t length) { return (length + 3 + 3) & ~3u; }

inline uint16_t ReadU16LE(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32LE(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t ReadU64LE(const uint8_t *p) { return ReadU32LE(p) | (uint64_t(ReadU32LE(p + 4)) << 32); }
