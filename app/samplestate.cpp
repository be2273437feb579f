#include "samplestate.h"

#include "core/icore.h"
#include "graphics/igraphics.h"

SampleState Sample;
double (*SampleClock)() = Timer;

D3DXVECTOR3 StartEye()
{
    return D3DXVECTOR3(0.0f, 300.0f, -400.0f);
}

D3DXVECTOR3 StartTarget()
{
    D3DXVECTOR3 towards = D3DXVECTOR3(0.0f, 50.0f, 0.0f) - StartEye();
    D3DXVec3Normalize(&towards, &towards);
    return StartEye() + towards;
}

void ResetSampleState()
{
    Sample.eye = StartEye();
    Sample.target = D3DXVECTOR3(0.0f, 50.0f, 0.0f);
    Sample.up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    Sample.stencilShadow = true;
    Sample.lightMoving = true;
    Sample.help = false;
    Sample.wireframe = false;
    Sample.helpText = "";
    Sample.lightAngle = 0.0f;
    Sample.lastLightStep = 0.0;
    DrawShadowVolume = false;
    AmbientOnly = false;
    DrawPossibleSilhouette = false;
}
