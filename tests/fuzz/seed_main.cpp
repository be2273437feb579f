#include "seed_main.h"

#include "support/file_bytes.h"

#include <stdio.h>

bool WriteSeed(const std::string& folder, const std::string& name, const std::string& bytes)
{
    return WriteFileBytes(folder + "/" + name, bytes.data(), bytes.size());
}

bool WriteSeed(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    return WriteFileBytes(folder + "/" + name, bytes.data(), bytes.size());
}

int SeedMain(int argc, char** argv, const char* target, bool (*write)(const std::string& folder))
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    if (!write(argv[1])) {
        fprintf(stderr, "cannot write the %s seeds into %s\n", target, argv[1]);
        return 1;
    }
    return 0;
}
