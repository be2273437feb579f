#include "gl_state.h"

#include <string.h>

int GLStateCache::CapIndex(GLenum cap)
{
    switch (cap) {
    case GL_DEPTH_TEST: return kDepthTest;
    case GL_STENCIL_TEST: return kStencilTest;
    case GL_BLEND: return kBlend;
    case GL_CULL_FACE: return kCullFace;
    default: return kScissorTest;
    }
}

// Each setter returns early when GL holds the value already.
#define QL_GL_UNCHANGED(cond) (cond)

void GLStateCache::Enable(GLenum cap, bool on)
{
    int index = CapIndex(cap);
    if (QL_GL_UNCHANGED(caps[index] == on))
        return;
    caps[index] = on;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void GLStateCache::DepthMask(bool on)
{
    if (QL_GL_UNCHANGED(depthMask == on))
        return;
    depthMask = on;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void GLStateCache::DepthFunc(GLenum func)
{
    if (QL_GL_UNCHANGED(depthFunc == func))
        return;
    depthFunc = func;
    glDepthFunc(func);
}

void GLStateCache::DepthRange(float n, float f)
{
    if (QL_GL_UNCHANGED(depthNear == n && depthFar == f))
        return;
    depthNear = n;
    depthFar = f;
    glDepthRangef(n, f);
}

void GLStateCache::StencilFace(GLenum face, const GLStencilFace& s)
{
    GLStencilFace& c = stencil[face == GL_BACK ? 1 : 0];
    if (c.func != s.func || c.ref != s.ref || c.mask != s.mask)
        glStencilFuncSeparate(face, s.func, s.ref, s.mask);
    if (c.fail != s.fail || c.zfail != s.zfail || c.zpass != s.zpass)
        glStencilOpSeparate(face, s.fail, s.zfail, s.zpass);
    if (c.writeMask != s.writeMask)
        glStencilMaskSeparate(face, s.writeMask);
    c = s;
}

void GLStateCache::BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha)
{
    if (QL_GL_UNCHANGED(blendSrc == src && blendDst == dst && blendSrcAlpha == srcAlpha && blendDstAlpha == dstAlpha))
        return;
    blendSrc = src;
    blendDst = dst;
    blendSrcAlpha = srcAlpha;
    blendDstAlpha = dstAlpha;
    glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
}

void GLStateCache::BlendEquation(GLenum rgb, GLenum alpha)
{
    if (QL_GL_UNCHANGED(blendEqRgb == rgb && blendEqAlpha == alpha))
        return;
    blendEqRgb = rgb;
    blendEqAlpha = alpha;
    glBlendEquationSeparate(rgb, alpha);
}

void GLStateCache::BlendColor(uint32_t argb)
{
    if (QL_GL_UNCHANGED(blendColor == argb))
        return;
    blendColor = argb;
    glBlendColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                 (argb >> 24) / 255.0f);
}

void GLStateCache::ColorMask(bool r, bool g, bool b, bool a)
{
    uint8_t mask = (r ? 1 : 0) | (g ? 2 : 0) | (b ? 4 : 0) | (a ? 8 : 0);
    if (QL_GL_UNCHANGED(colorMask == mask))
        return;
    colorMask = mask;
    glColorMask(r, g, b, a);
}

void GLStateCache::CullFace(GLenum face)
{
    if (QL_GL_UNCHANGED(cullFace == face))
        return;
    cullFace = face;
    glCullFace(face);
}

void GLStateCache::FrontFace(GLenum mode)
{
    if (QL_GL_UNCHANGED(frontFace == mode))
        return;
    frontFace = mode;
    glFrontFace(mode);
}

void GLStateCache::PolygonMode(GLenum mode)
{
    if (QL_GL_UNCHANGED(polygonMode == mode))
        return;
    polygonMode = mode;
    glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void GLStateCache::Viewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (QL_GL_UNCHANGED(viewport[0] == x && viewport[1] == y && viewport[2] == w && viewport[3] == h))
        return;
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = w;
    viewport[3] = h;
    glViewport(x, y, w, h);
}

void GLStateCache::ForgetViewport()
{
    viewport[0] = viewport[1] = viewport[2] = viewport[3] = -1;
}

void GLStateCache::Scissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (QL_GL_UNCHANGED(scissor[0] == x && scissor[1] == y && scissor[2] == w && scissor[3] == h))
        return;
    scissor[0] = x;
    scissor[1] = y;
    scissor[2] = w;
    scissor[3] = h;
    glScissor(x, y, w, h);
}

void GLStateCache::UseProgram(GLuint p)
{
    if (QL_GL_UNCHANGED(program == p))
        return;
    program = p;
    glUseProgram(p);
}

void GLStateCache::BindTexture(int unit, GLuint texture)
{
    if (QL_GL_UNCHANGED(textures[unit] == texture))
        return;
    textures[unit] = texture;
    glBindTextureUnit(unit, texture);
}

void GLStateCache::BindSampler(int unit, GLuint sampler)
{
    if (QL_GL_UNCHANGED(samplers[unit] == sampler))
        return;
    samplers[unit] = sampler;
    glBindSampler(unit, sampler);
}

void GLStateCache::BindDrawFramebuffer(GLuint fbo)
{
    if (QL_GL_UNCHANGED(drawFramebuffer == fbo))
        return;
    drawFramebuffer = fbo;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
}

void GLStateCache::ClearColor(float r, float g, float b, float a)
{
    if (QL_GL_UNCHANGED(clearColor[0] == r && clearColor[1] == g && clearColor[2] == b && clearColor[3] == a))
        return;
    clearColor[0] = r;
    clearColor[1] = g;
    clearColor[2] = b;
    clearColor[3] = a;
    glClearColor(r, g, b, a);
}

void GLStateCache::ClearDepth(float d)
{
    if (QL_GL_UNCHANGED(clearDepth == d))
        return;
    clearDepth = d;
    glClearDepthf(d);
}

void GLStateCache::ClearStencil(GLint s)
{
    if (QL_GL_UNCHANGED(clearStencil == s))
        return;
    clearStencil = s;
    glClearStencil(s);
}
