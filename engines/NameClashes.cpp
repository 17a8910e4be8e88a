#include "engines/NameClashes.h"

#include <algorithm>

namespace {

constexpr uint64_t Start = 0xcbf29ce484222325ull;

// FNV-1a over the folded byte: every byte beyond ASCII counts as one and
// the same byte, ASCII capitals as small letters.
void Mix(uint64_t &hash, char each)
{
    auto byte = uint8_t(each);
    if (byte >= 0x80)
        byte = 0x80;
    else if (byte >= 'A' && byte <= 'Z')
        byte = uint8_t(byte - 'A' + 'a');
    hash = (hash ^ byte) * 0x100000001b3ull;
}

uint32_t Key(uint64_t hash)
{
    return uint32_t(hash ^ (hash >> 32));
}

void MixExact(uint64_t &hash, char each)
{
    hash = (hash ^ uint8_t(each)) * 0x100000001b3ull;
}

uint32_t PathKey(std::string_view folder, std::string_view name)
{
    uint64_t hash = Start;
    for (const char each : folder)
        Mix(hash, each);
    for (const char each : name)
        Mix(hash, each);
    return Key(hash);
}

} // namespace

void TNameClashes::AddFile(std::string_view folder, std::string_view name)
{
    m_Keys.push_back(PathKey(folder, name));
}

void TNameClashes::AddFolders(std::string_view root, std::string_view path)
{
    // The keys of each prefix that ends before a "/" past the root, in one pass.
    uint64_t folded = Start;
    uint64_t exact = Start;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '/' && i > root.size())
            m_Folders.push_back({Key(folded), Key(exact)});
        Mix(folded, path[i]);
        MixExact(exact, path[i]);
    }
}

void TNameClashes::Settle()
{
    std::sort(m_Folders.begin(), m_Folders.end());
    m_Folders.erase(std::unique(m_Folders.begin(), m_Folders.end()), m_Folders.end());
    std::vector<uint32_t> folders;
    folders.reserve(m_Folders.size());
    for (const TFolderKey &folder : m_Folders) {
        if (!folders.empty() && folders.back() == folder.folded)
            m_FolderVariants.insert(folder.folded);
        else
            folders.push_back(folder.folded);
    }
    m_Folders = {};
    // A file's path clashes with another file's or with a folder's.
    std::sort(m_Keys.begin(), m_Keys.end());
    for (size_t i = 0; i < m_Keys.size(); ++i) {
        const bool repeated = i > 0 && m_Keys[i] == m_Keys[i - 1];
        if (repeated || std::binary_search(folders.begin(), folders.end(), m_Keys[i]))
            m_Repeated.insert(m_Keys[i]);
    }
    m_Keys = {};
}

bool TNameClashes::Clashes(std::string_view folder, std::string_view name) const
{
    return m_Repeated.count(PathKey(folder, name)) > 0;
}

bool TNameClashes::FolderClashes(std::string_view root, std::string_view path) const
{
    const uint32_t key = PathKey(root, path);
    return m_Repeated.count(key) > 0 || m_FolderVariants.count(key) > 0;
}
