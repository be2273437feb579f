// An overlay that copies the finished frame out of the device. Registered
// after every other geometry, its Render runs last in the frame, before
// Present: with a DISCARD swap effect the back buffer's contents are
// undefined once presented, so this is the one moment the frame is whole.
#pragma once

#include "graphics/igeometry.h"
#include "graphics/igraphics.h"

#include <stdint.h>
#include <vector>

// The frame as 8-bit R, G, B triples, rows top-down.
struct CapturedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

// Writes `image` as a PNG file; false when it cannot be written.
bool SavePng(const CapturedImage& image, const char* path);

class CaptureProbe final : public RefCounted<CaptureProbe, IGeometry> {
public:
    // Registers the probe with `graphics` (which it holds a reference to);
    // it copies nothing until Arm.
    static HRESULT Create(IGraphics* graphics, CaptureProbe** out);
    ~CaptureProbe();

    // The next Render copies the back buffer into `image` and disarms.
    void Arm(CapturedImage* image);
    // The result of the last copy: S_OK, or the device call that failed.
    HRESULT LastResult() const { return lastResult; }

    QL_TYPE_NAME("CaptureProbe")
    HRESULT Clone(IGeometry**) override { return E_FAIL; }
    HRESULT Update(float) override { return S_OK; }
    HRESULT Render() override;
    HRESULT SendCommand(uint32_t, uint32_t) override { return S_FALSE; }
    HRESULT GetCreationParams(EngineString*, EngineString*) override { return E_FAIL; }
    HRESULT GetBoundingBox(D3DXVECTOR3*, D3DXVECTOR3*) override { return E_FAIL; }
    bool IsModel() override { return false; }

private:
    CaptureProbe() = default;
    HRESULT Copy(IDirect3DDevice9* device, CapturedImage* image);

    IGraphics* graphics = nullptr;
    CapturedImage* target = nullptr;
    HRESULT lastResult = S_OK;
};
