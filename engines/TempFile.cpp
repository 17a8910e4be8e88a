#include "engines/TempFile.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <random>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The FILETIME as a local POSIX time, when it has one. mktime is thread-safe,
// but through a lock inside the C library that thread sanitizers can't see;
// our own costs nothing measurable and keeps their runs clean. mktime also
// looks at the time zone file on every call, a system call per file, so the
// times converted within the last second are remembered (an archive's files
// share few); a change of the time zone counts a second later.
std::optional<std::time_t> LocalStamp(TFileTime time)
{
    static std::mutex mutex;
    static std::unordered_map<TFileTime, std::optional<std::time_t>> known;
    static std::chrono::steady_clock::time_point since;
    std::lock_guard lock(mutex);
    const auto now = std::chrono::steady_clock::now();
    if (now - since > std::chrono::seconds(1) || known.size() >= 4096) {
        known.clear();
        since = now;
    }
    if (const auto found = known.find(time); found != known.end())
        return found->second;
    std::time_t stamp;
    std::optional<std::time_t> result;
    if (FileTimeToLocalUnixTime(time, stamp))
        result = stamp;
    known.emplace(time, result);
    return result;
}

} // namespace

std::string NewTempName()
{
    static const uint64_t salt = (uint64_t(std::random_device()()) << 32) ^ std::random_device()();
    static std::atomic<uint32_t> counter{0};
    return FormatStr(".vornx-%d-%016llx-%u.part", int(::getpid()), static_cast<unsigned long long>(salt),
                     counter++);
}

void WriteAll(int handle, const uint8_t *bytes, size_t size, const std::string &target)
{
    size_t left = size;
    while (left > 0) {
        const ssize_t written = ::write(handle, bytes, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(FormatStr("Error writing \"%s\". %s", target.c_str(), std::strerror(errno)));
        }
        bytes += written;
        left -= size_t(written);
    }
}

void Stamp(int handle, TFileTime time)
{
    if (const std::optional<std::time_t> stamp = LocalStamp(time)) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {*stamp, 0}};
        ::futimens(handle, times);
    }
}

void ThrowCreateError(const std::string &path, int error)
{
    throw Exception(FormatStr("Cannot create file \"%s\". %s", path.c_str(), std::strerror(error)));
}
