// Draws of the OpenGL backend: one at a time, or merged (setDrawBatching, on by default). A draw
// whose positions all lie beyond one side of the view volume is dropped. A merged draw gathers the
// triangles of draws of equal state, moved to world space on the CPU (strips as indices into their
// vertices), and a draw may join an earlier one when it commutes with every merged draw opened
// since (by blending or by screen boxes); at most 48 are held open, and they reach the driver in
// order at the next clear, present, target change, upload or read. Vertices from user memory and
// merged draws go through one stream ring; a vertex buffer's updates reach GL when a draw reads
// the buffer itself. Limits: a merged draw holds at most 1 MB of vertices.
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/GlBackend.h"

namespace gldevice {
// Room for size bytes in the stream ring at a multiple of align: their offset. The ring is
// written at a moving offset and a wrap orphans the storage (mapped per write), so steady frames
// allocate no buffer storage; persistently mapped, it is held in parts, and a write entering a
// part waits until the draws that read the part before are done (each part's fence is set at the
// first reservation after it was left: by then every draw reading it has been issued).
size_t GlBackend::ringReserve(size_t size, size_t align) {
  glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
  for (size_t k = 0; k < kRingParts; ++k)
    if (ringLeft_ >> k & 1) {
      if (ringFences_[k]) glDeleteSync(ringFences_[k]);
      ringFences_[k] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    }
  ringLeft_ = 0;
  size_t at = (ringAt_ + align - 1) / align * align;
  bool wrapped = false;
  if (at + size > ringSize_) {
    if (size > ringSize_) {
      makeRing(std::max(ringSize_ * 2, size * 2));
    } else if (!ringMap_) {
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(ringSize_), nullptr, GL_STREAM_DRAW);
    } else {
      wrapped = true;
    }
    at = 0;
  }
  if (ringMap_ && size > 0) {
    const size_t partSize = ringSize_ / kRingParts;
    const size_t first = at / partSize, last = std::min((at + size - 1) / partSize, kRingParts - 1);
    for (size_t k = first; k <= last; ++k)
      if (ringFences_[k]) {
        glClientWaitSync(ringFences_[k], GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
        glDeleteSync(ringFences_[k]);
        ringFences_[k] = nullptr;
      }
    // The parts this write leaves behind.
    for (size_t k = ringPart_; k < (wrapped ? kRingParts : last); ++k) ringLeft_ |= 1u << k;
    if (wrapped)
      for (size_t k = 0; k < last; ++k) ringLeft_ |= 1u << k;
    ringPart_ = last;
  }
  ringAt_ = at + size;
  return at;
}

void GlBackend::ringCopy(size_t at, const void* data, size_t size) {
  if (ringMap_) {
    std::memcpy(ringMap_ + at, data, size);
    return;
  }
  void* p = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(size),
                             GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (p) {
    std::memcpy(p, data, size);
    glUnmapBuffer(GL_ARRAY_BUFFER);
  }
}

// Copies size bytes into the stream ring at a multiple of align and returns their offset.
size_t GlBackend::ringWrite(const void* data, size_t size, size_t align) {
  const size_t at = ringReserve(size, align);
  ringCopy(at, data, size);
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
  for (GLsync& f : ringFences_)
    if (f) glDeleteSync(f), f = nullptr;
  ringLeft_ = 0;
  ringPart_ = 0;
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

// Hands a buffer's waiting update to GL (from the device's copy of its bytes, which start at
// d.vertices - d.byteOffset).
void GlBackend::upload(const BackendDraw& d) {
  auto* b = static_cast<GlBuffer*>(d.buffer);
  glBindBuffer(GL_ARRAY_BUFFER, b->vbo);
  if (b->dirtyFrom >= b->dirtyTo || !d.vertices) return;
  const uint8_t* bytes = d.vertices - d.byteOffset;
  glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(b->dirtyFrom),
                  static_cast<GLsizeiptr>(b->dirtyTo - b->dirtyFrom), bytes + b->dirtyFrom);
  b->dirtyFrom = SIZE_MAX, b->dirtyTo = 0;
}

void GlBackend::drawNow(const BackendDraw& d) {
  GlState s;
  resolve(d, false, s);
  float box[4];
  if (!place(d, s, box)) return;  // outside the view: nothing to draw
  apply(s);
  if (d.buffer) {
    upload(d);
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

namespace {
// Triangles of d's primitives.
int32_t trianglesOf(const BackendDraw& d) {
  if (d.type == D3DPT_TRIANGLESTRIP) return std::max(0, d.vertexCount - 2);
  return d.vertexCount / 3;
}
}  // namespace

HResult GlBackend::draw(const BackendDraw& d) {
  makeCurrent();
  if (!drawBatching() || !d.vertices) {
    flush();
    drawNow(d);
    return D3D_OK;
  }
  GlState s;
  resolve(d, true, s);
  float box[4];
  if (!place(d, s, box)) return D3D_OK;  // outside the view: nothing to draw
  const int32_t triangles = trianglesOf(d);
  if (triangles == 0) return D3D_OK;
  DrawOrder order = DrawOrder::Kept;
  if (!s.blend && s.depthTest && s.depthMask)
    order = DrawOrder::Opaque;
  else if (s.blend && s.srcBlend == GL_ONE && s.dstBlend == GL_ONE && (!s.depthTest || !s.depthMask))
    order = DrawOrder::Additive;
  const bool strip = d.type == D3DPT_TRIANGLESTRIP;
  const size_t vertices = strip ? static_cast<size_t>(d.vertexCount) : 3 * static_cast<size_t>(triangles);
  auto fits = [&](const Batch& b) {
    const size_t indices =
        b.indexed || strip ? (b.indexed ? 0 : b.vertCount) + 3 * static_cast<size_t>(triangles) : 0;
    return b.vertCount + vertices <= kMaxMergedVertices && b.indexCount + indices <= kMaxMergedIndices;
  };
  // The latest merged draw of equal state that d can join: every merged draw opened after it
  // must commute with d, by blending (opaque with opaque, additive with additive) or by covering
  // other pixels.
  Batch* target = nullptr;
  for (size_t i = open_; i-- > 0 && !target;) {
    Batch& b = batches_[i];
    if (std::memcmp(&b.state, &s, sizeof s) == 0 && fits(b)) {
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
    target->vertCount = target->indexCount = 0;
    target->indexed = false;
    target->ranges = 0;
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

// The box of d's positions (model space; screen space for screen vertices): measured once per
// update and range of a buffer. False where a position is not finite.
bool GlBackend::positionBounds(const BackendDraw& d, float lo[3], float hi[3]) const {
  auto* buffer = static_cast<GlBuffer*>(d.buffer);
  if (buffer) {
    const GlBuffer::Bounds& c = buffer->bounds;
    if (c.version == buffer->version && c.offset == d.byteOffset && c.stride == d.stride &&
        c.count == d.vertexCount) {
      std::copy(c.lo, c.lo + 3, lo);
      std::copy(c.hi, c.hi + 3, hi);
      return std::isfinite(lo[0]);
    }
  }
  float l0 = INFINITY, l1 = INFINITY, l2 = INFINITY, h0 = -INFINITY, h1 = -INFINITY, h2 = -INFINITY;
  bool number = true;  // no NaN (infinities show in the box)
  const uint8_t* p = d.vertices;
  for (int32_t i = 0; i < d.vertexCount; ++i, p += d.stride) {
    float v[3];
    std::memcpy(v, p, sizeof v);
    number &= v[0] == v[0] && v[1] == v[1] && v[2] == v[2];
    l0 = std::min(l0, v[0]), l1 = std::min(l1, v[1]), l2 = std::min(l2, v[2]);
    h0 = std::max(h0, v[0]), h1 = std::max(h1, v[1]), h2 = std::max(h2, v[2]);
  }
  lo[0] = l0, lo[1] = l1, lo[2] = l2, hi[0] = h0, hi[1] = h1, hi[2] = h2;
  const bool finite = number && std::isfinite(l0) && std::isfinite(l1) && std::isfinite(l2) &&
                      std::isfinite(h0) && std::isfinite(h1) && std::isfinite(h2);
  if (!finite) lo[0] = NAN;
  if (buffer) {
    GlBuffer::Bounds& c = buffer->bounds;
    c.version = buffer->version, c.offset = d.byteOffset, c.stride = d.stride, c.count = d.vertexCount;
    std::copy(lo, lo + 3, c.lo);
    std::copy(hi, hi + 3, c.hi);
  }
  return finite;
}

// Where d falls on the target: false when it cannot touch a pixel (every position beyond one
// side of the view volume); else box gets the target pixels it may touch, as left, top, right,
// bottom with a pixel to spare: its screen vertices, or the corners of its positions' box through
// world, view and projection and the viewport; every pixel where a corner lies at or behind the
// eye, or points are drawn.
bool GlBackend::place(const BackendDraw& d, const GlState& s, float box[4]) const {
  constexpr float Huge = 1e30f;
  box[0] = box[1] = -Huge;
  box[2] = box[3] = Huge;
  float lo[3], hi[3];
  if (d.vertexCount <= 0 || !d.vertices || !positionBounds(d, lo, hi)) return true;
  const float vx = static_cast<float>(d.state->viewport.X), vy = static_cast<float>(d.state->viewport.Y);
  const float vw = static_cast<float>(d.state->viewport.Width),
              vh = static_cast<float>(d.state->viewport.Height);
  float l = Huge, t = Huge, r = -Huge, b = -Huge;
  if (d.fvf & D3DFVF_XYZRHW) {
    l = lo[0], t = lo[1], r = hi[0], b = hi[1];
  } else {
    D3DMATRIX wv, wvp;
    multiply(d.state->world, d.state->view, wv);
    multiply(wv, d.state->projection, wvp);
    const auto& m = wvp.m;
    uint32_t outside = 63;  // the sides of the view volume every corner lies beyond
    bool behind = false;
    for (int corner = 0; corner < 8; ++corner) {
      const float px = corner & 1 ? hi[0] : lo[0], py = corner & 2 ? hi[1] : lo[1],
                  pz = corner & 4 ? hi[2] : lo[2];
      const float cx = px * m[0][0] + py * m[1][0] + pz * m[2][0] + m[3][0];
      const float cy = px * m[0][1] + py * m[1][1] + pz * m[2][1] + m[3][1];
      const float cz = px * m[0][2] + py * m[1][2] + pz * m[2][2] + m[3][2];
      const float cw = px * m[0][3] + py * m[1][3] + pz * m[2][3] + m[3][3];
      outside &= (cx < -cw ? 1u : 0u) | (cx > cw ? 2u : 0u) | (cy < -cw ? 4u : 0u) | (cy > cw ? 8u : 0u) |
                 (cz < 0 ? 16u : 0u) | (cz > cw ? 32u : 0u);
      if (!(cw > 1e-6f)) {
        behind = true;
        continue;
      }
      const float x = vx + (cx / cw + 1) * 0.5f * vw, y = vy + (1 - cy / cw) * 0.5f * vh;
      l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
    }
    if (outside) return false;
    if (behind) return true;
  }
  if (s.polygonMode == GL_POINT || !std::isfinite(l) || !std::isfinite(t) || !std::isfinite(r) ||
      !std::isfinite(b))
    return true;
  box[0] = std::floor(l) - 1, box[1] = std::floor(t) - 1;
  box[2] = std::ceil(r) + 1, box[3] = std::ceil(b) + 1;
  return true;
}

namespace {
// A draw's vertices to copy into merged vertices: positions through m, normals through nm.
struct VertexCopy {
  const uint8_t* src;
  int32_t stride, count;
  const float (&m)[4][4];
  const float* nm;
  uint32_t factor;
  float layer;
};

// The copy for one vertex format, the formats' fields at their FVF places.
template <bool Transform, bool Normal, bool Color, bool Tex, bool Rhw>
void copyVertices(const VertexCopy& c, MergedVertex* out) {
  constexpr size_t normalAt = Rhw ? 16 : 12;
  constexpr size_t colorAt = normalAt + (Normal ? 12 : 0);
  constexpr size_t texAt = colorAt + (Color ? 4 : 0);
  const float(&m)[4][4] = c.m;
  const float* nm = c.nm;
  const uint8_t* src = c.src;
  for (int32_t i = 0; i < c.count; ++i, src += c.stride) {
    MergedVertex& v = out[i];
    float p[4] = {0, 0, 0, 1};
    std::memcpy(p, src, Rhw ? 16 : 12);
    if constexpr (Transform) {
      v.x = p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0];
      v.y = p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1];
      v.z = p[0] * m[0][2] + p[1] * m[1][2] + p[2] * m[2][2] + m[3][2];
      v.w = 1.0f;
    } else {
      v.x = p[0], v.y = p[1], v.z = p[2], v.w = p[3];
    }
    if constexpr (Normal) {
      float q[3];
      std::memcpy(q, src + normalAt, 12);
      if constexpr (Transform) {
        v.nx = q[0] * nm[0] + q[1] * nm[3] + q[2] * nm[6];
        v.ny = q[0] * nm[1] + q[1] * nm[4] + q[2] * nm[7];
        v.nz = q[0] * nm[2] + q[1] * nm[5] + q[2] * nm[8];
      } else {
        v.nx = q[0], v.ny = q[1], v.nz = q[2];
      }
    } else {
      v.nx = v.ny = v.nz = 0.0f;
    }
    if constexpr (Color)
      std::memcpy(&v.color, src + colorAt, 4);
    else
      v.color = 0xFFFFFFFFu;
    if constexpr (Tex)
      std::memcpy(&v.u, src + texAt, 8);
    else
      v.u = v.v = 0.0f;
    v.factor = c.factor;
    v.layer = c.layer;
  }
}

using CopyFn = void (*)(const VertexCopy&, MergedVertex*);
template <int K>
constexpr CopyFn copyOf() {
  return &copyVertices<(K & 1) != 0, (K & 2) != 0, (K & 4) != 0, (K & 8) != 0, (K & 16) != 0>;
}
template <int... K>
constexpr std::array<CopyFn, sizeof...(K)> copies(std::integer_sequence<int, K...>) {
  return {copyOf<K>()...};
}
// By kind: 1 transform, 2 normal, 4 colour, 8 texture coordinates, 16 screen vertices.
constexpr std::array<CopyFn, 32> kCopies = copies(std::make_integer_sequence<int, 32>{});
}  // namespace

// Adds d's triangles to b: its vertices as merged vertices (positions and normals moved to world
// space) and, for a strip or once b holds one, its triangles as indices (strips with the winding
// each triangle has in the strip); notes d as a layer when it is a screen rectangle.
void GlBackend::append(Batch& b, const BackendDraw& d) {
  const D3DDeviceState& st = *d.state;
  const bool rhw = d.fvf & D3DFVF_XYZRHW;
  const D3DMATRIX& w = st.world;
  bool identity = true;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) identity &= w.m[i][j] == (i == j ? 1.0f : 0.0f);
  const bool transform = !rhw && !identity;
  const bool hasNormal = d.fvf & D3DFVF_NORMAL, hasColor = d.fvf & D3DFVF_DIFFUSE,
             hasTex = d.fvf & D3DFVF_TEX1;
  float nm[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (transform && hasNormal) normalMatrix(w, nm);
  const uint32_t factor = static_cast<uint32_t>(st.renderStates[D3DRS_TEXTUREFACTOR]);
  const auto* t0 = st.stages[0].texture ? static_cast<const GlTexture*>(st.stages[0].texture->backend.get()) : nullptr;
  const float layer = t0 ? static_cast<float>(t0->layer) : 0.0f;
  const bool strip = d.type == D3DPT_TRIANGLESTRIP;
  const int32_t n = strip ? d.vertexCount : d.vertexCount / 3 * 3;
  const uint32_t first = static_cast<uint32_t>(b.vertCount);
  MergedVertex* out = b.verts.get() + first;
  const VertexCopy copy{d.vertices, d.stride, n, w.m, nm, factor, layer};
  const int kind =
      (transform ? 1 : 0) | (hasNormal ? 2 : 0) | (hasColor ? 4 : 0) | (hasTex ? 8 : 0) | (rhw ? 16 : 0);
  kCopies[kind](copy, out);
  const int32_t elementsBefore = static_cast<int32_t>(b.indexed ? b.indexCount : b.vertCount);
  b.vertCount += static_cast<size_t>(n);
  if (strip && !b.indexed) {
    // The first strip: the triangles so far become indices.
    for (uint32_t k = 0; k < first; ++k) b.indices[k] = k;
    b.indexCount = first;
    b.indexed = true;
  }
  if (b.indexed) {
    uint32_t* idx = b.indices.get() + b.indexCount;
    if (strip) {
      for (int32_t k = 0; k + 2 < n; ++k, idx += 3) {
        const uint32_t at = first + static_cast<uint32_t>(k);
        idx[0] = k % 2 ? at + 1 : at;
        idx[1] = k % 2 ? at : at + 1;
        idx[2] = at + 2;
      }
    } else {
      for (int32_t k = 0; k < n; ++k) idx[k] = first + static_cast<uint32_t>(k);
      idx += n;
    }
    b.indexCount = static_cast<size_t>(idx - b.indices.get());
  }
  // The draw ends the last part or opens a new one once that part is long enough.
  const int32_t elements = static_cast<int32_t>(b.indexed ? b.indexCount : b.vertCount);
  if (b.ranges > 0 &&
      (b.rangeCount[b.ranges - 1] < kRangeElements || b.ranges == static_cast<int32_t>(kMaxRanges))) {
    b.rangeCount[b.ranges - 1] = elements - b.rangeFirst[b.ranges - 1];
  } else {
    b.rangeFirst[b.ranges] = elementsBefore;
    b.rangeCount[b.ranges] = elements - elementsBefore;
    ++b.ranges;
  }

  // A layer: a strip (left, bottom), (left, top), (right, bottom), (right, top) on whole pixels,
  // one depth, one colour, u along x and v along y.
  if (!b.layersOk) return;
  b.layersOk = false;
  if (!rhw || !strip || n != 4 || b.layerCount >= kMaxLayers) return;
  if (b.layerCount > 0 && b.textureLayer != layer) return;  // the pass samples one texture
  b.textureLayer = layer;
  const MergedVertex* q = out;
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
  if (hasColor) unpackColor(q[0].color, diffuse);
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

void GlBackend::flush() {
  for (size_t i = 0; i < open_; ++i) drawBatch(batches_[i]);
  open_ = 0;
}

void GlBackend::drawBatch(Batch& b) {
  if (layersDrawable(b)) {
    drawLayers(b);
  } else if (b.vertCount > 0) {
    apply(b.state);
    const size_t vertexBytes = b.vertCount * sizeof(MergedVertex),
                 indexBytes = b.indexCount * sizeof(uint32_t);
    // Vertices and indices in one reservation (the indices start at a multiple of 4).
    const size_t at = ringReserve(vertexBytes + (b.indexed ? indexBytes : 0), sizeof(MergedVertex));
    ringCopy(at, b.verts.get(), vertexBytes);
    // The layout stays at the ring's start; draws pick their vertices by index.
    if (!mergedLayout_ || ringVbo_ != mergedLayoutVbo_) {
      setMergedLayout(0);
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ringVbo_);
      mergedLayout_ = true;
      mergedLayoutVbo_ = ringVbo_;
    }
    const GLint base = static_cast<GLint>(at / sizeof(MergedVertex));
    std::array<GLint, kMaxRanges> first;
    std::array<const void*, kMaxRanges> offsets;
    std::array<GLint, kMaxRanges> bases;
    if (b.indexed) {
      const size_t indexAt = at + vertexBytes;
      ringCopy(indexAt, b.indices.get(), indexBytes);
      for (int32_t i = 0; i < b.ranges; ++i) {
        offsets[i] =
            reinterpret_cast<const void*>(indexAt + sizeof(uint32_t) * static_cast<size_t>(b.rangeFirst[i]));
        bases[i] = base;
      }
      glMultiDrawElementsBaseVertex(GL_TRIANGLES, b.rangeCount.data(), GL_UNSIGNED_INT, offsets.data(),
                                    b.ranges, bases.data());
    } else {
      for (int32_t i = 0; i < b.ranges; ++i) first[i] = base + b.rangeFirst[i];
      glMultiDrawArrays(GL_TRIANGLES, first.data(), b.rangeCount.data(), b.ranges);
    }
    ++drawCalls_;
  }
  for (auto& t : b.textures) t.reset();
}
}  // namespace gldevice
