// ModelSkel: a skeletal model that plays keyframed animations, blends them by
// weight and skins its mesh on the processor every frame. Everything loaded
// lives in a ModelSkelMeta shared by all clones of one model; an instance owns
// only its world matrix, its box and its playing animations.
#pragma once

#include "models/skinned/modelskeldata.h"
#include "models/skinned/skinning.h"

#include "foundation/enginelist.h"
#include "foundation/enginestring.h"
#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/registeredgeometry.h"
#include "foundation/noncopyable.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"

#include <d3dx9.h>

class VB;
class IB;
class Texture;

// The loaded model. Starts with one reference, held by the instance that
// loaded it; every clone adds one.
class ModelSkelMeta final : public SharedData<ModelSkelMeta>, NonCopyable {
public:
    ModelSkelMeta();
    ~ModelSkelMeta();

    // Reads a Cal3D configuration and the files it names, then makes the
    // index buffer, the dynamic vertex buffer and the textures through
    // `graphics`. S_OK or QLE_SUBFUNCTION after the records.
    HRESULT LoadCal3D(const EngineString& file, IGraphics* graphics);
    // Reads an MD5 mesh and its animations (see modelmd5.h), then makes the
    // same resources. S_OK or QLE_SUBFUNCTION after the records.
    HRESULT LoadMD5(const EngineString& file, IGraphics* graphics);

    ModelSkelData data;
    SkinStream skin;  // the skin packed for the vector skinning paths
    D3DXMATRIX baseMatrix;
    // Skinned by the instance that loaded the model; every clone skins its
    // own, so clones posed apart are drawn and shadowed apart.
    VB* vertexBuffer = nullptr;
    IB* indexBuffer = nullptr;
    EngineArray<Texture*> textures;  // one per material, null without a map
};

struct ActiveAnimation {
    uint32_t animation;
    float remaining;  // seconds until this cycle ends
    float weight;
    float normalizedWeight;  // weight / sum of the playing weights
};

struct AnimationRequest {
    uint32_t animation;
    float weight;
};

// Per bone, recomputed from scratch by every Update, so one process-wide
// buffer serves all instances.
struct BoneState {
    D3DXVECTOR3 translation;  // blended local, then absolute after the hierarchy
    D3DXQUATERNION rotation;
    D3DXVECTOR3 skinTranslation;  // bind space to the animated model space
    D3DXQUATERNION skinRotation;
    float weight;  // accumulated weight of the samples blended in
};

class ModelSkel final : public PlacedModel<ModelSkel> {
public:
    ModelSkel();
    ~ModelSkel();

    QL_TYPE_NAME("ModelSkel")
    HRESULT Clone(IGeometry** out) override;
    HRESULT Update(float elapsedSeconds) override;
    HRESULT Render() override;
    HRESULT AddAnimation(uint32_t animation, float weight) override;
    bool IsAnimationActive(uint32_t animation) override;
    HRESULT GetShadowInfos(ShadowInfos* out) override;
    // One part: the whole skin.
    HRESULT RenderParts(const bool* visible) override { return visible && !visible[0] ? S_OK : Render(); }

    // Second stage of construction; `graphics` carries a reference the
    // model keeps from now on.
    HRESULT Init(const EngineString& type, const EngineString& command, IGraphics* graphics);
    // Init through `load`, which fills the new shared data from `context`:
    // the way in for readers whose factories read the file first.
    using MetaLoader = HRESULT (*)(ModelSkelMeta* meta, IGraphics* graphics, void* context);
    HRESULT InitLoaded(const EngineString& type, const EngineString& command, IGraphics* graphics,
                       MetaLoader load, void* context);

    const ModelSkelMeta* Meta() const { return meta.Get(); }
    uint32_t PlayingCount() const { return playing.Count(); }

private:
    friend RegisteredGeometry<ModelSkel, IModel>;
    bool Loaded() const { return meta.Get() != nullptr; }
    const EngineString& CreationType() const { return meta->data.type; }
    const EngineString& CreationCommand() const { return meta->data.file; }
    void Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const
    {
        *minimum = boxMinimum;
        *maximum = boxMaximum;
    }

    // Init through InitShared, with what this class's instance takes from the loaded data.
    template <typename Load>
    HRESULT LoadMeta(const EngineString& type, const EngineString& command, IGraphics* manager, Load load);
    void ExpireAnimations(float elapsedSeconds);
    void SampleAndBlend();
    void ComposeHierarchy();
    HRESULT Skin();
    VB* VertexBuffer() const { return ownVertexBuffer ? ownVertexBuffer.Get() : meta->vertexBuffer; }

    Owned<ModelSkelMeta> meta;
    Owned<VB> ownVertexBuffer;  // a clone's; empty for the loading instance
    D3DXVECTOR3 boxMinimum{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 boxMaximum{0.0f, 0.0f, 0.0f};
    EngineList<ActiveAnimation> playing;
    EngineList<AnimationRequest> requests;
};

// The factory behind the core's "cal3d" and "md5" types; `command` is the
// configuration file. On failure *out is null and the graphics reference
// stays the caller's.
HRESULT CreateModelSkel(const EngineString& type, const EngineString& command, IGraphics* graphics,
                        IGeometry** out);

// The vector part of conj(q) * v * q, the rotation the bone transforms use.
D3DXVECTOR3 RotateVector(const D3DXVECTOR3& v, const D3DXQUATERNION& q);

// The process-wide bone-state buffer's capacity in bones: 0 while no model lives.
uint32_t BoneStateCapacity();
// Grows the buffer (and the update's scratch) to `bones`, never shrinking it;
// false when memory runs out, with the buffer and capacity left as they were.
bool ReserveBoneStates(uint32_t bones);
void FreeBoneStates();
// The states and skin matrices the last Update computed, for tests and tools.
const BoneState* BoneStates();
const SkinMatrix* SkinMatrices();
