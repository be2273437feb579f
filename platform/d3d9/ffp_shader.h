// The fixed-function pipeline as generated GLSL: one program per combination
// of vertex format, lighting setup and texture-stage setup, built the first
// time a draw needs it and found again by a key comparison afterwards.
#pragma once

#include <epoxy/gl.h>

#include <stdint.h>
#include <vector>

// Attribute locations of the generated vertex shaders.
enum FFAttribute {
    kAttrPosition = 0,
    kAttrNormal = 1,
    kAttrDiffuse = 2,
    kAttrSpecular = 3,
    kAttrTexCoord0 = 4,  // through kAttrTexCoord0 + 7
};

struct FFStageKey {
    uint8_t colorOp, colorArg1, colorArg2;
    uint8_t alphaOp, alphaArg1, alphaArg2;
    uint8_t texCoordIndex;
    uint8_t hasTexture;
};

// Everything a generated program depends on. Zero-filled before use so that
// two keys compare equal byte for byte.
struct FFShaderKey {
    uint32_t fvf;  // position type, normal, colours, texture sets and sizes
    uint8_t rhw;
    uint8_t lighting;
    uint8_t specularEnable;
    uint8_t localViewer;
    uint8_t normalizeNormals;
    // D3DMCS_ values after fallbacks: 0 material, 1 vertex diffuse, 2 vertex specular.
    uint8_t diffuseSource, ambientSource, specularSource, emissiveSource;
    uint8_t alphaTest, alphaFunc;
    uint8_t stageCount;
    uint8_t lightTypes[8];  // D3DLIGHTTYPE of each active light, 0 = none
    FFStageKey stages[8];
};

struct FFProgram {
    FFShaderKey key;
    GLuint program = 0;
    GLint projection = -1, worldView = -1, normalMatrix = -1, viewport = -1;
    GLint matDiffuse = -1, matAmbient = -1, matSpecular = -1, matEmissive = -1, matPower = -1;
    GLint globalAmbient = -1;
    GLint lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1, lightPosition = -1, lightDirection = -1;
    GLint lightRange = -1, lightAttenuation = -1, lightSpot = -1;
    GLint textureFactor = -1, alphaRef = -1;
    // The state versions last uploaded to this program.
    uint32_t transformVersion = 0, lightVersion = 0, materialVersion = 0, miscVersion = 0;
};

class FFShaderCache {
public:
    ~FFShaderCache();
    // The program for the key, compiled on first use; null if GL refused it.
    FFProgram* Find(const FFShaderKey& key);
    void Clear();

private:
    std::vector<FFProgram*> programs;
    FFProgram* last = nullptr;
};
