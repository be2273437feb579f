// The cost of our Direct3D 9 layer against the same work in hand-written
// OpenGL: one frame of a model pass, a few thousand DrawIndexedPrimitive
// calls each with its own world matrix and material, under one point light.
// Run with SDL_VIDEODRIVER=offscreen for a headless machine.
#include "support/point_light.h"
#include "support/present_parameters.h"

#include <benchmark/benchmark.h>
#include <d3dx9.h>
#include <epoxy/gl.h>

#include <SDL.h>

#include <math.h>

#include <vector>

namespace {

template <typename T>
const T* Ptr(const T& value)
{
    return &value;
}

constexpr int kDraws = 3000;
constexpr int kGrid = 8;  // vertices per side of each small mesh
constexpr UINT kSize = 256;

struct Vertex {
    float x, y, z, nx, ny, nz;
};

void BuildMesh(std::vector<Vertex>* vertices, std::vector<WORD>* indices)
{
    for (int y = 0; y < kGrid; ++y)
        for (int x = 0; x < kGrid; ++x)
            vertices->push_back({x / float(kGrid - 1) - 0.5f, y / float(kGrid - 1) - 0.5f, 0, 0, 0, -1});
    for (int y = 0; y + 1 < kGrid; ++y)
        for (int x = 0; x + 1 < kGrid; ++x) {
            WORD a = (WORD)(y * kGrid + x), b = a + 1, c = a + kGrid, d = c + 1;
            indices->insert(indices->end(), {a, c, b, b, c, d});
        }
}

D3DXMATRIX World(int i)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, (i % 60) * 2.0f - 60.0f, (i / 60) * 2.0f - 50.0f, 120.0f + (i % 7));
    return m;
}

D3DMATERIAL9 Material(int i)
{
    D3DMATERIAL9 m = {};
    m.Diffuse = {0.5f + 0.1f * (i % 5), 0.5f, 0.4f, 1};
    m.Ambient = m.Diffuse;
    m.Specular = {0.2f, 0.2f, 0.2f, 1};
    m.Power = 8;
    return m;
}

HWND CreateBenchWindow()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "D3D9Bench";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "D3D9Bench", "bench", WS_POPUP, 0, 0, kSize, kSize, nullptr, nullptr, nullptr,
                                  nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void DeviceFrame(benchmark::State& state)
{
    HWND window = CreateBenchWindow();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = WindowedPresentParameters(window, kSize, kSize, true);
    IDirect3DDevice9* device = nullptr;
    if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) != D3D_OK) {
        state.SkipWithError("no Direct3D 9 device");
        return;
    }
    std::vector<Vertex> vertices;
    std::vector<WORD> indices;
    BuildMesh(&vertices, &indices);
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    device->CreateVertexBuffer(vertices.size() * sizeof(Vertex), D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_NORMAL,
                               D3DPOOL_MANAGED, &vb, nullptr);
    device->CreateIndexBuffer(indices.size() * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr);
    void* data;
    vb->Lock(0, 0, &data, 0);
    memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
    vb->Unlock();
    ib->Lock(0, 0, &data, 0);
    memcpy(data, indices.data(), indices.size() * 2);
    ib->Unlock();
    D3DXMATRIX view, projection;
    D3DXMatrixLookAtLH(&view, Ptr(D3DXVECTOR3(0, 0, 0)), Ptr(D3DXVECTOR3(0, 0, 1)), Ptr(D3DXVECTOR3(0, 1, 0)));
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1, 5, 10000);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0, 0, 50), 0.7f);
    light.Specular = {0.3f, 0.3f, 0.3f, 1};
    light.Ambient = {1, 1, 1, 1};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    std::vector<D3DXMATRIX> worlds;
    std::vector<D3DMATERIAL9> materials;
    for (int i = 0; i < kDraws; ++i) {
        worlds.push_back(World(i));
        materials.push_back(Material(i));
    }
    UINT triangles = (UINT)indices.size() / 3;
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000050, 1.0f, 0);
        device->BeginScene();
        device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        device->SetStreamSource(0, vb, 0, sizeof(Vertex));
        device->SetIndices(ib);
        for (int i = 0; i < kDraws; ++i) {
            device->SetTransform(D3DTS_WORLD, &worlds[i]);
            device->SetMaterial(&materials[i]);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (UINT)vertices.size(), 0, triangles);
        }
        device->EndScene();
        glFinish();
    }
    state.counters["draws"] = kDraws;
    ib->Release();
    vb->Release();
    device->Release();
    d3d->Release();
    DestroyWindow(window);
}

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
uniform mat4 uWorldViewProj, uWorldView;
uniform mat3 uNormalMatrix;
uniform vec4 uDiffuse, uAmbient, uSpecular;
uniform float uPower;
uniform vec3 uLightPosition;
out vec4 vColor;
out vec4 vSpecular;
void main() {
  vec4 p = vec4(aPosition, 1.0);
  gl_Position = uWorldViewProj * p;
  vec3 P = (uWorldView * p).xyz;
  vec3 N = uNormalMatrix * aNormal;
  vec3 L = normalize(uLightPosition - P);
  float d = max(dot(N, L), 0.0);
  float s = d > 0.0 ? pow(max(dot(N, normalize(normalize(-P) + L)), 0.0), uPower) : 0.0;
  vColor = clamp(vec4(uAmbient.rgb * (vec3(0.125) + vec3(1.0)) + uDiffuse.rgb * 0.7 * d, uDiffuse.a), 0.0, 1.0);
  vSpecular = vec4(uSpecular.rgb * 0.3 * s, 0.0);
})";
const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec4 vSpecular;
out vec4 fragColor;
void main() { fragColor = vec4(clamp(vColor.rgb + vSpecular.rgb, 0.0, 1.0), vColor.a); })";

GLuint Shader(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void HandWrittenGL(benchmark::State& state)
{
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_Window* window = SDL_CreateWindow("gl", 0, 0, kSize, kSize, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    SDL_GL_MakeCurrent(window, context);
    std::vector<Vertex> vertices;
    std::vector<WORD> indices;
    BuildMesh(&vertices, &indices);
    GLuint fbo, color, depth, vao, vbo, ibo;
    glCreateFramebuffers(1, &fbo);
    glCreateRenderbuffers(1, &color);
    glCreateRenderbuffers(1, &depth);
    glNamedRenderbufferStorage(color, GL_RGBA8, kSize, kSize);
    glNamedRenderbufferStorage(depth, GL_DEPTH24_STENCIL8, kSize, kSize);
    glNamedFramebufferRenderbuffer(fbo, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glNamedFramebufferRenderbuffer(fbo, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glCreateBuffers(1, &vbo);
    glCreateBuffers(1, &ibo);
    glNamedBufferData(vbo, vertices.size() * sizeof(Vertex), vertices.data(), GL_STATIC_DRAW);
    glNamedBufferData(ibo, indices.size() * 2, indices.data(), GL_STATIC_DRAW);
    glCreateVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glVertexArrayVertexBuffer(vao, 0, vbo, 0, sizeof(Vertex));
    glVertexArrayElementBuffer(vao, ibo);
    for (GLuint i = 0; i < 2; ++i) {
        glEnableVertexArrayAttrib(vao, i);
        glVertexArrayAttribFormat(vao, i, 3, GL_FLOAT, GL_FALSE, i * 12);
        glVertexArrayAttribBinding(vao, i, 0);
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, Shader(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program, Shader(GL_FRAGMENT_SHADER, kFragmentShader));
    glLinkProgram(program);
    glUseProgram(program);
    GLint wvp = glGetUniformLocation(program, "uWorldViewProj"), wv = glGetUniformLocation(program, "uWorldView");
    GLint nm = glGetUniformLocation(program, "uNormalMatrix"), diffuse = glGetUniformLocation(program, "uDiffuse");
    GLint ambient = glGetUniformLocation(program, "uAmbient"), specular = glGetUniformLocation(program, "uSpecular");
    GLint power = glGetUniformLocation(program, "uPower");
    glUniform3f(glGetUniformLocation(program, "uLightPosition"), 0, 0, 50);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glViewport(0, 0, kSize, kSize);
    D3DXMATRIX view, projection, viewProj;
    D3DXMatrixLookAtLH(&view, Ptr(D3DXVECTOR3(0, 0, 0)), Ptr(D3DXVECTOR3(0, 0, 1)), Ptr(D3DXVECTOR3(0, 1, 0)));
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1, 5, 10000);
    viewProj = view * projection;
    std::vector<D3DXMATRIX> worlds;
    std::vector<D3DMATERIAL9> materials;
    for (int i = 0; i < kDraws; ++i) {
        worlds.push_back(World(i));
        materials.push_back(Material(i));
    }
    const float normal[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (auto _ : state) {
        glClearColor(0, 0, 80 / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int i = 0; i < kDraws; ++i) {
            // The per-draw work an application does by hand: the matrices
            // and the material.
            D3DXMATRIX worldView = worlds[i] * view, all = worlds[i] * viewProj;
            glUniformMatrix4fv(wvp, 1, GL_FALSE, &all._11);
            glUniformMatrix4fv(wv, 1, GL_FALSE, &worldView._11);
            glUniformMatrix3fv(nm, 1, GL_FALSE, normal);
            glUniform4fv(diffuse, 1, &materials[i].Diffuse.r);
            glUniform4fv(ambient, 1, &materials[i].Ambient.r);
            glUniform4fv(specular, 1, &materials[i].Specular.r);
            glUniform1f(power, materials[i].Power);
            glDrawElements(GL_TRIANGLES, (GLsizei)indices.size(), GL_UNSIGNED_SHORT, nullptr);
        }
        glFinish();
    }
    state.counters["draws"] = kDraws;
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
}

}  // namespace

BENCHMARK(DeviceFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(HandWrittenGL)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
