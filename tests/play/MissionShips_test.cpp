// The ships a running mission names, in the real main loop on the shipped content: the rich man of
// the Quiet Heist (tag "mark", a unit that flees the map when a ship it does not fight turns on
// it) stays on the map for the mission when the pirate he fought goes down, instead of warping out
// and leaving the heist with nothing to disable. The mission is taken at the Ninja Harbor board
// (BoardMission.h); the pirate is brought in by the map's mission spawner beside him and downed by
// a blow from the test (less than play).
#include <gtest/gtest.h>

#include <string>

#include "levels/CMap.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/play/BoardMission.h"

namespace {

class MissionShipsTest : public BoardMissionTest {};

Integer shipTagged(const std::string& tag) {
  for (size_t i = 1; i < Ships.size(); ++i)
    if (Ships[i] && Ships[i]->Exists && Ships[i]->getTag() == tag) return static_cast<Integer>(i);
  return -1;
}

}  // namespace

TEST_F(MissionShipsTest, TheHeistsMarkStaysWhenTheShipHeFoughtGoesDown) {
  // A pirate is brought in beside the mark; once the mark has turned on it, a blow disables the
  // pirate (a wreck still hostile to him: the moment he would flee).
  Integer mark = -1, pirate = -1;
  Double stayed = 0;
  bool downed = false;
  playMission("ninjaharbor", "ninjaheist.pnd", {"courier.pnd"}, [] {}, [&] {
    if (mark < 0) mark = shipTagged("mark");
    if (mark < 0) return true;
    CShip& m = *Ships[static_cast<size_t>(mark)];
    if (pirate < 0) {
      if (m.getRealWarp() != 0) return true;  // until he has warped in
      CurMap->MissionSpawn("pirate_poor", "raider", m.x + 500, m.y, -1);
      pirate = shipTagged("raider");
      return pirate >= 0;
    }
    CShip& p = *Ships[static_cast<size_t>(pirate)];
    if (!downed) {
      if (m.SecondaryTarget == pirate && m.checkAIHostile(pirate)) {
        p.Hit(skSplashDamage, -1, D3DVECTOR{0, 1, 0}, 2 * (p.Shields + p.Armor) + 10);
        downed = true;
      }
      return true;
    }
    if (!m.Exists || m.getTag() != "mark" || m.getRealWarp() != 0) return false;
    stayed += FrameTime;
    return stayed < 25;
  });
  EXPECT_EQ(problem, "");
  ASSERT_GE(mark, 0) << "the heist brought in no mark";
  EXPECT_TRUE(downed) << "the mark never turned on the pirate";
  EXPECT_GE(stayed, 25) << "the mark left (warp " << Ships[static_cast<size_t>(mark)]->getRealWarp() << ", exists "
                        << Ships[static_cast<size_t>(mark)]->Exists << ") after " << stayed << " s";
}
