// Draws of the OpenGL backend: one at a time, or merged (setDrawBatching, on by default). A merged
// draw gathers the triangles of draws of equal state, moved to world space on the CPU, and a draw
// may join an earlier one when it commutes with every merged draw opened since (by blending or by
// screen boxes); at most 48 are held open, and they reach the driver in order at the next clear,
// present, target change, upload or read. Vertices from user memory and merged draws go through
// one stream ring. Limits: strips are unrolled to triangle lists; a merged draw holds at most
// 1 MB of vertices.
#include <cmath>
#include <cstring>

#include "platform/GlBackend.h"

namespace gldevice {
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
}  // namespace gldevice
