// The Direct3D side of qlplatform_test.h: read-back and forced loss.
#include "device.h"

#include <qlplatform_test.h>

#include <SDL.h>

#include <algorithm>

namespace {

// A whole back-buffer-sized read-back of one framebuffer.
template <typename T, typename Out>
bool ReadFrame(GLuint framebuffer, UINT width, UINT height, bool (*read)(GLuint, int, int, Out*),
               std::vector<T>* out, uint32_t* outWidth, uint32_t* outHeight)
{
    *outWidth = width;
    *outHeight = height;
    out->resize((size_t)width * height);
    return read(framebuffer, width, height, out->data());
}

// The hooks read from the device made last, if there is one.
template <typename T>
bool ReadLatest(bool (Device::*read)(std::vector<T>*, uint32_t*, uint32_t*), std::vector<T>* out, uint32_t* width,
                uint32_t* height)
{
    Device* device = Device::Latest();
    return device && out && width && height && (device->*read)(out, width, height);
}

}  // namespace

// Row 0 of our framebuffers is the top row; BGRA bytes are 0xAARRGGBB.
bool Device::ReadPresented(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    return ReadFrame(frame.presented, params.BackBufferWidth, params.BackBufferHeight,
                               GLBackend::ReadColor, pixels, width, height);
}

bool Device::ReadWindow(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdlWindow, &w, &h);
    bool read = ReadFrame(0, w, h, GLBackend::ReadColor, pixels, width, height);
    // The window's rows run bottom-up.
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(pixels->begin() + (size_t)y * w, pixels->begin() + (size_t)(y + 1) * w,
                         pixels->begin() + (size_t)(h - 1 - y) * w);
    return read;
}

bool Device::ReadDepth(std::vector<float>* depth, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    return ReadFrame(frame.back, params.BackBufferWidth, params.BackBufferHeight, GLBackend::ReadDepth, depth, width,
                     height);
}

bool Device::ReadStencil(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    return ReadFrame(frame.back, params.BackBufferWidth, params.BackBufferHeight, GLBackend::ReadStencil, stencil,
                     width, height);
}

bool QLTest_ReadWindowFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    return ReadLatest(&Device::ReadWindow, pixels, width, height);
}

bool QLTest_ReadPresentedFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    return ReadLatest(&Device::ReadPresented, pixels, width, height);
}

bool QLTest_ReadDepthBuffer(std::vector<float>* depth, uint32_t* width, uint32_t* height)
{
    return ReadLatest(&Device::ReadDepth, depth, width, height);
}

bool QLTest_ReadStencilBuffer(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height)
{
    return ReadLatest(&Device::ReadStencil, stencil, width, height);
}

namespace {

DWORD maxVertexIndexCap = 0;

}  // namespace

DWORD QLPlatform_MaxVertexIndex()
{
    return maxVertexIndexCap ? maxVertexIndexCap : 0xFFFFFF;
}

void QLTest_SetMaxVertexIndex(DWORD maxVertexIndex)
{
    maxVertexIndexCap = maxVertexIndex;
}

void QLTest_ForceDeviceState(QLTestDeviceState state)
{
    if (Device* device = Device::Latest())
        device->ForceState(state);
}
