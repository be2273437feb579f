// ModelScene: a static scene loaded from one file, drawn with its materials
// and textures, lit and shadowed by the graphics manager. The loaded data
// lives in a reference-counted ModelSceneMeta that every clone shares; an
// instance holds only its world matrix and its two references.
#pragma once

#include "models/scene/scenematerial.h"

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"
#include "graphics/registeredgeometry.h"

#include "foundation/enginestring.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"

#include <stdint.h>

// How strictly a scene model loads. By default a texture map that cannot be
// made fails the load.
struct SceneLoadOptions {
    // A map whose file is missing leaves its material untextured, with one
    // Warning per missing file naming it; a file that is there but unreadable
    // still fails the load.
    bool missingTexturesAllowed = false;
};

// Buffers of their own for a run of a model's triangles: a model with more
// vertices than the device's indices reach is drawn in such pieces, each of
// at most 0xFFFF vertices with 16-bit indices. The piece draws the model's
// indices [firstIndex, endIndex), which its own buffer holds from 0.
struct ScenePiece {
    VB* vertexBuffer = nullptr;
    IB* indexBuffer = nullptr;
    uint32_t firstIndex = 0;
    uint32_t endIndex = 0;
};

// The shared data of a scene model, owned by the instance that created it;
// every clone adds a reference. Destroys its graphic resources with itself.
class ModelSceneMeta final : public SharedData<ModelSceneMeta> {
public:
    ModelSceneMeta();

    // Both loaders record what they created in the meta even when they fail;
    // it is released with the meta.
    HRESULT Load3DS(const EngineString& fileName, IGraphics* graphics, const SceneLoadOptions& options = {});
    HRESULT LoadD3Map(const EngineString& fileName, IGraphics* graphics);
    // Wavefront OBJ with its material libraries (models/import/modelobj.cpp).
    HRESULT LoadOBJ(const EngineString& fileName, IGraphics* graphics, const SceneLoadOptions& options = {});

    EngineString type = "NO_TYPE";
    EngineString fileName = "NO_FILE";
    D3DXMATRIX initialMatrix;
    D3DXVECTOR3 boxMin = D3DXVECTOR3(0, 0, 0), boxMax = D3DXVECTOR3(0, 0, 0);
    SceneMaterial* materials = nullptr;
    uint32_t materialCount = 0;
    VB* vertexBuffer = nullptr;
    IB* indexBuffer = nullptr;
    Texture** textures = nullptr;  // one per material, null where it has no map
    uint32_t textureCount = 0;
    // The model's objects (sceneparts.h); none: it is one part, cast from
    // indexBuffer. The runs give each material's index runs in index order,
    // their mesh field holding the part number.
    ShadowPart* parts = nullptr;
    uint32_t partCount = 0;
    struct SceneRun* runs = nullptr;
    uint32_t runCount = 0;
    IB* shadowIndexBuffer = nullptr;  // the parts' triangles, part by part
    // Set when the model is drawn in pieces; vertexBuffer (positions only) and
    // indexBuffer (not drawn, 32-bit) then only cast its shadow.
    ScenePiece* pieces = nullptr;
    uint32_t pieceCount = 0;

private:
    friend SharedData<ModelSceneMeta>;
    ~ModelSceneMeta();
};

class ModelScene final : public PlacedModel<ModelScene> {
public:
    QL_TYPE_NAME("ModelScene")
    HRESULT Clone(IGeometry** out) override;
    HRESULT Render() override;
    HRESULT AddAnimation(uint32_t animation, float weight) override;
    bool IsAnimationActive(uint32_t animation) override;
    HRESULT GetShadowInfos(ShadowInfos* out) override;
    HRESULT RenderParts(const bool* visible) override;

    ModelScene();
    ~ModelScene();
    // Loads the shared data; the graphics reference is the instance's once this succeeds.
    HRESULT Init(const EngineString& type, const EngineString& command, IGraphics* graphics,
                 const SceneLoadOptions& options = {});
    // Init through `load`, which fills the new shared data from `context`:
    // the way in for readers whose factories read the file first.
    using MetaLoader = HRESULT (*)(ModelSceneMeta* meta, IGraphics* graphics, void* context);
    HRESULT InitLoaded(const EngineString& type, const EngineString& command, IGraphics* graphics,
                       MetaLoader load, void* context);
    // The shared data, for inspection; no reference is added.
    const ModelSceneMeta* Meta() const { return meta.Get(); }

private:
    friend RegisteredGeometry<ModelScene, IModel>;
    bool Loaded() const { return meta.Get() != nullptr; }
    const EngineString& CreationType() const { return meta->type; }
    const EngineString& CreationCommand() const { return meta->fileName; }
    void Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const;

    // Init through InitShared, with what this class's instance takes from the loaded data.
    template <typename Load>
    HRESULT LoadMeta(const EngineString& type, const EngineString& command, IGraphics* manager, Load load);
    HRESULT RenderPiece(class TraceContext& trace, const ScenePiece& piece);

    Owned<ModelSceneMeta> meta;
};

// The scene-model factory for the types "3ds", "obj" and "d3map" (case-sensitive);
// command is the file to load. The caller has already added the graphics
// reference the new model keeps.
HRESULT CreateModelScene(const EngineString& type, const EngineString& command, IGraphics* graphics,
                         IGeometry** out);
// The same, loading as `options` say.
HRESULT CreateModelScene(const EngineString& type, const EngineString& command, IGraphics* graphics,
                         const SceneLoadOptions& options, IGeometry** out);
