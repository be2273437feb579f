// The viewer's ground: a thin slab just under the model, wide enough for its
// shadow, written as a 3DS scene the engine's reader takes; and the viewer's
// own help lines.
#include "viewerground.h"
#include "viewerhelp.h"

#include "models/scene/reader3ds.h"

#include <gtest/gtest.h>

#include <float.h>
#include <stdio.h>

#include <string>

TEST(ViewerGround, SlabLiesJustUnderTheModelAndReachesPastIt)
{
    const D3DXVECTOR3 low(-40, -20, 10), high(60, 130, 30);
    const float reach = 450;
    GroundBox ground = GroundUnder(low, high, reach);
    EXPECT_LT(ground.high.y, low.y) << "under the model";
    EXPECT_GT(ground.high.y, low.y - 0.01f * reach) << "and close under it, where its shadow starts";
    EXPECT_GT(ground.high.y - ground.low.y, 0.0f);
    EXPECT_LT(ground.high.y - ground.low.y, 0.05f * reach) << "flat";
    EXPECT_FLOAT_EQ(10 - reach, ground.low.x);
    EXPECT_FLOAT_EQ(10 + reach, ground.high.x);
    EXPECT_FLOAT_EQ(20 - reach, ground.low.z);
    EXPECT_FLOAT_EQ(20 + reach, ground.high.z);
}

TEST(ViewerGround, SceneFileHoldsTheSlabInTheFilesAxes)
{
    GroundBox box = {D3DXVECTOR3(-300, -101, -250), D3DXVECTOR3(310, -100, 320)};
    std::vector<uint8_t> bytes = GroundScene(box);
    FILE* file = fopen("ground.3ds", "wb");
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(bytes.size(), fwrite(bytes.data(), 1, bytes.size(), file));
    fclose(file);

    ChunkFile* chunks = OpenChunkFile("ground.3ds", "r");
    ASSERT_NE(nullptr, chunks);
    SceneDatabase* database = nullptr;
    NewSceneDatabase(&database);
    ReadSceneDatabase(chunks, database);
    ASSERT_EQ(1u, CountMeshes(database));
    EXPECT_EQ(1u, CountMaterials(database));
    MeshRecord* mesh = nullptr;
    FetchMesh(database, 0, &mesh);
    ASSERT_NE(nullptr, mesh);
    EXPECT_EQ(12u, mesh->faceCount);
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (uint32_t v = 0; v < mesh->vertexCount; v++) {
        const float point[3] = {mesh->points[v].x, mesh->points[v].y, mesh->points[v].z};
        for (int axis = 0; axis < 3; axis++) {
            low[axis] = point[axis] < low[axis] ? point[axis] : low[axis];
            high[axis] = point[axis] > high[axis] ? point[axis] : high[axis];
        }
    }
    // The file's z is the engine's y (up).
    EXPECT_FLOAT_EQ(-300, low[0]);
    EXPECT_FLOAT_EQ(310, high[0]);
    EXPECT_FLOAT_EQ(-250, low[1]);
    EXPECT_FLOAT_EQ(320, high[1]);
    EXPECT_FLOAT_EQ(-101, low[2]);
    EXPECT_FLOAT_EQ(-100, high[2]);
    // Every face's normal points out of the slab: its top faces up.
    int upward = 0;
    for (uint32_t f = 0; f < mesh->faceCount; f++) {
        const Point3& a = mesh->points[mesh->faces[f].a];
        const Point3& b = mesh->points[mesh->faces[f].b];
        const Point3& c = mesh->points[mesh->faces[f].c];
        float normalZ = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        float middleZ = (a.z + b.z + c.z) / 3;
        if (middleZ == -100 && normalZ > 0)
            upward++;
        if (middleZ == -100 || middleZ == -101) {
            EXPECT_GT(normalZ * (middleZ + 100.5f), 0.0f) << "face " << f;
        }
    }
    EXPECT_EQ(2, upward);
    FreeMeshRecord(&mesh);
    FreeSceneDatabase(&database);
    CloseChunkFile(chunks);
}

TEST(ViewerHelp, NamesTheViewersOwnKeys)
{
    for (bool shown : {true, false}) {
        std::string help = ViewerHelp(true, shown);
        EXPECT_NE(std::string::npos, help.find("'Escape'")) << help;
        EXPECT_NE(std::string::npos, help.find("'Enter' or the right button")) << help;
        EXPECT_NE(std::string::npos, help.find(shown ? "'G' to hide the ground" : "'G' to show the ground"))
            << help;
    }
    EXPECT_EQ(std::string::npos, std::string(ViewerHelp(false, false)).find("'G'")) << "no ground, no key";
}
