// A model made from geometry built in code (box, plane, sphere) for the
// frame tests, and a solid-colour screen rectangle as an overlay. Both record
// their Update and Render calls so tests can check the order of the passes.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"

#include "support/stub_model.h"

#include <string>
#include <vector>

struct MeshData {
    std::vector<D3DXVECTOR3> positions;
    std::vector<WORD> indices;  // welded: triangles share vertex indices along edges
};

// Every triangle is wound so that the engine's facing normal
// (p2 - p1) x (p1 - p0) points away from the shape's inside.
MeshData MakeBox(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum);
// A square at height y, cells x cells, facing up.
MeshData MakePlane(float halfSize, float y, int cells);
MeshData MakeSphere(const D3DXVECTOR3& centre, float radius, int slices, int stacks);

// Who did what, in call order: "update <name>", "render <name>".
using CallLog = std::vector<std::string>;

class TestModel final : public StubModel<TestModel> {
public:
    // Builds the buffers through the manager, takes a graphics reference and
    // registers with AddGeometry. The caller owns *out.
    static HRESULT Create(IGraphics* graphics, const MeshData& mesh, const char* name, TestModel** out);
    // One model whose parts are the meshes, one after another in its buffers,
    // as a scene file's objects are.
    static HRESULT CreateParts(IGraphics* graphics, const std::vector<MeshData>& meshes, const char* name,
                               TestModel** out);

    QL_TYPE_NAME("TestModel")
    HRESULT Clone(IGeometry** out) override;
    HRESULT Update(float elapsedSeconds) override;
    HRESULT Render() override;
    HRESULT GetCreationParams(EngineString* type, EngineString* command) override;
    HRESULT GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) override;
    HRESULT GetShadowInfos(ShadowInfos* out) override;
    HRESULT RenderParts(const bool* visible) override;

    ~TestModel();

    D3DMATERIAL9 material = {};
    CallLog* calls = nullptr;
    // Called from Update, once: lets a test act in the middle of a frame.
    HRESULT (*onUpdate)(IGraphics* graphics) = nullptr;
    HRESULT lastUpdateHook = S_OK;
    // Called from GetShadowInfos, once: acts in the shadow pass.
    void (*onShadowInfos)() = nullptr;
    bool removeOnDestroy = true;  // false: a model that forgets RemoveGeometry
    bool hasShadowData = true;    // false: GetShadowInfos gives nothing to cast
    // The parts drawn by each Render or RenderParts call, in call order.
    std::vector<std::vector<bool>> partsDrawn;
    // The pass states found by the last Render: cull mode, stencil pass and
    // depth-fail operations, depth function, two-sided stencil mode.
    std::vector<DWORD> statesAtRender;
    bool* destroyed = nullptr;

private:
    TestModel(IGraphics* graphics, const char* name);

    IGraphics* graphics;
    std::string name;
    VB* vertices = nullptr;
    IB* indices = nullptr;
    uint32_t triangleCount = 0;
    uint32_t vertexCount = 0;
    D3DXVECTOR3 boxMin{0, 0, 0};
    D3DXVECTOR3 boxMax{0, 0, 0};
    std::vector<ShadowPart> parts;  // empty: one part, boxed by the positions
};

// A screen rectangle of one colour (pre-transformed vertices), drawn as an
// overlay with blending off.
class TestOverlay final : public StubGeometry<TestOverlay> {
public:
    static HRESULT Create(IGraphics* graphics, RECT area, D3DCOLOR colour, TestOverlay** out);

    QL_TYPE_NAME("TestOverlay")
    HRESULT Update(float) override;
    HRESULT Render() override;
    ~TestOverlay();

    CallLog* calls = nullptr;

private:
    explicit TestOverlay(IGraphics* graphics) : graphics(graphics) {}
    IGraphics* graphics;
    VB* quad = nullptr;
    bool registered = true;
};
