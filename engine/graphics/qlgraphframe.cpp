// The per-frame side of the graphics manager: camera, lights, the geometry
// registry and the frame in its two layouts.
#define QL_SOURCE_FILE "qlgraphics"

#include "graphics/qlgraphics.h"

#include "graphics/igeometry.h"

#include "foundation/qltrace.h"

#include <math.h>

namespace {

constexpr D3DCOLOR frameBackground = 0xFF000050;

D3DLIGHT9 WithoutColour(const D3DLIGHT9& light, bool keepAmbient)
{
    D3DLIGHT9 copy = light;
    const D3DCOLORVALUE black = {0.0f, 0.0f, 0.0f, 0.0f};
    if (keepAmbient) {
        copy.Diffuse = black;
        copy.Specular = black;
    } else {
        copy.Ambient = black;
    }
    return copy;
}

}  // namespace

HRESULT QLGraphics::SetCamera(const D3DXVECTOR3* newEye, const D3DXVECTOR3* newAt, const D3DXVECTOR3* newUp)
{
    TraceContext trace(this, "SetCamera()");
    QL_REQUIRE_ARG(trace, newEye && newAt && newUp);
    QL_REQUIRE_ARG(trace, newUp->x * newUp->x + newUp->y * newUp->y + newUp->z * newUp->z > 0.0f);
    QL_REQUIRE_ARG(trace, !(newEye->x == newAt->x && newEye->y == newAt->y && newEye->z == newAt->z));
    eye = *newEye;
    at = *newAt;
    up = *newUp;
    if (!device)
        return S_OK;
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    return device->SetTransform(D3DTS_VIEW, &view);
}

HRESULT QLGraphics::GetCamera(D3DXVECTOR3* outEye, D3DXVECTOR3* outAt, D3DXVECTOR3* outUp)
{
    if (outEye)
        *outEye = eye;
    if (outAt)
        *outAt = at;
    if (outUp)
        *outUp = up;
    return S_OK;
}

HRESULT QLGraphics::SetLightning(bool enable, D3DCOLOR colour)
{
    TraceContext trace(this, "SetLightning()");
    // With stencil shadows the passes set lighting and ambient themselves: only remember them.
    if (stencilShadow && enable) {
        lighting = true;
        ambient = colour;
        return S_OK;
    }
    if (device && enable != lighting)
        QL_TRY(trace, "IDirect3DDevice9::SetRenderState() failed !", device->SetRenderState(D3DRS_LIGHTING, enable));
    if (enable) {
        if (device) {
            device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
            device->SetRenderState(D3DRS_AMBIENT, colour);
        }
    } else {
        QL_TRY(trace, "-", SetStencilShadow(false));
    }
    lighting = enable;
    ambient = colour;
    return S_OK;
}

HRESULT QLGraphics::SetLight(int32_t number, bool enable, const D3DLIGHT9* light)
{
    TraceContext trace(this, "SetLight()");
    QL_REQUIRE_ARG(trace, light);
    QL_ASSERT(trace, lighting);
    LightSlot* slot = nullptr;
    for (LightSlot& candidate : lights)
        if (!slot && candidate.index == number)
            slot = &candidate;
    for (LightSlot& candidate : lights)
        if (!slot && !candidate.enabled)
            slot = &candidate;
    if (!slot) {
        QL_LOG(trace, TraceError, "Can't active more than MAXACTIVELIGHTS lights");
        return E_FAIL;
    }
    bool onDevice = device && !stencilShadow;
    if (enable) {
        if (!slot->enabled && onDevice)
            QL_TRY(trace, "IDirect3DDevice9::LightEnable() failed !", device->LightEnable((DWORD)number, TRUE));
        slot->index = number;
        slot->enabled = true;
        slot->light = *light;
        if (onDevice)
            QL_TRY(trace, "IDirect3DDevice9::SetLight() failed !", device->SetLight((DWORD)number, light));
    } else if (slot->enabled) {
        if (onDevice)
            QL_TRY(trace, "IDirect3DDevice9::LightEnable() failed !", device->LightEnable((DWORD)number, FALSE));
        slot->enabled = false;
    }
    return S_OK;
}

HRESULT QLGraphics::SetStencilShadow(bool enable)
{
    TraceContext trace(this, "SetStencilShadow()");
    if (enable == stencilShadow)
        return S_FALSE;
    if (enable) {
        uint32_t largest = 0;
        for (uint32_t i = 0; i < vertexBuffers.Count(); ++i)
            if ((*vertexBuffers.Get(i))->GetCount() > largest)
                largest = (*vertexBuffers.Get(i))->GetCount();
        if (largest > 0 && !shadowVB)
            QL_TRY(trace, "-", GrowShadowBuffer(6 * uint64_t(largest)));
        if (lighting) {
            if (device)
                for (DWORD i = 0; i < 8; ++i)
                    device->LightEnable(i, FALSE);
        } else {
            QL_TRY(trace, "-", SetLightning(true, 0));
        }
    } else {
        shadowVB.Reset();
        shadowScratch.Clear();
        ReleaseShadowIndices();
        // The light passes used device light 0 for every slot: leave only
        // what the standard layout enables again each frame.
        DisableDeviceLights();
    }
    stencilShadow = enable;
    return S_OK;
}

HRESULT QLGraphics::AddGeometry(IGeometry* geometry)
{
    return AddGeometryInternal(geometry);
}

HRESULT QLGraphics::AddGeometryInternal(IGeometry* geometry)
{
    TraceContext trace(this, "AddGeometry()");
    QL_REQUIRE_ARG(trace, geometry);
    return geometries.Add(geometry);
}

HRESULT QLGraphics::RemoveGeometry(IGeometry* geometry)
{
    TraceContext trace(this, "RemoveGeometry()");
    QL_REQUIRE_ARG(trace, geometry);
    QL_TRY(trace, "GeometryToRemove not found", geometries.Remove(geometry));
    // Every entry goes: a geometry registered twice calls this once, from
    // its destructor, and no frame may reach it afterwards.
    while (SUCCEEDED(geometries.Remove(geometry))) {
    }
    return S_OK;
}

HRESULT QLGraphics::UpdateAndRender(float elapsedSeconds)
{
    TraceContext trace(this, "UpdateAndRender()");
    QL_REQUIRE_ARG(trace, elapsedSeconds >= 0.0f);
    if (!device || inFrame)
        return S_FALSE;
    // The device first: a lost one can be neither reset nor drawn to, and a
    // pending mode change waits for it.
    HRESULT level = device->TestCooperativeLevel();
    if (level == D3DERR_DEVICELOST) {
        QL_LOG(trace, TraceWarning, "Device Lost");
        return S_FALSE;
    }
    if (level == D3DERR_DEVICENOTRESET)
        QL_LOG(trace, TraceWarning, "Device To Reset");
    if (level == D3DERR_DEVICENOTRESET || screenModeChanged) {
        const HRESULT update = UpdateScreenMode();
        QL_TRY(trace, "-", update);
        // Lost again at the reset.
        if (update == S_FALSE) {
            QL_LOG(trace, TraceWarning, "Device Lost");
            return S_FALSE;
        }
    }

    inFrame = true;
    frustum = ViewFrustumOf(eye, at, up);
    lowestKnown = SceneLowest(&lowest);
    statistics = FrameStatistics();
    HRESULT result = device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, frameBackground, 1.0f, 0);
    if (SUCCEEDED(result)) {
        result = device->BeginScene();
        if (SUCCEEDED(result)) {
            result = stencilShadow ? DrawStencilShadowLayout(elapsedSeconds) : DrawStandardLayout(elapsedSeconds);
            // A light pass that failed leaves its scissor on.
            if (reach.limited)
                device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
            reach = LightReach();
            device->EndScene();
            if (SUCCEEDED(result))
                result = device->Present(nullptr, nullptr, nullptr, nullptr);
        }
    }
    inFrame = false;
    lastStatistics = statistics;
    // Lost in the middle of the frame (a full-screen device losing the focus
    // at Present): the next frames wait for the device and reset it.
    if (result == D3DERR_DEVICELOST) {
        QL_LOG(trace, TraceWarning, "Device Lost");
        return S_FALSE;
    }
    if (FAILED(result))
        return QL_CHECK(trace, "Rendering failed", result);
    return S_OK;
}

// The layouts ignore their render-state results on purpose: only clear, begin,
// the stencil enable, present and the geometries end a frame.
HRESULT QLGraphics::DrawStandardLayout(float elapsedSeconds)
{
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, lighting);
    device->SetRenderState(D3DRS_SPECULARENABLE, lighting);
    device->SetRenderState(D3DRS_AMBIENT, ambient);
    for (const LightSlot& slot : lights) {
        if (!slot.enabled)
            continue;
        device->LightEnable((DWORD)slot.index, TRUE);
        device->SetLight((DWORD)slot.index, &slot.light);
    }
    HRESULT result = UpdateAndDrawModels(elapsedSeconds);
    if (FAILED(result))
        return result;
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    return DrawOverlays();
}

HRESULT QLGraphics::DrawStencilShadowLayout(float elapsedSeconds)
{
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, ambient);
    // The ambient pass: every light's ambient term, no diffuse or specular.
    // Device light 0 may still hold the last light pass's light.
    DisableDeviceLights();
    for (const LightSlot& slot : lights) {
        if (!slot.enabled)
            continue;
        D3DLIGHT9 ambientOnly = WithoutColour(slot.light, true);
        device->LightEnable((DWORD)slot.index, TRUE);
        device->SetLight((DWORD)slot.index, &ambientOnly);
    }
    HRESULT result = UpdateAndDrawModels(elapsedSeconds);
    if (FAILED(result))
        return result;

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    result = device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    if (FAILED(result))
        return result;
    device->SetRenderState(D3DRS_STENCILREF, 0);
    device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    // A lit pass adds one light's diffuse and specular terms only: the
    // ambient pass has already added the global ambient and the other
    // lights, which must not be added again where no shadow falls.
    for (const LightSlot& slot : lights)
        if (slot.enabled && slot.index != 0)
            device->LightEnable((DWORD)slot.index, FALSE);
    device->LightEnable(0, TRUE);

    // One additive pass per light, masked by that light's volumes only.
    for (const LightSlot& slot : lights) {
        if (!slot.enabled)
            continue;
        // Nothing on screen within the light's range: it adds nothing.
        reach = ReachOf(slot);
        if (!reach.lightsAnything)
            continue;
        D3DLIGHT9 direct = WithoutColour(slot.light, false);
        device->SetLight(0, &direct);
        // The scissor also bounds the stencil clear: outside it this light
        // neither counts nor lights.
        if (reach.limited) {
            device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
            device->SetScissorRect(&reach.scissor);
        }
        result = device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
        if (FAILED(result))
            return result;
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        // Visible volumes show in the global ambient colour.
        device->SetRenderState(D3DRS_AMBIENT, DrawShadowVolume ? ambient : 0);
        if (!DrawShadowVolume)
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        for (uint32_t i = 0; i < geometries.Count(); ++i) {
            IGeometry* geometry = *geometries.Get(i);
            if (geometry->IsModel() && FAILED(result = GenAndRenderShadVol(slot, geometry)))
                return result;
        }
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        if (DrawShadowVolume)
            device->SetRenderState(D3DRS_AMBIENT, 0);
        for (uint32_t i = 0; i < geometries.Count() && !AmbientOnly; ++i) {
            IGeometry* geometry = *geometries.Get(i);
            if (geometry->IsModel() && FAILED(result = RenderCulled(geometry, &reach)))
                return result;
        }
        if (reach.limited)
            device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    }

    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    return DrawOverlays();
}

// Every geometry is updated, overlays included; only models are drawn here.
HRESULT QLGraphics::UpdateAndDrawModels(float elapsedSeconds)
{
    for (uint32_t i = 0; i < geometries.Count(); ++i) {
        IGeometry* geometry = *geometries.Get(i);
        HRESULT result = geometry->Update(elapsedSeconds);
        if (SUCCEEDED(result) && geometry->IsModel())
            result = RenderCulled(geometry, nullptr);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

// Device light 0 and every light number a slot has held.
void QLGraphics::DisableDeviceLights()
{
    if (!device)
        return;
    device->LightEnable(0, FALSE);
    for (const LightSlot& slot : lights)
        if (slot.index > 0)
            device->LightEnable((DWORD)slot.index, FALSE);
}

HRESULT QLGraphics::DrawOverlays()
{
    for (uint32_t i = 0; i < geometries.Count(); ++i) {
        IGeometry* geometry = *geometries.Get(i);
        if (!geometry->IsModel()) {
            HRESULT result = geometry->Render();
            if (FAILED(result))
                return result;
        }
    }
    return S_OK;
}
