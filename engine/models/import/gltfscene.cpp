#include "models/import/gltfscene.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <new>

namespace {

void Transform(const GltfMatrix& m, const float* p, double w, double out[3])
{
    for (int row = 0; row < 3; ++row)
        out[row] = m.m[row] * p[0] + m.m[4 + row] * p[1] + m.m[8 + row] * p[2] + m.m[12 + row] * w;
}

// Normals go through the inverse transpose; its cofactor form differs only
// by the determinant's factor, which the normalisation removes (its sign is
// kept so a mirroring node turns normals with its faces).
GltfMatrix NormalMatrix(const GltfMatrix& m)
{
    const double* a = m.m;
    auto at = [&](int row, int column) { return a[column * 4 + row]; };
    GltfMatrix n = {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            n.m[c * 4 + r] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
        }
    double det = at(0, 0) * n.m[0] + at(0, 1) * n.m[4] + at(0, 2) * n.m[8];
    if (det < 0)
        for (double& v : n.m)
            v = -v;
    return n;
}

D3DXVECTOR3 Unit(const D3DXVECTOR3& v)
{
    float length = sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 1e-20f ? D3DXVECTOR3(v.x / length, v.y / length, v.z / length) : D3DXVECTOR3(0, 0, 0);
}

}  // namespace

void GltfFaceNormals(const D3DXVECTOR3* positions, const uint32_t* indices, uint32_t indexCount, uint32_t first,
                 uint32_t count, D3DXVECTOR3* normals)
{
    for (uint32_t i = 0; i + 2 < indexCount; i += 3) {
        const D3DXVECTOR3 &p0 = positions[indices[i]], &p1 = positions[indices[i + 1]], &p2 = positions[indices[i + 2]];
        D3DXVECTOR3 a = p2 - p1, b = p1 - p0;
        D3DXVECTOR3 face = Unit(D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x));
        for (int k = 0; k < 3; ++k)
            normals[indices[i + k]] += face;
    }
    for (uint32_t v = first; v < first + count; ++v)
        normals[v] = Unit(normals[v]);
}

namespace {

// A vertex's texture coordinates through its material's texture transform:
// scaled, turned counter-clockwise in texture space, then offset.
D3DXVECTOR2 TextureCoordinates(const GltfContent& content, const GltfPrimitive& primitive, uint32_t v)
{
    float u = primitive.texCoords[2 * v], t = primitive.texCoords[2 * v + 1];
    if (primitive.material < 0)
        return D3DXVECTOR2(u, t);
    const GltfMaterial& material = content.materials[primitive.material];
    u *= material.uvScale[0];
    t *= material.uvScale[1];
    float c = cosf(material.uvRotation), s = sinf(material.uvRotation);
    return D3DXVECTOR2(c * u - s * t + material.uvOffset[0], s * u + c * t + material.uvOffset[1]);
}

void SetMaterial(SceneMaterial* to, const char* name, const float* colour)
{
    snprintf(to->name, sizeof to->name, "%s", name);
    to->material.Diffuse = {colour[0], colour[1], colour[2], colour[3]};
    to->material.Ambient = {colour[0], colour[1], colour[2], colour[3]};
    to->material.Specular = {0, 0, 0, 0};
    to->material.Emissive = {0, 0, 0, 0};
    to->material.Power = 0;
}

}  // namespace

const GltfImage* GltfEmbeddedImage(const GltfContent& content, uint32_t material)
{
    if (material >= content.materials.size() || content.materials[material].image < 0)
        return nullptr;
    const GltfImage& image = content.images[content.materials[material].image];
    return image.bytes.empty() ? nullptr : &image;
}

HRESULT BuildGltfScene(const GltfContent& content, SceneArrays* out)
{
    *out = SceneArrays();
    out->boxMin = D3DXVECTOR3(1e38f, 1e38f, 1e38f);
    out->boxMax = D3DXVECTOR3(-1e38f, -1e38f, -1e38f);
    uint64_t vertices = 0, indices = 0;
    bool defaultMaterial = false, texCoords = false;
    for (const GltfNode& node : content.nodes) {
        if (!node.inScene || node.mesh < 0)
            continue;
        out->meshCount++;
        for (const GltfPrimitive& primitive : content.meshes[node.mesh].primitives) {
            vertices += primitive.positions.size() / 3;
            indices += primitive.indices.size();
            defaultMaterial |= primitive.material < 0;
            texCoords |= !primitive.texCoords.empty();
        }
    }
    out->faceCount = (uint32_t)(indices / 3 > 0xFFFFFFFFu ? 0xFFFFFFFFu : indices / 3);
    out->fileVertexCount = (uint32_t)(vertices > 0xFFFFFFFFu ? 0xFFFFFFFFu : vertices);
    if (vertices > kMostSceneVertices || indices > 0xFFFFFFFFu) {
        out->fault = SCENE_FAULT_TOO_MANY_VERTICES;
        return E_FAIL;
    }
    uint32_t fileMaterials = (uint32_t)content.materials.size();
    out->materialCount = fileMaterials + (defaultMaterial || fileMaterials == 0 ? 1 : 0);
    out->vertexCount = (uint32_t)vertices;
    out->indexCount = (uint32_t)indices;
    out->materials = new (std::nothrow) SceneMaterial[out->materialCount]();
    out->positions = new (std::nothrow) D3DXVECTOR3[vertices ? vertices : 1]();
    out->normals = new (std::nothrow) D3DXVECTOR3[vertices ? vertices : 1]();
    out->indices = new (std::nothrow) uint32_t[indices ? indices : 1]();
    if (texCoords)
        out->texCoords = new (std::nothrow) D3DXVECTOR2[vertices ? vertices : 1]();
    uint32_t* materialOf = new (std::nothrow) uint32_t[indices / 3 + 1];
    if (!out->materials || !out->positions || !out->normals || !out->indices || (texCoords && !out->texCoords) ||
        !materialOf) {
        delete[] materialOf;
        return E_OUTOFMEMORY;
    }
    for (uint32_t m = 0; m < fileMaterials; ++m)
        SetMaterial(&out->materials[m], content.materials[m].name.c_str(), content.materials[m].baseColor);
    if (out->materialCount > fileMaterials) {
        const float grey[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        SetMaterial(&out->materials[fileMaterials], kSceneDefaultMaterial, grey);
    }
    for (uint32_t m = 0; m < fileMaterials; ++m) {
        int image = content.materials[m].image;
        if (image >= 0 && content.images[image].bytes.empty())
            snprintf(out->materials[m].textureMap, sizeof out->materials[m].textureMap, "%s",
                     content.images[image].uri.c_str());
    }

    // Unsorted triangles first, each with its material, then a counting sort.
    uint32_t* unsorted = new (std::nothrow) uint32_t[indices ? indices : 1];
    if (!unsorted) {
        delete[] materialOf;
        return E_OUTOFMEMORY;
    }
    uint32_t base = 0, corner = 0;
    for (size_t n = 0; n < content.nodes.size(); ++n) {
        const GltfNode& node = content.nodes[n];
        if (!node.inScene || node.mesh < 0)
            continue;
        GltfMatrix world = GltfWorldMatrix(content, (int)n);
        GltfMatrix normalMatrix = NormalMatrix(world);
        for (const GltfPrimitive& primitive : content.meshes[node.mesh].primitives) {
            uint32_t count = (uint32_t)(primitive.positions.size() / 3);
            for (uint32_t v = 0; v < count; ++v) {
                double p[3];
                float e[3];
                Transform(world, &primitive.positions[3 * v], 1.0, p);
                GltfToEngine(p, e);
                out->positions[base + v] = D3DXVECTOR3(e[0], e[1], e[2]);
                if (!primitive.normals.empty()) {
                    Transform(normalMatrix, &primitive.normals[3 * v], 0.0, p);
                    GltfToEngine(p, e);
                    out->normals[base + v] = Unit(D3DXVECTOR3(e[0], e[1], e[2]));
                }
                if (!primitive.texCoords.empty())
                    out->texCoords[base + v] = TextureCoordinates(content, primitive, v);
            }
            uint32_t material = primitive.material < 0 ? fileMaterials : (uint32_t)primitive.material;
            for (size_t i = 0; i < primitive.indices.size(); ++i)
                unsorted[corner + i] = (uint32_t)(base + primitive.indices[i]);
            if (primitive.normals.empty())
                GltfFaceNormals(out->positions, unsorted + corner, (uint32_t)primitive.indices.size(), base, count,
                            out->normals);
            for (size_t t = 0; t < primitive.indices.size() / 3; ++t)
                materialOf[corner / 3 + t] = material;
            corner += (uint32_t)primitive.indices.size();
            base += count;
        }
    }
    // Counting sort by material: each material's run starts where the
    // triangles of the materials before it end.
    uint32_t* next = new (std::nothrow) uint32_t[out->materialCount + 1]();
    if (!next) {
        delete[] unsorted;
        delete[] materialOf;
        return E_OUTOFMEMORY;
    }
    for (uint32_t t = 0; t < corner / 3; ++t)
        out->materials[materialOf[t]].indexCount += 3;
    for (uint32_t m = 0, running = 0; m < out->materialCount; ++m) {
        out->materials[m].startIndex = next[m] = running;
        running += out->materials[m].indexCount;
    }
    for (uint32_t t = 0; t < corner / 3; ++t) {
        memcpy(&out->indices[next[materialOf[t]]], &unsorted[3 * t], 3 * sizeof(uint32_t));
        next[materialOf[t]] += 3;
    }
    delete[] next;
    delete[] unsorted;
    delete[] materialOf;
    for (uint32_t v = 0; v < out->vertexCount; ++v) {
        D3DXVECTOR3& p = out->positions[v];
        out->boxMin = D3DXVECTOR3(fminf(out->boxMin.x, p.x), fminf(out->boxMin.y, p.y), fminf(out->boxMin.z, p.z));
        out->boxMax = D3DXVECTOR3(fmaxf(out->boxMax.x, p.x), fmaxf(out->boxMax.y, p.y), fmaxf(out->boxMax.z, p.z));
    }
    return S_OK;
}
