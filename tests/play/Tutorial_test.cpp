// The tutorial played as a newcomer plays it, in the real main loop on the default content,
// headless on Mesa at a fixed 17 ms frame time while it flies (longer frames while talk lines, the
// wait after a landing and the warp run): from the title, a click on it and the main menu's
// "tutorial" button, at the start the menu gives the ship, to its pass. Everything the script does
// goes through the test pilot (InputPilot.h): the key bindings and the mouse posted to the main
// window, nothing else; it reads the game only to choose its next input. Each frame it reads the
// directive on the banner and acts on what the screen offers: it reads the opening talk lines for
// 12 s before it skips the rest with the talk key, flies to the mission's linked pad and lands when
// the action panel says "land", holds the action key on that pad for the store, buys two lasers
// with the store's buttons, takes off, targets the drone with the target key and shoots it down with
// its own lasers, aiming with the lead of the drone's motion, plans the route on the world map with
// its keys and clicks and holds the action key while the panel says "hyperspace". Along the way it
// checks what a newcomer relies on: the ship at rest and alone while the opening is read, a pad said
// to be on the right lying right of the ship's heading, the ship still on its pad when the wait after
// the landing ends, the drone in the open within reach and downed by the pilot's fire within a few
// minutes, before the lesson's clock sends another one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/InputPilot.h"

namespace {

using namespace pilot_keys;

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

// The live ship the mission tagged, -1 none.
Integer taggedShip(const std::string& tag) {
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists && Ships[i]->getTag() == tag) return static_cast<Integer>(i);
  return -1;
}

// The practice drone while the shooting lesson runs, as the chasing pilot sees it: how long the
// lesson took, how the drone stayed in the open and in reach, and the blows it took.
struct DroneWatch {
  double seconds = 0;       // game seconds from the lesson's first directive
  double downAt = -1;       // seconds when its armour went below 0, -1 still up
  long frames = 0, hidden = 0, far = 0;
  double farthest = 0;
  double damage = 0;        // shields and armour it lost until it went down
  std::set<Integer> ships;  // every ship that was the drone (another one comes if it gets away)
  Integer last = -1;
  Single lastHealth = 0;

  // One frame of the lesson; `me` the player's ship.
  void see(const CShip& me, Integer drone) {
    seconds += FrameTime;
    if (drone < 0 || downAt >= 0) return;
    const CShip& d = *Ships[drone];
    ships.insert(drone);
    const Single health = std::max(0.0f, d.Shields) + d.Armor;
    if (drone == last && health < lastHealth) damage += lastHealth - health;
    last = drone;
    lastHealth = health;
    if (InputPilot::down(d)) {
      downAt = seconds;
      return;
    }
    const double dist = std::hypot(d.x - me.x, d.y - me.y);
    ++frames;
    if (CurMap->quickTestConnect(D3DVECTOR{me.x, me.e, me.y}, D3DVECTOR{d.x, d.e, d.y}, 25)) ++hidden;
    farthest = std::max(farthest, dist);
    if (dist > 2500) ++far;
  }
  // A laser blow from the player's ship takes 10 (half its base 20) off the shields and armour.
  long hits() const { return std::lround(damage / 10); }
};

class TutorialGameTest : public GameRunTest {
 protected:
  InputPilot pilot;
};

}  // namespace

TEST_F(TutorialGameTest, ANewcomerFollowingTheDirectivesReachesThePass) {
  FakeGameClock clock;
  enum class Stage { Title, Menu, Playing, Done } stage = Stage::Title;
  std::map<Ask, long> framesAsked;  // frames each kind of directive stood on the banner
  bool startedOnTut = false, landedLinked = false, arrivedLosGatos = false, tookOff = false, routed = false,
       warped = false;
  long firstArmed = -1, firstHyperspace = -1, landPrompts = 0;
  Integer losGatos = -1;
  Long cashBeforeShop = 0, cashAfterShop = -1;
  Single resultClock = 0, lowestArmor = 1e9f;
  // The opening, until the script first flies: where the ship started and stood, the nearest AI
  // ship, the turn from the heading to the linked pad when the first directive showed.
  long startPass = -1;
  bool acted = false;
  D3DVECTOR start{}, beforeActing{};
  double nearestTraffic = 1e9, padTurn = 0;
  std::string nearestWho;  // the AI ship that came nearest, for a failure's message
  std::string opening;     // the first directive, as the banner shows it before the ship flies
  // The wait after the landing: the pad landed on, whether the ship stood over it when the wait
  // ended, and how many frames of holding the action key there brought up the store.
  Integer landedPad = -1, padAfterWait = -2;
  bool waited = false, storeFromPad = false, inStore = false;
  long holdOnPad = 0;
  DroneWatch drone;
  D3DVECTOR titleClick{-1, -1, 0};
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 30000)) return;
    pilot.frame();
    CInterface& gi = *GameInterface;
    switch (stage) {
      case Stage::Title:  // a click where the pointer stands ends the title (the press already does)
        if (titleClick.x < 0) {
          if (gi.Window != msDemo || pass < 20) return;
          titleClick = {PointerX, PointerY, 0};
        }
        if (pilot.click(titleClick.x, titleClick.y)) stage = Stage::Menu;
        return;
      case Stage::Menu:
        if (gi.Window != msMainMenu) return;
        if (pilot.click(ScreenWidth / 2.0f, ScreenHeight / 2.0f + 120)) stage = Stage::Playing;  // "tutorial"
        return;
      case Stage::Done:
        GameRunning = false;
        return;
      case Stage::Playing:
        break;
    }
    if (!MissionControl->Reading) {
      if (!startedOnTut) return;
      pilot.releaseAll();
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
      if (!reading && pass % 15 == 0) pilot.tap(Talk);
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
          pilot.hold(Action, false);
          break;
        }
        if (gi.iAction == pilot_offer::Land) ++landPrompts;
        pilot.landOn(nearestPadServing(MissionControl->getLinkedLanding()));
        break;
      case Ask::Shop:
        if (gi.Window == msHardware || inStore) {
          if (!inStore) {
            storeFromPad = holdOnPad > 0 && holdOnPad < 200;
            cashBeforeShop = Player->Cash;
            inStore = true;
          }
          pilot.hold(Action, false);
          if (pilot.buyParts({0})) cashAfterShop = Player->Cash;  // lasers for both mounts
          break;
        }
        // Back in flight with both mounts filled: wait for Ned.
        if (gi.Window != msNone || cashAfterShop >= 0) break;
        // "Hold space again to go in": on the pad it stands on, only the action key; a ship that
        // stood anywhere else flies back to the pad that opens the store.
        if (holdOnPad < 200 && padAfterWait >= 0) {
          ++holdOnPad;
          pilot.hold(Action, holdOnPad > 30);  // Ned's lines first
          break;
        }
        pilot.landOn(nearestPadServing(structParts));
        break;
      case Ask::Shoot: {
        if (firstArmed < 0) firstArmed = pass;
        const Integer d = taggedShip("drone");
        drone.see(me, d);
        if (gi.Window == msHardware) {  // a pad's store the ship came down on
          pilot.leaveScreen();
          break;
        }
        if (gi.Window != msNone) break;
        if (!tookOff) {
          tookOff = pilot.takeOff();
          break;
        }
        if (d < 0 || !pilot.attack(d)) pilot.flyTo(me.x, me.y + 1000, 0, 200);  // none in the open
        break;
      }
      case Ask::Plan:
      case Ask::Warp:
        if (ask == Ask::Warp && CurMap->MapName == "losgatos") arrivedLosGatos = true;
        if (losGatos < 0) losGatos = World->getNodeFromPath("losgatos");
        if (!routed) {
          routed = pilot.planRoute(losGatos);
          break;
        }
        if (ask != Ask::Warp || warped || arrivedLosGatos) {
          pilot.releaseAll();
          break;
        }
        if (firstHyperspace < 0 && gi.iAction == pilot_offer::Hyperspace) firstHyperspace = pass;
        warped = pilot.hyperspace();
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
  EXPECT_TRUE(inStore) << "Planet Hardware never opened";
  EXPECT_EQ(cashAfterShop, cashBeforeShop - 1200);  // two lasers
  EXPECT_GT(firstArmed, 0);
  // The drone stays in the open, in sight of the chasing ship and within its reach, and the
  // pilot's own lasers bring it down in a few minutes, before the lesson's clock (180 s) sends
  // another one.
  EXPECT_GT(drone.frames, 0);
  EXPECT_LT(drone.hidden, drone.frames / 20) << "the drone kept behind structures";
  EXPECT_EQ(drone.far, 0) << "the drone got away, " << drone.farthest << " from the player's ship";
  EXPECT_GE(drone.downAt, 0) << "the drone was never downed; " << pilot.describe();
  EXPECT_LT(drone.downAt, 150) << "the drone took " << drone.hits() << " hits";
  // Few enough laser hits that a newcomer's scattered fire strips the shields in one pass and
  // finishes the armour before it gets away (about thirty on the practice drone).
  EXPECT_LE(drone.hits(), 40) << "the practice drone takes too many hits for a newcomer";
  EXPECT_EQ(drone.ships.size(), 1u) << "the drone got away and another one came";
  EXPECT_GT(pilot.log().shots, 0);
  EXPECT_GT(pilot.log().targetPresses, 0) << "the drone was never targeted with the target key";
  EXPECT_TRUE(routed) << "no route to Los Gatos was planned on the world map";
  EXPECT_GT(firstHyperspace, 0);
  EXPECT_TRUE(arrivedLosGatos);
  ASSERT_TRUE(stage == Stage::Done) << pilot.describe();
  EXPECT_GT(resultClock, 3.5f);  // the "mission complete!" banner, not the failure's 14
  EXPECT_TRUE(Player->checkMissionComplete("tut.pnd"));
  RecordProperty("droneSeconds", std::to_string(drone.downAt));
  RecordProperty("droneHits", std::to_string(drone.hits()));
  std::printf("[  DRONE   ] downed after %.1f s of the lesson by %ld hits (%zu drones)\n", drone.downAt, drone.hits(),
              drone.ships.size());
}
