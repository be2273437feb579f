#include "allocation_failure.h"

#include <new>

namespace {

long countdown = 0;
bool failed = false;

void* Allocate(std::size_t size)
{
    if (countdown > 0 && --countdown == 0) {
        failed = true;
        return nullptr;
    }
    // Through the throwing form, so the sanitizers see a matched new and delete.
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void FailNthNothrowAllocation(long nth)
{
    countdown = nth;
    failed = false;
}

bool NothrowAllocationFailed()
{
    return failed;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
