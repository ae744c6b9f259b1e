// OpenGL backend of the device.
//
// Provides: the device's function list on an OpenGL 3.3 core context of the game window (SDL2),
// with a GLSL program standing in for the fixed-function pipeline (built per set of draw states
// with those states as constants, at most 128, then one with every state a uniform): a
// directional light and point lights (range, attenuation 1 / (A0 + A1 d + A2 d^2)) over material
// and ambient, linear vertex fog on view-space depth, two texture stages (DISABLE, SELECTARG1,
// SELECTARG2, MODULATE over TEXTURE, CURRENT, DIFFUSE, TFACTOR), pre-transformed screen vertices,
// wireframe, culling with clockwise front faces, z test and write, alpha blending. Render targets
// are framebuffer objects drawn with y negated, so that a rendered picture samples like a loaded
// texture (top row at v = 0). Direct3D's 0..1 clip depth is mapped to GL's -1..1 in the vertex
// shader; Direct3D matrices are uploaded unchanged (a row-major matrix read column-major by GL
// makes M * v equal Direct3D's v * M).
// A draw whose vertices all lie beyond one side of the view volume is dropped (their box through
// the draw's transforms).
// Draw merging (setDrawBatching, on by default): a draw's vertices are copied (moved to world
// space on the CPU, normals too, its texture factor carried per vertex; strips as indices) into
// an earlier merged draw of equal states when it commutes with every merged draw opened after that
// one: by blending (opaque with depth writes among themselves, additive without depth writes among
// themselves) or by touching other pixels (screen boxes through the draw's transforms); it reaches
// the driver as one call of parts of whole draws. Textures are array textures: uploaded ones of
// one size and alpha kind share arrays, a layer each, and a merged vertex carries its texture's
// layer, so draws on different textures of one array merge (a texture drawn into gets an array of
// its own). Merged draws reach the driver in order before clears, presents, target changes,
// texture uploads and reads, or when 48 are open. Additive
// screen rectangles that overlap heavily are drawn as one summing pass, on a grid of every second
// pixel where they magnify their texture twice or more. Vertices from user
// memory and merged draws go through one stream ring (persistently mapped where the driver
// allows), written at a moving offset; a vertex buffer's updates reach GL when a draw reads the
// buffer itself.
// Limits: no mip sampling (level 0 only), stages above 1 are not drawn, spot lights light as
// point lights, fog is linear whatever the fog mode, screen vertices are neither lit nor fogged,
// specular is not drawn. Screen vertices address pixel edges: a quad from x to x + w covers
// pixels x .. x + w - 1 and maps texels one to one. Runs headless on Mesa (SDL_VIDEODRIVER=offscreen).
// Depends on: SDL2 (window, GL context), OpenGL 3.3 core.
//
// This header is internal to the backend's files: GlBackend.cpp (the context, its objects, set-up,
// clears and presents), GlShaders.cpp (the GLSL sources), GlStates.cpp (device states to GL
// states and uniforms), GlMerging.cpp (draws, merging and the stream ring), GlLayers.cpp (the
// summing pass) and GlTextures.cpp (array textures and render targets).
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceBackend.h"
#include "platform/Window.h"

namespace gldevice {
// ---- the context and its objects ---------------------------------------------------------------------
struct GlContext;
// Live contexts, so that a window going away can leave its SDL window to them.
std::vector<GlContext*>& liveContexts();

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

// A vertex buffer. Updates reach GL only when a draw reads the buffer itself (merged draws read
// the device's copy): the bytes from dirtyFrom to dirtyTo wait for it.
struct GlBuffer : BackendBuffer {
  std::shared_ptr<GlContext> ctx;
  GLuint vbo = 0;
  size_t dirtyFrom = SIZE_MAX, dirtyTo = 0;
  uint64_t version = 0;  // counts updates
  // The box of the positions of the last range measured (positionBounds).
  struct Bounds {
    uint64_t version = ~0ull;
    size_t offset = 0;
    int32_t stride = 0, count = 0;
    float lo[3], hi[3];
  } bounds;
  void update(size_t offset, const void*, size_t size) override {
    dirtyFrom = std::min(dirtyFrom, offset);
    dirtyTo = std::max(dirtyTo, offset + size);
    ++version;
  }
  ~GlBuffer() override {
    if (!ctx || !ctx->context) return;
    CurrentGuard guard(*ctx);
    if (vbo) glDeleteBuffers(1, &vbo);
  }
};

// ---- the programs (GlShaders.cpp) ----------------------------------------------------------------------
// The fixed-function stand-in (its sources follow a #version and the defines of programSource)
// and the summing pass (its fragment source follows a #version and the MASKED, SHARED and
// SUM_TERMS defines; the magnified grid has programs of its own).
extern const char* const kVertexShader;
extern const char* const kFragmentShader;
// The states a specialised program of the stand-in has as constants, packed (programKey); the
// generic program has them all as uniforms.
constexpr uint64_t kGenericProgram = ~0ull;
// The full source of the stand-in's vertex or fragment shader for key (kGenericProgram: the
// generic one).
std::string programSource(uint64_t key, bool vertex);
extern const char* const kLayerVertexShader;
extern const char* const kLayerFragmentShader;
extern const char* const kMagnifyVertexShader;
extern const char* const kMagnifyFragmentShader;
GLuint compile(GLenum type, const char* source, std::string& log);
// The program of a vertex and a fragment shader (the shaders stay the caller's); 0 with the
// linker's message in log where it does not link.
GLuint link(GLuint vs, GLuint fs, std::string& log);

struct Locations {
  GLint worldView, proj, normalMat, rhw, viewport, flipY, hasNormal, hasColor, lighting, normalize,
      lightCount;
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
  int32_t count;  // the enabled lights, in index order, are the first count entries
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

// ---- state helpers (GlStates.cpp) ----------------------------------------------------------------------
void unpackColor(D3DCOLOR c, float out[4]);
void multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out);
// Row-vector normal matrix: transpose(inverse(upper 3x3)), laid out row-major (which GL reads as
// its transpose, so that mat3 * n equals n * N).
void normalMatrix(const D3DMATRIX& m, float out[9]);

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

// The key of the specialised program for s: vertex format and lighting, fog, texture presence
// and the stage set-up, states that do not change the result left out.
uint64_t programKey(const GlState& s);

// A program of the stand-in with the uniform values it was last given.
struct GlProgram {
  uint64_t key = kGenericProgram;
  GLuint program = 0;  // 0: did not build (the generic program draws instead)
  Locations loc{};
  TransformBlock lastTransform{};
  LightBlock lastLight{};
  PixelBlock lastPixel{};
  int32_t lastFactorFromVertex = 0;
  bool valid = false;  // the last values are the program's
};
constexpr int kMaxPrograms = 128;  // specialised programs built at most; beyond, the generic one

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
constexpr size_t kMaxMergedVertices = kMaxMergedBytes / sizeof(MergedVertex);
constexpr size_t kMaxMergedIndices = 3 * kMaxMergedVertices;
constexpr int32_t kRangeElements = 256;
constexpr size_t kMaxRanges = 128;
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
  // Its vertices, and while a strip is among its draws the triangles as indices into them.
  std::unique_ptr<MergedVertex[]> verts = std::make_unique_for_overwrite<MergedVertex[]>(kMaxMergedVertices);
  std::unique_ptr<uint32_t[]> indices = std::make_unique_for_overwrite<uint32_t[]>(kMaxMergedIndices);
  size_t vertCount = 0, indexCount = 0;
  bool indexed = false;
  // Its parts for the driver (one call draws them all): runs of whole draws of at least
  // kRangeElements vertices (indices once indexed) each, as first element and count. The driver
  // takes a part with no vertex beyond the view's edges its fast way, whatever the other parts.
  std::array<int32_t, kMaxRanges> rangeFirst{}, rangeCount{};
  int32_t ranges = 0;
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


// A stage's result for one channel as texel * mul + add, from its operation and arguments
// (stage 0: CURRENT is the diffuse colour d, TFACTOR the factor f). Texel * texel is not of that
// form: stageSquaresTexel tells it apart.
struct StageTerm {
  float mul, add;
};
StageTerm stageTerm(const int32_t stage[3], float d, float f);
bool stageSquaresTexel(const int32_t stage[3]);

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
  GlProgram& programFor(const GlState& s);
  bool makeProgram(uint64_t key, GlProgram& p, std::string& log);
  void bindStage(int stage, const GlState& s);
  void setVertexLayout(int32_t fvf, int32_t stride, size_t offset);
  void setMergedLayout(size_t offset);
  void drawNow(const BackendDraw& d);
  void append(Batch& b, const BackendDraw& d);
  bool place(const BackendDraw& d, const GlState& s, float box[4]) const;
  bool positionBounds(const BackendDraw& d, float lo[3], float hi[3]) const;
  void upload(const BackendDraw& d);
  bool layersDrawable(const Batch& b) const;
  void drawLayers(const Batch& b);
  bool makeGrid(int32_t w, int32_t h);
  void makeLayerPrograms();  // at set-up; without them runs of rectangles draw as merged draws
  void deleteLayerPrograms();
  const LayerLocations* unrolledSum(int32_t count);  // null where it does not build
  void drawBatch(Batch& b);
  void flush();  // hands the merged draws being gathered to the driver, in order
  size_t ringReserve(size_t size, size_t align);
  void ringCopy(size_t at, const void* data, size_t size);
  size_t ringWrite(const void* data, size_t size, size_t align);
  void makeRing(size_t size);
  GLuint framebufferOf(GlTexture& t);
  std::shared_ptr<GlArray> makeArray(int32_t width, int32_t height, bool alpha, int32_t layers);
  void moveToShared(GlTexture& t);

  GameWindow& window_;
  std::shared_ptr<GlContext> ctx_;
  GLuint program_ = 0, vao_ = 0, streamVbo_ = 0, white_ = 0;
  size_t streamSize_ = 0;
  GlProgram generic_;  // every state a uniform; its program is program_
  std::array<GlProgram, kMaxPrograms> programs_{};
  int32_t programCount_ = 0;
  GlProgram* lastProgram_ = nullptr;
  int32_t backWidth_ = 0, backHeight_ = 0;
  bool backDepth_ = true;
  // current target
  GLuint targetFbo_ = 0;
  int32_t targetWidth_ = 0, targetHeight_ = 0;
  bool targetDepth_ = true, flipped_ = false;
  GLuint currentProgram_ = 0;
  // the summing pass for runs of additive screen rectangles: the looping programs (plain,
  // kMasked), the sums of one shared factor with 4 (k + 1) terms unrolled (built on first use)
  // and the grid's magnifying program
  static constexpr int kMasked = 1;
  static constexpr int kUnrolledStep = 4;
  GLuint layerProgram_[2] = {};
  LayerLocations layerLoc_[2]{};
  GLuint layerVs_ = 0;
  GLuint unrolledProgram_[kMaxLayers / kUnrolledStep] = {};
  LayerLocations unrolledLoc_[kMaxLayers / kUnrolledStep]{};
  bool unrolledTried_[kMaxLayers / kUnrolledStep] = {};
  GLuint magnifyProgram_ = 0;
  GLint magnifyViewport_ = -1, magnifyFlipY_ = -1, magnifyUvMap_ = -1;
  GLuint gridTexture_ = 0, gridFbo_ = 0;  // the grid of magnified runs (a 2D texture)
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
  static constexpr size_t kRingParts = 4;
  std::array<GLsync, kRingParts> ringFences_{};  // a part's draws done (persistent mapping)
  uint32_t ringLeft_ = 0;      // parts left since the last reservation, to be fenced at the next
  size_t ringPart_ = 0;        // the part the last write ended in
  bool mergedLayout_ = false;  // the vertex layout is the merged one at the ring's start
  GLuint mergedLayoutVbo_ = 0;
  int64_t drawCalls_ = 0;
};
}  // namespace gldevice
