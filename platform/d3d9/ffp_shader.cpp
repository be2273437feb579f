// GLSL for Direct3D 9's fixed-function vertex and pixel pipeline. Lighting
// follows the Direct3D equations per vertex in camera space; the texture
// stages are unrolled into straight-line code.
#include "ffp_shader.h"

#include "d3d9_internal.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

bool HasTexSet(uint32_t fvf, int set)
{
    return set < (int)((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// The colour a D3DMCS_ source gives: the material's colour or a vertex colour.
std::string Source(uint8_t source, const char* material)
{
    if (source == D3DMCS_COLOR1)
        return "aDiffuse";
    if (source == D3DMCS_COLOR2)
        return "aSpecular";
    return material;
}

// What the vertex shader hands the fragment shader: the two lit colours and
// every texture coordinate set the format has, declared with direction
// ("out" or "in") on either side.
std::string Varyings(const char* direction, uint32_t fvf)
{
    std::string s = Format("%s vec4 vDiffuse;\n%s vec4 vSpecular;\n", direction, direction);
    for (int i = 0; i < 8; ++i)
        if (HasTexSet(fvf, i))
            s += Format("%s vec4 vTex%d;\n", direction, i);
    return s;
}

std::string VertexShader(const FFShaderKey& key)
{
    bool normal = (key.fvf & D3DFVF_NORMAL) != 0;
    bool diffuse = (key.fvf & D3DFVF_DIFFUSE) != 0;
    bool specular = (key.fvf & D3DFVF_SPECULAR) != 0;
    std::string s =
        "#version 330 core\n"
        "layout(location = 0) in vec4 aPosition;\n"
        "layout(location = 1) in vec3 aNormal;\n"
        "layout(location = 2) in vec4 aDiffuse;\n"
        "layout(location = 3) in vec4 aSpecular;\n"
        "uniform mat4 uProjection;\n"
        "uniform mat4 uWorldView;\n"
        "uniform mat3 uNormalMatrix;\n"
        "uniform vec4 uViewport;\n"
        "uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;\n"
        "uniform float uMatPower;\n"
        "uniform vec4 uGlobalAmbient;\n"
        "uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8];\n"
        "uniform vec3 uLightPosition[8], uLightDirection[8], uLightAttenuation[8], uLightSpot[8];\n"
        "uniform float uLightRange[8];\n";
    s += Varyings("out", key.fvf);
    for (int i = 0; i < 8; ++i)
        if (HasTexSet(key.fvf, i))
            s += Format("layout(location = %d) in vec4 aTex%d;\n", kAttrTexCoord0 + i, i);
    s += "void main() {\n";
    if (key.rhw) {
        // Pixel coordinates of the render target; D3D pixel centres sit on
        // whole coordinates, GL's half a pixel further right and down. Clip
        // y is negated so that row 0 of the framebuffer is the top row.
        s += "  float w = aPosition.w == 0.0 ? 1.0 : 1.0 / aPosition.w;\n"
             "  vec2 ndc = vec2((2.0 * (aPosition.x - uViewport.x) + 1.0) / uViewport.z - 1.0,\n"
             "                  1.0 - (2.0 * (aPosition.y - uViewport.y) + 1.0) / uViewport.w);\n"
             "  gl_Position = vec4(ndc.x * w, -ndc.y * w, aPosition.z * w, w);\n";
    } else {
        // To the camera's space first, then projected, as the fixed
        // function pipeline defines the steps: one product fewer than
        // through a concatenated matrix, and the eye-space point serves the
        // lighting too.
        s += "  vec4 position = vec4(aPosition.xyz, 1.0);\n"
             "  vec4 eyePosition = uWorldView * position;\n"
             "  gl_Position = uProjection * eyePosition;\n"
             "  gl_Position.x += gl_Position.w / uViewport.z;\n"
             "  gl_Position.y = -(gl_Position.y - gl_Position.w / uViewport.w);\n";
    }
    if (key.lighting && !key.rhw) {
        s += "  vec3 P = eyePosition.xyz;\n";
        if (normal)
            s += key.normalizeNormals ? "  vec3 N = normalize(uNormalMatrix * aNormal);\n"
                                      : "  vec3 N = uNormalMatrix * aNormal;\n";
        s += "  vec4 Cd = " + Source(key.diffuseSource, "uMatDiffuse") + ";\n";
        s += "  vec4 Ca = " + Source(key.ambientSource, "uMatAmbient") + ";\n";
        s += "  vec4 Cs = " + Source(key.specularSource, "uMatSpecular") + ";\n";
        s += "  vec4 Ce = " + Source(key.emissiveSource, "uMatEmissive") + ";\n";
        s += "  vec3 ambient = vec3(0.0), diffuse = vec3(0.0), specular = vec3(0.0);\n";
        for (int i = 0; i < 8; ++i) {
            int type = key.lightTypes[i];
            if (!type)
                continue;
            s += "  {\n    float atten = 1.0, spot = 1.0;\n    vec3 L;\n";
            if (type == D3DLIGHT_DIRECTIONAL) {
                s += Format("    L = -normalize(uLightDirection[%d]);\n", i);
            } else {
                s += Format("    vec3 toLight = uLightPosition[%d] - P;\n"
                            "    float d = length(toLight);\n"
                            "    if (d > uLightRange[%d]) atten = 0.0;\n"
                            "    L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, -1.0);\n"
                            "    vec3 k = uLightAttenuation[%d];\n"
                            "    float denom = k.x + k.y * d + k.z * d * d;\n"
                            "    if (atten > 0.0) atten = denom > 0.0 ? 1.0 / denom : 1.0;\n",
                            i, i, i);
                if (type == D3DLIGHT_SPOT)
                    s += Format("    float rho = dot(-L, normalize(uLightDirection[%d]));\n"
                                "    vec3 cone = uLightSpot[%d];\n"
                                "    if (rho <= cone.y) spot = 0.0;\n"
                                "    else if (rho <= cone.x) spot = pow((rho - cone.y) / (cone.x - cone.y), cone.z);\n",
                                i, i);
            }
            s += Format("    float f = atten * spot;\n"
                        "    ambient += uLightAmbient[%d].rgb * f;\n", i);
            if (normal) {
                s += Format("    float NdotL = dot(N, L);\n"
                            "    if (NdotL > 0.0) {\n"
                            "      diffuse += uLightDiffuse[%d].rgb * NdotL * f;\n", i);
                if (key.specularEnable) {
                    s += key.localViewer ? "      vec3 H = normalize(normalize(-P) + L);\n"
                                         : "      vec3 H = normalize(vec3(0.0, 0.0, -1.0) + L);\n";
                    s += Format("      float NdotH = dot(N, H);\n"
                                "      if (NdotH > 0.0) specular += uLightSpecular[%d].rgb * pow(NdotH, uMatPower) * f;\n",
                                i);
                }
                s += "    }\n";
            }
            s += "  }\n";
        }
        s += "  vDiffuse = clamp(vec4(Ca.rgb * (uGlobalAmbient.rgb + ambient) + Cd.rgb * diffuse + Ce.rgb, Cd.a), 0.0, 1.0);\n"
             "  vSpecular = clamp(vec4(Cs.rgb * specular, 0.0), 0.0, 1.0);\n";
    } else {
        s += diffuse ? "  vDiffuse = aDiffuse;\n" : "  vDiffuse = vec4(1.0);\n";
        s += specular ? "  vSpecular = aSpecular;\n" : "  vSpecular = vec4(0.0);\n";
    }
    for (int i = 0; i < 8; ++i)
        if (HasTexSet(key.fvf, i))
            s += Format("  vTex%d = aTex%d;\n", i, i);
    s += "}\n";
    return s;
}

// A D3DTA_ argument as a vec4 expression.
std::string Argument(uint8_t arg)
{
    static const char* registers[] = {"vDiffuse", "current", "tex", "uTextureFactor", "vSpecular", "temp", "vec4(1.0)"};
    uint8_t which = arg & D3DTA_SELECTMASK;
    std::string r = which < 7 ? registers[which] : "current";
    if (arg & D3DTA_COMPLEMENT)
        r = "(vec4(1.0) - " + r + ")";
    if (arg & D3DTA_ALPHAREPLICATE)
        r = "vec4(" + r + ".a)";
    return r;
}

bool UsesTexture(uint8_t op, uint8_t arg1, uint8_t arg2)
{
    if (op == D3DTOP_BLENDTEXTUREALPHA)
        return true;
    bool one = op != D3DTOP_SELECTARG2 && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    bool two = op != D3DTOP_SELECTARG1 && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    return one || two;
}

// The op applied to two argument expressions, swizzled by `part` (rgb or a).
std::string Operation(uint8_t op, const std::string& a1, const std::string& a2, const char* part)
{
    std::string x = a1 + "." + part, y = a2 + "." + part;
    switch (op) {
    case D3DTOP_SELECTARG1: return x;
    case D3DTOP_SELECTARG2: return y;
    case D3DTOP_MODULATE: return x + " * " + y;
    case D3DTOP_MODULATE2X: return "2.0 * " + x + " * " + y;
    case D3DTOP_MODULATE4X: return "4.0 * " + x + " * " + y;
    case D3DTOP_ADD: return x + " + " + y;
    case D3DTOP_ADDSIGNED: return x + " + " + y + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "2.0 * (" + x + " + " + y + " - 0.5)";
    case D3DTOP_SUBTRACT: return x + " - " + y;
    case D3DTOP_ADDSMOOTH: return x + " + " + y + " * (1.0 - " + x + ")";
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + y + ", " + x + ", vDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + y + ", " + x + ", tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + y + ", " + x + ", uTextureFactor.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + y + ", " + x + ", current.a)";
    case D3DTOP_DOTPRODUCT3:
        return Format("%s(clamp(dot(%s.rgb * 2.0 - 1.0, %s.rgb * 2.0 - 1.0), 0.0, 1.0))",
                      strcmp(part, "a") == 0 ? "float" : "vec3", a1.c_str(), a2.c_str());
    default: return x;
    }
}

std::string FragmentShader(const FFShaderKey& key)
{
    std::string s =
        "#version 330 core\n"
        "uniform vec4 uTextureFactor;\n"
        "uniform float uAlphaRef;\n"
        "out vec4 fragColor;\n";
    s += Varyings("in", key.fvf);
    for (int i = 0; i < key.stageCount; ++i)
        if (key.stages[i].hasTexture)
            s += Format("uniform sampler2D uTex%d;\n", i);
    s += "void main() {\n"
         "  vec4 current = vDiffuse, temp = vec4(0.0), tex = vec4(0.0, 0.0, 0.0, 1.0);\n";
    for (int i = 0; i < key.stageCount; ++i) {
        const FFStageKey& st = key.stages[i];
        s += Format("  // stage %d\n", i);
        if (st.hasTexture) {
            // A set the vertex lacks reads as (0, 0).
            std::string coord =
                HasTexSet(key.fvf, st.texCoordIndex) ? Format("vTex%d.xy", st.texCoordIndex) : "vec2(0.0)";
            s += Format("  tex = texture(uTex%d, %s);\n", i, coord.c_str());
        }
        // Without a texture, a stage that reads one passes the current colour on.
        std::string color = "current.rgb";
        if (st.hasTexture || !UsesTexture(st.colorOp, st.colorArg1, st.colorArg2))
            color = Operation(st.colorOp, Argument(st.colorArg1), Argument(st.colorArg2), "rgb");
        std::string alpha = "current.a";
        if (st.alphaOp != D3DTOP_DISABLE && (st.hasTexture || !UsesTexture(st.alphaOp, st.alphaArg1, st.alphaArg2)))
            alpha = Operation(st.alphaOp, Argument(st.alphaArg1), Argument(st.alphaArg2), "a");
        s += "  {\n    vec3 rgb = " + color + ";\n    float a = " + alpha + ";\n"
             "    current = clamp(vec4(rgb, a), 0.0, 1.0);\n  }\n";
    }
    if (key.specularEnable)
        s += "  current.rgb = clamp(current.rgb + vSpecular.rgb, 0.0, 1.0);\n";
    if (key.alphaTest) {
        static const char* compare[] = {"false", "false", "<", "==", "<=", ">", "!=", ">=", "true"};
        uint8_t func = key.alphaFunc <= 8 ? key.alphaFunc : 8;
        if (func == D3DCMP_NEVER)
            s += "  discard;\n";
        else if (func != D3DCMP_ALWAYS)
            s += Format("  if (!(current.a %s uAlphaRef)) discard;\n", compare[func]);
    }
    s += "  fragColor = current;\n}\n";
    return s;
}

// The uniforms every generated program may have, and where FFProgram keeps
// their locations.
struct UniformSlot {
    const char* name;
    GLint FFProgram::*location;
};
const UniformSlot kUniforms[] = {
    {"uProjection", &FFProgram::projection},
    {"uWorldView", &FFProgram::worldView},
    {"uNormalMatrix", &FFProgram::normalMatrix},
    {"uViewport", &FFProgram::viewport},
    {"uMatDiffuse", &FFProgram::matDiffuse},
    {"uMatAmbient", &FFProgram::matAmbient},
    {"uMatSpecular", &FFProgram::matSpecular},
    {"uMatEmissive", &FFProgram::matEmissive},
    {"uMatPower", &FFProgram::matPower},
    {"uGlobalAmbient", &FFProgram::globalAmbient},
    {"uLightDiffuse", &FFProgram::lightDiffuse},
    {"uLightSpecular", &FFProgram::lightSpecular},
    {"uLightAmbient", &FFProgram::lightAmbient},
    {"uLightPosition", &FFProgram::lightPosition},
    {"uLightDirection", &FFProgram::lightDirection},
    {"uLightRange", &FFProgram::lightRange},
    {"uLightAttenuation", &FFProgram::lightAttenuation},
    {"uLightSpot", &FFProgram::lightSpot},
    {"uTextureFactor", &FFProgram::textureFactor},
    {"uAlphaRef", &FFProgram::alphaRef},
};

FFProgram* Build(const FFShaderKey& key)
{
    GLuint program = GLBackend::BuildProgram(VertexShader(key).c_str(), FragmentShader(key).c_str());
    if (!program)
        return nullptr;
    FFProgram* p = new FFProgram;
    p->key = key;
    p->program = program;
    for (const UniformSlot& uniform : kUniforms)
        p->*uniform.location = GLBackend::UniformLocation(program, uniform.name);
    for (int i = 0; i < key.stageCount; ++i) {
        GLint sampler = GLBackend::UniformLocation(program, Format("uTex%d", i).c_str());
        if (sampler >= 0)
            GLBackend::SetUniformInt(program, sampler, i);
    }
    return p;
}

}  // namespace

FFShaderCache::~FFShaderCache()
{
    Clear();
}

void FFShaderCache::Clear()
{
    for (FFProgram* p : programs) {
        GLBackend::DeleteProgram(p->program);
        delete p;
    }
    programs.clear();
    last = nullptr;
}

FFProgram* FFShaderCache::Find(const FFShaderKey& key)
{
    if (last && memcmp(&last->key, &key, sizeof key) == 0)
        return last;
    for (FFProgram* p : programs)
        if (memcmp(&p->key, &key, sizeof key) == 0)
            return last = p;
    FFProgram* p = Build(key);
    if (!p)
        return nullptr;
    programs.push_back(p);
    // Each kept for the device's life: the count shows whether a long run
    // still meets new state combinations.
    D3D9Debug("fixed-function program %zu built", programs.size());
    return last = p;
}
