#include "shadow_raycast.h"

#include <math.h>

namespace {

struct Ray {
    D3DXVECTOR3 origin, direction;
};

// Moller-Trumbore: the distance along the ray, or a negative number.
float HitTriangle(const Ray& ray, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c)
{
    D3DXVECTOR3 ab = b - a, ac = c - a, p, q;
    D3DXVec3Cross(&p, &ray.direction, &ac);
    const float det = D3DXVec3Dot(&ab, &p);
    if (fabsf(det) < 1e-12f)
        return -1.0f;
    const float inverse = 1.0f / det;
    const D3DXVECTOR3 s = ray.origin - a;
    const float u = D3DXVec3Dot(&s, &p) * inverse;
    if (u < 0.0f || u > 1.0f)
        return -1.0f;
    D3DXVec3Cross(&q, &s, &ab);
    const float v = D3DXVec3Dot(&ray.direction, &q) * inverse;
    if (v < 0.0f || u + v > 1.0f)
        return -1.0f;
    return D3DXVec3Dot(&ac, &q) * inverse;
}

struct Bounds {
    D3DXVECTOR3 centre;
    float radius;
};

Bounds BoundsOf(const MeshData& mesh)
{
    D3DXVECTOR3 low = mesh.positions[0], high = mesh.positions[0];
    for (const D3DXVECTOR3& p : mesh.positions) {
        low = D3DXVECTOR3(fminf(low.x, p.x), fminf(low.y, p.y), fminf(low.z, p.z));
        high = D3DXVECTOR3(fmaxf(high.x, p.x), fmaxf(high.y, p.y), fmaxf(high.z, p.z));
    }
    D3DXVECTOR3 half = (high - low) * 0.5f;
    return Bounds{low + half, D3DXVec3Length(&half) + 1e-3f};
}

bool MayHit(const Ray& ray, const Bounds& bounds)
{
    const D3DXVECTOR3 toCentre = bounds.centre - ray.origin;
    const float along = D3DXVec3Dot(&toCentre, &ray.direction) / D3DXVec3LengthSq(&ray.direction);
    const D3DXVECTOR3 nearest = ray.origin + ray.direction * fmaxf(along, 0.0f) - bounds.centre;
    return D3DXVec3LengthSq(&nearest) <= bounds.radius * bounds.radius;
}

// The nearest hit beyond `from` and before `to` (in units of the direction).
float Nearest(const RayCastScene& scene, const std::vector<Bounds>& bounds, const Ray& ray, float from, float to,
              int* mesh, size_t* triangle)
{
    float best = to;
    for (size_t m = 0; m < scene.meshes.size(); ++m) {
        if (!MayHit(ray, bounds[m]))
            continue;
        const MeshData& data = scene.meshes[m];
        for (size_t t = 0; t + 2 < data.indices.size(); t += 3) {
            const float d = HitTriangle(ray, data.positions[data.indices[t]], data.positions[data.indices[t + 1]],
                                        data.positions[data.indices[t + 2]]);
            if (d > from && d < best) {
                best = d;
                if (mesh)
                    *mesh = int(m);
                if (triangle)
                    *triangle = t;
            }
        }
    }
    return best;
}

}  // namespace

bool RayCastPicture::Settled(uint32_t x, uint32_t y, int radius) const
{
    const size_t centre = size_t(y) * width + x;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int nx = int(x) + dx, ny = int(y) + dy;
            if (nx < 0 || ny < 0 || nx >= int(width) || ny >= int(height))
                return false;
            const size_t i = size_t(ny) * width + size_t(nx);
            if (labels[i] != labels[centre] || seen[i] != seen[centre])
                return false;
        }
    return true;
}

RayCastPicture CastShadows(const RayCastScene& scene, uint32_t width, uint32_t height)
{
    RayCastPicture picture;
    picture.width = width;
    picture.height = height;
    picture.labels.assign(size_t(width) * height, kNothing);
    picture.seen.assign(size_t(width) * height, -1);
    std::vector<Bounds> bounds;
    for (const MeshData& mesh : scene.meshes)
        bounds.push_back(BoundsOf(mesh));

    // The view's axes as D3DXMatrixLookAtLH makes them, and the projection's
    // scales (field of view pi/4, aspect 4/3).
    D3DXVECTOR3 forward = scene.at - scene.eye, right, top;
    D3DXVec3Normalize(&forward, &forward);
    D3DXVec3Cross(&right, &scene.up, &forward);
    D3DXVec3Normalize(&right, &right);
    D3DXVec3Cross(&top, &forward, &right);
    const float ys = 1.0f / tanf(0.7853982f / 2.0f), xs = ys / (4.0f / 3.0f);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            // Direct3D 9 pixel centres lie on whole screen coordinates.
            const float nx = 2.0f * float(x) / float(width) - 1.0f, ny = 1.0f - 2.0f * float(y) / float(height);
            Ray view = {scene.eye, forward + right * (nx / xs) + top * (ny / ys)};
            int mesh = -1;
            size_t triangle = 0;
            // Nothing nearer than the near plane (5 along the view axis) is drawn.
            const float hit = Nearest(scene, bounds, view, 5.0f, 1e9f, &mesh, &triangle);
            if (mesh < 0)
                continue;
            const size_t i = size_t(y) * width + x;
            picture.seen[i] = mesh;
            const MeshData& seenMesh = scene.meshes[size_t(mesh)];
            const D3DXVECTOR3 &p0 = seenMesh.positions[seenMesh.indices[triangle]],
                              &p1 = seenMesh.positions[seenMesh.indices[triangle + 1]],
                              &p2 = seenMesh.positions[seenMesh.indices[triangle + 2]];
            D3DXVECTOR3 a = p2 - p1, b = p1 - p0, normal, toLight = scene.light - p0;
            D3DXVec3Cross(&normal, &a, &b);
            const bool facesLight = D3DXVec3Dot(&normal, &toLight) >= 0.0f;
            const D3DXVECTOR3 point = view.origin + view.direction * hit;
            Ray shadow = {point, scene.light - point};
            const bool blocked = Nearest(scene, bounds, shadow, 1e-4f, 1.0f - 1e-4f, nullptr, nullptr) < 1.0f - 1e-4f;
            picture.labels[i] = facesLight && !blocked ? kLit : kShadowed;
        }
    return picture;
}

StencilComparison CompareStencil(const RayCastPicture& expected, const std::vector<uint8_t>& stencil)
{
    StencilComparison result;
    for (uint32_t y = 0; y < expected.height; y += 2)
        for (uint32_t x = 0; x < expected.width; x += 2) {
            const size_t i = size_t(y) * expected.width + x;
            if (expected.labels[i] == kNothing || !expected.Settled(x, y, 2))
                continue;
            const bool shadowed = expected.labels[i] == kShadowed;
            ++(shadowed ? result.shadowed : result.lit);
            if (shadowed != (stencil[i] != 0))
                ++result.wrong;
        }
    return result;
}
