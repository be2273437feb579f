#include "models/skinned/modelcal3d.h"

#include "models/skinned/cal3dconfigline.h"
#include "models/skinned/cal3dfile.h"
#include "models/skinned/cal3dpacking.h"

#include "foundation/qltrace.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Smallest size of one record in each file, for the size checks of counts.
const uint64_t kMinBoneBytes = 4 + 12 + 16 + 12 + 16 + 4 + 4;
const uint64_t kMinTrackBytes = 4 + 4;
const uint64_t kMinSubmeshBytes = 6 * 4;
const uint64_t kMaxBones = 0xFFFF;
const uint32_t kLongestBoneName = 256;
const float kByteToUnit = 0.003921569f;  // 1/255

// A file refused for what it holds: one Error record, the file closed, E_FAIL.
HRESULT Refuse(const TraceContext& context, Cal3DFile& file, const EngineString& record)
{
    QL_LOG(context, TraceError, record);
    file.Close();
    return E_FAIL;
}

// The opening every reader below shares: checks the reader's out-argument,
// opens `name` and reads its magic token and version. S_OK, E_FAIL for a
// foreign file (record written), QLE_SUBFUNCTION for a null out-argument or a
// file that does not open or is too short.
HRESULT OpenCal3D(const TraceContext& context, Cal3DFile& file, const EngineString& name, const char* magic,
                  const void* out)
{
    QL_REQUIRE_ARG(context, out);
    QL_TRY(context, "-", file.Open(name));
    char token[4];
    QL_READ(context, file, token, 4);
    if (memcmp(token, magic, 4) != 0)
        return Refuse(context, file, name + " : Invalid File Format ('Invalid Magic Token')");
    int32_t version;
    QL_READ(context, file, &version, 4);
    if (version < 700 || version > 799)
        QL_LOG(context, TraceWarning,
               name + " : FileVersion=" + version + ", not in [700,799]; try to load");
    return S_OK;
}

// Ends the reader with OpenCal3D's code unless the file opened as asked.
#define CAL3D_OPEN(context, file, name, magic, out)                            \
    do {                                                                       \
        HRESULT opened = OpenCal3D((context), (file), (name), (magic), (out)); \
        if (opened != S_OK)                                                    \
            return opened;                                                     \
    } while (0)

// The hierarchy step walks from the roots through the child arrays, so every
// child must name the listing bone as its parent and be listed only once:
// then no bone is reached twice and no walk can loop.
HRESULT CheckHierarchy(const TraceContext& context, const EngineArray<Bone>& bones)
{
    EngineArray<bool> listed;
    QL_REQUIRE_MEMORY(context, listed.Allocate(bones.Count()));
    for (uint32_t b = 0; b < bones.Count(); ++b) {
        const EngineArray<int32_t>& children = bones[b].children;
        for (uint32_t i = 0; i < children.Count(); ++i) {
            int32_t child = children[i];
            QL_TRY(context, "Child ID whose parent is another bone",
                   bones[child].parent == (int32_t)b ? S_OK : E_FAIL);
            QL_TRY(context, "Child ID listed twice", listed[child] ? E_FAIL : S_OK);
            listed[child] = true;
        }
    }
    return S_OK;
}

// A bone no root reaches (its parent does not list it, or it sits in a
// cycle) would never get a skin matrix of this model: refuse it by name.
// A skeleton without any root is refused when the model is packed.
HRESULT CheckEveryBoneReached(const TraceContext& context, const EngineString& name,
                              const EngineArray<Bone>& bones)
{
    EngineArray<int32_t> pending;
    EngineArray<bool> reached;
    QL_REQUIRE_MEMORY(context, pending.Allocate(bones.Count()) && reached.Allocate(bones.Count()));
    uint32_t count = 0;
    for (uint32_t b = 0; b < bones.Count(); ++b)
        if (bones[b].parent == -1)
            pending[count++] = (int32_t)b;
    if (count == 0)
        return S_OK;
    // Each bone is pushed once: CheckHierarchy lets a bone be listed only once.
    while (count > 0) {
        int32_t bone = pending[--count];
        reached[bone] = true;
        const EngineArray<int32_t>& children = bones[bone].children;
        for (uint32_t i = 0; i < children.Count(); ++i)
            pending[count++] = children[i];
    }
    for (uint32_t b = 0; b < bones.Count(); ++b) {
        if (!reached[b]) {
            QL_LOG(context, TraceError,
                   name + " : Bone " + b + " (parent " + bones[b].parent + ") is reached from no root bone");
            return QLE_SUBFUNCTION;
        }
    }
    return S_OK;
}

SkelColor ReadColorBytes(const uint8_t bytes[4])
{
    // Stored red, green, blue, alpha, one byte each.
    return {bytes[0] * kByteToUnit, bytes[1] * kByteToUnit, bytes[2] * kByteToUnit,
            bytes[3] * kByteToUnit};
}

}  // namespace

HRESULT LoadCal3DSkeleton(const EngineString& name, EngineArray<Bone>* bones)
{
    TraceContext context("ModelSkelMeta::LoadCal3DSkeleton()");
    Cal3DFile file;
    CAL3D_OPEN(context, file, name, "CSF", bones);

    uint32_t count;
    QL_READ(context, file, &count, 4);
    if (count > kMaxBones)
        return Refuse(context, file, name + " : Number of bones = " + count);
    CAL3D_EXPECT(context, file, file.Holds(count, kMinBoneBytes));
    QL_REQUIRE_MEMORY(context, bones->Allocate(count));

    for (uint32_t b = 0; b < count; ++b) {
        Bone& bone = (*bones)[b];
        uint32_t nameLength;
        QL_READ(context, file, &nameLength, 4);
        if (nameLength > kLongestBoneName)
            QL_LOG(context, TraceWarning, "Too long bone name");
        CAL3D_EXPECT(context, file, file.Skip(nameLength));
        QL_READ(context, file, &bone.translation, 12);
        QL_READ(context, file, &bone.rotation, 16);
        QL_READ(context, file, &bone.boneSpaceTranslation, 12);
        QL_READ(context, file, &bone.boneSpaceRotation, 16);
        QL_READ(context, file, &bone.parent, 4);
        // A parent outside the skeleton would address bone states out of range.
        QL_TRY(context, "Too big (or negative) parent ID",
               bone.parent == -1 || (bone.parent >= 0 && (uint32_t)bone.parent < count) ? S_OK
                                                                                      : E_FAIL);
        uint32_t childCount;
        QL_READ(context, file, &childCount, 4);
        CAL3D_EXPECT(context, file, file.Holds(childCount, 4));
        QL_REQUIRE_MEMORY(context, bone.children.Allocate(childCount));
        QL_READ(context, file, bone.children.Data(), (size_t)childCount * 4);
        for (uint32_t i = 0; i < childCount; ++i)
            QL_TRY(context, "Too big (or negative) child ID",
                   (uint32_t)bone.children[i] < count ? S_OK : E_FAIL);
    }
    file.Close();
    HRESULT hierarchy = CheckHierarchy(context, *bones);
    if (FAILED(hierarchy))
        return hierarchy;
    return CheckEveryBoneReached(context, name, *bones);
}

HRESULT LoadCal3DAnimation(const EngineString& name, Animation* animation)
{
    TraceContext context("ModelSkelMeta::LoadCal3DAnimation()");
    Cal3DFile file;
    CAL3D_OPEN(context, file, name, "CAF", animation);

    float duration;
    QL_READ(context, file, &duration, 4);
    // Written so that a NaN, which would never expire, is refused as well.
    QL_TRY(context, "Negative animation duration", duration >= 0 ? S_OK : E_FAIL);
    animation->duration = duration;

    uint32_t trackCount;
    QL_READ(context, file, &trackCount, 4);
    if (trackCount == 0)
        return Refuse(context, file, name + " : No Tracks in this animation");
    CAL3D_EXPECT(context, file, file.Holds(trackCount, kMinTrackBytes));
    EngineArray<Track> tracks;
    EngineArray<EngineArray<Keyframe>> blocks;
    QL_REQUIRE_MEMORY(context, tracks.Allocate(trackCount));
    QL_REQUIRE_MEMORY(context, blocks.Allocate(trackCount));

    uint64_t total = 0;
    for (uint32_t t = 0; t < trackCount; ++t) {
        Track& track = tracks[t];
        QL_READ(context, file, &track.bone, 4);
        QL_TRY(context, "Negative bone ID", track.bone >= 0 ? S_OK : E_FAIL);
        uint32_t keyCount;
        QL_READ(context, file, &keyCount, 4);
        CAL3D_EXPECT(context, file, file.Holds(keyCount, sizeof(Keyframe)));
        QL_REQUIRE_MEMORY(context, blocks[t].Allocate(keyCount));
        QL_READ(context, file, blocks[t].Data(), (size_t)keyCount * sizeof(Keyframe));
        track.firstKey = (int32_t)total;
        track.keyCount = (int32_t)keyCount;
        total += keyCount;
    }
    file.Close();

    EngineArray<Keyframe> keys;
    QL_REQUIRE_MEMORY(context, keys.Allocate((uint32_t)total));
    for (uint32_t t = 0; t < trackCount; ++t)
        if (!blocks[t].IsEmpty())
            memcpy(&keys[(uint32_t)tracks[t].firstKey], blocks[t].Data(),
                   blocks[t].Count() * sizeof(Keyframe));
    animation->tracks.Swap(tracks);
    animation->keys.Swap(keys);
    return S_OK;
}

HRESULT LoadCal3DMesh(const EngineString& name, EngineArray<Cal3DSubmesh>* submeshes)
{
    TraceContext context("ModelSkelMeta::LoadCal3DMesh()");
    Cal3DFile file;
    CAL3D_OPEN(context, file, name, "CMF", submeshes);

    uint32_t count;
    QL_READ(context, file, &count, 4);
    if (count == 0)
        return Refuse(context, file, name + " : No SubMeshes");
    CAL3D_EXPECT(context, file, file.Holds(count, kMinSubmeshBytes));
    QL_REQUIRE_MEMORY(context, submeshes->Allocate(count));

    for (uint32_t s = 0; s < count; ++s) {
        Cal3DSubmesh& submesh = (*submeshes)[s];
        uint32_t vertexCount, faceCount, lodCount, springCount, setCount;
        QL_READ(context, file, &submesh.material, 4);
        QL_READ(context, file, &vertexCount, 4);
        QL_READ(context, file, &faceCount, 4);
        QL_READ(context, file, &lodCount, 4);
        QL_READ(context, file, &springCount, 4);
        QL_READ(context, file, &setCount, 4);
        if (setCount > 1)
            QL_LOG(context, TraceWarning,
                   name + " : " + setCount + " TexCoords by vertex, only take the first");

        uint64_t vertexBytes = 12 + 12 + 4 + 4 + 8 * (uint64_t)setCount + 4 + (springCount ? 4 : 0);
        CAL3D_EXPECT(context, file, file.Holds(vertexCount, vertexBytes));
        QL_REQUIRE_MEMORY(context, submesh.vertices.Allocate(vertexCount));
        uint32_t influenceTotal = 0;
        for (uint32_t v = 0; v < vertexCount; ++v) {
            SkinVertex& vertex = submesh.vertices[v];
            int32_t collapseVertex;
            uint32_t faceCollapseCount, influenceCount;
            QL_READ(context, file, &vertex.position, 12);
            QL_READ(context, file, &vertex.normal, 12);
            QL_READ(context, file, &collapseVertex, 4);
            QL_READ(context, file, &faceCollapseCount, 4);
            if (setCount > 0) {
                QL_READ(context, file, &vertex.u, 4);
                QL_READ(context, file, &vertex.v, 4);
                CAL3D_EXPECT(context, file, file.Skip(8 * ((uint64_t)setCount - 1)));
            }
            QL_READ(context, file, &influenceCount, 4);
            CAL3D_EXPECT(context, file, file.Holds(influenceCount, sizeof(Influence)));
            Influence* block = submesh.influences.AppendBlock(influenceCount);
            QL_REQUIRE_MEMORY(context, block || influenceCount == 0);
            if (influenceCount > 0)
                QL_READ(context, file, block, (size_t)influenceCount * sizeof(Influence));
            vertex.firstInfluence = influenceTotal;
            vertex.influenceCount = influenceCount;
            influenceTotal += influenceCount;
            if (springCount > 0) {
                float springWeight;
                QL_READ(context, file, &springWeight, 4);
            }
        }
        CAL3D_EXPECT(context, file, file.Skip(16 * (uint64_t)springCount));

        CAL3D_EXPECT(context, file, file.Holds(faceCount, 12));
        uint64_t indexCount = 3 * (uint64_t)faceCount;
        QL_REQUIRE_MEMORY(context, indexCount <= UINT32_MAX);
        QL_REQUIRE_MEMORY(context, submesh.indices.Allocate((uint32_t)indexCount));
        QL_READ(context, file, submesh.indices.Data(), (size_t)indexCount * 4);
        for (uint32_t i = (uint32_t)indexCount; i-- > 0;) {
            if ((uint32_t)submesh.indices[i] >= vertexCount)
                return Refuse(context, file, name + " : bad index of vertex : " + submesh.indices[i]);
        }
    }
    file.Close();
    return S_OK;
}

HRESULT LoadCal3DMaterial(const EngineString& name, const EngineString& prefix,
                          SkelMaterial* material)
{
    TraceContext context("ModelSkelMeta::LoadCal3DMaterial()");
    Cal3DFile file;
    CAL3D_OPEN(context, file, name, "CRF", material);

    uint8_t ambient[4], diffuse[4], specular[4];
    QL_READ(context, file, ambient, 4);
    QL_READ(context, file, diffuse, 4);
    QL_READ(context, file, specular, 4);
    material->material.Ambient = ReadColorBytes(ambient);
    material->material.Diffuse = ReadColorBytes(diffuse);
    material->material.Specular = ReadColorBytes(specular);
    material->material.Emissive = {0, 0, 0, 0};
    QL_READ(context, file, &material->material.Power, 4);

    uint32_t mapCount;
    QL_READ(context, file, &mapCount, 4);
    if (mapCount == 0) {
        file.Close();
        return S_OK;
    }
    if (mapCount > 1)
        QL_LOG(context, TraceWarning, name + " : " + mapCount + " textures, only take the first");
    uint32_t nameLength;
    QL_READ(context, file, &nameLength, 4);
    CAL3D_EXPECT(context, file, file.Holds(nameLength, 1));
    EngineArray<char> mapName;
    // One byte more than read, so a name without its zero byte still ends.
    QL_REQUIRE_MEMORY(context, nameLength < UINT32_MAX && mapName.Allocate(nameLength + 1));
    QL_READ(context, file, mapName.Data(), nameLength);
    file.Close();
    material->textureName = prefix + mapName.Data();
    material->hasTexture = true;
    return S_OK;
}

namespace {

// Reads the configuration lines and the files they name. S_OK, or the code
// of the first failing line, with `failureLine` the line of the check that
// found it.
HRESULT ReadConfiguration(const TraceContext& context, File& config, const EngineString& file,
                          ModelSkelData* data, EngineArray<Cal3DSubmesh>* submeshes,
                          uint32_t* failureLine)
{
    EngineString prefix;
    char text[256];
    uint32_t lineNumber = 0;
    while (fgets(text, sizeof text, config.Stream())) {
        ++lineNumber;
        ConfigLine line = ParseConfigLine(text);
        if (line.kind == ConfigLineKind::Skip)
            continue;
        EngineString where = file + "(" + lineNumber + ") : Invalid syntax ";
        if (line.kind == ConfigLineKind::MissingSeparator) {
            QL_LOG(context, TraceError, where + "(Key)");
            *failureLine = __LINE__;
            return E_FAIL;
        }
        if (line.kind == ConfigLineKind::MissingEquals) {
            QL_LOG(context, TraceError, where + "('=')");
            *failureLine = __LINE__;
            return E_FAIL;
        }

        EngineString value = EngineString(line.value).SubString(0, line.valueLength);
        // The parts of a model the configuration names, found from any folder.
        EngineString part = FindBeside(prefix + value, file);
        HRESULT result = S_OK;
        if (ConfigKeyIs(line, "scale")) {
            data->scale *= (float)strtod(value.Chars(), nullptr);
        } else if (ConfigKeyIs(line, "path")) {
            prefix = value;
        } else if (ConfigKeyIs(line, "skeleton")) {
            if (!data->bones.IsEmpty()) {
                QL_LOG(context, TraceWarning, "Many skeletons in the config file, only take the first");
                continue;
            }
            result = LoadCal3DSkeleton(part, &data->bones);
            *failureLine = __LINE__;
        } else if (ConfigKeyIs(line, "animation")) {
            Animation* animation = data->animations.Append();
            result = animation ? LoadCal3DAnimation(part, animation) : E_OUTOFMEMORY;
            if (animation)
                animation->name = value;
            *failureLine = __LINE__;
        } else if (ConfigKeyIs(line, "mesh")) {
            EngineArray<Cal3DSubmesh> mesh;
            result = LoadCal3DMesh(part, &mesh);
            *failureLine = __LINE__;
            for (uint32_t s = 0; SUCCEEDED(result) && s < mesh.Count(); ++s) {
                Cal3DSubmesh* submesh = submeshes->Append();
                if (!submesh) {
                    result = E_OUTOFMEMORY;
                    *failureLine = __LINE__;
                    break;
                }
                *submesh = std::move(mesh[s]);
            }
            if (SUCCEEDED(result))
                ++data->meshCount;
        } else if (ConfigKeyIs(line, "material")) {
            SkelMaterial* material = data->materials.Append();
            result = material ? LoadCal3DMaterial(part, prefix, material) : E_OUTOFMEMORY;
            *failureLine = __LINE__;
            if (SUCCEEDED(result) && material->hasTexture)
                material->textureName = FindBeside(material->textureName, file);
        } else {
            QL_LOG(context, TraceError, where + "(Unknow) !");
            *failureLine = __LINE__;
            return E_FAIL;
        }
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

// The checks that the files read fit together. S_OK, or QLE_SUBFUNCTION
// after the records.
HRESULT CheckModel(const TraceContext& context, const ModelSkelData& data,
                   const EngineArray<Cal3DSubmesh>& submeshes, const EngineString& file)
{
    EngineString packing = "Error while packing the Model " + file;
    if (data.bones.IsEmpty() || submeshes.IsEmpty() || data.materials.IsEmpty()) {
        QL_LOG(context, TraceError, "Incomplete Cal3D Model Loaded");
        QL_TRY(context, packing.Chars(), E_FAIL);
    }
    if (data.animations.IsEmpty())
        QL_LOG(context, TraceWarning, "No animation for the model");

    // Indices are compared as unsigned, so negative ones are refused too.
    for (uint32_t s = 0; s < submeshes.Count(); ++s)
        QL_TRY(context, packing.Chars(),
               (uint32_t)submeshes[s].material < data.materials.Count() ? S_OK : E_FAIL);
    for (uint32_t s = submeshes.Count(); s-- > 0;) {
        const EngineArray<Influence>& influences = submeshes[s].influences;
        for (uint32_t i = influences.Count(); i-- > 0;) {
            if ((uint32_t)influences[i].bone >= data.bones.Count()) {
                QL_LOG(context, TraceError, EngineString("Bad index of bone : ") + influences[i].bone);
                QL_TRY(context, packing.Chars(), E_FAIL);
            }
        }
    }
    // A track is sampled into the state of its bone, which must exist.
    for (uint32_t a = 0; a < data.animations.Count(); ++a) {
        const EngineArray<Track>& tracks = data.animations[a].tracks;
        for (uint32_t t = 0; t < tracks.Count(); ++t) {
            if ((uint32_t)tracks[t].bone >= data.bones.Count()) {
                QL_LOG(context, TraceError, EngineString("Animation ") + a +
                                                " : Bad index of bone : " + tracks[t].bone);
                QL_TRY(context, packing.Chars(), E_FAIL);
            }
        }
    }
    // The index buffer holds 16-bit indices.
    uint64_t vertexCount = 0;
    for (uint32_t s = 0; s < submeshes.Count(); ++s)
        vertexCount += submeshes[s].vertices.Count();
    if (vertexCount > 0xFFFF) {
        QL_LOG(context, TraceError, EngineString("Too many vertices for 16-bit indices : ") +
                                        (uint32_t)vertexCount + " (at most 65535)");
        QL_TRY(context, packing.Chars(), E_FAIL);
    }
    return S_OK;
}

HRESULT PackModel(const TraceContext& context, ModelSkelData* data,
                  EngineArray<Cal3DSubmesh>& submeshes, const EngineString& file)
{
    GroupSubmeshesByMaterial(submeshes, data->materials);

    uint32_t rootCount = 0;
    for (uint32_t b = 0; b < data->bones.Count(); ++b)
        rootCount += data->bones[b].parent == -1;
    if (rootCount == 0) {
        QL_LOG(context, TraceError, "No root bone in the skeleton");
        QL_TRY(context, ("Error while packing the Model " + file).Chars(), E_FAIL);
    }
    QL_REQUIRE_MEMORY(context, data->roots.Allocate(rootCount));
    for (uint32_t b = 0, r = 0; b < data->bones.Count(); ++b)
        if (data->bones[b].parent == -1)
            data->roots[r++] = (int32_t)b;

    uint64_t vertexCount = 0, influenceCount = 0, indexCount = 0;
    for (uint32_t s = 0; s < submeshes.Count(); ++s) {
        vertexCount += submeshes[s].vertices.Count();
        influenceCount += submeshes[s].influences.Count();
        indexCount += submeshes[s].indices.Count();
    }
    QL_REQUIRE_MEMORY(context, influenceCount <= UINT32_MAX && indexCount <= UINT32_MAX);
    QL_REQUIRE_MEMORY(context, data->indices.Allocate((uint32_t)indexCount));
    QL_REQUIRE_MEMORY(context, data->vertices.Allocate((uint32_t)vertexCount));
    QL_REQUIRE_MEMORY(context, data->influences.Allocate((uint32_t)influenceCount));
    PackSubmeshes(submeshes, data->vertices.Data(), data->influences.Data(), data->indices.Data());
    data->submeshCount = submeshes.Count();
    return S_OK;
}

}  // namespace

HRESULT LoadCal3DData(const EngineString& file, ModelSkelData* data)
{
    TraceContext context("ModelSkelMeta::LoadCal3D()");
    QL_REQUIRE_ARG(context, data);
    File config;
    QL_TRY(context, "-", config.Open(file, "rb"));
    data->type = "cal3d";
    data->file = file;
    data->scale = 1.0f;

    EngineArray<Cal3DSubmesh> submeshes;
    uint32_t failureLine = 0;
    HRESULT result = ReadConfiguration(context, config, file, data, &submeshes, &failureLine);
    config.Close();
    if (FAILED(result)) {
        CheckResult(context, ("Error while loading the Model " + file).Chars(), __FILE__,
                    failureLine, result);
        return QLE_SUBFUNCTION;
    }
    result = CheckModel(context, *data, submeshes, file);
    if (FAILED(result))
        return result;
    return PackModel(context, data, submeshes, file);
}

void WriteCal3DSummary(const ModelSkelData& data)
{
    TraceContext context("ModelSkelMeta::LoadCal3D()");
    QL_LOG(context, TraceInfo, "Infos of the Cal3D model : " + data.file);
    QL_LOG(context, TraceInfo,
           EngineString() + data.meshCount + " meshes (" + data.submeshCount + " submeshes) with " +
               data.indices.Count() / 3 + " tris & " + data.vertices.Count() + " verts (" +
               data.influences.Count() + " influences)");
    QL_LOG(context, TraceInfo,
           EngineString() + data.bones.Count() + " bones with " + data.roots.Count() +
               " root bone(s)");
    QL_LOG(context, TraceInfo,
           EngineString() + data.animations.Count() + " animations and " +
               data.materials.Count() + " materials");
}
