// The tutorial played as a newcomer plays it, in the real main loop on the default content,
// headless on Mesa at a fixed 17 ms frame time while it flies (longer frames while talk lines, the
// wait after a landing and the warp run): from the main menu's "tutorial", at the start the menu
// gives the ship, to its pass. Each frame the script reads the directive on the banner and acts
// only on what the screen offers: it reads the opening talk lines for 12 s before it skips the
// rest with the talk key, flies to the mission's linked pad with the mouse and the thrust and brake
// keys and holds the action key once the action panel says "land", holds it again on that pad for
// the store, buys with the store's buttons, targets the drone with the target key and chases it
// down, picks the destination on the world map and holds the action key while the panel says
// "hyperspace". Along the way it checks what a newcomer relies on: the ship at rest and alone while
// the opening is read, a pad said to be on the right lying right of the ship's heading, the ship
// still on its pad when the wait after the landing ends, and the drone in the open within reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

namespace {

// What the directive on the banner asks for.
enum class Ask { None, Land, Shop, Shoot, Plan, Warp };

Ask askOf(const std::string& directive) {
  if (directive.find("Planet Hardware") != std::string::npos) return Ask::Shop;
  if (directive.find("LAND") != std::string::npos) return Ask::Land;
  if (directive.find("drone") != std::string::npos) return Ask::Shoot;
  if (directive.find("world map") != std::string::npos) return Ask::Plan;
  if (directive.find("tunnel") != std::string::npos) return Ask::Warp;
  return Ask::None;
}

// Turn in radians (-pi..pi) from the ship's heading to the ground point (x, y); positive means
// to the right (a turn to the right raises the heading).
double turnTo(const CShip& s, Single x, Single y) {
  const double wanted = std::atan2(-(y - s.y), x - s.x) + 1.57;
  return std::remainder(wanted - s.r, 6.283185307179586);
}

// The player's keys as the script holds them: each change goes to the window's event queue once.
class Keys {
 public:
  void hold(Integer action, bool down) {
    const Integer code = Player->getCharKey(action);
    bool& held = down_[code];
    if (held == down) return;
    held = down;
    if (down) frmMain.window().postKeyDown(code);
    else frmMain.window().postKeyUp(code);
  }
  void tap(Integer action) {
    hold(action, true);
    hold(action, false);
  }
  void releaseAll() {
    for (auto& [code, held] : down_)
      if (held) frmMain.window().postKeyUp(code);
    down_.clear();
  }

 private:
  std::map<Integer, bool> down_;
};

// Key actions of the options' "input" page.
constexpr Integer kThrust = 0, kBrake = 1, kNextTarget = 5, kAction = 8, kWarpMap = 9, kFire = 10, kTalk = 17;
constexpr Long actHyperspace = 1, actLand = 2;

class TutorialGameTest : public GameRunTest {
 protected:
  // Steers toward (x, y) at height e with this frame's mouse motion (the pitch follows the climb
  // input and stays where it is left, so it is steered toward the slope that closes the height)
  // and keeps the speed near `speed`.
  void flyTowards(Single x, Single y, Single e, Single speed) {
    const CShip& s = *Ships[0];
    const double turn = turnTo(s, x, y);
    const Single dx = static_cast<Single>(std::clamp(turn * 60.0, -20.0, 20.0));
    const double slope = -std::clamp((e - s.e) * 0.002, -0.2, 0.2);  // a negative pitch climbs
    const Single climb = static_cast<Single>(std::clamp((s.Pitch - slope) * 100.0, -20.0, 20.0));
    if (std::fabs(dx) >= 1 || std::fabs(climb) >= 1) frmMain.window().postMouseMotion(dx, -climb);
    const Single wanted = std::fabs(turn) > 0.6 ? std::min(speed, 150.0f) : speed;
    keys.hold(kThrust, s.Speed < wanted - 20);
    keys.hold(kBrake, s.Speed > wanted + 20);
  }
  // Flies to the pad and holds the action key from the frame the action panel says "land" until a
  // screen takes over.
  void landOn(Integer pad) {
    const D3DVECTOR p = CurMap->getStructPos(pad);
    const CShip& s = *Ships[0];
    if (GameInterface->iAction == actLand || s.LandingFrame > 0) {
      keys.hold(kThrust, false);
      keys.hold(kBrake, s.Speed > 0);
      keys.hold(kAction, true);
      ++landPrompts;
      return;
    }
    keys.hold(kAction, false);
    const Single d = static_cast<Single>(std::hypot(p.x - s.x, p.z - s.y));
    flyTowards(p.x, p.z, -111, std::clamp(d * 0.6f, 60.0f, 500.0f));
  }
  // The pad nearest the ship among those whose nearest service is of the structure type: the one
  // a player heads for when a directive names the service.
  static Integer nearestPadServing(Long structType) {
    const CShip& s = *Ships[0];
    Integer best = -1;
    double bestDist = 0;
    for (Integer i = 0; i < 32; ++i) {
      if (CurMap->getStructDef(i) < 0 || CurMap->getStructType(i) != structLanding) continue;
      const Integer service = CurMap->getCloseLanding(i);
      if (CurMap->getStructDef(service) < 0 || CurMap->getStructType(service) != structType) continue;
      const D3DVECTOR p = CurMap->getStructPos(i);
      const double d = std::hypot(p.x - s.x, p.z - s.y);
      if (best < 0 || d < bestDist) best = i, bestDist = d;
    }
    return best;
  }
  // Leaves a store the script has no business in with its "done!" button.
  void leaveStore() {
    const Single y0 = (ScreenHeight - 360) / 2.0f;
    click(ScreenWidth / 2.0f, y0 + 330);
  }
  void click(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    MouseClicked = true;
  }
  Keys keys;
  long landPrompts = 0;
};

}  // namespace

TEST_F(TutorialGameTest, ANewcomerFollowingTheDirectivesReachesThePass) {
  FakeGameClock clock;
  enum class Stage { Title, Menu, Playing, Done } stage = Stage::Title;
  std::map<Ask, long> framesAsked;  // frames each kind of directive stood on the banner
  bool startedOnTut = false, landedLinked = false, arrivedLosGatos = false;
  long storeFrames = 0, mapClicks = 0, mapOpenFrames = 0, mapPress = 0, firstArmed = -1, firstHyperspace = -1;
  Integer drone = -1, losGatos = -1;
  Long cashBeforeShop = 0, cashAfterShop = 0;
  Single resultClock = 0, lowestArmor = 1e9f;
  // The opening, until the script first flies: where the ship started and stood, the nearest AI
  // ship, the turn from the heading to the linked pad when the first directive showed.
  long startPass = -1;
  bool acted = false;
  D3DVECTOR start{}, beforeActing{};
  double nearestTraffic = 1e9, padTurn = 0;
  std::string nearestWho;  // the AI ship that came nearest, for a failure's message
  std::string opening;  // the first directive, as the banner shows it before the ship flies
  // The wait after the landing: the pad landed on, whether the ship stood over it when the wait
  // ended, and how many frames of holding the action key there brought up the store.
  Integer landedPad = -1, padAfterWait = -2;
  bool waited = false, storeFromPad = false;
  long holdOnPad = 0;
  // The practice drone while the directive asks to shoot it: frames seen, frames hidden behind a
  // structure from the player's ship or farther than a chase reaches.
  long droneFrames = 0, droneHidden = 0, droneFar = 0;
  double droneFarthest = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 12000)) return;
    CInterface& gi = *GameInterface;
    switch (stage) {
      case Stage::Title:
        if (gi.Window != msDemo || pass < 20) return;
        MouseHeld = true;
        stage = Stage::Menu;
        return;
      case Stage::Menu:
        MouseHeld = false;
        if (gi.Window != msMainMenu) return;
        click(ScreenWidth / 2.0f, ScreenHeight / 2.0f + 120);  // "tutorial"
        stage = Stage::Playing;
        return;
      case Stage::Done:
        GameRunning = false;
        return;
      case Stage::Playing:
        break;
    }
    if (!MissionControl->Reading) {
      if (!startedOnTut) return;
      keys.releaseAll();
      resultClock = MissionControl->MissionCompleteFrame;
      stage = Stage::Done;
      return;
    }
    if (!startedOnTut) startedOnTut = World->getCurrentPath() == "tut";
    CShip& me = *Ships[0];
    lowestArmor = std::min(lowestArmor, me.Armor);
    if (startPass < 0) {
      startPass = pass;
      start = {me.x, me.e, me.y};
    }
    const Ask ask = askOf(MissionControl->getDirective());
    if (!acted) {
      for (size_t i = 1; i < Ships.size(); ++i)
        if (Ships[i] && Ships[i]->Exists) {
          const double d = std::hypot(Ships[i]->x - me.x, Ships[i]->y - me.y);
          if (d < nearestTraffic) {
            nearestTraffic = d;
            nearestWho = "ship " + std::to_string(i) + " \"" + Ships[i]->getTag() + "\" unit " +
                         std::to_string(Ships[i]->getUnitType()) + " at pass " + std::to_string(pass - startPass);
          }
        }
      beforeActing = {me.x, me.e, me.y};
      if (ask == Ask::Land) {
        opening = MissionControl->getDirective();
        const D3DVECTOR pad = CurMap->getStructPos(nearestPadServing(MissionControl->getLinkedLanding()));
        padTurn = turnTo(me, pad.x, pad.z);
        acted = true;  // flies from this frame on
      }
    }
    if (gi.getTalkBox()) {
      // "press talk to skip": a talk line is skipped a quarter of a second after it opens, the
      // opening ones once they have been read for 12 s.
      const bool reading = !acted && pass - startPass < 12000 / 17;
      if (!reading && pass % 15 == 0) keys.tap(kTalk);
    }
    // Longer frames while nothing is flown: talk lines (once the opening is read), the wait after
    // a landing, a warp.
    const bool longFrames = (gi.getTalkBox() && acted) || gi.Window == msWaitForASec || me.getWarpFrame() >= 2;
    clock.step = longFrames ? 40 : 1;

    if (gi.Window == msWaitForASec) {
      waited = true;
    } else if (waited && padAfterWait == -2) {
      padAfterWait = CurMap->checkLand(me.x, me.y, me.e);  // the first frame after the wait
    }

    ++framesAsked[ask];
    switch (ask) {
      case Ask::None:
        break;
      case Ask::Land:
        if (gi.Window == msWaitForASec) {
          landedLinked = true;
          landedPad = CurMap->checkLand(me.x, me.y, me.e + 1000);
        }
        if (gi.Window != msNone || waited) {  // landed: Ned speaks next
          keys.hold(kAction, false);
          break;
        }
        landOn(nearestPadServing(MissionControl->getLinkedLanding()));
        break;
      case Ask::Shop: {
        if (gi.Window == msHardware) {
          if (storeFrames == 0) storeFromPad = holdOnPad > 0 && holdOnPad < 200;
          keys.releaseAll();
          ++storeFrames;
          const Single x0 = (ScreenWidth - 500) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
          if (storeFrames == 1) cashBeforeShop = Player->Cash;
          if (storeFrames % 10 != 0) break;
          // The first cell of "their stuff", then its "buy" button twice, then "done!".
          switch (storeFrames / 10) {
            case 1: click(x0 + 52, y0 + 82); break;
            case 2:
            case 3: click(x0 + 392, y0 + 210); break;
            default:  // "done!"
              if (cashAfterShop == 0) cashAfterShop = Player->Cash;
              click(x0 + 250, y0 + 330);
              break;
          }
          break;
        }
        // Back in flight with both mounts filled ("your stuff" showed them): wait for Ned.
        if (gi.Window != msNone || cashAfterShop > 0) break;
        // "Hold space again to go in": on the pad it stands on, only the action key; a ship that
        // stood anywhere else flies back to the pad that opens the store.
        if (storeFrames == 0 && holdOnPad < 200 && padAfterWait >= 0) {
          ++holdOnPad;
          keys.hold(kThrust, false);
          keys.hold(kBrake, false);
          keys.hold(kAction, holdOnPad > 30);  // Ned's lines first
          break;
        }
        landOn(nearestPadServing(structParts));
        break;
      }
      case Ask::Shoot: {
        keys.hold(kAction, false);
        if (firstArmed < 0) firstArmed = pass;
        if (gi.Window == msHardware && pass % 10 == 0) leaveStore();
        if (gi.Window != msNone) break;
        drone = -1;
        for (size_t i = 1; i < Ships.size(); ++i)
          if (Ships[i] && Ships[i]->Exists && Ships[i]->getTag() == "drone") drone = static_cast<Integer>(i);
        if (drone < 0 || Ships[drone]->getWarpFrame() > 0) {
          keys.hold(kFire, false);
          flyTowards(me.x, me.y + 1000, 0, 0);
          break;
        }
        if (me.SecondaryTarget != drone) {  // the TARGET panel shows another ship
          keys.hold(kFire, false);
          if (pass % 6 == 0) keys.tap(kNextTarget);
          break;
        }
        const CShip& d = *Ships[drone];
        const double dist = std::hypot(d.x - me.x, d.y - me.y);
        ++droneFrames;
        if (CurMap->quickTestConnect(D3DVECTOR{me.x, me.e, me.y}, D3DVECTOR{d.x, d.e, d.y}, 25)) ++droneHidden;
        droneFarthest = std::max(droneFarthest, dist);
        if (dist > 2500) ++droneFar;
        // Lead the target by the shots' flight time.
        const Single t = static_cast<Single>(dist / 2500);
        flyTowards(d.x + d.xM * t, d.y + d.yM * t, d.e, dist > 500 ? 600.0f : std::max(100.0f, d.Speed));
        const double aim = turnTo(me, d.x + d.xM * t, d.y + d.yM * t);
        keys.hold(kFire, dist < 1500 && std::fabs(aim) < 0.1 && std::fabs(d.e - me.e) < 60);
        break;
      }
      case Ask::Plan:
        keys.hold(kFire, false);
        keys.hold(kThrust, false);
        if (losGatos < 0)
          for (Integer n = 0; n <= World->getTotalNodes(); ++n)
            if (World->getNodeTitle(n) == "Los Gatos") losGatos = n;
        if (!gi.hasMouse()) {
          mapOpenFrames = 0;
          if (World->DestNode < 0 && pass % 30 == 0) keys.tap(kWarpMap);
          break;
        }
        if (gi.Window != msNone || ++mapOpenFrames < 20) break;  // the map still opening
        if (World->DestNode >= 0) {
          if (pass % 30 == 0) keys.tap(kWarpMap);  // close it again
          break;
        }
        {
          const Single nx = World->getNodeX(losGatos) - World->ScrollX;
          const Single ny = World->getNodeY(losGatos) - World->ScrollY;
          // The map takes a click from a button held over the node while it draws.
          if (mapPress > 0 && ++mapPress > 3) {
            frmMain.window().postMouseUp(1, PointerX, PointerY);
            mapPress = 0;
          } else if (mapPress == 0 && (std::fabs(PointerX - nx) > 1 || std::fabs(PointerY - ny) > 1)) {
            if (pass % 4 == 0) frmMain.window().postMouseMotion(nx - PointerX, ny - PointerY);
          } else if (mapPress == 0 && pass % 10 == 0) {
            frmMain.window().postMouseDown(1, PointerX, PointerY);
            mapPress = 1;
            ++mapClicks;
          }
        }
        break;
      case Ask::Warp:
        if (CurMap->MapName == "losgatos") arrivedLosGatos = true;
        if (gi.iAction == actHyperspace || me.getWarpFrame() > 0) {
          if (firstHyperspace < 0) firstHyperspace = pass;
          keys.hold(kThrust, false);
          keys.hold(kAction, !arrivedLosGatos);
        } else {
          keys.hold(kAction, false);  // off the pads first
          flyTowards(me.x - 2000, me.y - 2000, 0, 300);
        }
        break;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(startedOnTut);
  // The opening: read for 12 s with the ship at rest where the menu put it, no traffic near.
  EXPECT_NEAR(std::hypot(beforeActing.x - start.x, beforeActing.z - start.z), 0, 1) << "the ship drifted";
  EXPECT_NEAR(beforeActing.y, start.y, 1) << "the ship climbed or sank";
  EXPECT_GT(nearestTraffic, 1500) << "an AI ship came near before the player flew: " << nearestWho;
  // What the opening says about the pad matches where it lies from the start: on the right of the
  // heading, and within the view ahead.
  ASSERT_NE(opening.find("right"), std::string::npos) << opening;
  EXPECT_GT(padTurn, 0.15) << "the pad said to be on the right is ahead or on the left";
  EXPECT_LT(padTurn, 0.7) << "the pad said to be ahead on the right is out of view";

  EXPECT_GT(lowestArmor, 0) << "the tutorial's player was shot down";
  EXPECT_GT(framesAsked[Ask::Land], 0);
  EXPECT_GT(landPrompts, 0) << "the action panel never said land over the linked pad";
  EXPECT_TRUE(landedLinked);
  // The wait after the landing ends with the ship on the pad it landed on, and holding the
  // action key there opens the store.
  EXPECT_GE(landedPad, 0);
  EXPECT_EQ(padAfterWait, landedPad) << "the ship left its pad during the wait";
  EXPECT_TRUE(storeFromPad) << "holding the action key on the pad did not open the store";
  EXPECT_GT(storeFrames, 0) << "Planet Hardware never opened";
  EXPECT_EQ(cashAfterShop, cashBeforeShop - 1200);  // two lasers
  EXPECT_GT(firstArmed, 0);
  // The drone stays in the open, in sight of the chasing ship and within its reach.
  EXPECT_GT(droneFrames, 0);
  EXPECT_LT(droneHidden, droneFrames / 20) << "the drone kept behind structures";
  EXPECT_EQ(droneFar, 0) << "the drone got away, " << droneFarthest << " from the player's ship";
  EXPECT_GT(mapClicks, 0);
  EXPECT_GT(firstHyperspace, 0);
  EXPECT_TRUE(arrivedLosGatos);
  ASSERT_TRUE(stage == Stage::Done);
  EXPECT_GT(resultClock, 3.5f);  // the "mission complete!" banner, not the failure's 14
  EXPECT_TRUE(Player->checkMissionComplete("tut.pnd"));
}
