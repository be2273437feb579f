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

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t block[4096];
    size_t count;
    while ((count = fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + count);
    bool failed = ferror(file) != 0;
    fclose(file);
    return !failed;
}
