// Fixed-function lighting against Direct3D 9's equations evaluated on the
// processor: per vertex in camera space, then interpolated.
#include "device_fixture.h"

#include <d3dx9.h>

#include <math.h>

namespace {

struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR color;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

// The two colours a lit vertex carries: they are interpolated separately
// and added per pixel.
struct Lit {
    float diffuse[3], specular[3];
};

float Dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3DVECTOR Sub(const D3DVECTOR& a, const D3DVECTOR& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3DVECTOR Norm(const D3DVECTOR& v)
{
    float l = sqrtf(Dot(v, v));
    return {v.x / l, v.y / l, v.z / l};
}

// The documented equation for one vertex, world = view = identity so that
// camera space is the vertex's own space; the viewer sits at the origin.
Lit LightVertex(const LitVertex& v, const D3DLIGHT9& light, const D3DMATERIAL9& m, D3DCOLOR globalAmbient,
                   bool specular)
{
    D3DVECTOR P = {v.x, v.y, v.z}, N = {v.nx, v.ny, v.nz}, L;
    float atten = 1, spot = 1;
    if (light.Type == D3DLIGHT_DIRECTIONAL) {
        L = Norm({-light.Direction.x, -light.Direction.y, -light.Direction.z});
    } else {
        D3DVECTOR toLight = Sub(light.Position, P);
        float d = sqrtf(Dot(toLight, toLight));
        L = Norm(toLight);
        atten = d > light.Range ? 0 : 1 / (light.Attenuation0 + light.Attenuation1 * d + light.Attenuation2 * d * d);
        if (light.Type == D3DLIGHT_SPOT) {
            float rho = Dot(Norm(Sub(P, light.Position)), Norm(light.Direction));
            float ct = cosf(light.Theta / 2), cp = cosf(light.Phi / 2);
            spot = rho > ct ? 1 : (rho <= cp ? 0 : powf((rho - cp) / (ct - cp), light.Falloff));
        }
    }
    float f = atten * spot, nl = fmaxf(Dot(N, L), 0), spec = 0;
    if (specular && nl > 0) {
        D3DVECTOR V = Norm({-P.x, -P.y, -P.z});
        D3DVECTOR H = Norm({V.x + L.x, V.y + L.y, V.z + L.z});
        float nh = Dot(N, H);
        spec = nh > 0 ? powf(nh, m.Power) * f : 0;
    }
    // Diffuse from the vertex colour (COLOR1), ambient and emissive from the material.
    float cd[3] = {((v.color >> 16) & 0xFF) / 255.0f, ((v.color >> 8) & 0xFF) / 255.0f, (v.color & 0xFF) / 255.0f};
    float ga[3] = {((globalAmbient >> 16) & 0xFF) / 255.0f, ((globalAmbient >> 8) & 0xFF) / 255.0f,
                   (globalAmbient & 0xFF) / 255.0f};
    const float* ca = &m.Ambient.r;
    const float* ce = &m.Emissive.r;
    const float* cs = &m.Specular.r;
    const float* la = &light.Ambient.r;
    const float* ld = &light.Diffuse.r;
    const float* ls = &light.Specular.r;
    Lit out;
    for (int i = 0; i < 3; ++i) {
        out.diffuse[i] = fminf(ca[i] * (ga[i] + la[i] * f) + cd[i] * ld[i] * nl * f + ce[i], 1.0f);
        out.specular[i] = fminf(cs[i] * ls[i] * spec, 1.0f);
    }
    return out;
}

struct LightCase {
    const char* name;
    D3DLIGHT9 light;
    bool specular;
};

D3DLIGHT9 MakeLight(D3DLIGHTTYPE type, D3DVECTOR position, D3DVECTOR direction, float range, float a0, float a1,
                    float a2, float theta = 0, float phi = 0, float falloff = 1)
{
    D3DLIGHT9 l = {};
    l.Type = type;
    l.Diffuse = {0.9f, 0.7f, 0.5f, 1};
    l.Specular = {0.4f, 0.4f, 0.4f, 1};
    l.Ambient = {0.1f, 0.2f, 0.05f, 1};
    l.Position = position;
    l.Direction = direction;
    l.Range = range;
    l.Attenuation0 = a0;
    l.Attenuation1 = a1;
    l.Attenuation2 = a2;
    l.Theta = theta;
    l.Phi = phi;
    l.Falloff = falloff;
    return l;
}

class LightingTest : public DeviceTest, public ::testing::WithParamInterface<LightCase> {};

TEST_P(LightingTest, VertexColourEqualsTheDirect3DEquation)
{
    const LightCase& c = GetParam();
    // A triangle in the plane z = 2 facing the viewer; the projection only
    // scales x and y (w stays 1), so colours interpolate linearly on screen.
    LitVertex v[3] = {{-0.8f, 0.8f, 2.0f, 0.0f, 0.0f, -1.0f, 0xFFFFC080},
                      {0.8f, 0.8f, 2.0f, 0.3f, 0.0f, -0.954f, 0xFF80FFC0},
                      {-0.8f, -0.8f, 2.0f, 0.0f, -0.3f, -0.954f, 0xFFC080FF}};
    D3DMATERIAL9 material = {};
    material.Ambient = {0.5f, 0.8f, 1.0f, 1};
    material.Specular = {1, 0.5f, 0.25f, 1};
    material.Emissive = {0.05f, 0.0f, 0.1f, 1};
    material.Power = 8;
    const D3DCOLOR ambient = 0xFF202040;
    D3DXMATRIX projection(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, ambient);
    device->SetRenderState(D3DRS_SPECULARENABLE, c.specular);
    device->SetMaterial(&material);
    device->SetLight(0, &c.light);
    device->LightEnable(0, TRUE);
    Clear(0xFF000000);
    Draw(v, 3, sizeof(LitVertex), kLitFvf, D3DPT_TRIANGLELIST);
    std::vector<uint32_t> frame = Frame();
    // Screen positions of the vertices and a few samples by barycentric weight.
    Lit lit[3];
    for (int i = 0; i < 3; ++i)
        lit[i] = LightVertex(v[i], c.light, material, ambient, c.specular);
    const float weights[][3] = {{0.9f, 0.05f, 0.05f}, {0.05f, 0.9f, 0.05f}, {0.05f, 0.05f, 0.9f}, {0.34f, 0.33f, 0.33f}};
    for (const auto& w : weights) {
        float sx = 0, sy = 0;
        for (int i = 0; i < 3; ++i) {
            sx += w[i] * (v[i].x + 1) * kSize / 2;
            sy += w[i] * (1 - v[i].y) * kSize / 2;
        }
        int px = (int)lroundf(sx), py = (int)lroundf(sy);
        // Re-weight for the pixel centre actually sampled.
        float x = (float)px, y = (float)py;
        float x0 = (v[0].x + 1) * kSize / 2, y0 = (1 - v[0].y) * kSize / 2;
        float x1 = (v[1].x + 1) * kSize / 2, y2 = (1 - v[2].y) * kSize / 2;
        float b1 = (x - x0) / (x1 - x0), b2 = (y - y0) / (y2 - y0), b0 = 1 - b1 - b2;
        float want[3];
        for (int k = 0; k < 3; ++k) {
            float d = b0 * lit[0].diffuse[k] + b1 * lit[1].diffuse[k] + b2 * lit[2].diffuse[k];
            float sp = b0 * lit[0].specular[k] + b1 * lit[1].specular[k] + b2 * lit[2].specular[k];
            want[k] = fminf(d + sp, 1.0f);
        }
        uint32_t pixel = At(frame, px, py);
        EXPECT_NEAR(((pixel >> 16) & 0xFF) / 255.0f, want[0], 2.0f / 255) << px << "," << py;
        EXPECT_NEAR(((pixel >> 8) & 0xFF) / 255.0f, want[1], 2.0f / 255) << px << "," << py;
        EXPECT_NEAR((pixel & 0xFF) / 255.0f, want[2], 2.0f / 255) << px << "," << py;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lights, LightingTest,
    ::testing::Values(
        LightCase{"Directional", MakeLight(D3DLIGHT_DIRECTIONAL, {0, 0, 0}, {0.2f, -0.3f, 1}, 0, 0, 0, 0), false},
        LightCase{"PointAttenuated", MakeLight(D3DLIGHT_POINT, {0.5f, 0.5f, -1}, {0, 0, 0}, 100, 0.5f, 0.2f, 0.05f),
                  false},
        LightCase{"PointSpecular", MakeLight(D3DLIGHT_POINT, {-0.3f, 0.4f, 0}, {0, 0, 0}, 100, 1, 0, 0), true},
        LightCase{"PointOutOfRange", MakeLight(D3DLIGHT_POINT, {0, 0, -3}, {0, 0, 0}, 2.5f, 1, 0, 0), false},
        LightCase{"SpotPenumbra",
                  MakeLight(D3DLIGHT_SPOT, {0, 0, -1}, {0.1f, 0.1f, 1}, 100, 1, 0, 0, 0.3f, 1.2f, 1.5f), true}),
    [](const ::testing::TestParamInfo<LightCase>& info) { return info.param.name; });

TEST_F(DeviceTest, LightingOffUsesTheVertexColour)
{
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    LitVertex v[3] = {{-1, 1, 0.5f, 0, 0, -1, 0xFF336699}, {3, 1, 0.5f, 0, 0, -1, 0xFF336699},
                      {-1, -3, 0.5f, 0, 0, -1, 0xFF336699}};
    Clear(0xFF000000);
    Draw(v, 3, sizeof(LitVertex), kLitFvf, D3DPT_TRIANGLELIST);
    EXPECT_EQ(At(Frame(), 10, 10), 0x336699u);
}

}  // namespace
