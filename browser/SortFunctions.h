#pragma once
// The file list's orders. Each function returns a negative number, 0 or a
// positive number; descending order negates the ascending result, so the whole
// order reverses, folders included.

#include "browser/VornChildItem.h"

#include <QString>
#include <string_view>
#include <vector>

using TSortCompare = int (*)(const TVornChildItem &a, const TVornChildItem &b, bool descending);

// Byte by byte after turning a-z into A-Z; a prefix sorts first.
int CompareText(std::string_view a, std::string_view b);
int CompareText(const QString &a, const QString &b);

// Folders first, then by name.
int CompareByName(const TVornChildItem &a, const TVornChildItem &b, bool descending);
// Folders first (by name); files by type text, then by name.
int CompareByType(const TVornChildItem &a, const TVornChildItem &b, bool descending);
// Folders first (by name); files by size, then by name.
int CompareBySize(const TVornChildItem &a, const TVornChildItem &b, bool descending);
// By time stamp, then by name; folders are not grouped.
int CompareByDate(const TVornChildItem &a, const TVornChildItem &b, bool descending);

// The compare function a column caption sorts by, or null.
TSortCompare CompareForColumn(const QString &caption);

// Unstable sort of the rows.
void SortRows(std::vector<TVornChildItem> &rows, TSortCompare compare, bool descending);
