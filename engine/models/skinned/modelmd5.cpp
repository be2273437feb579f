// MD5 models are named in the factory but no reader exists: every load fails.
#include "modelskel.h"

#include "qltrace.h"

HRESULT ModelSkelMeta::LoadMD5(const EngineString&, IGraphics* graphics)
{
    TraceContext trace("ModelSkelMeta::LoadMD5()");
    QL_REQUIRE_ARG(trace, graphics);
    return E_FAIL;
}
