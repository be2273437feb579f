// The committed park scene reads cleanly and fits what the scene loader needs:
// 16-bit indices, every face in one group of a defined material, every texture
// map present beside it and spread over the faces that use it.
#include "reader3ds_fixture.h"

#include <fstream>
#include <set>
#include <stdlib.h>
#include <string>

TEST_F(Reader3ds, ParkSceneIsCompleteAndWithinLimits)
{
    const char* source = getenv("QL_SOURCE_DIR");
    ASSERT_NE(nullptr, source);
    std::string dataDir = std::string(source) + "/data/";
    file = OpenChunkFile((dataDir + "park.3ds").c_str(), "r");
    ASSERT_NE(nullptr, file);
    NewSceneDatabase(&database);
    ReadSceneDatabase(file, database);

    std::set<std::string> materials, mapped;
    uint32_t textured = 0;
    uint32_t materialCount = CountMaterials(database);
    for (uint32_t i = 0; i < materialCount; i++) {
        FetchMaterial(database, i, &material);
        materials.insert(material->name);
        std::string map = material->maps[MAP_TEXTURE1].name;
        if (map.empty())
            continue;
        textured++;
        mapped.insert(material->name);
        EXPECT_TRUE(std::ifstream(dataDir + map).good()) << map;
    }
    EXPECT_GE(materials.size(), 5u);
    EXPECT_GE(textured, 2u);

    uint32_t vertices = 0, faces = 0;
    uint32_t meshCount = CountMeshes(database);
    for (uint32_t i = 0; i < meshCount; i++) {
        FetchMesh(database, i, &mesh);
        SCOPED_TRACE(mesh->name);
        vertices += mesh->vertexCount;
        faces += mesh->faceCount;
        for (uint32_t f = 0; f < mesh->faceCount; f++) {
            ASSERT_LT(mesh->faces[f].a, mesh->vertexCount);
            ASSERT_LT(mesh->faces[f].b, mesh->vertexCount);
            ASSERT_LT(mesh->faces[f].c, mesh->vertexCount);
        }
        ASSERT_EQ(mesh->vertexCount, mesh->texCoordCount);
        std::vector<int> uses(mesh->faceCount, 0);
        for (uint32_t g = 0; g < mesh->groupCount; g++) {
            EXPECT_EQ(1u, materials.count(mesh->groups[g].name)) << mesh->groups[g].name;
            bool textured = mapped.count(mesh->groups[g].name) != 0;
            uint32_t flat = 0;
            for (uint32_t k = 0; k < mesh->groups[g].faceCount; k++) {
                ASSERT_LT(mesh->groups[g].faces[k], mesh->faceCount);
                uses[mesh->groups[g].faces[k]]++;
                const Face3ds& face = mesh->faces[mesh->groups[g].faces[k]];
                const TexCoord &a = mesh->texCoords[face.a], &b = mesh->texCoords[face.b], &c = mesh->texCoords[face.c];
                flat += (b.u - a.u) * (c.v - a.v) - (c.u - a.u) * (b.v - a.v) == 0;
            }
            // A face whose corners do not span the map shows one texel.
            if (textured) {
                EXPECT_EQ(0u, flat) << mesh->groups[g].name;
            }
        }
        EXPECT_EQ(std::vector<int>(mesh->faceCount, 1), uses);
    }
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_GE(meshCount, 30u) << "ground, fountain, trees, benches, lamps";
    EXPECT_GE(faces, 20000u);
    EXPECT_LE(faces, 50000u);
    EXPECT_LT(vertices, 0xFFFFu);
}
