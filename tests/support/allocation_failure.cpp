#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {
size_t failingSize = 0;
bool armed = false;
size_t refused = 0;
}  // namespace

void FailAllocationsOf(size_t bytes)
{
    failingSize = bytes;
    armed = true;
    refused = 0;
}

void DisarmAllocationFailure()
{
    armed = false;
}

size_t RefusedAllocations()
{
    return refused;
}

// Every plain allocation and release goes through malloc and free here, so
// the pairs match under the sanitizers too; only the non-throwing forms the
// engine uses can be made to fail. GCC cannot see the pairing.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    if (armed && size == failingSize) {
        ++refused;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}

void* operator new(size_t size)
{
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    std::free(block);
}
