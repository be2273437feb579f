// ModelSceneMeta::LoadOBJ: a Wavefront OBJ file as a scene model. The arrays
// come from ReadObjArrays; the buffers and textures are made as for 3DS.
#include "models/import/objread.h"

#include "models/scene/modelscene.h"
#include "models/scene/scenebuild.h"

#include "foundation/qltrace.h"

#include <stdio.h>

namespace {

EngineString ProblemText(const SceneArrays& arrays, const ObjReadNotes& notes, const EngineString& file)
{
    switch (notes.problem) {
    case ObjProblem::NotFound:
        return "File '" + file + "' not found";
    case ObjProblem::Parse:
        return "The OBJ file cannot be read: " + notes.detail;
    case ObjProblem::NotFinite:
        return "The OBJ file's " + notes.detail + " is not a finite number";
    case ObjProblem::NoFaces:
        return "The OBJ file has no face to draw";
    case ObjProblem::SceneFault:
        break;
    case ObjProblem::None:
        return "";
    }
    switch (arrays.fault) {
    case SCENE_FAULT_TOO_MANY_VERTICES:
        return kSceneTooManyVerticesRecord;
    case SCENE_FAULT_BAD_CORNER:
        return EngineString("The shape '") + arrays.faultMesh +
               "' has a face whose corner names a position, normal or texture coordinate the file does not have";
    case SCENE_FAULT_MEMORY:
        return "Not Enough Memory";
    default:
        return "";
    }
}

// What the file asked for and the model goes without.
void WarnAboutNotes(const TraceContext& trace, const ObjReadNotes& notes)
{
    if (!notes.missingLibrary.IsEmpty())
        QL_LOG(trace, TraceWarning,
               "Material library '" + notes.missingLibrary + "' not found: its faces are drawn in the default material");
    if (!notes.missingMaterial.IsEmpty())
        QL_LOG(trace, TraceWarning,
               "Material '" + notes.missingMaterial +
                   "' is in no material library: its faces are drawn in the default material");
    if (!notes.longMap.IsEmpty())
        QL_LOG(trace, TraceWarning,
               EngineString("A texture map name is longer than ") + SCENE_MAP_NAME_LENGTH +
                   " characters, its material is drawn untextured: '" + notes.longMap + "'");
    if (!notes.uncoordinatedMap.IsEmpty())
        QL_LOG(trace, TraceWarning,
               "Texture maps drawn in their materials' colours: the file gives no texture coordinates (the first map: '" +
                   notes.uncoordinatedMap + "')");
    if (!notes.parserWarnings.IsEmpty())
        QL_LOG(trace, TraceWarning, "The OBJ reader warns: " + notes.parserWarnings);
}

}  // namespace

HRESULT ModelSceneMeta::LoadOBJ(const EngineString& name, IGraphics* graphics, const SceneLoadOptions& options)
{
    TraceContext trace("ModelSceneMeta::LoadOBJ()");
    QL_REQUIRE_ARG(trace, graphics);
    StartSceneLoad(this, "obj", name);

    SceneArrays arrays = {};
    ObjReadNotes notes;
    HRESULT result = ReadObjArrays(fileName, &arrays, &notes);
    WarnAboutNotes(trace, notes);
    EngineString problem = ProblemText(arrays, notes, fileName);
    if (!problem.IsEmpty())
        QL_LOG(trace, TraceError, problem);
    if (SUCCEEDED(result)) {
        TakeSceneMaterials(this, &arrays);
        result = FillSceneBuffers(this, graphics, arrays);
    }
    if (SUCCEEDED(result)) {
        result = FinishSceneLoad(trace, QL_HERE, this, graphics, options,
                                 {"OBJ", "shapes", notes.shapeCount, arrays.faceCount, arrays.vertexCount});
    }
    QL_CHECK(trace, ("Error while loading the Model " + fileName).Chars(), result);
    FreeSceneArrays(&arrays);
    return result;
}
