// The summing pass of the OpenGL backend: a merged run of additive screen rectangles on one
// texture drawn as one pass, each pixel summing every rectangle's stage-0 colour (each term
// rounded to 8 bits as its own blend would store it); where every rectangle magnifies its texture
// about twice or more, the sums are taken on a grid of every second pixel and the grid drawn
// magnified. Runs whose rectangles share one factor are summed by programs unrolled for their
// count (in steps of 4, built the first time a count is drawn), others in a loop. Limits: 64
// rectangles a pass; stage 0 alone; no depth test; the grid interpolates between its points.
#include <cmath>
#include <cstring>
#include <string>

#include "platform/GlBackend.h"

namespace gldevice {
StageTerm stageTerm(const int32_t stage[3], float d, float f) {
  auto arg = [&](int32_t a) { return a == D3DTA_TEXTURE ? StageTerm{1, 0} : StageTerm{0, a == D3DTA_TFACTOR ? f : d}; };
  const StageTerm a1 = arg(stage[1]), a2 = arg(stage[2]);
  if (stage[0] == D3DTOP_SELECTARG1) return a1;
  if (stage[0] == D3DTOP_SELECTARG2) return a2;
  return {a1.mul * a2.add + a2.mul * a1.add, a1.add * a2.add};  // MODULATE
}

namespace {
// A summing program of the fragment source under defines (lines after the #version); 0 where it
// does not build. Leaves it the current program.
GLuint buildLayerProgram(GLuint vs, const std::string& defines, LayerLocations& loc) {
  std::string log;
  const std::string source = "#version 330 core\n" + defines + kLayerFragmentShader;
  GLuint fs = compile(GL_FRAGMENT_SHADER, source.c_str(), log);
  if (!fs) return 0;
  GLuint p = link(vs, fs, log);
  glDeleteShader(fs);
  if (!p) return 0;
  auto l = [p](const char* name) { return glGetUniformLocation(p, name); };
  loc = LayerLocations{l("uViewport"), l("uFlipY"), l("uLayers"), l("uRect"),     l("uUvMap"),
                       l("uMul"),      l("uAdd"),   l("uPixelMap"), l("uLayer0")};
  glUseProgram(p);
  glUniform1i(l("uTex0"), 0);
  return p;
}
}  // namespace

void GlBackend::makeLayerPrograms() {
  std::string log;
  layerVs_ = compile(GL_VERTEX_SHADER, kLayerVertexShader, log);
  GLuint mvs = compile(GL_VERTEX_SHADER, kMagnifyVertexShader, log);
  GLuint mfs = mvs ? compile(GL_FRAGMENT_SHADER, kMagnifyFragmentShader, log) : 0;
  magnifyProgram_ = mfs ? link(mvs, mfs, log) : 0;
  if (mvs) glDeleteShader(mvs);
  if (mfs) glDeleteShader(mfs);
  if (magnifyProgram_) {
    magnifyViewport_ = glGetUniformLocation(magnifyProgram_, "uViewport");
    magnifyFlipY_ = glGetUniformLocation(magnifyProgram_, "uFlipY");
    magnifyUvMap_ = glGetUniformLocation(magnifyProgram_, "uUvMap");
    glUseProgram(magnifyProgram_);
    glUniform1i(glGetUniformLocation(magnifyProgram_, "uGrid"), 0);
  }
  for (int masked = 0; masked < 2 && layerVs_; ++masked) {
    const std::string defines = std::string("#define MASKED ") + char('0' + masked) + "\n#define SHARED 0\n";
    layerProgram_[masked] = buildLayerProgram(layerVs_, defines, layerLoc_[masked]);
  }
  if (!layerProgram_[0] || !layerProgram_[kMasked]) deleteLayerPrograms();
  glUseProgram(currentProgram_);
}

void GlBackend::deleteLayerPrograms() {
  for (GLuint& p : layerProgram_)
    if (p) glDeleteProgram(p), p = 0;
  for (GLuint& p : unrolledProgram_)
    if (p) glDeleteProgram(p), p = 0;
  if (magnifyProgram_) glDeleteProgram(magnifyProgram_), magnifyProgram_ = 0;
  if (layerVs_) glDeleteShader(layerVs_), layerVs_ = 0;
  if (gridFbo_) glDeleteFramebuffers(1, &gridFbo_), gridFbo_ = 0;
  if (gridTexture_) glDeleteTextures(1, &gridTexture_), gridTexture_ = 0;
}

// The sum of count rectangles sharing one factor: a program for every kUnrolledStep counts, its
// terms unrolled, those past the step's least count guarded by uLayers (which costs as much as a
// term); built on first use; null where it does not build or count is below the first step (the
// loop sums instead).
const LayerLocations* GlBackend::unrolledSum(int32_t count) {
  const int32_t k = count / kUnrolledStep - 1;
  if (k < 0 || k >= kMaxLayers / kUnrolledStep || !layerVs_) return nullptr;
  if (!unrolledTried_[k]) {
    unrolledTried_[k] = true;
    const int32_t least = (k + 1) * kUnrolledStep, most = std::min(least + kUnrolledStep - 1, kMaxLayers);
    std::string defines = "#define MASKED 0\n#define SHARED 1\n#define SUM_TERMS";
    for (int32_t i = 0; i < most; ++i) {
      const std::string n = std::to_string(i);
      defines += (i < least ? " sum += term(" : " if (uLayers > " + n + ") sum += term(") + n + ", p);";
    }
    unrolledProgram_[k] = buildLayerProgram(layerVs_, defines + "\n", unrolledLoc_[k]);
    currentProgram_ = unrolledProgram_[k];
  }
  return unrolledProgram_[k] ? &unrolledLoc_[k] : nullptr;
}

bool stageSquaresTexel(const int32_t stage[3]) {
  return stage[0] != D3DTOP_SELECTARG1 && stage[0] != D3DTOP_SELECTARG2 && stage[0] != D3DTOP_DISABLE &&
         stage[1] == D3DTA_TEXTURE && stage[2] == D3DTA_TEXTURE;
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
  // One factor for every rectangle, no constant term, within 0..1: the unrolled sum.
  bool shared = true;
  for (int32_t i = 0; i < 4 * b.layerCount; ++i)
    shared &= b.mul[i] == b.mul[i % 4] && b.add[i] == 0 && b.mul[i] >= 0 && b.mul[i] <= 1;
  const LayerLocations* unrolled = shared ? unrolledSum(b.layerCount) : nullptr;
  const GLuint unrolledProgram = unrolled ? unrolledProgram_[b.layerCount / kUnrolledStep - 1] : 0;
  // Binds the masked loop, the unrolled sum or the plain loop, its rectangles uploaded on first use.
  bool uploaded[3] = {};
  auto use = [&](bool masked) -> const LayerLocations& {
    const int which = masked ? 1 : unrolled ? 2 : 0;
    const LayerLocations& loc = which == 1 ? layerLoc_[kMasked] : which == 2 ? *unrolled : layerLoc_[0];
    const GLuint program = which == 1 ? layerProgram_[kMasked] : which == 2 ? unrolledProgram : layerProgram_[0];
    glUseProgram(program);
    currentProgram_ = program;
    if (!uploaded[which]) {
      uploaded[which] = true;
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
  magnified = magnified && gw >= 8 && gh >= 8 && magnifyProgram_ && makeGrid(gw, gh);

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
      pass(true);
      drawBoxes(whole, 1);
      return;
    }
    const float inner[4] = {iL, iT, iR, iB};
    pass(false);
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
    pass(true);
    drawBoxes(strips, n);
  };
  const float targetMap[4] = {0, flipped_ ? 0.0f : static_cast<float>(targetHeight_), 1, flipped_ ? 1.0f : -1.0f};
  auto targetPass = [&](bool masked) {
    const LayerLocations& loc = use(masked);
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
  auto gridPass = [&](bool masked) {
    const LayerLocations& loc = use(masked);
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
  glUseProgram(magnifyProgram_);
  currentProgram_ = magnifyProgram_;
  const float box[4] = {x0, y0, x1, y1};
  const float su = 1.0f / (2.0f * gridWidth_), sv = 1.0f / (2.0f * gridHeight_);
  const float boxMap[4] = {(0.5f - x0) * su, (0.5f - y0) * sv, su, sv};
  glUniform4fv(magnifyViewport_, 1, s.tb.viewport);
  glUniform1f(magnifyFlipY_, s.tb.flipY);
  glUniform4fv(magnifyUvMap_, 1, boxMap);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, gridTexture_);
  drawBoxes(box, 1);
}

// The grid target of the summing pass, at least w x h; false where it cannot be made.
bool GlBackend::makeGrid(int32_t w, int32_t h) {
  if (gridFbo_ && w <= gridWidth_ && h <= gridHeight_) return true;
  const int32_t cw = std::max(gridWidth_, (w + 63) / 64 * 64), ch = std::max(gridHeight_, (h + 63) / 64 * 64);
  if (!gridTexture_) glGenTextures(1, &gridTexture_);
  glActiveTexture(GL_TEXTURE0);  // a 2D texture: stage 0's array binding stays
  glBindTexture(GL_TEXTURE_2D, gridTexture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, cw, ch, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  if (!gridFbo_) glGenFramebuffers(1, &gridFbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, gridFbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gridTexture_, 0);
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
}  // namespace gldevice
