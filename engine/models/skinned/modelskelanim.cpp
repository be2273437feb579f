// ModelSkel's animation control and per-frame update: expiry of the playing
// animations, keyframe sampling, weighted blending, the bone hierarchy and
// skinning on the processor into the dynamic vertex buffer.
#define QL_SOURCE_FILE "modelskel"

#include "modelskel.h"

#include <graphics/qlgraphres.h>
#include <qltrace.h>

#include <string.h>

#include <new>

namespace {

// Process-wide, sized for the largest model alive: one thread updates one
// model at a time, so a single set serves every instance.
BoneState* boneStates = nullptr;
int32_t* walkStack = nullptr;  // the hierarchy walk's pending bones
// Each bone's skinning transform as the rows of a 3 x 4 matrix, so a vertex
// costs one matrix product per influence instead of two quaternion products.
struct SkinMatrix {
    float m[3][4];
};
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

// The rows of the matrix of v -> conj(q) v q (RotateVector), plus the
// translation; the homogeneous form also matches RotateVector for quaternions
// that are not of unit length.
void ToSkinMatrix(const D3DXQUATERNION& q, const D3DXVECTOR3& t, SkinMatrix* out)
{
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z, ww = q.w * q.w;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    out->m[0][0] = ww + xx - yy - zz;
    out->m[0][1] = 2.0f * (xy + wz);
    out->m[0][2] = 2.0f * (xz - wy);
    out->m[0][3] = t.x;
    out->m[1][0] = 2.0f * (xy - wz);
    out->m[1][1] = ww - xx + yy - zz;
    out->m[1][2] = 2.0f * (yz + wx);
    out->m[1][3] = t.y;
    out->m[2][0] = 2.0f * (xz + wy);
    out->m[2][1] = 2.0f * (yz - wx);
    out->m[2][2] = ww - xx - yy + zz;
    out->m[2][3] = t.z;
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

bool ReserveBoneStates(uint32_t bones)
{
    if (bones <= capacity)
        return true;
    FreeBoneStates();
    boneStates = new (std::nothrow) BoneState[bones];
    walkStack = new (std::nothrow) int32_t[bones];
    skinMatrices = new (std::nothrow) SkinMatrix[bones];
    if (!boneStates || !walkStack || !skinMatrices) {
        FreeBoneStates();
        return false;
    }
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

// ---- Animation control

HRESULT ModelSkel::AddAnimation(uint32_t animation, float weight)
{
    TraceContext trace(this, "AddAnimation()");
    QL_TRY(trace, "Too big id of Anim", animation < meta->data.animations.Count() ? S_OK : E_FAIL);
    QL_TRY(trace, "Null or Negative Weight", weight > 0.0f ? S_OK : E_FAIL);
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

// ---- The update

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

    float sum = 0.0f;
    for (uint32_t p = 0; p < playing.Count(); ++p)
        sum += playing.Get(p)->weight;
    for (uint32_t p = 0; p < playing.Count(); ++p) {
        ActiveAnimation* entry = playing.Get(p);
        entry->normalizedWeight = sum > 0.0f ? entry->weight * (1.0f / sum) : entry->weight;
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
            const SkelArray<int32_t>& children = bone.children;
            for (uint32_t c = children.Count(); c-- > 0;)
                walkStack[pending++] = children[c];
        }
    }
}

HRESULT ModelSkel::Skin()
{
    TraceContext trace(this, "Update()");
    const ModelSkelData& data = meta->data;
    D3DXVECTOR3 minimum(1e38f, 1e38f, 1e38f);
    D3DXVECTOR3 maximum(-1e38f, -1e38f, -1e38f);

    void* locked = nullptr;
    D3DXVECTOR3* kept = nullptr;
    QL_TRY(trace, "-", meta->vertexBuffer->Lock(&locked, &kept));
    // Position and normal, the buffer's vertex format.
    float* out = static_cast<float*>(locked);
    const Influence* influences = data.influences.Data();
    for (uint32_t i = 0; i < data.vertices.Count(); ++i, out += 6) {
        const SkinVertex& vertex = data.vertices[i];
        const SkelVector& p = vertex.position;
        const SkelVector& n = vertex.normal;
        float px = 0, py = 0, pz = 0, nx = 0, ny = 0, nz = 0;
        const Influence* influence = influences + vertex.firstInfluence;
        for (uint32_t k = 0; k < vertex.influenceCount; ++k, ++influence) {
            const float(*m)[4] = skinMatrices[influence->bone].m;
            float w = influence->weight;
            px += w * (m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3]);
            py += w * (m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3]);
            pz += w * (m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]);
            nx += w * (m[0][0] * n.x + m[0][1] * n.y + m[0][2] * n.z);
            ny += w * (m[1][0] * n.x + m[1][1] * n.y + m[1][2] * n.z);
            nz += w * (m[2][0] * n.x + m[2][1] * n.y + m[2][2] * n.z);
        }
        kept[i] = D3DXVECTOR3(px, py, pz);
        minimum = D3DXVECTOR3(px < minimum.x ? px : minimum.x, py < minimum.y ? py : minimum.y,
                              pz < minimum.z ? pz : minimum.z);
        maximum = D3DXVECTOR3(px > maximum.x ? px : maximum.x, py > maximum.y ? py : maximum.y,
                              pz > maximum.z ? pz : maximum.z);
        D3DXVECTOR3 normal(nx, ny, nz);
        D3DXVec3Normalize(&normal, &normal);
        out[0] = px;
        out[1] = py;
        out[2] = pz;
        out[3] = normal.x;
        out[4] = normal.y;
        out[5] = normal.z;
    }
    boxMinimum = minimum;
    boxMaximum = maximum;
    QL_TRY(trace, "-", meta->vertexBuffer->Unlock());
    return S_OK;
}
