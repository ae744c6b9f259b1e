#include "engine/BillMod.h"

#include <cmath>

#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"

std::array<ScreenVertex, 4> ScreenQuadVerts{};

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
