// Replaces the nothrow forms of operator new; they hand out memory from the
// ordinary forms, so every delete (and a sanitizer's pairing checks) still
// matches.
#include "failing_allocation.h"

#include <new>

namespace {

int failuresLeft = 0;
size_t failureThreshold = 0;
int refused = 0;

bool Refuse(size_t size)
{
    if (failuresLeft <= 0 || size < failureThreshold)
        return false;
    --failuresLeft;
    ++refused;
    return true;
}

}  // namespace

void FailNothrowAllocations(int count, size_t minimumBytes)
{
    failuresLeft = count;
    failureThreshold = minimumBytes;
    refused = 0;
}

int RefusedAllocations()
{
    return refused;
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    if (Refuse(size))
        return nullptr;
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    if (Refuse(size))
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
