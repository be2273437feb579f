#include "creature.h"

#include <cstdio>

namespace creature {

bool DataFolderArgument(const char* program, int argc, char** argv, std::string* folder)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", program);
        return false;
    }
    *folder = argv[1];
    return true;
}

bool Written(const char* program, bool written, const std::string& what)
{
    if (!written)
        std::fprintf(stderr, "%s: cannot write %s\n", program, what.c_str());
    return written;
}

}  // namespace creature
