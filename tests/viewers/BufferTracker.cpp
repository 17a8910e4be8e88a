#include "BufferTracker.h"

#include <cstdlib>
#include <new>

namespace {

const void *g_watched = nullptr;
int g_frees = 0;

void *Allocate(std::size_t size)
{
    if (void *block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void Free(void *block)
{
    if (block && block == g_watched) {
        ++g_frees;
        return;
    }
    std::free(block);
}

} // namespace

void *operator new[](std::size_t size)
{
    return Allocate(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete[](void *block) noexcept
{
    Free(block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    Free(block);
}

void operator delete[](void *block, const std::nothrow_t &) noexcept
{
    Free(block);
}

namespace BufferTracker {

void Watch(const void *block)
{
    Unwatch();
    g_watched = block;
    g_frees = 0;
}

int FreesOf(const void *block)
{
    return block == g_watched ? g_frees : -1;
}

void Unwatch()
{
    if (g_watched && g_frees > 0)
        std::free(const_cast<void *>(g_watched));
    g_watched = nullptr;
    g_frees = 0;
}

} // namespace BufferTracker
