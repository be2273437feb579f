#include "allocation_count.h"

#include <stdlib.h>

#include <new>

namespace {

size_t allocated = 0;

}  // namespace

size_t AllocatedBytesSoFar()
{
    return allocated;
}

// malloc and free underneath, matched, so the sanitizers see pairs.
void* operator new(std::size_t size)
{
    allocated += size;
    if (void* block = malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    free(block);
}
