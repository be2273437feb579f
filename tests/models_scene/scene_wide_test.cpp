// Scenes above 65 535 vertices: cut into parts that 16-bit indices reach,
// and a model of 200 000 vertices loaded, drawn and casting its shadow
// through 32-bit indices and, on a device limited to 16-bit indices, in parts.
#include "scene_file_fixture.h"

#include "models/scene/scenesplit.h"
#include "support/lit_view.h"

#include <algorithm>

namespace {

using writer3ds::Mesh;
using writer3ds::Scene;

// Arrays over `indices` (3 per triangle) and `vertexCount` vertices.
SceneArrays ArraysOf(std::vector<uint32_t>& indices, uint32_t vertexCount)
{
    SceneArrays arrays = {};
    arrays.indices = indices.data();
    arrays.indexCount = (uint32_t)indices.size();
    arrays.vertexCount = vertexCount;
    return arrays;
}

// Every part stays within the cap, the parts cover the list in order, and
// each part's own index names the vertex the list names.
void ExpectFaithfulSplit(const std::vector<uint32_t>& indices, const SceneSplit& split, uint32_t cap)
{
    ASSERT_GT(split.partCount, 0u);
    EXPECT_EQ(0u, split.firstIndex[0]);
    EXPECT_EQ(indices.size(), split.firstIndex[split.partCount]);
    for (uint32_t p = 0; p < split.partCount; p++) {
        uint32_t vertices = split.firstVertex[p + 1] - split.firstVertex[p];
        EXPECT_LE(vertices, cap) << p;
        EXPECT_EQ(0u, split.firstIndex[p] % 3) << p;
        for (uint32_t i = split.firstIndex[p]; i < split.firstIndex[p + 1]; i++) {
            ASSERT_LT(split.indices[i], vertices) << i;
            EXPECT_EQ(indices[i], split.vertices[split.firstVertex[p] + split.indices[i]]) << i;
        }
    }
}

TEST(SceneSplit, PartsStayUnderTheCapAndNameTheSameVertices)
{
    // A strip: triangle t uses vertices t, t + 1, t + 2, with a repeated
    // corner now and then, and a jump back to vertex 0.
    std::vector<uint32_t> indices;
    for (uint32_t t = 0; t < 40; t++)
        indices.insert(indices.end(), {t, t + 1, t % 7 ? t + 2 : t});
    indices.insert(indices.end(), {0, 20, 41});
    SceneArrays arrays = ArraysOf(indices, 42);
    SceneSplit split;
    ASSERT_EQ(S_OK, SplitScene(arrays, 5, &split));
    ExpectFaithfulSplit(indices, split, 5);
    // A part takes a triangle whenever its vertices still fit: a strip of
    // five-vertex parts holds three triangles each.
    EXPECT_EQ(3u, split.firstIndex[1] / 3);
    FreeSceneSplit(&split);

    ASSERT_EQ(S_OK, SplitScene(arrays, 0xFFFF, &split));
    EXPECT_EQ(1u, split.partCount);
    EXPECT_EQ(42u, split.firstVertex[1]);
    FreeSceneSplit(&split);

    EXPECT_EQ(E_INVALIDARG, SplitScene(arrays, 2, &split));
    indices.back() = 42;  // past the vertices
    EXPECT_EQ(E_INVALIDARG, SplitScene(ArraysOf(indices, 42), 5, &split));
    EXPECT_EQ(nullptr, split.indices);
}

// Mean of r + g + b over a square of pixels around a point.
double Brightness(const Picture& picture, const D3DXVECTOR2& at)
{
    double sum = 0;
    int count = 0;
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++) {
            uint32_t p = picture.At((int)at.x + dx, (int)at.y + dy);
            sum += Channel(p, 16) + Channel(p, 8) + Channel(p, 0);
            count++;
        }
    return sum / count;
}

// A square grid of columns x rows points at height `z` (3D Studio axes),
// triangles wound to face up.
Mesh Grid(const std::string& name, uint32_t columns, uint32_t rows, float x0, float y0, float x1, float y1, float z)
{
    Mesh mesh;
    mesh.name = name;
    for (uint32_t r = 0; r < rows; r++)
        for (uint32_t c = 0; c < columns; c++)
            mesh.points.push_back({x0 + (x1 - x0) * c / (columns - 1), y0 + (y1 - y0) * r / (rows - 1), z});
    for (uint32_t r = 0; r + 1 < rows; r++)
        for (uint32_t c = 0; c + 1 < columns; c++) {
            uint16_t a = (uint16_t)(r * columns + c), b = (uint16_t)(a + 1), d = (uint16_t)(a + columns);
            mesh.faces.push_back({a, b, (uint16_t)(d + 1)});
            mesh.faces.push_back({a, (uint16_t)(d + 1), d});
        }
    return mesh;
}

class BigScene : public SceneFileTest {
protected:
    void TearDown() override
    {
        QLTest_SetMaxVertexIndex(0);
        SceneFileTest::TearDown();
    }

    // A lawn, and above it a plate of 200 000 vertices in eight meshes.
    static Scene Plate()
    {
        Scene scene;
        scene.materials = {{"grey", {60, 60, 60}, {200, 200, 200}, {0, 0, 0}, 0, ""}};
        scene.meshes = {Grid("lawn", 41, 41, -200, -200, 200, 200, 0)};
        for (int m = 0; m < 8; m++)
            scene.meshes.push_back(Grid("plate" + std::to_string(m), 125, 200, -20, -20 + 5.0f * m, 20,
                                        -15 + 5.0f * m, 40));
        return scene;
    }

    // Draws one frame with the light east of the plate and reads it back.
    Picture Frame(bool shadows)
    {
        LightView(graphics, D3DXVECTOR3(0, 300, -400), D3DXVECTOR3(0, 50, 0), D3DCOLOR_XRGB(60, 60, 60),
                  D3DXVECTOR3(150, 150, 0), 2000.0f);
        EXPECT_EQ(S_OK, graphics->SetStencilShadow(shadows));
        EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f)) << NewLog();
        Picture picture = PresentedFrame();
        width = picture.width, height = picture.height;
        return picture;
    }

    D3DXVECTOR2 Pixel(const D3DXVECTOR3& point) const
    {
        D3DXMATRIX view, projection, viewProjection;
        D3DXVECTOR3 eye(0, 300, -400), at(0, 50, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, (float)width / (float)height, 1.0f, 10000.0f);
        D3DXMatrixMultiply(&viewProjection, &view, &projection);
        D3DXVECTOR4 clip, homogeneous(point.x, point.y, point.z, 1);
        D3DXVec4Transform(&clip, &homogeneous, &viewProjection);
        return D3DXVECTOR2((clip.x / clip.w + 1) * 0.5f * width, (1 - clip.y / clip.w) * 0.5f * height);
    }

    // The plate's shadow falls west of it onto the lawn; as far east the lawn
    // is lit, and without shadows the west is lit too.
    void ExpectShadowWestOfThePlate(Picture* shadowedOut)
    {
        Picture shadowed = Frame(true);
        Picture plain = Frame(false);
        D3DXVECTOR2 west = Pixel(D3DXVECTOR3(-55, 0, 0)), east = Pixel(D3DXVECTOR3(55, 0, 0));
        double inShadow = Brightness(shadowed, west), inLight = Brightness(shadowed, east);
        EXPECT_GT(inLight, 60.0);
        EXPECT_LT(inShadow, 0.6 * inLight);
        EXPECT_GT(Brightness(plain, west), 1.4 * inShadow);
        // The plate itself is drawn, lit from above.
        EXPECT_GT(Brightness(shadowed, Pixel(D3DXVECTOR3(0, 40, 0))), 60.0);
        *shadowedOut = shadowed;
    }

    uint32_t width = 0, height = 0;
};

}  // namespace

TEST_F(BigScene, TwoHundredThousandVerticesDrawAndShadowThroughThirtyTwoBitIndicesOrInParts)
{
    ModelScene* wide = Load(Plate());
    ASSERT_NE(nullptr, wide);
    const ModelSceneMeta* meta = wide->Meta();
    ASSERT_EQ(41u * 41 + 200000u, meta->vertexBuffer->GetCount());
    EXPECT_TRUE(meta->indexBuffer->IsWide());
    EXPECT_EQ(nullptr, meta->pieces);
    Picture wideFrame;
    ExpectShadowWestOfThePlate(&wideFrame);
    factoryModels.back()->Release();
    factoryModels.pop_back();

    // A device whose indices stop at 0xFFFF: 32-bit buffers cannot be drawn there.
    QLTest_SetMaxVertexIndex(0xFFFF);
    ModelScene* parts = Load(Plate());
    ASSERT_NE(nullptr, parts);
    meta = parts->Meta();
    ASSERT_GE(meta->pieceCount, 4u);
    for (uint32_t p = 0; p < meta->pieceCount; p++) {
        EXPECT_LE(meta->pieces[p].vertexBuffer->GetCount(), 0xFFFFu) << p;
        EXPECT_FALSE(meta->pieces[p].indexBuffer->IsWide()) << p;
    }
    EXPECT_EQ(meta->materials[0].indexCount, meta->pieces[meta->pieceCount - 1].endIndex);
    // The parts and the shadow's buffer without a device side survive a reset.
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode()) << NewLog();
    Picture partsFrame;
    ExpectShadowWestOfThePlate(&partsFrame);

    // Both ways draw the same picture, but for rounding at the parts' seams.
    ASSERT_EQ(wideFrame.pixels.size(), partsFrame.pixels.size());
    uint32_t differing = 0;
    for (size_t i = 0; i < wideFrame.pixels.size(); i++)
        differing += ColourDistance(wideFrame.pixels[i], partsFrame.pixels[i]) > 8;
    EXPECT_LT(differing, wideFrame.pixels.size() / 1000);
}
