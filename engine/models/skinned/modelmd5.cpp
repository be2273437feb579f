// The graphics side of ModelSkelMeta::LoadMD5: after the readers, the index
// buffer, the dynamic vertex buffer and the textures.
#include "models/skinned/modelmd5.h"
#include "models/skinned/modelskel.h"
#include "models/skinned/skelresources.h"

#include "foundation/qltrace.h"

HRESULT ModelSkelMeta::LoadMD5(const EngineString& file, IGraphics* graphics)
{
    TraceContext trace("ModelSkelMeta::LoadMD5()");
    QL_REQUIRE_ARG(trace, graphics);
    HRESULT loaded = LoadMD5Data(file, &data);
    if (FAILED(loaded))
        return loaded;

    // MD5 data is z-up and right-handed like Cal3D's: the same base matrix
    // stands it up.
    StandZUpData(1.0f, &baseMatrix);
    HRESULT made = MakeSkelIndexBuffer(trace, QL_HERE, graphics, data.indices, &indexBuffer);
    if (SUCCEEDED(made))
        made = MakeSkelSkin(trace, QL_HERE, graphics, this);
    if (SUCCEEDED(made))
        made = MakeSkelTextures(trace, QL_HERE, graphics, this);
    return made;
}
