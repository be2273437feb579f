// Out-of-memory on demand: the engine allocates with new (std::nothrow), and
// this makes one such allocation return null, so its failure paths run.
#pragma once

// The nth nothrow allocation from now fails (1: the next one); 0 disarms.
void FailNthNothrowAllocation(long nth);
// Whether the armed failure has happened since it was armed.
bool NothrowAllocationFailed();
