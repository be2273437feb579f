#include "test_model.h"

#include <math.h>
#include <string.h>

#include <new>

namespace {

struct Vertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};
const DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL;

D3DXVECTOR3 FacingNormal(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2)
{
    D3DXVECTOR3 a = p2 - p1, b = p1 - p0, n;
    D3DXVec3Cross(&n, &a, &b);
    return n;
}

// Turns every triangle whose facing normal points towards `inside` around.
void OrientAwayFrom(MeshData* mesh, const D3DXVECTOR3& inside)
{
    for (size_t t = 0; t + 2 < mesh->indices.size(); t += 3) {
        WORD* tri = &mesh->indices[t];
        const D3DXVECTOR3& p0 = mesh->positions[tri[0]];
        const D3DXVECTOR3& p1 = mesh->positions[tri[1]];
        const D3DXVECTOR3& p2 = mesh->positions[tri[2]];
        D3DXVECTOR3 centroid = (p0 + p1 + p2) / 3.0f;
        D3DXVECTOR3 out = centroid - inside;
        D3DXVECTOR3 normal = FacingNormal(p0, p1, p2);
        if (D3DXVec3Dot(&out, &normal) < 0.0f) {
            WORD swap = tri[1];
            tri[1] = tri[2];
            tri[2] = swap;
        }
    }
}

void AddQuad(MeshData* mesh, WORD a, WORD b, WORD c, WORD d)
{
    const WORD quad[6] = {a, b, c, a, c, d};
    mesh->indices.insert(mesh->indices.end(), quad, quad + 6);
}

}  // namespace

MeshData MakeBox(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi)
{
    MeshData mesh;
    for (int i = 0; i < 8; ++i)
        mesh.positions.push_back(D3DXVECTOR3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z));
    AddQuad(&mesh, 0, 1, 3, 2);  // z low
    AddQuad(&mesh, 4, 5, 7, 6);  // z high
    AddQuad(&mesh, 0, 1, 5, 4);  // y low
    AddQuad(&mesh, 2, 3, 7, 6);  // y high
    AddQuad(&mesh, 0, 2, 6, 4);  // x low
    AddQuad(&mesh, 1, 3, 7, 5);  // x high
    OrientAwayFrom(&mesh, (lo + hi) / 2.0f);
    return mesh;
}

MeshData MakePlane(float halfSize, float y, int cells)
{
    MeshData mesh;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i)
            mesh.positions.push_back(D3DXVECTOR3(-halfSize + 2.0f * halfSize * float(i) / float(cells), y,
                                                 -halfSize + 2.0f * halfSize * float(j) / float(cells)));
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            WORD a = WORD(j * (cells + 1) + i);
            AddQuad(&mesh, a, WORD(a + 1), WORD(a + cells + 2), WORD(a + cells + 1));
        }
    OrientAwayFrom(&mesh, D3DXVECTOR3(0.0f, y - 1.0e4f, 0.0f));
    return mesh;
}

MeshData MakeSphere(const D3DXVECTOR3& centre, float radius, int slices, int stacks)
{
    MeshData mesh;
    const float pi = 3.14159265f;
    mesh.positions.push_back(centre + D3DXVECTOR3(0, radius, 0));
    for (int r = 1; r < stacks; ++r)
        for (int s = 0; s < slices; ++s) {
            float polar = pi * float(r) / float(stacks), azimuth = 2.0f * pi * float(s) / float(slices);
            mesh.positions.push_back(centre + D3DXVECTOR3(radius * sinf(polar) * cosf(azimuth), radius * cosf(polar),
                                                          radius * sinf(polar) * sinf(azimuth)));
        }
    const WORD bottom = WORD(mesh.positions.size());
    mesh.positions.push_back(centre - D3DXVECTOR3(0, radius, 0));
    auto ring = [&](int r, int s) { return WORD(1 + (r - 1) * slices + (s % slices)); };
    for (int s = 0; s < slices; ++s) {
        const WORD top[3] = {0, ring(1, s), ring(1, s + 1)};
        const WORD low[3] = {bottom, ring(stacks - 1, s + 1), ring(stacks - 1, s)};
        mesh.indices.insert(mesh.indices.end(), top, top + 3);
        mesh.indices.insert(mesh.indices.end(), low, low + 3);
        for (int r = 1; r + 1 < stacks; ++r)
            AddQuad(&mesh, ring(r, s), ring(r, s + 1), ring(r + 1, s + 1), ring(r + 1, s));
    }
    OrientAwayFrom(&mesh, centre);
    return mesh;
}

TestModel::TestModel(IGraphics* owner, const char* modelName) : graphics(owner), name(modelName)
{
    material.Diffuse = material.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    graphics->AddRef();
}

TestModel::~TestModel()
{
    if (vertices)
        vertices->Release();
    if (indices)
        indices->Release();
    if (removeOnDestroy)
        graphics->RemoveGeometry(this);
    graphics->Release();
    if (destroyed)
        *destroyed = true;
}

HRESULT TestModel::Create(IGraphics* graphics, const MeshData& mesh, const char* name, TestModel** out)
{
    if (!graphics || !out || mesh.positions.empty() || mesh.indices.size() < 3)
        return E_INVALIDARG;
    TestModel* model = new (std::nothrow) TestModel(graphics, name);
    if (!model)
        return E_OUTOFMEMORY;
    model->AddRef();
    model->removeOnDestroy = false;  // not registered yet
    model->vertexCount = (uint32_t)mesh.positions.size();
    model->triangleCount = (uint32_t)mesh.indices.size() / 3;

    // Smooth normals: the facing normals of the triangles around each vertex.
    std::vector<D3DXVECTOR3> normals(mesh.positions.size(), D3DXVECTOR3(0, 0, 0));
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const WORD* tri = &mesh.indices[t];
        D3DXVECTOR3 n = FacingNormal(mesh.positions[tri[0]], mesh.positions[tri[1]], mesh.positions[tri[2]]);
        D3DXVec3Normalize(&n, &n);
        for (int k = 0; k < 3; ++k)
            normals[tri[k]] += n;
    }
    model->boxMin = model->boxMax = mesh.positions[0];
    HRESULT result = graphics->CreateVB(kVertexFormat, model->vertexCount, false, &model->vertices);
    void* data = nullptr;
    D3DXVECTOR3* kept = nullptr;
    if (SUCCEEDED(result))
        result = model->vertices->Lock(&data, &kept);
    if (SUCCEEDED(result)) {
        Vertex* vertex = static_cast<Vertex*>(data);
        for (size_t i = 0; i < mesh.positions.size(); ++i) {
            const D3DXVECTOR3& p = mesh.positions[i];
            D3DXVec3Normalize(&vertex[i].normal, &normals[i]);
            vertex[i].position = kept[i] = p;
            model->boxMin = D3DXVECTOR3(fminf(model->boxMin.x, p.x), fminf(model->boxMin.y, p.y),
                                        fminf(model->boxMin.z, p.z));
            model->boxMax = D3DXVECTOR3(fmaxf(model->boxMax.x, p.x), fmaxf(model->boxMax.y, p.y),
                                        fmaxf(model->boxMax.z, p.z));
        }
        result = model->vertices->Unlock();
    }
    if (SUCCEEDED(result))
        result = graphics->CreateIB((uint32_t)mesh.indices.size(), false, &model->indices);
    WORD* keptIndices = nullptr;
    if (SUCCEEDED(result))
        result = model->indices->Lock(&data, &keptIndices);
    if (SUCCEEDED(result)) {
        memcpy(data, mesh.indices.data(), mesh.indices.size() * sizeof(WORD));
        memcpy(keptIndices, mesh.indices.data(), mesh.indices.size() * sizeof(WORD));
        result = model->indices->Unlock();
    }
    if (SUCCEEDED(result))
        result = graphics->AddGeometry(model);
    if (FAILED(result)) {
        model->Release();
        return result;
    }
    model->removeOnDestroy = true;
    *out = model;
    return S_OK;
}

HRESULT TestModel::CreateParts(IGraphics* graphics, const std::vector<MeshData>& meshes, const char* name,
                               TestModel** out)
{
    MeshData all;
    std::vector<ShadowPart> parts;
    for (const MeshData& mesh : meshes) {
        const WORD base = WORD(all.positions.size());
        ShadowPart part = {uint32_t(all.indices.size() / 3), uint32_t(mesh.indices.size() / 3), mesh.positions[0],
                           mesh.positions[0], 0.0f};
        for (const D3DXVECTOR3& p : mesh.positions) {
            part.low = D3DXVECTOR3(fminf(part.low.x, p.x), fminf(part.low.y, p.y), fminf(part.low.z, p.z));
            part.high = D3DXVECTOR3(fmaxf(part.high.x, p.x), fmaxf(part.high.y, p.y), fmaxf(part.high.z, p.z));
            all.positions.push_back(p);
        }
        for (size_t i = 0; i < mesh.indices.size(); ++i) {
            const D3DXVECTOR3 edge = mesh.positions[mesh.indices[i]] - mesh.positions[mesh.indices[i - i % 3 + (i + 1) % 3]];
            part.longestEdge = fmaxf(part.longestEdge, D3DXVec3Length(&edge));
            all.indices.push_back(WORD(base + mesh.indices[i]));
        }
        parts.push_back(part);
    }
    HRESULT result = Create(graphics, all, name, out);
    if (SUCCEEDED(result))
        (*out)->parts = parts;
    return result;
}

HRESULT TestModel::Clone(IGeometry** out)
{
    return out ? E_FAIL : E_INVALIDARG;
}

HRESULT TestModel::Update(float)
{
    if (calls)
        calls->push_back("update " + name);
    if (onUpdate) {
        lastUpdateHook = onUpdate(graphics);
        onUpdate = nullptr;
    }
    return S_OK;
}

HRESULT TestModel::Render()
{
    return RenderParts(nullptr);
}

HRESULT TestModel::RenderParts(const bool* visible)
{
    std::vector<bool> drawn(parts.empty() ? 1 : parts.size(), true);
    for (size_t p = 0; visible && p < parts.size(); ++p)
        drawn[p] = visible[p];
    partsDrawn.push_back(drawn);
    if (calls)
        calls->push_back("render " + name);
    IDirect3DDevice9* device = graphics->GetDevice();
    statesAtRender.clear();
    for (D3DRENDERSTATETYPE state : {D3DRS_CULLMODE, D3DRS_STENCILPASS, D3DRS_STENCILZFAIL, D3DRS_ZFUNC,
                                     D3DRS_TWOSIDEDSTENCILMODE}) {
        DWORD value = 0;
        device->GetRenderState(state, &value);
        statesAtRender.push_back(value);
    }
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetMaterial(&material);
    HRESULT result = vertices->Active(0);
    if (SUCCEEDED(result))
        result = indices->Active();
    if (parts.empty()) {
        if (SUCCEEDED(result))
            result = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
        return result;
    }
    for (size_t p = 0; p < parts.size() && SUCCEEDED(result); ++p)
        if (drawn[p])
            result = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 3 * parts[p].firstTriangle,
                                                  parts[p].triangleCount);
    return result;
}

HRESULT TestModel::GetCreationParams(EngineString* type, EngineString* command)
{
    if (!type || !command)
        return E_INVALIDARG;
    *type = "test";
    *command = name.c_str();
    return S_OK;
}

HRESULT TestModel::GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum)
{
    if (!minimum || !maximum)
        return E_INVALIDARG;
    *minimum = boxMin;
    *maximum = boxMax;
    return S_OK;
}

HRESULT TestModel::GetShadowInfos(ShadowInfos* out)
{
    if (!out)
        return E_FAIL;
    if (onShadowInfos) {
        onShadowInfos();
        onShadowInfos = nullptr;
    }
    out->vertices = hasShadowData ? vertices : nullptr;
    out->indices = hasShadowData ? indices : nullptr;
    out->parts = parts.empty() ? nullptr : parts.data();
    out->partCount = uint32_t(parts.size());
    return S_OK;
}

namespace {
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
}  // namespace

HRESULT TestOverlay::Create(IGraphics* graphics, RECT area, D3DCOLOR colour, TestOverlay** out)
{
    TestOverlay* overlay = new (std::nothrow) TestOverlay(graphics);
    if (!overlay)
        return E_OUTOFMEMORY;
    graphics->AddRef();
    overlay->AddRef();
    const float left = float(area.left), top = float(area.top), right = float(area.right),
                bottom = float(area.bottom);
    const ScreenVertex quad[6] = {
        {left, top, 0.0f, 1.0f, colour},     {right, top, 0.0f, 1.0f, colour},
        {right, bottom, 0.0f, 1.0f, colour}, {left, top, 0.0f, 1.0f, colour},
        {right, bottom, 0.0f, 1.0f, colour}, {left, bottom, 0.0f, 1.0f, colour},
    };
    HRESULT result = graphics->CreateVB(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 6, false, &overlay->quad);
    void* data = nullptr;
    if (SUCCEEDED(result))
        result = overlay->quad->Lock(&data, nullptr);
    if (SUCCEEDED(result)) {
        memcpy(data, quad, sizeof quad);
        result = overlay->quad->Unlock();
    }
    if (SUCCEEDED(result))
        result = graphics->AddGeometry(overlay);
    if (FAILED(result)) {
        overlay->registered = false;
        overlay->Release();
        return result;
    }
    *out = overlay;
    return S_OK;
}

TestOverlay::~TestOverlay()
{
    if (quad)
        quad->Release();
    if (registered)
        graphics->RemoveGeometry(this);
    graphics->Release();
}

HRESULT TestOverlay::Update(float)
{
    if (calls)
        calls->push_back("update overlay");
    return S_OK;
}

HRESULT TestOverlay::Render()
{
    if (calls)
        calls->push_back("render overlay");
    IDirect3DDevice9* device = graphics->GetDevice();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    HRESULT result = quad->Active(0);
    return FAILED(result) ? result : device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
}
