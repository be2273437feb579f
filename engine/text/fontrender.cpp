// The font's drawing: the text layout into glyph quads and Render, which
// draws the queues in as many buffer-sized batches as they need.
#define QL_SOURCE_FILE "font"

#include "text/font.h"

#include "graphics/igraphics.h"
#include "graphics/modeldraw.h"

#include "foundation/qltrace.h"

namespace {

// The glyph grid: 16 x 16 cells; a glyph is read from the left part of its
// cell, where the font texture draws it.
constexpr float cellSize = 0.0625f;
constexpr float glyphWidth = 0.0425f;
constexpr float lineSpacing = 1.1f;
constexpr uint32_t verticesPerQuad = 6;

struct Vertex2D {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

struct Vertex3D {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};

void Store(Vertex2D* vertex, const D3DXVECTOR3& at, D3DCOLOR colour, float u, float v)
{
    *vertex = Vertex2D{at.x, at.y, 1.0f, 1.0f, colour, u, v};
}

void Store(Vertex3D* vertex, const D3DXVECTOR3& at, D3DCOLOR colour, float u, float v)
{
    *vertex = Vertex3D{at.x, at.y, at.z, colour, u, v};
}

// Where a text starts, its advance per character and its line height vector.
struct Frame {
    D3DXVECTOR3 start, advance, down;
};

Frame FrameOf(const Text2D& text)
{
    D3DXVECTOR3 along(text.direction[0], text.direction[1], 0.0f);
    D3DXVec3Normalize(&along, &along);
    // The direction turned a quarter towards the screen's +y: down the screen
    // for a left-to-right text.
    D3DXVECTOR3 across(-along.y, along.x, 0.0f);
    float size = (float)text.size;
    return Frame{D3DXVECTOR3((float)text.x, (float)text.y, 1.0f), along * size, across * size};
}

Frame FrameOf(const Text3D& text)
{
    D3DXVECTOR3 along, across;
    D3DXVec3Normalize(&along, &text.direction);
    D3DXVec3Normalize(&across, &text.up);
    return Frame{text.position, along * text.size, across * text.size};
}

template <typename Text>
uint32_t QuadCount(EngineList<Text>& texts)
{
    uint32_t quads = 0;
    for (uint32_t i = 0; i < texts.Count(); ++i)
        quads += 1 + texts.Get(i)->text.Length();
    return quads;
}

// Fills a dynamic buffer quad by quad and draws it whenever it is full, so a
// queue of any length is drawn whole and never written past the buffer.
template <typename Vertex>
class Batch {
public:
    Batch(const TraceContext& trace, IDirect3DDevice9* device, VB* buffer)
        : trace(trace), device(device), buffer(buffer), capacity(buffer->GetCount() / verticesPerQuad)
    {
    }

    ~Batch()
    {
        if (vertices)
            buffer->Unlock();
    }

    // The quad from corner along `advance` and `down`, sampling the texture
    // from (s, t) over the glyph's rectangle, or only at (s, t) when empty.
    HRESULT Put(const D3DXVECTOR3& corner, const Frame& frame, D3DCOLOR colour, float s, float t, bool empty)
    {
        if (!vertices) {
            void* data = nullptr;
            QL_TRY(trace, "Too many chars for the VB", buffer->Lock(&data, nullptr));
            vertices = static_cast<Vertex*>(data);
        }
        float right = empty ? s : s + glyphWidth;
        float bottom = empty ? t : t + cellSize;
        D3DXVECTOR3 below = corner + frame.down;
        Vertex* quad = vertices + used * verticesPerQuad;
        Store(quad + 0, corner, colour, s, t);
        Store(quad + 1, below, colour, s, bottom);
        Store(quad + 2, corner + frame.advance, colour, right, t);
        quad[3] = quad[1];
        Store(quad + 4, below + frame.advance, colour, right, bottom);
        quad[5] = quad[2];
        if (++used == capacity)
            return Flush();
        return S_OK;
    }

    HRESULT Flush()
    {
        if (!vertices)
            return S_OK;
        vertices = nullptr;
        QL_TRY(trace, "IDirect3DVertexBuffer9::Unlock() failed", buffer->Unlock());
        QL_TRY(trace, "-", buffer->Active(0));
        UINT triangles = used * verticesPerQuad / 3;
        used = 0;
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles));
        return S_OK;
    }

private:
    const TraceContext& trace;
    IDirect3DDevice9* device;
    VB* buffer;
    uint32_t capacity;
    Vertex* vertices = nullptr;
    uint32_t used = 0;
};

// Lays out every queued text in order: a line-start quad on the transparent
// texel at each line's start, then one quad per character, each one advance
// further; a line feed starts the next line 1.1 sizes down.
template <typename Vertex, typename Text>
HRESULT DrawQueue(const TraceContext& trace, IDirect3DDevice9* device, VB* buffer, EngineList<Text>& texts)
{
    if (QuadCount(texts) == 0)
        return S_OK;
    Batch<Vertex> batch(trace, device, buffer);
    // Put and Flush report their own failures: pass them up as they are.
    HRESULT result = S_OK;
    for (uint32_t i = 0; i < texts.Count(); ++i) {
        const Text& text = *texts.Get(i);
        Frame frame = FrameOf(text);
        D3DXVECTOR3 lineStart = frame.start;
        D3DXVECTOR3 corner = lineStart - frame.advance;
        if (FAILED(result = batch.Put(corner, frame, text.colour, 0.0f, 0.0f, true)))
            return result;
        const unsigned char* chars = reinterpret_cast<const unsigned char*>(text.text.Chars());
        for (uint32_t k = 0; k < text.text.Length(); ++k) {
            if (chars[k] == '\n') {
                lineStart += frame.down * lineSpacing;
                corner = lineStart - frame.advance;
                result = batch.Put(corner, frame, text.colour, 0.0f, 0.0f, true);
            } else {
                corner += frame.advance;
                float s = (float)(chars[k] % 16) * cellSize;
                float t = (float)(chars[k] / 16) * cellSize;
                result = batch.Put(corner, frame, text.colour, s, t, false);
            }
            if (FAILED(result))
                return result;
        }
    }
    return batch.Flush();
}

}  // namespace

HRESULT Font::SetRenderStates(const TraceContext& trace, IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    QL_TRY(trace, "-", texture->Active(0));
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

    ValidateDeviceOnce(trace, QL_HERE, device, validationPending);
    return S_OK;
}

HRESULT Font::Render()
{
    TraceContext trace(this, "Render()");
    IDirect3DDevice9* device = graphics ? graphics->GetDevice() : nullptr;
    QL_TRY(trace, "IGraphics return NULL d3dDev", device ? S_OK : E_FAIL);
    HRESULT result = SetRenderStates(trace, device);
    if (FAILED(result))
        return result;

    if (FAILED(result = DrawQueue<Vertex2D>(trace, device, vb2D.Get(), texts2D)))
        return result;
    texts2D.Clear();
    // 3D text is depth-tested against the scene.
    device->SetRenderState(D3DRS_ZENABLE, TRUE);

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    if (FAILED(result = DrawQueue<Vertex3D>(trace, device, vb3D.Get(), texts3D)))
        return result;
    texts3D.Clear();

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return S_OK;
}
