// The MD5 files turned into the skinned model's data (see modelmd5.h for
// what is converted and how).
#define QL_SOURCE_FILE "modelmd5"

#include "models/skinned/md5files.h"
#include "models/skinned/modelmd5.h"

#include "foundation/file.h"
#include "foundation/qltrace.h"

#include <windows.h>

#include <math.h>
#include <string.h>

namespace {

const uint32_t kMostInfluences = 4;

// Standard Hamilton products and rotations, as the MD5 files mean them.
SkelQuaternion Multiply(const SkelQuaternion& a, const SkelQuaternion& b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}
SkelQuaternion Conjugate(const SkelQuaternion& q) { return {-q.x, -q.y, -q.z, q.w}; }
SkelVector Rotate(const SkelQuaternion& q, const SkelVector& v)
{
    SkelQuaternion r = Multiply(Multiply(q, {v.x, v.y, v.z, 0}), Conjugate(q));
    return {r.x, r.y, r.z};
}
SkelVector Add(const SkelVector& a, const SkelVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
SkelVector Subtract(const SkelVector& a, const SkelVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
SkelVector Scale(const SkelVector& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
SkelVector Cross(const SkelVector& a, const SkelVector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The part of a path after its last separator.
EngineString BaseName(const EngineString& path)
{
    const char* chars = path.Chars();
    uint32_t start = 0;
    for (uint32_t i = 0; i < path.Length(); ++i)
        if (chars[i] == '/' || chars[i] == '\\')
            start = i + 1;
    return path.SubString(start, path.Length());
}

EngineString WithoutExtension(const EngineString& path)
{
    const char* chars = path.Chars();
    uint32_t base = path.Length() - BaseName(path).Length();
    for (uint32_t i = path.Length(); i > base; --i)
        if (chars[i - 1] == '.')
            return path.SubString(0, i - 1);
    return path;
}

HRESULT ConvertSkeleton(const TraceContext& context, const EngineArray<Md5Joint>& joints, ModelSkelData* data)
{
    uint32_t count = joints.Count();
    EngineArray<uint32_t> childCounts;
    QL_REQUIRE_MEMORY(context, data->bones.Allocate(count) && childCounts.Allocate(count));
    uint32_t rootCount = 0;
    for (uint32_t j = 0; j < count; ++j) {
        const Md5Joint& joint = joints[j];
        Bone& bone = data->bones[j];
        bone.parent = joint.parent;
        SkelQuaternion relative = joint.orientation;
        SkelVector offset = joint.position;
        if (joint.parent >= 0) {
            const Md5Joint& parent = joints[(uint32_t)joint.parent];
            SkelQuaternion undo = Conjugate(parent.orientation);
            relative = Multiply(undo, joint.orientation);
            offset = Rotate(undo, Subtract(joint.position, parent.position));
            ++childCounts[(uint32_t)joint.parent];
        } else {
            ++rootCount;
        }
        bone.translation = offset;
        bone.rotation = Conjugate(relative);
        // The inverse bind transform, in the engine's convention.
        bone.boneSpaceRotation = joint.orientation;
        bone.boneSpaceTranslation = Scale(Rotate(Conjugate(joint.orientation), joint.position), -1);
    }
    QL_REQUIRE_MEMORY(context, data->roots.Allocate(rootCount));
    for (uint32_t j = 0, r = 0; j < count; ++j) {
        QL_REQUIRE_MEMORY(context, data->bones[j].children.Allocate(childCounts[j]) || childCounts[j] == 0);
        childCounts[j] = 0;
        if (joints[j].parent < 0)
            data->roots[r++] = (int32_t)j;
    }
    for (uint32_t j = 0; j < count; ++j) {
        int32_t parent = joints[j].parent;
        if (parent >= 0)
            data->bones[(uint32_t)parent].children[childCounts[(uint32_t)parent]++] = (int32_t)j;
    }
    return S_OK;
}

// The bind position from all weights; the influences from the largest four,
// scaled to keep their sum. True when weights were dropped.
bool ConvertVertex(const Md5Mesh& mesh, const Md5Vertex& from, const EngineArray<Md5Joint>& joints, SkinVertex* to,
                   Influence* influences)
{
    SkelVector position{0, 0, 0};
    float total = 0;
    for (uint32_t w = 0; w < from.weightCount; ++w) {
        const Md5Weight& weight = mesh.weights[from.firstWeight + w];
        const Md5Joint& joint = joints[weight.joint];
        position = Add(position, Scale(Add(joint.position, Rotate(joint.orientation, weight.position)), weight.bias));
        total += weight.bias;
    }
    to->position = position;
    to->u = from.s;
    to->v = from.t;
    uint32_t kept = from.weightCount < kMostInfluences ? from.weightCount : kMostInfluences;
    bool taken[64] = {};
    float keptTotal = 0;
    for (uint32_t k = 0; k < kept; ++k) {
        uint32_t best = 0;
        float bestBias = -1;
        // Past 64 weights only the first 64 compete: no vertex of a real model has that many.
        uint32_t considered = from.weightCount < 64 ? from.weightCount : 64;
        for (uint32_t w = 0; w < considered; ++w) {
            if (!taken[w] && mesh.weights[from.firstWeight + w].bias > bestBias) {
                best = w;
                bestBias = mesh.weights[from.firstWeight + w].bias;
            }
        }
        taken[best] = true;
        influences[k] = {(int32_t)mesh.weights[from.firstWeight + best].joint, bestBias};
        keptTotal += bestBias;
    }
    if (kept < from.weightCount && keptTotal > 0)
        for (uint32_t k = 0; k < kept; ++k)
            influences[k].weight *= total / keptTotal;
    to->influenceCount = kept;
    return kept < from.weightCount;
}

void ComputeNormals(SkinVertex* vertices, uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount)
{
    for (uint32_t i = 0; i + 2 < indexCount; i += 3) {
        SkinVertex& a = vertices[indices[i]];
        SkinVertex& b = vertices[indices[i + 1]];
        SkinVertex& c = vertices[indices[i + 2]];
        // Outwards for clockwise fronts; unnormalised, so larger triangles weigh more.
        SkelVector face = Cross(Subtract(c.position, a.position), Subtract(b.position, a.position));
        a.normal = Add(a.normal, face);
        b.normal = Add(b.normal, face);
        c.normal = Add(c.normal, face);
    }
    for (uint32_t v = 0; v < vertexCount; ++v) {
        SkelVector& n = vertices[v].normal;
        float length = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
        n = length > 0 && isfinite(length) ? Scale(n, 1 / length) : SkelVector{0, 0, 1};
    }
}

HRESULT ConvertMeshes(const TraceContext& context, const EngineString& file, const Md5MeshFile& md5,
                      ModelSkelData* data)
{
    // A vertex keeps at most four of its weights.
    uint64_t vertexCount = 0, influenceCount = 0, indexCount = 0;
    for (uint32_t m = 0; m < md5.meshes.Count(); ++m) {
        const Md5Mesh& mesh = md5.meshes[m];
        vertexCount += mesh.vertices.Count();
        indexCount += mesh.indices.Count();
        for (uint32_t v = 0; v < mesh.vertices.Count(); ++v)
            influenceCount += mesh.vertices[v].weightCount < kMostInfluences ? mesh.vertices[v].weightCount
                                                                              : kMostInfluences;
    }
    if (vertexCount == 0 || indexCount == 0) {
        QL_LOG(context, TraceError, file + " : No triangles");
        return E_FAIL;
    }
    if (vertexCount > 0xFFFF) {
        QL_LOG(context, TraceError, EngineString("Too many vertices for 16-bit indices : ") + (uint32_t)vertexCount +
                                        " (at most 65535)");
        return E_FAIL;
    }
    QL_REQUIRE_MEMORY(context, data->vertices.Allocate((uint32_t)vertexCount) &&
                                   data->influences.Allocate((uint32_t)influenceCount) &&
                                   data->indices.Allocate((uint32_t)indexCount) &&
                                   data->materials.Allocate(md5.meshes.Count()));
    uint32_t vertexBase = 0, influenceBase = 0, indexBase = 0, trimmed = 0;
    for (uint32_t m = 0; m < md5.meshes.Count(); ++m) {
        const Md5Mesh& mesh = md5.meshes[m];
        SkelMaterial& material = data->materials[m];
        material.material.Diffuse = material.material.Ambient = {1, 1, 1, 1};
        material.material.Specular = material.material.Emissive = {0, 0, 0, 1};
        if (!mesh.shader.IsEmpty()) {
            EngineString name = mesh.shader;
            if (BaseName(name) == WithoutExtension(BaseName(name)).Chars())
                name += ".tga";
            material.textureName = FindBeside(name, file);
            material.hasTexture = true;
        }
        material.startIndex = indexBase;
        material.firstVertex = vertexBase;
        material.vertexCount = mesh.vertices.Count();
        material.indexCount = mesh.indices.Count();

        for (uint32_t v = 0; v < mesh.vertices.Count(); ++v) {
            SkinVertex& vertex = data->vertices[vertexBase + v];
            vertex.firstInfluence = influenceBase;
            trimmed += ConvertVertex(mesh, mesh.vertices[v], md5.joints, &vertex,
                                     &data->influences[influenceBase]);
            influenceBase += vertex.influenceCount;
        }
        for (uint32_t i = 0; i < mesh.indices.Count(); ++i)
            data->indices[indexBase + i] = (uint16_t)(vertexBase + mesh.indices[i]);
        vertexBase += mesh.vertices.Count();
        indexBase += mesh.indices.Count();
    }
    ComputeNormals(data->vertices.Data(), data->vertices.Count(), data->indices.Data(), data->indices.Count());
    if (trimmed > 0)
        QL_LOG(context, TraceWarning, file + " : " + trimmed +
                                          " vertices with more than 4 weights, only take the 4 largest");
    data->submeshCount = md5.meshes.Count();
    data->meshCount = 1;
    return S_OK;
}

HRESULT CheckAnimFitsMesh(const TraceContext& context, const EngineString& name, const Md5AnimFile& anim,
                          const EngineArray<Md5Joint>& joints)
{
    if (anim.hierarchy.Count() != joints.Count()) {
        QL_LOG(context, TraceError, name + " : " + anim.hierarchy.Count() + " joints, the mesh has " + joints.Count());
        return E_FAIL;
    }
    for (uint32_t j = 0; j < joints.Count(); ++j) {
        const Md5AnimJoint& joint = anim.hierarchy[j];
        if (joint.parent != joints[j].parent || !(joint.name == joints[j].name)) {
            QL_LOG(context, TraceError, name + " : joint " + j + " '" + joint.name + "' (parent " + joint.parent +
                                            ") does not match the mesh's '" + joints[j].name + "' (parent " +
                                            joints[j].parent + ")");
            return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT ConvertAnimation(const TraceContext& context, const Md5AnimFile& anim, Animation* animation)
{
    uint32_t jointCount = anim.hierarchy.Count();
    uint64_t keyCount = 0;
    for (uint32_t j = 0; j < jointCount; ++j)
        keyCount += anim.hierarchy[j].flags ? anim.frameCount : 1;
    QL_REQUIRE_MEMORY(context, keyCount <= UINT32_MAX && animation->tracks.Allocate(jointCount) &&
                                   animation->keys.Allocate((uint32_t)keyCount));
    animation->duration = (float)(anim.frameCount - 1) / anim.frameRate;
    uint32_t next = 0;
    for (uint32_t j = 0; j < jointCount; ++j) {
        const Md5AnimJoint& joint = anim.hierarchy[j];
        const Md5Joint& base = anim.baseFrame[j];
        uint32_t frames = joint.flags ? anim.frameCount : 1;
        animation->tracks[j] = {(int32_t)j, (int32_t)next, (int32_t)frames};
        for (uint32_t f = 0; f < frames; ++f) {
            const float* row = &anim.components[f * anim.componentCount + joint.startIndex];
            float values[6] = {base.position.x, base.position.y, base.position.z,
                               base.orientation.x, base.orientation.y, base.orientation.z};
            for (uint32_t c = 0, used = 0; c < 6; ++c)
                if (joint.flags & (1u << c))
                    values[c] = row[used++];
            Keyframe& key = animation->keys[next++];
            key.time = (float)f / anim.frameRate;
            key.translation = {values[0], values[1], values[2]};
            key.rotation = Conjugate(Md5Quaternion(values[3], values[4], values[5]));
        }
    }
    return S_OK;
}

// The animation files: the list's lines, or the folder's .md5anim files in
// name order.
HRESULT FindAnimations(const TraceContext& context, const EngineString& file, EngineArray<EngineString>* names)
{
    EngineString listName = WithoutExtension(file) + ".anims";
    File list;
    if (SUCCEEDED(list.OpenSilently(listName, "rb"))) {
        char line[1024];
        while (fgets(line, sizeof line, list.Stream())) {
            char* start = line;
            while (*start == ' ' || *start == '\t')
                ++start;
            char* end = start + strlen(start);
            while (end > start && (end[-1] == '\n' || end[-1] == '\r' || end[-1] == ' ' || end[-1] == '\t'))
                *--end = 0;
            if (*start == 0 || *start == '#')
                continue;
            EngineString* name = names->Append();
            QL_REQUIRE_MEMORY(context, name);
            *name = FindBeside(start, listName);
        }
        return S_OK;
    }
    EngineString folder = file.SubString(0, file.Length() - BaseName(file).Length());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.md5anim").Chars(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return S_OK;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        EngineString* name = names->Append();
        if (!name) {
            FindClose(search);
            QL_REQUIRE_MEMORY(context, name);
        }
        *name = folder + found.cFileName;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // Insertion sort: a folder holds a handful of animations.
    for (uint32_t i = 1; i < names->Count(); ++i)
        for (uint32_t k = i; k > 0 && strcmp((*names)[k - 1].Chars(), (*names)[k].Chars()) > 0; --k)
            std::swap((*names)[k - 1], (*names)[k]);
    return S_OK;
}

}  // namespace

HRESULT LoadMD5Data(const EngineString& file, ModelSkelData* data)
{
    TraceContext context("ModelSkelMeta::LoadMD5()");
    QL_REQUIRE_ARG(context, data);
    data->type = "md5";
    data->file = file;
    data->scale = 1.0f;
    EngineString failed = "Error while loading the Model " + file;

    Md5MeshFile md5;
    QL_TRY(context, failed.Chars(), ReadMd5Mesh(file, &md5));
    QL_TRY(context, failed.Chars(), ConvertSkeleton(context, md5.joints, data));
    QL_TRY(context, failed.Chars(), ConvertMeshes(context, file, md5, data));

    EngineArray<EngineString> names;
    QL_TRY(context, failed.Chars(), FindAnimations(context, file, &names));
    if (names.IsEmpty())
        QL_LOG(context, TraceWarning, "No animation for the model");
    QL_REQUIRE_MEMORY(context, data->animations.Allocate(names.Count()) || names.IsEmpty());
    for (uint32_t a = 0; a < names.Count(); ++a) {
        Md5AnimFile anim;
        QL_TRY(context, failed.Chars(), ReadMd5Anim(names[a], &anim));
        QL_TRY(context, failed.Chars(), CheckAnimFitsMesh(context, names[a], anim, md5.joints));
        QL_TRY(context, failed.Chars(), ConvertAnimation(context, anim, &data->animations[a]));
        data->animations[a].name = BaseName(names[a]);
    }

    QL_LOG(context, TraceInfo, "Infos of the MD5 model : " + file);
    QL_LOG(context, TraceInfo,
           EngineString() + data->submeshCount + " meshes with " + data->indices.Count() / 3 + " tris & " +
               data->vertices.Count() + " verts (" + data->influences.Count() + " influences), " +
               data->bones.Count() + " bones with " + data->roots.Count() + " root bone(s), " +
               data->animations.Count() + " animations");
    return S_OK;
}
