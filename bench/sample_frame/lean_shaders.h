// The hand-written frame's GLSL: the scene (both passes), the volumes
// (depth and stencil only) and the text overlay.
#pragma once

// Direct3D's fixed-function lighting per vertex: the ambient pass adds the
// emissive and ambient terms (global ambient and the light's, attenuated),
// a lit pass the light's diffuse and specular ones (local viewer).
constexpr const char* kSceneVertex = R"(#version 450 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uViewProj;
uniform vec3 uEye, uLight, uGlobalAmbient, uLightAmbient, uLightDiffuse, uLightSpecular;
uniform vec4 uAttenuation;  // constant, linear, quadratic, range
uniform vec4 uDiffuse, uAmbient, uSpecular, uEmissive;
uniform float uPower;
uniform bool uLit;
invariant gl_Position;
out vec4 vColour;
out vec3 vSpecular;
out vec2 vUv;
void main() {
  gl_Position = uViewProj * vec4(aPosition, 1.0);
  vUv = aUv;
  vec3 toLight = uLight - aPosition;
  float d = length(toLight);
  float att = d <= uAttenuation.w ? 1.0 / (uAttenuation.x + uAttenuation.y * d + uAttenuation.z * d * d) : 0.0;
  vec3 L = toLight / max(d, 1e-6);
  vec3 N = normalize(aNormal);
  vec3 colour = uEmissive.rgb;
  vSpecular = vec3(0.0);
  if (uLit) {
    float nl = max(dot(N, L), 0.0);
    vec3 H = normalize(normalize(uEye - aPosition) + L);
    float s = nl > 0.0 ? pow(max(dot(N, H), 0.0), uPower) : 0.0;
    colour += uDiffuse.rgb * uLightDiffuse * nl * att;
    vSpecular = clamp(uSpecular.rgb * uLightSpecular * s * att, 0.0, 1.0);
  } else {
    colour += uAmbient.rgb * (uGlobalAmbient + uLightAmbient * att);
  }
  vColour = vec4(clamp(colour, 0.0, 1.0), uDiffuse.a);
})";
constexpr const char* kSceneFragment = R"(#version 450 core
layout(binding = 0) uniform sampler2D uTexture;
in vec4 vColour;
in vec3 vSpecular;
in vec2 vUv;
out vec4 fragColour;
void main() {
  vec4 c = texture(uTexture, vUv) * vColour;
  fragColour = vec4(min(c.rgb + vSpecular, vec3(1.0)), c.a);
})";
constexpr const char* kVolumeVertex = R"(#version 450 core
layout(location = 0) in vec3 aPosition;
uniform mat4 uViewProj;
void main() { gl_Position = uViewProj * vec4(aPosition, 1.0); })";
constexpr const char* kVolumeFragment = R"(#version 450 core
void main() {})";
constexpr const char* kTextVertex = R"(#version 450 core
layout(location = 0) in vec2 aPixel;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec4 aColour;
uniform vec2 uTarget;
out vec2 vUv;
out vec4 vColour;
void main() {
  gl_Position = vec4(aPixel.x / uTarget.x * 2.0 - 1.0, 1.0 - aPixel.y / uTarget.y * 2.0, 0.0, 1.0);
  vUv = aUv;
  vColour = aColour;
})";
constexpr const char* kTextFragment = R"(#version 450 core
layout(binding = 0) uniform sampler2D uFont;
in vec2 vUv;
in vec4 vColour;
out vec4 fragColour;
void main() { fragColour = texture(uFont, vUv) * vColour; })";
