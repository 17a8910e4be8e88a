#pragma once
// TFileTypeCache: the type text and icon of file names. They depend only on
// the extension: one registry look-up per extension, and rows of one type
// share the text.

#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

class TFileTypeCache {
public:
    struct TTypeInfo {
        QString Description;
        int16_t ImageIndex;
    };

    // `name`: the stored (Windows-1252) file name.
    const TTypeInfo &Lookup(std::string_view name);

private:
    std::unordered_map<std::string, TTypeInfo> m_Types; // by extension
};
