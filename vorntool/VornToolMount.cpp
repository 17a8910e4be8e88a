// vorntool mount [-b] [--cache MB] [--stats] [--merged] ARCHIVE... MOUNTPOINT:
// the archives as a read-only folder that every program can open, until
// `fusermount3 -u`. With --merged the folder shows what the game sees: the
// archives (and those found in named folders) merged by priority, as
// `vorntool merged` lists them.

#include "vorntool/FuseMount.h"
#include "vorntool/VornToolCommands.h"
#include "vorntool/VornToolMergeSet.h"

#include "archive/Exceptions.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

struct TMountRequest {
    std::vector<std::string> archives; // with `merged`, archives and folders
    std::string mountPoint;
    bool merged = false;
    bool background = false;
    bool statistics = false; // how much was decoded, told at the end
    uint64_t cacheBytes = TMountFileSystem::DefaultCacheBytes;
};

uint64_t ParseMegabytes(const std::string &text)
{
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value > (1ull << 30))
        throw Exception("--cache needs a size in megabytes, not \"" + text + "\"");
    return uint64_t(value) << 20;
}

TMountRequest ParseRequest(const std::vector<std::string> &arguments)
{
    TMountRequest request;
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "-b" || argument == "--background")
            request.background = true;
        else if (argument == "--stats")
            request.statistics = true;
        else if (argument == "--merged")
            request.merged = true;
        else if (argument == "--cache" && i + 1 < arguments.size())
            request.cacheBytes = ParseMegabytes(arguments[++i]);
        else if (argument.starts_with("-") && argument != "-")
            throw Exception("Unknown option " + argument);
        else
            paths.push_back(argument);
    }
    if (paths.size() < 2)
        throw Exception("usage: vorntool mount [-b] [--cache MB] [--stats] ARCHIVE... MOUNTPOINT\n"
                        "       vorntool mount [-b] [--cache MB] [--stats] --merged ARCHIVE|FOLDER... MOUNTPOINT");
    request.mountPoint = paths.back();
    paths.pop_back();
    // The background mount leaves the working folder: keep full paths.
    for (const std::string &path : paths) {
        std::unique_ptr<char, decltype(&std::free)> full(::realpath(path.c_str(), nullptr), &std::free);
        request.archives.push_back(full ? std::string(full.get()) : path);
    }
    return request;
}

void CheckMountPoint(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw Exception("The mount point " + path + " does not exist");
    if (!S_ISDIR(info.st_mode))
        throw Exception("The mount point " + path + " is not a folder");
    std::error_code error;
    const bool empty = std::filesystem::is_empty(path, error);
    if (error)
        throw Exception("The mount point " + path + " can't be read: " + error.message());
    if (!empty)
        throw Exception("The mount point " + path + " is not empty");
}

void Warn(const std::string &message)
{
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    std::fprintf(stderr, "vorntool mount: %s\n", message.c_str());
}

int RunMount(const std::vector<std::string> &arguments)
{
    const TMountRequest request = ParseRequest(arguments);
    CheckMountPoint(request.mountPoint);
    // The merge set reports what it leaves out and the archives of equal
    // priority; the mount goes on with the rest.
    std::unique_ptr<TToolMergeSet> mergeSet;
    std::unique_ptr<TMountFileSystem> fileSystem;
    if (request.merged) {
        mergeSet = std::make_unique<TToolMergeSet>(request.archives);
        fileSystem = std::make_unique<TMountFileSystem>(mergeSet->View(), request.cacheBytes, Warn);
        mergeSet->ReleaseView(); // the mount's tree holds each path's winner
    } else {
        fileSystem = std::make_unique<TMountFileSystem>(request.archives, request.cacheBytes, Warn);
    }
    TFuseMount(*fileSystem).run(request.mountPoint, request.background);
    if (request.statistics)
        Warn(std::to_string(fileSystem->decodedChunks()) + " chunks decoded, "
             + std::to_string(fileSystem->cachedBytes() >> 20) + " MB in the cache at the end");
    return 0;
}

} // namespace

TToolCommand MountCommand()
{
    return {"mount", "ARCHIVES DIR", "show archives as a read-only folder (-b, --cache MB, --stats, --merged)", SIZE_MAX,
            RunMount};
}
