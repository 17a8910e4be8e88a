#include "engines/TempFile.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The FILETIME as a local POSIX time, when it has one. mktime is thread-safe,
// but through a lock inside the C library that thread sanitizers can't see;
// our own costs nothing measurable and keeps their runs clean.
std::optional<std::time_t> LocalStamp(TFileTime time)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::time_t stamp;
    if (!FileTimeToLocalUnixTime(time, stamp))
        return std::nullopt;
    return stamp;
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
