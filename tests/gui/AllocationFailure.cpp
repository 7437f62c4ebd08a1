#include "AllocationFailure.h"
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// The smallest request that fails; the largest size_t fails none.
std::atomic<std::size_t> g_failFrom{static_cast<std::size_t>(-1)};
// How many more of those requests are granted before they fail.
std::atomic<int> g_granted{0};

void* Allocate(std::size_t bytes)
{
    if (bytes >= g_failFrom.load() && g_granted.fetch_sub(1) <= 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(bytes != 0 ? bytes : 1))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

LargeAllocationsFail::LargeAllocationsFail(std::size_t bytes, int granted)
{
    g_granted = granted;
    g_failFrom = bytes;
}

LargeAllocationsFail::~LargeAllocationsFail()
{
    g_failFrom = static_cast<std::size_t>(-1);
}

// The replaceable allocation functions of the whole test program; the
// others (nothrow, arrays) are defined by the library in terms of these.
void* operator new(std::size_t bytes)
{
    return Allocate(bytes);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
