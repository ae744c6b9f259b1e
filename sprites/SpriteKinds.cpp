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
    case 0:
      Frame = 1.2f;
      traj.x = xM - 15 + 30 * Rnd();
      traj.y = yM - 15 + 30 * Rnd();
      traj.z = zM - 15 + 30 * Rnd();
      pos.x = x - 10 + 20 * Rnd();
      pos.y = y - 10 + 20 * Rnd();
      pos.z = z - 10 + 20 * Rnd();
      break;
    case 1: case 3: case 6: case 7: case 26: case 36: case 38: case 42: case 44: case 52: case 85:
    case 89:
      Frame = 1.0f;
      break;
    case 2: Frame = 0.15f - Rnd() / 20; break;
    case 4:
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
    case 5:
      Frame = 1.0f;
      size = Rnd() / 2 + 0.2f;
      break;
    case 8: case 10: case 40:
      Frame = 2.0f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 200);
      break;
    case 9:
      Frame = 5.0f;
      Alpha = false;
      Expendl = false;
      traj.x = xM - 150 + 300 * Rnd();
      traj.z = zM - 150 + 300 * Rnd();
      traj.y = yM - 150 + 300 * Rnd();
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case 11: case 20: Frame = 0.25f; break;
    case 12: Frame = 0.6f * Rnd(); break;
    case 13: case 48:
      Frame = 10;
      Alpha = false;
      Expendl = false;
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case 14: case 19: case 25: case 28: case 29: case 64: case 65: case 66: case 67: case 68: case 73: case 80:
      Frame = 0.5f;
      break;
    case 15: case 76: Frame = 1.4f - Rnd() / 3; break;
    case 16: case 27: case 55: case 56: Frame = 0.2f; break;
    case 17: case 35:
      Frame = 0.5f - Rnd() / 4;
      Expendl = false;
      break;
    case 18:
      Frame = 1.4f;
      size = 7 * Rnd();
      break;
    case 21: Frame = 0.3f; break;
    case 22: case 33: Frame = 0.125f; break;
    case 23: Frame = 1.4f; break;
    case 24: case 49: case 50: case 54: case 60:
      Frame = 15;
      Expendl = false;
      headingFromTraj(traj, myAngle, speed, myPitch);
      break;
    case 30: Frame = 1.57f; break;
    case 31: Frame = 1.5f; break;
    case 32:
      Frame = 0.4f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 400);
      break;
    case 34:
      Frame = 0.4f;
      Expendl = false;
      face = ScratchMatrix;
      break;
    case 37:
      Frame = 0.5f;
      Expendl = false;
      // The first nested AddSprite may take this very slot (it is not live yet).
      for (int k = 0; k < 21; ++k) AddSprite(x, y, z, xM, yM, zM, skPanelShot, 0, 0, newOwner, newTarget);
      break;
    case 39:
      Frame = 0.1f;
      Expendl = false;
      break;
    case 41:
      Frame = 0.5f;
      Alpha = false;
      Expendl = false;
      face = ScratchMatrix;
      break;
    case 45: case 90: case 91:
      Frame = 1.0f;
      Expendl = false;
      break;
    case 46:
      Frame = 0.3f;
      Expendl = false;
      break;
    case 51:
      Frame = 1.0f;
      size = 1.0f;
      break;
    case 53: Frame = (Rnd() + 1) / 2; break;
    case 57:
      Frame = 10;
      R = 255 - 200 * Rnd();
      G = 255 - 200 * Rnd();
      B = 255 - 200 * Rnd();
      newSize += 5 * Rnd() + 5;
      break;
    case 58:
      Frame = 2.5f;
      R = 150 - 50 * Rnd();
      G = 155 - 50 * Rnd();
      B = 155 - 50 * Rnd();
      break;
    case 59: Frame = 2 * Rnd() + 0.5f; break;
    case 61:
      Frame = 1.57f;
      newSize = Rnd();
      break;
    case 62: Frame = 3.1f - Rnd() / 3; break;
    case 69: case 70: case 71: case 72: case 75:
      Alpha = false;
      size = 60 * Rnd();
      Frame = 2 * (Rnd() + 1);
      break;
    case 74: case 79:
      Frame = 3.0f;
      Expendl = false;
      break;
    case 77:
      Frame = Rnd() / 2;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 400);
      break;
    case 78: case 81:
      myAngle = 6.28f * Rnd();
      myPitch = 6.28f * Rnd();
      size = 10 * Rnd();
      Frame = 0.3925f;
      break;
    case 82:
      Frame = 3.14f;
      Expendl = false;
      break;
    case 83:
      Frame = 3.14f;
      Alpha = false;
      Expendl = false;
      break;
    case 84:
      Frame = 2.0f;
      Expendl = false;
      myAngle = 6.28f * Rnd();
      myPitch = 6.28f * Rnd();
      break;
    case 86: case 92: {
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
    case 87: case 93:
      Frame = 5.0f;
      Expendl = false;
      pos.x = x - 4 * xM;
      pos.y = y - 4 * yM;
      pos.z = z - 4 * zM;
      break;
    case 88:
      Frame = 2.0f;
      Expendl = false;
      face = ScratchMatrix;
      jitterXZY(traj, 100);
      break;
    case 95:
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
