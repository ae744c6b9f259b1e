// CShip: the end of a ship and its contacts. updateWreck runs the sparks after a torpedo hit and
// the disabled wreck's countdown; Explode is the blast when the death throes run out;
// checkShipCollisions resolves contacts with the other ships after the move (resting on top,
// pushed out sideways, rams), shipCollide turns a ram into hits on both ships, and doMeetTalk
// completes an arranged meeting (goods swap, fuel sale, fuel top-up) when the two ships touch.
#include <algorithm>
#include <array>
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "campaign/CTalkControl.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
bool isCarrierBody(Long body) {
  return body == sbCapital || body == sbFleshy;
}

CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[i].get();
}


// A random line of the talk lines for the meeting's category and values; "..." without talk lines.
std::string randomTalk(Long category, Long align, const std::array<Integer, 4>& values) {
  if (!TalkControl) return "...";
  return TalkControl->getRandomTalk(category, align, values[0], values[1], values[2], values[3]);
}
}  // namespace

// ---- explosion -----------------------------------------------------------------------------

void CShip::Explode() {
  const D3DVECTOR p = getPos();
  auto burst = [&](Long kind) {
    const Single vx = Rnd() * 1500 - 750 + xM, vy = Rnd() * 1500 - 750 + eM, vz = Rnd() * 1500 - 750 + yM;
    AddSprite(p.x, p.y, p.z, vx, vy, vz, kind, 0, 0, -1, -1);
  };
  // 1-2.
  AddSprite(p.x, p.y, p.z, 0, 0, 0, skTorBurst, 0, 0, -1, -1);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, skRing, 0, 25, -1, -1);
  AddSprite(p.x, p.y, p.z, 0, 0, 0, skRingFade, 0, 0, -1, -1);
  if (engineSound >= 0) StopSound(engineSound);

  // 3-4. Carriers blow up with splash damage around them.
  const Long body = getShipBody();
  if (isCarrierBody(body)) {
    for (int k = 0; k < 16; ++k) burst(body == sbCapital ? skDebris4 : skDebris5);
    PlaySound(SndBassplode);
    doSplashDamage(250, 1000, p, ID);
    AddSprite(p.x, p.y, p.z, 0, 0, 0, skRingFade, 0, 0, -1, -1);
    CamShake = 0.4f;
  }

  // 5. The end boss takes every enemy of the player with it.
  if (IsRedMotama) {
    AddSprite(p.x, p.y, p.z, 0, 0, 0, skOrb, 0, 0, -1, -1);
    CamShake = 3.0f;
    if (CurMap) {
      CurMap->setRed(0);
      CurMap->setGreen(0);
      CurMap->setBlue(1);
      CurMap->MapFog = 0;
      CurMap->MapFX = 0;
      CurMap->MapWeather = 4;
      CurMap->updateColor();
    }
    if (CShip* pl = shipAt(0)) pl->r = getAngle(pl->x, pl->y, p.x, p.z) + 1.57f;
    if (GameInterface) GameInterface->PopFocID = -1;
    for (const auto& sp : Ships) {
      if (!sp || !sp->Exists || !sp->checkAIHostile(0)) continue;
      CShip& s = *sp;
      if (s.getTag() == "respawn") s.setTag("");
      s.Armor = static_cast<Single>(-100 - s.getMaxArmor());
      s.Hit(54, 0, D3DVECTOR{1, 1, 1}, 100);
    }
  }

  // 6. Debris.
  for (int k = 0; k < 11; ++k) {
    const Single pick = Rnd();
    burst(pick < 0.3f ? skDebris1 : pick < 0.6f ? skDebris2 : skDebris3);
  }
}

// ---- wrecks ----------------------------------------------------------------------------------

void CShip::updateWreck() {
  const double ft = FrameTime;
  const bool big = isCarrierBody(getShipBody());
  auto pointWithin = [this] {
    const Single px = x - shipSize / 4 + Rnd() * shipSize / 2;
    const Single py = y - shipSize / 4 + Rnd() * shipSize / 2;
    return D3DVECTOR{px, e, py};
  };

  // 1. Sparks after a torpedo hit.
  if (sparkVal < 0) {
    const double before = sparkVal;
    sparkVal = std::min(0.0f, static_cast<Single>(sparkVal + ft));
    if (Int(20 * sparkVal) != Int(20 * before) && Rnd() < 0.5f) {
      const D3DVECTOR q = pointWithin();
      AddSprite(q.x, q.y, q.z, xM, eM, yM, skZap, 0, 0, -1, -1);
      if (!big) roll += Rnd() - 0.5f;
    }
    return;
  }

  // 2. The wreck's countdown.
  const double before = sparkVal;
  sparkVal = static_cast<Single>(sparkVal - ft);
  if (!tractorGift.empty() && sparkVal < 1) sparkVal = 20;
  if (IAmBlarg && sparkVal < 1) sparkVal = 2.0f;
  if (sparkVal <= 0) {
    sparkVal = 0;
    if (big && Rnd() < 0.8f) {
      setResource(static_cast<Integer>(Int(Rnd() * 7.9)), 0);
    } else {
      Armor = -9999;
      deathThroes = 0.1f;
    }
    return;
  }

  // 3. Spark bursts in the last moments and a few spells before.
  const double t = sparkVal;
  const bool bursting =
      t < 1.5 || (t > 2 && t < 3) || (t > 3.75 && t < 4.5) || (t > 6 && t < 6.5) || (t > 9 && t < 9.5);
  if (!bursting || Int(20 * t) == Int(20 * before) || !(Rnd() < 0.5f)) return;
  const D3DVECTOR q = pointWithin();
  if (IAmBlarg) {
    AddSprite(q.x, q.y, q.z, 0, 0, 0, skZapB, 0, 0, -1, -1);
    AddSprite(q.x, q.y, q.z, 0, 0, 0, skExplodeQuad, 0, 0, -1, -1);
  } else {
    AddSprite(q.x, q.y, q.z, 0, 0, 0, skZap, 0, 0, -1, -1);
  }
  if (!big) roll += Rnd() - 0.5f;
  if (t < 5) AddSprite(q.x, q.y, q.z, xM, eM + 100, yM, skDust, 0, 0, -1, -1);
}

// ---- contacts ------------------------------------------------------------------------------

void CShip::checkShipCollisions(Single oldX, Single oldE, Single oldY, bool& touched) {
  (void)oldX;
  (void)oldY;
  touched = false;
  for (size_t k = 0; k < Ships.size(); ++k) {
    CShip* other = Ships[k].get();
    if (!other || other == this) continue;
    // Far apart on either ground axis (with room for the distance's rounding): no contact. Tested
    // before the other ship's flags and height, which lie elsewhere in memory.
    const Single D = (depth + other->getDepth()) / 2;
    const Single far = D * 1.001f + 1;
    if (std::fabs(x - other->x) > far || std::fabs(y - other->y) > far) continue;
    if (!other->Exists) continue;
    const Integer i = static_cast<Integer>(k);
    const Single H = other->getHeight() / 2 + height / 2;
    if (!(other->e - H < e && e < other->e + H)) continue;
    if (!(getDist(x, y, other->x, other->y) < D)) continue;

    if (other->e + H <= oldE) {
      e = other->e + H;  // came from above: rests on top
    } else if (other->e - H >= oldE) {
      e = other->e - H;  // came from below
    } else {
      const Single a = getAngle(other->x, other->y, x, y);
      x = other->x + std::cos(a) * D;
      y = other->y - std::sin(a) * D;
      if (Meeter == i) doMeetTalk();
      const bool bothHostile = checkAIHostile(i) && other->checkAIHostile(ID);
      if (bothHostile || ID == 0) {
        const Single mine = (shipSize / 10) * (Speed / 10);
        const Single theirs = (other->Speed / 10) * (other->getSize() / 10);
        if (mine > theirs) {
          Single f = mine - theirs;
          Integer target = i;
          shipCollide(target, f);
        } else if (theirs > mine) {
          Single f = theirs - mine;
          Integer target = ID;
          other->shipCollide(target, f);
        }
      }
    }
    touched = true;
    if (Meeter == i) doMeetTalk();
  }
}

void CShip::shipCollide(Integer& target, Single& force) {
  CShip* t = shipAt(target);
  if (!t) return;
  if (ID == 0 && target == MotherShip) return;
  if (ID == 0 && GameInterface && GameInterface->Window != msNone) return;
  if (SmashExempt > 0 || t->SmashExempt > 0) return;
  if (t->Meeter == ID) return;
  PlaySound3D(SndCrash, getPos());
  const D3DVECTOR toTarget{t->x - x, t->e - e, t->y - y};
  const D3DVECTOR toMe{x - t->x, e - t->e, y - t->y};
  t->Hit(skRam, ID, toTarget, force / 10);
  Hit(skRam, target, toMe, force / 50);
}

// ---- meetings ------------------------------------------------------------------------------

void CShip::doMeetTalk() {
  CShip* partner = shipAt(Meeter);
  if (!partner) {
    Meeter = -1;
    return;
  }
  const bool withPlayer = Meeter == 0;
  const Integer m0 = meetInfo[0], m1 = meetInfo[1], m2 = meetInfo[2];
  auto say = [&](Long category) {
    if (GameInterface)
      GameInterface->MakeTalkBox(getCharTexture(), randomTalk(category, getAlign(), meetInfo), false, false);
  };

  switch (meetValue) {
    case 1: {  // goods swap: the partner gives m2 of m0 and receives m2 of m1
      if (m0 < 0 || m0 >= GoodsKinds || m1 < 0 || m1 >= GoodsKinds) break;
      if (partner->getResource(m0) >= m2) {
        say(talkSuccess);
        partner->setResource(m0, CInt(static_cast<double>(partner->getResource(m0)) - m2));
        partner->setResource(m1, CInt(static_cast<double>(partner->getResource(m1)) + m2));
        if (withPlayer && Player) {
          Player->setResource(m0, partner->getResource(m0));
          Player->setResource(m1, partner->getResource(m1));
        }
      }
      if (pilot) pilot->JobFrame = 0;
      break;
    }
    case 3: {  // the gas attendant's fuel sale at m0
      partner->Fuel += 500;
      bool unpaid = false;
      if (withPlayer && Player) {
        Player->Cash -= m0;
        if (Player->Cash < 0) {
          Player->Cash = 0;
          unpaid = true;
        }
      }
      if (unpaid) {
        say(talkFailure);
        setAIHostile(0, true);
      } else {
        say(talkSuccess);
      }
      if (pilot) pilot->JobFrame = 0;
      break;
    }
    case 17: {  // fuel top-up at 0.04 a unit, as far as the player's cash goes
      const Long missing = partner->getMaxFuel() - partner->Fuel;
      if (missing > 0) {
        Long n = missing;
        if (withPlayer && Player) {
          double cost = 0.04 * n;
          const double cash = std::max<Long>(0, Player->Cash);
          if (cash < cost) {
            n = CLng(cash / cost * n);
            cost = cash;
          }
          Player->Cash -= CLng(cost);
        }
        partner->Fuel += n;
        if (!(GameInterface && GameInterface->getTalkBox())) say(talkSuccess);
        if (getTag() == "gasmancometh") setTag("");
      }
      if (pilot) pilot->JobFrame = 0;
      break;
    }
    default:
      break;
  }
  partner->SmashExempt = 5.0f;
  Meeter = -1;
  SmashExempt = 5.0f;
}
