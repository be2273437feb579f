#include "models/scene/modelscene.h"

#include "foundation/qltrace.h"

// The format is recognised by the factory but has no loader: every load fails.
HRESULT ModelSceneMeta::LoadD3Map(const EngineString&, IGraphics* graphics)
{
    TraceContext trace("ModelSceneMeta::LoadD3Map()");
    QL_REQUIRE_ARG(trace, graphics);
    return E_FAIL;
}
