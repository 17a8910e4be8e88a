#include "browser/FileTypeCache.h"

#include "browser/FileTypes.h"
#include "browser/GenFunctions.h"

const TFileTypeCache::TTypeInfo &TFileTypeCache::Lookup(std::string_view name)
{
    const size_t dot = name.rfind('.');
    const std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
    auto found = m_Types.find(extension);
    if (found == m_Types.end()) {
        const QString fileName = AnsiToQString(std::string(name));
        found = m_Types.emplace(extension, TTypeInfo{FileTypeDescription(fileName), int16_t(FileTypeIconIndex(fileName))})
                    .first;
    }
    return found->second;
}
