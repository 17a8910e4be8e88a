#pragma once
// Archive values as display text and as comparable date-time values.

#include "archive/vmVornFileDef.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// A date-time value: days since 1899-12-30 plus the fraction of the day.
using TDateTime = double;

// An MS-DOS date and time: 2-second resolution, years 1980 to 2107.
struct TDosDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

std::string SizeToStr(uint32_t value);
std::string FormatToStr(uint16_t format);
std::string VersionToStr(const TVornVersion &version);
std::string PriorityToStr(uint32_t priority);
std::string FlagsToStr(uint32_t flags);
std::string SystemTimeToStr(const TVornSystemTime &time);

// The FILETIME as DOS date and time, unchanged (no time-zone shift); false
// when it lies outside the DOS range.
bool FileTimeToDosDateTime(TFileTime fileTime, TDosDateTime &dos);
TDateTime DosDateTimeToDateTime(const TDosDateTime &dos);

// Through DOS date and time; 0 for a FILETIME outside the DOS range.
TDateTime FileTimeToDateTime(TFileTime fileTime);
// The date-time value as local short date, one blank and long time; empty
// for a FILETIME outside the DOS range.
std::string FileTimeToStr(TFileTime fileTime);

// Formats a DOS date and time for display. The default uses the C library's
// locale ("%x %X"); the GUI installs one that follows the desktop's locale.
using TDateTimeFormatter = std::string (*)(const TDosDateTime &);
void SetDateTimeFormatter(TDateTimeFormatter formatter);

// The DOS date and time of an entry taken as local time, as a POSIX time
// (what extraction stamps on a written file); false outside the DOS range.
bool FileTimeToLocalUnixTime(TFileTime fileTime, std::time_t &result);
// A file's POSIX modification time as local DOS date and time (even seconds)
// turned into a date-time value, comparable with FileTimeToDateTime.
TDateTime UnixTimeToLocalDateTime(std::time_t time);

// Names in the archive are Windows-1252; the header's texts are UTF-16.
std::string AnsiToUtf8(std::string_view ansi);
// One Windows-1252 byte as a Unicode character, and back ('?' for a
// character the code page doesn't have).
char16_t AnsiCharToUnicode(uint8_t byte);
char UnicodeToAnsiChar(char16_t ch);
std::string Utf16ToUtf8(std::u16string_view text);
