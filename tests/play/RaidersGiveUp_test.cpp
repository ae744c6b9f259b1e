// What destroyed a new game's ship on the Los Gatos mission-control pad just after Hold the Gate's
// "They gave up. Fifteen hundred, as promised." and "mission complete!": the raiders did not give
// up. Their mission tags lapse with the mission, and they stay, hostile, shooting the ship on its
// pad (and drawing the fire of every other ship that hunts pirates onto it). Now the script sends
// the raiders still flying away (they stop fighting and warp out), and the pad is quiet after.
// Played in the real main loop on the shipped content at "easy" in a new game's ship that stays
// on the pad; the mission is taken at the board (BoardMission.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ships/CShip.h"
#include "tests/play/BoardMission.h"

namespace {

class RaidersGiveUpTest : public BoardMissionTest {};

constexpr Long FramesAfterEnd = 400;  // 40 s on the pad after the end
constexpr Double Settle = 5;          // seconds for shots already flying at the end

}  // namespace

TEST_F(RaidersGiveUpTest, AfterHoldTheGateTheRaidersLeaveAndThePadIsQuiet) {
  std::vector<Integer> raiders;  // the ships the mission brought in, by the tags it gave them
  Double afterEnd = 0;
  Single banner = 0;  // the result banner's clock at the end (4: "mission complete!")
  Single last = -1, lost = 0;
  std::string stillHere;
  bool wrecked = false;
  framesAfterEnd = FramesAfterEnd;
  playMission("losgatos", "holdout.pnd", {}, [] {}, [&] {
    const CShip& me = *Ships[0];
    if (!me.Exists || me.Armor < 0) {
      wrecked = true;
      return false;
    }
    if (MissionControl->Reading) {
      for (size_t i = 1; i < Ships.size(); ++i) {
        const CShip* s = Ships[i].get();
        const bool raider = s && s->Exists && s->getTag().rfind("raider", 0) == 0;
        if (raider && std::find(raiders.begin(), raiders.end(), static_cast<Integer>(i)) == raiders.end())
          raiders.push_back(static_cast<Integer>(i));
      }
      return true;
    }
    if (afterEnd == 0) banner = MissionControl->MissionCompleteFrame;
    afterEnd += FrameTime;
    if (afterEnd < Settle) return true;
    const Single now = me.Shields + me.Armor;
    if (last >= 0 && now < last) lost += last - now;
    last = now;
    if (afterEnd > 15 && stillHere.empty())
      for (const Integer i : raiders) {
        const CShip& s = *Ships[static_cast<size_t>(i)];
        if (s.Exists && s.Armor > 0) stillHere = "ship " + std::to_string(i) + " at warp " + std::to_string(s.getRealWarp());
      }
    return true;
  });
  EXPECT_EQ(problem, "");
  EXPECT_EQ(raiders.size(), 2u) << "the mission brought in " << raiders.size() << " raiders";
  EXPECT_GT(banner, 3.5f) << "no \"mission complete!\"";
  EXPECT_FALSE(wrecked) << "the player's ship was destroyed " << afterEnd << " s after the mission's end";
  EXPECT_EQ(stillHere, "") << "a raider still flies 15 s after the raiders gave up";
  EXPECT_EQ(lost, 0) << "the ship on the pad was hit after the raiders gave up";
}
