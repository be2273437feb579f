#define QL_SOURCE_FILE "modelgltf"

#include "models/import/gltfload.h"

#include "models/import/gltfscene.h"
#include "models/import/gltfskin.h"

#include "models/scene/scenebuild.h"
#include "models/skinned/skelresources.h"

#include "graphics/qlgraphres.h"
#include "foundation/file.h"
#include "foundation/qltrace.h"

#include <stdio.h>
#include <string.h>

#include <new>

namespace {

EngineString Listed(const std::vector<std::string>& names)
{
    EngineString text;
    for (size_t i = 0; i < names.size(); ++i)
        text += EngineString(i ? ", " : "") + names[i].c_str();
    return text;
}

// A texture from an image embedded in the file. A failure fails the load,
// unless missing textures are allowed: the material is then untextured.
HRESULT EmbeddedTexture(const TraceContext& trace, IGraphics* graphics, const GltfLoad& load, const GltfImage& image,
                        Texture** out)
{
    EngineString name = load.file + " (" + image.name.c_str() + ")";
    if (image.bytes.size() > 0xFFFFFFFFu)
        return E_FAIL;
    HRESULT result = graphics->CreateTextureFromMemory(name, image.bytes.data(), (uint32_t)image.bytes.size(), out);
    if (FAILED(result) && load.options.missingTexturesAllowed) {
        QL_LOG(trace, TraceWarning, "Texture '" + name + "' cannot be made: its materials are drawn untextured");
        return S_OK;
    }
    return result;
}

}  // namespace

void WarnGltfLeftOut(const TraceContext& trace, const GltfContent& content)
{
    if (!content.skippedModes.empty())
        QL_LOG(trace, TraceWarning,
               "Primitives other than triangles skipped: " + Listed(content.skippedModes));
    if (!content.unsupported.empty())
        QL_LOG(trace, TraceWarning, "Parts of the file not supported, left out: " + Listed(content.unsupported));
    std::vector<std::string> blended;
    for (const GltfMaterial& material : content.materials)
        if (material.blend)
            blended.push_back("'" + material.name + "'");
    if (!blended.empty())
        QL_LOG(trace, TraceWarning, "Blended materials drawn opaque: " + Listed(blended));
    for (const std::string& warning : content.warnings)
        QL_LOG(trace, TraceWarning, warning.c_str());
}

HRESULT LoadGltfScene(ModelSceneMeta* meta, IGraphics* graphics, void* context)
{
    TraceContext trace("ModelSceneMeta::LoadGltf()");
    QL_REQUIRE_ARG(trace, meta && graphics && context);
    const GltfLoad& load = *static_cast<const GltfLoad*>(context);
    const GltfContent& content = *load.content;
    StartSceneLoad(meta, "gltf", load.file);
    WarnGltfLeftOut(trace, content);

    SceneArrays arrays = {};
    HRESULT result = BuildGltfScene(content, &arrays);
    if (arrays.fault == SCENE_FAULT_TOO_MANY_VERTICES)
        QL_LOG(trace, TraceError, kSceneTooManyVerticesRecord);
    if (SUCCEEDED(result)) {
        TakeSceneMaterials(meta, &arrays);
        // Without texture coordinates a map would show one texel's colour.
        if (!arrays.texCoords)
            for (uint32_t m = 0; m < meta->materialCount; ++m)
                meta->materials[m].textureMap[0] = 0;
        result = FillSceneBuffers(meta, graphics, arrays);
    }
    if (SUCCEEDED(result)) {
        result = FinishSceneLoad(trace, QL_HERE, meta, graphics, load.options,
                                 {"glTF", "meshes", arrays.meshCount, arrays.faceCount, arrays.fileVertexCount});
    }
    for (uint32_t m = 0; SUCCEEDED(result) && arrays.texCoords && m < meta->materialCount; ++m) {
        const GltfImage* image = GltfEmbeddedImage(content, m);
        if (image)
            result = EmbeddedTexture(trace, graphics, load, *image, &meta->textures[m]);
    }
    QL_CHECK(trace, ("Error while loading the Model " + meta->fileName).Chars(), result);
    FreeSceneArrays(&arrays);
    return result;
}

HRESULT LoadGltfSkel(ModelSkelMeta* meta, IGraphics* graphics, void* context)
{
    TraceContext trace("ModelSkelMeta::LoadGltf()");
    QL_REQUIRE_ARG(trace, meta && graphics && context);
    const GltfLoad& load = *static_cast<const GltfLoad*>(context);
    const GltfContent& content = *load.content;
    ModelSkelData& data = meta->data;
    data.type = "gltf";
    data.file = load.file;
    WarnGltfLeftOut(trace, content);

    GltfSkinResult built;
    HRESULT result = BuildGltfSkin(content, load.file, &data, &built);
    for (const std::string& warning : built.warnings)
        QL_LOG(trace, TraceWarning, warning.c_str());
    if (!built.error.empty())
        QL_LOG(trace, TraceError, built.error.c_str());
    QL_TRY(trace, ("Error while loading the Model " + load.file).Chars(), result);
    D3DXMatrixScaling(&meta->baseMatrix, built.scale, built.scale, built.scale);

    HRESULT indices = MakeSkelIndexBuffer(trace, QL_HERE, graphics, data.indices, &meta->indexBuffer);
    if (FAILED(indices))
        return indices;
    QL_LOG(trace, TraceInfo, "Infos of the glTF model : " + data.file);
    QL_LOG(trace, TraceInfo,
           EngineString() + data.meshCount + " meshes (" + data.submeshCount + " primitives) with " +
               data.indices.Count() / 3 + " tris & " + data.vertices.Count() + " verts (" + data.influences.Count() +
               " influences)");
    QL_LOG(trace, TraceInfo,
           EngineString() + data.bones.Count() + " bones with " + data.roots.Count() + " root bone(s)");
    QL_LOG(trace, TraceInfo,
           EngineString() + data.animations.Count() + " animations and " + data.materials.Count() + " materials");
    HRESULT skinned = MakeSkelSkin(trace, QL_HERE, graphics, meta);
    if (FAILED(skinned))
        return skinned;

    QL_REQUIRE_MEMORY(trace, meta->textures.Allocate(data.materials.Count()));
    for (uint32_t m = 0; m < data.materials.Count(); ++m) {
        SkelMaterial& material = data.materials[m];
        const GltfImage* image = GltfEmbeddedImage(content, m);
        if (image)
            QL_TRY(trace, "-", EmbeddedTexture(trace, graphics, load, *image, &meta->textures[m]));
        if (!material.hasTexture)
            continue;
        if (load.options.missingTexturesAllowed) {
            File probe;
            if (FAILED(probe.OpenSilently(material.textureName, "rb"))) {
                QL_LOG(trace, TraceWarning,
                       "Texture '" + material.textureName + "' not found: its materials are drawn untextured");
                continue;
            }
        }
        QL_TRY(trace, "-", graphics->CreateTexture(material.textureName, &meta->textures[m]));
        material.textureName = EngineString();
    }
    return S_OK;
}
