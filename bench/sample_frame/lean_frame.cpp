#include "lean_frame.h"
#include "lean_shaders.h"

#include <epoxy/gl.h>

#include <SDL.h>

// Private copies: the platform library links its own.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <stdio.h>
#include <string.h>

namespace {

GLuint Program(const char* vertex, const char* fragment)
{
    GLuint program = glCreateProgram();
    for (GLenum type : {GLenum(GL_VERTEX_SHADER), GLenum(GL_FRAGMENT_SHADER)}) {
        GLuint shader = glCreateShader(type);
        const char* source = type == GL_VERTEX_SHADER ? vertex : fragment;
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            fprintf(stderr, "lean frame: shader: %s\n", log);
        }
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    return program;
}

GLuint Texture(const std::string& path)
{
    int w = 1, h = 1, channels = 0;
    static const unsigned char white[4] = {255, 255, 255, 255};
    unsigned char* pixels = path.empty() ? nullptr : stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!path.empty() && !pixels)
        fprintf(stderr, "lean frame: %s could not be read\n", path.c_str());
    if (!pixels)
        w = h = 1;
    GLuint texture;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA8, w, h);
    glTextureSubImage2D(texture, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels ? pixels : white);
    // As the engine samples: linear, from the top level only.
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    stbi_image_free(pixels);
    return texture;
}

struct TextVertex {
    float x, y, u, v;
    D3DCOLOR colour;
};

// A string in the font atlas's 16 x 16 glyph cells, size pixels high.
void AddText(std::vector<TextVertex>* out, const char* text, float x, float y, float size, D3DCOLOR colour)
{
    const float advance = size;
    float cx = x;
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') {
            cx = x;
            y += size;
            continue;
        }
        const unsigned glyph = (unsigned char)*c;
        const float u = (glyph % 16) / 16.0f, v = (glyph / 16) / 16.0f, s = 1.0f / 16.0f;
        const TextVertex a{cx, y, u, v, colour}, b{cx + size, y, u + s, v, colour},
            d{cx, y + size, u, v + s, colour}, e{cx + size, y + size, u + s, v + s, colour};
        out->insert(out->end(), {a, b, d, b, e, d});
        cx += advance;
    }
}

D3DXVECTOR3 Rgb(const D3DCOLORVALUE& c)
{
    return D3DXVECTOR3(c.r, c.g, c.b);
}

}  // namespace

struct LeanFrame::Gl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint fbo = 0, colour = 0, depth = 0;
    GLuint sceneVao = 0, sceneVertices = 0, sceneIndices = 0, scene = 0;
    GLuint volumeVao = 0, volumeBuffer = 0, volume = 0;
    size_t volumeCapacity = 0;  // vertices
    GLuint textVao = 0, textBuffer = 0, text = 0, font = 0;
    std::vector<GLuint> textures;  // per material
    std::vector<TextVertex> textVertices;
    std::vector<GLsizei> counts;
    std::vector<const void*> offsets;

    // Makes this frame's context current, and the caller's again at the end.
    struct Current {
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        SDL_GLContext context = SDL_GL_GetCurrentContext();
        explicit Current(const Gl& gl) { SDL_GL_MakeCurrent(gl.window, gl.context); }
        ~Current()
        {
            if (context)
                SDL_GL_MakeCurrent(window, context);
        }
    };
    GLint Uniform(GLuint program, const char* name) { return glGetUniformLocation(program, name); }
};

LeanFrame::LeanFrame() : gl(new Gl) {}

LeanFrame::~LeanFrame()
{
    if (!gl->context)
        return;
    {
        Gl::Current current(*gl);
        glDeleteTextures(GLsizei(gl->textures.size()), gl->textures.data());
        glDeleteTextures(1, &gl->font);
        GLuint buffers[] = {gl->sceneVertices, gl->sceneIndices, gl->volumeBuffer, gl->textBuffer};
        glDeleteBuffers(4, buffers);
        GLuint arrays[] = {gl->sceneVao, gl->volumeVao, gl->textVao};
        glDeleteVertexArrays(3, arrays);
        glDeleteProgram(gl->scene);
        glDeleteProgram(gl->volume);
        glDeleteProgram(gl->text);
        glDeleteFramebuffers(1, &gl->fbo);
        glDeleteRenderbuffers(1, &gl->colour);
        glDeleteRenderbuffers(1, &gl->depth);
    }
    SDL_GL_DeleteContext(gl->context);
    SDL_DestroyWindow(gl->window);
}

bool LeanFrame::Start(const char* parkFile, const char* fontFile, UINT width, UINT height)
{
    if (!LoadLeanPark(parkFile, &park))
        return false;
    view.width = width;
    view.height = height;
    SDL_Window* callerWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext callerContext = SDL_GL_GetCurrentContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    gl->window = SDL_CreateWindow("lean frame", 0, 0, int(width), int(height), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    gl->context = gl->window ? SDL_GL_CreateContext(gl->window) : nullptr;
    if (callerContext)
        SDL_GL_MakeCurrent(callerWindow, callerContext);
    if (!gl->context) {
        fprintf(stderr, "lean frame: no OpenGL 4.5 context: %s\n", SDL_GetError());
        return false;
    }
    Gl::Current current(*gl);
    SDL_GL_SetSwapInterval(0);
    glCreateFramebuffers(1, &gl->fbo);
    glCreateRenderbuffers(1, &gl->colour);
    glCreateRenderbuffers(1, &gl->depth);
    glNamedRenderbufferStorage(gl->colour, GL_RGBA8, GLsizei(width), GLsizei(height));
    glNamedRenderbufferStorage(gl->depth, GL_DEPTH24_STENCIL8, GLsizei(width), GLsizei(height));
    glNamedFramebufferRenderbuffer(gl->fbo, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl->colour);
    glNamedFramebufferRenderbuffer(gl->fbo, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, gl->depth);
    // Direct3D's depth range, 0 to 1.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

    glCreateBuffers(1, &gl->sceneVertices);
    glCreateBuffers(1, &gl->sceneIndices);
    glNamedBufferStorage(gl->sceneVertices, park.vertices.size() * sizeof(LeanVertex), park.vertices.data(), 0);
    glNamedBufferStorage(gl->sceneIndices, park.indices.size() * 4, park.indices.data(), 0);
    glCreateVertexArrays(1, &gl->sceneVao);
    glVertexArrayVertexBuffer(gl->sceneVao, 0, gl->sceneVertices, 0, sizeof(LeanVertex));
    glVertexArrayElementBuffer(gl->sceneVao, gl->sceneIndices);
    const GLint sizes[] = {3, 3, 2};
    const GLuint offsets[] = {0, 12, 24};
    for (GLuint i = 0; i < 3; ++i) {
        glEnableVertexArrayAttrib(gl->sceneVao, i);
        glVertexArrayAttribFormat(gl->sceneVao, i, sizes[i], GL_FLOAT, GL_FALSE, offsets[i]);
        glVertexArrayAttribBinding(gl->sceneVao, i, 0);
    }
    glCreateBuffers(1, &gl->volumeBuffer);
    glCreateVertexArrays(1, &gl->volumeVao);
    glEnableVertexArrayAttrib(gl->volumeVao, 0);
    glVertexArrayAttribFormat(gl->volumeVao, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(gl->volumeVao, 0, 0);
    glCreateBuffers(1, &gl->textBuffer);
    glNamedBufferData(gl->textBuffer, 4096 * sizeof(TextVertex), nullptr, GL_STREAM_DRAW);
    glCreateVertexArrays(1, &gl->textVao);
    glVertexArrayVertexBuffer(gl->textVao, 0, gl->textBuffer, 0, sizeof(TextVertex));
    for (GLuint i = 0; i < 3; ++i) {
        glEnableVertexArrayAttrib(gl->textVao, i);
        glVertexArrayAttribBinding(gl->textVao, i, 0);
    }
    glVertexArrayAttribFormat(gl->textVao, 0, 2, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribFormat(gl->textVao, 1, 2, GL_FLOAT, GL_FALSE, 8);
    // D3DCOLOR's bytes in memory are blue, green, red, alpha.
    glVertexArrayAttribFormat(gl->textVao, 2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 16);

    gl->scene = Program(kSceneVertex, kSceneFragment);
    gl->volume = Program(kVolumeVertex, kVolumeFragment);
    gl->text = Program(kTextVertex, kTextFragment);
    for (const std::string& path : park.texturePaths)
        gl->textures.push_back(Texture(path));
    gl->font = Texture(fontFile);
    return glGetError() == GL_NO_ERROR;
}

void LeanFrame::SetScene(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DLIGHT9& newLight,
                         D3DCOLOR newAmbient)
{
    view.eye = eye;
    view.at = at;
    view.up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    view.light = D3DXVECTOR3(newLight.Position.x, newLight.Position.y, newLight.Position.z);
    view.range = newLight.Range;
    light = newLight;
    ambient = newAmbient;
}

void LeanFrame::Draw(const char* help)
{
    Gl::Current current(*gl);
    Gl& g = *gl;
    D3DXMATRIX viewMatrix, projection, viewProj;
    D3DXMatrixLookAtLH(&viewMatrix, &view.eye, &view.at, &view.up);
    InfiniteProjection(&projection);
    viewProj = viewMatrix * projection;

    glBindFramebuffer(GL_FRAMEBUFFER, g.fbo);
    glViewport(0, 0, GLsizei(view.width), GLsizei(view.height));
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 80.0f / 255.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);

    // The scene's program keeps the light for both passes; uLit picks the terms.
    glUseProgram(g.scene);
    glBindVertexArray(g.sceneVao);
    glUniformMatrix4fv(g.Uniform(g.scene, "uViewProj"), 1, GL_FALSE, &viewProj._11);
    glUniform3fv(g.Uniform(g.scene, "uEye"), 1, &view.eye.x);
    glUniform3fv(g.Uniform(g.scene, "uLight"), 1, &view.light.x);
    const D3DXVECTOR3 global(((ambient >> 16) & 0xFF) / 255.0f, ((ambient >> 8) & 0xFF) / 255.0f,
                             (ambient & 0xFF) / 255.0f);
    glUniform3fv(g.Uniform(g.scene, "uGlobalAmbient"), 1, &global.x);
    const D3DXVECTOR3 lightAmbient = Rgb(light.Ambient), diffuse = Rgb(light.Diffuse), specular = Rgb(light.Specular);
    glUniform3fv(g.Uniform(g.scene, "uLightAmbient"), 1, &lightAmbient.x);
    glUniform3fv(g.Uniform(g.scene, "uLightDiffuse"), 1, &diffuse.x);
    glUniform3fv(g.Uniform(g.scene, "uLightSpecular"), 1, &specular.x);
    glUniform4f(g.Uniform(g.scene, "uAttenuation"), light.Attenuation0, light.Attenuation1, light.Attenuation2,
                light.Range);
    const GLint lit = g.Uniform(g.scene, "uLit");
    const GLint materialDiffuse = g.Uniform(g.scene, "uDiffuse"), materialAmbient = g.Uniform(g.scene, "uAmbient");
    const GLint materialSpecular = g.Uniform(g.scene, "uSpecular"), emissive = g.Uniform(g.scene, "uEmissive");
    const GLint power = g.Uniform(g.scene, "uPower");
    // One draw per material of the runs whose parts are shown.
    auto drawMaterials = [&](const std::vector<bool>& shown) {
        for (uint32_t m = 0; m < park.materials.size(); ++m) {
            g.counts.clear();
            g.offsets.clear();
            for (const LeanRun& run : park.runs)
                if (run.material == m && shown[run.part]) {
                    g.counts.push_back(GLsizei(run.indexCount));
                    g.offsets.push_back(reinterpret_cast<const void*>(uintptr_t(run.startIndex) * 4));
                }
            if (g.counts.empty())
                continue;
            const D3DMATERIAL9& material = park.materials[m].material;
            glUniform4fv(materialDiffuse, 1, &material.Diffuse.r);
            glUniform4fv(materialAmbient, 1, &material.Ambient.r);
            glUniform4fv(materialSpecular, 1, &material.Specular.r);
            glUniform4fv(emissive, 1, &material.Emissive.r);
            glUniform1f(power, material.Power);
            glBindTextureUnit(0, g.textures[m]);
            glMultiDrawElements(GL_TRIANGLES, g.counts.data(), GL_UNSIGNED_INT, g.offsets.data(),
                                GLsizei(g.counts.size()));
        }
    };
    glUniform1i(lit, 0);
    VisibleParts(park, view, &visible);
    drawMaterials(visible);

    BuildLeanVolumes(park, view, &volumes);
    if (volumes.lightsAnything) {
        // The volumes, uploaded once into the streaming buffer.
        if (volumes.totalVertices > g.volumeCapacity) {
            g.volumeCapacity = volumes.totalVertices + volumes.totalVertices / 4;
            glNamedBufferData(g.volumeBuffer, g.volumeCapacity * sizeof(D3DXVECTOR3), nullptr, GL_STREAM_DRAW);
            glVertexArrayVertexBuffer(g.volumeVao, 0, g.volumeBuffer, 0, sizeof(D3DXVECTOR3));
        } else {
            glInvalidateBufferData(g.volumeBuffer);
        }
        glNamedBufferSubData(g.volumeBuffer, 0, volumes.totalVertices * sizeof(D3DXVECTOR3), volumes.vertices.data());
        const RECT& r = volumes.scissor;
        glEnable(GL_SCISSOR_TEST);
        glScissor(r.left, GLint(view.height) - r.bottom, r.right - r.left, r.bottom - r.top);
        glStencilMask(0xFF);
        glClearStencil(0);
        glClear(GL_STENCIL_BUFFER_BIT);
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_ALWAYS, 0, 0xFF);
        glDepthMask(GL_FALSE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glUseProgram(g.volume);
        glUniformMatrix4fv(g.Uniform(g.volume, "uViewProj"), 1, GL_FALSE, &viewProj._11);
        glBindVertexArray(g.volumeVao);
        // Direct3D's clockwise faces are GL's back ones (counter-clockwise
        // is GL's front): they count up in front of the scene, down behind
        // it in the capped volumes.
        glStencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
        glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(volumes.passVertices));
        glStencilOpSeparate(GL_BACK, GL_KEEP, GL_DECR_WRAP, GL_KEEP);
        glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_INCR_WRAP, GL_KEEP);
        glDrawArrays(GL_TRIANGLES, GLint(volumes.passVertices), GLsizei(volumes.totalVertices - volumes.passVertices));

        // The lit pass: added where no volume counted, faces culled as the
        // engine's shadow pass leaves them (Direct3D's clockwise ones).
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glStencilFunc(GL_EQUAL, 0, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glUseProgram(g.scene);
        glBindVertexArray(g.sceneVao);
        glUniform1i(lit, 1);
        drawMaterials(volumes.litParts);
        glDisable(GL_CULL_FACE);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_STENCIL_TEST);
    }

    // The overlay: the help line, the centre marker, the rate and the
    // light's marker, one draw.
    g.textVertices.clear();
    AddText(&g.textVertices, help, 5.0f, 25.0f, 16.0f, 0xFFFFFFFF);
    AddText(&g.textVertices, "x", 0.45f * view.width, 0.45f * view.height, 0.1f * view.height, 0x55FFFF00);
    AddText(&g.textVertices, "FPS=00.00", 0.0f, 0.0f, 20.0f, 0xFFFFFF00);
    // The light's marker, where the light is on screen.
    D3DXVECTOR4 marker;
    D3DXVec3Transform(&marker, &view.light, &viewProj);
    if (marker.w > 0.0f)
        AddText(&g.textVertices, "O", (marker.x / marker.w + 1.0f) * 0.5f * view.width - 10.0f,
                (1.0f - marker.y / marker.w) * 0.5f * view.height - 10.0f, 20.0f, 0xFFFFFFFF);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glNamedBufferSubData(g.textBuffer, 0, g.textVertices.size() * sizeof(TextVertex), g.textVertices.data());
    glUseProgram(g.text);
    glUniform2f(g.Uniform(g.text, "uTarget"), float(view.width), float(view.height));
    glBindTextureUnit(0, g.font);
    glBindVertexArray(g.textVao);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(g.textVertices.size()));

    glBlitNamedFramebuffer(g.fbo, 0, 0, 0, GLint(view.width), GLint(view.height), 0, 0, GLint(view.width),
                           GLint(view.height), GL_COLOR_BUFFER_BIT, GL_NEAREST);
    SDL_GL_SwapWindow(g.window);
}

bool LeanFrame::Save(const char* path)
{
    Gl::Current current(*gl);
    const int w = int(view.width), h = int(view.height);
    std::vector<unsigned char> pixels(size_t(w) * h * 4), flipped(pixels.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gl->fbo);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom up.
    for (int y = 0; y < h; ++y)
        memcpy(&flipped[size_t(y) * w * 4], &pixels[size_t(h - 1 - y) * w * 4], size_t(w) * 4);
    return stbi_write_png(path, w, h, 4, flipped.data(), w * 4) != 0;
}
