// Bytes asked of the global operator new, for tests that bound what a piece
// of work allocates (a file's size must bound a reader's memory). Linking
// this replaces the throwing operator new and delete of the program.
#pragma once

#include <stddef.h>

// The bytes `work` asked for through operator new, freed or not.
template <typename Work>
size_t BytesAllocatedBy(Work work);

size_t AllocatedBytesSoFar();

template <typename Work>
size_t BytesAllocatedBy(Work work)
{
    size_t before = AllocatedBytesSoFar();
    work();
    return AllocatedBytesSoFar() - before;
}
