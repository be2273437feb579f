#define QL_SOURCE_FILE "modelmd5"

#include "models/skinned/md5files.h"

#include "models/skinned/md5text.h"

#include "foundation/qltrace.h"

#include <math.h>

namespace {

const uint32_t kMaxJoints = 0xFFFF;
// The fewest characters a record of each kind takes, for the count checks.
const uint32_t kLeastJointBytes = 12;
const uint32_t kLeastMeshBytes = 16;
const uint32_t kLeastVertBytes = 12;
const uint32_t kLeastTriBytes = 9;
const uint32_t kLeastWeightBytes = 14;
const uint32_t kLeastHierarchyBytes = 6;
const uint32_t kLeastFrameBytes = 10;
const uint32_t kAnimatedBits = 63;

HRESULT Refuse(const TraceContext& context, const EngineString& name, Md5Text& text)
{
    EngineString record = text.Message();
    if (text.IsEmpty())
        record = "Empty file";
    QL_LOG(context, TraceError, name + "(" + text.FailureLine() + ") : " + record);
    return E_FAIL;
}

// "MD5Version 10" and the optional command line that exporters write.
bool ReadHeader(Md5Text& text)
{
    int32_t version;
    if (!text.ExpectWord("MD5Version") || !text.ExpectInt(&version))
        return false;
    if (version != 10)
        return text.Fail(EngineString("MD5Version ") + version + " : only version 10 is read");
    if (text.NextIsWord("commandline")) {
        EngineString ignored;
        text.ExpectWord("commandline");
        return text.ExpectString(&ignored);
    }
    return true;
}

bool ReadQuaternion(Md5Text& text, SkelQuaternion* out)
{
    float xyz[3];
    if (!text.ExpectVector(xyz, 3))
        return false;
    *out = Md5Quaternion(xyz[0], xyz[1], xyz[2]);
    return true;
}

// Every parent is -1 or another joint, and following parents from any joint
// ends at a root: the hierarchy step can then walk it from the roots.
bool CheckParents(Md5Text& text, const EngineArray<Md5Joint>& joints)
{
    uint32_t count = joints.Count();
    for (uint32_t j = 0; j < count; ++j) {
        int32_t parent = joints[j].parent;
        if (parent < -1 || parent >= (int32_t)count)
            return text.Fail(EngineString("joint ") + j + " '" + joints[j].name + "' : parent " + parent +
                             " out of range");
    }
    // 0 not visited, 1 on the walk under way, 2 known to reach a root.
    EngineArray<uint8_t> state;
    if (!state.Allocate(count))
        return text.Fail("Not Enough Memory");
    for (uint32_t j = 0; j < count; ++j) {
        uint32_t at = j;
        while (state[at] == 0) {
            state[at] = 1;
            if (joints[at].parent < 0)
                break;
            at = (uint32_t)joints[at].parent;
        }
        if (state[at] == 1 && joints[at].parent >= 0)
            return text.Fail(EngineString("joint ") + at + " '" + joints[at].name +
                             "' : its parents form a cycle");
        for (at = j; state[at] == 1; at = (uint32_t)joints[at].parent) {
            state[at] = 2;
            if (joints[at].parent < 0)
                break;
        }
    }
    return true;
}

bool ReadJoints(Md5Text& text, uint32_t count, EngineArray<Md5Joint>* joints)
{
    if (!joints->Allocate(count))
        return text.Fail("Not Enough Memory");
    if (!text.ExpectWord("joints") || !text.ExpectPunct('{'))
        return false;
    for (uint32_t j = 0; j < count; ++j) {
        if (text.NextIsPunct('}'))
            return text.Fail(EngineString("numJoints ") + count + " but the joints block lists " + j);
        Md5Joint& joint = (*joints)[j];
        if (!text.ExpectString(&joint.name) || !text.ExpectInt(&joint.parent) ||
            !text.ExpectVector(&joint.position.x, 3) || !ReadQuaternion(text, &joint.orientation))
            return false;
    }
    if (!text.NextIsPunct('}') && !text.Failed())
        return text.Fail(EngineString("numJoints ") + count + " but the joints block lists more");
    return text.ExpectPunct('}');
}

// Reads "<keyword> <index>", the index being the record's position.
bool ExpectRecord(Md5Text& text, const char* keyword, uint32_t position)
{
    int32_t index;
    if (!text.ExpectWord(keyword) || !text.ExpectInt(&index))
        return false;
    if (index != (int32_t)position)
        return text.Fail(EngineString(keyword) + " " + index + " where " + keyword + " " + position +
                         " belongs");
    return true;
}

bool ReadMesh(Md5Text& text, uint32_t jointCount, Md5Mesh* mesh)
{
    if (!text.ExpectWord("mesh") || !text.ExpectPunct('{'))
        return false;
    if (text.NextIsWord("shader")) {
        text.ExpectWord("shader");
        if (!text.ExpectString(&mesh->shader))
            return false;
    }
    uint32_t count;
    if (!text.ExpectCount("numverts", kLeastVertBytes, &count))
        return false;
    if (!mesh->vertices.Allocate(count))
        return text.Fail("Not Enough Memory");
    uint32_t lastVertLine = 0;
    for (uint32_t v = 0; v < count; ++v) {
        Md5Vertex& vertex = mesh->vertices[v];
        int32_t first, weights;
        float st[2];
        if (!ExpectRecord(text, "vert", v) || !text.ExpectVector(st, 2) || !text.ExpectInt(&first) ||
            !text.ExpectInt(&weights))
            return false;
        if (first < 0 || weights <= 0)
            return text.Fail(EngineString("vert ") + v + " : weights " + first + " to " + first + "+" + weights +
                             " is no list of weights");
        vertex.s = st[0];
        vertex.t = st[1];
        vertex.firstWeight = (uint32_t)first;
        vertex.weightCount = (uint32_t)weights;
        lastVertLine = text.Line();
    }
    (void)lastVertLine;

    if (!text.ExpectCount("numtris", kLeastTriBytes, &count))
        return false;
    if (!mesh->indices.Allocate(count * 3))
        return text.Fail("Not Enough Memory");
    for (uint32_t t = 0; t < count; ++t) {
        if (!ExpectRecord(text, "tri", t))
            return false;
        for (uint32_t k = 0; k < 3; ++k) {
            int32_t index;
            if (!text.ExpectInt(&index))
                return false;
            if ((uint32_t)index >= mesh->vertices.Count())
                return text.Fail(EngineString("tri ") + t + " : vertex " + index + " out of range");
            mesh->indices[t * 3 + k] = (uint32_t)index;
        }
    }

    if (!text.ExpectCount("numweights", kLeastWeightBytes, &count))
        return false;
    if (!mesh->weights.Allocate(count))
        return text.Fail("Not Enough Memory");
    for (uint32_t w = 0; w < count; ++w) {
        Md5Weight& weight = mesh->weights[w];
        int32_t joint;
        if (!ExpectRecord(text, "weight", w) || !text.ExpectInt(&joint) || !text.ExpectFloat(&weight.bias) ||
            !text.ExpectVector(&weight.position.x, 3))
            return false;
        if (joint < 0 || (uint32_t)joint >= jointCount)
            return text.Fail(EngineString("weight ") + w + " : joint " + joint + " does not exist");
        if (weight.bias < 0)
            return text.Fail(EngineString("weight ") + w + " : negative bias");
        weight.joint = (uint32_t)joint;
    }
    for (uint32_t v = 0; v < mesh->vertices.Count(); ++v) {
        const Md5Vertex& vertex = mesh->vertices[v];
        if ((uint64_t)vertex.firstWeight + vertex.weightCount > count)
            return text.Fail(EngineString("vert ") + v + " : its weights end past numweights " + count);
    }
    return text.ExpectPunct('}');
}

bool ReadMeshFile(Md5Text& text, Md5MeshFile* out)
{
    uint32_t jointCount, meshCount;
    if (!ReadHeader(text) || !text.ExpectCount("numJoints", kLeastJointBytes, &jointCount) ||
        !text.ExpectCount("numMeshes", kLeastMeshBytes, &meshCount))
        return false;
    if (jointCount == 0 || jointCount > kMaxJoints)
        return text.Fail(EngineString("numJoints ") + jointCount + " : not in [1,65535]");
    if (meshCount == 0)
        return text.Fail("numMeshes 0 : no mesh");
    if (!ReadJoints(text, jointCount, &out->joints) || !CheckParents(text, out->joints))
        return false;
    if (!out->meshes.Allocate(meshCount))
        return text.Fail("Not Enough Memory");
    for (uint32_t m = 0; m < meshCount; ++m) {
        if (text.AtEnd())
            return text.Fail(EngineString("numMeshes ") + meshCount + " but the file holds " + m);
        if (!ReadMesh(text, jointCount, &out->meshes[m]))
            return false;
    }
    if (!text.AtEnd())
        return text.Fail(EngineString("numMeshes ") + meshCount + " but more follow");
    return true;
}

bool ReadHierarchy(Md5Text& text, Md5AnimFile* out)
{
    if (!text.ExpectWord("hierarchy") || !text.ExpectPunct('{'))
        return false;
    for (uint32_t j = 0; j < out->hierarchy.Count(); ++j) {
        if (text.NextIsPunct('}'))
            return text.Fail(EngineString("numJoints ") + out->hierarchy.Count() + " but the hierarchy lists " + j);
        Md5AnimJoint& joint = out->hierarchy[j];
        int32_t flags, start;
        if (!text.ExpectString(&joint.name) || !text.ExpectInt(&joint.parent) || !text.ExpectInt(&flags) ||
            !text.ExpectInt(&start))
            return false;
        if (flags < 0 || (flags & ~(int32_t)kAnimatedBits) != 0)
            return text.Fail(EngineString("joint ") + j + " : unknown flags " + flags);
        uint32_t animated = 0;
        for (uint32_t bit = 0; bit < 6; ++bit)
            animated += (flags >> bit) & 1;
        if (start < 0 || (uint64_t)(uint32_t)start + animated > out->componentCount)
            return text.Fail(EngineString("joint ") + j + " : components " + start + " to " + start + "+" +
                             animated + " past numAnimatedComponents " + out->componentCount);
        joint.flags = (uint32_t)flags;
        joint.startIndex = (uint32_t)start;
    }
    if (!text.NextIsPunct('}') && !text.Failed())
        return text.Fail(EngineString("numJoints ") + out->hierarchy.Count() + " but the hierarchy lists more");
    return text.ExpectPunct('}');
}

bool ReadAnimBody(Md5Text& text, Md5AnimFile* out)
{
    if (!text.ExpectWord("bounds") || !text.ExpectPunct('{'))
        return false;
    for (uint32_t f = 0; f < out->frameCount; ++f) {
        float box[6];
        if (!text.ExpectVector(box, 3) || !text.ExpectVector(box + 3, 3))
            return false;
    }
    if (!text.ExpectPunct('}') || !text.ExpectWord("baseframe") || !text.ExpectPunct('{'))
        return false;
    for (uint32_t j = 0; j < out->baseFrame.Count(); ++j) {
        Md5Joint& joint = out->baseFrame[j];
        if (!text.ExpectVector(&joint.position.x, 3) || !ReadQuaternion(text, &joint.orientation))
            return false;
    }
    if (!text.ExpectPunct('}'))
        return false;
    for (uint32_t f = 0; f < out->frameCount; ++f) {
        if (!ExpectRecord(text, "frame", f) || !text.ExpectPunct('{'))
            return false;
        float* row = &out->components[f * out->componentCount];
        for (uint32_t c = 0; c < out->componentCount; ++c) {
            if (text.NextIsPunct('}'))
                return text.Fail(EngineString("frame ") + f + " : " + c + " components, numAnimatedComponents " +
                                 out->componentCount);
            if (!text.ExpectFloat(&row[c]))
                return false;
        }
        if (!text.NextIsPunct('}') && !text.Failed())
            return text.Fail(EngineString("frame ") + f + " : more than numAnimatedComponents " +
                             out->componentCount);
        if (!text.ExpectPunct('}'))
            return false;
    }
    if (!text.AtEnd())
        return text.Fail(EngineString("numFrames ") + out->frameCount + " but more follow");
    return true;
}

bool ReadAnimFile(Md5Text& text, Md5AnimFile* out)
{
    uint32_t jointCount;
    if (!ReadHeader(text) || !text.ExpectCount("numFrames", kLeastFrameBytes, &out->frameCount) ||
        !text.ExpectCount("numJoints", kLeastHierarchyBytes, &jointCount) || !text.ExpectWord("frameRate") ||
        !text.ExpectFloat(&out->frameRate))
        return false;
    if (!(out->frameRate > 0))
        return text.Fail("frameRate not above 0");
    // An animation that never ends would never leave the playing list.
    if (!isfinite((float)out->frameCount / out->frameRate))
        return text.Fail("frameRate too small for numFrames");
    if (!text.ExpectCount("numAnimatedComponents", 0, &out->componentCount))
        return false;
    if (out->frameCount == 0)
        return text.Fail("numFrames 0 : no frame");
    if (jointCount == 0 || jointCount > kMaxJoints)
        return text.Fail(EngineString("numJoints ") + jointCount + " : not in [1,65535]");
    // Every component takes two characters at least: a digit and a space.
    uint64_t components = (uint64_t)out->frameCount * out->componentCount;
    if (components > UINT32_MAX / 2)
        return text.Fail(EngineString("numAnimatedComponents ") + out->componentCount +
                         " : more than the file can hold");
    if (!out->hierarchy.Allocate(jointCount) || !out->baseFrame.Allocate(jointCount))
        return text.Fail("Not Enough Memory");
    if (!ReadHierarchy(text, out))
        return false;
    if (!out->components.Allocate((uint32_t)components))
        return text.Fail("Not Enough Memory");
    return ReadAnimBody(text, out);
}

}  // namespace

SkelQuaternion Md5Quaternion(float x, float y, float z)
{
    float rest = 1.0f - x * x - y * y - z * z;
    SkelQuaternion q{x, y, z, rest > 0 ? -sqrtf(rest) : 0.0f};
    // Slightly too long vectors, as rounding in a file makes them, are
    // brought back to unit length.
    if (rest < 0) {
        float length = sqrtf(x * x + y * y + z * z);
        q.x /= length;
        q.y /= length;
        q.z /= length;
    }
    return q;
}

namespace {

// Either file: opened whole, then read by `read`; refused with the line
// where the text stopped fitting.
template <typename Md5File>
HRESULT ReadMd5File(const char* operation, const EngineString& name, Md5File* out, bool (*read)(Md5Text&, Md5File*))
{
    TraceContext context(operation);
    QL_REQUIRE_ARG(context, out);
    Md5Text text;
    QL_TRY(context, "-", text.Open(name));
    if (!read(text, out))
        return Refuse(context, name, text);
    return S_OK;
}

}  // namespace

HRESULT ReadMd5Mesh(const EngineString& name, Md5MeshFile* out)
{
    return ReadMd5File("ModelSkelMeta::ReadMd5Mesh()", name, out, ReadMeshFile);
}

HRESULT ReadMd5Anim(const EngineString& name, Md5AnimFile* out)
{
    return ReadMd5File("ModelSkelMeta::ReadMd5Anim()", name, out, ReadAnimFile);
}
