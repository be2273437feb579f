// libFuzzer entry: the input is written to a file of its own and read back
// through the reader and the processor side of the scene loader.
#include "scene3ds_exercise.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <unistd.h>

namespace {

std::string InputPath()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/scene3ds-fuzz-" + std::to_string(getpid()) + ".3ds";
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
    ExerciseSceneLoad(path.c_str());
    remove(path.c_str());
    return 0;
}
