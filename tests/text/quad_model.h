// A model for the font suites: one flat, unlit, single-coloured square in the
// plane z = depth, drawn in the model pass so 3D text can be tested against it.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"

#include "support/stub_model.h"

class QuadModel final : public StubModel<QuadModel> {
public:
    // Registers itself with `graphics` and holds a reference to it.
    static HRESULT Create(IGraphics* graphics, float left, float bottom, float right, float top, float depth,
                          D3DCOLOR colour, QuadModel** out);
    ~QuadModel();

    QL_TYPE_NAME("QuadModel")
    HRESULT Render() override;

private:
    QuadModel() = default;

    IGraphics* graphics = nullptr;
    VB* vertices = nullptr;
};
