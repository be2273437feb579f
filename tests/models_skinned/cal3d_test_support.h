// Shared fixture of the Cal3D reader suites: files are written with the
// writer library into the suite's working directory, and the records the
// readers write are captured from the debugger output.
#pragma once

#include "cal3dwriter.h"
#include "models/skinned/modelcal3d.h"
#include <qlplatform_test.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::HasSubstr;
using ::testing::Not;

class Cal3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLTest_CaptureDebugOutput(true);
        QLTest_TakeDebugOutput();
    }
    void TearDown() override { QLTest_CaptureDebugOutput(false); }

    // Everything logged since the test began.
    const std::string& Log()
    {
        log += QLTest_TakeDebugOutput();
        return log;
    }
    void ForgetLog()
    {
        Log();
        log.clear();
    }

    template <typename T>
    std::string Put(const std::string& name, const T& value)
    {
        EXPECT_TRUE(cal3d::Write(name, value)) << name;
        return name;
    }
    std::string PutBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(cal3d::WriteFile(name, bytes)) << name;
        return name;
    }

    // Versions outside the documented range load as well, and the log names them.
    template <typename File, typename Load>
    void ExpectEveryVersionLoads(File file, const std::string& name, Load load)
    {
        for (int32_t version : {699, 800, 1100}) {
            file.version = version;
            EXPECT_EQ(S_OK, load(Put(name, file))) << version;
            EXPECT_THAT(Log(), HasSubstr(name + " : FileVersion=" + std::to_string(version)));
        }
    }

    // A file whose magic token has `letter` at `at` is refused as foreign.
    template <typename Load>
    void ExpectForeignMagicFails(std::vector<uint8_t> bytes, size_t at, char letter, const std::string& name,
                                 Load load)
    {
        bytes[at] = uint8_t(letter);
        EXPECT_EQ(E_FAIL, load(PutBytes(name, bytes)));
        EXPECT_THAT(Log(), HasSubstr(name + " : Invalid File Format ('Invalid Magic Token')"));
    }

    static cal3d::Quat Q(float x, float y, float z, float w) { return {x, y, z, w}; }

    // Root 0 with child 1.
    static cal3d::Skeleton TwoBones()
    {
        cal3d::Skeleton skeleton;
        skeleton.bones.resize(2);
        skeleton.bones[0].name = "root";
        skeleton.bones[0].children = {1};
        skeleton.bones[1].name = "arm";
        skeleton.bones[1].parent = 0;
        skeleton.bones[1].translation = {1, 2, 3};
        return skeleton;
    }

    // One triangle per submesh, vertices weighted to bone `bone`.
    static cal3d::Submesh Triangle(int32_t material, int32_t bone = 0)
    {
        cal3d::Submesh submesh;
        submesh.material = material;
        for (int i = 0; i < 3; ++i) {
            cal3d::Vertex vertex;
            vertex.position = {(float)i, (float)material, 0};
            vertex.texCoords = {{0.5f, 0.25f}};
            vertex.influences = {{bone, 1.0f}};
            submesh.vertices.push_back(vertex);
        }
        submesh.indices = {0, 1, 2};
        return submesh;
    }

private:
    std::string log;
};

// Every strict prefix of a valid file must fail as a short file, without
// reading past it.
template <typename Load>
void ExpectEveryCutFails(const std::vector<uint8_t>& bytes, const std::string& name, Load load)
{
    for (size_t size = 0; size < bytes.size(); ++size) {
        cal3d::WriteFile(name, std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
        QLTest_TakeDebugOutput();
        EXPECT_EQ(QLE_SUBFUNCTION, load(name)) << "cut at " << size;
        EXPECT_THAT(QLTest_TakeDebugOutput(), HasSubstr("Unexpected End Of File")) << size;
    }
}
