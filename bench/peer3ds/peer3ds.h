// The 3DS load benchmark's files, shared with the peer loaders timed beside
// ours: 0 is the park, 1 the generated 65 535-vertex file.
#pragma once

#include <stdint.h>

const char* Bench3dsPath(int64_t which);
