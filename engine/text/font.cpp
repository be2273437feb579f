// The font's life and its queues: creation, the geometry slots, the queuing
// operations and the extents. Drawing is in fontrender.cpp.
#include "text/font.h"

#include "graphics/geometryfactory.h"
#include "graphics/igraphics.h"

#include "foundation/qltrace.h"

#include <math.h>

#include <new>

namespace {

// A direction is usable when its squared length is above 0 (NaN is not).
bool Usable(float x, float y, float z = 0.0f)
{
    return x * x + y * y + z * z > 0.0f;
}

// Characters on the widest line and number of lines (line feeds + 1).
void Measure(const EngineString& text, uint32_t* widest, uint32_t* lines)
{
    uint32_t current = 0;
    *widest = 0;
    *lines = 1;
    for (uint32_t i = 0; i < text.Length(); ++i) {
        if (text.Chars()[i] == '\n') {
            ++*lines;
            current = 0;
        } else if (++current > *widest) {
            *widest = current;
        }
    }
}

// Across the lines: each starts 1.1 sizes below the one before, the last one
// is one size high.
float Height(uint32_t lines, float size)
{
    return (float)(lines - 1) * 1.1f * size + size;
}

}  // namespace

HRESULT CreateFont(const EngineString& type, const EngineString& command, IGraphics* graphics, IGeometry** out)
{
    TraceContext trace("CreateFont()");
    return CreateGeometry<Font>(trace, QL_HERE, type == "font", out, [&](Font& font) {
        HRESULT result = font.Init(command, graphics);
        if (FAILED(result))
            QL_LOG(trace, TraceError, type + " '" + command + "' : Init() failed");
        return result;
    });
}

Font::Font() : RegisteredGeometry(QL_HERE), textureName("NO_FONT") {}

Font::~Font()
{
    TraceContext trace(this, "Destructor()");
    QL_LOG(trace, TraceInfo, "Font '" + textureName + "' Destroyed");
}

HRESULT Font::Init(const EngineString& command, IGraphics* manager)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, manager);
    QL_TRY(trace, "IGraphics return NULL d3dDev", manager->GetDevice() ? S_OK : E_FAIL);
    textureName = command;
    QL_TRY(trace, "-", manager->CreateTexture(textureName, texture.Receive()));
    QL_TRY(trace, "-",
           manager->CreateVB(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, bufferVertices, true, vb2D.Receive()));
    QL_TRY(trace, "-", manager->CreateVB(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, bufferVertices, true, vb3D.Receive()));
    KeepGraphics(manager);
    return S_OK;
}

HRESULT Font::Clone(IGeometry** out)
{
    TraceContext trace(this, "Clone()");
    QL_REQUIRE_ARG(trace, out);
    AddRef();
    *out = this;
    return S_OK;
}

const EngineString& Font::CreationType() const
{
    static const EngineString type("font");
    return type;
}

void Font::Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const
{
    *minimum = D3DXVECTOR3(-1e38f, -1e38f, -1e38f);
    *maximum = D3DXVECTOR3(1e38f, 1e38f, 1e38f);
}

// The queuing operations report under the frame's name: they are called
// while the application prepares it.
HRESULT Font::AddText2D(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, uint32_t size, uint32_t x,
                        uint32_t y, float dirX, float dirY)
{
    TraceContext trace(this, "UpdateAndRender()");
    QL_REQUIRE_ARG(trace, !text.IsEmpty() && size > 0 && Usable(dirX, dirY));
    QL_REQUIRE_MEMORY(trace, SUCCEEDED(texts2D.Add(Text2D{text, colour, background, size, x, y, {dirX, dirY}})));
    return S_OK;
}

HRESULT Font::AddText2DScaled(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, float size, float x,
                              float y, float dirX, float dirY)
{
    TraceContext trace(this, "UpdateAndRender()");
    QL_REQUIRE_ARG(trace, size > 0.0f && size <= 1.0f && x >= 0.0f && x <= 1.0f && y >= 0.0f && y <= 1.0f);
    QL_REQUIRE_ARG(trace, graphics);
    ScreenMode mode = {};
    QL_TRY(trace, "-", graphics->GetScreenMode(&mode));
    QL_TRY(trace, "-",
           AddText2D(text, colour, background, (uint32_t)(size * (float)mode.height), (uint32_t)(x * (float)mode.width),
                     (uint32_t)(y * (float)mode.height), dirX, dirY));
    return S_OK;
}

HRESULT Font::AddText3D(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, float size,
                        const D3DXVECTOR3& position, const D3DXVECTOR3& direction, const D3DXVECTOR3& up)
{
    TraceContext trace(this, "UpdateAndRender()");
    QL_REQUIRE_ARG(trace, !text.IsEmpty() && size > 0.0f && Usable(direction.x, direction.y, direction.z) &&
                              Usable(up.x, up.y, up.z));
    QL_REQUIRE_MEMORY(trace,
                      SUCCEEDED(texts3D.Add(Text3D{text, colour, background, size, position, direction, up})));
    return S_OK;
}

HRESULT Font::GetExtendText2D(const EngineString& text, uint32_t size, float dirX, float dirY, float* width,
                              float* height)
{
    TraceContext trace(this, "GetExtendText2D()");
    QL_REQUIRE_ARG(trace, !text.IsEmpty() && size > 0 && Usable(dirX, dirY) && width && height);
    uint32_t widest, lines;
    Measure(text, &widest, &lines);
    *width = (float)widest * (float)size;
    *height = Height(lines, (float)size);
    return S_OK;
}

HRESULT Font::GetExtendText2DScaled(const EngineString& text, float size, float dirX, float dirY, float* width,
                                    float* height)
{
    TraceContext trace(this, "GetExtendText2DScaled()");
    QL_REQUIRE_ARG(trace, !text.IsEmpty() && size > 0.0f && size < 1.0f && Usable(dirX, dirY) && width && height);
    QL_REQUIRE_ARG(trace, graphics);
    ScreenMode mode = {};
    QL_TRY(trace, "-", graphics->GetScreenMode(&mode));
    QL_ASSERT(trace, mode.width > 0 && mode.height > 0);
    // The size AddText2DScaled would draw with, in whole pixels.
    float pixels = (float)(uint32_t)(size * (float)mode.height);
    uint32_t widest, lines;
    Measure(text, &widest, &lines);
    *width = (float)widest * pixels / (float)mode.width;
    *height = Height(lines, pixels) / (float)mode.height;
    return S_OK;
}

HRESULT Font::GetExtendText3D(const EngineString& text, float size, const D3DXVECTOR3& direction,
                              const D3DXVECTOR3& up, D3DXVECTOR3* extent)
{
    TraceContext trace(this, "GetExtendText3D()");
    QL_REQUIRE_ARG(trace, !text.IsEmpty() && size > 0.0f && Usable(direction.x, direction.y, direction.z) &&
                              Usable(up.x, up.y, up.z) && extent);
    uint32_t widest, lines;
    Measure(text, &widest, &lines);
    D3DXVECTOR3 along, across;
    D3DXVec3Normalize(&along, &direction);
    D3DXVec3Normalize(&across, &up);
    *extent = along * ((float)widest * size) + across * Height(lines, size);
    return S_OK;
}
