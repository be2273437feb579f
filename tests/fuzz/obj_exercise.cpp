#include "obj_exercise.h"

#include "models/import/objread.h"

#include <math.h>
#include <stdio.h>

namespace {

bool Inside(const D3DXVECTOR3& p, const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    return p.x >= low.x && p.y >= low.y && p.z >= low.z && p.x <= high.x && p.y <= high.y && p.z <= high.z;
}

const char LIBRARY_MARK[] = "\n#%%mtl\n";

void Write(const std::string& path, const std::string& bytes)
{
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

}  // namespace

ArraysExercise ExerciseObjInput(const std::string& folder, const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t mark = input.find(LIBRARY_MARK);
    std::string obj = folder + "/fuzz.obj", mtl = folder + "/fuzz.mtl";
    Write(obj, input.substr(0, mark));
    if (mark != std::string::npos)
        Write(mtl, input.substr(mark + sizeof LIBRARY_MARK - 1));
    ArraysExercise result = ExerciseObjLoad(obj.c_str());
    remove(obj.c_str());
    remove(mtl.c_str());
    return result;
}

ArraysExercise ExerciseObjLoad(const char* path)
{
    ArraysExercise result = {};
    SceneArrays arrays = {};
    ObjReadNotes notes;
    HRESULT read = ReadObjArrays(path, &arrays, &notes);
    if (SUCCEEDED(read)) {
        Require(arrays.vertexCount >= 1 && arrays.vertexCount <= kMostSceneVertices && arrays.materialCount >= 1);
        Require(arrays.indexCount >= 3);
        RequireIndexedRuns(arrays);
        for (uint32_t v = 0; v < arrays.vertexCount; v++) {
            const D3DXVECTOR3& p = arrays.positions[v];
            Require(isfinite(p.x) && isfinite(p.y) && isfinite(p.z) && Inside(p, arrays.boxMin, arrays.boxMax));
            if (arrays.texCoords)
                Require(isfinite(arrays.texCoords[v].x) && isfinite(arrays.texCoords[v].y));
        }
        // Finite points far apart can still overflow a cross product.
        RequireUnitOrZeroNormals(arrays);
        result = Loaded(arrays);
    } else {
        Require(notes.problem != ObjProblem::None);
    }
    FreeSceneArrays(&arrays);
    return result;
}
