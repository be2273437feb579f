// libFuzzer entry of the OBJ target. An input is an OBJ text, optionally
// followed by a line "#%%mtl" and the text of the material library
// "fuzz.mtl", which it may name; both are written into a folder of the
// process's own and the OBJ file is handed to the exercise.
#include "obj_exercise.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char LIBRARY_MARK[] = "\n#%%mtl\n";

std::string Folder()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = std::string(dir) + "/obj-fuzz-" + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    return folder;
}

void Write(const std::string& path, const std::string& bytes)
{
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = Folder();
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t mark = input.find(LIBRARY_MARK);
    std::string obj = folder + "/fuzz.obj", mtl = folder + "/fuzz.mtl";
    Write(obj, input.substr(0, mark));
    if (mark != std::string::npos)
        Write(mtl, input.substr(mark + sizeof LIBRARY_MARK - 1));
    ExerciseObjLoad(obj.c_str());
    remove(obj.c_str());
    remove(mtl.c_str());
    return 0;
}
