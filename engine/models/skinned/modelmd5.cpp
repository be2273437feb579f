// The graphics side of ModelSkelMeta::LoadMD5: after the readers, the index
// buffer, the dynamic vertex buffer and the textures.
#include "modelmd5.h"
#include "modelskel.h"
#include "skelindexbuffer.h"

#include "qltrace.h"

HRESULT ModelSkelMeta::LoadMD5(const EngineString& file, IGraphics* graphics)
{
    TraceContext trace("ModelSkelMeta::LoadMD5()");
    QL_REQUIRE_ARG(trace, graphics);
    HRESULT loaded = LoadMD5Data(file, &data);
    if (FAILED(loaded))
        return loaded;

    // MD5 data is z-up and right-handed like Cal3D's: the same base matrix
    // stands it up.
    D3DXMATRIX rotationX, rotationY;
    D3DXMatrixRotationX(&rotationX, -1.5707964f);
    D3DXMatrixRotationY(&rotationY, 3.1415927f);
    D3DXMatrixMultiply(&baseMatrix, &rotationX, &rotationY);

    HRESULT indices = MakeSkelIndexBuffer(trace, QL_HERE, graphics, data.indices, &indexBuffer);
    if (FAILED(indices))
        return indices;

    QL_REQUIRE_MEMORY(trace, skin.Build(data.vertices, data.influences));
    QL_TRY(trace, "-", graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, data.vertices.Count(), true, &vertexBuffer));

    QL_REQUIRE_MEMORY(trace, textures.Allocate(data.materials.Count()));
    for (uint32_t m = 0; m < data.materials.Count(); ++m) {
        SkelMaterial& material = data.materials[m];
        if (!material.hasTexture)
            continue;
        QL_TRY(trace, "-", graphics->CreateTexture(material.textureName, &textures[m]));
        material.textureName = EngineString();
    }
    return S_OK;
}
