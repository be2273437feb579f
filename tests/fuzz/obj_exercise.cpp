#include "obj_exercise.h"

#include "objread.h"

#include <math.h>
#include <stdio.h>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

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

ObjExercise ExerciseObjInput(const std::string& folder, const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t mark = input.find(LIBRARY_MARK);
    std::string obj = folder + "/fuzz.obj", mtl = folder + "/fuzz.mtl";
    Write(obj, input.substr(0, mark));
    if (mark != std::string::npos)
        Write(mtl, input.substr(mark + sizeof LIBRARY_MARK - 1));
    ObjExercise result = ExerciseObjLoad(obj.c_str());
    remove(obj.c_str());
    remove(mtl.c_str());
    return result;
}

ObjExercise ExerciseObjLoad(const char* path)
{
    ObjExercise result = {};
    SceneArrays arrays = {};
    ObjReadNotes notes;
    HRESULT read = ReadObjArrays(path, &arrays, &notes);
    if (SUCCEEDED(read)) {
        Require(arrays.vertexCount >= 1 && arrays.vertexCount <= kMostSceneVertices && arrays.materialCount >= 1);
        Require(arrays.indexCount % 3 == 0 && arrays.indexCount >= 3);
        for (uint32_t i = 0; i < arrays.indexCount; i++)
            Require(arrays.indices[i] < arrays.vertexCount);
        uint32_t next = 0;
        for (uint32_t j = 0; j < arrays.materialCount; j++) {
            Require(arrays.materials[j].startIndex == next && arrays.materials[j].indexCount % 3 == 0);
            next += arrays.materials[j].indexCount;
        }
        Require(next == arrays.indexCount);
        for (uint32_t v = 0; v < arrays.vertexCount; v++) {
            const D3DXVECTOR3& p = arrays.positions[v];
            Require(isfinite(p.x) && isfinite(p.y) && isfinite(p.z) && Inside(p, arrays.boxMin, arrays.boxMax));
            const D3DXVECTOR3& n = arrays.normals[v];
            float length = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
            // Finite points far apart can still overflow a cross product.
            if (isfinite(length))
                Require(length == 0.0f || fabsf(length - 1.0f) < 1e-3f);
            if (arrays.texCoords)
                Require(isfinite(arrays.texCoords[v].x) && isfinite(arrays.texCoords[v].y));
        }
        result = {true, arrays.vertexCount, arrays.indexCount, arrays.materialCount};
    } else {
        Require(notes.problem != ObjProblem::None);
    }
    FreeSceneArrays(&arrays);
    return result;
}
