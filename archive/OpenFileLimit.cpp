#include "archive/OpenFileLimit.h"

#include <algorithm>
#include <sys/resource.h>

void RaiseOpenFileLimit()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool InOpenFileReserve(int handle)
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return false;
    const rlim_t reserve = std::min<rlim_t>(128, limit.rlim_cur / 4);
    return rlim_t(handle) + reserve >= limit.rlim_cur;
}
