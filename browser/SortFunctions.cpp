#include "browser/SortFunctions.h"

#include <algorithm>

namespace {

template <typename Char>
Char UpperAscii(Char c)
{
    return (c >= 'a' && c <= 'z') ? Char(c - 32) : c;
}

int Sign(int ascending, bool descending)
{
    return descending ? -ascending : ascending;
}

// Exactly one folder: the folder first (ascending); 0 when both or neither.
int FolderFirst(const TVornChildItem &a, const TVornChildItem &b)
{
    if (a.IsFolder() == b.IsFolder())
        return 0;
    return a.IsFolder() ? -1 : 1;
}

int ByName(const TVornChildItem &a, const TVornChildItem &b)
{
    return CompareText(a.Name, b.Name);
}

} // namespace

int CompareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = UpperAscii(static_cast<unsigned char>(a[i]));
        const int y = UpperAscii(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareText(const QString &a, const QString &b)
{
    if (a.constData() == b.constData() && a.size() == b.size())
        return 0; // shared type texts
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int x = UpperAscii(a[i].unicode());
        const int y = UpperAscii(b[i].unicode());
        if (x != y)
            return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareByName(const TVornChildItem &a, const TVornChildItem &b, bool descending)
{
    const int folder = FolderFirst(a, b);
    return Sign(folder != 0 ? folder : ByName(a, b), descending);
}

int CompareByType(const TVornChildItem &a, const TVornChildItem &b, bool descending)
{
    int result = FolderFirst(a, b);
    if (result == 0 && !a.IsFolder())
        result = CompareText(a.TypeName, b.TypeName);
    if (result == 0)
        result = ByName(a, b);
    return Sign(result, descending);
}

int CompareBySize(const TVornChildItem &a, const TVornChildItem &b, bool descending)
{
    int result = FolderFirst(a, b);
    if (result == 0 && !a.IsFolder() && a.Size != b.Size)
        result = a.Size < b.Size ? -1 : 1;
    if (result == 0)
        result = ByName(a, b);
    return Sign(result, descending);
}

int CompareByDate(const TVornChildItem &a, const TVornChildItem &b, bool descending)
{
    int result = 0;
    if (a.Modified != b.Modified)
        result = a.Modified < b.Modified ? -1 : 1;
    else
        result = ByName(a, b);
    return Sign(result, descending);
}

TSortCompare CompareForColumn(const QString &caption)
{
    if (caption == QLatin1String("Name"))
        return CompareByName;
    if (caption == QLatin1String("Size"))
        return CompareBySize;
    if (caption == QLatin1String("Type"))
        return CompareByType;
    if (caption == QLatin1String("Last Modified"))
        return CompareByDate;
    return nullptr;
}

void SortRows(std::vector<TVornChildItem> &rows, TSortCompare compare, bool descending)
{
    std::sort(rows.begin(), rows.end(), [compare, descending](const TVornChildItem &a, const TVornChildItem &b) {
        return compare(a, b, descending) < 0;
    });
}
