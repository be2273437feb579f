// The inputs that once troubled the OBJ fuzz target, kept in
// tests/fuzz/corpus/obj/, replayed through the reader: no trap, no
// sanitizer report (in the sanitized build), and the loads that succeed
// hold together.
#include "obj_exercise.h"
#include "obj_files.h"

#include "support/file_bytes.h"

#include <stdlib.h>

#include <filesystem>

TEST(ObjCorpus, KeptFuzzInputsReadWithoutFault)
{
    const char* source = getenv("QL_SOURCE_DIR");
    ASSERT_NE(nullptr, source);
    std::filesystem::path corpus = std::filesystem::path(source) / "tests/fuzz/corpus/obj";
    std::string folder = TestFolder();
    std::filesystem::create_directories(folder);
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadFileBytes(entry.path().string(), &bytes)) << entry.path();
        SCOPED_TRACE(entry.path().filename().string());
        ExerciseObjInput(folder, bytes.data(), bytes.size());
        replayed++;
    }
    EXPECT_GT(replayed, 0);
}
