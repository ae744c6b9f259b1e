// GLSL sources of the OpenGL backend: the program standing in for the fixed-function pipeline
// (vertex lighting, fog, two texture stages, screen vertices) and the summing pass of additive
// screen rectangles; the compile and link helpers. Limits: GLSL 3.30 core; the summing pass takes
// at most 64 rectangles a pass.


#include "platform/GlBackend.h"

namespace gldevice {
// ---- the program ------------------------------------------------------------------------------------------
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aTex;
layout(location = 4) in vec4 aFactor;  // merged draws: the texture factor of the vertex's draw
layout(location = 5) in float aLayer;   // the stage-0 texture's layer in its array

uniform mat4 uWorldView;
uniform mat4 uProj;
uniform mat3 uNormalMat;
uniform bool uRhw;
uniform vec4 uViewport;      // X, Y, Width, Height of the target's viewport
uniform float uFlipY;        // -1 when drawing into a texture
uniform bool uHasNormal;
uniform bool uHasColor;
uniform bool uLighting;
uniform bool uNormalize;
uniform int uLightType[8];   // 0 off, 1 point, 3 directional
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPos[8];   // view space
uniform vec3 uLightDir[8];   // view space, toward the light
uniform vec4 uLightAtt[8];   // A0, A1, A2, range
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform vec4 uAmbient;
uniform bool uDiffuseFromVertex;
uniform bool uAmbientFromVertex;
uniform bool uFog;
uniform vec2 uFogRange;      // start, end

out vec4 vColor;
out vec2 vTex;
out float vFog;
flat out vec4 vFactor;
flat out float vLayer;

void main() {
  vec4 vertexColor = uHasColor ? aColor : vec4(1.0);
  vFactor = aFactor;
  vLayer = aLayer;
  vTex = aTex;
  vFog = 1.0;
  if (uRhw) {
    float w = aPos.w != 0.0 ? 1.0 / aPos.w : 1.0;
    float x = 2.0 * (aPos.x - uViewport.x) / uViewport.z - 1.0;
    float y = 1.0 - 2.0 * (aPos.y - uViewport.y) / uViewport.w;
    gl_Position = vec4(x * w, y * uFlipY * w, (2.0 * aPos.z - 1.0) * w, w);
    vColor = vertexColor;
    return;
  }
  vec4 viewPos = uWorldView * vec4(aPos.xyz, 1.0);
  vec4 clip = uProj * viewPos;
  gl_Position = vec4(clip.x, clip.y * uFlipY, 2.0 * clip.z - clip.w, clip.w);
  if (uLighting) {
    vec3 n = uHasNormal ? uNormalMat * aNormal : vec3(0.0);
    if (uNormalize && dot(n, n) > 0.0) n = normalize(n);
    vec4 md = (uDiffuseFromVertex && uHasColor) ? aColor : uMatDiffuse;
    vec4 ma = (uAmbientFromVertex && uHasColor) ? aColor : uMatAmbient;
    vec3 diffuse = vec3(0.0);
    vec3 ambient = vec3(0.0);
    for (int i = 0; i < 8; ++i) {
      if (uLightType[i] == 0) continue;
      float att = 1.0;
      vec3 l;
      if (uLightType[i] == 3) {
        l = uLightDir[i];
      } else {
        vec3 d = uLightPos[i] - viewPos.xyz;
        float dist = length(d);
        if (dist > uLightAtt[i].w) continue;
        l = dist > 0.0 ? d / dist : vec3(0.0);
        float den = uLightAtt[i].x + uLightAtt[i].y * dist + uLightAtt[i].z * dist * dist;
        att = den > 1e-6 ? 1.0 / den : 1e6;
      }
      diffuse += att * uLightDiffuse[i].rgb * max(dot(n, l), 0.0);
      ambient += att * uLightAmbient[i].rgb;
    }
    vec3 c = uMatEmissive.rgb + ma.rgb * (uAmbient.rgb + ambient) + md.rgb * diffuse;
    vColor = vec4(clamp(c, 0.0, 1.0), clamp(md.a, 0.0, 1.0));
  } else {
    vColor = vertexColor;
  }
  if (uFog) {
    float span = uFogRange.y - uFogRange.x;
    vFog = span != 0.0 ? clamp((uFogRange.y - viewPos.z) / span, 0.0, 1.0) : (viewPos.z <= uFogRange.y ? 1.0 : 0.0);
  }
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vTex;
in float vFog;
flat in vec4 vFactor;
flat in float vLayer;
uniform float uLayer1;
uniform sampler2DArray uTex0;
uniform sampler2DArray uTex1;
uniform ivec3 uColorStage[2];  // op, arg1, arg2
uniform ivec3 uAlphaStage[2];
uniform vec4 uTFactor;
uniform bool uFactorFromVertex;
uniform bool uFog;
uniform vec3 uFogColor;
out vec4 fragColor;

vec4 pick(int a, vec4 tex, vec4 current) {
  if (a == 2) return tex;
  if (a == 3) return uFactorFromVertex ? vFactor : uTFactor;
  if (a == 1) return current;
  return vColor;
}

vec4 combine(int op, vec4 a1, vec4 a2) {
  if (op == 2) return a1;
  if (op == 3) return a2;
  return a1 * a2;
}

void main() {
  vec4 current = vColor;
  for (int s = 0; s < 2; ++s) {
    if (uColorStage[s].x == 1) break;
    vec4 tex = s == 0 ? texture(uTex0, vec3(vTex, vLayer)) : texture(uTex1, vec3(vTex, uLayer1));
    vec3 rgb = combine(uColorStage[s].x, pick(uColorStage[s].y, tex, current), pick(uColorStage[s].z, tex, current)).rgb;
    float a = uAlphaStage[s].x == 1 ? current.a
              : combine(uAlphaStage[s].x, pick(uAlphaStage[s].y, tex, current), pick(uAlphaStage[s].z, tex, current)).a;
    current = vec4(rgb, a);
  }
  if (uFog) current.rgb = mix(uFogColor, current.rgb, vFog);
  fragColor = current;
}
)";

// A run of additive screen rectangles drawn as one pass: each pixel sums the stage-0 colour of
// every rectangle over it, each term rounded to 8 bits as blending it on its own would store it.
const char* const kLayerVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
uniform vec4 uViewport;
uniform float uFlipY;
void main() {
  float x = 2.0 * (aPos.x - uViewport.x) / uViewport.z - 1.0;
  float y = 1.0 - 2.0 * (aPos.y - uViewport.y) / uViewport.w;
  gl_Position = vec4(x, y * uFlipY, 0.0, 1.0);
}
)";

// Built in variants: MASKED 1 counts each rectangle only at its own pixels (0: for pixels inside
// every rectangle); SHARED 1 is for rectangles that all share one factor within 0..1 and no
// constant term, summed unrolled (SUM_TERMS holds the calls of term, the last ones guarded by
// uLayers; a loop would cost as much again on llvmpipe), SHARED 0 sums them in a loop. Each term
// is rounded to 8 bits as its own blend would store it.
const char* const kLayerFragmentShader = R"(
uniform sampler2DArray uTex0;
uniform float uLayer0;     // the texture's layer in its array
uniform int uLayers;
uniform vec4 uRect[64];    // left, top, right, bottom (target pixels)
uniform vec4 uUvMap[64];   // texture coordinate = xy + zw * target pixel
uniform vec4 uMul[64];     // the rectangle's colour = texel * uMul + uAdd
uniform vec4 uAdd[64];
uniform vec4 uPixelMap;    // target pixel = xy + zw * gl_FragCoord.xy
out vec4 fragColor;

vec4 term(int i, vec2 p) {
  vec4 tex = textureLod(uTex0, vec3(uUvMap[i].xy + uUvMap[i].zw * p, uLayer0), 0.0);
#if SHARED
  vec4 t = floor(tex * (uMul[0] * 255.0) + 0.5);
#else
  vec4 t = floor(clamp(tex * uMul[i] + uAdd[i], 0.0, 1.0) * 255.0 + 0.5);
#endif
#if MASKED
  vec4 r = uRect[i];
  vec2 inside = step(r.xy, p) * (vec2(1.0) - step(r.zw, p));
  t *= inside.x * inside.y;
#endif
  return t;
}

void main() {
  vec2 p = uPixelMap.xy + uPixelMap.zw * gl_FragCoord.xy;
  vec4 sum = vec4(0.0);
#if SHARED
  SUM_TERMS
#else
  for (int i = 0; i < uLayers; ++i) sum += term(i, p);
#endif
  fragColor = min(sum, vec4(255.0)) / 255.0;
}
)";

// The summing pass's grid drawn magnified over its box: one interpolated read per pixel.
const char* const kMagnifyVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;  // target pixels
uniform vec4 uViewport;
uniform float uFlipY;
uniform vec4 uUvMap;                // grid texture coordinate = xy + zw * target pixel
out vec2 vUv;
void main() {
  vUv = uUvMap.xy + uUvMap.zw * aPos.xy;
  float x = 2.0 * (aPos.x - uViewport.x) / uViewport.z - 1.0;
  float y = 1.0 - 2.0 * (aPos.y - uViewport.y) / uViewport.w;
  gl_Position = vec4(x, y * uFlipY, 0.0, 1.0);
}
)";

const char* const kMagnifyFragmentShader = R"(#version 330 core
uniform sampler2D uGrid;
in vec2 vUv;
out vec4 fragColor;
void main() { fragColor = texture(uGrid, vUv); }
)";

GLuint compile(GLenum type, const char* source, std::string& log) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char text[2048];
    glGetShaderInfoLog(s, sizeof text, nullptr, text);
    log = text;
    glDeleteShader(s);
    return 0;
  }
  return s;
}

// The program of a vertex and a fragment shader (the shaders stay the caller's); 0 with the
// linker's message in log where it does not link.
GLuint link(GLuint vs, GLuint fs, std::string& log) {
  GLuint p = glCreateProgram();
  glAttachShader(p, vs);
  glAttachShader(p, fs);
  glLinkProgram(p);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    char text[2048];
    glGetProgramInfoLog(p, sizeof text, nullptr, text);
    log = text;
    glDeleteProgram(p);
    return 0;
  }
  return p;
}
}  // namespace gldevice
