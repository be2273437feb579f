// Files the suites make for the code under test to read.
#pragma once

#include <stddef.h>

#include <stdint.h>

#include <string>
#include <vector>

// Writes `size` bytes to a new file at `path`; false if it cannot be written.
bool WriteFileBytes(const std::string& path, const void* bytes, size_t size);

// The whole file at `path` into `bytes`; false if it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
