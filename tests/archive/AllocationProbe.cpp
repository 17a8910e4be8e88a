#include "tests/archive/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<size_t> g_largest{0};
std::atomic<size_t> g_held{0};
std::atomic<size_t> g_peak{0};

void Raise(std::atomic<size_t> &maximum, size_t value)
{
    size_t current = maximum.load();
    while (value > current && !maximum.compare_exchange_weak(current, value)) {
    }
}

void Note(size_t size)
{
    Raise(g_largest, size);
}

void *Held(void *p)
{
    if (p)
        Raise(g_peak, g_held += malloc_usable_size(p));
    return p;
}

void Free(void *p)
{
    if (p)
        g_held -= malloc_usable_size(p);
    std::free(p);
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

size_t HeldBytes()
{
    return g_held;
}

void ResetPeakHeldBytes()
{
    g_peak = g_held.load();
}

size_t PeakHeldBytes()
{
    return g_peak;
}

// The replaced global allocation functions: plain malloc/free plus the note.
void *operator new(size_t size)
{
    Note(size);
    if (void *p = Held(std::malloc(size ? size : 1)))
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
    return Held(std::malloc(size ? size : 1));
}

void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return operator new(size, std::nothrow);
}

void operator delete(void *p) noexcept { Free(p); }
void operator delete[](void *p) noexcept { Free(p); }
void operator delete(void *p, size_t) noexcept { Free(p); }
void operator delete[](void *p, size_t) noexcept { Free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { Free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { Free(p); }
