// Where the skinned demo's crowd stands: every clone on the park, whatever
// the crowd's size, clear of the fountain, of the first creature and of each
// other.
#include "crowd.h"

#include "models/scene/reader3ds.h"

#include <gtest/gtest.h>

#include <float.h>
#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

// The park's ground in the engine's axes: x across, z north.
struct Extent {
    float lowX = FLT_MAX, highX = -FLT_MAX, lowZ = FLT_MAX, highZ = -FLT_MAX;
};

Extent ParkExtent()
{
    Extent extent;
    const char* source = getenv("QL_SOURCE_DIR");
    std::string park = std::string(source ? source : "..") + "/data/park.3ds";
    ChunkFile* file = OpenChunkFile(park.c_str(), "r");
    EXPECT_NE(nullptr, file) << park;
    if (!file)
        return extent;
    SceneDatabase* database = nullptr;
    NewSceneDatabase(&database);
    ReadSceneDatabase(file, database);
    for (uint32_t m = 0; m < CountMeshes(database); m++) {
        MeshRecord* mesh = nullptr;
        FetchMesh(database, m, &mesh);
        // The file's y is the engine's z.
        for (uint32_t v = 0; mesh && v < mesh->vertexCount; v++) {
            extent.lowX = fminf(extent.lowX, mesh->points[v].x);
            extent.highX = fmaxf(extent.highX, mesh->points[v].x);
            extent.lowZ = fminf(extent.lowZ, mesh->points[v].y);
            extent.highZ = fmaxf(extent.highZ, mesh->points[v].y);
        }
        FreeMeshRecord(&mesh);
    }
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    return extent;
}

}  // namespace

TEST(Crowd, EveryCloneStandsOnTheParkForEveryCrowdSize)
{
    const Extent park = ParkExtent();
    ASSERT_LT(park.lowX, park.highX);
    // A creature reaches about 25 units from where it stands.
    const float reach = 25.0f;
    std::vector<D3DXVECTOR3> positions(maximumCrowd);
    for (uint32_t creatures = 2; creatures <= maximumCrowd; creatures++) {
        uint32_t clones = creatures - 1;
        ASSERT_EQ(clones, CrowdPositions(clones, positions.data())) << creatures << " creatures";
        for (uint32_t c = 0; c < clones; c++) {
            const D3DXVECTOR3& at = positions[c];
            ASSERT_TRUE(at.x - reach >= park.lowX && at.x + reach <= park.highX && at.z - reach >= park.lowZ &&
                        at.z + reach <= park.highZ && at.y == 0.0f)
                << "clone " << c << " of " << creatures << " creatures at (" << at.x << ", " << at.z << ")";
        }
    }
}

TEST(Crowd, TheLargestCrowdKeepsClearOfTheFountainTheFirstCreatureAndEachOther)
{
    std::vector<D3DXVECTOR3> positions(maximumCrowd);
    const uint32_t clones = maximumCrowd - 1;
    ASSERT_EQ(clones, CrowdPositions(clones, positions.data()));
    for (uint32_t c = 0; c < clones; c++) {
        const D3DXVECTOR3& at = positions[c];
        SCOPED_TRACE(c);
        EXPECT_GE(sqrtf(at.x * at.x + at.z * at.z), 60.0f) << "in the fountain";
        EXPECT_FALSE(fabsf(at.x) < 67.5f && at.z < -95.0f + 67.5f) << "beside the first creature";
        for (uint32_t d = c + 1; d < clones; d++) {
            D3DXVECTOR3 apart = positions[d] - at;
            ASSERT_GE(D3DXVec3Length(&apart), 15.0f) << "clones " << c << " and " << d;
        }
    }
}

TEST(Crowd, ASmallCrowdKeepsItsSevenColumns)
{
    std::vector<D3DXVECTOR3> positions(31);
    ASSERT_EQ(31u, CrowdPositions(31, positions.data()));
    float widest = 0.0f;
    for (const D3DXVECTOR3& at : positions)
        widest = fmaxf(widest, fabsf(at.x));
    EXPECT_FLOAT_EQ(135.0f, widest) << "three columns of 45 each side of the middle one";
    EXPECT_FLOAT_EQ(-135.0f, positions[0].x);
    EXPECT_FLOAT_EQ(-95.0f, positions[0].z) << "the first row is the first creature's";
}
