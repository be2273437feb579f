#include "models/scene/scenearrays.h"

#include "models/scene/reader3ds.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <new>

const char* const kSceneDefaultMaterial = "QLDefaultMaterial";

namespace {

// Long enough for the default material's name as well as the file's names.
const uint32_t NAME_SIZE = READER_NAME_LENGTH + 1;

// The faces one mesh gives one material: a group, or the whole mesh when it
// has no group.
struct GroupEntry {
    char name[NAME_SIZE];
    uint32_t firstFace;  // into the read's face-number array
    uint32_t faceCount;
    uint32_t material;   // the first material of that name, or none
    uint32_t mesh;
};

const uint32_t NO_MATERIAL = 0xFFFFFFFFu;

D3DCOLORVALUE Opaque(const ColorF& colour)
{
    return {colour.r, colour.g, colour.b, 1.0f};
}

void CopyName(char (&to)[NAME_SIZE], const char* from)
{
    snprintf(to, NAME_SIZE, "%s", from);
}

void SetDefaultMaterial(SceneMaterial* material)
{
    memset(material, 0, sizeof *material);
    material->material.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    material->material.Ambient = {0.3f, 0.3f, 0.3f, 1.0f};
    material->material.Specular = {0.7f, 0.7f, 0.7f, 1.0f};
    material->material.Power = 1.0f;
}

// D3DXVec3Normalize's result (a zero vector stays zero), inline: the
// normals' pass makes one per face and one per vertex.
inline D3DXVECTOR3 UnitLength(const D3DXVECTOR3& v)
{
    float squared = v.x * v.x + v.y * v.y + v.z * v.z;
    if (squared == 0.0f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float inverse = 1.0f / sqrtf(squared);
    return D3DXVECTOR3(v.x * inverse, v.y * inverse, v.z * inverse);
}

void Widen(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum, const D3DXVECTOR3& p)
{
    minimum->x = p.x < minimum->x ? p.x : minimum->x;
    minimum->y = p.y < minimum->y ? p.y : minimum->y;
    minimum->z = p.z < minimum->z ? p.z : minimum->z;
    maximum->x = p.x > maximum->x ? p.x : maximum->x;
    maximum->y = p.y > maximum->y ? p.y : maximum->y;
    maximum->z = p.z > maximum->z ? p.z : maximum->z;
}

// Working state of one read, freed whatever the outcome.
struct ReadState {
    SceneDatabase* database;
    ReaderCheck check;
    SceneArrays* out;
    char (*materialNames)[NAME_SIZE] = nullptr;
    SceneMapTiling* tilings = nullptr;  // handed to out when coordinates are carried
    bool anyMap = false;
    // Every mesh, fetched once by the count pass and kept for the fill pass:
    // fetching reads the mesh from the file again.
    MeshRecord** meshes = nullptr;
    uint32_t fetched = 0;
    MaterialRecord* material = nullptr;
    GroupEntry* entries = nullptr;
    uint32_t entryCount = 0;
    uint32_t* entryFaces = nullptr;  // global face numbers
    uint32_t entryFaceCount = 0;
    uint32_t* fileIndices = nullptr;  // 3 per face, in file order
    bool* grouped = nullptr;         // per global face: a group has taken it

    ~ReadState()
    {
        delete[] materialNames;
        delete[] tilings;
        for (uint32_t i = 0; i < fetched; i++)
            FreeMeshRecord(&meshes[i]);
        delete[] meshes;
        FreeMaterialRecord(&material);
        delete[] entries;
        delete[] entryFaces;
        delete[] fileIndices;
        delete[] grouped;
    }

    HRESULT Fail(SceneFault fault, HRESULT code = E_FAIL)
    {
        out->fault = fault;
        return code;
    }
    bool ReaderFailed() { return FAILED(check()); }

    HRESULT ReadMaterials();
    HRESULT CountPass();
    HRESULT FillPass();
    HRESULT SortByMaterial();
    // The first material of `name`, or NO_MATERIAL.
    uint32_t MaterialNamed(const char* name) const;
};

HRESULT ReadState::ReadMaterials()
{
    uint32_t count = CountMaterials(database);
    if (ReaderFailed())
        return Fail(SCENE_FAULT_READER);
    uint32_t kept = count ? count : 1;
    out->materials = new (std::nothrow) SceneMaterial[kept]();
    materialNames = new (std::nothrow) char[kept][NAME_SIZE]();
    tilings = new (std::nothrow) SceneMapTiling[kept]();
    if (!out->materials || !materialNames || !tilings)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    out->materialCount = kept;
    if (count == 0) {
        SetDefaultMaterial(&out->materials[0]);
        CopyName(materialNames[0], kSceneDefaultMaterial);
        snprintf(out->materials[0].name, sizeof out->materials[0].name, "%s", kSceneDefaultMaterial);
        return S_OK;
    }
    for (uint32_t i = 0; i < count; i++) {
        FetchMaterial(database, i, &material);
        if (ReaderFailed())
            return Fail(SCENE_FAULT_READER);
        if (!material)
            return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
        SceneMaterial& to = out->materials[i];
        CopyName(materialNames[i], material->name);
        snprintf(to.name, sizeof to.name, "%s", material->name);
        to.material.Diffuse = Opaque(material->diffuse);
        to.material.Ambient = Opaque(material->ambient);
        to.material.Specular = Opaque(material->specular);
        to.material.Emissive = {0, 0, 0, 0};
        to.material.Power = material->shininess;
        const TextureMap& map = material->maps[MAP_TEXTURE1];
        snprintf(to.textureMap, sizeof to.textureMap, "%s", map.name);
        if (!to.textureMap[0])
            continue;
        anyMap = true;
        tilings[i] = {{map.scale[0], map.scale[1]}, {map.offset[0], map.offset[1]}};
        uint16_t ignored = map.tiling & (MAP_TILING_MIRROR | MAP_TILING_DECAL | MAP_TILING_NO_TILE);
        if (ignored && !out->ignoredTiling)
            snprintf(out->ignoredTilingMaterial, sizeof out->ignoredTilingMaterial, "%s", material->name);
        out->ignoredTiling |= ignored;
    }
    return S_OK;
}

HRESULT ReadState::CountPass()
{
    out->meshCount = CountMeshes(database);
    if (ReaderFailed())
        return Fail(SCENE_FAULT_READER);
    uint64_t vertices = 0, faces = 0, entryTotal = 0, entryFaceTotal = 0;
    bool anyCoordinates = false;
    meshes = new (std::nothrow) MeshRecord*[out->meshCount ? out->meshCount : 1]();
    if (!meshes)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    for (uint32_t i = 0; i < out->meshCount; i++) {
        FetchMesh(database, i, &meshes[i]);
        fetched = i + 1;
        const MeshRecord* mesh = meshes[i];
        if (ReaderFailed())
            return Fail(SCENE_FAULT_READER);
        if (!mesh)
            return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
        vertices += mesh->vertexCount;
        faces += mesh->faceCount;
        anyCoordinates = anyCoordinates || mesh->texCoordCount;
        if (mesh->groupCount == 0) {
            entryTotal++;
            entryFaceTotal += mesh->faceCount;
        }
        for (uint32_t g = 0; g < mesh->groupCount; g++) {
            entryTotal++;
            entryFaceTotal += mesh->groups[g].faceCount;
        }
    }
    if (vertices > kMostSceneVertices)
        return Fail(SCENE_FAULT_TOO_MANY_VERTICES);
    // The face and group totals are bounded by the file's size, which the
    // reader has already read through.
    if (faces > 0x3FFFFFFF || entryFaceTotal > 0x3FFFFFFF || entryTotal > 0x3FFFFFFF)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    out->vertexCount = out->fileVertexCount = (uint32_t)vertices;
    out->faceCount = (uint32_t)faces;
    entryCount = (uint32_t)entryTotal;
    entryFaceCount = (uint32_t)entryFaceTotal;

    out->positions = new (std::nothrow) D3DXVECTOR3[vertices ? vertices : 1];
    out->normals = new (std::nothrow) D3DXVECTOR3[vertices ? vertices : 1]();
    fileIndices = new (std::nothrow) uint32_t[faces ? 3 * faces : 1];
    entries = new (std::nothrow) GroupEntry[entryCount ? entryCount : 1];
    entryFaces = new (std::nothrow) uint32_t[entryFaceCount ? entryFaceCount : 1];
    grouped = new (std::nothrow) bool[faces ? faces : 1]();
    if (!out->positions || !out->normals || !fileIndices || !entries || !entryFaces || !grouped)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    // Coordinates are carried only where a map can use them: other models
    // keep their vertices as they were.
    if (anyCoordinates && anyMap) {
        out->texCoords = new (std::nothrow) D3DXVECTOR2[vertices ? vertices : 1]();
        if (!out->texCoords)
            return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
        out->tilings = tilings;
        tilings = nullptr;
    }
    return S_OK;
}

HRESULT ReadState::FillPass()
{
    uint32_t vertexBase = 0, faceBase = 0, entry = 0, entryFace = 0;
    for (uint32_t i = 0; i < out->meshCount; i++) {
        const MeshRecord* mesh = meshes[i];
        snprintf(out->faultMesh, sizeof out->faultMesh, "%s", mesh->name);
        // The arrays were sized from these same records: no bound is passed.
        for (uint32_t k = 0; k < mesh->vertexCount; k++) {
            const Point3& point = mesh->points[k];
            D3DXVECTOR3 p(point.x, point.z, point.y);
            out->positions[vertexBase + k] = p;
            Widen(&out->boxMin, &out->boxMax, p);
        }
        if (out->texCoords && mesh->texCoordCount) {
            if (mesh->texCoordCount != mesh->vertexCount) {
                out->faultCounts[0] = mesh->texCoordCount;
                out->faultCounts[1] = mesh->vertexCount;
                return Fail(SCENE_FAULT_TEXCOORD_COUNT);
            }
            for (uint32_t k = 0; k < mesh->vertexCount; k++)
                out->texCoords[vertexBase + k] = D3DXVECTOR2(mesh->texCoords[k].u, mesh->texCoords[k].v);
        }
        for (uint32_t k = 0; k < mesh->faceCount; k++) {
            const Face3ds& face = mesh->faces[k];
            if (face.a >= mesh->vertexCount || face.b >= mesh->vertexCount || face.c >= mesh->vertexCount)
                return Fail(SCENE_FAULT_BAD_CORNER);
            uint32_t* to = &fileIndices[3 * (faceBase + k)];
            to[0] = vertexBase + face.a;
            to[1] = vertexBase + face.b;
            to[2] = vertexBase + face.c;
        }
        if (mesh->groupCount == 0) {
            GroupEntry& whole = entries[entry++];
            whole.mesh = i;
            memcpy(whole.name, materialNames[0], NAME_SIZE);
            whole.material = 0;
            whole.firstFace = entryFace;
            whole.faceCount = mesh->faceCount;
            for (uint32_t k = 0; k < mesh->faceCount; k++)
                entryFaces[entryFace++] = faceBase + k;
        }
        for (uint32_t g = 0; g < mesh->groupCount; g++) {
            const MaterialGroup& group = mesh->groups[g];
            GroupEntry& to = entries[entry++];
            to.mesh = i;
            CopyName(to.name, group.name);
            to.material = MaterialNamed(to.name);
            to.firstFace = entryFace;
            for (uint32_t k = 0; k < group.faceCount; k++) {
                if (group.faces[k] >= mesh->faceCount)
                    return Fail(SCENE_FAULT_BAD_GROUP_FACE);
                // A face named again, by this group or a later one, stays
                // with the first group that draws it: drawn and extruded
                // once. A group of a missing material draws nothing, so it
                // takes no face from a later group.
                uint32_t face = faceBase + group.faces[k];
                if (to.material != NO_MATERIAL && !grouped[face]) {
                    grouped[face] = true;
                    entryFaces[entryFace++] = face;
                }
            }
            to.faceCount = entryFace - to.firstFace;
        }
        vertexBase += mesh->vertexCount;
        faceBase += mesh->faceCount;
    }
    out->faultMesh[0] = 0;
    entryCount = entry;
    return S_OK;
}

uint32_t ReadState::MaterialNamed(const char* name) const
{
    for (uint32_t j = 0; j < out->materialCount; j++)
        if (strcmp(name, materialNames[j]) == 0)
            return j;
    return NO_MATERIAL;
}

// Each entry goes to the first material of its name; an entry naming no
// material holds no face. The index list is sized from what matched.
HRESULT ReadState::SortByMaterial()
{
    uint64_t matched = 0;
    for (uint32_t e = 0; e < entryCount; e++)
        if (entries[e].material != NO_MATERIAL)
            matched += 3ull * entries[e].faceCount;
    out->indices = new (std::nothrow) uint32_t[matched ? matched : 1];
    out->runs = new (std::nothrow) SceneRun[entryCount ? entryCount : 1];
    if (!out->indices || !out->runs)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);

    uint32_t running = 0;
    for (uint32_t j = 0; j < out->materialCount; j++) {
        SceneMaterial& material = out->materials[j];
        material.startIndex = running;
        for (uint32_t e = 0; e < entryCount; e++) {
            const GroupEntry& entry = entries[e];
            if (entry.material != j)
                continue;
            if (entry.faceCount == 0)
                continue;
            SceneRun* last = out->runCount ? &out->runs[out->runCount - 1] : nullptr;
            if (!last || last->material != j || last->mesh != entry.mesh)
                out->runs[out->runCount++] = SceneRun{j, entry.mesh, running, 0};
            out->runs[out->runCount - 1].indexCount += 3 * entry.faceCount;
            for (uint32_t k = 0; k < entry.faceCount; k++) {
                const uint32_t* face = &fileIndices[3 * entryFaces[entry.firstFace + k]];
                memcpy(&out->indices[running], face, 3 * sizeof(uint32_t));
                running += 3;
            }
        }
        material.indexCount = running - material.startIndex;
    }
    out->indexCount = running;
    return S_OK;
}

}  // namespace

SceneArrays EmptySceneArrays()
{
    const float farAway = 1e38f;
    SceneArrays empty{};
    empty.boxMin = D3DXVECTOR3(farAway, farAway, farAway);
    empty.boxMax = -empty.boxMin;
    return empty;
}

HRESULT ReadSceneArrays(SceneDatabase* database, ReaderCheck check, SceneArrays* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = EmptySceneArrays();
    if (!database || !check)
        return E_INVALIDARG;

    ReadState state{database, check, out};
    HRESULT result = state.ReadMaterials();
    if (SUCCEEDED(result))
        result = state.CountPass();
    if (SUCCEEDED(result))
        result = state.FillPass();
    if (SUCCEEDED(result))
        result = state.SortByMaterial();
    return result;
}

namespace {

template <typename Index>
void SumNormals(const D3DXVECTOR3* positions, uint32_t vertexCount, const Index* indices, uint32_t indexCount,
                D3DXVECTOR3* normals)
{
    for (uint32_t v = 0; v < vertexCount; v++)
        normals[v] = D3DXVECTOR3(0, 0, 0);
    for (uint32_t i = 0; i + 2 < indexCount; i += 3) {
        const D3DXVECTOR3& p0 = positions[indices[i]];
        const D3DXVECTOR3& p1 = positions[indices[i + 1]];
        const D3DXVECTOR3& p2 = positions[indices[i + 2]];
        D3DXVECTOR3 a = p2 - p1, b = p1 - p0;
        D3DXVECTOR3 face = UnitLength(D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x));
        normals[indices[i]] += face;
        normals[indices[i + 1]] += face;
        normals[indices[i + 2]] += face;
    }
    // Unit face normals that cancel leave only rounding, too small to give
    // a direction (normalised, it would not even be of unit length).
    const float cancelled = 1e-12f;
    for (uint32_t v = 0; v < vertexCount; v++) {
        const D3DXVECTOR3& n = normals[v];
        normals[v] = n.x * n.x + n.y * n.y + n.z * n.z < cancelled ? D3DXVECTOR3(0, 0, 0) : UnitLength(n);
    }
}

// Frees an array and leaves no dangling pointer for a second Free.
template <typename T>
void DeleteArray(T** array)
{
    delete[] *array;
    *array = nullptr;
}

}  // namespace

void ComputeSceneNormals(const D3DXVECTOR3* positions, uint32_t vertexCount, const uint32_t* indices,
                         uint32_t indexCount, D3DXVECTOR3* normals)
{
    SumNormals(positions, vertexCount, indices, indexCount, normals);
}

void ComputeSceneNormals(const D3DXVECTOR3* positions, uint32_t vertexCount, const WORD* indices,
                         uint32_t indexCount, D3DXVECTOR3* normals)
{
    SumNormals(positions, vertexCount, indices, indexCount, normals);
}

void FreeSceneArrays(SceneArrays* arrays)
{
    if (!arrays)
        return;
    DeleteArray(&arrays->positions);
    DeleteArray(&arrays->normals);
    DeleteArray(&arrays->indices);
    DeleteArray(&arrays->runs);
    DeleteArray(&arrays->materials);
    DeleteArray(&arrays->texCoords);
    DeleteArray(&arrays->tilings);
    arrays->indexCount = arrays->runCount = arrays->materialCount = 0;
    arrays->vertexCount = arrays->fileVertexCount = 0;
}
