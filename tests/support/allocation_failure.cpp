#include "allocation_failure.h"

#include <new>

namespace {

long countdown = 0;
bool failed = false;

bool FailNow()
{
    if (countdown > 0 && --countdown == 0) {
        failed = true;
        return true;
    }
    return false;
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

// Through the throwing forms, so the sanitizers see matched new and delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (FailNow())
        return nullptr;
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (FailNow())
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
