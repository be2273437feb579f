// What every geometry the core's factories make is: counted, registered with
// the graphics manager that draws it and holding one reference to it, and
// answering the IGeometry getters the same way. PlacedModel adds what a lit,
// shadowed model has on top: its world matrix.
//
// The concrete class (Self) gives, for the shared operations:
//   bool Loaded() const                  whether Init has given it its data
//   const EngineString& CreationType() const, CreationCommand() const
//   void Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const
// and hands its constructor QL_HERE, so the shared checks' records name the
// concrete class's own source file.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"

#include "foundation/enginestring.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"
#include "foundation/qltrace.h"

#include <d3dx9.h>

#include <stdint.h>

#include <new>

template <typename Self, typename Interface>
class RegisteredGeometry : public RefCounted<Self, Interface> {
public:
    HRESULT Update(float) override { return S_OK; }
    HRESULT SendCommand(uint32_t, uint32_t) override { return S_FALSE; }

    // "Invalid Call/Param" for a null argument (nothing is written),
    // "Assertion Failed" before the data is loaded.
    HRESULT GetCreationParams(EngineString* type, EngineString* command) override
    {
        TraceContext trace(this, "GetCreationParams()");
        if (FAILED(CheckGetter(trace, type && command)))
            return QLE_SUBFUNCTION;
        *type = self().CreationType();
        *command = self().CreationCommand();
        return S_OK;
    }

    // The same rule as GetCreationParams: a caller that passes a null corner
    // made an invalid call, and gets neither corner.
    HRESULT GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) override
    {
        TraceContext trace(this, "GetBoundingBox()");
        if (FAILED(CheckGetter(trace, minimum && maximum)))
            return QLE_SUBFUNCTION;
        self().Box(minimum, maximum);
        return S_OK;
    }

protected:
    explicit RegisteredGeometry(SourceSpot spot) : spot(spot) {}

    // Only a geometry that finished its Init is registered and holds the
    // manager; the registry must not keep a pointer to it once it is gone.
    ~RegisteredGeometry()
    {
        if (graphics)
            graphics->RemoveGeometry(this);
    }

    // Takes over the manager reference its factory gave: the geometry keeps
    // it from its successful Init on.
    void KeepGraphics(IGraphics* manager) { graphics.Reset(manager); }

    // Init for a model whose loaded data (Meta, counted) its clones share:
    // checks the manager, makes `meta`, lets `load(meta)` fill it and
    // `ready(meta)` finish the instance (false: out of memory). The manager
    // is kept only when all of it succeeded. Records: "Invalid Call/Param",
    // "Not Enough Memory", "<type><<command>> : Loading failed".
    template <typename Meta, typename Load, typename Ready>
    HRESULT InitShared(Owned<Meta>& meta, const EngineString& type, const EngineString& command,
                       IGraphics* manager, Load load, Ready ready)
    {
        TraceContext trace(this, "Init()");
        if (!manager)
            return Refuse(trace, "Invalid Call/Param", E_INVALIDARG);
        meta.Reset(new (std::nothrow) Meta());
        if (!meta)
            return Refuse(trace, "Not Enough Memory", E_OUTOFMEMORY);
        HRESULT loaded = load(meta.Get());
        if (FAILED(loaded))
            return Refuse(trace, (type + "<" + command + "> : Loading failed").Chars(), loaded);
        if (!ready(*meta))
            return Refuse(trace, "Not Enough Memory", E_OUTOFMEMORY);
        KeepGraphics(manager);
        return S_OK;
    }

    // Registers `copy` with this geometry's manager, which the copy then holds
    // a reference to; E_FAIL when the registry cannot take it (an
    // unregistered copy would never be drawn). Nothing to do without a manager.
    HRESULT ShareGraphics(RegisteredGeometry& copy)
    {
        if (!graphics)
            return S_OK;
        if (FAILED(graphics->AddGeometry(&copy)))
            return E_FAIL;
        copy.graphics = graphics.Share();
        return S_OK;
    }

    // Reports a refused call; what the operation then returns.
    HRESULT Refuse(const TraceContext& trace, const char* message, HRESULT code) const
    {
        CheckResult(trace, message, spot.file, spot.line, code);
        return QLE_SUBFUNCTION;
    }

    // Whether the first draw of any geometry of this class is still to
    // validate the device: once per class and run.
    static inline bool validationPending = true;

    Owned<IGraphics> graphics;
    const SourceSpot spot;

private:
    Self& self() { return static_cast<Self&>(*this); }

    // The getters' checks: every out given, the data loaded.
    HRESULT CheckGetter(const TraceContext& trace, bool outsGiven)
    {
        if (!outsGiven)
            return Refuse(trace, "Invalid Call/Param", E_INVALIDARG);
        if (!self().Loaded())
            return Refuse(trace, "Assertion Failed", E_FAIL);
        return S_OK;
    }
};

// A model placed in the world by its matrix, lit and shadowed.
template <typename Self>
class PlacedModel : public RegisteredGeometry<Self, IModel> {
public:
    bool IsModel() override { return true; }

    HRESULT SetMatrix(D3DXMATRIX matrix) override
    {
        world = matrix;
        return S_OK;
    }

    // "Invalid Call/Param" for a null out.
    HRESULT GetMatrix(D3DXMATRIX* out) override
    {
        TraceContext trace(this, "GetMatrix()");
        if (!out)
            return this->Refuse(trace, "Invalid Call/Param", E_INVALIDARG);
        *out = world;
        return S_OK;
    }

protected:
    explicit PlacedModel(SourceSpot spot) : RegisteredGeometry<Self, IModel>(spot) { D3DXMatrixIdentity(&world); }

    // Clone for a model whose clones share its loaded data: a new instance
    // at the same place, given the rest by `fill(copy)`, registered with the
    // same manager. Records: "Invalid Call/Param" for a null out, "Not Enough
    // Memory", "-" when `fill` or the registration fails; *out is then null.
    template <typename Fill>
    HRESULT CloneModel(IGeometry** out, Fill fill)
    {
        TraceContext trace(this, "Clone()");
        if (!out)
            return this->Refuse(trace, "Invalid Call/Param", E_INVALIDARG);
        *out = nullptr;
        Owned<Self> copy = MakeOwned<Self>();
        if (!copy)
            return this->Refuse(trace, "Not Enough Memory", E_OUTOFMEMORY);
        copy->world = world;
        HRESULT result = fill(*copy);
        if (SUCCEEDED(result))
            result = this->ShareGraphics(*copy);
        if (FAILED(result))
            return this->Refuse(trace, "-", result);
        *out = copy.Detach();
        return S_OK;
    }

    D3DXMATRIX world;
};
