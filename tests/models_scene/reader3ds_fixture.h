// Shared by the reader suites: writes test files, opens and reads them, and
// gives the pending errors as a list of codes. Every test starts and ends with
// no pending error and no open file or database.
#pragma once

#include "models/scene/reader3ds.h"
#include "writer3ds.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

std::vector<int32_t> PendingCodes();
std::vector<std::string> PendingTexts();

class Reader3ds : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `bytes` to a file of this test and returns its name.
    std::string Write(const std::vector<uint8_t>& bytes, const std::string& name = "test.3ds");
    // Opens and reads `bytes`; the pending errors are left for the test.
    void Read(const std::vector<uint8_t>& bytes);
    void Close();

    ChunkFile* file = nullptr;
    SceneDatabase* database = nullptr;
    MeshRecord* mesh = nullptr;
    MaterialRecord* material = nullptr;
};

// A scene with two materials (one with a texture map) and three meshes, one of
// them without face groups.
writer3ds::Scene SampleScene();
