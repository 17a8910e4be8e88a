#include "engines/StagedFile.h"

#include "archive/Exceptions.h"

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

TFileBuffer TStagedFile::ReadBack() const
{
    struct stat info;
    if (::fstat(m_Handle, &info) != 0)
        throw Exception(FormatStr("Cannot read back a staged file. %s", std::strerror(errno)));
    TFileBuffer data(uint32_t(info.st_size));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::pread(m_Handle, data.data() + done, data.size() - done, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw Exception("Cannot read back a staged file");
        done += size_t(got);
    }
    return data;
}
