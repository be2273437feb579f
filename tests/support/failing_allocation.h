// Drives the engine's out-of-memory paths: the engine allocates with
// new (std::nothrow), which this hook can make return null. A suite that
// uses it compiles tests/support/failing_allocation.cpp into its executable.
#pragma once

#include <stddef.h>

// The next `count` nothrow allocations of at least `minimumBytes` bytes fail;
// smaller ones go through. count 0 disarms.
void FailNothrowAllocations(int count, size_t minimumBytes);
// How many allocations the hook has refused since it was last armed.
int RefusedAllocations();
