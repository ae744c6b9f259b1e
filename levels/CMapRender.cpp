// CMap drawing: the sky sectors and weather around the camera eye, and the structure passes.
// Called by the frame render (doRender) and the map editor, between BeginScene and EndScene.
// Sky quads are the shared 36-byte quads of GeomMod (QuadVB, FrameQuadVBs) drawn as a strip of
// two triangles through a world matrix centred on CamEye; colours come from the texture factor
// of the render preset set before each quad.
#include <algorithm>
#include <cmath>

#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"  // FadeAmount: the sky glow layers, 0..5
#include "engine/GeomMod.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {
constexpr Single MaxGlowLayers = 5;     // FadeAmount ceiling in bullet time
constexpr Single GlowGrowRate = 100;    // per second, in bullet time
constexpr Single GlowFadeRate = 50;     // per second, after it
constexpr Double FarFadeStart = 4720;   // ground distance of the structures' far-fade band
constexpr Double FarFadeEnd = 5000;

// The texture object of a cache handle; none for a handle the cache does not hold.
std::shared_ptr<Direct3DTexture8> textureOf(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

// World := Scaling(sx, sy, 1) x RotationZ(roll) x RotationX(pitch) x RotationY(yaw) x
// Translation(x, y, z), products left to right.
D3DMATRIX skyWorld(Single sx, Single sy, Single roll, Single pitch, Single yaw, Single x, Single y, Single z) {
  D3DMATRIX S, Rz, Rx, Ry, T, W;
  D3DXMatrixScaling(S, sx, sy, 1);
  D3DXMatrixRotationZ(Rz, roll);
  D3DXMatrixRotationX(Rx, pitch);
  D3DXMatrixRotationY(Ry, yaw);
  D3DXMatrixTranslation(T, x, y, z);
  D3DXMatrixMultiply(W, S, Rz);
  D3DXMatrixMultiply(W, W, Rx);
  D3DXMatrixMultiply(W, W, Ry);
  D3DXMatrixMultiply(W, W, T);
  return W;
}

void drawSkyQuad(const D3DMATRIX& world, Integer texture, const VertexBuffer& buffer) {
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetTransform(D3DTS_WORLD, world));
  checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
  checkHResult(dev.SetTexture(0, textureOf(texture)));
  checkHResult(dev.SetStreamSource(0, buffer, QuadVertexStride));
  checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
}

Single playerWarp() {
  if (Ships.empty() || !Ships[0]) return 0;
  return Ships[0]->getWarp();
}
}  // namespace

void CMap::RenderSky(Integer selected) {
  Direct3DDevice8& dev = device();
  // 1.
  const Single warp = playerWarp();
  Single stretch = 0, angle = 0;
  if (warp > 0) {
    stretch = warp * warp;
    angle = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);
  }
  // 2.
  checkHResult(dev.SetRenderState(D3DRS_ZENABLE, 0));
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
  // 3.
  if (BulletTime) {
    if (FadeAmount < MaxGlowLayers) FadeAmount += static_cast<Single>(FrameTime) * GlowGrowRate;
  } else {
    FadeAmount = std::max<Single>(0, FadeAmount - static_cast<Single>(FrameTime) * GlowFadeRate);
  }
  const Long layers = std::max<Long>(0, static_cast<Long>(Int(FadeAmount)));
  // 4.
  const bool blinkOn = static_cast<Long>(Int(2 * Frame)) % 2 == 0;
  for (Long L = 0; L <= layers; ++L) {
    for (Integer i = 0; i < MapSectors; ++i) {
      const MapSector& sec = sectors[static_cast<size_t>(i)];
      if (sec.Texture.empty()) continue;
      if (i == selected && blinkOn) setQuickRMode(rpAdditive, 255, 0, 0, 255);
      Single px = CamEye.x, pz = CamEye.z;
      if (warp > 0) {
        px = CamEye.x - stretch * std::cos(angle);
        pz = CamEye.z + stretch * std::sin(angle);
      }
      const Single s = (static_cast<Single>(L) / 3 + sec.Scale) / 10;
      drawSkyQuad(skyWorld(s, s, sec.R, sec.Y, sec.X, px, CamEye.y, pz), sec.TextureNumber, QuadVB);
      if (i == selected) setQuickRMode(rpAdditive, 200, 200, 200, 255);
    }
  }
  // 5.
  if (MapWeather > 0) RenderWeather();
  // 6.
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
  checkHResult(dev.SetRenderState(D3DRS_ZENABLE, 1));
}

void CMap::drawFXQuad(Single yaw, Single pitch, Single roll, Single scale, Single c1, Single c2, Single c3,
                      Integer texture, Integer quarter) {
  vbCheckIndex(quarter, 0, static_cast<long long>(FrameQuadVBs.size()));
  setQuickRMode(rpAdditive, CInt(c1), CInt(c2), CInt(c3), 255);
  const VertexBuffer& buffer = quarter == 0 ? QuadVB : FrameQuadVBs[static_cast<size_t>(quarter - 1)];
  drawSkyQuad(skyWorld(scale / 10, scale / 10, roll, pitch, yaw, CamEye.x, CamEye.y, CamEye.z), texture, buffer);
  setQuickRMode(rpFogged, 200, 200, 200, 200);
}

void CMap::RenderWeather() {
  const Single R = red, G = green, B = blue;
  for (const WeatherParticle& p : particles) {
    if (!p.Active) continue;
    const Single X = p.X, Y = p.Y, Z = p.Z, V = p.Value, life = p.Life;
    switch (p.Kind) {
      case 0: case 1: case 2: case 3: {  // lightning: a bolt and its glow at the top
        const Single su = std::sin(life * 3.14f);
        const Single t = su * su * su;
        const Single u = su;
        drawFXQuad(X, Y, 0, V, Rnd() * t * 128, t * 127, t * 255, TexLit, static_cast<Integer>(p.Kind + 1));
        const Single top = Y - 0.1f * V;
        drawFXQuad(X, top, 0, V, u * R, u * R, u * B, TexLitTop, 0);
        drawFXQuad(X, top, 0, 1.5f * V, u * R, u * R, u * B, TexLitTop, 0);
        drawFXQuad(X, top, 0, 0.5f * V, 128 * u, 128 * u, 255 * u, TexLitTop, 0);
        const Single u2 = Rnd() * u;
        drawFXQuad(X, top, 0, 0.75f * V, 128 * u2, 128 * u2, 255 * u2, TexLitTop, 0);
        const Single u3 = Rnd() * u2;
        drawFXQuad(X, top, 0, 2 * V, u3 * R, u3 * R, u3 * B, TexLitTop, 0);
        break;
      }
      case 4: case 5: {  // electric arcs
        const Single u = std::sin(life / 2);
        drawFXQuad(X + life / 15, Y, Z + life / 15, V, u * R, u * G, u * B, p.Kind == 4 ? TexElectro : TexElectro2, 0);
        break;
      }
      case 6: case 7: case 8: case 9: {  // shooting stars
        const Single f = std::sin(life * 6.28f) * 100;
        drawFXQuad(X - 3 * life * std::sin(Z), Y - 3 * life * std::cos(Z), Z, V, f, f, f, TexShooting,
                   static_cast<Integer>(p.Kind - 5));
        break;
      }
      case 10: case 11: {  // spikes
        const Single u = std::sin(life);
        const Single c1 = 50 * u + u * R, c2 = 50 * u + u * G, c3 = 50 * u + u * B;
        const Integer tex = p.Kind == 10 ? TexRedSpike : TexSpikeFlare;
        drawFXQuad(X + life / 65, Y, Z + life / 15, V, c1, c2, c3, tex, 0);
        drawFXQuad(X + life / 65, Y, Z - life / 15, 2 * V, c1, c2, c3, tex, 0);
        break;
      }
      case 12: case 13: {  // fire, for its first second
        if (life > 1) break;
        const Single u = std::sin(life * 3.14f) / 2;
        const Single c1 = 50 * u + u * R, c2 = 50 * u + u * G, c3 = 50 * u + u * B;
        for (Integer k = 0; k <= 3; ++k)
          drawFXQuad(X + 1.57f * k + life / 65, Y + life / 2 + 0.6f, Z + life / 2, V + 2 + life, c1, c2, c3, TexFire, 0);
        break;
      }
      default: break;
    }
  }
}

void CMap::Render() {
  for (CStruct& s : structs)
    if (s.Exists) s.Render();
}

void CMap::FadeRender() {
  setQuickRMode(rpFogged, 255, 255, 255, 255);
  for (CStruct& s : structs) {
    if (!s.Exists) continue;
    const D3DVECTOR loc = s.getLoc();
    const Double d = getDist(CamEye.x, CamEye.z, loc.x, loc.z);
    if (d > FarFadeStart && d < FarFadeEnd) s.DynaFadeRender();
  }
  for (Integer i = 0; i < MapSlots; ++i) {
    CStruct& s = structs[static_cast<size_t>(i)];
    if (!s.Exists) continue;
    const Integer a = CInt(std::sin(Frame * 0.628 + i) * 50 + 150);
    setQuickRMode(rpAdditive, a, a, a, a);
    s.FadeRender();
  }
}
