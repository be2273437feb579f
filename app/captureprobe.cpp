#include "captureprobe.h"

#include "foundation/owned.h"

#include <new>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

bool SavePng(const CapturedImage& image, const char* path)
{
    return image.width && stbi_write_png(path, (int)image.width, (int)image.height, 3, image.rgb.data(),
                                          (int)image.width * 3) != 0;
}

HRESULT CaptureProbe::Create(IGraphics* graphics, CaptureProbe** out)
{
    *out = nullptr;
    CaptureProbe* made = new (std::nothrow) CaptureProbe();
    if (!made)
        return E_OUTOFMEMORY;
    made->AddRef();
    Owned<CaptureProbe> probe(made);
    HRESULT result = graphics->AddGeometry(probe.Get());
    if (FAILED(result))
        return result;
    graphics->AddRef();
    probe->graphics = graphics;
    *out = probe.Detach();
    return S_OK;
}

CaptureProbe::~CaptureProbe()
{
    if (graphics) {
        graphics->RemoveGeometry(this);
        graphics->Release();
    }
}

void CaptureProbe::Arm(CapturedImage* image)
{
    target = image;
    lastResult = S_OK;
}

HRESULT CaptureProbe::Render()
{
    if (!target)
        return S_OK;
    CapturedImage* image = target;
    target = nullptr;
    lastResult = Copy(graphics->GetDevice(), image);
    // A failed copy is the capture's failure, not the frame's.
    return S_OK;
}

// The device's back buffer through a system-memory surface of its size and
// format: the route Direct3D 9 gives for reading a render target.
HRESULT CaptureProbe::Copy(IDirect3DDevice9* device, CapturedImage* image)
{
    if (!device)
        return E_FAIL;
    Owned<IDirect3DSurface9> backBuffer, copy;
    D3DSURFACE_DESC desc = {};
    HRESULT result = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive());
    if (SUCCEEDED(result))
        result = backBuffer->GetDesc(&desc);
    if (SUCCEEDED(result) && desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8)
        result = E_FAIL;  // a 16-bit back buffer would need its own unpacking
    if (SUCCEEDED(result))
        result = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                     copy.Receive(), nullptr);
    if (SUCCEEDED(result))
        result = device->GetRenderTargetData(backBuffer.Get(), copy.Get());
    D3DLOCKED_RECT locked = {};
    if (SUCCEEDED(result))
        result = copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(result))
        return result;
    image->width = desc.Width;
    image->height = desc.Height;
    image->rgb.resize((size_t)desc.Width * desc.Height * 3);
    for (uint32_t y = 0; y < desc.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + (size_t)y * locked.Pitch;
        uint8_t* out = image->rgb.data() + (size_t)y * desc.Width * 3;
        // Memory order B, G, R, X.
        for (uint32_t x = 0; x < desc.Width; ++x) {
            out[x * 3 + 0] = row[x * 4 + 2];
            out[x * 3 + 1] = row[x * 4 + 1];
            out[x * 3 + 2] = row[x * 4 + 0];
        }
    }
    copy->UnlockRect();
    return S_OK;
}
