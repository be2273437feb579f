// Makes the engine's allocations fail on request. A suite that links
// allocation_failure.cpp replaces the global non-throwing allocation
// functions, which the engine uses for everything it allocates; while a
// failure is armed, allocations of exactly the armed size return null, as
// when memory runs out.
#pragma once

#include <stddef.h>

// Every non-throwing allocation of `bytes` fails until DisarmAllocationFailure.
void FailAllocationsOf(size_t bytes);
void DisarmAllocationFailure();
// Allocations refused since the last FailAllocationsOf.
size_t RefusedAllocations();
