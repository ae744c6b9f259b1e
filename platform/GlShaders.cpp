// GLSL sources of the OpenGL backend: the program standing in for the fixed-function pipeline
// (vertex lighting, fog, two texture stages, screen vertices) and the summing pass of additive
// screen rectangles; the compile and link helpers. Limits: GLSL 3.30 core; the summing pass takes
// at most 64 rectangles a pass.

#include <string>

#include "platform/GlBackend.h"

namespace gldevice {
// ---- specialised programs -------------------------------------------------------------------------------
// Key bits: 0 rhw, 1 lighting, 2 fog, 3 normal, 4 colour, 5 normalize, 6 diffuse and 7 ambient
// from the vertex, 8 factor from the vertex, 9 and 10 a texture on stage 0 and 1, then per stage
// (colour 0, alpha 0, colour 1, alpha 1) 3 bits of operation and 2 of each argument from bit 11;
// with lighting, the number of lights from bit 40 (4 bits) and which of them are directional from
// bit 44 (a bit each).
namespace {
// The operations and arguments as the fragment shader tells them apart: DISABLE, SELECTARG1,
// SELECTARG2 and any other as MODULATE; CURRENT, TEXTURE, TFACTOR and any other as DIFFUSE.
int32_t shaderOp(int32_t op) {
  return op >= D3DTOP_DISABLE && op <= D3DTOP_SELECTARG2 ? op : D3DTOP_MODULATE;
}
int32_t shaderArg(int32_t a) {
  return a >= D3DTA_CURRENT && a <= D3DTA_TFACTOR ? a : D3DTA_DIFFUSE;
}
constexpr int kStageAt = 11, kStageBits = 7, kLightCountAt = 40, kLightTypeAt = 44;
}  // namespace

uint64_t programKey(const GlState& s) {
  uint64_t key = 0;
  auto bit = [&](int at, bool on) { key |= static_cast<uint64_t>(on) << at; };
  bit(0, s.tb.rhw);
  bit(1, s.lb.lighting);
  bit(2, s.pb.fog);
  bit(3, s.tb.hasNormal && s.lb.lighting);
  bit(4, s.tb.hasColor);
  bit(5, s.lb.normalize);
  bit(6, s.lb.diffuseFromVertex);
  bit(7, s.lb.ambientFromVertex);
  bool factor = false;
  // Stage by stage as the fragment shader runs them: stages after a disabled one are not read.
  for (int st = 0; st < 2; ++st) {
    const int32_t* c = s.pb.colorStage + 3 * st;
    const int32_t* a = s.pb.alphaStage + 3 * st;
    if (shaderOp(c[0]) == D3DTOP_DISABLE) {
      key |= static_cast<uint64_t>(D3DTOP_DISABLE) << (kStageAt + 2 * st * kStageBits);
      break;
    }
    bool texture = false;
    for (int half = 0; half < 2; ++half) {
      const int32_t* t = half == 0 ? c : a;
      const int32_t op = shaderOp(t[0]);
      const int32_t a1 = op == D3DTOP_DISABLE || op == D3DTOP_SELECTARG2 ? 0 : shaderArg(t[1]);
      const int32_t a2 = op == D3DTOP_DISABLE || op == D3DTOP_SELECTARG1 ? 0 : shaderArg(t[2]);
      texture |= a1 == D3DTA_TEXTURE || a2 == D3DTA_TEXTURE;
      factor |= a1 == D3DTA_TFACTOR || a2 == D3DTA_TFACTOR;
      const uint64_t packed =
          static_cast<uint64_t>(op) | static_cast<uint64_t>(a1) << 3 | static_cast<uint64_t>(a2) << 5;
      key |= packed << (kStageAt + (2 * st + half) * kStageBits);
    }
    bit(9 + st, texture && s.texture[st] != nullptr);
  }
  bit(8, factor && s.factorFromVertex);
  if (s.lb.lighting) {
    key |= static_cast<uint64_t>(s.lb.count) << kLightCountAt;
    for (int i = 0; i < s.lb.count; ++i) bit(kLightTypeAt + i, s.lb.type[i] == 3);
  }
  return key;
}

std::string programSource(uint64_t key, bool vertex) {
  std::string out = "#version 330 core\n";
  if (key == kGenericProgram) return out + "#define SPECIAL 0\n" + (vertex ? kVertexShader : kFragmentShader);
  auto on = [&](int at) { return (key >> at & 1) ? "1" : "0"; };
  out += "#define SPECIAL 1\n";
  const char* flags[] = {"RHW",
                         "LIGHTING",
                         "FOG",
                         "HAS_NORMAL",
                         "HAS_COLOR",
                         "NORMALIZE",
                         "DIFFUSE_FROM_VERTEX",
                         "AMBIENT_FROM_VERTEX",
                         "FACTOR_FROM_VERTEX",
                         "HAS_TEX0",
                         "HAS_TEX1"};
  for (int i = 0; i < 11; ++i) out += std::string("#define ") + flags[i] + " " + on(i) + "\n";
  const char* stages[] = {"COLOR0", "ALPHA0", "COLOR1", "ALPHA1"};
  for (int i = 0; i < 4; ++i) {
    const uint64_t packed = key >> (kStageAt + i * kStageBits);
    out += std::string("#define ") + stages[i] + " " + std::to_string(packed & 7) + ", " +
           std::to_string(packed >> 3 & 3) + ", " + std::to_string(packed >> 5 & 3) + "\n";
  }
  out += "#define LIGHT_COUNT " + std::to_string(key >> kLightCountAt & 15) + "\n#define LIGHT_TYPES ";
  for (int i = 0; i < 8; ++i)
    out += std::string(i ? ", " : "") + ((key >> (kLightTypeAt + i) & 1) ? "3" : "1");
  return out + "\n" + (vertex ? kVertexShader : kFragmentShader);
}

// ---- the program ------------------------------------------------------------------------------------------
// The sources follow a #version line and the defines of a program's key (programSource): with
// SPECIAL 0 every state is a uniform (the generic program); with SPECIAL 1 the states of the key
// are constants, so that the compiler drops what a draw does not use.
const char* const kVertexShader = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aTex;
layout(location = 4) in vec4 aFactor;  // merged draws: the texture factor of the vertex's draw
layout(location = 5) in float aLayer;   // the stage-0 texture's layer in its array

uniform mat4 uWorldView;
uniform mat4 uProj;
uniform mat3 uNormalMat;
uniform vec4 uViewport;      // X, Y, Width, Height of the target's viewport
uniform float uFlipY;        // -1 when drawing into a texture
#if SPECIAL
const bool uRhw = RHW != 0;
const bool uHasNormal = HAS_NORMAL != 0;
const bool uHasColor = HAS_COLOR != 0;
const bool uLighting = LIGHTING != 0;
const bool uNormalize = NORMALIZE != 0;
const bool uDiffuseFromVertex = DIFFUSE_FROM_VERTEX != 0;
const bool uAmbientFromVertex = AMBIENT_FROM_VERTEX != 0;
const bool uFog = FOG != 0;
const int uLightCount = LIGHT_COUNT;
const int uLightType[8] = int[8](LIGHT_TYPES);
#else
uniform bool uRhw;
uniform bool uHasNormal;
uniform bool uHasColor;
uniform bool uLighting;
uniform bool uNormalize;
uniform bool uDiffuseFromVertex;
uniform bool uAmbientFromVertex;
uniform bool uFog;
uniform int uLightCount;     // lights in use, first in the arrays
uniform int uLightType[8];   // 1 point, 3 directional
#endif
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPos[8];   // view space
uniform vec3 uLightDir[8];   // view space, toward the light
uniform vec4 uLightAtt[8];   // A0, A1, A2, range
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform vec4 uAmbient;
uniform vec2 uFogRange;      // start, end

out vec4 vColor;
out vec2 vTex;
out float vFog;
flat out vec4 vFactor;
flat out float vLayer;

// Adds light i's diffuse and ambient terms at the view-space point p of normal n.
void addLight(int i, vec3 n, vec3 p, inout vec3 diffuse, inout vec3 ambient) {
  float att = 1.0;
  vec3 l;
  if (uLightType[i] == 3) {
    l = uLightDir[i];
  } else {
    vec3 d = uLightPos[i] - p;
    float dist = length(d);
    if (dist > uLightAtt[i].w) return;
    l = dist > 0.0 ? d / dist : vec3(0.0);
    float den = uLightAtt[i].x + uLightAtt[i].y * dist + uLightAtt[i].z * dist * dist;
    att = den > 1e-6 ? 1.0 / den : 1e6;
  }
  diffuse += att * uLightDiffuse[i].rgb * max(dot(n, l), 0.0);
  ambient += att * uLightAmbient[i].rgb;
}

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
#if SPECIAL
    // One call a light with a constant index: no loop, no indexed reads of the light arrays.
#define LIGHT(i) if (i < LIGHT_COUNT) addLight(i, n, viewPos.xyz, diffuse, ambient)
    LIGHT(0); LIGHT(1); LIGHT(2); LIGHT(3); LIGHT(4); LIGHT(5); LIGHT(6); LIGHT(7);
#else
    for (int i = 0; i < uLightCount; ++i) addLight(i, n, viewPos.xyz, diffuse, ambient);
#endif
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

const char* const kFragmentShader = R"(
in vec4 vColor;
in vec2 vTex;
in float vFog;
flat in vec4 vFactor;
flat in float vLayer;
uniform float uLayer1;
uniform sampler2DArray uTex0;
uniform sampler2DArray uTex1;
#if SPECIAL
const ivec3 uColorStage[2] = ivec3[2](ivec3(COLOR0), ivec3(COLOR1));
const ivec3 uAlphaStage[2] = ivec3[2](ivec3(ALPHA0), ivec3(ALPHA1));
const bool uFactorFromVertex = FACTOR_FROM_VERTEX != 0;
const bool uFog = FOG != 0;
const bool uHasTex[2] = bool[2](HAS_TEX0 != 0, HAS_TEX1 != 0);
#else
uniform ivec3 uColorStage[2];  // op, arg1, arg2
uniform ivec3 uAlphaStage[2];
uniform bool uFactorFromVertex;
uniform bool uFog;
const bool uHasTex[2] = bool[2](true, true);
#endif
uniform vec4 uTFactor;
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
    vec4 tex = !uHasTex[s] ? vec4(1.0)
               : s == 0    ? texture(uTex0, vec3(vTex, vLayer))
                           : texture(uTex1, vec3(vTex, uLayer1));
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
