// CShip: leaving the map and warp. doLeaveMap runs every warp state above 0 for any ship: the
// climb, the warp out along the heading, for an AI ship its exit from the level, for the player's
// ship the map change (a placeholder frame, then PendingMap, the fuel, the carrier kept behind),
// the arrival on the new map (tunnel, 4-second countdown, gas attendant, autosave), chained hops
// along the world map's route, and the warp in. WarpIn starts a spawned ship's warp in.
#include <cmath>

#include "audio/CMusic.h"
#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {
constexpr Single EdgeDistance = 30000;  // where ships enter the map, units from the centre
constexpr Single ArrivalHeight = 2322;  // the player's arrival height; WarpIn uses 2320
// The height below which a warp's climb from the height band ends (past 1500, then 650 more as it
// slows, and a frame's step); from there on the warp skips collisions.
constexpr Single ClimbTop = 2300;

CWorld& world() {
  if (!World) vbRaise(vberr::ObjectMissing);
  return *World;
}

CMap& map() {
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  return *CurMap;
}

bool missionLocksArea() {
  return MissionControl && MissionControl->Reading && MissionControl->LockedArea;
}

// Sky colour of the exploding warp (each component is published at once).
void setSky(CMap& m, Integer red, Integer green, Integer blue) {
  m.setRed(red);
  m.setGreen(green);
  m.setBlue(blue);
  m.updateColor();
}
}  // namespace

bool CShip::climbBlocked() const {
  if (!CurMap) return false;
  if (getShipBody() == sbCapital) return CurMap->climbBlocked(x, e - 35, y, ClimbTop - 35, (width + depth) / 3);
  return CurMap->climbBlocked(x, e, y, ClimbTop, (width + depth) / 2);
}

void CShip::WarpIn() {
  PlaySound3D(SndWarpOut, D3DVECTOR{x, 2320, y});
  e = 2320;
  x = -std::cos(r - 1.57f) * EdgeDistance;
  y = std::sin(r - 1.57f) * EdgeDistance;
  keyThrust = false;
  warpFrame = 20;
  AddSprite(x, e, y, 0, 0, 0, skSpikeGlow, 0, 0, -1, -1);
}

void CShip::doLeaveMap() {
  const double ft = FrameTime;
  const bool player = ID == 0;
  const double headX = std::cos(r - 1.57), headY = -std::sin(r - 1.57);  // ground heading

  // Arrival on the new map (the player's ship after a map change).
  if (warpOutTimer > 0) {
    e = ArrivalHeight;
    x = -std::cos(r - 1.57f) * EdgeDistance;
    y = std::sin(r - 1.57f) * EdgeDistance;
    if (tunnelPending) {
      MakeMyTunnel();
      warpOutTimer = 3.999f;
    }
    warpOutTimer = static_cast<Single>(warpOutTimer - ft);
    if (warpOutTimer > 0) {
      keyThrust = true;
    } else {
      warpOutTimer = 0;
      keyThrust = false;
      PlaySound(SndWarpOut);
      CMap& m = map();
      m.checkAddGasman();
      if (ExplodingWarp) {
        CamShake = 2.0f;
        PlaySound(SndBassplode);
        PlaySound(SndExplode);
        setSky(m, 80, 10, 10);
        m.MapWeather = 2;
        if (Music) Music->ForcePlay("gato.mp3", "");
      }
      ExplodingWarp = false;
      if (Player && Player->HasAutoSaver) {
        const Integer k = m.getAutoSaveLanding();
        if (k > -1 && GameInterface) GameInterface->doAutoSave(k);
      }
    }
    if (ExplodingWarp) {
      const Integer g = CInt(Rnd() * 100.0);
      const Integer b = CInt(Rnd() * 100.0);
      setSky(map(), 255, g, b);
      CamShake = Rnd();
    }
    Speed = 0;
    return;
  }

  Single& w = warpFrame;

  // 1. Chained departure: fly on toward the next node until lined up.
  if (w >= 30) {
    Speed = 0;
    w = static_cast<Single>(w + ft);
    x = static_cast<Single>(x + headX * 3 * 4000 * ft);
    y = static_cast<Single>(y + headY * 3 * 4000 * ft);
    if (e < ArrivalHeight) e = std::min(ArrivalHeight, static_cast<Single>(e + 300 * ft));
    Single turn = 0;
    steerToTravelDir(turn);
    Steering = -10 * turn;
    if (std::fabs(Steering) < 5) {
      w = (31 - w) * 3 + 10;
      if (w < 5) w = 5;
      if (w > 13) w = 13;
      PlaySound(SndWarp2);
    }
    return;
  }

  // 2. Warping in.
  if (w >= 20) {
    const Single before = w;
    w = static_cast<Single>(w + ft);
    const Single left = 24 - w;
    e = static_cast<Single>(e - left * 290 * ft);
    x = static_cast<Single>(x + headX * left * 3000 * ft);
    y = static_cast<Single>(y + headY * left * 3000 * ft);
    const Single now = w;
    if (now >= 24) w = 0;
    Speed = 0;
    if (player && now > 21 && !missionLocksArea()) {
      CWorld& wm = world();
      if (wm.DestNode != -1 && Fuel >= 500) {
        const std::string next = wm.getNodePath(wm.DestNode);
        // A hop toward a node without a loadable map is not started (said once per warp in).
        if (warpMapLoadable(next, before <= 21)) {
          w = 30;
          WarpTarget = next;
        }
      }
    }
    return;
  }

  // 3. Warping out.
  if (w >= 10) {
    const Single before = w;
    if (ExplodingWarp && w > 11.5f) {
      CMap& m = map();
      m.MapWeather = 5;
      const Integer g = CInt(Rnd() * (w - 11) * 70.0);
      const Integer b = CInt(Rnd() * (w - 11) * 70.0);
      setSky(m, 255, g, b);
    }
    w = static_cast<Single>(w + ft);
    if (ExplodingWarp && before > 11.5f && Int(5 * w) != Int(5 * before)) CamShake = Rnd();
    if (w > 11 && Int(25 * w) != Int(25 * before)) {
      if (!player) {
        AddSprite(x, e, y, 0, 0, 0, skTorSpark, 0, 0, -1, -1);
        const Single size = Rnd() * 7;
        AddSprite(x, e, y, 0, 0, 0, skTorFade, 0, size, -1, -1);
      } else {
        const Single aheadX = static_cast<Single>(x + 1500 * headX),
                     aheadY = static_cast<Single>(y + 1500 * headY);
        const Single px = aheadX - 400 + 800 * Rnd(), pe = e + 50 + 200 * Rnd(),
                     py = aheadY - 400 + 800 * Rnd();
        const Single size = Rnd() * 7;
        AddSprite(px, pe, py, 0, 0, 0, skTorFadeB, 0, size, -1, -1);
        if (w > 13) {
          const Single qx = aheadX - 800 + 1600 * Rnd(), qe = e - 250 + 800 * Rnd(),
                       qy = aheadY - 800 + 1600 * Rnd();
          const Single size2 = Rnd() * 7;
          AddSprite(qx, qe, qy, 0, 0, 0, skTorFadeB, 0, size2, -1, -1);
        }
      }
    }
    keyThrust = true;
    Speed = 0;
    e = static_cast<Single>(e + (w - 10) * 20 * ft);
    x = static_cast<Single>(x + headX * (w - 10) * 4000 * ft);
    y = static_cast<Single>(y + headY * (w - 10) * 4000 * ft);
    if (player && missionLocksArea()) MissionControl->MissionFail();
    if (w > 14) {
      if (!player) {
        AddSprite(x, e, y, 0, 0, 0, skSpikeGlow, 0, 0, -1, -1);
        keyThrust = keyBrake = false;
        stopEngineSound();
        return;
      }
      if (PendingMap != "lolprelim") {
        PendingMap = "lolprelim";  // one frame with a placeholder the frame's end does not load
        return;
      }
      if (!warpMapLoadable(WarpTarget, true)) {  // nothing taken: the departure ends here
        PendingMap = "";
        keyThrust = false;
        w = 0;
        return;
      }
      PendingMap = WarpTarget;
      keyThrust = false;
      w = 20;
      SecondaryTarget = -1;
      Fuel -= 500;
      e = ArrivalHeight;
      x = -std::cos(r - 1.57f) * EdgeDistance;
      y = std::sin(r - 1.57f) * EdgeDistance;
      if (MotherShip > -1) {
        if (!MotherPlayer) vbRaise(vberr::ObjectMissing);
        MotherPlayer->updateFromShip(MotherShip);
        MotherShip = -1;
        CWorld& wm = world();
        MotherNodePath = wm.getNodePath(wm.CurrentNode);
        MotherNodeTitle = wm.getNodeTitle(wm.CurrentNode);
      }
      warpOutTimer = 4.0f;
      tunnelPending = true;
    }
    return;
  }

  // A departure whose climb a structure overhead would stop ends here (said to the player): it
  // could never rise past it.
  if (w >= 1 && w < 10 && climbBlocked()) {
    w = 0;
    keyThrust = false;
    keyWarp = false;
    if (player) addMessage("No room overhead to climb into hyperspace: the warp is called off", true);
    return;
  }

  // 4. Climb.
  if (w >= 2) {
    if (w < 3) {
      w = static_cast<Single>(w + ft);
      e = static_cast<Single>(e + (w - 2) * 1300 * ft);
    } else if (w >= 9) {
      const Single before = w;
      w = static_cast<Single>(w + ft);
      e = static_cast<Single>(e + (10 - w) * 1300 * ft);
      if (before < 10 && w >= 10) {
        PlaySound(SndWarp2);
        if (player) {
          if (crew[1] && crew[1]->Weapon >= 0 && GameInterface)
            GameInterface->holsterSecondary(static_cast<Integer>(crew[1]->Weapon));
          if (missionLocksArea()) MissionControl->MissionFail();
        }
      }
    } else {
      e = static_cast<Single>(e + 1300 * ft);
      if (e > 1500) w = 9;
    }
  }
}
