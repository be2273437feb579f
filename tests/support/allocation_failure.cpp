#include "allocation_failure.h"

#include <new>

namespace {

long countdown = 0;
bool failed = false;

int failuresLeft = 0;
size_t failureThreshold = 0;
int refused = 0;

bool FailNow(size_t size)
{
    if (countdown > 0 && --countdown == 0) {
        failed = true;
        return true;
    }
    if (failuresLeft > 0 && size >= failureThreshold) {
        --failuresLeft;
        ++refused;
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

// Through the throwing forms, so the sanitizers see matched new and delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (FailNow(size))
        return nullptr;
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (FailNow(size))
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
