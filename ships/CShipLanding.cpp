// CShip: the player's action key. checkNearLanding decides what the key would do now (the HUD's
// iAction) and findWreckNear finds a wreck in tractor reach; doLanding runs the key: overlays,
// bullet time, landing on a pad and opening the nearest structure's screen, the tractor beam and
// the plunder screen, the start of a hyperspace departure, docking. Player's ship only, from Move.
#include <algorithm>
#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CNews.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "game/CameraMod.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

Double BulletTimeCharge = 0;

namespace {
// CInterface.iAction values.
constexpr Long actNone = 0, actHyperspace = 1, actLand = 2, actTractor = 3, actDock = 4, actSlomoOn = 5,
               actSlomoOff = 6;

CInterface& gui() {
  if (!GameInterface) vbRaise(vberr::ObjectMissing);
  return *GameInterface;
}

CWorld& world() {
  if (!World) vbRaise(vberr::ObjectMissing);
  return *World;
}

CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[i].get();
}

bool missionRunning() {
  return MissionControl && MissionControl->Reading;
}

bool isCarrierBody(Long body) {
  return body == sbCapital || body == sbFleshy;
}
}  // namespace

// ---- action prompt -------------------------------------------------------------------------

void CShip::checkNearLanding() {
  CInterface& gi = gui();
  // 1. The carrier never turns on the ship it launched.
  if (CShip* m = shipAt(MotherShip)) m->setAIHostile(ID, false);

  // 2.
  if (gi.hasMouse()) {
    gi.iAction = actNone;
    landingPad = -1;
    if (tractorTarget >= 0 && TractorFrame > 2.0f)
      tractorTarget = findWreckNear();
    else
      tractorTarget = -1;
    return;
  }
  // 3.
  if (TractorFrame > 0 || LandingFrame > 0 || GameMode != pmPlay) return;
  tractorTarget = -1;
  landingPad = -1;
  const Integer pad = CurMap ? CurMap->checkLand(x, y, e) : Integer{-1};
  const bool routed = World && World->DestNode >= 0;
  bool nothingOffered = false;
  if (pad < 0) {
    const Integer w = findWreckNear();
    if (w >= 0) {
      gi.iAction = actTractor;
      tractorTarget = w;
    } else if (routed) {
      gi.iAction = actHyperspace;
    } else {
      gi.iAction = actNone;
      nothingOffered = true;
    }
    const CShip* m = MotherShip != ID ? shipAt(MotherShip) : nullptr;
    if (m && getDist(x, y, m->x, m->y) < 350) gi.iAction = actDock;
  } else if (Speed < 150) {
    gi.iAction = actLand;
    landingPad = pad;
  } else if (routed && MotherShip == -1) {
    gi.iAction = actHyperspace;
  } else {
    gi.iAction = actNone;
    nothingOffered = true;
  }
  // Hyperspace needs fuel, and room overhead for the climb.
  if (gi.iAction == actHyperspace && (Fuel < 500 || climbBlocked())) {
    gi.iAction = actNone;
    nothingOffered = true;
  }
  if (nothingOffered && CheatSlowMo && gi.iAction == actNone)
    gi.iAction = BulletTime ? actSlomoOff : actSlomoOn;
}

Integer CShip::findWreckNear() const {
  const Single reach = getShipBody() == sbCapital ? 180.0f : 90.0f;
  Integer found = -1;
  for (size_t i = 0; i < Ships.size(); ++i) {
    const CShip* s = Ships[i].get();
    if (!s || s == this || !s->Exists || !(s->Armor < 0)) continue;
    if (!(std::fabs(s->x - x) < reach && std::fabs(s->y - y) < reach)) continue;
    if (!(s->e < e)) continue;
    if (!(std::fabs(s->xM - xM) + std::fabs(s->yM - yM) < 200)) continue;
    found = static_cast<Integer>(i);
  }
  return found;
}

// ---- the action step -----------------------------------------------------------------------

bool CShip::warpMapLoadable(const std::string& name, bool report) {
  FileProblem problem;
  if (CMap::checkMapFile(name, &problem)) return true;
  if (report) tellPlayer("No map to warp to", problem.text() + ". The warp does not start");
  return false;
}

void CShip::doLanding() {
  CInterface& gi = gui();
  const double ft = FrameTime;
  auto stopTractorSound = [this] {
    if (tractorSound >= 0) StopSound(tractorSound);
    tractorSound = -1;
  };

  // 1. Overlays.
  if (keyWarpChoose) {
    keyWarpChoose = false;
    gi.ToggleWarpChoose(false);
  }
  if (keySel2) {
    keySel2 = false;
    gi.ToggleWarpChoose(true);
  }

  // 2. Plunder screen upkeep.
  if (TractorFrame > 2) {
    if (tractorTarget < 0) {
      keyWarp = false;
      tractorTarget = -1;
      gi.Window = msNone;
      TractorFrame = 1001;
      stopTractorSound();
    } else if (TractorFrame < 1001 && gi.Window != msWaitForASec && gi.Window != msPlunder) {
      gi.Window = msPlunder;
    }
  }

  // 3. Bullet time.
  if (BulletTime) {
    BulletTimeCharge -= ft;
    if (BulletTimeCharge <= 0) {
      BulletTime = false;
      PlaySound(SndBulletOut);
    }
  } else if (BulletTimeCharge < 2.0) {
    BulletTimeCharge += ft / 8;
  }
  if (gi.iAction == actSlomoOn && keyWarp && BulletTimeCharge > 0.3) {
    keyWarp = false;
    BulletTime = true;
    PlaySound(SndBulletIn);
  }

  // 4. Action gating: landing and pulling need the key held until their timer passes 2.
  if (gi.iAction == actSlomoOff && keyWarp) {
    keyWarp = false;
    BulletTime = false;
    PlaySound(SndBulletOut);
  }
  if (!keyWarp && TractorFrame <= 2 && LandingFrame <= 2) {
    if (TractorFrame > 0) {
      TractorFrame = 0;
      stopTractorSound();
    }
    if (LandingFrame > 0 && LandingFrame <= 2) LandingFrame = 0;
    return;
  }

  // 5. Neither wreck nor pad: departure or docking.
  if (tractorTarget < 0 && landingPad < 0) {
    if (LandingFrame > 1000) LandingFrame = 0;
    if (TractorFrame > 1000) {
      TractorFrame = 0;
      stopTractorSound();
    }
    // A prompt left from before an arrival may offer a hop whose route is used up: no departure.
    if (gi.iAction == actHyperspace && World && World->DestNode >= 0) {
      WarpTarget = World->getNodePath(World->DestNode);
      if (warpMapLoadable(WarpTarget, true))
        warpFrame = 1.0f;
      else
        keyWarp = false;
    }
    if (gi.iAction == actDock && gi.dockFrame < 11) {
      gi.dockFrame = 11.0f;
      PlaySound(SndDock);
    }
    return;
  }

  // 6. Landing.
  if (tractorTarget < 0) {
    if (LandingFrame < 1) {
      LandingFrame = 1.0f;
      return;
    }
    const Single before = LandingFrame;
    LandingFrame = std::min(2.2f, static_cast<Single>(LandingFrame + ft));
    keyThrust = keyBrake = false;
    Steering = Elever = 0;
    CamBlend = 1.0f;
    e = static_cast<Single>(e - 40 * ft);
    Speed = 0;
    const Single settle = static_cast<Single>(ft);
    Pitch = Pitch > 0 ? std::max(0.0f, Pitch - settle) : std::min(0.0f, Pitch + settle);
    const bool justPassed = before <= 2 && LandingFrame > 2;
    const bool reopen = gi.Window == msNone && LandingFrame > 2 && LandingFrame < 1000;
    if (!justPassed && !reopen) return;
    openStructure(gi);
    return;
  }

  // 7. Tractor.
  CShip* w = shipAt(tractorTarget);
  if (!w) {  // an index that names no ship: the wreck is gone
    keyWarp = false;
    tractorTarget = -1;
    gi.Window = msNone;
    TractorFrame = 1001;
    return;
  }
  if (TractorFrame < 1) {
    TractorFrame = 1.0f;
    tractorSound = StartLoopSound(SndTractor);
    if (tractorSound >= 0) UpdateLoopSound(tractorSound, getPos());
    return;
  }
  const Single before = TractorFrame;
  TractorFrame = static_cast<Single>(TractorFrame + ft);
  if (TractorFrame > 990) TractorFrame = 2.0f;
  if (tractorSound >= 0) UpdateLoopSound(tractorSound, getPos());

  if (before <= 2 && TractorFrame > 2) {
    gi.Window = msPlunder;
    if (Player && Player->HasSiphonator) {
      for (int round = 0; round < 3; ++round) {
        if (w->Fuel < 500) continue;
        if (Fuel <= maxFuel - 500) {
          Fuel += 500;
          w->Fuel -= 500;
        }
        if (Rnd() < 0.5f) w->Fuel = 500;
      }
      w->Fuel = 0;
    }
    if (missionRunning() && !w->tractorGift.empty() && w->tractorGift != "nullgift") {
      MissionControl->forceGotoGoal();
      gi.Window = msWaitForASec;
      gi.InitWaitForASec();
      keyWarp = false;
      w->tractorGift.clear();
    }
  }

  const bool bigPuller = isCarrierBody(getShipBody());
  if (Int(4 * TractorFrame) != Int(4 * before)) {
    const Single below = bigPuller ? 90.0f : 5.0f;
    AddSprite(x, e - below, y, 0, 0, 0, skSplash, 0, 0, ID, -1);
  }

  keyThrust = keyBrake = false;
  Steering = Elever = 0;
  CamBlend = 1.0f;
  const Single slow = static_cast<Single>(2500 * ft);
  if (Speed > 0) Speed = std::max(0.0f, Speed - slow);
  if (w->Speed > 0) w->Speed = std::max(0.0f, w->Speed - slow);

  // The pull closes the given share of the gap each frame; a share beyond the whole gap (a beam
  // held long on a slow frame) would throw the wreck past the ship, so the gap closes at most.
  const double k = (TractorFrame - 1) * ft;
  const Long pulledBody = w->getShipBody();
  Single drop;
  if (bigPuller)
    drop = pulledBody == sbCapital ? 500.0f : 350.0f;
  else
    drop = isCarrierBody(pulledBody) ? 350.0f : 160.0f;
  const double ground = std::min(1.0, 10 * k);
  const double lift = std::min(1.0, k);
  w->x = static_cast<Single>(w->x + ground * (x - w->x));
  w->y = static_cast<Single>(w->y + ground * (y - w->y));
  w->e = static_cast<Single>(w->e + lift * (e - drop - w->e));

  if (!w->Exists) {
    keyWarp = false;
    tractorTarget = -1;
    gi.Window = msNone;
    TractorFrame = 1001;
  }
}

void CShip::openStructure(CInterface& gi) {
  gi.holsterSecondary(crew[1] && crew[1]->Weapon >= 0 ? static_cast<Integer>(crew[1]->Weapon) : Integer(-1));
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  const Integer s = CurMap->getCloseLanding(landingPad);
  gi.Scroll = 0;
  keyWarp = false;
  CWorld& w = world();
  const Integer level = w.getNodeLevel(w.CurrentNode);
  const Long type = CurMap->getStructType(s);
  switch (type) {
    case structParts:
      gi.Window = msHardware;
      gi.InitParts(level);
      break;
    case structRestaurant:
      if (News) {
        News->NewSeg();
        News->makeTicker();
      }
      gi.BountyMode = false;
      gi.InitBountyList();
      gi.Window = msBountyOffice;
      break;
    case structGas:
      gi.Window = msGasStation;
      break;
    case structShips:
      gi.Window = msShipyard;
      gi.InitShipStore(level);
      break;
    case structShopping:
      gi.Window = msHyperMart;
      break;
    case structAmmo:
      gi.Window = msWeaponStore;
      gi.InitWeaponList(level);
      break;
    case structHut:
      gi.Window = msPleasantTrading;
      break;
    case structBank:
      gi.Window = msBank;
      gi.ReadSaveList();
      break;
    case structMControl:
      gi.InitMissions();
      gi.Window = missionRunning() ? msConfirmCancelMission : msMissionControl;
      break;
    default:  // Landing, Generic: nothing to open
      gi.Window = msNone;
      LandingFrame = 1001;
      break;
  }
  if (missionRunning() && MissionControl->getLinkedLanding() == type) {
    MissionControl->forceGotoGoal();
    gi.Window = msWaitForASec;
    gi.InitWaitForASec();
    keyWarp = false;
  }
}
