// CSprite.Render: each kind's look (billboard layers with size, colour, transparency and spin from
// the sprite's remaining life, handing shots and heavy effects to SpriteBeams.cpp) and the view
// fade of sky sprites. Called by the two render lists of SpriteMod only; one-frame kinds mark
// themselves dead after drawing.
#include <cmath>

#include "engine/BillMod.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "sprites/SpriteHelpers.h"
#include "sprites/SpriteMod.h"

using namespace spr;

namespace {
// The billboard procedures with the arguments this file passes (colours by value).
void vb(const D3DVECTOR& p, Single scale, Integer texture, Integer r, Integer g, Integer b, Single angle) {
  DrawVBBill(p, scale, tex(texture), r, g, b, angle);
}
void vbGrey(const D3DVECTOR& p, Single scale, Integer texture, Integer c, Single angle) {
  vb(p, scale, texture, c, c, c, angle);
}
void bill(const D3DVECTOR& p, Single scale, Integer texture, Single angle, Integer shade) {
  DrawBill(p, scale, tex(texture), 0, angle, 0, 0, shade);
}
void alphaBill(const D3DVECTOR& p, Single scale, Integer texture, Single angle, Integer alpha) {
  DrawAlphaBill(p, scale, tex(texture), angle, 0, alpha);
}
void ddsBill(const D3DVECTOR& p, Single scale, Integer texture, Integer shade) {
  DrawDDSBill(p, scale, tex(texture), 0, -99, shade);
}
void plane(const D3DVECTOR& p, Single scale, Integer texture, Single angle, Integer alpha) {
  DrawPlane(p, scale, tex(texture), angle, -99, 0, alpha);
}
Single rnd7() { return 7 * Rnd(); }

CShip* ownerShip(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size() || !Ships[static_cast<size_t>(i)]) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}
bool ownerWarping(Integer i) {
  const CShip* s = ownerShip(i);
  return s && s->getTransWarp();
}
bool creditsShown() { return GameInterface && GameInterface->Window == msCredits; }
}  // namespace

void CSprite::getViewFade(Single& fade) const {
  const Single a1 = getAngle(CamEye.x, CamEye.z, pos.x, pos.z);
  const Single a2 = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);
  Single d = a2 - a1;
  if (d == 0) {
    fade = 0;
    return;
  }
  if (d > 3.14f) d = 6.28f - d;
  if (d < -3.14f) d = -6.28f - d;
  d = std::fabs(d);
  const Single s = std::sin(Frame * 0.314f);
  fade = d < 2.0f ? s * d / 2.0f : s;
}

void CSprite::Render() {
  const Single F = Frame;
  const D3DVECTOR P = pos;
  const Single d = static_cast<Single>(getDist(CamEye.x, CamEye.z, P.x, P.z));
  bool dies = false;
  switch (sType) {
    case skSmoke: ddsBill(P, std::sin(2 * F), TexSmoke, -1); break;
    case skFlare: bill(P, F, TexFlare, 0, -1); dies = true; break;
    case skMiniFlare: bill(P, 6 * F, TexMiniFlare, 0, -1); break;
    case skBlueFlare: bill(P, F, TexBlueFlare, 0, -1); dies = true; break;
    case skCloud: {
      Single v = 0;
      getViewFade(v);
      if (size == 0) size = 1.0f;
      vb(P, size, TexCloud, nearest(TintR * v), nearest(TintG * v), nearest(TintB * v), F / (size / 3));
      break;
    }
    case skStar: vbGrey(P, size, TexStar, nearest(std::sin(3.14f * F) * 248), 0); break;
    case skBlueGlow:
      vbGrey(P, d < 1000 ? (1000 - d) / 100 + 6 : 6, TexBlueFlare, 255, 0);
      if (d > 1000 && d < 2000) vbGrey(P, (d - 1000) / 50, TexHalo, nearest((2000 - d) * 0.255), 0);
      dies = true;
      break;
    case skHaloFlare:
      bill(P, 3, TexMiniFlare, 0, floorI(15 * F));
      if (d > 1000 && d < 5000) {
        const Integer c = nearest((5000 - d) * 0.015);
        vb(P, (d - 1000) / 50, TexHalo, c, nearest(c / 2.0), nearest(c / 2.0), 0);
      }
      dies = true;
      break;
    case skLaserShot:
      bill(P, 1, TexLaserHalo, 0, -1);
      DrawLaserBeam(P, face);
      break;
    case skRocket:
      DrawRockerModel(pos, face, myAngle, myPitch, Frame);
      AddSprite(P.x, P.y, P.z, 0, 0, 0, skRedSpike, 1.5f + 0.2f * Rnd(), F, -1, -1);
      break;
    case skPhotonShot:
      DrawPhotonBeam(P, face);
      vbGrey(P, 6, TexBlueFlare, 50, 0);
      vbGrey(P, 2, TexTorBolt, 100, P.x + P.y + P.z);
      break;
    case skBurstCore: vbGrey(P, (0.3f - F) * 10, TexLaserSplash, nearest(800 * F), 0); break;
    case skBurstBit: vbGrey(P, 0.5f, TexLaserHalo, nearest(400 * F), 0); break;
    case skMissile: case skMissileB: DrawMissileModel(pos, face, myAngle, myPitch, Frame); break;
    case skExplodeFlash: {
      const Integer c = nearest(496 * F);
      vbGrey(P, 6, TexExplodar, c, P.x / 15);
      alphaBill(P, 6, TexExplodar, P.x / 15, c);
      break;
    }
    case skDust: alphaBill(P, (1.6f - F) * 2.5f, TexCloud, F, nearest(255 * F)); break;
    case skFlash: bill(P, (0.2f - F) * 20 + 10, TexFlare, 0, nearest(300 * F)); break;
    case skPuff: alphaBill(P, (1.6f - F) * 4.5f + 3, TexCloud, size, nearest(200 * F)); break;
    case skFireball: {
      const Integer c = nearest(496 * F);
      vbGrey(P, 2 * (1 - F), TexExplodar, c, P.x / 10);
      vbGrey(P, 1 - F, TexExplodar, c, P.x / 20);
      break;
    }
    case skSpark: vbGrey(P, (0.3f - F) * 30, TexSpark, nearest(992 * F), P.x / 10); break;
    case skSparkB: vbGrey(P, (0.4f - F) * 60, TexSpark, nearest(824 * F), P.x); break;
    case skHitFlash: {
      const Integer c = nearest(2000 * F);
      vbGrey(P, 2 * (0.2f - F) + 0.3f, TexExplodar, c, size);
      vb(P, 2, TexFlare, nearest(c / 3.0), nearest(c / 5.0), nearest(c / 7.0), floorI(c / 4.0));
      dies = true;
      break;
    }
    case skSmokeRed: {
      const Single s = std::sin(2 * F);
      ddsBill(P, 3 * s * s, TexSmoke2r, nearest(50 * F));
      break;
    }
    case skTorpedo: case skTorpedoB: bill(P, 6, TexTorBolt, rnd7(), -1); break;
    case skTorSpark: bill(P, 6 * F, TexTorBolt, rnd7(), -1); break;
    case skTorFade: vbGrey(P, 5, TexTorFade, nearest(256 * F), size); break;
    case skTorBit: vbGrey(P, (0.2f - F) * 20 + 20, TexTorBolt, nearest(2400 * F), 0); break;
    case skTorFadeB: vbGrey(P, 40, TexTorFade, nearest(256 * std::sin(F)), size); break;
    case skTorBurst:
      bill(P, 20, TexTorBolt, 0, -1);
      spawnLargeExplosion(P, 0);
      spawnShipExplosion(P);
      dies = true;
      break;
    case skSplash: {
      if (const CShip* s = ownerShip(Owner)) {  // no owner ship: drawn where it is
        pos.x = s->x;
        pos.z = s->y;
        pos.y = s->e - 140 * (1.6f - F);
      }
      const Integer c = nearest(256 * std::sin(2 * F));
      plane(pos, (1.8f - F) * 3, TexLaserSplash, 0, c);
      vbGrey(pos, (1.8f - F) * 3, TexLaserSplash, c, 0);
      break;
    }
    case skSpikeGlow: {
      const Single s = std::sin(2 * F);
      const Single q = s * s;
      bill(P, 27 * q, TexTorFade, rnd7(), -1);
      bill(P, 25 * q, TexTorFade, rnd7(), -1);
      bill(P, 55 * q, TexBlueFlare, rnd7(), -1);
      vbGrey(P, 255 * q, TexBlueFlare, 15, rnd7());
      vbGrey(P, 555 * q, TexBlueFlare, 7, rnd7());
      bill(P, 300 * q, TexSpikeFlare, P.x, -1);
      vbGrey(P, (2 - F) * 500, TexBlueFlare, nearest(15 * std::sin(2 * F) * 2.5 * Rnd()), rnd7());
      break;
    }
    case skPanelShot: case skPanelShotB: DrawPanelSprite(P, face); break;
    case skTorRing: {
      const Integer c = nearest(500 * F);
      vbGrey(P, (0.25f - F) * 10, TexBlueFlare, c, 0);
      vbGrey(P, (0.25f - F) * 150, TexTorBolt, c, P.x + P.y + P.z);
      break;
    }
    case skXBlast: vbGrey(P, 2, TexXBlast, nearest(32 * F), 0); break;
    case skSpike: bill(P, size, TexSpikeFlare, size, -1); dies = true; break;
    case skRing:
      if (F < 0.03f || F > 0.07f) vbGrey(P, size, TexCircleF, 255, 0);
      break;
    case skBeamShot:
      DrawBeam(P, face);
      vbGrey(P, 3, TexFlare, 25, 0);
      vbGrey(P, 6, TexXBlast, 50, P.x + P.y + P.z);
      break;
    case skHarpBolt: case skHarpBoltB: DrawHarpModel(P, face); break;
    case skExplodeQuad: {
      const Integer c0 = nearest(15 * F);
      const Integer c = nearest(c0 * Rnd() + c0);
      vbGrey(P, 0.5f, TexExplodar, c, size);
      if (Rnd() < 0.1f) vbGrey(P, Rnd(), TexExplodar, c, size + 1);
      if (c >= 21) vbGrey(P, 2 * Rnd(), TexExplodar, nearest(100 * Rnd()), size + 2);
      break;
    }
    case skSpikeQuad: vbGrey(P, size, TexSpikeFlare, nearest(120 * F), size); break;
    case skRingFade: vbGrey(P, (0.3f - F) * 500, TexCircleF, nearest(320 * F), size); break;
    case skNeuBolt: case skNeuBoltB: bill(P, 6, TexNeuBolt, rnd7(), -1); break;
    case skTorGlow: {
      const Integer c = nearest(128 * F);
      vb(P, 5 * (2 - F) * size, TexTorFade, nearest(c / 3.0), c, nearest(c / 3.0), Rnd());
      if (Rnd() < 0.1f) {
        const Integer z = static_cast<Integer>(floorI(2.9 * Rnd()));
        vb(P, 5 * std::sin(3.14f * F), ZapTex[static_cast<size_t>(z)], nearest(100 * Rnd()), 255,
           nearest(100 * Rnd()), Rnd());
      }
      break;
    }
    case skHaloBolt: bill(P, 4 * F, TexLaserHalo, rnd7(), -1); break;
    case skNeuHalo:
      bill(P, 1 + Rnd() / 2, TexNeuBolt, rnd7(), -1);
      bill(P, 3, TexLaserHalo, rnd7(), -1);
      break;
    case skNeuFlash: bill(P, F, TexNeuBolt, rnd7(), -1); dies = true; break;
    case skTorFlash: bill(P, 1.5f * F, TexTorBolt, rnd7(), -1); dies = true; break;
    case skSkySpike: {
      Single v = 0;
      getViewFade(v);
      if (size == 0) size = 1.0f;
      vb(P, size, TexSpikeFlare, nearest(TintR * v * R / 255), nearest(TintG * v * G / 255),
         nearest(TintB * v * B / 255), F / (size / 3));
      break;
    }
    case skElectro: {
      if (size == 0) size = 1.0f;
      const Single s = std::sin(1.256f * F);
      const Single angle = F / (size / 10 + 3);
      const Single div = size >= 15 ? 255.0f : 300.0f;
      vb(P, size, size >= 15 ? TexElectro : TexElectro2, nearest(TintR * s * R / div), nearest(TintG * s * G / div),
         nearest(TintB * s * B / div), angle);
      break;
    }
    case skHeartShot:
      vb(P, 2, TexHeart, 255, nearest(255 * Rnd()), nearest(255 * Rnd()), 0);
      vb(P, 5, TexHeart, 200, nearest(55 * Rnd()), nearest(55 * Rnd()), 0);
      break;
    case skHeart: {
      const Single s = std::sin(F);
      vb(P, 2, TexHeart, nearest(255 * s), nearest(255 * s * size), nearest(255 * s * size), 0);
      break;
    }
    case skGreenCloud: alphaBill(P, 2 * (3.14f - F) + 5, TexGreenCloud, F, nearest(255 * F)); break;
    case skRedSpike: bill(P, F, TexRedSpike, 0, -1); dies = true; break;
    case skDebris1: case skDebris2: case skDebris3: case skDebris4: case skDebris5: DrawDebrisModel(); break;
    case skFire: {
      const bool even = (static_cast<long>(nearest(P.x)) % 2) == 0;
      vbGrey(P, size, TexFire, nearest(500 * F), even ? size + F : size - F);
      break;
    }
    case skTurretBolt: {
      const Single k = F < 0.5f ? 2 * F : 1;
      vbGrey(P, 4, TexRedSpike, nearest(255 * k), 5 * F);
      vb(P, 10, TexRedSpike, nearest(55 * k), 0, 0, -5 * F);
      break;
    }
    case skBlood: alphaBill(P, (1.6f - F) * 2.5f + 15, TexBlood, F, nearest(255 * F)); break;
    case skZap: case skZapB: {
      const Integer c = nearest(nearest(255 * std::sin(8 * F)) * Rnd());
      if (sType == skZap)
        setQuickRMode(rpAdditive, c, c, c, c);
      else
        setQuickRMode(rpAdditive, c, 0, nearest(c / 2.0), c);
      DrawZapModel();
      break;
    }
    case skRedFlare:
      vb(P, 8, TexRedSpike, 255, 20, 255, -F);
      vb(P, 24, TexRedSpike, 50, 10, 50, -F / 2);
      if (F < 0.3f) {
        const Integer r = nearest(100 * Rnd() + 150), g = nearest(100 * Rnd() + 150), b = nearest(100 * Rnd() + 150);
        vb(P, (0.3f - F) * 50 + 50, TexFlare, r, g, b, 6 * Rnd());
      }
      break;
    case skRedSpikeQuad: {
      const Integer c = nearest(500 * F);
      vb(P, 2 * F + 5, TexRedSpike, c, nearest(c / 5.0), c, F);
      if (Rnd() < 0.5f) vbGrey(P, 12 * F + 8 * Rnd(), TexRedSpike, nearest(255 * Rnd()), F);
      break;
    }
    case skOrb:
      for (Integer i = 0; i <= 5; ++i) DrawOrbModel(i);
      break;
    case skInnerOrb: DrawInnerOrbModel(); break;
    case skShock: DrawShockModel(); break;
    case skBlueRedGlow:
      if (d < 2000) {
        const Integer k = nearest((2000 - d) / 10);
        vb(P, (1000 - d) / 100 + 9, TexRedSpike, k, k, 0, d / 100);
      }
      vb(P, d < 1000 ? (1000 - d) / 100 + 6 : 6, TexBlueFlare, 255, 255, 0, 0);
      if (d > 1000 && d < 2000) {
        const Integer c = nearest((2000 - d) * 0.255);
        vb(P, (d - 1000) / 50, TexHalo, c, c, 0, 0);
      }
      dies = true;
      break;
    case skTunnelRing:
      DrawTunnel();
      dies = !ownerWarping(Owner);
      break;
    case skTunnelFlare: {
      const Integer c = nearest(50 * (4 - F) + 50);
      vbGrey(P, 100 * (4 - F), TexSpikeFlare, c, -F / 2);
      vbGrey(P, 500, TexFlare, 55, -F / 2);
      dies = !ownerWarping(Owner);
      vbGrey(P, 100, TexRedSpike, 255, F);
      break;
    }
    case skSpinShot:
      vbGrey(P, 2, TexSpikeFlare, 75, 20 * F);
      vbGrey(P, 4, TexSpikeFlare, 25, -10 * F);
      DrawSpinBill(P, face, 255);
      DrawSpinBill(vec(P.x, P.y - 1, P.z), face, 255);
      for (Integer i = 1; i <= 4; ++i)
        DrawSpinBill(addScaled(P, traj, -0.02f * i), face, static_cast<Integer>((5 - i) * 50));
      break;
    case skPlain: vbGrey(P, 100 * (1 - F), TexLaserSplash, nearest(255 * F), F); break;
    case skSpikeSteadyB: case skSpikeSteady:
      vb(P, 10, TexSpikeFlare, 100, 0, 0, size);
      if (sType == skSpikeSteadyB) {
        vb(P, 50, TexSpikeFlare, 0, 100, 0, -size);
        vb(P, 150 - 20 * Rnd(), TexSpikeFlare, 0, 25, 0, -size / 2);
      } else {
        vb(P, 50, TexSpikeFlare, 150, 0, 25, -size);
        vb(P, 150 - 20 * Rnd(), TexSpikeFlare, 125, 0, 25, -size / 2);
      }
      dies = true;
      break;
    case skCreditTunnel:
      DrawTunnel();
      dies = !creditsShown();
      break;
    case skCreditFlare: {
      const Integer c = nearest(50 * (4 - F) + 50);
      vbGrey(P, 100 * (4 - F), TexSpikeFlare, c, -F / 2);
      vbGrey(P, 500 * (4 - F) / 4, TexFlare, 55, -F / 2);
      vbGrey(P, 100 * (4 - F) / 4, TexRedSpike, 255, F);
      dies = !creditsShown();
      break;
    }
    case skNeuShot: case skNeuShotB: {
      vbGrey(P, 1, TexNeuBolt, 255, 20 * F);
      vb(P, 6, TexSpikeFlare, 0, 100, 0, -10 * F);
      for (Integer i = 1; i <= 4; ++i) {
        const D3DVECTOR base = sType == skNeuShot ? addScaled(P, traj, -0.02f * i) : P;
        D3DVECTOR q;
        q.x = base.x + 40 * Rnd() - 20;
        q.y = base.y + 40 * Rnd() - 20;
        q.z = base.z + 40 * Rnd() - 20;
        vbGrey(q, 1, TexNeuBolt, static_cast<Integer>((5 - i) * 50), 0);
      }
      break;
    }
    default: break;  // 17, 34, 35, 37, 45, 47, 59, 64..68, 94 and unknown kinds draw nothing
  }
  if (dies) Exists = false;
}
