// The test pilot (InputPilot.h) itself, in the real main loop on the default content at "easy":
// everything it does goes through the key bindings and the mouse. It flies a new game's ship from
// where flight starts over Los Gatos to the pad of Planet Hardware and sets it down there; and it
// buys two lasers at that store by its buttons, takes off, targets a hostile pirate with the
// target key and shoots it down with its own fire.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/InputPilot.h"

namespace {

constexpr Integer Easy = 1;
constexpr Long LaserMount = 1;  // MountType of a laser

class PilotTest : public GameRunTest {
 protected:
  // A new game's ship in flight over Los Gatos at "easy", the map's traffic placed.
  bool begin() {
    if (!startFlight()) return false;
    World->CurrentNode = World->getNodeFromPath("losgatos");  // where a new game starts
    World->ClearDest();
    Player->Difficulty = Easy;
    CheatGod = false;
    resetLevel();
    return true;
  }
  FakeGameClock clock;
  InputPilot pilot;
};

TEST_F(PilotTest, FliesToAPadAndLandsOnIt) {
  Integer pad = -1;
  Long screen = -1;
  D3DVECTOR start{}, landed{};
  double seconds = 0;
  bool onPad = false;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 4000)) return;
    pilot.frame();
    if (pad < 0) {
      ASSERT_TRUE(begin());
      clock.step = 20;
      pad = padServing(structParts);
      ASSERT_GE(pad, 0);
      start = Ships[0]->getPos();
      return;
    }
    seconds += FrameTime;
    if (!pilot.landOn(pad)) return;
    screen = GameInterface->Window;
    landed = Ships[0]->getPos();
    onPad = CurMap->checkLand(landed.x, landed.z, 1e9f) == pad;  // over it, whatever the height
    pilot.releaseAll();
    GameRunning = false;
  };
  frmMain.Form_Load();
  ASSERT_GE(pad, 0);
  EXPECT_EQ(screen, msHardware) << "the pad's store did not open; " << pilot.describe();
  EXPECT_TRUE(onPad) << "the ship stands beside the pad at " << landed.x << "," << landed.z << "," << landed.y
                     << "; the pad at " << CurMap->getStructPos(pad).x << "," << CurMap->getStructPos(pad).z;
  const D3DVECTOR p = CurMap->getStructPos(pad);
  EXPECT_GT(std::hypot(start.x - p.x, start.z - p.z), 1000) << "the flight started next to the pad";
  EXPECT_EQ(pilot.log().landings, 1);
  EXPECT_GT(pilot.log().steerFrames, 20) << "the ship was not steered there";
  EXPECT_LT(seconds, 90) << "the flight to the pad took too long";
  RecordProperty("seconds", std::to_string(seconds));
}

TEST_F(PilotTest, BuysGunsAndShootsDownAPirateWithThem) {
  enum class Stage { Start, Land, Shop, TakeOff, Fight, Done } stage = Stage::Start;
  Integer pad = -1, pirate = -1;
  Long cashBefore = 0, cashAfter = 0;
  Single lowestArmor = 1e9f, pirateArmor = 0;
  double fightSeconds = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 20000)) return;
    pilot.frame();
    CShip& me = *Ships[0];
    if (stage != Stage::Start) {
      lowestArmor = std::min(lowestArmor, me.Armor);
      if (!me.Exists || me.getDeathThroes() > 0) {
        pilot.releaseAll();
        GameRunning = false;
        return;
      }
    }
    switch (stage) {
      case Stage::Start:
        ASSERT_TRUE(begin()) << "the first map did not load";
        clock.step = 20;
        pad = padServing(structParts);
        ASSERT_GE(pad, 0) << "no pad serves Planet Hardware";
        stage = Stage::Land;
        return;
      case Stage::Land:
        if (!pilot.landOn(pad)) return;
        ASSERT_EQ(GameInterface->Window, msHardware);
        cashBefore = Player->Cash;
        stage = Stage::Shop;
        return;
      case Stage::Shop:
        if (!pilot.buyParts({0})) return;  // lasers
        cashAfter = Player->Cash;
        stage = Stage::TakeOff;
        return;
      case Stage::TakeOff: {
        if (!pilot.takeOff()) return;
        // The one ship to fight: a pirate a little ahead, hostile to the player.
        const Single ax = me.x + 1500 * std::cos(me.r - 1.57f), ay = me.y - 1500 * std::sin(me.r - 1.57f);
        CurMap->MissionSpawn("pirate_poor", "target", ax, ay, -1);
        for (size_t i = 1; i < Ships.size(); ++i)
          if (Ships[i] && Ships[i]->Exists && Ships[i]->getTag() == "target") pirate = static_cast<Integer>(i);
        ASSERT_GE(pirate, 0);
        Ships[pirate]->setAIHostile(0, true);
        stage = Stage::Fight;
        return;
      }
      case Stage::Fight:
        fightSeconds += FrameTime;
        pirateArmor = Ships[pirate]->Armor;
        if (pilot.attack(pirate) && fightSeconds < 240) return;
        pilot.releaseAll();
        stage = Stage::Done;
        return;
      case Stage::Done:
        GameRunning = false;
        return;
    }
  };
  frmMain.Form_Load();
  ASSERT_EQ(stage, Stage::Done) << pilot.describe();
  EXPECT_EQ(cashBefore - cashAfter, 1200) << "two lasers at $600";
  EXPECT_EQ(Ships[0]->getMount(0), LaserMount);
  EXPECT_EQ(Ships[0]->getMount(1), LaserMount);
  EXPECT_LT(pirateArmor, 0) << "the pirate is still up after " << fightSeconds << " s; " << pilot.describe();
  EXPECT_GT(lowestArmor, 0) << "the pilot's ship went down";
  EXPECT_GT(pilot.log().shots, 0);
  EXPECT_GT(pilot.log().targetPresses, 0);
  RecordProperty("fightSeconds", std::to_string(fightSeconds));
  RecordProperty("lowestArmor", std::to_string(lowestArmor));
}

}  // namespace
