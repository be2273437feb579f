// What the frame leaves out: the parts of models outside the view, those
// beyond a point light's range, and the screen outside what a light can
// reach. Every decision is conservative, so a frame culled and a frame drawn
// whole are the same picture.
#include "graphics/qlgraphics.h"

#include "graphics/imodel.h"

#include <math.h>

#include <new>

namespace {

// Rounding between the range test here and the device's, per vertex.
float WithTolerance(float range)
{
    return range * 1.0001f + 1e-3f;
}

}  // namespace

bool QLGraphics::GrowPartScratch(uint32_t count)
{
    if (count <= partCapacity)
        return true;
    delete[] partFlags;
    delete[] partPlans;
    delete[] partStarts;
    delete[] partReaches;
    delete[] partSpans;
    partFlags = new (std::nothrow) bool[count];
    partPlans = new (std::nothrow) uint8_t[count];
    partStarts = new (std::nothrow) float[count];
    partReaches = new (std::nothrow) float[count];
    partSpans = new (std::nothrow) CappedVertexSpan[count];
    partCapacity = partFlags && partPlans && partStarts && partReaches && partSpans ? count : 0;
    return partCapacity != 0;
}

void QLGraphics::ViewParts(IModel* model, PartsView* view)
{
    view->parts = &view->whole;
    view->count = 1;
    view->boxed = false;
    D3DXMatrixIdentity(&view->world);
    ShadowInfos& infos = view->infos;
    infos = ShadowInfos{nullptr, nullptr};
    if (FAILED(model->GetShadowInfos(&infos)) || !infos.vertices || !infos.indices) {
        infos = ShadowInfos{nullptr, nullptr};
        return;
    }
    model->GetMatrix(&view->world);
    if (infos.parts && infos.partCount) {
        view->parts = infos.parts;
        view->count = infos.partCount;
        view->boxed = true;
        return;
    }
    ShadowPart& whole = view->whole;
    whole.firstTriangle = 0;
    whole.triangleCount = infos.indices->GetCount() / 3;
    view->boxed = infos.vertices->PositionBounds(&whole.low, &whole.high);
    // No triangle is longer than the box is across.
    const D3DXVECTOR3 diagonal = whole.high - whole.low;
    whole.longestEdge = view->boxed ? D3DXVec3Length(&diagonal) : 0.0f;
}

// Every part of every model, placed in the world, with the largest scale of
// its model's matrix; false, after the models before it, at the first model
// without a box.
template <typename Visit>
bool QLGraphics::ForEachPlacedPart(Visit visit)
{
    for (uint32_t i = 0; i < geometries.Count(); ++i) {
        IGeometry* geometry = *geometries.Get(i);
        if (!geometry->IsModel())
            continue;
        PartsView view;
        ViewParts(static_cast<IModel*>(geometry), &view);
        if (!view.boxed)
            return false;
        const float scale = LargestScale(view.world);
        for (uint32_t p = 0; p < view.count; ++p)
            visit(view.parts[p], PlaceBox(view.world, view.parts[p].low, view.parts[p].high), scale);
    }
    return true;
}

QLGraphics::LightReach QLGraphics::ReachOf(const LightSlot& slot)
{
    LightReach found;
    // The debug drawing shows volumes and silhouettes wherever they are.
    if (!culling || slot.light.Type != D3DLIGHT_POINT || DrawShadowVolume || DrawPossibleSilhouette ||
        !(slot.light.Range > 0.0f) || !isfinite(slot.light.Range))
        return found;
    found.position = D3DXVECTOR3(slot.light.Position.x, slot.light.Position.y, slot.light.Position.z);
    found.range = slot.light.Range;
    // Lighting is per vertex: a triangle with one corner in range is lit
    // across its whole surface, up to its longest edge beyond the range.
    WorldBounds lit;
    float longestEdge = 0.0f;
    const bool boxed = ForEachPlacedPart([&](const ShadowPart& part, const PlacedBox& box, float scale) {
        if (DistanceToBox(found.position, box) > WithTolerance(found.range))
            return;
        const float edge = part.longestEdge * scale;
        longestEdge = fmaxf(longestEdge, edge);
        lit.Add(ClipToCube(box, found.position, WithTolerance(found.range + edge)));
    });
    if (!boxed)
        return found;
    found.limited = true;
    found.castReach = WithTolerance(found.range + longestEdge);
    found.lightsAnything = ScreenRectOf(lit, eye, at, up, presentParams.BackBufferWidth,
                                        presentParams.BackBufferHeight, &found.scissor);
    return found;
}

bool QLGraphics::SceneLowest(float* lowestOut)
{
    bool any = false;
    float lowestY = 0.0f;
    const bool boxed = ForEachPlacedPart([&](const ShadowPart&, const PlacedBox& box, float) {
        for (const D3DXVECTOR3& corner : box.corners) {
            lowestY = any ? fminf(lowestY, corner.y) : corner.y;
            any = true;
        }
    });
    *lowestOut = lowestY;
    return boxed && any && isfinite(lowestY);
}

HRESULT QLGraphics::RenderCulled(IGeometry* geometry, const LightReach* lightReach)
{
    if (!geometry->IsModel())
        return geometry->Render();
    IModel* model = static_cast<IModel*>(geometry);
    PartsView view;
    ViewParts(model, &view);
    if (!lightReach)
        statistics.objectsInScene += view.count;
    if (!culling || !view.boxed || !GrowPartScratch(view.count)) {
        statistics.objectsDrawn += lightReach ? 0 : view.count;
        return geometry->Render();
    }
    const bool ranged = lightReach && lightReach->limited;
    uint32_t visible = 0;
    for (uint32_t p = 0; p < view.count; ++p) {
        const ShadowPart& part = view.parts[p];
        const PlacedBox box = PlaceBox(view.world, part.low, part.high);
        partFlags[p] = BoxMayBeVisible(frustum, box) &&
                       !(ranged && DistanceToBox(lightReach->position, box) > WithTolerance(lightReach->range));
        visible += partFlags[p] ? 1 : 0;
    }
    if (!lightReach)
        statistics.objectsDrawn += visible;
    if (visible == 0)
        return S_OK;
    return visible == view.count ? geometry->Render() : model->RenderParts(partFlags);
}
