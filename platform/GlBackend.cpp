// OpenGL backend of the device.
//
// Provides: the device's function list on an OpenGL 3.3 core context of the game window (SDL2),
// with one GLSL program standing in for the fixed-function pipeline: a directional light and
// point lights (range, attenuation 1 / (A0 + A1 d + A2 d^2)) over material and ambient, linear
// vertex fog on view-space depth, two texture stages (DISABLE, SELECTARG1, SELECTARG2, MODULATE
// over TEXTURE, CURRENT, DIFFUSE, TFACTOR), pre-transformed screen vertices, wireframe, culling
// with clockwise front faces, z test and write, alpha blending. Render targets are framebuffer
// objects drawn with y negated, so that a rendered picture samples like a loaded texture (top
// row at v = 0). Direct3D's 0..1 clip depth is mapped to GL's -1..1 in the vertex shader;
// Direct3D matrices are uploaded unchanged (a row-major matrix read column-major by GL makes
// M * v equal Direct3D's v * M).
// Draw merging (setDrawBatching, on by default): a draw's vertices are copied (moved to world
// space on the CPU, normals too, its texture factor carried per vertex) into an earlier merged
// draw of equal states when it commutes with every merged draw opened after that one: by blending
// (opaque with depth writes among themselves, additive without depth writes among themselves) or
// by touching other pixels (screen boxes through the draw's transforms). Textures are array
// textures: uploaded ones of one size and alpha kind share arrays, a layer each, and a merged
// vertex carries its texture's layer, so draws on different textures of one array merge (a
// texture drawn into gets an array of its own). Merged draws reach the driver in order before
// clears, presents, target changes, texture uploads and reads, or when 48 are open. Additive screen rectangles that overlap heavily are drawn as one summing pass, on a
// grid of every second pixel where they magnify their texture twice or more. Vertices from user
// memory and merged draws go through one stream ring (persistently mapped where the driver
// allows), written at a moving offset.
// Limits: no mip sampling (level 0 only), stages above 1 are not drawn, spot lights light as
// point lights, fog is linear whatever the fog mode, screen vertices are neither lit nor fogged,
// specular is not drawn. Screen vertices address pixel edges: a quad from x to x + w covers
// pixels x .. x + w - 1 and maps texels one to one. Runs headless on Mesa (SDL_VIDEODRIVER=offscreen).
// Depends on: SDL2 (window, GL context), OpenGL 3.3 core.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/DeviceBackend.h"
#include "platform/Window.h"

namespace {
// ---- the context and its objects ---------------------------------------------------------------------
struct GlContext;
// Live contexts, so that a window going away can leave its SDL window to them.
std::vector<GlContext*>& liveContexts() {
  static auto* list = new std::vector<GlContext*>();
  return *list;
}

struct GlContext {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool ownsWindow = false;  // the GameWindow is gone: destroy the SDL window after the context
  GlContext() { liveContexts().push_back(this); }
  ~GlContext() {
    std::erase(liveContexts(), this);
    if (context) {
      if (SDL_GL_GetCurrentContext() == context) SDL_GL_MakeCurrent(window, nullptr);
      SDL_GL_DeleteContext(context);
    }
    bool stillUsed = false;
    for (GlContext* other : liveContexts()) stillUsed |= other->window == window;
    if (ownsWindow && window && !stillUsed) {
      SDL_DestroyWindow(window);
    } else if (ownsWindow) {
      for (GlContext* other : liveContexts())
        if (other->window == window) other->ownsWindow = true;
    }
  }
};

// Makes ctx current for the lifetime of the guard (objects of an older device may die while a
// newer device's context is current).
class CurrentGuard {
 public:
  explicit CurrentGuard(const GlContext& ctx) : previous_(SDL_GL_GetCurrentContext()), window_(SDL_GL_GetCurrentWindow()) {
    if (previous_ != ctx.context) {
      SDL_GL_MakeCurrent(ctx.window, ctx.context);
      switched_ = true;
    }
  }
  ~CurrentGuard() {
    if (switched_ && previous_) SDL_GL_MakeCurrent(window_, previous_);
  }

 private:
  SDL_GLContext previous_;
  SDL_Window* window_;
  bool switched_ = false;
};

// An array texture: a texture of its own (one layer: render targets, the white texture), or
// layers shared by uploaded textures of one size and alpha kind, so that draws on different
// textures of it can be merged (each vertex carries its layer). Sampler states are the array's.
struct GlArray {
  std::shared_ptr<GlContext> ctx;
  GLuint texture = 0;
  int32_t width = 0, height = 0;
  bool alpha = false;
  std::vector<char> used;  // by layer
  GLint magFilter = -1, minFilter = -1, wrapS = -1, wrapT = -1;
  ~GlArray() {
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    if (texture) glDeleteTextures(1, &texture);
  }
};

struct GlTexture : BackendTexture {
  std::shared_ptr<GlContext> ctx;
  std::shared_ptr<GlArray> array;
  int32_t layer = 0;
  bool pooled = false;  // a layer of a shared array
  GLuint framebuffer = 0;
  GLuint attachedDepth = 0;
  ~GlTexture() override {
    if (pooled && array) array->used[static_cast<size_t>(layer)] = 0;
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
  }
};

struct GlDepth : BackendTexture {
  std::shared_ptr<GlContext> ctx;
  GLuint renderbuffer = 0;
  ~GlDepth() override {
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    if (renderbuffer) glDeleteRenderbuffers(1, &renderbuffer);
  }
};

struct GlBuffer : BackendBuffer {
  std::shared_ptr<GlContext> ctx;
  GLuint vbo = 0;
  void update(size_t offset, const void* data, size_t size) override {
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size), data);
  }
  ~GlBuffer() override {
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    if (vbo) glDeleteBuffers(1, &vbo);
  }
};

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
// constant term. Each term is rounded to 8 bits as its own blend would store it.
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

void main() {
  vec2 p = uPixelMap.xy + uPixelMap.zw * gl_FragCoord.xy;
  vec4 sum = vec4(0.0);
  for (int i = 0; i < uLayers; ++i) {
    vec4 tex = textureLod(uTex0, vec3(uUvMap[i].xy + uUvMap[i].zw * p, uLayer0), 0.0);
#if SHARED
    vec4 term = floor(tex * (uMul[0] * 255.0) + 0.5);
#else
    vec4 term = floor(clamp(tex * uMul[i] + uAdd[i], 0.0, 1.0) * 255.0 + 0.5);
#endif
#if MASKED
    vec4 r = uRect[i];
    vec2 inside = step(r.xy, p) * (vec2(1.0) - step(r.zw, p));
    term *= inside.x * inside.y;
#endif
    sum += term;
  }
  fragColor = min(sum, vec4(255.0)) / 255.0;
}
)";

struct Locations {
  GLint worldView, proj, normalMat, rhw, viewport, flipY, hasNormal, hasColor, lighting, normalize;
  GLint lightType, lightDiffuse, lightAmbient, lightPos, lightDir, lightAtt;
  GLint matDiffuse, matAmbient, matEmissive, ambient, diffuseFromVertex, ambientFromVertex, fog, fogRange;
  GLint tex0, tex1, colorStage, alphaStage, tfactor, fogColor, factorFromVertex, layer1;
};

struct LayerLocations {
  GLint viewport, flipY, layers, rect, uvMap, mul, add, pixelMap, layer0;
};

// Uniform values grouped so that unchanged groups are not uploaded again.
struct TransformBlock {
  float worldView[16], proj[16], normalMat[9];
  int32_t rhw, hasNormal, hasColor;
  float viewport[4], flipY;
};
struct LightBlock {
  int32_t lighting, normalize, diffuseFromVertex, ambientFromVertex;
  int32_t type[8];
  float diffuse[32], ambient[32], pos[24], dir[24], att[32];
  float matDiffuse[4], matAmbient[4], matEmissive[4], globalAmbient[4];
};
struct PixelBlock {
  int32_t colorStage[6], alphaStage[6];
  float tfactor[4];
  int32_t fog;
  float fogRange[2], fogColor[3];
  float layer1;  // the stage-1 texture's layer in its array
};

void unpackColor(D3DCOLOR c, float out[4]) {
  out[0] = ((c >> 16) & 0xFF) / 255.0f;
  out[1] = ((c >> 8) & 0xFF) / 255.0f;
  out[2] = (c & 0xFF) / 255.0f;
  out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

void multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  out = r;
}

// Row-vector normal matrix: transpose(inverse(upper 3x3)), laid out row-major (which GL reads as
// its transpose, so that mat3 * n equals n * N).
void normalMatrix(const D3DMATRIX& m, float out[9]) {
  float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
  float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
  float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
  float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  float det = a * A + b * B + c * C;
  if (std::fabs(det) < 1e-20f || !std::isfinite(det)) {
    float plain[9] = {a, b, c, d, e, f, g, h, i};
    std::memcpy(out, plain, sizeof plain);
    return;
  }
  float inv = 1.0f / det;
  // inverse = adjugate / det; its transpose is the cofactor matrix / det.
  float cof[9] = {A, B, C,
                  -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                  b * f - c * e, -(a * f - c * d), a * e - b * d};
  for (int k = 0; k < 9; ++k) out[k] = cof[k] * inv;
}

GLenum blendFactor(int32_t b) {
  switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum compareFunc(int32_t f) {
  switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_LEQUAL;
  }
}

bool truthy(int32_t v) { return v != 0; }

// Everything a draw sets in GL apart from its vertices (zero-filled, compared bytewise): equal
// states let consecutive draws go to the driver as one.
struct GlState {
  int32_t viewport[4];
  float depthRange[2];
  int32_t depthTest, depthFunc, depthMask, d3dCull, cull, frontFace, polygonMode, blend, srcBlend, dstBlend;
  int32_t fvf, stride, factorFromVertex;
  GlArray* texture[D3DDRAWN_TEXTURESTAGES];  // null: opaque white
  int32_t layer[D3DDRAWN_TEXTURESTAGES];     // stage 0 of merged draws: per vertex instead (0 here)
  int32_t mag[D3DDRAWN_TEXTURESTAGES], min[D3DDRAWN_TEXTURESTAGES];
  int32_t wrapS[D3DDRAWN_TEXTURESTAGES], wrapT[D3DDRAWN_TEXTURESTAGES];
  TransformBlock tb;
  LightBlock lb;
  PixelBlock pb;
};

// A vertex of a merged draw: position (world space, or screen with rhw), normal (world space),
// colour, texture coordinates and the texture factor of the draw it came from.
struct MergedVertex {
  float x, y, z, w;
  float nx, ny, nz;
  uint32_t color;
  float u, v;
  uint32_t factor;
  float layer;  // of the stage-0 texture's array
};
static_assert(sizeof(MergedVertex) == 48);

constexpr size_t kMaxMergedBytes = 1 << 20;
constexpr int32_t kMaxLayers = 64;  // the summing pass's array size
constexpr float kGridDensity = 0.55f;  // texels per target pixel at most for the summing grid
constexpr size_t kMaxBatches = 48;  // merged draws held open at once
constexpr int32_t kBatchBoxes = 16;
constexpr size_t kRingBytes = 16 << 20;

// Draws whose order does not change the picture among themselves: opaque draws that test and
// write depth without blending (apart from exact depth ties), and additive draws that write no
// depth (sums commute, each term rounded on its own). Other draws commute only with draws on other
// pixels.
enum class DrawOrder { Kept, Opaque, Additive };

// A merged draw being gathered: its state, vertices, the textures it keeps alive, and, while every
// draw in it is a screen rectangle, the rectangles for the summing pass.
struct Batch {
  GlState state;
  DrawOrder order = DrawOrder::Kept;
  // Target pixels its draws may touch, as boxes (left, top, right, bottom): the whole and up to
  // kBatchBoxes parts (the last part grows once they are used up).
  float box[4] = {0, 0, 0, 0};
  std::array<float, 4 * kBatchBoxes> parts{};
  int32_t partCount = 0;
  std::vector<uint8_t> verts;
  std::shared_ptr<Direct3DTexture8> textures[D3DDRAWN_TEXTURESTAGES];
  // per rectangle: left, top, right, bottom; texture coordinate = xy + zw * target pixel; its
  // colour = texel * mul + add
  std::array<float, 4 * kMaxLayers> rect{}, uvMap{}, mul{}, add{};
  int32_t layerCount = 0;
  bool layersOk = false;
  float textureLayer = 0;  // of the rectangles' texture in its array

  static bool apart(const float* a, const float* b) {
    return a[2] <= b[0] || b[2] <= a[0] || a[3] <= b[1] || b[3] <= a[1];
  }
  bool apartFrom(const float* other) const {
    if (apart(box, other)) return true;
    for (int32_t i = 0; i < partCount; ++i)
      if (!apart(parts.data() + 4 * i, other)) return false;
    return true;
  }
  static void grow(float* a, const float* b) {
    a[0] = std::min(a[0], b[0]), a[1] = std::min(a[1], b[1]);
    a[2] = std::max(a[2], b[2]), a[3] = std::max(a[3], b[3]);
  }
  void touch(const float* part) {
    grow(box, part);
    if (partCount < kBatchBoxes)
      std::copy(part, part + 4, parts.data() + 4 * partCount++);
    else
      grow(parts.data() + 4 * (kBatchBoxes - 1), part);
  }
};

using BufferStorageFn = void (*)(GLenum, GLsizeiptr, const void*, GLbitfield);

class GlBackend : public DeviceBackend {
 public:
  GlBackend(GameWindow& window) : window_(window) {}
  ~GlBackend() override;
  bool init(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height);

  HResult reset(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) override;
  HResult clear(const D3DVIEWPORT8& viewport, int32_t flags, D3DCOLOR color, float z, int32_t stencil) override;
  HResult draw(const BackendDraw& draw) override;
  HResult present() override;
  std::shared_ptr<BackendTexture> createTexture(int32_t width, int32_t height, D3DFORMAT format) override;
  HResult uploadTexture(BackendTexture& texture, int32_t width, int32_t height, const uint32_t* argb) override;
  std::shared_ptr<BackendTexture> createDepthBuffer(int32_t width, int32_t height) override;
  std::shared_ptr<BackendBuffer> createBuffer(size_t bytes) override;
  HResult setRenderTarget(BackendTexture* color, BackendTexture* depth, int32_t width, int32_t height) override;
  HResult readPixels(BackendTexture* color, int32_t width, int32_t height, std::vector<uint32_t>& argb) override;
  int64_t drawCalls() const override { return drawCalls_; }
  void finish() override {
    makeCurrent();
    flush();
    glFinish();
  }

 private:
  void makeCurrent() {
    if (SDL_GL_GetCurrentContext() != ctx_->context) SDL_GL_MakeCurrent(ctx_->window, ctx_->context);
  }
  void resolve(const BackendDraw& d, bool merged, GlState& s) const;
  void apply(const GlState& s);
  void bindStage(int stage, const GlState& s);
  void setVertexLayout(int32_t fvf, int32_t stride, size_t offset);
  void setMergedLayout(size_t offset);
  void drawNow(const BackendDraw& d);
  void append(Batch& b, const BackendDraw& d);
  void screenBox(const BackendDraw& d, const GlState& s, float box[4]) const;
  bool layersDrawable(const Batch& b) const;
  void drawLayers(const Batch& b);
  bool makeGrid(int32_t w, int32_t h);
  void drawBatch(Batch& b);
  void flush();  // hands the merged draws being gathered to the driver, in order
  size_t ringWrite(const void* data, size_t size, size_t align);
  void makeRing(size_t size);
  GLuint framebufferOf(GlTexture& t);
  std::shared_ptr<GlArray> makeArray(int32_t width, int32_t height, bool alpha, int32_t layers);
  void moveToShared(GlTexture& t);

  GameWindow& window_;
  std::shared_ptr<GlContext> ctx_;
  GLuint program_ = 0, vao_ = 0, streamVbo_ = 0, white_ = 0;
  size_t streamSize_ = 0;
  Locations loc_{};
  int32_t backWidth_ = 0, backHeight_ = 0;
  bool backDepth_ = true;
  // current target
  GLuint targetFbo_ = 0;
  int32_t targetWidth_ = 0, targetHeight_ = 0;
  bool targetDepth_ = true, flipped_ = false;
  // last uploaded uniform groups
  TransformBlock lastTransform_{};
  LightBlock lastLight_{};
  PixelBlock lastPixel_{};
  int32_t lastFactorFromVertex_ = 0;
  bool uniformsValid_ = false;
  GLuint currentProgram_ = 0;
  // the summing pass for runs of additive screen rectangles
  // The summing programs by variant: plain, kMasked, kShared (never both).
  static constexpr int kMasked = 1, kShared = 2;
  GLuint layerProgram_[3] = {};
  LayerLocations layerLoc_[3]{};
  GLuint gridTexture_ = 0, gridFbo_ = 0;  // the grid of magnified runs
  std::vector<std::shared_ptr<GlArray>> sharedArrays_;  // layers of uploaded textures
  int32_t gridWidth_ = 0, gridHeight_ = 0;
  bool gridProgramOk_ = true;
  // the merged draws being gathered, in the order they were opened
  std::vector<Batch> batches_ = std::vector<Batch>(kMaxBatches);
  size_t open_ = 0;
  // the stream ring
  BufferStorageFn bufferStorage_ = nullptr;
  GLuint ringVbo_ = 0;
  uint8_t* ringMap_ = nullptr;  // persistent mapping, when the driver has one
  size_t ringSize_ = 0, ringAt_ = 0;
  bool mergedLayout_ = false;  // the vertex layout is the merged one at the ring's start
  GLuint mergedLayoutVbo_ = 0;
  int64_t drawCalls_ = 0;
};

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

bool GlBackend::init(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) {
  if (!window_.realize(width, height, !params.Windowed)) return false;
  ctx_ = std::make_shared<GlContext>();
  ctx_->window = static_cast<SDL_Window*>(window_.nativeWindow());
  ctx_->context = SDL_GL_CreateContext(ctx_->window);
  if (!ctx_->context) {
    reportFailure(D3DERR_NOTAVAILABLE, std::string("no OpenGL 3.3 core context: ") + SDL_GetError());
    return false;
  }
  SDL_GL_MakeCurrent(ctx_->window, ctx_->context);
  SDL_GL_SetSwapInterval(0);  // the frame cap is the game's own wait

  std::string log;
  GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader, log);
  GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, kFragmentShader, log) : 0;
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    reportFailure(D3DERR_DRIVERINTERNALERROR, "shader compile failed: " + log);
    return false;
  }
  program_ = link(vs, fs, log);
  glDeleteShader(vs);
  glDeleteShader(fs);
  if (!program_) {
    reportFailure(D3DERR_DRIVERINTERNALERROR, "shader link failed: " + log);
    return false;
  }
  glUseProgram(program_);
  currentProgram_ = program_;
  auto u = [this](const char* name) { return glGetUniformLocation(program_, name); };
  loc_ = Locations{u("uWorldView"), u("uProj"), u("uNormalMat"), u("uRhw"), u("uViewport"), u("uFlipY"),
                   u("uHasNormal"), u("uHasColor"), u("uLighting"), u("uNormalize"), u("uLightType"),
                   u("uLightDiffuse"), u("uLightAmbient"), u("uLightPos"), u("uLightDir"), u("uLightAtt"),
                   u("uMatDiffuse"), u("uMatAmbient"), u("uMatEmissive"), u("uAmbient"), u("uDiffuseFromVertex"),
                   u("uAmbientFromVertex"), u("uFog"), u("uFogRange"), u("uTex0"), u("uTex1"), u("uColorStage"),
                   u("uAlphaStage"), u("uTFactor"), u("uFogColor"), u("uFactorFromVertex"), u("uLayer1")};
  glUniform1i(loc_.tex0, 0);
  glUniform1i(loc_.tex1, 1);

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &streamVbo_);
  if (SDL_GL_ExtensionSupported("GL_ARB_buffer_storage"))
    bufferStorage_ = reinterpret_cast<BufferStorageFn>(SDL_GL_GetProcAddress("glBufferStorage"));
  makeRing(kRingBytes);
  // Merged draws keep their storage (touched only as used): steady frames allocate none.
  for (Batch& b : batches_) b.verts.reserve(kMaxMergedBytes);

  // The summing pass is an optimisation: without it runs of rectangles draw as merged draws.
  GLuint lvs = compile(GL_VERTEX_SHADER, kLayerVertexShader, log);
  GLuint layerPrograms[3] = {};
  bool allLinked = lvs != 0;
  for (int variant = 0; variant < 3 && allLinked; ++variant) {
    allLinked = false;
    const std::string source = std::string("#version 330 core\n#define MASKED ") + char('0' + (variant & 1)) +
                               "\n#define SHARED " + char('0' + (variant >> 1 & 1)) + kLayerFragmentShader;
    GLuint lfs = compile(GL_FRAGMENT_SHADER, source.c_str(), log);
    if (!lfs) break;
    GLuint lp = link(lvs, lfs, log);
    glDeleteShader(lfs);
    if (!lp) break;
    layerPrograms[variant] = lp;
    allLinked = true;
    auto l = [lp](const char* name) { return glGetUniformLocation(lp, name); };
    layerLoc_[variant] = LayerLocations{l("uViewport"), l("uFlipY"), l("uLayers"), l("uRect"), l("uUvMap"),
                                       l("uMul"),      l("uAdd"),   l("uPixelMap"), l("uLayer0")};
    glUseProgram(lp);
    glUniform1i(l("uTex0"), 0);
    glUseProgram(program_);
  }
  if (allLinked) {
    std::copy(layerPrograms, layerPrograms + 3, layerProgram_);
  } else {
    for (GLuint lp : layerPrograms)
      if (lp) glDeleteProgram(lp);
  }
  if (lvs) glDeleteShader(lvs);

  uint32_t white = 0xFFFFFFFFu;
  glGenTextures(1, &white_);
  glBindTexture(GL_TEXTURE_2D_ARRAY, white_);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, 1, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDisable(GL_DITHER);

  backWidth_ = targetWidth_ = width;
  backHeight_ = targetHeight_ = height;
  backDepth_ = targetDepth_ = params.EnableAutoDepthStencil;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (glGetError() != GL_NO_ERROR) {
    reportFailure(D3DERR_DRIVERINTERNALERROR, "OpenGL set-up failed");
    return false;
  }
  return true;
}

GlBackend::~GlBackend() {
  if (!ctx_ || !ctx_->context) return;
  CurrentGuard guard(*ctx_);
  if (white_) glDeleteTextures(1, &white_);
  if (streamVbo_) glDeleteBuffers(1, &streamVbo_);
  if (ringVbo_) {
    glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
    if (ringMap_) glUnmapBuffer(GL_ARRAY_BUFFER);
    glDeleteBuffers(1, &ringVbo_);
  }
  for (GLuint lp : layerProgram_)
    if (lp) glDeleteProgram(lp);
  if (gridFbo_) glDeleteFramebuffers(1, &gridFbo_);
  if (gridTexture_) glDeleteTextures(1, &gridTexture_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_) glDeleteProgram(program_);
}

HResult GlBackend::reset(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) {
  makeCurrent();
  flush();
  window_.applyMode(width, height, !params.Windowed);
  backWidth_ = width;
  backHeight_ = height;
  backDepth_ = params.EnableAutoDepthStencil;
  setRenderTarget(nullptr, nullptr, width, height);
  uniformsValid_ = false;
  return D3D_OK;
}

HResult GlBackend::clear(const D3DVIEWPORT8& viewport, int32_t flags, D3DCOLOR color, float z, int32_t stencil) {
  makeCurrent();
  flush();
  int32_t y = flipped_ ? viewport.Y : targetHeight_ - viewport.Y - viewport.Height;
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport.X, y, viewport.Width, viewport.Height);
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    float c[4];
    unpackColor(color, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if ((flags & D3DCLEAR_ZBUFFER) && targetDepth_) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if ((flags & D3DCLEAR_STENCIL) && targetDepth_) {
    glStencilMask(0xFF);
    glClearStencil(stencil);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) glClear(mask);
  glDisable(GL_SCISSOR_TEST);
  return D3D_OK;
}

void GlBackend::bindStage(int stage, const GlState& s) {
  glActiveTexture(GL_TEXTURE0 + stage);
  GlArray* t = s.texture[stage];
  if (!t) {
    glBindTexture(GL_TEXTURE_2D_ARRAY, white_);
    return;
  }
  glBindTexture(GL_TEXTURE_2D_ARRAY, t->texture);
  const GLenum k = GL_TEXTURE_2D_ARRAY;
  if (t->magFilter != s.mag[stage]) glTexParameteri(k, GL_TEXTURE_MAG_FILTER, t->magFilter = s.mag[stage]);
  if (t->minFilter != s.min[stage]) glTexParameteri(k, GL_TEXTURE_MIN_FILTER, t->minFilter = s.min[stage]);
  if (t->wrapS != s.wrapS[stage]) glTexParameteri(k, GL_TEXTURE_WRAP_S, t->wrapS = s.wrapS[stage]);
  if (t->wrapT != s.wrapT[stage]) glTexParameteri(k, GL_TEXTURE_WRAP_T, t->wrapT = s.wrapT[stage]);
}

void GlBackend::setVertexLayout(int32_t fvf, int32_t stride, size_t offset) {
  mergedLayout_ = false;
  size_t at = offset;
  auto pointer = [&](GLuint index, GLint size, GLenum type, GLboolean norm, size_t bytes) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, norm, stride, reinterpret_cast<const void*>(at));
    at += bytes;
  };
  if (fvf & D3DFVF_XYZRHW)
    pointer(0, 4, GL_FLOAT, GL_FALSE, 16);
  else
    pointer(0, 3, GL_FLOAT, GL_FALSE, 12);
  if (fvf & D3DFVF_NORMAL)
    pointer(1, 3, GL_FLOAT, GL_FALSE, 12);
  else
    glDisableVertexAttribArray(1);
  if (fvf & D3DFVF_DIFFUSE)
    pointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);  // ARGB in memory: B, G, R, A
  else
    glDisableVertexAttribArray(2);
  if (fvf & D3DFVF_TEX1) {
    pointer(3, 2, GL_FLOAT, GL_FALSE, 8);
  } else {
    glDisableVertexAttribArray(3);
    glVertexAttrib2f(3, 0.0f, 0.0f);
  }
  glDisableVertexAttribArray(4);
  glDisableVertexAttribArray(5);  // the layer comes as a constant (drawNow)
}

void GlBackend::setMergedLayout(size_t offset) {
  auto pointer = [&](GLuint index, GLint size, GLenum type, GLboolean norm, size_t field) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, norm, sizeof(MergedVertex), reinterpret_cast<const void*>(offset + field));
  };
  pointer(0, 4, GL_FLOAT, GL_FALSE, offsetof(MergedVertex, x));
  pointer(1, 3, GL_FLOAT, GL_FALSE, offsetof(MergedVertex, nx));
  pointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(MergedVertex, color));
  pointer(3, 2, GL_FLOAT, GL_FALSE, offsetof(MergedVertex, u));
  pointer(4, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(MergedVertex, factor));
  pointer(5, 1, GL_FLOAT, GL_FALSE, offsetof(MergedVertex, layer));
}

// Resolves the device's states for a draw of d. merged: the draw's vertices are moved to world
// space on the CPU (so the world transform is left out) and its texture factor travels with them.
void GlBackend::resolve(const BackendDraw& d, bool merged, GlState& s) const {
  std::memset(&s, 0, sizeof s);
  const D3DDeviceState& st = *d.state;
  const auto& rs = st.renderStates;
  bool rhw = d.fvf & D3DFVF_XYZRHW;
  s.fvf = d.fvf;
  s.stride = merged ? 0 : d.stride;
  s.viewport[0] = st.viewport.X;
  s.viewport[1] = st.viewport.Y;
  s.viewport[2] = st.viewport.Width;
  s.viewport[3] = st.viewport.Height;
  s.depthRange[0] = st.viewport.MinZ;
  s.depthRange[1] = st.viewport.MaxZ;
  if (truthy(rs[D3DRS_ZENABLE]) && targetDepth_) {
    s.depthTest = 1;
    s.depthFunc = static_cast<int32_t>(compareFunc(rs[D3DRS_ZFUNC]));
    s.depthMask = truthy(rs[D3DRS_ZWRITEENABLE]);
  }
  s.d3dCull = rs[D3DRS_CULLMODE];
  if (s.d3dCull == D3DCULL_CCW || s.d3dCull == D3DCULL_CW) {
    s.cull = 1;
    bool clockwiseFront = s.d3dCull == D3DCULL_CCW;
    if (flipped_) clockwiseFront = !clockwiseFront;  // y is mirrored in render targets
    s.frontFace = static_cast<int32_t>(clockwiseFront ? GL_CW : GL_CCW);
  }
  int32_t fill = rs[D3DRS_FILLMODE];
  s.polygonMode = static_cast<int32_t>(fill == D3DFILL_WIREFRAME ? GL_LINE : fill == D3DFILL_POINT ? GL_POINT : GL_FILL);
  if (truthy(rs[D3DRS_ALPHABLENDENABLE])) {
    s.blend = 1;
    s.srcBlend = static_cast<int32_t>(blendFactor(rs[D3DRS_SRCBLEND]));
    s.dstBlend = static_cast<int32_t>(blendFactor(rs[D3DRS_DESTBLEND]));
  }
  for (int i = 0; i < D3DDRAWN_TEXTURESTAGES; ++i) {
    const D3DStageState& stage = st.stages[i];
    auto* t = stage.texture ? static_cast<GlTexture*>(stage.texture->backend.get()) : nullptr;
    if (!t || !t->array || !t->array->texture) continue;
    s.texture[i] = t->array.get();
    s.layer[i] = merged && i == 0 ? 0 : t->layer;
    s.mag[i] = stage.states[D3DTSS_MAGFILTER] == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    s.min[i] = stage.states[D3DTSS_MINFILTER] == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    s.wrapS[i] = stage.states[D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    s.wrapT[i] = stage.states[D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT;
  }

  TransformBlock& tb = s.tb;
  D3DMATRIX wv;
  if (merged)
    wv = st.view;
  else
    multiply(st.world, st.view, wv);
  std::memcpy(tb.worldView, &wv, sizeof tb.worldView);
  std::memcpy(tb.proj, &st.projection, sizeof tb.proj);
  normalMatrix(wv, tb.normalMat);
  tb.rhw = rhw;
  tb.hasNormal = (d.fvf & D3DFVF_NORMAL) != 0;
  tb.hasColor = (d.fvf & D3DFVF_DIFFUSE) != 0;
  tb.viewport[0] = static_cast<float>(st.viewport.X);
  tb.viewport[1] = static_cast<float>(st.viewport.Y);
  tb.viewport[2] = static_cast<float>(std::max(1, st.viewport.Width));
  tb.viewport[3] = static_cast<float>(std::max(1, st.viewport.Height));
  tb.flipY = flipped_ ? -1.0f : 1.0f;

  LightBlock& lb = s.lb;
  lb.lighting = !rhw && truthy(rs[D3DRS_LIGHTING]);
  if (lb.lighting) {
    lb.normalize = truthy(rs[D3DRS_NORMALIZENORMALS]);
    bool colorVertex = truthy(rs[D3DRS_COLORVERTEX]);
    lb.diffuseFromVertex = colorVertex && rs[D3DRS_DIFFUSEMATERIALSOURCE] != D3DMCS_MATERIAL;
    lb.ambientFromVertex = colorVertex && rs[D3DRS_AMBIENTMATERIALSOURCE] != D3DMCS_MATERIAL;
    for (int i = 0; i < D3DMAX_LIGHTS; ++i) {
      if (!st.lightEnabled[i]) continue;
      const D3DLIGHT8& l = st.lights[i];
      lb.type[i] = l.Type == D3DLIGHT_DIRECTIONAL ? 3 : 1;
      float* dc = lb.diffuse + 4 * i;
      dc[0] = l.Diffuse.r, dc[1] = l.Diffuse.g, dc[2] = l.Diffuse.b, dc[3] = l.Diffuse.a;
      float* ac = lb.ambient + 4 * i;
      ac[0] = l.Ambient.r, ac[1] = l.Ambient.g, ac[2] = l.Ambient.b, ac[3] = l.Ambient.a;
      const auto& v = st.view.m;
      const D3DVECTOR& p = l.Position;
      lb.pos[3 * i + 0] = p.x * v[0][0] + p.y * v[1][0] + p.z * v[2][0] + v[3][0];
      lb.pos[3 * i + 1] = p.x * v[0][1] + p.y * v[1][1] + p.z * v[2][1] + v[3][1];
      lb.pos[3 * i + 2] = p.x * v[0][2] + p.y * v[1][2] + p.z * v[2][2] + v[3][2];
      const D3DVECTOR& q = l.Direction;
      float dx = -(q.x * v[0][0] + q.y * v[1][0] + q.z * v[2][0]);
      float dy = -(q.x * v[0][1] + q.y * v[1][1] + q.z * v[2][1]);
      float dz = -(q.x * v[0][2] + q.y * v[1][2] + q.z * v[2][2]);
      float len = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (len > 0.0f && std::isfinite(len)) {
        lb.dir[3 * i + 0] = dx / len;
        lb.dir[3 * i + 1] = dy / len;
        lb.dir[3 * i + 2] = dz / len;
      }
      float* at = lb.att + 4 * i;
      at[0] = l.Attenuation0, at[1] = l.Attenuation1, at[2] = l.Attenuation2, at[3] = l.Range;
    }
    auto copy = [](const D3DCOLORVALUE& c, float out[4]) { out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a; };
    copy(st.material.Diffuse, lb.matDiffuse);
    copy(st.material.Ambient, lb.matAmbient);
    copy(st.material.Emissive, lb.matEmissive);
    unpackColor(static_cast<D3DCOLOR>(rs[D3DRS_AMBIENT]), lb.globalAmbient);
  }

  PixelBlock& pb = s.pb;
  for (int i = 0; i < D3DDRAWN_TEXTURESTAGES; ++i) {
    const auto& ss = st.stages[i].states;
    pb.colorStage[3 * i + 0] = ss[D3DTSS_COLOROP];
    pb.colorStage[3 * i + 1] = ss[D3DTSS_COLORARG1];
    pb.colorStage[3 * i + 2] = ss[D3DTSS_COLORARG2];
    pb.alphaStage[3 * i + 0] = ss[D3DTSS_ALPHAOP];
    pb.alphaStage[3 * i + 1] = ss[D3DTSS_ALPHAARG1];
    pb.alphaStage[3 * i + 2] = ss[D3DTSS_ALPHAARG2];
  }
  if (!merged) unpackColor(static_cast<D3DCOLOR>(rs[D3DRS_TEXTUREFACTOR]), pb.tfactor);
  pb.fog = !rhw && truthy(rs[D3DRS_FOGENABLE]) &&
           (rs[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE || rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE);
  if (pb.fog) {
    std::memcpy(&pb.fogRange[0], &rs[D3DRS_FOGSTART], 4);
    std::memcpy(&pb.fogRange[1], &rs[D3DRS_FOGEND], 4);
    if (!std::isfinite(pb.fogRange[0]) || !std::isfinite(pb.fogRange[1])) pb.fog = 0;
    float c[4];
    unpackColor(static_cast<D3DCOLOR>(rs[D3DRS_FOGCOLOR]), c);
    pb.fogColor[0] = c[0], pb.fogColor[1] = c[1], pb.fogColor[2] = c[2];
  }
  s.pb.layer1 = static_cast<float>(s.layer[1]);
  s.factorFromVertex = merged;
}

void GlBackend::apply(const GlState& s) {
  if (currentProgram_ != program_) {
    glUseProgram(program_);
    currentProgram_ = program_;
  }
  int32_t y = flipped_ ? s.viewport[1] : targetHeight_ - s.viewport[1] - s.viewport[3];
  glViewport(s.viewport[0], y, s.viewport[2], s.viewport[3]);
  glDepthRange(s.depthRange[0], s.depthRange[1]);
  if (s.depthTest) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(static_cast<GLenum>(s.depthFunc));
    glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  if (s.cull) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(static_cast<GLenum>(s.frontFace));
  } else {
    glDisable(GL_CULL_FACE);
  }
  glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(s.polygonMode));
  if (s.blend) {
    glEnable(GL_BLEND);
    glBlendFunc(static_cast<GLenum>(s.srcBlend), static_cast<GLenum>(s.dstBlend));
  } else {
    glDisable(GL_BLEND);
  }

  const TransformBlock& tb = s.tb;
  if (!uniformsValid_ || std::memcmp(&tb, &lastTransform_, sizeof tb) != 0) {
    glUniformMatrix4fv(loc_.worldView, 1, GL_FALSE, tb.worldView);
    glUniformMatrix4fv(loc_.proj, 1, GL_FALSE, tb.proj);
    glUniformMatrix3fv(loc_.normalMat, 1, GL_FALSE, tb.normalMat);
    glUniform1i(loc_.rhw, tb.rhw);
    glUniform1i(loc_.hasNormal, tb.hasNormal);
    glUniform1i(loc_.hasColor, tb.hasColor);
    glUniform4fv(loc_.viewport, 1, tb.viewport);
    glUniform1f(loc_.flipY, tb.flipY);
    lastTransform_ = tb;
  }
  const LightBlock& lb = s.lb;
  if (!uniformsValid_ || std::memcmp(&lb, &lastLight_, sizeof lb) != 0) {
    glUniform1i(loc_.lighting, lb.lighting);
    glUniform1i(loc_.normalize, lb.normalize);
    glUniform1i(loc_.diffuseFromVertex, lb.diffuseFromVertex);
    glUniform1i(loc_.ambientFromVertex, lb.ambientFromVertex);
    glUniform1iv(loc_.lightType, 8, lb.type);
    glUniform4fv(loc_.lightDiffuse, 8, lb.diffuse);
    glUniform4fv(loc_.lightAmbient, 8, lb.ambient);
    glUniform3fv(loc_.lightPos, 8, lb.pos);
    glUniform3fv(loc_.lightDir, 8, lb.dir);
    glUniform4fv(loc_.lightAtt, 8, lb.att);
    glUniform4fv(loc_.matDiffuse, 1, lb.matDiffuse);
    glUniform4fv(loc_.matAmbient, 1, lb.matAmbient);
    glUniform4fv(loc_.matEmissive, 1, lb.matEmissive);
    glUniform4fv(loc_.ambient, 1, lb.globalAmbient);
    lastLight_ = lb;
  }
  const PixelBlock& pb = s.pb;
  if (!uniformsValid_ || std::memcmp(&pb, &lastPixel_, sizeof pb) != 0) {
    glUniform3iv(loc_.colorStage, 2, pb.colorStage);
    glUniform3iv(loc_.alphaStage, 2, pb.alphaStage);
    glUniform4fv(loc_.tfactor, 1, pb.tfactor);
    glUniform1i(loc_.fog, pb.fog);
    glUniform2fv(loc_.fogRange, 1, pb.fogRange);
    glUniform3fv(loc_.fogColor, 1, pb.fogColor);
    glUniform1f(loc_.layer1, pb.layer1);
    lastPixel_ = pb;
  }
  if (!uniformsValid_ || lastFactorFromVertex_ != s.factorFromVertex) {
    glUniform1i(loc_.factorFromVertex, s.factorFromVertex);
    lastFactorFromVertex_ = s.factorFromVertex;
  }
  uniformsValid_ = true;
  for (int i = 0; i < D3DDRAWN_TEXTURESTAGES; ++i) bindStage(i, s);
}

// Copies size bytes into the stream ring at a multiple of align and returns their offset. The
// ring is written at a moving offset; only a wrap waits for (persistent) or orphans
// (mapped per write) the storage, so steady frames allocate no buffer storage.
size_t GlBackend::ringWrite(const void* data, size_t size, size_t align) {
  glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
  size_t at = (ringAt_ + align - 1) / align * align;
  if (at + size > ringSize_) {
    if (size > ringSize_) {
      makeRing(std::max(ringSize_ * 2, size * 2));
    } else if (ringMap_) {
      GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
      glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
      glDeleteSync(fence);
    } else {
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(ringSize_), nullptr, GL_STREAM_DRAW);
    }
    at = 0;
  }
  if (ringMap_) {
    std::memcpy(ringMap_ + at, data, size);
  } else {
    void* p = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(size),
                               GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (p) {
      std::memcpy(p, data, size);
      glUnmapBuffer(GL_ARRAY_BUFFER);
    }
  }
  ringAt_ = at + size;
  return at;
}

void GlBackend::makeRing(size_t size) {
  if (ringVbo_) {
    glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
    if (ringMap_) glUnmapBuffer(GL_ARRAY_BUFFER);
    glDeleteBuffers(1, &ringVbo_);
  }
  ringMap_ = nullptr;
  ringSize_ = size;
  ringAt_ = 0;
  mergedLayout_ = false;
  glGenBuffers(1, &ringVbo_);
  glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
  if (bufferStorage_) {
    const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    bufferStorage_(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), nullptr, flags);
    ringMap_ = static_cast<uint8_t*>(glMapBufferRange(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(size), flags));
  }
  if (!ringMap_) glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), nullptr, GL_STREAM_DRAW);
}

void GlBackend::drawNow(const BackendDraw& d) {
  GlState s;
  resolve(d, false, s);
  apply(s);
  if (d.buffer) {
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GlBuffer*>(d.buffer)->vbo);
    setVertexLayout(d.fvf, d.stride, d.byteOffset);
  } else if (drawBatching()) {
    size_t at = ringWrite(d.vertices, static_cast<size_t>(d.vertexCount) * d.stride, 4);
    setVertexLayout(d.fvf, d.stride, at);
  } else {
    // Draws one at a time: the stream buffer is orphaned and refilled for every draw.
    size_t bytes = static_cast<size_t>(d.vertexCount) * d.stride;
    glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
    if (bytes > streamSize_) streamSize_ = std::max(bytes, streamSize_ * 2);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(streamSize_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), d.vertices);
    setVertexLayout(d.fvf, d.stride, 0);
  }
  glVertexAttrib1f(5, static_cast<float>(s.layer[0]));
  glDrawArrays(d.type == D3DPT_TRIANGLESTRIP ? GL_TRIANGLE_STRIP : GL_TRIANGLES, 0, d.vertexCount);
  ++drawCalls_;
}

HResult GlBackend::draw(const BackendDraw& d) {
  makeCurrent();
  if (!drawBatching() || !d.vertices) {
    flush();
    drawNow(d);
    return D3D_OK;
  }
  GlState s;
  resolve(d, true, s);
  DrawOrder order = DrawOrder::Kept;
  if (!s.blend && s.depthTest && s.depthMask)
    order = DrawOrder::Opaque;
  else if (s.blend && s.srcBlend == GL_ONE && s.dstBlend == GL_ONE && (!s.depthTest || !s.depthMask))
    order = DrawOrder::Additive;
  const size_t added = static_cast<size_t>(d.vertexCount) * 3 * sizeof(MergedVertex);
  float box[4];
  screenBox(d, s, box);
  // The latest merged draw of equal state that d can join: every merged draw opened after it
  // must commute with d, by blending (opaque with opaque, additive with additive) or by covering
  // other pixels.
  Batch* target = nullptr;
  for (size_t i = open_; i-- > 0 && !target;) {
    Batch& b = batches_[i];
    if (std::memcmp(&b.state, &s, sizeof s) == 0 && b.verts.size() + added <= kMaxMergedBytes) {
      target = &b;
      break;
    }
    const bool sameRun = order != DrawOrder::Kept && order == b.order;
    if (!sameRun && !b.apartFrom(box)) break;
  }
  if (!target) {
    if (open_ == kMaxBatches) flush();
    target = &batches_[open_++];
    target->state = s;
    target->order = order;
    target->verts.clear();
    for (int i = 0; i < D3DDRAWN_TEXTURESTAGES; ++i) target->textures[i] = d.state->stages[i].texture;
    target->layerCount = 0;
    target->layersOk = true;
    target->partCount = 0;
    std::copy(box, box + 4, target->box);
  }
  target->touch(box);
  append(*target, d);
  return D3D_OK;
}

// The target pixels d may touch, as left, top, right, bottom with a pixel to spare: its screen
// vertices, or its vertices through world, view and projection and the viewport. Where a vertex
// lies at or behind the eye, or points are drawn, every pixel.
void GlBackend::screenBox(const BackendDraw& d, const GlState& s, float box[4]) const {
  constexpr float Huge = 1e30f;
  box[0] = box[1] = Huge;
  box[2] = box[3] = -Huge;
  auto everything = [&] {
    box[0] = box[1] = -Huge;
    box[2] = box[3] = Huge;
  };
  if (s.polygonMode == GL_POINT || d.vertexCount <= 0) return everything();
  const bool rhw = d.fvf & D3DFVF_XYZRHW;
  D3DMATRIX wvp;
  if (!rhw) {
    D3DMATRIX wv;
    multiply(d.state->world, d.state->view, wv);
    multiply(wv, d.state->projection, wvp);
  }
  const float vx = static_cast<float>(d.state->viewport.X), vy = static_cast<float>(d.state->viewport.Y);
  const float vw = static_cast<float>(d.state->viewport.Width), vh = static_cast<float>(d.state->viewport.Height);
  for (int32_t i = 0; i < d.vertexCount; ++i) {
    float p[3];
    std::memcpy(p, d.vertices + static_cast<size_t>(i) * d.stride, 12);
    float x = p[0], y = p[1];
    if (!rhw) {
      const auto& m = wvp.m;
      const float cx = p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0];
      const float cy = p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1];
      const float cw = p[0] * m[0][3] + p[1] * m[1][3] + p[2] * m[2][3] + m[3][3];
      if (!(cw > 1e-6f)) return everything();
      x = vx + (cx / cw + 1) * 0.5f * vw;
      y = vy + (1 - cy / cw) * 0.5f * vh;
    }
    if (!std::isfinite(x) || !std::isfinite(y)) return everything();
    box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
    box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
  }
  box[0] = std::floor(box[0]) - 1, box[1] = std::floor(box[1]) - 1;
  box[2] = std::ceil(box[2]) + 1, box[3] = std::ceil(box[3]) + 1;
}

// A stage's result for one channel as texel * mul + add, from its operation and arguments
// (stage 0: CURRENT is the diffuse colour d, TFACTOR the factor f). Texel * texel is not of that
// form: stageSquaresTexel tells it apart.
struct StageTerm {
  float mul, add;
};

StageTerm stageTerm(const int32_t stage[3], float d, float f) {
  auto arg = [&](int32_t a) { return a == D3DTA_TEXTURE ? StageTerm{1, 0} : StageTerm{0, a == D3DTA_TFACTOR ? f : d}; };
  const StageTerm a1 = arg(stage[1]), a2 = arg(stage[2]);
  if (stage[0] == D3DTOP_SELECTARG1) return a1;
  if (stage[0] == D3DTOP_SELECTARG2) return a2;
  return {a1.mul * a2.add + a2.mul * a1.add, a1.add * a2.add};  // MODULATE
}

bool stageSquaresTexel(const int32_t stage[3]) {
  return stage[0] != D3DTOP_SELECTARG1 && stage[0] != D3DTOP_SELECTARG2 && stage[0] != D3DTOP_DISABLE &&
         stage[1] == D3DTA_TEXTURE && stage[2] == D3DTA_TEXTURE;
}

// Adds d's triangles to b as a list of merged vertices (strips unrolled with the winding each
// triangle has in the strip; positions and normals moved to world space), and notes d as a layer
// when it is a screen rectangle.
void GlBackend::append(Batch& b, const BackendDraw& d) {
  const D3DDeviceState& st = *d.state;
  const bool rhw = d.fvf & D3DFVF_XYZRHW;
  const D3DMATRIX& w = st.world;
  bool identity = true;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) identity &= w.m[i][j] == (i == j ? 1.0f : 0.0f);
  const bool transform = !rhw && !identity;
  float nm[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (transform && (d.fvf & D3DFVF_NORMAL)) normalMatrix(w, nm);
  const uint32_t factor = static_cast<uint32_t>(st.renderStates[D3DRS_TEXTUREFACTOR]);
  const auto* t0 = st.stages[0].texture ? static_cast<const GlTexture*>(st.stages[0].texture->backend.get()) : nullptr;
  const float layer = t0 ? static_cast<float>(t0->layer) : 0.0f;
  const size_t normalAt = rhw ? 16 : 12;
  const size_t colorAt = normalAt + ((d.fvf & D3DFVF_NORMAL) ? 12 : 0);
  const size_t texAt = colorAt + ((d.fvf & D3DFVF_DIFFUSE) ? 4 : 0);
  auto vertex = [&](int32_t i) {
    const uint8_t* src = d.vertices + static_cast<size_t>(i) * d.stride;
    MergedVertex v;
    float p[4] = {0, 0, 0, 1};
    std::memcpy(p, src, rhw ? 16 : 12);
    if (transform) {
      v.x = p[0] * w.m[0][0] + p[1] * w.m[1][0] + p[2] * w.m[2][0] + w.m[3][0];
      v.y = p[0] * w.m[0][1] + p[1] * w.m[1][1] + p[2] * w.m[2][1] + w.m[3][1];
      v.z = p[0] * w.m[0][2] + p[1] * w.m[1][2] + p[2] * w.m[2][2] + w.m[3][2];
      v.w = 1.0f;
    } else {
      v.x = p[0], v.y = p[1], v.z = p[2], v.w = p[3];
    }
    v.nx = v.ny = v.nz = 0.0f;
    if (d.fvf & D3DFVF_NORMAL) {
      float n[3];
      std::memcpy(n, src + normalAt, 12);
      v.nx = n[0] * nm[0] + n[1] * nm[3] + n[2] * nm[6];
      v.ny = n[0] * nm[1] + n[1] * nm[4] + n[2] * nm[7];
      v.nz = n[0] * nm[2] + n[1] * nm[5] + n[2] * nm[8];
    }
    v.color = 0xFFFFFFFFu;
    if (d.fvf & D3DFVF_DIFFUSE) std::memcpy(&v.color, src + colorAt, 4);
    v.u = v.v = 0.0f;
    if (d.fvf & D3DFVF_TEX1) {
      std::memcpy(&v.u, src + texAt, 4);
      std::memcpy(&v.v, src + texAt + 4, 4);
    }
    v.factor = factor;
    v.layer = layer;
    return v;
  };
  auto put = [&](const MergedVertex& v) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&v);
    b.verts.insert(b.verts.end(), bytes, bytes + sizeof v);
  };
  const int32_t n = d.vertexCount;
  if (d.type == D3DPT_TRIANGLESTRIP) {
    for (int32_t k = 0; k + 2 < n; ++k) {
      put(vertex(k % 2 ? k + 1 : k));
      put(vertex(k % 2 ? k : k + 1));
      put(vertex(k + 2));
    }
  } else {
    for (int32_t k = 0; k + 2 < n; k += 3) {
      put(vertex(k));
      put(vertex(k + 1));
      put(vertex(k + 2));
    }
  }

  // A layer: a strip (left, bottom), (left, top), (right, bottom), (right, top) on whole pixels,
  // one depth, one colour, u along x and v along y.
  if (!b.layersOk) return;
  b.layersOk = false;
  if (!rhw || d.type != D3DPT_TRIANGLESTRIP || n != 4 || b.layerCount >= kMaxLayers) return;
  if (b.layerCount > 0 && b.textureLayer != layer) return;  // the pass samples one texture
  b.textureLayer = layer;
  MergedVertex q[4];
  for (int i = 0; i < 4; ++i) q[i] = vertex(i);
  const float l = q[0].x, r = q[2].x, t = q[1].y, bottom = q[0].y;
  auto whole = [](float f) { return std::floor(f) == f && std::fabs(f) < 1e7f; };
  bool ok = q[1].x == l && q[3].x == r && q[2].y == bottom && q[3].y == t && l < r && t < bottom && whole(l) &&
            whole(r) && whole(t) && whole(bottom) && q[0].u == q[1].u && q[2].u == q[3].u && q[0].v == q[2].v &&
            q[1].v == q[3].v;
  for (int i = 1; i < 4; ++i) ok &= q[i].z == q[0].z && q[i].w == q[0].w && q[i].color == q[0].color;
  if (!ok) return;
  float* rect = b.rect.data() + 4 * b.layerCount;
  rect[0] = l, rect[1] = t, rect[2] = r, rect[3] = bottom;
  // Texture coordinates per target pixel, and the colour as texel * mul + add.
  const float su = (q[2].u - q[1].u) / (r - l), sv = (q[2].v - q[1].v) / (bottom - t);
  float* uvMap = b.uvMap.data() + 4 * b.layerCount;
  uvMap[0] = q[1].u - l * su, uvMap[1] = q[1].v - t * sv, uvMap[2] = su, uvMap[3] = sv;
  float diffuse[4] = {1, 1, 1, 1}, tfactor[4];
  if (d.fvf & D3DFVF_DIFFUSE) unpackColor(q[0].color, diffuse);
  unpackColor(factor, tfactor);
  for (int c = 0; c < 4; ++c) {
    const int32_t* stage = c < 3 ? b.state.pb.colorStage : b.state.pb.alphaStage;
    const StageTerm term = c == 3 && stage[0] == D3DTOP_DISABLE ? StageTerm{0, diffuse[c]}
                                                                  : stageTerm(stage, diffuse[c], tfactor[c]);
    b.mul[4 * b.layerCount + c] = term.mul;
    b.add[4 * b.layerCount + c] = term.add;
  }
  ++b.layerCount;
  b.layersOk = true;
}

// b's rectangles can be drawn as one summing pass with the same pixels (additive blending, no
// depth test, filled, not culled, stage 0 alone and one filter at every scale), and it is worth
// it: most rectangles cover most of their bounding box (the pass tests every rectangle at every
// pixel of the box, where separate draws shade only the rectangles).
bool GlBackend::layersDrawable(const Batch& b) const {
  const GlState& s = b.state;
  if (!b.layersOk || b.layerCount < 3) return false;
  // Areas inside the viewport: what the pass shades against what separate draws would.
  const double vl = s.viewport[0], vt = s.viewport[1], vr = vl + s.viewport[2], vb = vt + s.viewport[3];
  double area = 0, l = vr, t = vb, r = vl, bottom = vt;
  for (int32_t i = 0; i < b.layerCount; ++i) {
    const float* q = b.rect.data() + 4 * i;
    const double ql = std::max<double>(q[0], vl), qt = std::max<double>(q[1], vt);
    const double qr = std::min<double>(q[2], vr), qb = std::min<double>(q[3], vb);
    if (qr <= ql || qb <= qt) continue;
    area += (qr - ql) * (qb - qt);
    l = std::min(l, ql), t = std::min(t, qt), r = std::max(r, qr), bottom = std::max(bottom, qb);
  }
  if (r <= l || bottom <= t || area < 0.75 * b.layerCount * (r - l) * (bottom - t)) return false;
  return s.blend && s.srcBlend == GL_ONE && s.dstBlend == GL_ONE && !s.depthTest && s.polygonMode == GL_FILL &&
         s.d3dCull != D3DCULL_CW && s.pb.colorStage[0] != D3DTOP_DISABLE && s.pb.colorStage[3] == D3DTOP_DISABLE &&
         s.mag[0] == s.min[0] && !stageSquaresTexel(s.pb.colorStage) && !stageSquaresTexel(s.pb.alphaStage) &&
         layerProgram_[0] != 0;
}

void GlBackend::flush() {
  for (size_t i = 0; i < open_; ++i) drawBatch(batches_[i]);
  open_ = 0;
}

void GlBackend::drawBatch(Batch& b) {
  if (layersDrawable(b)) {
    drawLayers(b);
  } else if (!b.verts.empty()) {
    apply(b.state);
    size_t at = ringWrite(b.verts.data(), b.verts.size(), sizeof(MergedVertex));
    // The layout stays at the ring's start; draws pick their vertices by index.
    if (!mergedLayout_ || ringVbo_ != mergedLayoutVbo_) {
      setMergedLayout(0);
      mergedLayout_ = true;
      mergedLayoutVbo_ = ringVbo_;
    }
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(at / sizeof(MergedVertex)),
                 static_cast<GLsizei>(b.verts.size() / sizeof(MergedVertex)));
    ++drawCalls_;
  }
  for (auto& t : b.textures) t.reset();
}

// The summing pass. Where every rectangle magnifies its texture at least about twice on both
// axes (linear filtering), the sums are taken on a grid of every second pixel, which still
// samples every texel, and the grid is then drawn magnified over the box: a quarter of the
// texture reads for a picture that differs only by the interpolation between grid points.
void GlBackend::drawLayers(const Batch& b) {
  apply(b.state);  // viewport, blending, depth, culling and the stage-0 texture
  const GlState& s = b.state;
  const GlArray* tex = s.texture[0];
  float l = b.rect[0], t = b.rect[1], r = b.rect[2], bottom = b.rect[3];
  float il = l, it = t, ir = r, ib = bottom;  // inside every rectangle
  bool magnified = tex && tex->width > 0 && tex->height > 0 && s.mag[0] == GL_LINEAR && gridProgramOk_;
  for (int32_t i = 0; i < b.layerCount; ++i) {
    const float* q = b.rect.data() + 4 * i;
    const float* m = b.uvMap.data() + 4 * i;
    l = std::min(l, q[0]), t = std::min(t, q[1]), r = std::max(r, q[2]), bottom = std::max(bottom, q[3]);
    il = std::max(il, q[0]), it = std::max(it, q[1]), ir = std::min(ir, q[2]), ib = std::min(ib, q[3]);
    if (tex) magnified &= std::fabs(m[2]) * tex->width <= kGridDensity && std::fabs(m[3]) * tex->height <= kGridDensity;
  }
  // One factor for every rectangle, no constant term, within 0..1: the SHARED programs.
  bool shared = true;
  for (int32_t i = 0; i < 4 * b.layerCount; ++i)
    shared &= b.mul[i] == b.mul[i % 4] && b.add[i] == 0 && b.mul[i] >= 0 && b.mul[i] <= 1;
  // Binds a variant's program, its rectangles uploaded on first use.
  bool uploaded[3] = {};
  auto use = [&](int variant) -> const LayerLocations& {
    const LayerLocations& loc = layerLoc_[variant];
    glUseProgram(layerProgram_[variant]);
    currentProgram_ = layerProgram_[variant];
    if (!uploaded[variant]) {
      uploaded[variant] = true;
      glUniform1f(loc.layer0, b.textureLayer);
      glUniform1i(loc.layers, b.layerCount);
      glUniform4fv(loc.rect, b.layerCount, b.rect.data());
      glUniform4fv(loc.uvMap, b.layerCount, b.uvMap.data());
      glUniform4fv(loc.mul, b.layerCount, b.mul.data());
      glUniform4fv(loc.add, b.layerCount, b.add.data());
    }
    return loc;
  };

  // The box on the target, inside the viewport.
  const float vx = static_cast<float>(s.viewport[0]), vy = static_cast<float>(s.viewport[1]);
  const float x0 = std::max(std::floor(l), vx), y0 = std::max(std::floor(t), vy);
  const float x1 = std::min(std::ceil(r), vx + static_cast<float>(s.viewport[2]));
  const float y1 = std::min(std::ceil(bottom), vy + static_cast<float>(s.viewport[3]));
  if (x1 <= x0 || y1 <= y0) return;
  // Grid point (gx, gy) is the centre of target pixel (x0 + 2 gx, y0 + 2 gy).
  const int32_t gw = static_cast<int32_t>(std::ceil((x1 - x0 - 1) / 2)) + 1;
  const int32_t gh = static_cast<int32_t>(std::ceil((y1 - y0 - 1) / 2)) + 1;
  magnified = magnified && gw >= 8 && gh >= 8 && makeGrid(gw, gh);
  if (magnified) bindStage(0, s);  // making the grid may have taken stage 0's binding

  // Boxes (left, top, right, bottom in the pass's pixels) drawn as one draw.
  auto drawBoxes = [&](const float* boxes, int n) {
    float quads[4][6][4];
    for (int k = 0; k < n; ++k) {
      const float left = boxes[4 * k], top = boxes[4 * k + 1], right = boxes[4 * k + 2], low = boxes[4 * k + 3];
      const float quad[6][4] = {{left, low, 0, 1}, {left, top, 0, 1}, {right, low, 0, 1},
                                {right, low, 0, 1}, {left, top, 0, 1}, {right, top, 0, 1}};
      std::memcpy(quads[k], quad, sizeof quad);
    }
    size_t at = ringWrite(quads, sizeof quads[0] * n, 16);
    mergedLayout_ = false;
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<const void*>(at));
    for (GLuint i = 1; i <= 4; ++i) glDisableVertexAttribArray(i);
    glDisable(GL_CULL_FACE);
    glDrawArrays(GL_TRIANGLES, 0, 6 * n);
    ++drawCalls_;
  };
  // The area [L, R) x [T, B) of pass pixels: the part [iL, iR) x [iT, iB) inside every rectangle
  // without the rectangle test, the rest with it. pass(masked) selects the program and its
  // per-pass uniforms.
  auto drawSplit = [&](float L, float T, float R, float B, float iL, float iT, float iR, float iB, auto pass) {
    iL = std::clamp(iL, L, R), iR = std::clamp(iR, L, R), iT = std::clamp(iT, T, B), iB = std::clamp(iB, T, B);
    if (iR <= iL || iB <= iT) {
      const float whole[4] = {L, T, R, B};
      pass(1);
      drawBoxes(whole, 1);
      return;
    }
    const float inner[4] = {iL, iT, iR, iB};
    pass(0);
    drawBoxes(inner, 1);
    float strips[16];
    int n = 0;
    auto strip = [&](float a, float b2, float c, float d2) {
      if (c <= a || d2 <= b2) return;
      strips[4 * n] = a, strips[4 * n + 1] = b2, strips[4 * n + 2] = c, strips[4 * n + 3] = d2;
      ++n;
    };
    strip(L, T, R, iT);
    strip(L, iB, R, B);
    strip(L, iT, iL, iB);
    strip(iR, iT, R, iB);
    if (n == 0) return;
    pass(1);
    drawBoxes(strips, n);
  };
  const float targetMap[4] = {0, flipped_ ? 0.0f : static_cast<float>(targetHeight_), 1, flipped_ ? 1.0f : -1.0f};
  auto targetPass = [&](int masked) {
    const LayerLocations& loc = use(masked ? kMasked : shared ? kShared : 0);
    glUniform4fv(loc.viewport, 1, s.tb.viewport);
    glUniform1f(loc.flipY, s.tb.flipY);
    glUniform4fv(loc.pixelMap, 1, targetMap);
  };
  if (!magnified) {
    drawSplit(l, t, r, bottom, il, it, ir, ib, targetPass);
    return;
  }

  // 1. The sums at the grid points (grid pixels addressed top row first). A target interval
  // [a, b) holds the grid points ceil((a - x0) / 2) up to, not with, ceil((b - x0) / 2).
  glBindFramebuffer(GL_FRAMEBUFFER, gridFbo_);
  glViewport(0, 0, gw, gh);
  glDisable(GL_BLEND);
  const float gridViewport[4] = {0, 0, static_cast<float>(gw), static_cast<float>(gh)};
  const float gridMap[4] = {x0 - 0.5f, y0 - 0.5f, 2, 2};
  auto gridPass = [&](int masked) {
    const LayerLocations& loc = use(masked ? kMasked : shared ? kShared : 0);
    glUniform4fv(loc.viewport, 1, gridViewport);
    glUniform1f(loc.flipY, -1.0f);
    glUniform4fv(loc.pixelMap, 1, gridMap);
  };
  auto gx = [&](float a) { return std::ceil((a - x0) / 2); };
  auto gy = [&](float a) { return std::ceil((a - y0) / 2); };
  drawSplit(0, 0, static_cast<float>(gw), static_cast<float>(gh), gx(il), gy(it), gx(ir), gy(ib), gridPass);

  // 2. The grid drawn over the box with the run's blending, interpolated between grid points.
  glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  const int32_t y = flipped_ ? s.viewport[1] : targetHeight_ - s.viewport[1] - s.viewport[3];
  glViewport(s.viewport[0], y, s.viewport[2], s.viewport[3]);
  glEnable(GL_BLEND);
  glBlendFunc(static_cast<GLenum>(s.srcBlend), static_cast<GLenum>(s.dstBlend));
  targetPass(0);
  const LayerLocations& loc = layerLoc_[shared ? kShared : 0];
  const float box[4] = {x0, y0, x1, y1};
  const float su = 1.0f / (2.0f * gridWidth_), sv = 1.0f / (2.0f * gridHeight_);
  const float boxMap[4] = {(0.5f - x0) * su, (0.5f - y0) * sv, su, sv};
  const float one[4] = {1, 1, 1, 1}, zero[4] = {0, 0, 0, 0};
  glUniform1i(loc.layers, 1);
  glUniform1f(loc.layer0, 0.0f);
  glUniform4fv(loc.uvMap, 1, boxMap);
  glUniform4fv(loc.mul, 1, one);
  glUniform4fv(loc.add, 1, zero);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, gridTexture_);
  drawBoxes(box, 1);
}

// The grid target of the summing pass, at least w x h; false where it cannot be made.
bool GlBackend::makeGrid(int32_t w, int32_t h) {
  if (gridFbo_ && w <= gridWidth_ && h <= gridHeight_) return true;
  const int32_t cw = std::max(gridWidth_, (w + 63) / 64 * 64), ch = std::max(gridHeight_, (h + 63) / 64 * 64);
  if (!gridTexture_) glGenTextures(1, &gridTexture_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, gridTexture_);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, cw, ch, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  if (!gridFbo_) glGenFramebuffers(1, &gridFbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, gridFbo_);
  glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, gridTexture_, 0, 0);
  const bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  if (!ok) {
    gridProgramOk_ = false;  // sums drawn at every pixel from now on
    return false;
  }
  gridWidth_ = cw;
  gridHeight_ = ch;
  return true;
}

HResult GlBackend::present() {
  makeCurrent();
  flush();
  if (targetFbo_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  SDL_GL_SwapWindow(ctx_->window);
  if (targetFbo_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  return D3D_OK;
}

// An array texture of layers x (width x height), RGBA or RGB (alpha read as 1); null on failure.
std::shared_ptr<GlArray> GlBackend::makeArray(int32_t width, int32_t height, bool alpha, int32_t layers) {
  auto a = std::make_shared<GlArray>();
  a->ctx = ctx_;
  a->width = width;
  a->height = height;
  a->alpha = alpha;
  a->used.assign(static_cast<size_t>(layers), 0);
  glGenTextures(1, &a->texture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, a->texture);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, alpha ? GL_RGBA8 : GL_RGB8, width, height, layers, 0, GL_BGRA,
               GL_UNSIGNED_BYTE, nullptr);
  if (!alpha) glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  if (glGetError() != GL_NO_ERROR) return nullptr;
  return a;
}

// A texture starts with an array of its own; its first whole upload moves it to a layer of the
// shared arrays of its size and alpha kind, unless it has been a render target.
std::shared_ptr<BackendTexture> GlBackend::createTexture(int32_t width, int32_t height, D3DFORMAT format) {
  makeCurrent();
  auto t = std::make_shared<GlTexture>();
  t->owner = this;
  t->ctx = ctx_;
  t->array = makeArray(width, height, format == D3DFMT_A8R8G8B8, 1);
  if (!t->array) return nullptr;
  t->array->used[0] = 1;
  return t;
}

void GlBackend::moveToShared(GlTexture& t) {
  const int32_t width = t.array->width, height = t.array->height;
  const bool alpha = t.array->alpha;
  std::shared_ptr<GlArray> home;
  size_t layer = 0;
  for (auto& a : sharedArrays_) {
    if (a->width != width || a->height != height || a->alpha != alpha) continue;
    auto free = std::find(a->used.begin(), a->used.end(), 0);
    if (free == a->used.end()) continue;
    home = a;
    layer = static_cast<size_t>(free - a->used.begin());
    break;
  }
  if (!home) {
    // About 2 MB an array (1 to 64 layers): little memory held by layers not yet used.
    const int64_t bytes = int64_t{4} * width * height;
    const int32_t layers = static_cast<int32_t>(std::clamp<int64_t>((2 << 20) / std::max<int64_t>(bytes, 1), 1, 64));
    home = makeArray(width, height, alpha, layers);
    if (!home) return;  // the texture keeps its own array
    sharedArrays_.push_back(home);
  }
  home->used[layer] = 1;
  t.array = home;
  t.layer = static_cast<int32_t>(layer);
  t.pooled = true;
}

HResult GlBackend::uploadTexture(BackendTexture& texture, int32_t width, int32_t height, const uint32_t* argb) {
  makeCurrent();
  flush();
  auto& t = static_cast<GlTexture&>(texture);
  if (!t.pooled && !t.framebuffer && width == t.array->width && height == t.array->height) moveToShared(t);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, t.array->texture);
  glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, t.layer, width, height, 1, GL_BGRA, GL_UNSIGNED_BYTE, argb);
  if (glGetError() != GL_NO_ERROR) return reportFailure(D3DERR_DRIVERINTERNALERROR, "texture upload failed");
  return D3D_OK;
}

std::shared_ptr<BackendTexture> GlBackend::createDepthBuffer(int32_t width, int32_t height) {
  makeCurrent();
  auto d = std::make_shared<GlDepth>();
  d->owner = this;
  d->ctx = ctx_;
  glGenRenderbuffers(1, &d->renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, d->renderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  return d;
}

std::shared_ptr<BackendBuffer> GlBackend::createBuffer(size_t bytes) {
  makeCurrent();
  auto b = std::make_shared<GlBuffer>();
  b->owner = this;
  b->ctx = ctx_;
  glGenBuffers(1, &b->vbo);
  glBindBuffer(GL_ARRAY_BUFFER, b->vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_DYNAMIC_DRAW);
  return b;
}

// A texture drawn into gets an array of its own again (a shared array cannot be sampled while one
// of its layers is the target), its picture copied over.
GLuint GlBackend::framebufferOf(GlTexture& t) {
  if (t.pooled) {
    const int32_t w = t.array->width, h = t.array->height;
    std::shared_ptr<GlArray> own = makeArray(w, h, t.array->alpha, 1);
    if (own) {
      GLuint copy[2];
      glGenFramebuffers(2, copy);
      glBindFramebuffer(GL_READ_FRAMEBUFFER, copy[0]);
      glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, t.array->texture, 0, t.layer);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copy[1]);
      glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, own->texture, 0, 0);
      glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
      glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
      glDeleteFramebuffers(2, copy);
      t.array->used[static_cast<size_t>(t.layer)] = 0;
      own->used[0] = 1;
      t.array = own;
      t.layer = 0;
      t.pooled = false;
    }
  }
  if (!t.framebuffer) {
    glGenFramebuffers(1, &t.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, t.array->texture, 0, t.layer);
  }
  return t.framebuffer;
}

HResult GlBackend::setRenderTarget(BackendTexture* color, BackendTexture* depth, int32_t width, int32_t height) {
  makeCurrent();
  flush();
  if (!color) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    targetFbo_ = 0;
    targetWidth_ = backWidth_;
    targetHeight_ = backHeight_;
    targetDepth_ = backDepth_;
    flipped_ = false;
    return D3D_OK;
  }
  auto& t = static_cast<GlTexture&>(*color);
  GLuint fbo = framebufferOf(t);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  GLuint rb = depth ? static_cast<GlDepth*>(depth)->renderbuffer : 0;
  if (t.attachedDepth != rb) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, rb);
    t.attachedDepth = rb;
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
    return reportFailure(D3DERR_DRIVERINTERNALERROR, "render target incomplete");
  }
  targetFbo_ = fbo;
  targetWidth_ = width;
  targetHeight_ = height;
  targetDepth_ = rb != 0;
  flipped_ = true;
  return D3D_OK;
}

HResult GlBackend::readPixels(BackendTexture* color, int32_t width, int32_t height, std::vector<uint32_t>& argb) {
  makeCurrent();
  flush();
  argb.assign(static_cast<size_t>(width) * height, 0);
  if (width <= 0 || height <= 0) return D3D_OK;
  if (color) {
    auto& t = static_cast<GlTexture&>(*color);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferOf(t));
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, argb.data());  // row 0 is the top
  } else {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    std::vector<uint32_t> rows(argb.size());
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(&argb[static_cast<size_t>(y) * width], &rows[static_cast<size_t>(height - 1 - y) * width],
                  static_cast<size_t>(width) * 4);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  if (glGetError() != GL_NO_ERROR) return reportFailure(D3DERR_DRIVERINTERNALERROR, "pixel read failed");
  return D3D_OK;
}
}  // namespace

void releaseNativeWindow(void* sdlWindow) {
  auto* window = static_cast<SDL_Window*>(sdlWindow);
  bool used = false;
  for (GlContext* c : liveContexts())
    if (c->window == window) {
      c->ownsWindow = true;
      used = true;
    }
  if (used)
    SDL_HideWindow(window);
  else
    SDL_DestroyWindow(window);
}

std::unique_ptr<DeviceBackend> makeGlBackend(GameWindow& window, const D3DPRESENT_PARAMETERS& params, int32_t width,
                                             int32_t height) {
  auto backend = std::make_unique<GlBackend>(window);
  if (!backend->init(params, width, height)) return nullptr;
  return backend;
}
