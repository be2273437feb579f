// ModelSkel's animation control and per-frame update: expiry of the playing
// animations, keyframe sampling, weighted blending, the bone hierarchy and
// skinning on the processor into the dynamic vertex buffer.
#define QL_SOURCE_FILE "modelskel"

#include "models/skinned/modelskel.h"

#include "foundation/allarrays.h"
#include "graphics/qlgraphres.h"
#include "foundation/qltrace.h"

#include <float.h>
#include <string.h>

#include <new>

namespace {

// Process-wide, sized for the largest model alive: one thread updates one
// model at a time, so a single set serves every instance.
BoneState* boneStates = nullptr;
int32_t* walkStack = nullptr;  // the hierarchy walk's pending bones
// Each bone's skinning transform as a 3 x 4 matrix, so a vertex costs one
// matrix product instead of two quaternion products per influence.
SkinMatrix* skinMatrices = nullptr;
uint32_t capacity = 0;

D3DXVECTOR3 Vec(const SkelVector& v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

D3DXQUATERNION Quat(const SkelQuaternion& q)
{
    return D3DXQUATERNION(q.x, q.y, q.z, q.w);
}

void Lerp(D3DXVECTOR3* out, const D3DXVECTOR3& a, const D3DXVECTOR3& b, float f)
{
    out->x = a.x + (b.x - a.x) * f;
    out->y = a.y + (b.y - a.y) * f;
    out->z = a.z + (b.z - a.z) * f;
}

// The matrix of v -> conj(q) v q (RotateVector) and the translation, by
// columns; the homogeneous form also matches RotateVector for quaternions
// that are not of unit length.
void ToSkinMatrix(const D3DXQUATERNION& q, const D3DXVECTOR3& t, SkinMatrix* out)
{
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z, ww = q.w * q.w;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    *out = SkinMatrix{{{ww + xx - yy - zz, 2.0f * (xy - wz), 2.0f * (xz + wy), 0.0f},
                       {2.0f * (xy + wz), ww - xx + yy - zz, 2.0f * (yz - wx), 0.0f},
                       {2.0f * (xz - wy), 2.0f * (yz + wx), ww - xx - yy + zz, 0.0f},
                       {t.x, t.y, t.z, 0.0f}}};
}

}  // namespace

D3DXVECTOR3 RotateVector(const D3DXVECTOR3& v, const D3DXQUATERNION& q)
{
    D3DXQUATERNION vector(v.x, v.y, v.z, 0.0f);
    D3DXQUATERNION conjugate(-q.x, -q.y, -q.z, q.w);
    D3DXQUATERNION half, whole;
    D3DXQuaternionMultiply(&half, &vector, &conjugate);
    D3DXQuaternionMultiply(&whole, &q, &half);
    return D3DXVECTOR3(whole.x, whole.y, whole.z);
}

uint32_t BoneStateCapacity()
{
    return capacity;
}

const BoneState* BoneStates()
{
    return boneStates;
}

const SkinMatrix* SkinMatrices()
{
    return skinMatrices;
}

// Allocates the larger set before freeing the old one: models already
// loaded keep updating with theirs when memory runs out.
bool ReserveBoneStates(uint32_t bones)
{
    if (bones <= capacity)
        return true;
    BoneState* states = new (std::nothrow) BoneState[bones];
    int32_t* stack = new (std::nothrow) int32_t[bones];
    SkinMatrix* matrices = new (std::nothrow) SkinMatrix[bones];
    if (!AllAllocated(states, stack, matrices))
        return false;
    FreeBoneStates();
    boneStates = states;
    walkStack = stack;
    skinMatrices = matrices;
    capacity = bones;
    return true;
}

void FreeBoneStates()
{
    delete[] boneStates;
    delete[] walkStack;
    delete[] skinMatrices;
    boneStates = nullptr;
    walkStack = nullptr;
    skinMatrices = nullptr;
    capacity = 0;
}

HRESULT ModelSkel::AddAnimation(uint32_t animation, float weight)
{
    TraceContext trace(this, "AddAnimation()");
    QL_TRY(trace, "Too big id of Anim", animation < meta->data.animations.Count() ? S_OK : E_FAIL);
    // Not finite is refused too: an infinite weight makes the blend's
    // normalised weights NaN.
    QL_TRY(trace, "Null or Negative Weight", weight > 0.0f && weight <= FLT_MAX ? S_OK : E_FAIL);
    if (IsAnimationActive(animation)) {
        for (uint32_t r = 0; r < requests.Count(); ++r)
            if (requests.Get(r)->animation == animation)
                return S_FALSE;
        return FAILED(requests.Add(AnimationRequest{animation, weight})) ? E_FAIL : S_FALSE;
    }
    float duration = meta->data.animations[animation].duration;
    return playing.Add(ActiveAnimation{animation, duration, weight, 0.0f});
}

bool ModelSkel::IsAnimationActive(uint32_t animation)
{
    if (animation >= meta->data.animations.Count())
        return false;
    for (uint32_t p = 0; p < playing.Count(); ++p)
        if (playing.Get(p)->animation == animation)
            return true;
    return false;
}

HRESULT ModelSkel::Update(float elapsedSeconds)
{
    TraceContext trace(this, "Update()");
    ExpireAnimations(elapsedSeconds);
    SampleAndBlend();
    ComposeHierarchy();
    QL_TRY(trace, "-", Skin());
    return S_OK;
}

void ModelSkel::ExpireAnimations(float elapsedSeconds)
{
    for (uint32_t p = 0; p < playing.Count();) {
        ActiveAnimation* entry = playing.Get(p);
        entry->remaining -= elapsedSeconds;
        if (entry->remaining > 0.0f) {
            ++p;
            continue;
        }
        const AnimationRequest* request = nullptr;
        for (uint32_t r = 0; r < requests.Count() && !request; ++r)
            if (requests.Get(r)->animation == entry->animation)
                request = requests.Get(r);
        if (!request) {
            playing.RemoveAt(p);
            continue;
        }
        entry->weight = request->weight;
        entry->remaining = meta->data.animations[entry->animation].duration;
        ++p;
    }
    requests.Clear();

    // Summed in double: finite weights near the float range's top would
    // overflow a float sum and blend every bone to nothing.
    double sum = 0.0;
    for (uint32_t p = 0; p < playing.Count(); ++p)
        sum += playing.Get(p)->weight;
    for (uint32_t p = 0; p < playing.Count(); ++p) {
        ActiveAnimation* entry = playing.Get(p);
        entry->normalizedWeight = sum > 0.0 ? (float)(entry->weight / sum) : entry->weight;
    }
}

void ModelSkel::SampleAndBlend()
{
    const ModelSkelData& data = meta->data;
    memset(static_cast<void*>(boneStates), 0, sizeof(BoneState) * data.bones.Count());
    for (uint32_t p = 0; p < playing.Count(); ++p) {
        const ActiveAnimation& entry = *playing.Get(p);
        const Animation& animation = data.animations[entry.animation];
        float time = animation.duration - entry.remaining;
        float w = entry.normalizedWeight;
        for (uint32_t t = 0; t < animation.tracks.Count(); ++t) {
            const Track& track = animation.tracks[t];
            if (track.keyCount <= 0)
                continue;  // no key of its own to sample
            const Keyframe* keys = &animation.keys[(uint32_t)track.firstKey];
            int32_t k = 0;
            while (k < track.keyCount && time > keys[k].time)
                ++k;
            D3DXVECTOR3 translation;
            D3DXQUATERNION rotation;
            const Keyframe& key = keys[k < track.keyCount ? k : track.keyCount - 1];
            if (k == 0 || k == track.keyCount) {
                translation = Vec(key.translation);
                rotation = Quat(key.rotation);
            } else {
                const Keyframe& a = keys[k - 1];
                const Keyframe& b = keys[k];
                float f = (time - a.time) / (b.time - a.time);
                Lerp(&translation, Vec(a.translation), Vec(b.translation), f);
                D3DXQUATERNION from = Quat(a.rotation), to = Quat(b.rotation);
                D3DXQuaternionSlerp(&rotation, &from, &to, f);
            }

            BoneState& state = boneStates[track.bone];
            if (state.weight == 0.0f) {
                state.translation = translation;
                state.rotation = rotation;
                state.weight = w;
            } else {
                state.weight += w;
                float g = w / state.weight;
                Lerp(&state.translation, state.translation, translation, g);
                D3DXQUATERNION blended;
                D3DXQuaternionSlerp(&blended, &state.rotation, &rotation, g);
                state.rotation = blended;
            }
        }
    }
}

// Roots first, then every child after its parent. An explicit stack rather
// than recursion: a chain of tens of thousands of bones must not exhaust the
// call stack.
void ModelSkel::ComposeHierarchy()
{
    const ModelSkelData& data = meta->data;
    for (uint32_t r = 0; r < data.roots.Count(); ++r) {
        uint32_t pending = 0;
        walkStack[pending++] = data.roots[r];
        while (pending > 0) {
            int32_t index = walkStack[--pending];
            const Bone& bone = data.bones[(uint32_t)index];
            BoneState& state = boneStates[index];
            D3DXVECTOR3 translation = Vec(bone.translation);
            D3DXQUATERNION rotation = Quat(bone.rotation);
            if (state.weight != 0.0f) {
                translation = state.translation;
                rotation = state.rotation;
            }
            if (bone.parent >= 0) {
                const BoneState& parent = boneStates[bone.parent];
                D3DXVECTOR3 moved = RotateVector(translation, parent.rotation);
                translation = moved + parent.translation;
                D3DXQUATERNION local = rotation;
                D3DXQuaternionMultiply(&rotation, &parent.rotation, &local);
            }
            state.translation = translation;
            state.rotation = rotation;
            state.skinTranslation = RotateVector(Vec(bone.boneSpaceTranslation), rotation) + translation;
            D3DXQUATERNION boneSpace = Quat(bone.boneSpaceRotation);
            D3DXQuaternionMultiply(&state.skinRotation, &rotation, &boneSpace);
            ToSkinMatrix(state.skinRotation, state.skinTranslation, &skinMatrices[index]);

            // Pushed last to first so that children are composed in order.
            const EngineArray<int32_t>& children = bone.children;
            for (uint32_t c = children.Count(); c-- > 0;)
                walkStack[pending++] = children[c];
        }
    }
}

HRESULT ModelSkel::Skin()
{
    TraceContext trace(this, "Update()");
    VB* vertexBuffer = VertexBuffer();
    void* locked = nullptr;
    D3DXVECTOR3* kept = nullptr;
    QL_TRY(trace, "-", vertexBuffer->Lock(&locked, &kept));
    SkinJob job;
    job.bones = skinMatrices;
    job.skinVertices = &meta->data.vertices;
    job.skinInfluences = &meta->data.influences;
    job.stream = &meta->skin;
    job.vertexData = static_cast<float*>(locked);  // position and normal, the buffer's format
    job.positions = &kept->x;
    SkinVertices(job);
    boxMinimum = D3DXVECTOR3(job.minimum[0], job.minimum[1], job.minimum[2]);
    boxMaximum = D3DXVECTOR3(job.maximum[0], job.maximum[1], job.maximum[2]);
    QL_TRY(trace, "-", vertexBuffer->Unlock());
    return S_OK;
}
