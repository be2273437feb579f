// The OpenGL state the device last set, so that a Direct3D state change that
// maps to what GL already has costs a comparison and no GL call.
#pragma once

#include <epoxy/gl.h>

#include <stdint.h>

#include <array>

constexpr int kMaxTextureUnits = 8;

struct GLStencilFace {
    GLenum func = GL_ALWAYS;
    GLint ref = 0;
    GLuint mask = ~0u;
    GLenum fail = GL_KEEP, zfail = GL_KEEP, zpass = GL_KEEP;
    GLuint writeMask = ~0u;
};

class GLStateCache {
public:
    // The cache starts from a fresh context's defaults (viewport and scissor
    // unknown), so it must belong to exactly one context that nothing else
    // changes. QL_GL_STATE_CACHE=0 in the environment turns it off, for
    // debugging: every call then reaches OpenGL.
    GLStateCache();
    bool Caching() const { return caching; }

    void Enable(GLenum cap, bool on);
    void DepthMask(bool on);
    void DepthFunc(GLenum func);
    void DepthRange(float n, float f);
    void StencilFace(GLenum face, const GLStencilFace& s);
    void BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha);
    void BlendEquation(GLenum rgb, GLenum alpha);
    void BlendColor(uint32_t argb);
    void ColorMask(bool r, bool g, bool b, bool a);
    void CullFace(GLenum face);
    void FrontFace(GLenum mode);
    void PolygonMode(GLenum mode);
    void Viewport(GLint x, GLint y, GLsizei w, GLsizei h);
    // After a glViewport made outside the cache.
    void ForgetViewport();
    void Scissor(GLint x, GLint y, GLsizei w, GLsizei h);
    void UseProgram(GLuint program);
    void BindTexture(int unit, GLuint texture);
    void BindSampler(int unit, GLuint sampler);
    void BindDrawFramebuffer(GLuint fbo);
    void ClearColor(float r, float g, float b, float a);
    void ClearDepth(float d);
    void ClearStencil(GLint s);

private:
    enum Cap { kDepthTest, kStencilTest, kBlend, kCullFace, kScissorTest, kCapCount };
    static int CapIndex(GLenum cap);
    // Stores the wanted value; false when GL holds it already (and caching is on).
    template <typename T>
    bool Update(T& held, const T& wanted)
    {
        if (caching && held == wanted)
            return false;
        held = wanted;
        return true;
    }

    bool caching = true;
    bool caps[kCapCount] = {};
    bool depthMask = true;
    GLenum depthFunc = GL_LESS;
    std::array<float, 2> depthRange = {0.0f, 1.0f};
    GLStencilFace stencil[2];
    std::array<GLenum, 4> blendFunc = {GL_ONE, GL_ZERO, GL_ONE, GL_ZERO};
    std::array<GLenum, 2> blendEquation = {GL_FUNC_ADD, GL_FUNC_ADD};
    uint32_t blendColor = 0;
    uint8_t colorMask = 0xF;
    GLenum cullFace = GL_BACK, frontFace = GL_CCW, polygonMode = GL_FILL;
    std::array<GLint, 4> viewport = {-1, -1, -1, -1}, scissor = {-1, -1, -1, -1};
    GLuint program = 0;
    GLuint textures[kMaxTextureUnits] = {}, samplers[kMaxTextureUnits] = {};
    GLuint drawFramebuffer = 0;
    std::array<float, 4> clearColor = {};
    float clearDepth = 1.0f;
    GLint clearStencil = 0;
};
