// State translation of the OpenGL backend: a draw's device states (render states, texture-stage
// states, transforms, lights, material, viewport, target) resolved into one GL state record, and
// that record applied to GL (fixed states, texture bindings and sampler states, uniform groups
// uploaded only when changed); the vertex layouts of the game's formats and of merged vertices.
// Limits: spot lights light as point lights; specular is ignored; fog is linear.
#include <cmath>
#include <cstring>
#include <string>

#include "platform/GlBackend.h"

namespace gldevice {
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

namespace {
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
}  // namespace

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
    for (int k = 0; k < D3DMAX_LIGHTS; ++k) {
      if (!st.lightEnabled[k]) continue;
      const D3DLIGHT8& l = st.lights[k];
      const int i = lb.count++;
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

// The specialised program for s, built on first use; the generic one once kMaxPrograms are built
// or where one does not build.
GlProgram& GlBackend::programFor(const GlState& s) {
  const uint64_t key = programKey(s);
  if (lastProgram_ && lastProgram_->key == key) return lastProgram_->program ? *lastProgram_ : generic_;
  GlProgram* found = nullptr;
  for (int32_t i = 0; i < programCount_ && !found; ++i)
    if (programs_[static_cast<size_t>(i)].key == key) found = &programs_[static_cast<size_t>(i)];
  if (!found && programCount_ < kMaxPrograms) {
    found = &programs_[static_cast<size_t>(programCount_++)];
    std::string log;
    if (!makeProgram(key, *found, log)) found->program = 0;
  }
  if (!found) return generic_;
  lastProgram_ = found;
  return found->program ? *found : generic_;
}

void GlBackend::apply(const GlState& s) {
  GlProgram& p = programFor(s);
  if (currentProgram_ != p.program) {
    glUseProgram(p.program);
    currentProgram_ = p.program;
  }
  const Locations& loc = p.loc;
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
  if (!p.valid || std::memcmp(&tb, &p.lastTransform, sizeof tb) != 0) {
    glUniformMatrix4fv(loc.worldView, 1, GL_FALSE, tb.worldView);
    glUniformMatrix4fv(loc.proj, 1, GL_FALSE, tb.proj);
    glUniformMatrix3fv(loc.normalMat, 1, GL_FALSE, tb.normalMat);
    glUniform1i(loc.rhw, tb.rhw);
    glUniform1i(loc.hasNormal, tb.hasNormal);
    glUniform1i(loc.hasColor, tb.hasColor);
    glUniform4fv(loc.viewport, 1, tb.viewport);
    glUniform1f(loc.flipY, tb.flipY);
    p.lastTransform = tb;
  }
  const LightBlock& lb = s.lb;
  if (!p.valid || std::memcmp(&lb, &p.lastLight, sizeof lb) != 0) {
    glUniform1i(loc.lighting, lb.lighting);
    glUniform1i(loc.normalize, lb.normalize);
    glUniform1i(loc.diffuseFromVertex, lb.diffuseFromVertex);
    glUniform1i(loc.ambientFromVertex, lb.ambientFromVertex);
    glUniform1i(loc.lightCount, lb.count);
    glUniform1iv(loc.lightType, 8, lb.type);
    glUniform4fv(loc.lightDiffuse, 8, lb.diffuse);
    glUniform4fv(loc.lightAmbient, 8, lb.ambient);
    glUniform3fv(loc.lightPos, 8, lb.pos);
    glUniform3fv(loc.lightDir, 8, lb.dir);
    glUniform4fv(loc.lightAtt, 8, lb.att);
    glUniform4fv(loc.matDiffuse, 1, lb.matDiffuse);
    glUniform4fv(loc.matAmbient, 1, lb.matAmbient);
    glUniform4fv(loc.matEmissive, 1, lb.matEmissive);
    glUniform4fv(loc.ambient, 1, lb.globalAmbient);
    p.lastLight = lb;
  }
  const PixelBlock& pb = s.pb;
  if (!p.valid || std::memcmp(&pb, &p.lastPixel, sizeof pb) != 0) {
    glUniform3iv(loc.colorStage, 2, pb.colorStage);
    glUniform3iv(loc.alphaStage, 2, pb.alphaStage);
    glUniform4fv(loc.tfactor, 1, pb.tfactor);
    glUniform1i(loc.fog, pb.fog);
    glUniform2fv(loc.fogRange, 1, pb.fogRange);
    glUniform3fv(loc.fogColor, 1, pb.fogColor);
    glUniform1f(loc.layer1, pb.layer1);
    p.lastPixel = pb;
  }
  if (!p.valid || p.lastFactorFromVertex != s.factorFromVertex) {
    glUniform1i(loc.factorFromVertex, s.factorFromVertex);
    p.lastFactorFromVertex = s.factorFromVertex;
  }
  p.valid = true;
  for (int i = 0; i < D3DDRAWN_TEXTURESTAGES; ++i) bindStage(i, s);
}
}  // namespace gldevice
