// The seed programs' frame: each writes its target's first inputs into the
// folder named by its one argument.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Writes `bytes` as `name` in `folder`; false if the file cannot be written.
bool WriteSeed(const std::string& folder, const std::string& name, const std::string& bytes);
bool WriteSeed(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes);

// Runs `write` on the folder argument: 0 when every seed was written, 1 (said
// on stderr) when one was not, 2 (with the usage) on a wrong command line.
int SeedMain(int argc, char** argv, const char* target, bool (*write)(const std::string& folder));
