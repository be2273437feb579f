// ModelScene as the engine uses it: the factory's types, clones sharing
// their loaded data, and the geometry calls the frame makes.
#include "scene_file_fixture.h"

#include "support/allocation_failure.h"

#include <math.h>

#include <array>
#include <set>

using writer3ds::Mesh;
using writer3ds::Scene;

namespace {

Scene Tile()
{
    Mesh mesh;
    mesh.name = "tile";
    mesh.points = {{-10, -10, 0}, {10, -10, 0}, {10, 10, 0}, {-10, 10, 0}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    Scene scene;
    scene.meshes = {mesh};
    return scene;
}

}  // namespace

TEST_F(SceneFileTest, FactoryTakesOnlyTheExactTypeNames)
{
    std::string path = Save(Tile());
    for (const char* type : {"3DS", "3ds ", "D3MAP", "scene"}) {
        SCOPED_TRACE(type);
        EXPECT_NE(S_OK, Create(type, path));
    }
    ModelScene* direct = nullptr;
    IGeometry* out = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, CreateModelScene("3DS", path.c_str(), graphics, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_NE(std::string::npos, NewLog().find("Unsupported Type"));

    // "d3map" is known and never loads.
    EXPECT_EQ(QLE_SUBFUNCTION, Create("d3map", path, &direct));
    EXPECT_NE(std::string::npos, NewLog().find("d3map<" + path + "> : Loading failed"));
}

TEST_F(SceneFileTest, AnswersTheGeometryCalls)
{
    std::string path = "./" + Save(Tile());
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create("3ds", path, &model));
    EngineString type, command;
    ASSERT_EQ(S_OK, model->GetCreationParams(&type, &command));
    EXPECT_STREQ("3ds", type.Chars());
    EXPECT_STREQ(path.c_str(), command.Chars());
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetCreationParams(nullptr, &command));
    EXPECT_EQ(S_FALSE, model->SendCommand(1, 2));
    EXPECT_TRUE(model->IsModel());
    EXPECT_EQ(E_FAIL, model->AddAnimation(0, 1.0f));
    EXPECT_FALSE(model->IsAnimationActive(0));
    EXPECT_EQ(E_FAIL, model->GetShadowInfos(nullptr));
    ShadowInfos infos = {};
    ASSERT_EQ(S_OK, model->GetShadowInfos(&infos));
    EXPECT_EQ(model->Meta()->vertexBuffer, infos.vertices);
    // The shadow pass reads the triangles part by part, from its own buffer.
    EXPECT_EQ(model->Meta()->shadowIndexBuffer, infos.indices);
    EXPECT_NE(model->Meta()->indexBuffer, infos.indices);
    EXPECT_EQ(1u, infos.partCount);
    D3DXMATRIX world;
    ASSERT_EQ(S_OK, model->GetMatrix(&world));
    EXPECT_EQ(1.0f, world._11 * world._22 * world._33 * world._44);
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetMatrix(nullptr));
}

TEST_F(SceneFileTest, ClonesShareTheLoadedDataUntilTheLastIsReleased)
{
    std::string path = Save(Tile());
    ModelScene* source = nullptr;
    ASSERT_EQ(S_OK, Create("3ds", path, &source));
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 5, 0, 0);
    source->SetMatrix(moved);

    IGeometry* cloned = nullptr;
    ASSERT_EQ(S_OK, source->Clone(&cloned));
    ModelScene* clone = static_cast<ModelScene*>(cloned);
    EXPECT_EQ(source->Meta(), clone->Meta());
    ShadowInfos a = {}, b = {};
    source->GetShadowInfos(&a);
    clone->GetShadowInfos(&b);
    EXPECT_EQ(a.vertices, b.vertices);
    EXPECT_EQ(a.indices, b.indices);
    D3DXMATRIX world;
    clone->GetMatrix(&world);
    EXPECT_EQ(5.0f, world._41) << "a clone starts with the source's current matrix";

    // The source goes; the clone, registered by Clone, still draws.
    factoryModels.clear();
    EXPECT_EQ(0, source->Release());
    std::string log = NewLog();
    EXPECT_EQ(1u, Occurrences(log, "ModelScene '" + path + "' Destroyed"));
    EXPECT_EQ(0u, Occurrences(log, "ModelSceneMeta '" + path + "' Destroyed"));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f));

    EXPECT_EQ(0, clone->Release());
    log = NewLog();
    EXPECT_EQ(2u, Occurrences(log, "ModelScene '" + path + "' Destroyed"));
    EXPECT_EQ(1u, Occurrences(log, "ModelSceneMeta '" + path + "' Destroyed"));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f)) << "nothing left registered that was freed";
}

TEST_F(SceneFileTest, CloneFailsWhenItCannotBeRegistered)
{
    std::string path = Save(Tile());
    ModelScene* source = nullptr;
    ASSERT_EQ(S_OK, Create("3ds", path, &source));
    LONG references = graphics->AddRef() - 1;
    graphics->Release();
    int refused = 0;
    for (long nth = 1; nth < 1000 && !HasFailure(); ++nth) {
        IGeometry* cloned = nullptr;
        FailNthNothrowAllocation(nth);
        HRESULT result = source->Clone(&cloned);
        bool failed = NothrowAllocationFailed();
        FailNthNothrowAllocation(0);
        if (FAILED(result)) {
            EXPECT_EQ(nullptr, cloned) << "allocation " << nth;
            ++refused;
        } else {
            ASSERT_NE(nullptr, cloned);
            cloned->Release();
        }
        EXPECT_EQ(std::string::npos, NewLog().find("GeometryToRemove not found"))
            << "allocation " << nth << ": a clone was never registered";
        EXPECT_EQ(references, graphics->AddRef() - 1) << "allocation " << nth;
        graphics->Release();
        if (!failed)
            break;
    }
    EXPECT_GE(refused, 2) << "the clone itself and its registration";
    EXPECT_EQ(std::string::npos, NewLog().find("ModelSceneMeta '" + path + "' Destroyed"));
}

TEST_F(SceneFileTest, FailingDrawEndsTheRenderWithItsRecord)
{
    Scene scene = Tile();
    scene.materials = {{"a", {9, 9, 9}, {99, 99, 99}, {0, 0, 0}, 10, ""}};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    QLTest_FailCall("IDirect3DDevice9::DrawIndexedPrimitive", D3DERR_INVALIDCALL, 1);
    EXPECT_EQ(QLE_SUBFUNCTION, model->Render());
    std::string log = NewLog();
    EXPECT_NE(std::string::npos,
              log.find(ErrorRecord("ModelScene::Render()", D3DERR_INVALIDCALL,
                                   "IDirect3DDevice9::DrawIndexedPrimitive() failed")))
        << log;
    EXPECT_EQ(S_OK, model->Render()) << "the next frame draws again";
}

// Each mesh that draws is one part: its box and longest edge from its own
// triangles, its triangles together in the shadow buffer, whatever the
// material order scatters them to in the drawn one. A mesh whose only
// material is missing draws nothing and is no part.
TEST_F(SceneFileTest, EachDrawnMeshIsOnePartWithItsBoxAndItsTriangles)
{
    Scene scene;
    scene.materials = {{"red", {200, 0, 0}, {200, 0, 0}, {0, 0, 0}, 0, ""},
                       {"blue", {0, 0, 200}, {0, 0, 200}, {0, 0, 0}, 0, ""}};
    Mesh two;
    two.name = "two";
    two.points = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 3, 0}, {0, 0, 9}};
    two.faces = {{0, 1, 2}, {0, 2, 3}, {0, 1, 4}};
    two.groups = {{"blue", {0, 2}}, {"red", {1}}};
    Mesh ghost = Tile().meshes[0];
    ghost.name = "ghost";
    ghost.groups = {{"missing", {0, 1}}};
    Mesh one = Tile().meshes[0];
    one.name = "one";
    for (auto& p : one.points)
        p[2] = 50;
    one.groups = {{"red", {0, 1}}};
    scene.meshes = {two, ghost, one};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    ShadowInfos infos = {};
    ASSERT_EQ(S_OK, model->GetShadowInfos(&infos));
    ASSERT_EQ(2u, infos.partCount);
    const ShadowPart& first = infos.parts[0];
    const ShadowPart& second = infos.parts[1];
    EXPECT_EQ(0u, first.firstTriangle);
    EXPECT_EQ(3u, first.triangleCount);
    EXPECT_EQ(3u, second.firstTriangle);
    EXPECT_EQ(2u, second.triangleCount);
    // Engine axes: a file point (x, y, z) is (x, z, y).
    EXPECT_EQ(D3DXVECTOR3(0, 0, 0), first.low);
    EXPECT_EQ(D3DXVECTOR3(4, 9, 3), first.high);
    EXPECT_EQ(D3DXVECTOR3(-10, 50, -10), second.low);
    EXPECT_EQ(D3DXVECTOR3(10, 50, 10), second.high);
    EXPECT_FLOAT_EQ(sqrtf(16 + 81), first.longestEdge);
    EXPECT_FLOAT_EQ(sqrtf(800), second.longestEdge);
    // The same triangles as the drawn buffer, part by part.
    const WORD* shadow = infos.indices->Indices();
    const WORD* drawn = model->Meta()->indexBuffer->Indices();
    ASSERT_EQ(15u, infos.indices->GetCount());
    ASSERT_EQ(15u, model->Meta()->indexBuffer->GetCount());
    std::multiset<std::array<WORD, 3>> shadowTriangles, drawnTriangles;
    for (uint32_t t = 0; t < 5; ++t) {
        shadowTriangles.insert({shadow[3 * t], shadow[3 * t + 1], shadow[3 * t + 2]});
        drawnTriangles.insert({drawn[3 * t], drawn[3 * t + 1], drawn[3 * t + 2]});
        const uint32_t mesh = t < 3 ? 0 : 2;
        const WORD firstVertex = mesh == 0 ? 0 : 9;
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(shadow[3 * t + k] >= firstVertex && shadow[3 * t + k] < firstVertex + (mesh == 0 ? 5 : 4))
                << "triangle " << t;
    }
    EXPECT_TRUE(shadowTriangles == drawnTriangles);
}

// Three tiles of one material, one after another in its run of indices:
// with the middle one's flag cleared, the draws of the other two leave it
// out, though they are merged into one draw when all three show.
TEST_F(SceneFileTest, RenderPartsDrawsOnlyTheFlaggedParts)
{
    Scene scene;
    scene.materials = {{"red", {255, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0, ""}};
    for (int i = 0; i < 3; i++) {
        Mesh tile = Tile().meshes[0];
        tile.name = "tile" + std::to_string(i);
        for (auto& p : tile.points)
            p[0] += 30.0f * (i - 1);
        tile.groups = {{"red", {0, 1}}};
        scene.meshes.push_back(tile);
    }
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    const D3DXVECTOR3 eye(0, 100, 0), at(0, 0, 0), up(0, 0, 1);
    ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
    IDirect3DDevice9* device = graphics->GetDevice();
    auto drawn = [&](const bool* visible) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        EXPECT_EQ(S_OK, model->RenderParts(visible));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        Picture frame = PresentedFrame();
        // The tiles' middles, 30 units apart at 100 units from the eye.
        std::string shown;
        for (float x : {-30.0f, 0.0f, 30.0f}) {
            const float column = (1.0f + x / (100.0f * tanf(0.3926991f) * 4.0f / 3.0f)) * 0.5f * float(frame.width);
            const uint32_t pixel = frame.At(uint32_t(column), frame.height / 2);
            shown += (pixel & 0xFF0000) > 0x800000 ? "R" : ".";
        }
        return shown;
    };
    const bool all[3] = {true, true, true}, outer[3] = {true, false, true}, last[3] = {false, false, true};
    EXPECT_EQ("RRR", drawn(all));
    EXPECT_EQ("R.R", drawn(outer));
    EXPECT_EQ("..R", drawn(last));
    EXPECT_EQ("RRR", drawn(nullptr));
}
