#include "engines/ArchiveWatch.h"

#include <sys/stat.h>

TArchiveWatch::TArchiveWatch(std::string path) : m_Path(std::move(path)), m_Original(current()) {}

TArchiveWatch::TIdentity TArchiveWatch::current() const
{
    struct stat info {};
    if (::stat(m_Path.c_str(), &info) != 0)
        return {};
    return {uint64_t(info.st_dev), uint64_t(info.st_ino), int64_t(info.st_size),
            int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool TArchiveWatch::changed()
{
    if (!m_Changed && !(current() == m_Original))
        m_Changed = true;
    return m_Changed;
}
