#include "engines/MergeSources.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool IsGameArchiveName(std::string_view name)
{
    for (const std::string_view extension : {std::string_view(".vmres"), std::string_view(".vmmap")})
        if (name.size() > extension.size()
            && SameTextAsciiCase(name.substr(name.size() - extension.size()), extension))
            return true;
    return false;
}

std::vector<std::string> FindGameArchives(const std::string &folder)
{
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        if (it->is_regular_file(kindError) && IsGameArchiveName(it->path().filename().string()))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

void TMergeSources::Add(const std::string &path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status)) {
        const std::vector<std::string> archives = FindGameArchives(path);
        if (archives.empty())
            m_Problems.push_back(path + ": No archives (.vmres, .vmmap) in this folder or below it");
        for (const std::string &archive : archives)
            Open(archive);
    } else {
        Open(path);
    }
}

void TMergeSources::Open(const std::string &path)
{
    try {
        m_Archives.push_back(std::make_unique<TVornFile>(path));
    } catch (const Exception &e) {
        m_Problems.push_back(path + ": " + e.message());
    }
}

std::vector<const TVornFile *> TMergeSources::ArchivePointers() const
{
    std::vector<const TVornFile *> pointers;
    for (const std::unique_ptr<TVornFile> &archive : m_Archives)
        pointers.push_back(archive.get());
    return pointers;
}
