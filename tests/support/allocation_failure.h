// Out-of-memory on demand: the engine allocates with new (std::nothrow), and
// this hook makes such allocations return null, so their failure paths run.
#pragma once

#include <stddef.h>

// The nth nothrow allocation from now fails (1: the next one); 0 disarms.
void FailNthNothrowAllocation(long nth);
// Whether the armed nth failure has happened since it was armed.
bool NothrowAllocationFailed();

// The next `count` nothrow allocations of at least `minimumBytes` bytes fail;
// smaller ones go through. count 0 disarms.
void FailNothrowAllocations(int count, size_t minimumBytes);
// How many allocations the size hook has refused since it was last armed.
int RefusedAllocations();
