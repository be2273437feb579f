#include "models/import/modelgltf.h"

#include "models/import/gltfcontent.h"
#include "models/import/gltfload.h"

#include "graphics/geometryfactory.h"
#include "models/skinned/modelskel.h"

#include "foundation/qltrace.h"

HRESULT CreateModelGltf(const EngineString& type, const EngineString& command, IGraphics* graphics,
                        const SceneLoadOptions& options, IGeometry** out)
{
    TraceContext trace("CreateModelGltf()");
    if (out)
        *out = nullptr;
    QL_REQUIRE_ARG(trace, out && graphics);
    GltfContent content;
    std::string error;
    if (!ReadGltf(command.Chars(), &content, &error)) {
        QL_LOG(trace, TraceError, "glTF file '" + command + "' : " + error.c_str());
        QL_CHECK(trace, ("Error while loading the Model " + command).Chars(), E_FAIL);
        return QLE_SUBFUNCTION;
    }
    GltfLoad load{&content, command, options};
    bool skinned = false;
    for (const GltfNode& node : content.nodes)
        skinned |= node.inScene && node.mesh >= 0 && node.skin >= 0;
    if (skinned)
        return CreateGeometry<ModelSkel>(trace, QL_HERE, type == "gltf", out, [&](ModelSkel& model) {
            return model.InitLoaded(type, command, graphics, LoadGltfSkel, &load);
        });
    return CreateGeometry<ModelScene>(trace, QL_HERE, type == "gltf", out, [&](ModelScene& model) {
        return model.InitLoaded(type, command, graphics, LoadGltfScene, &load);
    });
}
