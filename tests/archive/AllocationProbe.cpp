#include "tests/archive/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_largest{0};

void Note(size_t size)
{
    size_t current = g_largest.load();
    while (size > current && !g_largest.compare_exchange_weak(current, size)) {
    }
}

} // namespace

void ResetLargestAllocation()
{
    g_largest = 0;
}

size_t LargestAllocation()
{
    return g_largest;
}

// The replaced global allocation functions: plain malloc/free plus the note.
void *operator new(size_t size)
{
    Note(size);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void *operator new[](size_t size)
{
    return operator new(size);
}

void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    Note(size);
    return std::malloc(size ? size : 1);
}

void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return operator new(size, std::nothrow);
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p, size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }
