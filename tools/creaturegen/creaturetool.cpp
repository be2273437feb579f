#include "creature.h"

#include <cstdio>

namespace creature {

bool Tool::TakeArguments(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", program);
        return false;
    }
    data = argv[1];
    folder = data + "/creature";
    return true;
}

bool Tool::Written(bool written, const std::string& what) const
{
    if (!written)
        std::fprintf(stderr, "%s: cannot write %s\n", program, what.c_str());
    return written;
}

}  // namespace creature
