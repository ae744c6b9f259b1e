// CShip: the per-frame movement step (Move), the trick input of the player's ship, the structure
// contacts and the pilot's structure nudges (AIWallNudge, AINudge). Everything moves by FrameTime
// (seconds); angles use the game's 1.57 and 6.28; a ship's point is (x, e, y) as a drawing vector.
#include <algorithm>
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
// True when a value moving from prev to now passed the mark c this frame.
bool crossed(double prev, double now, double c) { return prev < c && now >= c; }

// Banking range and rate factor of a body: a Bike banks twice as far, a Capital ship a quarter.
Single bodyFactor(Long body) {
  switch (body) {
    case sbBike: return 2.0f;
    case sbCapital: return 0.25f;
    case sbFleshy: return 0.7f;
    default: return 1.0f;
  }
}

bool isCarrier(Long body) { return body == sbCapital || body == sbFleshy; }

// A random offset in [-half, half) on one axis.
Single jitter(Single half) { return -half + Rnd() * 2 * half; }

// The turn q of a heading in whole quarter turns, for the wall nudges.
bool oddQuarter(Single r) { return static_cast<long>(Int(r / 1.57)) % 2 != 0; }

// A dying "respawn" ship asks the map for a new ship of its unit type while a mission runs.
void missionRespawn(Integer unitType) {
  if (CurMap && MissionControl && MissionControl->Reading) CurMap->MissionRespawn(unitType);
}
}  // namespace

void CShip::Move() {
  vbTrap("Ship.Move", [this] { moveStep(); });
}

// What one movement step hands from one stage to the next.
struct CShip::MoveState {
  double ft = 0;                        // FrameTime at the start of the step, seconds
  bool player = false;                  // the player's ship (ID 0)
  Long body = 0;                        // getShipBody() at the start of the step
  bool skipCollisions = false;          // no ship or structure contacts this step
  Single oldX = 0, oldE = 0, oldY = 0;  // the point before this step's move
  Single bf = 0;                        // banking factor; 0 during the death throes
  Integer top = 111, bottom = -111;     // the height band
  Single lookUnstick = 0, lookUnstickY = 0;  // nudges the pilot's look-ahead set this step
};

void CShip::moveStep() {
  MoveState m;
  m.ft = FrameTime;
  m.player = ID == 0;
  m.body = getShipBody();

  decayImpulses(m);
  takeFlightControls(m);
  // 3.
  if (hitFlash > 0) hitFlash = std::max(0.0f, static_cast<Single>(hitFlash - m.ft));
  // 4.
  if (m.player && Armor >= 0) {
    checkTrickInput();
    if (!keyWarp) checkNearLanding();
  }
  healthStep(m);
  // 6.
  m.skipCollisions = autoEvac == 2;
  m.oldX = x;
  m.oldE = e;
  m.oldY = y;
  // 7.
  m.bf = bodyFactor(m.body);
  setHeightBand(m);
  dropLostTarget();
  takePilotCommands(m);
  lockControls(m);
  if (deathThroes > 0 && deathThroesStep(m)) return;
  departureSteer(m);
  turnAndBank(m);
  spinStep(m);
  trickStep(m);
  // 20.
  if (r > 6.28f) r -= 6.28f;
  else if (r < 0) r += 6.28f;
  // 21.
  updateCrewAnim();
  climbStep(m);
  // 23.
  if (GameMode == pmShipEditor || GameMode == pmStructEditor || GameMode == pmMapEditor)
    m.skipCollisions = true;
  heightStep(m);
  oneShotKeys();
  // 26. The bank relaxes.
  const Single relax = static_cast<Single>(m.bf * m.ft);
  roll = roll > 0 ? std::max(0.0f, roll - relax) : std::min(0.0f, roll + relax);
  engineSoundStep(m);
  thrustStep(m);
  // 30. Velocity, position and contacts; a ship without top speed stays put and holds fire.
  if (MaxSpeed <= 0) return;
  if (m.player && heldOnPad()) {
    // Landed with the pad's screen (or the mission's wait) up: nothing moves the ship off its pad.
    xM = yM = eM = 0;
    pushX = pushE = pushY = 0;
  } else {
    velocityStep(m);
    if (!m.skipCollisions) contactStep(m);
  }
  prevClock = shipClock;
  shipClock = static_cast<Single>(shipClock + m.ft);
  if (shipClock > 100) shipClock = 0;
  FireWeapons();
}

// 1. Timers and impulses.
void CShip::decayImpulses(const MoveState& m) {
  const double ft = m.ft;
  if (SmashExempt > 0) SmashExempt = static_cast<Single>(SmashExempt - ft);
  for (Single* p : {&pushX, &pushE, &pushY}) {
    if (*p == 0) continue;
    *p = static_cast<Single>(*p * (1 - 10 * ft));
    if (ft >= 0.1 || std::fabs(*p) < 0.1f) *p = 0;
  }
}

// 2. Player controls: the interface holding the mouse takes the flight controls away.
void CShip::takeFlightControls(const MoveState& m) {
  if (m.player && GameInterface && GameInterface->hasMouse()) {
    keyThrust = keyLookLeft = keyLookRight = keyLookUp = keyLookDown = false;
    Steering = Elever = 0;
    keyPrimary = keySecondary = keySwitchLeft = keySwitchRight = false;
    keyPrevTarg = keyNextTarg = keyBrake = keyLeft = keyRight = false;
  }
  if (keyLookLeft) Steering = -20;
  if (keyLookRight) Steering = 20;
  if (keyLookUp) Elever = 20;
  if (keyLookDown) Elever = -20;
}

// 5. Health: a wreck starts its countdown; a live ship regenerates after the recharge delay.
void CShip::healthStep(const MoveState& m) {
  const double ft = m.ft;
  if (Armor < 0) {
    if (deathThroes == 0 && sparkVal <= 0) sparkVal = 40;
  } else if (ShieldRecharge < 0) {
    Shields = std::min(maxShields, static_cast<Single>(Shields + shieldRegen * ft));
    if (armorRepair > 0) Armor = std::min(maxArmor, static_cast<Single>(Armor + armorRepair * ft));
  } else {
    ShieldRecharge = static_cast<Single>(ShieldRecharge - ft);
  }
  if (sparkVal != 0) updateWreck();
}

void CShip::setHeightBand(MoveState& m) {
  // 8. Height band; carriers only boost.
  if (isCarrier(m.body)) {
    if (m.player) {
      repairClock += m.ft;
      if (repairClock > 6.0) {
        repairClock = 0;
        for (const auto& sub : SubPlayers) {
          if (!sub || sub->ShipType < 0) continue;
          sub->Armor = std::min(50000.0f, sub->Armor + 5);
          sub->Shields = std::min(50000.0f, sub->Shields + 20);
        }
      }
    }
    if (trickValue < 30 || trickValue > 40) trickValue = 0;
    if (spinValue < 30 || spinValue > 40) spinValue = 0;
    trickQueue = 0;
    m.top = 311;
    m.bottom = Armor > 0 ? -111 : -333;
  }

  // 9. The classic view flies flat at height 0; its wrecks sink deeper.
  if (ClassicView) {
    if (Armor <= 0) {
      m.bottom = std::min<Integer>(m.bottom, -400);
      if (m.body == sbCapital) m.bottom = std::min<Integer>(m.bottom, -600);
    } else {
      m.top = m.bottom = 0;
      Pitch = 0;
    }
  }
}

// 10. A target that warps or left the level is dropped (also one outside Ships).
void CShip::dropLostTarget() {
  if (SecondaryTarget >= 0) {
    const bool inRange = static_cast<size_t>(SecondaryTarget) < Ships.size() && Ships[SecondaryTarget];
    if (!inRange || Ships[SecondaryTarget]->getWarp() > 0 || !Ships[SecondaryTarget]->Exists) SecondaryTarget = -1;
  }
}

// 11. The pilot's commands. Nudges the pilot's look-ahead sets this frame (it looks only while
// none is pending) are read by the pilot next frame; a pending one it has just steered by ends
// with this step (velocityStep).
void CShip::takePilotCommands(MoveState& m) {
  if (aiDriven && pilot) {
    const bool looks = Unstick == 0;
    pilot->Move();
    if (looks) m.lookUnstick = Unstick, m.lookUnstickY = UnstickY;
    Steering = pilot->Steering;
    Elever = pilot->Elever;
    keyThrust = pilot->keyThrust;
    keyBrake = pilot->keyBrake;
    keyPrimary = pilot->keyPrimary;
    keySecondary = pilot->keySecondary;
    keyWarp = pilot->keyWarp;
  }
}

// 12. Lock-out while docking or as a wreck.
void CShip::lockControls(const MoveState& m) {
  if ((m.player && GameInterface && GameInterface->dockFrame > 0) || Armor < 0) {
    Steering = Elever = 0;
    keyThrust = keyBrake = keyPrimary = keySecondary = keySwitchLeft = keySwitchRight = false;
  }
}

// 13. Death throes (deathThroes above 0). True when they ended in the explosion: the step ends there.
bool CShip::deathThroesStep(MoveState& m) {
  const double ft = m.ft;
  m.bf = 0;
  const double before = deathThroes;
  deathThroes = static_cast<Single>(deathThroes + ft);
  const double t = deathThroes;
  roll = static_cast<Single>(roll + (Speed / 1000.0) * (t - 1) * ft * 6);
  Pitch = static_cast<Single>(Pitch - (std::cos(t) - 1) * ft / 10);
  if (Int(25 * t) != Int(25 * before)) {
    const Single px = x + jitter(50), pe = e + jitter(50), py = y + jitter(50);
    AddSprite(px, pe, py, 0, 0, 0, skPuff, 0, 0, -1, -1);
  }
  if (Int(7 * t) != Int(7 * before)) {
    PlaySound3D(SndMiniExplode, D3DVECTOR{m.oldX, m.oldE, m.oldY});
    const Long kinds[4] = {skExplodeFlash, skFireball, skTorFade, skRing};
    for (int k = 0; k < 4; ++k) {
      const Single half = k == 0 ? 75.0f : 50.0f;
      const Single px = x + jitter(half), pe = e + jitter(half), py = y + jitter(half);
      const Single size = kinds[k] == skRing ? 3 + Rnd() * 4 : 0.0f;
      AddSprite(px, pe, py, 0, 0, 0, kinds[k], 0, size, -1, -1);
    }
  }
  if (t > 5) {
    Explode();
    stopEngineSound();
    if (tag == "respawn") missionRespawn(pilot ? static_cast<Integer>(pilot->UnitType) : Integer{0});
    return true;
  }
  return false;
}

// 14. The action key, and steering while the ship lines up for a departure.
void CShip::departureSteer(const MoveState& m) {
  const double ft = m.ft;
  if (warpFrame <= 0) {
    if (m.player) doLanding();
    else if (keyWarp && !climbBlocked()) warpFrame = 1.0f;  // a pilot leaves where it can climb
  } else {
    keyWarpChoose = false;
    Single turn = 0;
    if (warpFrame >= 30) {
      steerToTravelDir(turn);
      Steering = -10 * turn;
      Elever = std::min(5.0f, static_cast<Single>(Elever + ft));
    } else {
      Steering = Elever = 0;
    }
    keyPrimary = keySecondary = keySwitchLeft = keySwitchRight = keyNextTarg = keyPrevTarg = false;
    if (warpFrame < 20) {
      steerToTravelDir(turn);
      Steering = -10 * turn;
      if (std::fabs(10 * turn) < 5) {
        if (warpFrame >= 1) {
          const Single step = static_cast<Single>(8 * ft);
          Pitch = Pitch > 0 ? std::max(0.0f, Pitch - step) : std::min(0.0f, Pitch + step);
        } else {
          warpFrame = 1.0f;
        }
      }
      const Single brake = static_cast<Single>(1000 * ft);
      Speed = Speed > 0 ? std::max(0.0f, Speed - brake) : std::min(0.0f, Speed + brake);
      if (!keyWarp && warpFrame < 10) warpFrame = 0;
    }
  }
}

void CShip::turnAndBank(const MoveState& m) {
  const double ft = m.ft;
  const Single bf = m.bf;
  // 15.
  if (Steering > Agility) Steering = Agility;
  if (Steering < -Agility) Steering = -Agility;

  // 16. Drift keys bank the ship.
  const Single maxBank = 0.75f * bf;
  if (keyLeft) roll = std::min(maxBank, static_cast<Single>(roll + bf * ft * 4));
  if (keyRight) roll = std::max(-maxBank, static_cast<Single>(roll - bf * ft * 4));

  // 17. Turning.
  if (Steering != 0) {
    r = static_cast<Single>(r + Steering * ft / 6);
    if (bf > 0) {
      roll = static_cast<Single>(roll - Steering * ft / (7 / bf));
      roll = std::clamp(roll, -maxBank, maxBank);
    }
  }
}

// A spin on value (spinValue, or trickValue from 41 on) that stood at before: 41..44.14 turns
// left, 51..54.14 right, each with its roll sound; 60 and above is left alone.
void CShip::spinTurn(Single& value, double before) {
  if (value >= 60) return;
  if (value >= 50) {
    trickYaw = static_cast<Single>((1 - std::cos(value - 51.0)) * 3.14);
    if (crossed(before, value, 51.1)) PlaySound3D(SndRoll, getPos());
    if (value >= 54.14f) value = trickYaw = 0;
  } else {
    trickYaw = static_cast<Single>((1 - std::cos(value - 41.0)) * -3.14);
    if (crossed(before, value, 41.1)) PlaySound3D(SndRoll, getPos());
    if (value >= 44.14f) value = trickYaw = 0;
  }
}

// 18. Spin.
void CShip::spinStep(const MoveState& m) {
  const Single agility = myDef ? myDef->Agility : 0.0f;
  if (spinValue > 0) {
    const double before = spinValue;
    spinValue = static_cast<Single>(spinValue + agility * m.ft / 15);
    spinTurn(spinValue, before);
  }
}

// 19. Trick.
void CShip::trickStep(const MoveState& m) {
  const double ft = m.ft;
  const Single agility = myDef ? myDef->Agility : 0.0f;
  if (trickValue <= 0) {
    trickRoll = 0;
    if (boostLeft < boostMax) boostLeft = std::min(boostMax, static_cast<Single>(boostLeft + boostRate * ft));
  } else {
    const double before = trickValue;
    trickValue = static_cast<Single>(trickValue + (agility / 30.0 + 1) * ft);
    if (trickQueue > 0) trickValue = static_cast<Single>(trickValue + agility * ft / 15);
    if (trickQueue == 10) {
      const double t = trickValue;
      if (t - 10 * Int(roundHalfEven(t) / 10) > 2) trickQueue = 0;
    }
    const double t = trickValue;
    if (t < 10) {  // roll left
      trickRoll = static_cast<Single>((1 - std::cos(t - 1)) * -3.14);
      if (crossed(before, t, 1.1)) PlaySound3D(SndRoll, getPos());
      if (t >= 4.14f) trickValue = trickRoll = 0;
    } else if (t < 20) {  // roll right
      trickRoll = static_cast<Single>((1 - std::cos(t - 11)) * 3.14);
      if (crossed(before, t, 11.1)) PlaySound3D(SndRoll, getPos());
      if (t >= 14.14f) trickValue = trickRoll = 0;
    } else if (t < 30) {  // flip: the ship ends facing back
      trickRoll = trickPitch = static_cast<Single>((1 - std::cos(t - 21)) * 1.57);
      trickValue = static_cast<Single>(trickValue + agility * ft / 25);
      if (crossed(before, trickValue, 21.1)) PlaySound3D(SndRoll, getPos());
      if (trickValue >= 24.14f) {
        trickValue = trickRoll = trickPitch = 0;
        r -= 3.14f;
        Pitch = -Pitch;
      }
    } else if (t < 40) {  // boost at the design's top speed
      Speed = myDef ? myDef->MaxSpeed : 0.0f;
      if (crossed(before, t, 31.1)) PlaySound3D(SndMiniWarp, getPos());
      if (crossed(before, t, 33.1)) PlaySound3D(SndMiniWarpOut, getPos());
      if (t > 32.57 && t < 33 && keyThrust && boostLeft > 0) {
        trickValue = 32.58f;
        boostLeft = static_cast<Single>(boostLeft - ft);
      }
      if (trickValue >= 34.14f) trickValue = 0;
    } else if (t < 60) {  // spins on the trick value
      spinTurn(trickValue, before);
    }
  }
  if (trickValue == 0 && trickQueue > 0) {
    if (trickQueue < 10) {
      trickValue = static_cast<Single>(10 * trickQueue - 9);
      if (trickQueue == 3) Steering = 0;
      trickQueue = 10;
    } else {
      trickQueue = 0;
    }
  }
}

// 22. Climb and pitch.
void CShip::climbStep(const MoveState& m) {
  const double ft = m.ft;
  if (warpFrame < 1) {
    if (deathThroes == 0 && Elever != 0) {
      e = static_cast<Single>(e + Elever * ft * 5);
      Pitch = std::clamp(static_cast<Single>(Pitch - Elever * ft / 8), -0.75f, 0.75f);
    }
  } else if (warpFrame <= 2) {
    warpFrame = static_cast<Single>(warpFrame + ft);
    Pitch = -(warpFrame - 1) / 4;
  } else {
    Pitch = -0.25f;
  }
}

// 24. Height band, wreck sinking, or the warp states.
void CShip::heightStep(MoveState& m) {
  const double ft = m.ft;
  if (warpFrame <= 0 && deathThroes == 0) {
    if (e > m.top) e = static_cast<Single>(e - ft * (e - m.top) * 3);
    if (e < m.bottom) e = static_cast<Single>(e + ft * (m.bottom - e) * 3);
    if (Armor < 0) {
      if (e > -90) e = static_cast<Single>(e - 20 * ft);
      if (isCarrier(m.body) && e > -280) e = static_cast<Single>(e - 20 * ft);
    }
  } else if (warpFrame > 0) {
    doLeaveMap();
    if (warpFrame >= 10 && warpFrame < 20) m.skipCollisions = true;
  }
}

// 25. One-shot keys.
void CShip::oneShotKeys() {
  if (keyTalk) {
    doTalkKey();
    keyTalk = false;
  }
  if (keyNextTarg) {
    nextTarget();
    keyNextTarg = false;
  }
  if (keyPrevTarg) {
    prevTarget();
    keyPrevTarg = false;
  }
}

// 27. Engine sound, from the design's jet sound kept within the four loaded jets.
void CShip::engineSoundStep(const MoveState& m) {
  if (engineSound == -1 && (keyThrust || keyBrake)) {
    const Integer jet = myDef ? std::clamp<Integer>(myDef->JetSnd, 0, 3) : Integer{0};
    if (SndJet[jet] >= 0) engineSound = StartLoopSound(SndJet[jet]);
  } else if (engineSound != -1 && !keyThrust && !keyBrake) {
    StopSound(engineSound);
    ClearSound(engineSound);
    engineSound = -1;
  }
  if (engineSound != -1) UpdateLoopSound(engineSound, D3DVECTOR{m.oldX, m.oldE, m.oldY});
}

void CShip::thrustStep(const MoveState& m) {
  const double ft = m.ft;
  // 28. Thrust and brake.
  if (keyThrust) {
    Speed = std::min(static_cast<Single>(MaxSpeed), static_cast<Single>(Speed + Acceleration * ft));
    jetGlow = 1.0f;
  }
  if (keyBrake) {
    double d = Acceleration * ft;
    d = Speed > 0 ? d * 2 : d / 3;
    Speed = std::max(static_cast<Single>(-MaxSpeed / 4.0), static_cast<Single>(Speed - d));
    jetGlow = 1.0f;
  }
  jetGlow = std::max(0.0f, static_cast<Single>(jetGlow - 5 * ft));

  // 29. Drag, stronger on a wreck.
  if (Speed > 0) {
    const double drag = 20 * ft + (Armor < 0 ? 100 * ft : 0);
    Speed = std::max(0.0f, static_cast<Single>(Speed - drag));
  } else if (Speed < 0) {
    Speed = std::min(0.0f, static_cast<Single>(Speed + 20 * ft));
  }
}

void CShip::velocityStep(const MoveState& m) {
  const double ft = m.ft;
  const double grip = Traction * (keyBrake ? 1.0 / 3 : 1.0) * ((1 - static_cast<double>(Speed) / MaxSpeed) / 2 + 0.5);
  double angle = r - 1.57;
  double magnitude = Speed;
  if (keyRight) angle = r - 1.57 + std::sin(std::fabs(roll));
  else if (keyLeft) angle = r - 1.57 - std::sin(std::fabs(roll));
  const double t = trickValue;
  if (t > 0 && t < 10) {
    angle = r - 1.57 + std::sin(t - 1) * 1.57;
    magnitude = (std::sin(t - 1) + 1) * Speed;
  } else if (t >= 10 && t < 20) {
    angle = r - 1.57 - std::sin(t - 11) * 1.57;
    magnitude = (std::sin(t - 11) + 1) * Speed;
  } else if (t >= 30 && t < 40) {
    angle = r - 1.57;
    magnitude = (getBoostVal() + 1) * Speed;
  }
  const double wantX = std::cos(angle) * magnitude;
  const double wantY = -std::sin(angle) * magnitude;
  const double wantE = deathThroes > 1 ? (deathThroes - 1) * -25.0 : -2.0 * Speed * Pitch;
  xM = static_cast<Single>(xM + (wantX - xM) * ft * grip);
  yM = static_cast<Single>(yM + (wantY - yM) * ft * grip);
  eM = static_cast<Single>(eM + (wantE - eM) * ft * grip);
  if (pushX != 0) xM = static_cast<Single>(xM + pushX * ft * 200);
  if (pushE != 0) eM = static_cast<Single>(eM + pushE * ft * 200);
  if (pushY != 0) yM = static_cast<Single>(yM + pushY * ft * 200);
  if (recoilPush > 0) {
    xM = static_cast<Single>(xM - recoilPush * std::cos(recoilHeading - 1.57) * ft);
    yM = static_cast<Single>(yM + recoilPush * std::sin(recoilHeading - 1.57) * ft);
    eM = static_cast<Single>(eM - 2 * recoilPush * Pitch * ft);
    recoilPush = static_cast<Single>(recoilPush - 9000 * ft);
  }
  x = static_cast<Single>(x + xM * ft);
  y = static_cast<Single>(y + yM * ft);
  e = static_cast<Single>(e + eM * ft);
  Unstick = m.lookUnstick;
  UnstickY = m.lookUnstickY;
}

bool CShip::heldOnPad() const {
  return LandingFrame > 2 && LandingFrame < 1000 && GameInterface && GameInterface->Window != msNone;
}

void CShip::contactStep(const MoveState& m) {
  const double ft = m.ft;
  // A dying AI ship (not a carrier) explodes at its first contact.
  const bool fragile = !m.player && !isCarrier(m.body);
  bool touched = false;
  checkShipCollisions(m.oldX, m.oldE, m.oldY, touched);
  if (touched && deathThroes > 0 && fragile) deathThroes = 6;
  const Single beforeX = x, beforeY = y, beforeE = e;
  bool hit = false;
  collideStructs(m.oldX, m.oldE, m.oldY, hit);
  if (!hit) {
    if (pilot) pilot->FinalUnstuck = 0;
  } else {
    if (deathThroes > 0 && fragile) deathThroes = 6;
    AIWallNudge(beforeX, beforeY, beforeE);
    if (Speed > 100) {
      double loss = 250 * ft;
      if (Armor < 0 && deathThroes == 0) loss += 1000 * ft;
      Speed = std::max(0.0f, static_cast<Single>(Speed - loss));
    }
    if (pilot) pilot->FinalUnstuck += ft;
  }
}

void CShip::checkTrickInput() {
  const bool carrierBody = getShipBody() == sbCapital;
  const bool tricking = trickValue > 0;

  // 1. Thrust double tap: boost, or queue one behind the running trick.
  if (!keyThrust && prevKeyThrust) tapTimer = 3.1f;
  if (keyThrust && !prevKeyThrust && tapTimer > 3 && tapTimer < 4) {
    tapTimer = 0;
    if (warpFrame <= 0) {
      if (!tricking) trickValue = 31;
      else if (!(trickValue >= 31 && trickValue < 40)) trickQueue = 4;
    }
  }

  // 2. A trick key pressed while thrusting rolls at once.
  if (!keyLeft && !keyRight) trickReady = true;
  if (trickReady && trickValue <= 0 && keyThrust) {
    if (keyLeft) {
      trickValue = 11;
      trickReady = false;
    }
    if (keyRight) {
      trickValue = 1;
      trickReady = false;
    }
  }

  // 3. Brake double tap: flip.
  if (!keyBrake && prevKeyBrake) tapTimer = 2.1f;
  if (keyBrake && !prevKeyBrake && tapTimer > 2 && tapTimer < 3) {
    tapTimer = 0;
    if (warpFrame <= 0) {
      if (trickValue <= 0) {
        trickValue = 21;
        Steering = 0;
      } else {
        trickQueue = 3;
      }
    }
  }

  // 4. Left: double tap rolls; right tapped then left held spins left.
  if (!keyLeft && prevKeyLeft) tapTimer = 1.1f;
  if (keyLeft) {
    if (!prevKeyLeft && tapTimer > 1 && tapTimer < 2) {
      tapTimer = 0;
      if (trickValue <= 0) trickValue = 11;
      else trickQueue = 2;
    }
    if (!prevKeyRight && tapTimer > 0 && tapTimer < 1 && !carrierBody && boostLeft > 1) {
      tapTimer = 0;
      if (spinValue <= 0) {
        spinValue = 41;
        boostLeft -= 1;
      }
    }
  }

  // 5. Right: the mirror image.
  if (!keyRight && prevKeyRight) tapTimer = 0.1f;
  if (keyRight) {
    if (!prevKeyRight && tapTimer > 0 && tapTimer < 1) {
      tapTimer = 0;
      if (trickValue <= 0) trickValue = 1;
      else trickQueue = 1;
    }
    if (!prevKeyLeft && tapTimer > 1 && tapTimer < 2 && !carrierBody && boostLeft > 1) {
      tapTimer = 0;
      if (spinValue <= 0) {
        spinValue = 51;
        boostLeft -= 1;
      }
    }
  }

  // 6. Each window lasts while the timer keeps its whole part (0.1 s).
  if (tapTimer > 0) {
    const double before = tapTimer;
    tapTimer = static_cast<Single>(tapTimer - FrameTime);
    if (Int(tapTimer) != Int(before)) tapTimer = 0;
  }

  // 7.
  prevKeyThrust = keyThrust;
  prevKeyBrake = keyBrake;
  prevKeyLeft = keyLeft;
  prevKeyRight = keyRight;
}

void CShip::collideStructs(Single oldX, Single oldE, Single oldY, bool& hit) {
  hit = false;
  if (!CurMap) return;
  if (getShipBody() == sbCapital) {
    Single lowE = e - 35;
    hit = CurMap->checkStructCol(oldX, oldE - 35, oldY, x, lowE, y, (width + depth) / 3);
    e = lowE + 35;
  } else {
    hit = CurMap->checkStructCol(oldX, oldE, oldY, x, e, y, (width + depth) / 2);
  }
}

void CShip::AIWallNudge(Single beforeX, Single beforeY, Single beforeE) {
  (void)beforeE;
  const bool odd = oddQuarter(r);
  if (x != beforeX) Unstick = std::fabs(std::cos(r)) > 0.8f ? 0.0f : odd ? -20.0f : 20.0f;
  if (y != beforeY) Unstick = std::fabs(std::sin(r)) > 0.8f ? 0.0f : odd ? 20.0f : -20.0f;
  if (LastStructHit >= 0 && CurMap) {
    if (CurMap->getStructYMin(LastStructHit) > -50) UnstickY = -20;
    if (CurMap->getStructYMax(LastStructHit) < 50) UnstickY = 20;
  }
}

void CShip::AINudge(Single& dist) {
  if (!CurMap) return;
  const double ft = FrameTime;
  Single sx = x, sy = y, se = e;
  if (dist > 0) {
    sx = static_cast<Single>(sx + dist * std::cos(r - 1.57));
    sy = static_cast<Single>(sy - dist * std::sin(r - 1.57));
    se = se - 2 * dist * Pitch;
    AddSprite(sx, se, sy, 0, 0, 0, skFlare, 0, 0, -1, -1);
  }
  Single ex = static_cast<Single>(sx + xM * ft * 20);
  Single ee = static_cast<Single>(se + eM * ft * 20);
  Single ey = static_cast<Single>(sy + yM * ft * 20);
  const Single testX = ex, testY = ey;
  CurMap->checkStructCol(sx, se, sy, ex, ee, ey, 200);
  if (LastStructHit == -1) return;
  // A wall across either ground axis turns the ship along it (the turn is not taken while the
  // ship already runs nearly parallel to the wall).
  const bool odd = oddQuarter(r);
  if (ex != testX) Unstick = std::fabs(std::cos(r)) > 0.8f ? 0.0f : odd ? -20.0f : 20.0f;
  if (ey != testY) Unstick = std::fabs(std::sin(r)) > 0.8f ? 0.0f : odd ? 20.0f : -20.0f;
  if (dist == 0) {
    if (CurMap->getStructYMin(LastStructHit) > -80) {
      UnstickY = -20;
      if (pilot) {
        pilot->isGoalLever = true;
        pilot->GoalLever = -90;
      }
    }
    if (CurMap->getStructYMax(LastStructHit) < 50) UnstickY = 20;
  }
}
