// The beam and model sprites: the three beam shots as a turning textured tube (TubeVB), the panel
// shot as two sides of the panel tube (PanelVBs), the spin shot's spinning quad, and the kinds
// drawn with the misc models (missile, rocket, harp bolt, debris, zap, orb, inner orb, shock ring,
// warp-tunnel ring). Called from CSprite.Render only; device errors pass to the caller.
#include <cmath>

#include "engine/CMD2.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "sprites/SpriteHelpers.h"
#include "sprites/SpriteMod.h"

using namespace spr;

namespace {
D3DMATRIX mul(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out;
  D3DXMatrixMultiply(out, a, b);
  return out;
}
D3DMATRIX rotX(Single a) { D3DMATRIX m; D3DXMatrixRotationX(m, a); return m; }
D3DMATRIX rotY(Single a) { D3DMATRIX m; D3DXMatrixRotationY(m, a); return m; }
D3DMATRIX rotZ(Single a) { D3DMATRIX m; D3DXMatrixRotationZ(m, a); return m; }
D3DMATRIX scaleM(Single s) { D3DMATRIX m; D3DXMatrixScaling(m, s, s, s); return m; }
D3DMATRIX transM(const D3DVECTOR& p) { D3DMATRIX m; D3DXMatrixTranslation(m, p.x, p.y, p.z); return m; }

void setWorld(const D3DMATRIX& w) { checkHResult(device().SetTransform(D3DTS_WORLD, w)); }

// A misc model drawn with its own texture.
void drawModel(CMD2* m, bool noUpdate) {
  if (m) m->Render(nullptr, 0, 0, 0, 0, 0, noUpdate, -1, 0);
}

void drawTube(Integer texture, D3DPRIMITIVETYPE type) {
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetTexture(0, tex(texture)));
  checkHResult(dev.SetStreamSource(0, TubeVB, QuadVertexStride));
  checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
  checkHResult(dev.DrawPrimitive(type, 0, 12));
}
}  // namespace

// ---- beams ----
void CSprite::placeBeam(Single scale) {
  setQuickRMode(rpAdditive, 255, 255, 255, 255);
  face = mul(rotZ(Frame), face);
  setWorld(mul(mul(scaleM(scale), face), transM(pos)));
}

void CSprite::DrawLaserBeam(const D3DVECTOR& position, const D3DMATRIX&) {
  if (!easyTestVis(position.x, position.z)) return;
  placeBeam(1);
  drawTube(TexLaserBeam, D3DPT_TRIANGLESTRIP);
}

void CSprite::DrawPhotonBeam(const D3DVECTOR&, const D3DMATRIX&) {
  placeBeam(2);
  drawTube(TexPhotonBeam, D3DPT_TRIANGLELIST);
}

void CSprite::DrawBeam(const D3DVECTOR&, const D3DMATRIX&) {
  placeBeam(3);
  drawTube(TexBeamBeam, D3DPT_TRIANGLELIST);
}

// ---- models of CSprite ----
void CSprite::DrawDebrisModel() {
  static const Single scales[] = {5, 2, 1, 3, 3};
  const Integer index = sType == skDebris5 ? 4 : static_cast<Integer>(sType - skDebris1);
  if (index < 0 || index > 4) return;
  const Single k = Frame * size;
  setWorld(mul(mul(mul(mul(scaleM(scales[index]), rotX(k)), rotY(0.7f * k)), rotZ(0.5f * k)), transM(pos)));
  drawModel(miscModel(static_cast<Integer>(3 + index)), false);
}

void CSprite::DrawZapModel() {
  CMD2* m = miscModel(8);
  setWorld(mul(mul(face, scaleM(5 + 2 * std::sin(8 * Frame))), transM(pos)));
  if (!m) return;
  const Single r = 9 * Rnd();
  m->myTexture = ZapTex[r < 3 ? 0 : (r < 6 ? 1 : 2)];
  drawModel(m, true);
}

void CSprite::DrawOrbModel(Integer shell) {
  myAngle = 6 * Rnd();
  myPitch = 6 * Rnd();
  face = mul(rotX(myPitch), rotY(myAngle));
  setWorld(mul(mul(face, scaleM(shell + 40 * std::sin(Frame))), transM(pos)));
  setQuickRMode(rpAdditive, nearest(255 * Rnd()), 0, nearest(255 * Rnd()), 255);
  drawModel(miscModel(11), true);
}

void CSprite::DrawInnerOrbModel() {
  myAngle = 6 * Rnd();
  myPitch = 6 * Rnd();
  face = mul(rotX(myPitch), rotY(myAngle));
  setWorld(mul(mul(face, scaleM(40 * std::sin(Frame))), transM(pos)));
  setQuickRMode(rpFogged, 0, 0, 0, 255);
  drawModel(miscModel(12), true);
}

void CSprite::DrawShockModel() {
  face = mul(rotX(myPitch), rotY(myAngle));
  setWorld(mul(mul(face, scaleM((2 - Frame) * 150)), transM(pos)));
  setQuickRMode(rpAdditive, nearest(120 * Frame), nearest(50 * Frame), nearest(120 * Frame), 255);
  drawModel(miscModel(13), true);
}

void CSprite::DrawTunnel() {
  setWorld(mul(mul(scaleM(60), face), transM(pos)));
  setQuickRMode(rpAdditive, 255, 255, 255, 255);
  CMD2* m = miscModel(14);
  if (m && CurMap) {
    const Integer sector = floorI(size);
    if (!CurMap->getSecNoTunnel(sector)) {
      m->myTexture = CurMap->getSecUTexture(sector);
    } else {
      const Integer k = static_cast<Integer>(sector % 5);  // a negative remainder keeps the texture
      const Integer choice[5] = {TexElectro, TexElectro2, ZapTex[0], ZapTex[1], ZapTex[2]};
      if (k >= 0) m->myTexture = choice[k];
    }
  }
  drawModel(m, false);
}

void CSprite::DrawSpinBill(const D3DVECTOR& position, const D3DMATRIX& facing, Integer alpha) {
  if (!easyTestVis(position.x, position.z)) return;
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
  setQuickRMode(rpAdditive, alpha, alpha, alpha, alpha);
  setWorld(mul(mul(mul(mul(scaleM(3), rotZ(5 * Frame)), rotY(1.57f)), facing), transM(position)));
  checkHResult(dev.SetTexture(0, tex(TexShuriken)));
  checkHResult(dev.SetStreamSource(0, BillQuadVB, QuadVertexStride));
  checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
  checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  checkHResult(dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW));
}

// ---- SpriteMod model procedures ----
void DrawHarpModel(const D3DVECTOR& position, const D3DMATRIX& facing) {
  setWorld(mul(facing, transM(position)));
  drawModel(miscModel(2), false);
}

void DrawMissileModel(const D3DVECTOR& position, D3DMATRIX& facing, Single angle, Single pitch, Single life) {
  facing = mul(mul(rotZ(3 * life), rotX(pitch)), rotY(angle));
  setWorld(mul(facing, transM(position)));
  drawModel(miscModel(0), false);
}

void DrawRockerModel(const D3DVECTOR& position, D3DMATRIX& facing, Single angle, Single pitch, Single life) {
  if (getDist(CamEye.x, CamEye.z, position.x, position.z) > 2000) return;
  facing = mul(mul(rotZ(3 * life), rotX(pitch)), rotY(angle));
  setWorld(mul(facing, transM(position)));
  drawModel(miscModel(1), false);
}

void DrawPanelSprite(const D3DVECTOR& position, const D3DMATRIX& facing) {
  setQuickRMode(rpAdditive, 255, 255, 255, 255);
  setWorld(mul(facing, transM(position)));
  const double sum = std::floor(static_cast<double>(position.x) + position.y + position.z);
  const long m = static_cast<long>(std::fmod(sum, 3.0));  // the remainder takes the sum's sign
  Direct3DDevice8& dev = device();
  for (int i = 0; i < 6; ++i) {
    if (i % 3 != m) continue;
    checkHResult(dev.SetTexture(0, tex(TexFlare)));
    checkHResult(dev.SetStreamSource(0, PanelVBs[static_cast<size_t>(i)], QuadVertexStride));
    checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
    checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  }
}
