#include "archive/vmFunctions.h"

#include "archive/Exceptions.h"

#include <cmath>
#include <iterator>

namespace {

constexpr uint64_t FILETIME_TICKS_PER_SECOND = 10'000'000;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int &year, int &month, int &day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

std::tm DosToTm(const TDosDateTime &dos)
{
    std::tm tm{};
    tm.tm_year = dos.year - 1900;
    tm.tm_mon = dos.month - 1;
    tm.tm_mday = dos.day;
    tm.tm_hour = dos.hour;
    tm.tm_min = dos.minute;
    tm.tm_sec = dos.second;
    tm.tm_isdst = -1;
    return tm;
}

std::string DefaultFormatter(const TDosDateTime &dos)
{
    const std::tm tm = DosToTm(dos);
    char text[128];
    const size_t n = std::strftime(text, sizeof text, "%x %X", &tm);
    return std::string(text, n);
}

TDateTimeFormatter g_formatter = DefaultFormatter;

// Windows-1252 code points of bytes 0x80..0x9F; the five unassigned bytes map
// to the C1 control of the same value, as Windows does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string &out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string SizeToStr(uint32_t value)
{
    return std::to_string(value);
}

std::string FormatToStr(uint16_t format)
{
    return format < 3 ? DataFormatNames[format] : "Unknown";
}

std::string VersionToStr(const TVornVersion &v)
{
    const auto &n = v.m_Numbers;
    return FormatStr("%.2u.[%.2u].%.4u.%.2u.%.2u%.2u", unsigned(n[0]), unsigned(n[1]),
                     unsigned(n[2]), unsigned(n[3]), unsigned(n[4]), unsigned(n[5]));
}

std::string PriorityToStr(uint32_t priority)
{
    const uint32_t priorityClass = (priority & 0xFFFF) >> 12;
    if (priorityClass >= 5)
        return "?";
    std::string text = PriorityNames[priorityClass];
    if (priority >> 16)
        text += " + " + std::to_string(priority >> 16);
    return text;
}

std::string FlagsToStr(uint32_t flags)
{
    if (flags == 0)
        return "None";
    std::string text;
    for (int bit = 0; bit < 32; ++bit) {
        if (flags & (1u << bit)) {
            text += FlagNames[bit + 1];
            text += "; ";
        }
    }
    return text;
}

std::string SystemTimeToStr(const TVornSystemTime &t)
{
    return FormatStr("%.2u/%.2u(%u)/%u, %.2u:%.2u:%.2u.%u", unsigned(t.wMonth), unsigned(t.wDay),
                     unsigned(t.wDayOfWeek), unsigned(t.wYear), unsigned(t.wHour),
                     unsigned(t.wMinute), unsigned(t.wSecond), unsigned(t.wMilliseconds));
}

bool FileTimeToDosDateTime(TFileTime fileTime, TDosDateTime &dos)
{
    const uint64_t seconds = fileTime / FILETIME_TICKS_PER_SECOND;
    const int64_t unixDays = int64_t(seconds / 86400) + DaysFromCivil(1601, 1, 1);
    CivilFromDays(unixDays, dos.year, dos.month, dos.day);
    if (dos.year < 1980 || dos.year > 2107)
        return false;
    const uint64_t secondOfDay = seconds % 86400;
    dos.hour = int(secondOfDay / 3600);
    dos.minute = int(secondOfDay / 60 % 60);
    dos.second = int(secondOfDay % 60) & ~1; // DOS time counts two-second steps
    return true;
}

TDateTime DosDateTimeToDateTime(const TDosDateTime &dos)
{
    const int64_t days = DaysFromCivil(dos.year, unsigned(dos.month), unsigned(dos.day))
                         - DaysFromCivil(1899, 12, 30);
    return double(days) + (dos.hour * 3600 + dos.minute * 60 + dos.second) / 86400.0;
}

TDateTime FileTimeToDateTime(TFileTime fileTime)
{
    TDosDateTime dos;
    return FileTimeToDosDateTime(fileTime, dos) ? DosDateTimeToDateTime(dos) : 0.0;
}

std::string FileTimeToStr(TFileTime fileTime)
{
    TDosDateTime dos;
    return FileTimeToDosDateTime(fileTime, dos) ? g_formatter(dos) : std::string();
}

void SetDateTimeFormatter(TDateTimeFormatter formatter)
{
    g_formatter = formatter ? formatter : DefaultFormatter;
}

bool FileTimeToLocalUnixTime(TFileTime fileTime, std::time_t &result)
{
    TDosDateTime dos;
    if (!FileTimeToDosDateTime(fileTime, dos))
        return false;
    std::tm tm = DosToTm(dos);
    result = std::mktime(&tm);
    return result != std::time_t(-1);
}

TDateTime UnixTimeToLocalDateTime(std::time_t time)
{
    std::tm tm{};
    if (!localtime_r(&time, &tm))
        return 0.0;
    TDosDateTime dos{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec & ~1};
    return DosDateTimeToDateTime(dos);
}

char16_t AnsiCharToUnicode(uint8_t byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte);
}

char UnicodeToAnsiChar(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return char(ch);
    for (size_t i = 0; i < std::size(Cp1252High); ++i)
        if (Cp1252High[i] == ch)
            return char(0x80 + i);
    return '?';
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (const char c : ansi)
        AppendUtf8(out, AnsiCharToUnicode(uint8_t(c)));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        const bool highSurrogate = cp >= 0xD800 && cp < 0xDC00;
        if (highSurrogate && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD; // a lone surrogate can't be written as UTF-8
        }
        AppendUtf8(out, cp);
    }
    return out;
}
