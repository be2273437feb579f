// The OpenGL operations the Direct3D 9 objects need, and the only place
// besides the state cache (gl_state.h) that calls OpenGL. Everything here
// uses direct-state access, so none of it disturbs the draw state the cache
// mirrors. Every call needs the device's context current.
#pragma once

#include "gl_state.h"

#include <epoxy/gl.h>

#include <stddef.h>
#include <stdint.h>

namespace GLBackend {

// The context's fixed set-up: Direct3D's clip space, one vertex array and a
// sampler per texture unit. Returns the GL version as major * 10 + minor.
int ContextVersion();
void InitContext(GLStateCache& gl, GLuint* vao, GLuint* samplers, int samplerCount);
void DestroyContextObjects(GLuint vao, const GLuint* samplers, int samplerCount);

// The back buffer (colour plus 24-bit depth and 8-bit stencil) and the copy
// of the last presented frame, both width x height.
struct FrameBuffers {
    GLuint back = 0, backColor = 0, backDepth = 0;
    GLuint presented = 0, presentedColor = 0;
};
bool CreateFrameBuffers(GLStateCache& gl, int width, int height, FrameBuffers* buffers);
void DestroyFrameBuffers(FrameBuffers* buffers);
// Copies the back buffer into the presented copy, then stretches it over the
// window's drawable (whose rows run bottom-up), linearly unless the sizes match.
void PresentFrame(GLStateCache& gl, const FrameBuffers& buffers, int width, int height, int windowWidth,
                  int windowHeight);
void Clear(GLbitfield mask);
void Flush();

// Vertex and index data; 0 when GL refuses the store.
GLuint CreateBuffer(size_t size, const void* data, bool dynamic);
void WriteBuffer(GLuint buffer, size_t offset, size_t size, const void* data);
// A fresh store of size bytes, of which offset to offset + written are given:
// draws still reading the old store keep it, and the rest is undefined, as
// after a Direct3D discard.
void ReplaceBuffer(GLuint buffer, size_t size, size_t offset, size_t written, const void* data);
void DeleteBuffer(GLuint buffer);

// RGBA8 textures with a whole mip chain; levels take B, G, R, A bytes
// (Direct3D's 0xAARRGGBB in memory). An opaque texture samples alpha as one.
GLuint CreateTexture(int levels, int width, int height, bool opaque);
void WriteTextureLevel(GLuint texture, int level, int width, int height, const void* pixels);
void DeleteTexture(GLuint texture);

// Read-back from a framebuffer (0: the window's back buffer), rows as GL
// stores them. False if GL reported an error.
bool ReadColor(GLuint framebuffer, int width, int height, void* bgra);
bool ReadDepth(GLuint framebuffer, int width, int height, float* depth);
bool ReadStencil(GLuint framebuffer, int width, int height, uint8_t* stencil);

// Vertex input of the device's vertex array: stream 0 and the index buffer.
void SetVertexStream(GLuint vao, GLuint buffer, GLintptr offset, GLsizei stride);
void SetIndexBuffer(GLuint vao, GLuint buffer);
// One attribute read from stream 0 at the given offset, or disabled.
void SetAttribute(GLuint vao, GLuint location, bool present, GLint size, GLenum type, bool normalized,
                  GLuint offset);
void DrawArrays(GLenum mode, GLint first, GLsizei count);
void DrawElements(GLenum mode, GLuint minIndex, GLuint maxIndex, GLsizei count, int indexSize, size_t firstByte,
                  GLint baseVertex);

struct SamplerParameters {
    GLenum minFilter, magFilter;
    GLenum wrapS, wrapT, wrapR;
    float border[4];
    float lodBias;
    float maxAnisotropy;
};
void SetSampler(GLuint sampler, const SamplerParameters& parameters);

// Programs from GLSL text; 0 (and the log in the diagnostics) on failure.
GLuint BuildProgram(const char* vertexSource, const char* fragmentSource);
void DeleteProgram(GLuint program);
GLint UniformLocation(GLuint program, const char* name);
void SetUniformMatrix4(GLuint program, GLint location, const float* matrix);
void SetUniformMatrix3(GLuint program, GLint location, const float* matrix);
void SetUniform4(GLuint program, GLint location, int count, const float* values);
void SetUniform3(GLuint program, GLint location, int count, const float* values);
void SetUniform1(GLuint program, GLint location, int count, const float* values);
void SetUniformInt(GLuint program, GLint location, int value);

}  // namespace GLBackend
