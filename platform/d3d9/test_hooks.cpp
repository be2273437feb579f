// The Direct3D side of qlplatform_test.h: read-back and forced loss.
#include "device.h"

#include <qlplatform_test.h>

#include <SDL.h>

#include <algorithm>

bool Device::ReadPresented(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    *width = params.BackBufferWidth;
    *height = params.BackBufferHeight;
    pixels->resize((size_t)*width * *height);
    // Row 0 of our framebuffers is the top row; BGRA bytes are 0xAARRGGBB.
    return GLBackend::ReadColor(frame.presented, *width, *height, pixels->data());
}

bool Device::ReadWindow(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdlWindow, &w, &h);
    *width = (uint32_t)w;
    *height = (uint32_t)h;
    pixels->resize((size_t)w * h);
    bool read = GLBackend::ReadColor(0, w, h, pixels->data());
    // The window's rows run bottom-up.
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(pixels->begin() + (size_t)y * w, pixels->begin() + (size_t)(y + 1) * w,
                         pixels->begin() + (size_t)(h - 1 - y) * w);
    return read;
}

bool Device::ReadDepth(std::vector<float>* depth, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    *width = params.BackBufferWidth;
    *height = params.BackBufferHeight;
    depth->resize((size_t)*width * *height);
    return GLBackend::ReadDepth(frame.back, *width, *height, depth->data());
}

bool Device::ReadStencil(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height)
{
    MakeCurrent();
    *width = params.BackBufferWidth;
    *height = params.BackBufferHeight;
    stencil->resize((size_t)*width * *height);
    return GLBackend::ReadStencil(frame.back, *width, *height, stencil->data());
}

bool QLTest_ReadWindowFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    Device* device = Device::Latest();
    return device && pixels && width && height && device->ReadWindow(pixels, width, height);
}

bool QLTest_ReadPresentedFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    Device* device = Device::Latest();
    return device && pixels && width && height && device->ReadPresented(pixels, width, height);
}

bool QLTest_ReadDepthBuffer(std::vector<float>* depth, uint32_t* width, uint32_t* height)
{
    Device* device = Device::Latest();
    return device && depth && width && height && device->ReadDepth(depth, width, height);
}

bool QLTest_ReadStencilBuffer(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height)
{
    Device* device = Device::Latest();
    return device && stencil && width && height && device->ReadStencil(stencil, width, height);
}

void QLTest_ForceDeviceState(QLTestDeviceState state)
{
    if (Device* device = Device::Latest())
        device->ForceState(state);
}
