#include "engine/BillMod.h"

#include <cmath>

#include "engine/GameGlobals.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"

std::array<ScreenVertex, 4> ScreenQuadVerts{};

namespace {
D3DMATRIX identity() {
  D3DMATRIX m;
  D3DXMatrixIdentity(m);
  return m;
}
}  // namespace

D3DMATRIX BillMatrix = identity();

// ---- billboards ----

namespace {
constexpr Single HeightIsSize = -99.0f;  // a height argument meaning "the same as size"
constexpr Single ClassicSpin = 3.14f;    // classic view turns vertex billboards half round

// BillMatrix with the position as its translation, scaled by (size, height, size) first.
D3DMATRIX billWorld(const D3DVECTOR& position, Single size, Single height) {
  D3DMATRIX M = BillMatrix;
  M.m[3][0] = position.x;
  M.m[3][1] = position.y;
  M.m[3][2] = position.z;
  D3DMATRIX S, W;
  D3DXMatrixScaling(S, size, height, size);
  D3DXMatrixMultiply(W, S, M);
  return W;
}

// W turned first by spin about the quad's own z axis.
void spinFirst(D3DMATRIX& W, Single spin) {
  D3DMATRIX Z;
  D3DXMatrixRotationZ(Z, spin);
  D3DXMatrixMultiply(W, Z, W);
}

void drawQuad(Direct3DDevice8& dev, const D3DMATRIX& W, const VertexBuffer& buffer) {
  checkHResult(dev.SetTransform(D3DTS_WORLD, W));
  checkHResult(dev.SetStreamSource(0, buffer, QuadVertexStride));
  checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
  checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
}

// The plain quad for shade below 0, else the tinted ramp entry (shade lowered to 31).
const VertexBuffer& shadeBuffer(Integer& shade) {
  if (shade < 0) return BillQuadVB;
  if (shade > 31) shade = 31;
  return ColorQuadVBs[static_cast<size_t>(shade)];
}

std::shared_ptr<Direct3DTexture8> cacheTexture(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}
}  // namespace

void getBillFace() {
  vbTrap("getBillFace", [] {
    D3DVECTOR d;
    D3DXVec3Subtract(d, CamTarget, CamEye);
    if (d.x == 0 && d.z == 0) {
      // Straight up or down: no bearing to face, the quad keeps its own orientation.
      D3DXMatrixIdentity(BillMatrix);
      return;
    }
    constexpr double h = 3.14159 / 2;
    double yaw;
    if (d.x > 0)
      yaw = h - std::atan(static_cast<double>(d.z) / d.x);
    else if (d.x < 0)
      yaw = -std::atan(static_cast<double>(d.z) / d.x) - h;
    else
      yaw = d.z > 0 ? 0.0 : 2 * h;  // the limits of the two formulas
    const double pitch =
        std::atan(d.y / std::sqrt(static_cast<double>(d.x) * d.x + static_cast<double>(d.z) * d.z));
    D3DMATRIX Ry, Rx;
    D3DXMatrixRotationY(Ry, static_cast<Single>(yaw));
    D3DXMatrixRotationX(Rx, static_cast<Single>(-pitch));
    D3DXMatrixMultiply(BillMatrix, Rx, Ry);
  });
}

void DrawVBBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                Integer& red, Integer& green, Integer& blue, Single spin) {
  if (!easyTestVis(position.x, position.z)) return;
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  Integer alpha = 255;
  setQuickRMode(rpAdditive, red, green, blue, alpha);
  checkHResult(dev.SetTexture(0, texture));
  D3DMATRIX W = billWorld(position, size, size);
  if (ClassicView && !CamDetached)
    spinFirst(W, spin + ClassicSpin);
  else if (spin != 0)
    spinFirst(W, spin);
  drawQuad(dev, W, BillQuadVB);
  if (BulletTime) checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
}

void DrawAlphaBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                   Single spin, Single /*unused*/, Integer& alpha) {
  vbTrap("DrawAlphaBill", [&] {
    if (alpha > 255) alpha = 255;
    if (alpha < 0) alpha = 0;
    Direct3DDevice8& dev = device();
    Integer r = alpha, g = alpha, b = alpha, a = alpha;
    setQuickRMode(rpColorBlend, r, g, b, a);
    checkHResult(dev.SetTexture(0, texture));
    checkHResult(dev.SetTexture(1, cacheTexture(TexNeuBolt)));
    checkHResult(dev.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE));
    D3DMATRIX W = billWorld(position, size, size);
    if (spin != 0) spinFirst(W, spin);
    drawQuad(dev, W, BillQuadVB);
  });
}

void DrawBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
              Integer /*unused1*/, Single spin, Single /*unused2*/, Integer flag, Integer& shade) {
  vbTrap("DrawBill", [&] {
    Direct3DDevice8& dev = device();
    checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
    setQuickRMode(rpAdditive, 255, 255, 255, 255);
    checkHResult(dev.SetTexture(0, texture));
    // The alternate quad buffer was never filled: a non-zero flag draws the plain quad.
    const VertexBuffer& buffer = flag != 0 ? BillQuadVB : shadeBuffer(shade);
    D3DMATRIX W = billWorld(position, size, size);
    if (spin != 0) spinFirst(W, spin);
    drawQuad(dev, W, buffer);
  });
}

void DrawPlane(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
               Single spin, Single height, Integer /*unused*/, Integer& intensity) {
  vbTrap("DrawPlane", [&] {
    Direct3DDevice8& dev = device();
    checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
    checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
    checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
    checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
    setQuickRMode(rpAdditive, intensity, intensity, intensity, intensity);
    checkHResult(dev.SetTexture(0, texture));
    D3DMATRIX S, T, W;
    D3DXMatrixScaling(S, size, height == HeightIsSize ? size : height, size);
    D3DXMatrixTranslation(T, position.x, position.y, position.z);
    D3DXMatrixMultiply(W, S, T);
    if (spin != 0) spinFirst(W, spin);
    drawQuad(dev, W, BillQuadVB);
    checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
  });
}

void DrawDDSBill(const D3DVECTOR& position, Single size, const std::shared_ptr<Direct3DTexture8>& texture,
                 Integer /*unused*/, Single height, Integer& shade) {
  vbTrap("DrawDDSBill", [&] {
    Direct3DDevice8& dev = device();
    setQuickRMode(rpAlphaBlend, 255, 255, 255, 255);
    checkHResult(dev.SetTexture(0, texture));
    const VertexBuffer& buffer = shadeBuffer(shade);
    drawQuad(dev, billWorld(position, size, height == HeightIsSize ? size : height), buffer);
  });
}

// ---- screen quads ----

namespace {
constexpr Single TexelScale = 256.0f;

// The device calls both screen quads share, in this order.
void drawScreenQuad(const std::shared_ptr<Direct3DTexture8>& texture) {
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetVertexShader(D3DFVF_SCREENVERTEX));
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE));
  checkHResult(dev.SetTexture(0, texture));
  checkHResult(dev.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ScreenQuadVerts.data(), ScreenVertexStride));
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
}

// Texture coordinates of corner k (0 left-bottom, 1 left-top, 2 right-bottom, 3 right-top).
void cornerUV(const RECT& src, int k, Single& u, Single& v) {
  u = static_cast<Single>((k < 2 ? src.left : src.right) / TexelScale);
  v = static_cast<Single>((k % 2 == 0 ? src.bottom : src.top) / TexelScale);
}
}  // namespace

ScreenVertex makeTLVertex(Single x, Single y, D3DCOLOR color, Single u, Single v) {
  return ScreenVertex{x, y, 0, 1, color, u, v};
}

void Back3DCust(const std::shared_ptr<Direct3DTexture8>& texture, const RECT& src, const RECT& dst, Integer red,
                Integer green, Integer blue, Integer drawFlag, Integer /*unused*/) {
  vbTrap("Back3DCust", [&] {
    if (drawFlag == 0) return;
    const D3DCOLOR color = D3DColorARGB(255, red, green, blue);
    const Single xs[4] = {Single(dst.left), Single(dst.left), Single(dst.right), Single(dst.right)};
    const Single ys[4] = {Single(dst.bottom), Single(dst.top), Single(dst.bottom), Single(dst.top)};
    for (int k = 0; k < 4; ++k) {
      Single u, v;
      cornerUV(src, k, u, v);
      ScreenQuadVerts[k] = makeTLVertex(xs[k], ys[k], color, u, v);
    }
    drawScreenQuad(texture);
  });
}

void Back3DRot(const std::shared_ptr<Direct3DTexture8>& texture, const RECT& src, Single centreX, Single centreY,
               Single radius, Integer red, Integer green, Integer blue, Single angle) {
  vbTrap("Back3DRot", [&] {
    static constexpr Double CornerAngle[4] = {3.14, 4.71, 1.57, 0};
    const D3DCOLOR color = D3DColorARGB(255, red, green, blue);
    for (int k = 0; k < 4; ++k) {
      Single u, v;
      cornerUV(src, k, u, v);
      const Single x = static_cast<Single>(centreX + radius * std::cos(angle + CornerAngle[k]));
      const Single y = static_cast<Single>(centreY + radius * std::sin(angle + CornerAngle[k]));
      ScreenQuadVerts[k] = makeTLVertex(x, y, color, u, v);
    }
    drawScreenQuad(texture);
  });
}
