// CSprite.Init (the kind table: each kind's default life, render list, replaceability, colour,
// size, heading and random spread), Copy and getTestVis.
#include <cmath>

#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "platform/D3DX.h"
#include "runtime/Rnd.h"
#include "sprites/SpriteHelpers.h"
#include "sprites/SpriteMod.h"

bool CSprite::getTestVis() const { return easyTestVis(pos.x, pos.z); }

void CSprite::Copy(const CSprite& o) {
  pos = o.getPos();
  traj = o.getTraj();
  size = o.getSize();
  pFrame = o.getpFrame();
  R = o.getR();
  G = o.getG();
  B = o.getB();
  face = o.getFace();
  myAngle = o.getMyAngle();
  myPitch = o.getMyPitch();
  speed = o.getSpeed();
  Owner = o.Owner;
  Target = o.Target;
  sType = o.sType;
  Frame = o.Frame;
  Alpha = o.Alpha;
  Exists = true;
}

namespace {
// Heading, horizontal speed and pitch of the aimed kinds from their velocity.
void headingFromTraj(const D3DVECTOR& traj, Single& angle, Single& speed, Single& pitch) {
  angle = getAngle(0, 0, traj.x, traj.z) + 1.57f;
  speed = static_cast<Single>(getDist(0, 0, traj.x, traj.z));
  pitch = getAngle(0, 0, speed, traj.y);
}

void jitterXZY(D3DVECTOR& t, Single spreadFull) {
  t.x += spreadFull * Rnd() - spreadFull / 2;
  t.z += spreadFull * Rnd() - spreadFull / 2;
  t.y += spreadFull * Rnd() - spreadFull / 2;
}
}  // namespace

void CSprite::Init(Single x, Single y, Single z, Single xM, Single yM, Single zM, Long newType, Single newFrame,
                   Single& newSize, Integer newOwner, Integer newTarget) {
  // 1.
  pos = D3DVECTOR{x, y, z};
  traj = D3DVECTOR{xM, yM, zM};
  jamTime = 0;
  trackTime = 0;
  sType = newType;
  Alpha = true;
  Expendl = true;
  // 2. The kind's own settings.
  switch (newType) {
    case skSmoke:
      Frame = 1.2f;
      traj.x = xM - 15 + 30 * Rnd();
      traj.y = yM - 15 + 30 * Rnd();
      traj.z = zM - 15 + 30 * Rnd();
      pos.x = x - 10 + 20 * Rnd();
      pos.y = y - 10 + 20 * Rnd();
      pos.z = z - 10 + 20 * Rnd();
      break;
    case skFlare: case skBlueFlare: case skBlueGlow: case skHaloFlare: case skTorFade: case skXBlast:
    case skSpike: case skExplodeQuad: case skSpikeQuad: case skHaloBolt: case skBlueRedGlow:
    case skPlain:
      Frame = 1.0f;
      break;
    case skMiniFlare: Frame = 0.15f - Rnd() / 20; break;
    case skCloud:
      Frame = 10;
      newSize += 10 * Rnd();
      R = 255 - 100 * Rnd();
      G = 255 - 100 * Rnd();
      B = 255 - 100 * Rnd();
      if (TitleCam) {
        newSize = 20 + 20 * Rnd();
        pos.x = 12000 * Rnd() - 6000;
        pos.y = 500 * Rnd() + 2500;
        pos.z = 12000 * Rnd() - 6000;
      }
      break;
    case skStar:
      Frame = 1.0f;
      size = Rnd() / 2 + 0.2f;
      break;
    case skLaserShot: case skPhotonShot: case skBeamShot:
      Frame = 2.0f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 200);
      break;
    case skRocket:
      Frame = 5.0f;
      Alpha = false;
      Expendl = false;
      traj.x = xM - 150 + 300 * Rnd();
      traj.z = zM - 150 + 300 * Rnd();
      traj.y = yM - 150 + 300 * Rnd();
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case skBurstCore: case skSpark: Frame = 0.25f; break;
    case skBurstBit: Frame = 0.6f * Rnd(); break;
    case skMissile: case skMissileB:
      Frame = 10;
      Alpha = false;
      Expendl = false;
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case skExplodeFlash: case skFireball: case skTorSpark: case skTorFadeB: case skTorBurst: case skBlank:
    case skLightFlash: case skLightFlashB: case skBlankB: case skLightFlashC: case skFire:
    case skRedSpikeQuad:
      Frame = 0.5f;
      break;
    case skDust: case skBlood: Frame = 1.4f - Rnd() / 3; break;
    case skFlash: case skTorBit: case skNeuFlash: case skTorFlash: Frame = 0.2f; break;
    case skBlastCore: case skBlastCoreB:
      Frame = 0.5f - Rnd() / 4;
      Expendl = false;
      break;
    case skPuff:
      Frame = 1.4f;
      size = 7 * Rnd();
      break;
    case skSparkB: Frame = 0.3f; break;
    case skHitFlash: case skTorRing: Frame = 0.125f; break;
    case skSmokeRed: Frame = 1.4f; break;
    case skTorpedo: case skTorpedoB: case skNeuBolt: case skNeuBoltB: case skHeartShot:
      Frame = 15;
      Expendl = false;
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case skSplash: Frame = 1.57f; break;
    case skSpikeGlow: Frame = 1.5f; break;
    case skPanelShot:
      Frame = 0.4f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 400);
      break;
    case skShortShot:
      Frame = 0.4f;
      Expendl = false;
      face = ScratchMatrix;
      break;
    case skSpawner:
      Frame = 0.5f;
      Expendl = false;
      // The first nested AddSprite may take this very slot (it is not live yet).
      for (int k = 0; k < 21; ++k) AddSprite(x, y, z, xM, yM, zM, skPanelShot, 0, 0, newOwner, newTarget);
      break;
    case skRing:
      Frame = 0.1f;
      Expendl = false;
      break;
    case skHarpBolt:
      Frame = 0.5f;
      Alpha = false;
      Expendl = false;
      face = ScratchMatrix;
      break;
    case skOrbCore: case skSpikeSteadyB: case skSpikeSteady:
      Frame = 1.0f;
      Expendl = false;
      break;
    case skRingFade:
      Frame = 0.3f;
      Expendl = false;
      break;
    case skTorGlow:
      Frame = 1.0f;
      size = 1.0f;
      break;
    case skNeuHalo: Frame = (Rnd() + 1) / 2; break;
    case skSkySpike:
      Frame = 10;
      R = 255 - 200 * Rnd();
      G = 255 - 200 * Rnd();
      B = 255 - 200 * Rnd();
      newSize += 5 * Rnd() + 5;
      break;
    case skElectro:
      Frame = 2.5f;
      R = 150 - 50 * Rnd();
      G = 155 - 50 * Rnd();
      B = 155 - 50 * Rnd();
      break;
    case skSpawnerB: Frame = 2 * Rnd() + 0.5f; break;
    case skHeart:
      Frame = 1.57f;
      newSize = Rnd();
      break;
    case skGreenCloud: Frame = 3.1f - Rnd() / 3; break;
    case skDebris1: case skDebris2: case skDebris3: case skDebris4: case skDebris5:
      Alpha = false;
      size = 60 * Rnd();
      Frame = 2 * (Rnd() + 1);
      break;
    case skTurretBolt: case skRedFlare:
      Frame = 3.0f;
      Expendl = false;
      break;
    case skPanelShotB:
      Frame = Rnd() / 2;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 400);
      break;
    case skZap: case skZapB:
      myAngle = 6.28f * Rnd();
      myPitch = 6.28f * Rnd();
      size = 10 * Rnd();
      Frame = 0.3925f;
      break;
    case skOrb:
      Frame = 3.14f;
      Expendl = false;
      break;
    case skInnerOrb:
      Frame = 3.14f;
      Alpha = false;
      Expendl = false;
      break;
    case skShock:
      Frame = 2.0f;
      Expendl = false;
      myAngle = 6.28f * Rnd();
      myPitch = 6.28f * Rnd();
      break;
    case skTunnelRing: case skCreditTunnel: {
      Frame = newFrame > 0 ? newFrame : 3.0f;
      Expendl = false;
      D3DMATRIX rz;
      D3DXMatrixRotationZ(rz, newSize);
      D3DXMatrixMultiply(face, rz, ScratchMatrix);
      pos.x -= Frame * traj.x;
      pos.y -= Frame * traj.y;
      pos.z -= Frame * traj.z;
      break;
    }
    case skTunnelFlare: case skCreditFlare:
      Frame = 5.0f;
      Expendl = false;
      pos.x = x - 4 * xM;
      pos.y = y - 4 * yM;
      pos.z = z - 4 * zM;
      break;
    case skSpinShot:
      Frame = 2.0f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 100);
      break;
    case skNeuShot:
      Frame = 2.0f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 300);
      break;
    default:  // 43, 47, 63, 94, 96 and any other value: only the caller's life
      Frame = 0;
      break;
  }
  // 3.
  Owner = newOwner;
  Target = newTarget;
  if (newSize > 0) size = newSize;
  if (newFrame > 0) Frame = newFrame;
  Exists = true;
}
