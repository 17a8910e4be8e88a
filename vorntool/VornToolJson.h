#pragma once
// --json output of vorntool ls and find: one JSON array with one object per
// entry on its own line, holding every column that ls prints.

#include "archive/vmVornFile.h"

#include <string>

// The text as a JSON string literal (quotes included).
std::string JsonString(const std::string &utf8);
// The object of one entry. `path`: its UTF-8 display path; `archive`: added
// as "archive" when not empty.
std::string EntryJson(const TVornFile &vorn, TEntryOffset entry, const std::string &path,
                      const std::string &archive = std::string());

// Writes the array's brackets and separators around the objects.
class TJsonArrayWriter {
public:
    void Add(const std::string &object);
    void Finish();

private:
    bool m_Started = false;
};
