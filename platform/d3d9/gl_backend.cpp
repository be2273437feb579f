#include "gl_backend.h"

#include "d3dx_interface.h"

namespace GLBackend {

int ContextVersion()
{
    return epoxy_gl_version();
}

void InitContext(GLStateCache& gl, GLuint* vao, GLuint* samplers, int samplerCount)
{
    // Direct3D's clip z runs 0..w. The shaders negate clip y, so row 0 of
    // every framebuffer is Direct3D's top row and GL's tie rule for samples
    // on an edge falls on the same top and left edges as Direct3D's.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glCreateVertexArrays(1, vao);
    glBindVertexArray(*vao);
    glCreateSamplers(samplerCount, samplers);
    for (int i = 0; i < samplerCount; ++i)
        gl.BindSampler(i, samplers[i]);
    // With y negated, GL_CCW front faces are the triangles that run
    // clockwise on the screen as Direct3D sees it.
    gl.FrontFace(GL_CCW);
}

void DestroyContextObjects(GLuint vao, const GLuint* samplers, int samplerCount)
{
    glDeleteSamplers(samplerCount, samplers);
    glDeleteVertexArrays(1, &vao);
}

bool CreateFrameBuffers(GLStateCache& gl, int width, int height, FrameBuffers* b)
{
    glCreateFramebuffers(1, &b->back);
    glCreateRenderbuffers(1, &b->backColor);
    glCreateRenderbuffers(1, &b->backDepth);
    glNamedRenderbufferStorage(b->backColor, GL_RGBA8, width, height);
    glNamedRenderbufferStorage(b->backDepth, GL_DEPTH24_STENCIL8, width, height);
    glNamedFramebufferRenderbuffer(b->back, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, b->backColor);
    glNamedFramebufferRenderbuffer(b->back, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, b->backDepth);
    glCreateFramebuffers(1, &b->presented);
    glCreateRenderbuffers(1, &b->presentedColor);
    glNamedRenderbufferStorage(b->presentedColor, GL_RGBA8, width, height);
    glNamedFramebufferRenderbuffer(b->presented, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, b->presentedColor);
    if (glCheckNamedFramebufferStatus(b->back, GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;
    gl.BindDrawFramebuffer(b->back);
    // The presented copy starts black, as a window does before its first frame.
    static const float black[4] = {0, 0, 0, 1};
    glClearNamedFramebufferfv(b->presented, GL_COLOR, 0, black);
    return true;
}

void DestroyFrameBuffers(FrameBuffers* b)
{
    glDeleteFramebuffers(1, &b->back);
    glDeleteFramebuffers(1, &b->presented);
    glDeleteRenderbuffers(1, &b->backColor);
    glDeleteRenderbuffers(1, &b->backDepth);
    glDeleteRenderbuffers(1, &b->presentedColor);
    *b = FrameBuffers();
}

void PresentFrame(GLStateCache& gl, const FrameBuffers& b, int width, int height, int windowWidth, int windowHeight)
{
    // Blits obey the scissor test; the frame is copied whole.
    gl.Enable(GL_SCISSOR_TEST, false);
    glBlitNamedFramebuffer(b.back, b.presented, 0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                           GL_NEAREST);
    // The window's GL drawable takes a new window size only when the driver
    // looks again, and setting a viewport on it makes the driver look: else
    // a resized window shows a crop of the old drawable.
    gl.BindDrawFramebuffer(0);
    glViewport(0, 0, windowWidth, windowHeight);
    gl.ForgetViewport();
    glBlitNamedFramebuffer(b.back, 0, 0, 0, width, height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT,
                           (windowWidth == width && windowHeight == height) ? GL_NEAREST : GL_LINEAR);
    gl.BindDrawFramebuffer(b.back);
}

void Clear(GLbitfield mask)
{
    glClear(mask);
}

void Flush()
{
    glFlush();
}

GLuint CreateBuffer(size_t size, const void* data, bool dynamic)
{
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferData(buffer, size, data, dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW);
    if (glGetError() == GL_NO_ERROR)
        return buffer;
    glDeleteBuffers(1, &buffer);
    return 0;
}

void WriteBuffer(GLuint buffer, size_t offset, size_t size, const void* data)
{
    glNamedBufferSubData(buffer, offset, size, data);
}

void ReplaceBuffer(GLuint buffer, size_t size, size_t offset, size_t written, const void* data)
{
    glNamedBufferData(buffer, size, nullptr, GL_STREAM_DRAW);
    glNamedBufferSubData(buffer, offset, written, data);
}

void DeleteBuffer(GLuint buffer)
{
    glDeleteBuffers(1, &buffer);
}

GLuint CreateTexture(int levels, int width, int height, bool opaque)
{
    GLuint texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, levels, GL_RGBA8, width, height);
    glTextureParameteri(texture, GL_TEXTURE_MAX_LEVEL, levels - 1);
    if (opaque)
        glTextureParameteri(texture, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (glGetError() == GL_NO_ERROR)
        return texture;
    glDeleteTextures(1, &texture);
    return 0;
}

void WriteTextureLevel(GLuint texture, int level, int width, int height, const void* pixels)
{
    glTextureSubImage2D(texture, level, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

void DeleteTexture(GLuint texture)
{
    glDeleteTextures(1, &texture);
}

namespace {

bool Read(GLuint framebuffer, int width, int height, GLenum format, GLenum type, int alignment, void* out)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0)
        glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glReadPixels(0, 0, width, height, format, type, out);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace

bool ReadColor(GLuint framebuffer, int width, int height, void* bgra)
{
    return Read(framebuffer, width, height, GL_BGRA, GL_UNSIGNED_BYTE, 4, bgra);
}

bool ReadDepth(GLuint framebuffer, int width, int height, float* depth)
{
    return Read(framebuffer, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, 4, depth);
}

bool ReadStencil(GLuint framebuffer, int width, int height, uint8_t* stencil)
{
    return Read(framebuffer, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, 1, stencil);
}

void SetVertexStream(GLuint vao, GLuint buffer, GLintptr offset, GLsizei stride)
{
    glVertexArrayVertexBuffer(vao, 0, buffer, offset, stride);
}

void SetIndexBuffer(GLuint vao, GLuint buffer)
{
    glVertexArrayElementBuffer(vao, buffer);
}

void SetAttribute(GLuint vao, GLuint location, bool present, GLint size, GLenum type, bool normalized,
                  GLuint offset)
{
    if (!present) {
        glDisableVertexArrayAttrib(vao, location);
        return;
    }
    glEnableVertexArrayAttrib(vao, location);
    glVertexArrayAttribFormat(vao, location, size, type, normalized, offset);
    glVertexArrayAttribBinding(vao, location, 0);
}

void DrawArrays(GLenum mode, GLint first, GLsizei count)
{
    glDrawArrays(mode, first, count);
}

void DrawElements(GLenum mode, GLuint minIndex, GLuint maxIndex, GLsizei count, int indexSize, size_t firstByte,
                  GLint baseVertex)
{
    glDrawRangeElementsBaseVertex(mode, minIndex, maxIndex, count, indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                  (const void*)(uintptr_t)firstByte, baseVertex);
}

void SetSampler(GLuint s, const SamplerParameters& p)
{
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, p.minFilter);
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, p.magFilter);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, p.wrapS);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, p.wrapT);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_R, p.wrapR);
    glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, p.border);
    glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, p.lodBias);
    glSamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY, p.maxAnisotropy);
}

namespace {

// True when the shader or program built; otherwise logs GL's reason (and the
// source, if given) and deletes it.
bool Built(GLuint object, GLenum status, PFNGLGETSHADERIVPROC getStatus, PFNGLGETSHADERINFOLOGPROC getLog,
           PFNGLDELETESHADERPROC erase, const char* what, const char* source)
{
    GLint ok = 0;
    getStatus(object, status, &ok);
    if (ok)
        return true;
    char log[2048] = {};
    getLog(object, sizeof log, nullptr, log);
    D3D9Debug("%s failed: %s\n%s", what, log, source ? source : "");
    erase(object);
    return false;
}

GLuint Compile(GLenum type, const char* text)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return Built(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, glDeleteShader, "shader compile", text)
               ? shader
               : 0;
}

}  // namespace

GLuint BuildProgram(const char* vertexSource, const char* fragmentSource)
{
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource);
    if (!vs || !fs) {
        glDeleteShader(vs);
        glDeleteShader(fs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return Built(program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, glDeleteProgram, "program link", nullptr)
               ? program
               : 0;
}

void DeleteProgram(GLuint program)
{
    glDeleteProgram(program);
}

GLint UniformLocation(GLuint program, const char* name)
{
    return glGetUniformLocation(program, name);
}

void SetUniformMatrix4(GLuint program, GLint location, const float* matrix)
{
    glProgramUniformMatrix4fv(program, location, 1, GL_FALSE, matrix);
}

void SetUniformMatrix3(GLuint program, GLint location, const float* matrix)
{
    glProgramUniformMatrix3fv(program, location, 1, GL_FALSE, matrix);
}

void SetUniform4(GLuint program, GLint location, int count, const float* values)
{
    glProgramUniform4fv(program, location, count, values);
}

void SetUniform3(GLuint program, GLint location, int count, const float* values)
{
    glProgramUniform3fv(program, location, count, values);
}

void SetUniform1(GLuint program, GLint location, int count, const float* values)
{
    glProgramUniform1fv(program, location, count, values);
}

void SetUniformInt(GLuint program, GLint location, int value)
{
    glProgramUniform1i(program, location, value);
}

}  // namespace GLBackend
