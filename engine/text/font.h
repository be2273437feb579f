// Font: a geometry that draws text from a bitmap font, 256 glyphs in a 16 x 16
// grid of one texture. It is an overlay (IsModel false): the frame draws it
// after every model. Texts are queued each frame, in pixels, in fractions of
// the back buffer or in world space; Render draws all of them and empties the
// queues, so a text must be queued again every frame to stay on screen.
// Records name the source file "font" and the operation in quotes below.
#pragma once

#include "graphics/igeometry.h"
#include "graphics/qlgraphres.h"
#include "graphics/registeredgeometry.h"

#include "foundation/enginelist.h"
#include "foundation/enginestring.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"
#include "foundation/qltrace.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <stdint.h>

// The Windows SDK's font header names its own function CreateFont through a macro.
#undef CreateFont

struct Text2D {
    EngineString text;
    D3DCOLOR colour;
    D3DCOLOR background;  // kept, not drawn
    uint32_t size;        // pixels
    uint32_t x, y;        // pixels from the back buffer's top-left corner
    float direction[2];   // the baseline in screen space
};

struct Text3D {
    EngineString text;
    D3DCOLOR colour;
    D3DCOLOR background;  // kept, not drawn
    float size;           // world units
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;
    D3DXVECTOR3 up;  // from a glyph's top towards its bottom
};

class Font final : public RegisteredGeometry<Font, IGeometry> {
public:
    // Vertices of each of the two dynamic buffers; a text takes six for its
    // line start and six per character, line feeds included.
    static constexpr uint32_t bufferVertices = 3840;

    Font();
    ~Font();

    QL_TYPE_NAME("Font")
    // The same font with one more reference; "Invalid Call/Param" ("Clone()") for a null out.
    HRESULT Clone(IGeometry** out) override;
    // Draws every queued text, as many batches as the buffers need, and
    // empties the queues. On failure the queues not yet drawn keep their texts.
    // The first font drawn in the process validates the device: Warning "This
    // device seem to require <n> passes for this model's rendering" when it
    // needs more than one ("Render()").
    HRESULT Render() override;
    bool IsModel() override { return false; }

    // A text at (x, y) pixels, glyphs `size` pixels square, along (dirX, dirY).
    // The three Add calls queue the text for the next Render and report as
    // "UpdateAndRender()": "Invalid Call/Param" for an empty text, a size or
    // position out of range or a zero direction, "Not Enough Memory" when the
    // queue cannot grow.
    virtual HRESULT AddText2D(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, uint32_t size,
                              uint32_t x, uint32_t y, float dirX, float dirY);
    // The same in fractions of the back buffer: size of its height (0 < size
    // <= 1), x of its width, y of its height (0 to 1), as it is at this call
    // ("Invalid Call/Param" too before Init).
    virtual HRESULT AddText2DScaled(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, float size,
                                    float x, float y, float dirX, float dirY);
    // A text in world space, depth-tested against the scene and not lit.
    virtual HRESULT AddText3D(const EngineString& text, D3DCOLOR colour, D3DCOLOR background, float size,
                              const D3DXVECTOR3& position, const D3DXVECTOR3& direction, const D3DXVECTOR3& up);
    // The box a text would cover: *width along the direction (the widest
    // line), *height across it (lines 1.1 sizes apart, the last one size
    // high), in pixels. The GetExtend calls report "Invalid Call/Param"
    // under their own names for the Add calls' bad arguments or a null out.
    virtual HRESULT GetExtendText2D(const EngineString& text, uint32_t size, float dirX, float dirY, float* width,
                                    float* height);
    // The same for AddText2DScaled, as fractions of the back buffer's width
    // and height (0 < size < 1).
    virtual HRESULT GetExtendText2DScaled(const EngineString& text, float size, float dirX, float dirY, float* width,
                                          float* height);
    // The far corner of the text's box relative to its position: the widest
    // line along the direction plus the height along up.
    virtual HRESULT GetExtendText3D(const EngineString& text, float size, const D3DXVECTOR3& direction,
                                    const D3DXVECTOR3& up, D3DXVECTOR3* extent);

    // Loads the glyph texture `command` and makes the buffers; keeps
    // `graphics` (the factory's reference) only when everything succeeded.
    HRESULT Init(const EngineString& command, IGraphics* graphics);

    uint32_t Queued2D() const { return texts2D.Count(); }
    uint32_t Queued3D() const { return texts3D.Count(); }

private:
    friend RegisteredGeometry<Font, IGeometry>;
    // Every font has its creation parameters, even before Init.
    bool Loaded() const { return true; }
    const EngineString& CreationType() const;
    const EngineString& CreationCommand() const { return textureName; }
    // Text can be anywhere: never culled by its box.
    void Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const;

    HRESULT SetRenderStates(const TraceContext& trace, IDirect3DDevice9* device);

    EngineString textureName;
    EngineList<Text2D> texts2D;
    EngineList<Text3D> texts3D;
    Owned<VB> vb2D;
    Owned<VB> vb3D;
    Owned<Texture> texture;
};

// The core's factory for type "font": `command` is the glyph texture's path.
// The caller owns the reference stored in *out and has given the font one
// reference to `graphics`.
HRESULT CreateFont(const EngineString& type, const EngineString& command, IGraphics* graphics, IGeometry** out);
