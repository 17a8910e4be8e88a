#pragma once
// General helpers of the browser window: path forms and comparison, the text
// of the standard error box, and date-time texts in the desktop's locale.

#include "archive/vmFunctions.h"

#include <QString>
#include <string>

// The full path with every component in the form the file system stores it;
// empty when the path does not exist. Paths containing "\\", "*" or "?" are
// returned unchanged. Symbolic links are not resolved.
QString LongFileName(const QString &path);

// Whether two archive paths name the same file as far as the file system's
// comparison goes: exactly on Linux, a-z ignoring case on Windows.
bool SamePath(const QString &a, const QString &b);
// True when the texts are equal with the letters a-z compared regardless of
// case (no other folding).
bool SameTextAsciiCase(const QString &a, const QString &b);

// The file-name part of a path (no folder).
QString FileNamePart(const QString &path);
// The folder part of a path, without a trailing separator.
QString FolderPart(const QString &path);
// The folder with one trailing separator ("/" or "\\" already there counts);
// empty stays empty. Remembered folders are kept in this form.
QString WithTrailingSeparator(const QString &folder);

// The message as the standard error box shows it: "." appended unless the
// message ends in "." or a character that sorts before it.
QString ErrorBoxText(const QString &message);

// Archive names and texts are Windows-1252; these give them as QString.
QString AnsiToQString(const std::string &ansi);
// File-system paths in the local 8-bit encoding and back.
std::string PathToLocal(const QString &path);
QString PathFromLocal(const std::string &path);

// A date-time value as the locale's short date, a blank and its long time;
// only the date when the time of day is 0:00:00.
QString DateTimeToText(TDateTime value);

// Makes the archive core format dates and times like DateTimeToText.
void InstallDateTimeFormatter();

// The folder for drag-out files: a folder of this user's own below the
// system's temporary folder (like the per-user temporary folder of Windows),
// with a trailing "/". Other users can't plant files or links in it: when
// someone else already holds its name (a folder of theirs or a link), a
// fresh folder of this user's own is made beside it instead.
QString PrivateTempFolder();
