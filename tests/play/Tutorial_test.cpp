// The tutorial played as a newcomer plays it, in the real main loop on the default content,
// headless on Mesa at a fixed 17 ms frame time while it flies (longer frames while talk lines, the
// wait after a landing and the warp run): from the main menu's "tutorial" to its pass. Each
// frame the script reads the directive on the banner and acts only on what the screen offers: it
// skips talk lines with the talk key, flies to the mission's linked pad with the mouse and the
// thrust and brake keys and holds the action key once the action panel says "land", buys at the
// store with its buttons, targets the drone with the target key and chases it down, picks the
// destination on the world map and holds the action key while the panel says "hyperspace".
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
    // "press talk to skip": a talk line is skipped a quarter of a second after it opens.
    if (gi.getTalkBox() && pass % 15 == 0) keys.tap(kTalk);
    // Longer frames while nothing is flown: talk lines, the wait after a landing, a warp.
    clock.step = gi.getTalkBox() || gi.Window == msWaitForASec || me.getWarpFrame() >= 2 ? 40 : 1;

    const Ask ask = askOf(MissionControl->getDirective());
    ++framesAsked[ask];
    switch (ask) {
      case Ask::None:
        break;
      case Ask::Land:
        if (gi.Window == msWaitForASec) landedLinked = true;
        if (gi.Window != msNone) {
          keys.hold(kAction, false);
          break;
        }
        landOn(nearestPadServing(MissionControl->getLinkedLanding()));
        break;
      case Ask::Shop: {
        if (gi.Window == msHardware) {
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
        // On the pad that opens the store: land there again.
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
  EXPECT_GT(lowestArmor, 0) << "the tutorial's player was shot down";
  EXPECT_GT(framesAsked[Ask::Land], 0);
  EXPECT_GT(landPrompts, 0) << "the action panel never said land over the linked pad";
  EXPECT_TRUE(landedLinked);
  EXPECT_GT(storeFrames, 0) << "Planet Hardware never opened";
  EXPECT_EQ(cashAfterShop, cashBeforeShop - 1200);  // two lasers
  EXPECT_GT(firstArmed, 0);
  EXPECT_GT(mapClicks, 0);
  EXPECT_GT(firstHyperspace, 0);
  EXPECT_TRUE(arrivedLosGatos);
  ASSERT_TRUE(stage == Stage::Done);
  EXPECT_GT(resultClock, 3.5f);  // the "mission complete!" banner, not the failure's 14
  EXPECT_TRUE(Player->checkMissionComplete("tut.pnd"));
}
