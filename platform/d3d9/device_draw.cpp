// The draw path: bring the GL state up to the Direct3D state (only what
// changed since the last draw, through the GL state cache), pick the
// generated fixed-function program, upload the uniforms whose state changed,
// and draw. Nothing here allocates once a program exists.
#include "device.h"

#include <math.h>
#include <string.h>

namespace {

GLenum CompareFunc(DWORD func)
{
    if (func < D3DCMP_NEVER || func > D3DCMP_ALWAYS)
        func = D3DCMP_ALWAYS;
    return GL_NEVER + (func - D3DCMP_NEVER);
}

// Direct3D's INCR and DECR wrap; its INCRSAT and DECRSAT clamp.
GLenum StencilOp(DWORD op)
{
    switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
    }
}

// The obsolete BOTH* factors set the source and the destination at once.
void BlendPair(DWORD src, DWORD dst, GLenum* glSrc, GLenum* glDst)
{
    if (src == D3DBLEND_BOTHSRCALPHA) {
        *glSrc = GL_SRC_ALPHA;
        *glDst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        *glSrc = GL_ONE_MINUS_SRC_ALPHA;
        *glDst = GL_SRC_ALPHA;
    } else {
        *glSrc = BlendFactor(src);
        *glDst = BlendFactor(dst);
    }
}

GLenum BlendOp(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum AddressMode(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

void ToFloats(D3DCOLOR c, float out[4])
{
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = (c >> 24) / 255.0f;
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
}

// (x, y, z, w)·M, first three components.
void Transform(const D3DVECTOR& v, float w, const D3DMATRIX& m, float out[3])
{
    for (int j = 0; j < 3; ++j)
        out[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j] + w * m.m[3][j];
}

}  // namespace

void Device::ApplyRenderStates()
{
    const DWORD* rs = renderStates;
    gl.Viewport(viewport.X, viewport.Y, viewport.Width, viewport.Height);
    gl.DepthRange(viewport.MinZ, viewport.MaxZ);

    // Without a depth-stencil buffer there is nothing to test against.
    bool depthStencil = params.EnableAutoDepthStencil != FALSE;
    gl.Enable(GL_DEPTH_TEST, depthStencil && rs[D3DRS_ZENABLE] != D3DZB_FALSE);
    gl.DepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE);
    gl.DepthFunc(CompareFunc(rs[D3DRS_ZFUNC]));

    gl.Enable(GL_STENCIL_TEST, depthStencil && rs[D3DRS_STENCILENABLE] != FALSE);
    // GL's front faces are the ones Direct3D calls clockwise; two-sided
    // mode gives counter-clockwise ones their own ops.
    GLStencilFace front;
    front.func = CompareFunc(rs[D3DRS_STENCILFUNC]);
    front.ref = rs[D3DRS_STENCILREF] & 0xFF;
    front.mask = rs[D3DRS_STENCILMASK];
    front.fail = StencilOp(rs[D3DRS_STENCILFAIL]);
    front.zfail = StencilOp(rs[D3DRS_STENCILZFAIL]);
    front.zpass = StencilOp(rs[D3DRS_STENCILPASS]);
    front.writeMask = rs[D3DRS_STENCILWRITEMASK];
    GLStencilFace back = front;
    if (rs[D3DRS_TWOSIDEDSTENCILMODE]) {
        back.func = CompareFunc(rs[D3DRS_CCW_STENCILFUNC]);
        back.fail = StencilOp(rs[D3DRS_CCW_STENCILFAIL]);
        back.zfail = StencilOp(rs[D3DRS_CCW_STENCILZFAIL]);
        back.zpass = StencilOp(rs[D3DRS_CCW_STENCILPASS]);
    }
    gl.StencilFace(GL_FRONT, front);
    gl.StencilFace(GL_BACK, back);

    gl.Enable(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != FALSE);
    GLenum src, dst, srcAlpha, dstAlpha;
    BlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &src, &dst);
    GLenum op = BlendOp(rs[D3DRS_BLENDOP]), opAlpha = op;
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
        BlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &srcAlpha, &dstAlpha);
        opAlpha = BlendOp(rs[D3DRS_BLENDOPALPHA]);
    } else {
        srcAlpha = src;
        dstAlpha = dst;
    }
    gl.BlendFunc(src, dst, srcAlpha, dstAlpha);
    gl.BlendEquation(op, opAlpha);
    gl.BlendColor(rs[D3DRS_BLENDFACTOR]);

    // A back buffer without alpha keeps its alpha at one.
    DWORD write = rs[D3DRS_COLORWRITEENABLE];
    gl.ColorMask(write & 1, write & 2, write & 4, (write & 8) && params.BackBufferFormat == D3DFMT_A8R8G8B8);

    // GL's front faces are Direct3D's clockwise ones (see CreateContext).
    DWORD cull = rs[D3DRS_CULLMODE];
    gl.Enable(GL_CULL_FACE, cull == D3DCULL_CW || cull == D3DCULL_CCW);
    gl.CullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);

    DWORD fill = rs[D3DRS_FILLMODE];
    gl.PolygonMode(fill == D3DFILL_POINT ? GL_POINT : (fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL));

    bool scissor = rs[D3DRS_SCISSORTESTENABLE] != FALSE;
    gl.Enable(GL_SCISSOR_TEST, scissor);
    if (scissor) {
        LONG w = scissorRect.right - scissorRect.left, h = scissorRect.bottom - scissorRect.top;
        gl.Scissor(scissorRect.left, scissorRect.top, w > 0 ? w : 0, h > 0 ? h : 0);
    }
}

void Device::ApplySamplers()
{
    for (DWORD i = 0; i < kMaxStages; ++i) {
        const DWORD* ss = samplerStates[i];
        DWORD* applied = appliedSamplers[i];
        GLuint s = samplers[i];
        if (!samplersApplied || memcmp(ss, applied, sizeof appliedSamplers[i]) != 0) {
            DWORD minF = ss[D3DSAMP_MINFILTER], magF = ss[D3DSAMP_MAGFILTER], mipF = ss[D3DSAMP_MIPFILTER];
            bool minLinear = minF >= D3DTEXF_LINEAR;
            GLenum min = minLinear ? GL_LINEAR : GL_NEAREST;
            if (mipF == D3DTEXF_POINT)
                min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            else if (mipF >= D3DTEXF_LINEAR)
                min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            GLBackend::SamplerParameters p;
            p.minFilter = min;
            p.magFilter = magF >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
            p.wrapS = AddressMode(ss[D3DSAMP_ADDRESSU]);
            p.wrapT = AddressMode(ss[D3DSAMP_ADDRESSV]);
            p.wrapR = AddressMode(ss[D3DSAMP_ADDRESSW]);
            ToFloats(ss[D3DSAMP_BORDERCOLOR], p.border);
            memcpy(&p.lodBias, &ss[D3DSAMP_MIPMAPLODBIAS], sizeof p.lodBias);
            p.maxAnisotropy =
                minF == D3DTEXF_ANISOTROPIC ? (float)(ss[D3DSAMP_MAXANISOTROPY] ? ss[D3DSAMP_MAXANISOTROPY] : 1) : 1.0f;
            GLBackend::SetSampler(s, p);
            memcpy(applied, ss, sizeof appliedSamplers[i]);
        }
        gl.BindTexture(i, textures[i] ? textures[i]->Name() : 0);
    }
    samplersApplied = true;
}

void Device::ApplyVertexFormat()
{
    GLBackend::SetVertexStream(vao, stream ? stream->Name() : 0, streamOffset, streamStride ? streamStride : 4);
    GLuint ib = indices ? indices->Name() : 0;
    if (ib != appliedIndexBuffer) {
        GLBackend::SetIndexBuffer(vao, ib);
        appliedIndexBuffer = ib;
    }
    if (fvf == appliedFvf)
        return;
    appliedFvf = fvf;
    GLuint offset = 0;
    auto attribute = [&](GLuint location, bool present, GLint size, GLenum type, bool normalized, GLuint bytes) {
        GLBackend::SetAttribute(vao, location, present, size, type, normalized, offset);
        if (present)
            offset += bytes;
    };
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    bool rhw = position == D3DFVF_XYZRHW || position == D3DFVF_XYZW;
    attribute(kAttrPosition, position != 0, rhw ? 4 : 3, GL_FLOAT, false, rhw ? 16 : 12);
    // Blend weights follow the position; this pipeline does no vertex blending.
    if (position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5)
        offset += 4 * ((position - D3DFVF_XYZ) / 2);
    attribute(kAttrNormal, (fvf & D3DFVF_NORMAL) != 0, 3, GL_FLOAT, false, 12);
    if (fvf & D3DFVF_PSIZE)
        offset += 4;
    attribute(kAttrDiffuse, (fvf & D3DFVF_DIFFUSE) != 0, GL_BGRA, GL_UNSIGNED_BYTE, true, 4);
    attribute(kAttrSpecular, (fvf & D3DFVF_SPECULAR) != 0, GL_BGRA, GL_UNSIGNED_BYTE, true, 4);
    DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    static const GLint floatsPerFormat[4] = {2, 3, 4, 1};
    for (DWORD i = 0; i < 8; ++i) {
        GLint floats = floatsPerFormat[(fvf >> (16 + 2 * i)) & 3];
        attribute(kAttrTexCoord0 + i, i < sets, floats, GL_FLOAT, false, 4 * floats);
    }
}

void Device::ComputeShaderKey(FFShaderKey* key)
{
    const DWORD* rs = renderStates;
    memset(key, 0, sizeof *key);
    key->fvf = fvf & (D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                      D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u);
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    key->rhw = position == D3DFVF_XYZRHW;
    key->lighting = rs[D3DRS_LIGHTING] && !key->rhw;
    key->specularEnable = rs[D3DRS_SPECULARENABLE] != FALSE;
    activeLightCount = 0;
    if (key->lighting) {
        key->localViewer = rs[D3DRS_LOCALVIEWER] != FALSE;
        key->normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != FALSE;
        // A source naming a colour the vertex lacks falls back to the material.
        auto source = [&](D3DRENDERSTATETYPE state) -> uint8_t {
            DWORD value = rs[D3DRS_COLORVERTEX] ? rs[state] : (DWORD)D3DMCS_MATERIAL;
            if (value == D3DMCS_COLOR1 && !(fvf & D3DFVF_DIFFUSE))
                return D3DMCS_MATERIAL;
            if (value == D3DMCS_COLOR2 && !(fvf & D3DFVF_SPECULAR))
                return D3DMCS_MATERIAL;
            return value <= D3DMCS_COLOR2 ? (uint8_t)value : (uint8_t)D3DMCS_MATERIAL;
        };
        key->diffuseSource = source(D3DRS_DIFFUSEMATERIALSOURCE);
        key->ambientSource = source(D3DRS_AMBIENTMATERIALSOURCE);
        key->specularSource = source(D3DRS_SPECULARMATERIALSOURCE);
        key->emissiveSource = source(D3DRS_EMISSIVEMATERIALSOURCE);
        for (DWORD i = 0; i < kMaxLights && activeLightCount < kMaxActiveLights; ++i)
            if (lightEnabled[i]) {
                key->lightTypes[activeLightCount] = (uint8_t)lights[i].Type;
                activeLights[activeLightCount++] = i;
            }
        ++lightVersion;
    }
    key->alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    if (key->alphaTest)
        key->alphaFunc = (uint8_t)(rs[D3DRS_ALPHAFUNC] <= D3DCMP_ALWAYS ? rs[D3DRS_ALPHAFUNC] : (DWORD)D3DCMP_ALWAYS);
    for (DWORD s = 0; s < kMaxStages; ++s) {
        const DWORD* ts = stageStates[s];
        if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE || ts[D3DTSS_COLOROP] > D3DTOP_LERP)
            break;
        FFStageKey& stage = key->stages[s];
        stage.colorOp = (uint8_t)ts[D3DTSS_COLOROP];
        stage.colorArg1 = (uint8_t)ts[D3DTSS_COLORARG1];
        stage.colorArg2 = (uint8_t)ts[D3DTSS_COLORARG2];
        stage.alphaOp = (uint8_t)(ts[D3DTSS_ALPHAOP] <= D3DTOP_LERP ? ts[D3DTSS_ALPHAOP] : (DWORD)D3DTOP_DISABLE);
        stage.alphaArg1 = (uint8_t)ts[D3DTSS_ALPHAARG1];
        stage.alphaArg2 = (uint8_t)ts[D3DTSS_ALPHAARG2];
        stage.texCoordIndex = (uint8_t)(ts[D3DTSS_TEXCOORDINDEX] & 7);
        stage.hasTexture = textures[s] != nullptr;
        key->stageCount = (uint8_t)(s + 1);
    }
}

void Device::UpdateDerived()
{
    if (derivedTransformVersion != transformVersion) {
        D3DMATRIX wv;
        Multiply(world, view, &wv);
        memcpy(worldView, &wv, sizeof worldView);
        memcpy(projectionMatrix, &projection, sizeof projectionMatrix);
        // Normals take the inverse transpose of the 3x3 part: the cofactor
        // matrix over the determinant, uploaded row by row like the others.
        const float(*m)[4] = wv.m;
        float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1], c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2],
              c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
        float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
        float inv = det != 0.0f ? 1.0f / det : 0.0f;
        float cof[3][3] = {
            {c00, c01, c02},
            {m[0][2] * m[2][1] - m[0][1] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
             m[0][1] * m[2][0] - m[0][0] * m[2][1]},
            {m[0][1] * m[1][2] - m[0][2] * m[1][1], m[0][2] * m[1][0] - m[0][0] * m[1][2],
             m[0][0] * m[1][1] - m[0][1] * m[1][0]},
        };
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                normalMatrix[i * 3 + j] = cof[i][j] * inv;
        derivedTransformVersion = transformVersion;
    }
    if (derivedLightVersion != lightVersion) {
        for (DWORD k = 0; k < kMaxActiveLights; ++k) {
            if (k >= activeLightCount) {
                memset(lightDiffuse[k], 0, sizeof lightDiffuse[k]);
                continue;
            }
            const D3DLIGHT9& l = lights[activeLights[k]];
            memcpy(lightDiffuse[k], &l.Diffuse, 16);
            memcpy(lightSpecular[k], &l.Specular, 16);
            memcpy(lightAmbient[k], &l.Ambient, 16);
            // World-space lights move into camera space with the view matrix
            // current at draw time.
            Transform(l.Position, 1.0f, view, lightPosition[k]);
            Transform(l.Direction, 0.0f, view, lightDirection[k]);
            lightAttenuation[k][0] = l.Attenuation0;
            lightAttenuation[k][1] = l.Attenuation1;
            lightAttenuation[k][2] = l.Attenuation2;
            lightSpot[k][0] = cosf(l.Theta / 2.0f);
            lightSpot[k][1] = cosf(l.Phi / 2.0f);
            lightSpot[k][2] = l.Falloff;
            lightRange[k] = l.Range;
        }
        derivedLightVersion = lightVersion;
    }
    if (derivedMaterialVersion != materialVersion) {
        ToFloats(renderStates[D3DRS_AMBIENT], globalAmbient);
        derivedMaterialVersion = materialVersion;
    }
}

void Device::ApplyUniforms(FFProgram& p)
{
    UpdateDerived();
    GLuint prog = p.program;
    if (p.transformVersion != transformVersion) {
        GLBackend::SetUniformMatrix4(prog, p.projection, projectionMatrix);
        GLBackend::SetUniformMatrix4(prog, p.worldView, worldView);
        GLBackend::SetUniformMatrix3(prog, p.normalMatrix, normalMatrix);
        p.transformVersion = transformVersion;
    }
    if (p.lightVersion != lightVersion) {
        if (p.lightDiffuse >= 0) {
            GLBackend::SetUniform4(prog, p.lightDiffuse, 8, &lightDiffuse[0][0]);
            GLBackend::SetUniform4(prog, p.lightSpecular, 8, &lightSpecular[0][0]);
            GLBackend::SetUniform4(prog, p.lightAmbient, 8, &lightAmbient[0][0]);
            GLBackend::SetUniform3(prog, p.lightPosition, 8, &lightPosition[0][0]);
            GLBackend::SetUniform3(prog, p.lightDirection, 8, &lightDirection[0][0]);
            GLBackend::SetUniform3(prog, p.lightAttenuation, 8, &lightAttenuation[0][0]);
            GLBackend::SetUniform3(prog, p.lightSpot, 8, &lightSpot[0][0]);
            GLBackend::SetUniform1(prog, p.lightRange, 8, lightRange);
        }
        p.lightVersion = lightVersion;
    }
    if (p.materialVersion != materialVersion) {
        GLBackend::SetUniform4(prog, p.matDiffuse, 1, &material.Diffuse.r);
        GLBackend::SetUniform4(prog, p.matAmbient, 1, &material.Ambient.r);
        GLBackend::SetUniform4(prog, p.matSpecular, 1, &material.Specular.r);
        GLBackend::SetUniform4(prog, p.matEmissive, 1, &material.Emissive.r);
        GLBackend::SetUniform1(prog, p.matPower, 1, &material.Power);
        GLBackend::SetUniform4(prog, p.globalAmbient, 1, globalAmbient);
        p.materialVersion = materialVersion;
    }
    if (p.miscVersion != miscVersion) {
        float factor[4];
        ToFloats(renderStates[D3DRS_TEXTUREFACTOR], factor);
        GLBackend::SetUniform4(prog, p.textureFactor, 1, factor);
        float alphaRef = (renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f;
        GLBackend::SetUniform1(prog, p.alphaRef, 1, &alphaRef);
        float area[4] = {(float)viewport.X, (float)viewport.Y, (float)viewport.Width, (float)viewport.Height};
        GLBackend::SetUniform4(prog, p.viewport, 1, area);
        p.miscVersion = miscVersion;
    }
}

bool Device::PrepareDraw()
{
    MakeCurrent();
    if (!gl.Caching()) {
        // No state cache: every draw sets all of its GL state again.
        renderStatesDirty = shaderKeyDirty = vertexFormatDirty = samplersDirty = true;
        samplersApplied = false;
        appliedFvf = appliedIndexBuffer = ~0u;
    }
    gl.BindDrawFramebuffer(frame.back);
    if (renderStatesDirty) {
        ApplyRenderStates();
        renderStatesDirty = false;
    }
    if (shaderKeyDirty) {
        FFShaderKey key;
        ComputeShaderKey(&key);
        program = shaders.Find(key);
        shaderKeyDirty = false;
    }
    if (!program)
        return false;
    gl.UseProgram(program->program);
    if (samplersDirty) {
        ApplySamplers();
        samplersDirty = false;
    }
    if (vertexFormatDirty) {
        ApplyVertexFormat();
        vertexFormatDirty = false;
    }
    ApplyUniforms(*program);
    return true;
}

namespace {

bool PrimitiveMode(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, UINT* vertices)
{
    switch (type) {
    case D3DPT_POINTLIST: *mode = GL_POINTS; *vertices = count; return true;
    case D3DPT_LINELIST: *mode = GL_LINES; *vertices = 2 * count; return true;
    case D3DPT_LINESTRIP: *mode = GL_LINE_STRIP; *vertices = count + 1; return true;
    case D3DPT_TRIANGLELIST: *mode = GL_TRIANGLES; *vertices = 3 * count; return true;
    case D3DPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP; *vertices = count + 2; return true;
    case D3DPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN; *vertices = count + 2; return true;
    default: return false;
    }
}

}  // namespace

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::DrawPrimitive"))
        return code;
    GLenum mode;
    UINT count;
    if (!PrimitiveMode(PrimitiveType, PrimitiveCount, &mode, &count) || !stream || !fvf || !streamStride)
        return D3DERR_INVALIDCALL;
    // The vertices must lie inside the bound buffer.
    D3DVERTEXBUFFER_DESC desc;
    stream->GetDesc(&desc);
    if ((uint64_t)streamOffset + ((uint64_t)StartVertex + count) * streamStride > desc.Size)
        return D3DERR_INVALIDCALL;
    if (PrimitiveCount == 0 || Lost())
        return D3D_OK;
    if (!PrepareDraw())
        return D3DERR_DRIVERINTERNALERROR;
    GLBackend::DrawArrays(mode, StartVertex, count);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                     UINT NumVertices, UINT startIndex, UINT primCount)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::DrawIndexedPrimitive"))
        return code;
    GLenum mode;
    UINT count;
    if (PrimitiveType == D3DPT_POINTLIST || !PrimitiveMode(PrimitiveType, primCount, &mode, &count) || !stream ||
        !indices || !fvf || !streamStride || NumVertices == 0)
        return D3DERR_INVALIDCALL;
    D3DVERTEXBUFFER_DESC vdesc;
    stream->GetDesc(&vdesc);
    D3DINDEXBUFFER_DESC idesc;
    indices->GetDesc(&idesc);
    UINT indexSize = indices->IndexSize();
    int64_t lastVertex = (int64_t)BaseVertexIndex + MinVertexIndex + NumVertices;
    if (((uint64_t)startIndex + count) * indexSize > idesc.Size || (int64_t)BaseVertexIndex + MinVertexIndex < 0 ||
        (uint64_t)streamOffset + (uint64_t)lastVertex * streamStride > vdesc.Size)
        return D3DERR_INVALIDCALL;
    // A device whose indices end at 0xFFFF draws no 32-bit index buffer.
    DWORD maxVertexIndex = QLPlatform_MaxVertexIndex();
    if ((indexSize == 4 && maxVertexIndex <= 0xFFFF) || (uint64_t)MinVertexIndex + NumVertices - 1 > maxVertexIndex)
        return D3DERR_INVALIDCALL;
    if (primCount == 0 || Lost())
        return D3D_OK;
    if (!PrepareDraw())
        return D3DERR_DRIVERINTERNALERROR;
    GLBackend::DrawElements(mode, MinVertexIndex, MinVertexIndex + NumVertices - 1, count, indexSize,
                            (size_t)startIndex * indexSize, BaseVertexIndex);
    return D3D_OK;
}
