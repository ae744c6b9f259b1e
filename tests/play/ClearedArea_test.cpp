// An area a mission clears holds no ship that attacks the player, in the real main loop on the
// shipped content: the Grand Tour taken at the Zafia Alley mission-control board (its script opens
// with "lock" and "clearout"), where the zafia are hostile to the player by nature. Ships that
// warp in while the clear-out comes leave the map with the rest, and a ship the clear-out could
// not send away (tagged "stuck") leaves the player alone while the mission runs.
// The mission is taken at the board as BoardMission.h says; the zafia ships are brought in by the
// map's mission spawner (less than play). The player's new ship sits on the mission-control pad.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "engine/GameGlobals.h"
#include "levels/CMap.h"
#include "ships/CShip.h"
#include "tests/play/BoardMission.h"

namespace {

// What a run saw from the clear-out on.
struct Watch {
  bool cleared = false;  // the mission's clear-out came
  Double since = 0;      // seconds since the clear-out
  Single lost = 0;       // shields and armour the player lost from WaitSeconds on
  Single last = -1;      // the player's shields plus armour in the frame before
  std::string attacker;  // a ship hostile to the player from WaitSeconds on ("" none)
};

class ClearedAreaTest : public BoardMissionTest {
 protected:
  static constexpr Double WaitSeconds = 20;  // time the ships sent away have to leave

  // Takes the tour at the Zafia Alley board; `beforeAccept` runs while the board shows, `after`
  // once a frame from the clear-out on until it returns false (or 80 s pass).
  void playTour(const std::function<void()>& beforeAccept, const std::function<bool(Watch&)>& after) {
    playMission("zafiaalley", "tour.pnd", {"courier.pnd"}, beforeAccept, [&] {
      if (!watch.cleared) {
        watch.cleared = SceneEvent == 4;
        return true;
      }
      watch.since += FrameTime;
      const CShip& me = *Ships[0];
      if (!me.Exists || me.Armor < 0) {
        stop("the player's ship was wrecked " + std::to_string(watch.since) + " s after the clear-out");
        return false;
      }
      if (watch.since >= WaitSeconds) {
        const Single now = std::max(0.0f, me.Shields + me.Armor);
        if (watch.last >= 0 && now < watch.last) watch.lost += watch.last - now;
        watch.last = now;
        for (size_t i = 1; i < Ships.size(); ++i) {
          CShip* s = Ships[i].get();
          if (watch.attacker.empty() && s && s->Exists && s->Armor > 0 && s->checkAIHostile(0))
            watch.attacker = "ship " + std::to_string(i) + " (unit " + std::to_string(s->getAIType()) + ", tag \"" +
                             s->getTag() + "\")";
        }
      }
      return after(watch) && watch.since < 80;
    });
  }

  Watch watch;
};

}  // namespace

TEST_F(ClearedAreaTest, ShipsWarpingInWhenTheClearOutComesLeaveWithTheRest) {
  // Three zafia hitmen warp in while the board shows; the clear-out comes during their warp-in.
  playTour(
      [&] {
        for (const Single heading : {0.5f, 2.6f, 4.7f}) CurMap->MissionSpawn("zafia_hitman", "", 0, 0, heading);
      },
      [&](Watch& wt) { return wt.since < 40; });
  EXPECT_EQ(problem, "");
  EXPECT_TRUE(watch.cleared);
  EXPECT_EQ(watch.attacker, "") << "a ship hostile to the player stayed in the cleared area";
  EXPECT_EQ(watch.lost, 0) << "the player was hit in the cleared area";
  for (size_t i = 1; i < Ships.size(); ++i) {
    const CShip* s = Ships[i].get();
    EXPECT_FALSE(s && s->Exists && s->getAIType() == 41) << "a hitman is still here: ship " << i << ", tag \""
                                                          << s->getTag() << "\", warp " << s->getRealWarp();
  }
}

TEST_F(ClearedAreaTest, AShipTheClearOutCouldNotSendAwayLeavesThePlayerAlone) {
  // A zafia hitman tagged "stuck" (what the clear-out gives a ship that did not get away) is put
  // 800 units from the player once the ships sent away have gone.
  bool placed = false;
  playTour([] {},
           [&](Watch& wt) {
             if (!placed && wt.since >= WaitSeconds) {
               placed = true;
               const CShip& me = *Ships[0];
               CurMap->MissionSpawn("zafia_hitman", "stuck", me.x + 800, me.y, -1);
             }
             return wt.since < WaitSeconds + 20;
           });
  EXPECT_EQ(problem, "");
  EXPECT_TRUE(placed);
  EXPECT_EQ(watch.attacker, "") << "the stuck ship turned on the player";
  EXPECT_EQ(watch.lost, 0) << "the player was hit in the cleared area";
}
