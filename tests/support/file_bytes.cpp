#include "support/file_bytes.h"

#include <stdio.h>

bool WriteFileBytes(const std::string& path, const void* bytes, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = size == 0 || fwrite(bytes, 1, size, file) == size;
    return fclose(file) == 0 && written;
}
