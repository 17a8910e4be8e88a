#include "engines/StagedFile.h"

#include "archive/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TStagedFile::~TStagedFile()
{
    if (m_Handle >= 0)
        ::close(m_Handle);
}

TStagedFile::TStagedFile(TStagedFile &&other) noexcept : m_Handle(other.m_Handle)
{
    other.m_Handle = -1;
}

TStagedFile &TStagedFile::operator=(TStagedFile &&other) noexcept
{
    if (this != &other) {
        if (m_Handle >= 0)
            ::close(m_Handle);
        m_Handle = other.m_Handle;
        other.m_Handle = -1;
    }
    return *this;
}

int TStagedFile::Link(int dir, const std::string &name) const
{
    // The link through /proc needs no privilege, unlike AT_EMPTY_PATH.
    const std::string self = "/proc/self/fd/" + std::to_string(m_Handle);
    return ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

void TStagedFile::ReadBack(const TPieceSink &sink) const
{
    struct stat info;
    if (::fstat(m_Handle, &info) != 0)
        throw Exception(FormatStr("Cannot read back a staged file. %s", std::strerror(errno)));
    const uint64_t size = uint64_t(info.st_size);
    TFileBuffer piece(uint32_t(std::min<uint64_t>(size, 1u << 20)));
    for (uint64_t done = 0; done < size;) {
        const ssize_t got = ::pread(m_Handle, piece.data(), std::min<uint64_t>(piece.size(), size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw Exception("Cannot read back a staged file");
        sink(piece.data(), size_t(got));
        done += uint64_t(got);
    }
}
