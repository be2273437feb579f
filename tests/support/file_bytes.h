// Files the suites make for the code under test to read.
#pragma once

#include <stddef.h>

#include <string>

// Writes `size` bytes to a new file at `path`; false if it cannot be written.
bool WriteFileBytes(const std::string& path, const void* bytes, size_t size);
