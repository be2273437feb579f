// libFuzzer entry of the OBJ target: each input (see ExerciseObjInput) is
// written into a folder of the process's own and exercised.
#include "obj_exercise.h"

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Folder()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = std::string(dir) + "/obj-fuzz-" + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = Folder();
    ExerciseObjInput(folder, data, size);
    return 0;
}
