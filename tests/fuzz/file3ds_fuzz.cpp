// libFuzzer entry of the 3DS targets: the input is written to a file of its
// own and handed to the target's exercise, which the build names:
// QL_FUZZ_TARGET (the file's prefix), QL_FUZZ_EXERCISE (a function taking
// the file's path) and QL_FUZZ_HEADER (where it is declared).
#include QL_FUZZ_HEADER

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <unistd.h>

namespace {

std::string InputPath()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/" QL_FUZZ_TARGET "-fuzz-" + std::to_string(getpid()) + ".3ds";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = InputPath();
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    QL_FUZZ_EXERCISE(path.c_str());
    remove(path.c_str());
    return 0;
}
