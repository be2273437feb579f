// Bytes asked of the global operator new, for the tests that bound what a
// reader allocates for a file. Linking it replaces every unaligned form of
// the global operator new and delete of the suite's program (malloc and free
// underneath, so the libraries it loads keep matched pairs).
#pragma once

#include <stddef.h>

size_t AllocatedBytesSoFar();

// The bytes `work` asked for through operator new, freed or not.
template <typename Work>
size_t BytesAllocatedBy(Work work)
{
    size_t before = AllocatedBytesSoFar();
    work();
    return AllocatedBytesSoFar() - before;
}
