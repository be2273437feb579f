// The graphics side of ModelSkelMeta::LoadCal3D: after the readers and the
// packing, the index buffer, the dynamic vertex buffer and the textures.
#define QL_SOURCE_FILE "modelcal3d"

#include "modelcal3d.h"
#include "modelskel.h"
#include "skelindexbuffer.h"

#include "qltrace.h"

HRESULT ModelSkelMeta::LoadCal3D(const EngineString& file, IGraphics* graphics)
{
    TraceContext trace("ModelSkelMeta::LoadCal3D()");
    QL_REQUIRE_ARG(trace, graphics);
    // The readers' records already name every level of a failure.
    HRESULT loaded = LoadCal3DData(file, &data);
    if (FAILED(loaded))
        return loaded;

    // Cal3D data is z-up; the engine is y-up.
    D3DXMATRIX rotationX, rotationY, scaling;
    D3DXMatrixRotationX(&rotationX, -1.5707964f);
    D3DXMatrixRotationY(&rotationY, 3.1415927f);
    D3DXMatrixScaling(&scaling, data.scale, data.scale, data.scale);
    D3DXMatrixMultiply(&baseMatrix, &rotationX, &rotationY);
    D3DXMatrixMultiply(&baseMatrix, &baseMatrix, &scaling);

    HRESULT indices = MakeSkelIndexBuffer(trace, QL_HERE, graphics, data.indices, &indexBuffer);
    if (FAILED(indices))
        return indices;

    WriteCal3DSummary(data);
    QL_REQUIRE_MEMORY(trace, skin.Build(data.vertices, data.influences));

    // Written by the first Update: the skinned pose.
    QL_TRY(trace, "-", graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, data.vertices.Count(), true, &vertexBuffer));

    QL_REQUIRE_MEMORY(trace, textures.Allocate(data.materials.Count()) || data.materials.IsEmpty());
    for (uint32_t m = 0; m < data.materials.Count(); ++m) {
        SkelMaterial& material = data.materials[m];
        if (!material.hasTexture)
            continue;
        QL_TRY(trace, "-", graphics->CreateTexture(material.textureName, &textures[m]));
        material.textureName = EngineString();
    }
    return S_OK;
}
