// Archive values as text, the info rows built from them, and TMemStream.

#include "tests/archive/ArchiveTestUtil.h"

#include "archive/MemStream.h"
#include "archive/VornInfo.h"
#include "archive/vmFunctions.h"
#include "tests/support/DemoContent.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(FunctionsTest, FormatsPrioritiesAndFlags)
{
    EXPECT_EQ(FormatToStr(0), "Raw");
    EXPECT_EQ(FormatToStr(1), "Zlib");
    EXPECT_EQ(FormatToStr(2), "Lzo");
    EXPECT_EQ(FormatToStr(3), "Unknown");
    EXPECT_EQ(FormatToStr(0xFFFF), "Unknown");

    EXPECT_EQ(PriorityToStr(0x23000), "Patch + 2");
    EXPECT_EQ(PriorityToStr(0x1000), "Language");
    EXPECT_EQ(PriorityToStr(0x0FFF), "Factory");
    EXPECT_EQ(PriorityToStr(0x4FFF), "User");
    EXPECT_EQ(PriorityToStr(0x5000), "?");
    EXPECT_EQ(PriorityToStr(0xFFFF5000), "?");
    EXPECT_EQ(PriorityToStr(0xFFFF2000), "Expansion + 65535");

    EXPECT_EQ(FlagsToStr(0), "None");
    EXPECT_EQ(FlagsToStr(1), "NON_RETAIL; ");
    EXPECT_EQ(FlagsToStr(3), "NON_RETAIL; ALLOW_MULTIPLAYER_XFER; ");
    EXPECT_EQ(FlagsToStr(0x80000000), "; ");
    EXPECT_EQ(FlagsToStr(0x80000002), "ALLOW_MULTIPLAYER_XFER; ; ");
    EXPECT_EQ(SizeToStr(4294967295u), "4294967295");
    EXPECT_EQ(SizeToStr(0), "0");
}

TEST(FunctionsTest, VersionsAndBuildTimes)
{
    EXPECT_EQ(VersionToStr({}), "00.[00].0000.00.0000");
    EXPECT_EQ(VersionToStr({{1, 0, 1234, 5, 6, 7}}), "01.[00].1234.05.0607");
    EXPECT_EQ(VersionToStr({{65535, 100, 12345, 9, 65535, 1}}), "65535.[100].12345.09.6553501");
    EXPECT_EQ(SystemTimeToStr({2003, 5, 3, 14, 17, 4, 9, 120}), "05/14(3)/2003, 17:04:09.120");
    EXPECT_EQ(SystemTimeToStr({}), "00/00(0)/0, 00:00:00.0");
}

TEST(FunctionsTest, FileTimesGoThroughDosTime)
{
    const TFileTime even = MakeFileTime(2003, 5, 14, 17, 4, 8);
    const TFileTime odd = MakeFileTime(2003, 5, 14, 17, 4, 9);
    EXPECT_EQ(FileTimeToStr(even), FileTimeToStr(odd)); // same even DOS second
    EXPECT_EQ(FileTimeToDateTime(even), FileTimeToDateTime(odd));
    EXPECT_NE(FileTimeToStr(even), FileTimeToStr(MakeFileTime(2003, 5, 14, 17, 4, 10)));
    EXPECT_FALSE(FileTimeToStr(even).empty());
    // 1899-12-30 is day 0; 2003-05-14 17:04:08 is day 37755 plus the time.
    EXPECT_DOUBLE_EQ(FileTimeToDateTime(even), 37755 + (17 * 3600 + 4 * 60 + 8) / 86400.0);
    EXPECT_LT(FileTimeToDateTime(MakeFileTime(2000, 1, 1)), FileTimeToDateTime(MakeFileTime(2000, 1, 2)));
    // Outside the DOS range: no date.
    EXPECT_EQ(FileTimeToStr(0), "");
    EXPECT_EQ(FileTimeToDateTime(MakeFileTime(1979, 12, 31, 23, 59, 59)), 0.0);
    EXPECT_NE(FileTimeToDateTime(MakeFileTime(1980, 1, 1)), 0.0);
    EXPECT_NE(FileTimeToDateTime(MakeFileTime(2107, 12, 31, 23, 59, 58)), 0.0);
    EXPECT_EQ(FileTimeToDateTime(MakeFileTime(2108, 1, 1)), 0.0);
    EXPECT_EQ(FileTimeToStr(~TFileTime(0)), "");
    // A stamp on disk is local time: written and read back, summer and winter
    // give the entry's value (the tests run in a zone with daylight saving).
    for (const TFileTime time : {MakeFileTime(2003, 7, 1, 12, 0, 0), MakeFileTime(2003, 1, 15, 12, 0, 0)}) {
        std::time_t stamp = 0;
        ASSERT_TRUE(FileTimeToLocalUnixTime(time, stamp));
        EXPECT_EQ(UnixTimeToLocalDateTime(stamp), FileTimeToDateTime(time));
    }
}

TEST(FunctionsTest, TextConversions)
{
    EXPECT_EQ(AnsiToUtf8("caf\xe9 \x80 \x9f"), "caf\u00e9 \u20ac \u0178");
    EXPECT_EQ(Utf16ToUtf8(u"a\u00e4\u20ac\U0001F600"), "a\u00e4\u20ac\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\uFFFD");
    // Every byte survives the way to Unicode and back; a character outside
    // the code page becomes "?".
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(uint8_t(UnicodeToAnsiChar(AnsiCharToUnicode(uint8_t(byte)))), byte);
    EXPECT_EQ(UnicodeToAnsiChar(u'\u4e00'), '?');
}

TEST(VornInfoTest, RowsOfTheDemoHeader)
{
    VornWriter w;
    AddDemoContent(w);
    TVornHeader h = w.header;
    h.m_DirSetOffset = 0x396;
    h.m_IndexSize = 2916;
    h.m_IndexCRC32 = 0xABCDEF01;
    const auto rows = GetVornInfoRows(h);
    const std::vector<std::string> keys = {"m_ProductId", "m_VornId", "m_HeaderVersion", "m_DirSetOffset",
                                           "m_FileSetOffset", "m_IndexSize", "m_DataOffset", "m_ProductVersion",
                                           "m_MinimumVersion", "m_Priority", "m_Flags", "m_CreatorId", "m_GUID",
                                           "m_IndexCRC32", "m_DataCRC32", "m_UtcBuildTime"};
    ASSERT_EQ(rows.size(), keys.size());
    std::map<std::string, std::string> value;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].first, keys[i]);
        value[rows[i].first] = rows[i].second;
    }
    EXPECT_EQ(value["m_ProductId"], "Velm");
    EXPECT_EQ(value["m_VornId"], "Vorn");
    EXPECT_EQ(value["m_HeaderVersion"], "1.0");
    EXPECT_EQ(value["m_DirSetOffset"], "0x00000396");
    EXPECT_EQ(value["m_IndexSize"], "2916");
    EXPECT_EQ(value["m_ProductVersion"], "01.[00].1234.05.0607");
    EXPECT_EQ(value["m_Priority"], "Patch + 2");
    EXPECT_EQ(value["m_Flags"], "NON_RETAIL; ALLOW_MULTIPLAYER_XFER; ");
    EXPECT_EQ(value["m_CreatorId"], "DEMO");
    EXPECT_EQ(value["m_GUID"], "{12345678-9ABC-DEF0-0102-030405060708}");
    EXPECT_EQ(value["m_IndexCRC32"], "0xABCDEF01");
    EXPECT_EQ(value["m_DataCRC32"], "0x00000000");
    EXPECT_EQ(value["m_UtcBuildTime"], "05/14(3)/2003, 17:04:09.120");
}

TEST(VornInfoTest, EdgeValues)
{
    TVornHeader h;
    h.m_HeaderVersion = 0xFFFF0001;
    h.m_DataOffset = 0xA;
    h.m_GUID = {0xA, 0xB, 0xC, {0xDE, 0xAD, 0, 0, 0, 0, 0xBE, 0xEF}};
    std::map<std::string, std::string> value;
    for (const auto &[key, text] : GetVornInfoRows(h))
        value[key] = text;
    EXPECT_EQ(value["m_CreatorId"], "<none>");
    EXPECT_EQ(value["m_Flags"], "None");
    EXPECT_EQ(value["m_Priority"], "Factory");
    EXPECT_EQ(value["m_HeaderVersion"], "65535.1");
    EXPECT_EQ(value["m_DataOffset"], "0x0000000A");
    EXPECT_EQ(value["m_GUID"], "{0000000A-000B-000C-DEAD-00000000BEEF}");
    h.m_CreatorId = {'\xe9', 'A', 0, 0}; // Windows-1252, ended by a NUL
    for (const auto &[key, text] : GetVornInfoRows(h))
        value[key] = text;
    EXPECT_EQ(value["m_CreatorId"], "\u00e9A");
}

TEST(MemStreamTest, ReadsAndSeeksInsideTheCallersBuffer)
{
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    TMemStream stream(bytes, 5);
    EXPECT_EQ(stream.Memory(), bytes);
    uint8_t out[8] = {};
    EXPECT_EQ(stream.Read(out, 3), 3u);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(stream.Read(out, 8), 2u);
    EXPECT_EQ(stream.Read(out, 8), 0u);
    EXPECT_EQ(stream.Seek(-2, TMemStream::soEnd), 3u);
    EXPECT_EQ(stream.Seek(100, TMemStream::soCurrent), 5u);
    EXPECT_EQ(stream.Seek(-100, TMemStream::soCurrent), 0u);
    const TMemStream empty(nullptr, 10);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_EQ(TMemStream(bytes, 0).Memory(), nullptr);
}

} // namespace
