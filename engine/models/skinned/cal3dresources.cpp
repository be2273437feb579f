// The graphics side of ModelSkelMeta::LoadCal3D: after the readers and the
// packing, the index buffer, the dynamic vertex buffer and the textures.
#define QL_SOURCE_FILE "modelcal3d"

#include "models/skinned/modelcal3d.h"
#include "models/skinned/modelskel.h"
#include "models/skinned/skelresources.h"

#include "foundation/qltrace.h"

HRESULT ModelSkelMeta::LoadCal3D(const EngineString& file, IGraphics* graphics)
{
    TraceContext trace("ModelSkelMeta::LoadCal3D()");
    QL_REQUIRE_ARG(trace, graphics);
    // The readers' records already name every level of a failure.
    HRESULT loaded = LoadCal3DData(file, &data);
    if (FAILED(loaded))
        return loaded;

    // Cal3D data is z-up; the engine is y-up.
    StandZUpData(data.scale, &baseMatrix);
    HRESULT made = MakeSkelIndexBuffer(trace, QL_HERE, graphics, data.indices, &indexBuffer);
    if (SUCCEEDED(made)) {
        WriteCal3DSummary(data);
        made = MakeSkelSkin(trace, QL_HERE, graphics, this);
    }
    if (SUCCEEDED(made))
        made = MakeSkelTextures(trace, QL_HERE, graphics, this);
    return made;
}
