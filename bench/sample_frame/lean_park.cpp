#include "lean_park.h"

#include "models/scene/reader3ds.h"
#include "models/scene/scenearrays.h"

#include <math.h>
#include <stdio.h>

namespace {

HRESULT ReaderOk()
{
    if (!ReaderErrorPending)
        return S_OK;
    ClearReaderErrors();
    return E_FAIL;
}

// The same tolerance the engine gives a light's range against per-vertex rounding.
float WithTolerance(float range)
{
    return range * 1.0001f + 1e-3f;
}

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

void TakeArrays(const SceneArrays& a, const std::string& folder, LeanPark* park)
{
    park->vertices.resize(a.vertexCount);
    for (uint32_t i = 0; i < a.vertexCount; ++i)
        park->vertices[i] = {a.positions[i], a.normals[i], a.texCoords ? a.texCoords[i] : D3DXVECTOR2(0, 0)};
    park->positions.assign(a.positions, a.positions + a.vertexCount);
    park->indices.assign(a.indices, a.indices + a.indexCount);
    park->materials.assign(a.materials, a.materials + a.materialCount);
    for (const SceneMaterial& m : park->materials)
        park->texturePaths.push_back(m.textureMap[0] && a.texCoords ? folder + m.textureMap : std::string());
    // Parts in mesh order, for the meshes that draw something.
    std::vector<uint32_t> partOfMesh(a.meshCount, ~0u);
    for (uint32_t r = 0; r < a.runCount; ++r)
        partOfMesh[a.runs[r].mesh] = 0;
    uint32_t partCount = 0;
    for (uint32_t& p : partOfMesh)
        if (p != ~0u)
            p = partCount++;
    for (uint32_t r = 0; r < a.runCount; ++r)
        park->runs.push_back({a.runs[r].material, partOfMesh[a.runs[r].mesh], a.runs[r].startIndex,
                              a.runs[r].indexCount});
}

void MakeShadowData(LeanPark* park)
{
    const uint32_t partCount = park->runs.empty() ? 0 : 1 + park->runs.back().part;
    std::vector<uint32_t> kept;
    park->parts.clear();
    park->lowest = 1e38f;
    for (uint32_t p = 0; p < partCount; ++p) {
        LeanPart part{uint32_t(kept.size() / 3), 0, D3DXVECTOR3(1e38f, 1e38f, 1e38f),
                      D3DXVECTOR3(-1e38f, -1e38f, -1e38f), 0.0f};
        for (const LeanRun& run : park->runs)
            if (run.part == p)
                kept.insert(kept.end(), park->indices.begin() + run.startIndex,
                            park->indices.begin() + run.startIndex + run.indexCount);
        part.triangleCount = uint32_t(kept.size() / 3) - part.firstTriangle;
        for (uint32_t i = 3 * part.firstTriangle; i < kept.size(); ++i) {
            const D3DXVECTOR3& v = park->positions[kept[i]];
            part.low = D3DXVECTOR3(fminf(part.low.x, v.x), fminf(part.low.y, v.y), fminf(part.low.z, v.z));
            part.high = D3DXVECTOR3(fmaxf(part.high.x, v.x), fmaxf(part.high.y, v.y), fmaxf(part.high.z, v.z));
            const D3DXVECTOR3 edge = park->positions[kept[i % 3 == 2 ? i - 2 : i + 1]] - v;
            part.longestEdge = fmaxf(part.longestEdge, D3DXVec3Length(&edge));
        }
        park->lowest = fminf(park->lowest, part.low.y);
        park->parts.push_back(part);
    }
    const uint32_t triangles = uint32_t(kept.size() / 3);
    park->faces.resize(triangles);
    park->edges.resize(3 * size_t(triangles));
    park->facing.resize(triangles);
    park->planes.resize(triangles);
    const uint32_t vertexCount = uint32_t(park->positions.size());
    // Connectivity, silhouette edges and planes over the kept indices, in
    // whichever width they are kept.
    auto connect = [&](const auto* indices) {
        GenConnectivity(indices, uint32_t(kept.size()), park->faces.data());
        park->edgeCount = ListShadowEdges(indices, park->faces.data(), triangles, park->edges.data(),
                                          park->facing.data());
        ComputeShadowPlanes(park->positions.data(), vertexCount, indices, triangles, park->planes.data(),
                            park->facing.data());
    };
    if (vertexCount <= 0xFFFF) {
        park->shadowIndices.assign(kept.begin(), kept.end());
        connect(park->shadowIndices.data());
    } else {
        park->wideShadowIndices = kept;
        connect(park->wideShadowIndices.data());
    }
}

}  // namespace

ShadowMesh LeanPark::Mesh()
{
    return ShadowMesh{positions.data(),
                      uint32_t(positions.size()),
                      shadowIndices.empty() ? nullptr : shadowIndices.data(),
                      uint32_t(faces.size()),
                      edges.data(),
                      edgeCount,
                      facing.data(),
                      planes.data(),
                      wideShadowIndices.empty() ? nullptr : wideShadowIndices.data()};
}

bool LoadLeanPark(const char* file, LeanPark* park)
{
    ClearReaderErrors();
    ChunkFile* chunks = OpenChunkFile(file, "r");
    SceneDatabase* database = nullptr;
    SceneArrays arrays = {};
    bool ok = chunks && SUCCEEDED(ReaderOk());
    if (ok) {
        NewSceneDatabase(&database);
        ReadSceneDatabase(chunks, database);
        ok = SUCCEEDED(ReaderOk()) && SUCCEEDED(ReadSceneArrays(database, ReaderOk, &arrays));
    }
    if (ok) {
        ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount, arrays.normals);
        ok = SUCCEEDED(ApplyMapTiling(&arrays)) && arrays.runs;
    }
    if (ok) {
        const std::string name(file);
        const size_t slash = name.find_last_of('/');
        TakeArrays(arrays, slash == std::string::npos ? std::string() : name.substr(0, slash + 1), park);
        MakeShadowData(park);
    } else {
        std::fprintf(stderr, "lean frame: %s could not be read\n", file);
    }
    FreeSceneArrays(&arrays);
    FreeSceneDatabase(&database);
    if (chunks)
        CloseChunkFile(chunks);
    ClearReaderErrors();
    return ok;
}

void VisibleParts(const LeanPark& park, const LeanView& view, std::vector<bool>* visible)
{
    const ViewFrustum frustum = ViewFrustumOf(view.eye, view.at, view.up);
    const D3DXMATRIX world = Identity();
    visible->resize(park.parts.size());
    for (size_t p = 0; p < park.parts.size(); ++p)
        (*visible)[p] = BoxMayBeVisible(frustum, PlaceBox(world, park.parts[p].low, park.parts[p].high));
}

void BuildLeanVolumes(LeanPark& park, const LeanView& view, LeanVolumes* out)
{
    const D3DXMATRIX world = Identity();
    const ViewFrustum frustum = ViewFrustumOf(view.eye, view.at, view.up);
    const NearPlane nearPlane = NearPlaneOf(view.eye, view.at, view.up);
    const size_t count = park.parts.size();
    std::vector<PlacedBox> boxes(count);
    // The light's reach: what it can light, the scissor around it on
    // screen, and how far a caster may stand and still shadow it.
    WorldBounds lit;
    float longestEdge = 0.0f;
    out->litParts.assign(count, false);
    for (size_t p = 0; p < count; ++p) {
        boxes[p] = PlaceBox(world, park.parts[p].low, park.parts[p].high);
        if (DistanceToBox(view.light, boxes[p]) > WithTolerance(view.range))
            continue;
        out->litParts[p] = BoxMayBeVisible(frustum, boxes[p]);
        longestEdge = fmaxf(longestEdge, park.parts[p].longestEdge);
        lit.Add(ClipToCube(boxes[p], view.light, WithTolerance(view.range + park.parts[p].longestEdge)));
    }
    const float castReach = WithTolerance(view.range + longestEdge);
    out->lightsAnything = ScreenRectOf(lit, view.eye, view.at, view.up, view.width, view.height, &out->scissor);

    const float floor = FloorUnder(park.lowest, view.light);
    const bool toFloor = view.eye.y > floor;
    std::vector<uint8_t> plans(count, 1);
    std::vector<float> starts(count, 1.0f), reaches(count, kShadowExtrusion);
    for (size_t p = 0; p < count; ++p) {
        if (toFloor)
            reaches[p] = ExtrusionToFloor(view.light, boxes[p], floor, 2.0f);
        if (!ShadowMayReachView(frustum, view.light, boxes[p]) || DistanceToBox(view.light, boxes[p]) > castReach) {
            plans[p] = 0;
            continue;
        }
        if (VolumeMayReachNearPlane(nearPlane, view.light, world, park.parts[p].low, park.parts[p].high)) {
            plans[p] = 2;
            starts[p] = CappedVolumeStart(view.light, view.eye, world, park.parts[p].low, park.parts[p].high);
        }
        reaches[p] = fmaxf(reaches[p], 2.0f * starts[p]);
    }

    // Built into the array, grown and built again when it is short.
    const ShadowMesh mesh = park.Mesh();
    for (;;) {
        uint64_t n = 0;
        auto into = [&](uint32_t* room) {
            *room = n < out->vertices.size() ? uint32_t(out->vertices.size() - n) : 0;
            return *room ? out->vertices.data() + n : nullptr;
        };
        uint32_t room = 0;
        for (uint8_t plan = 1; plan <= 2; ++plan) {
            for (size_t p = 0; p < count; ++p)
                if (plans[p] == plan) {
                    const ShadowMesh part = PartOf(mesh, park.parts[p].firstTriangle, park.parts[p].triangleCount);
                    D3DXVECTOR3* at = into(&room);
                    n += BuildShadowVolume(part, view.light, at, room, starts[p], reaches[p]);
                }
            if (plan == 1)
                out->passVertices = uint32_t(n);
        }
        for (size_t p = 0; p < count; ++p)
            if (plans[p] == 2) {
                const ShadowMesh part = PartOf(mesh, park.parts[p].firstTriangle, park.parts[p].triangleCount);
                D3DXVECTOR3* at = into(&room);
                n += BuildShadowCaps(part, view.light, at, room, starts[p], reaches[p]);
            }
        out->totalVertices = uint32_t(n);
        if (n <= out->vertices.size())
            return;
        out->vertices.resize(n + n / 4);
    }
}
