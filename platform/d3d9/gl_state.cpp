#include "gl_state.h"

#include <stdlib.h>
#include <string.h>

GLStateCache::GLStateCache()
{
    const char* setting = getenv("QL_GL_STATE_CACHE");
    caching = !(setting && strcmp(setting, "0") == 0);
}

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

void GLStateCache::Enable(GLenum cap, bool on)
{
    if (!Update(caps[CapIndex(cap)], on))
        return;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void GLStateCache::DepthMask(bool on)
{
    if (Update(depthMask, on))
        glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void GLStateCache::DepthFunc(GLenum func)
{
    if (Update(depthFunc, func))
        glDepthFunc(func);
}

void GLStateCache::DepthRange(float n, float f)
{
    if (Update(depthRange, {n, f}))
        glDepthRangef(n, f);
}

void GLStateCache::StencilFace(GLenum face, const GLStencilFace& s)
{
    GLStencilFace& c = stencil[face == GL_BACK ? 1 : 0];
    if (!caching || c.func != s.func || c.ref != s.ref || c.mask != s.mask)
        glStencilFuncSeparate(face, s.func, s.ref, s.mask);
    if (!caching || c.fail != s.fail || c.zfail != s.zfail || c.zpass != s.zpass)
        glStencilOpSeparate(face, s.fail, s.zfail, s.zpass);
    if (!caching || c.writeMask != s.writeMask)
        glStencilMaskSeparate(face, s.writeMask);
    c = s;
}

void GLStateCache::BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha)
{
    if (Update(blendFunc, {src, dst, srcAlpha, dstAlpha}))
        glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
}

void GLStateCache::BlendEquation(GLenum rgb, GLenum alpha)
{
    if (Update(blendEquation, {rgb, alpha}))
        glBlendEquationSeparate(rgb, alpha);
}

void GLStateCache::BlendColor(uint32_t argb)
{
    if (Update(blendColor, argb))
        glBlendColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                     (argb >> 24) / 255.0f);
}

void GLStateCache::ColorMask(bool r, bool g, bool b, bool a)
{
    uint8_t mask = (r ? 1 : 0) | (g ? 2 : 0) | (b ? 4 : 0) | (a ? 8 : 0);
    if (Update(colorMask, mask))
        glColorMask(r, g, b, a);
}

void GLStateCache::CullFace(GLenum face)
{
    if (Update(cullFace, face))
        glCullFace(face);
}

void GLStateCache::FrontFace(GLenum mode)
{
    if (Update(frontFace, mode))
        glFrontFace(mode);
}

void GLStateCache::PolygonMode(GLenum mode)
{
    if (Update(polygonMode, mode))
        glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void GLStateCache::Viewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (Update(viewport, {x, y, w, h}))
        glViewport(x, y, w, h);
}

void GLStateCache::ForgetViewport()
{
    viewport = {-1, -1, -1, -1};
}

void GLStateCache::Scissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (Update(scissor, {x, y, w, h}))
        glScissor(x, y, w, h);
}

void GLStateCache::UseProgram(GLuint p)
{
    if (Update(program, p))
        glUseProgram(p);
}

void GLStateCache::BindTexture(int unit, GLuint texture)
{
    if (Update(textures[unit], texture))
        glBindTextureUnit(unit, texture);
}

void GLStateCache::BindSampler(int unit, GLuint sampler)
{
    if (Update(samplers[unit], sampler))
        glBindSampler(unit, sampler);
}

void GLStateCache::BindDrawFramebuffer(GLuint fbo)
{
    if (Update(drawFramebuffer, fbo))
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
}

void GLStateCache::ClearColor(float r, float g, float b, float a)
{
    if (Update(clearColor, {r, g, b, a}))
        glClearColor(r, g, b, a);
}

void GLStateCache::ClearDepth(float d)
{
    if (Update(clearDepth, d))
        glClearDepthf(d);
}

void GLStateCache::ClearStencil(GLint s)
{
    if (Update(clearStencil, s))
        glClearStencil(s);
}
