#include "viewerframing.h"

#include <float.h>
#include <math.h>

bool TransformBox(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& matrix,
                  D3DXVECTOR3& movedLow, D3DXVECTOR3& movedHigh)
{
    movedLow = D3DXVECTOR3(FLT_MAX, FLT_MAX, FLT_MAX);
    movedHigh = D3DXVECTOR3(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    if (!(low.x <= high.x && low.y <= high.y && low.z <= high.z))
        return false;
    for (int corner = 0; corner < 8; corner++) {
        D3DXVECTOR3 point((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y, (corner & 4) ? high.z : low.z);
        D3DXVECTOR4 moved;
        D3DXVec3Transform(&moved, &point, &matrix);
        movedLow = D3DXVECTOR3(fminf(movedLow.x, moved.x), fminf(movedLow.y, moved.y), fminf(movedLow.z, moved.z));
        movedHigh =
            D3DXVECTOR3(fmaxf(movedHigh.x, moved.x), fmaxf(movedHigh.y, moved.y), fmaxf(movedHigh.z, moved.z));
    }
    return true;
}

D3DXMATRIX FrameModel(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& orientation,
                      const D3DXVECTOR3& centre, float radius)
{
    D3DXVECTOR3 orientedLow, orientedHigh;
    bool empty = !TransformBox(low, high, orientation, orientedLow, orientedHigh);
    D3DXVECTOR3 middle(0, 0, 0);
    float scale = 1.0f;
    if (!empty) {
        middle = (orientedLow + orientedHigh) * 0.5f;
        D3DXVECTOR3 halfDiagonal = (orientedHigh - orientedLow) * 0.5f;
        float extent = D3DXVec3Length(&halfDiagonal);
        if (extent > 0.0f && isfinite(extent))
            scale = radius / extent;
    }
    D3DXMATRIX scaling, translation, world;
    D3DXMatrixScaling(&scaling, scale, scale, scale);
    D3DXVECTOR3 offset = centre - middle * scale;
    D3DXMatrixTranslation(&translation, offset.x, offset.y, offset.z);
    D3DXMatrixMultiply(&world, &orientation, &scaling);
    D3DXMatrixMultiply(&world, &world, &translation);
    return world;
}
