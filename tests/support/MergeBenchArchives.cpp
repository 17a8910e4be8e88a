#include "tests/support/MergeBenchArchives.h"

#include "tests/support/VornWriter.h"

#include <filesystem>

namespace {

uint32_t BenchPriority(int archive)
{
    if (archive < 8)
        return uint32_t(archive) << 16; // Factory + n
    if (archive == 8)
        return 0x1000; // Language
    if (archive < 11)
        return 0x2000 | (uint32_t(archive - 8) << 16); // Expansion + 1, + 2
    if (archive < 19)
        return 0x3000 | (uint32_t(archive - 10) << 16); // Patch + 1 ... + 8
    return 0x4000; // User
}

// The name of top folder `top` of an archive: shared with factory archive
// (archive % 8) for the first 10 of a later archive, else its own.
std::string TopFolderName(int archive, int top, bool identical)
{
    if (identical)
        return "top" + std::to_string(top);
    if (archive >= 8 && top < 10)
        return "f" + std::to_string(archive % 8) + "_top" + std::to_string(top + 3 * (archive / 8));
    return (archive < 8 ? "f" : "a") + std::to_string(archive) + "_top" + std::to_string(top);
}

void WriteArchive(const std::string &path, int archive, bool identical)
{
    VornWriter w;
    w.header.m_Priority = BenchPriority(archive);
    for (int t = 0; t < 40; ++t) {
        const auto top = w.addDir(0, TopFolderName(archive, t, identical));
        for (int s = 0; s < 50; ++s) {
            const auto sub = w.addDir(top, "Sub" + std::to_string(s));
            for (int f = 0; f < 49; ++f) {
                const std::string name = "texture_" + std::to_string(f) + ".dds";
                w.addFile(sub, {.name = name, .data = TextBytes(name + std::to_string(archive % 3))});
            }
        }
    }
    w.write(path);
}

} // namespace

std::vector<std::string> WriteMergeBenchArchives(const std::string &folder, bool identical)
{
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int archive = 0; archive < MergeBenchArchiveCount; ++archive) {
        const std::string path = (fs::path(folder) / ((identical ? "same" : "game") + std::to_string(archive) + ".vmres")).string();
        if (!fs::exists(path))
            WriteArchive(path, archive, identical);
        paths.push_back(path);
    }
    return paths;
}
