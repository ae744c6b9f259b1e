// What a ship's loss takes from the world map: the kill pay of the player's kills, and the node a
// dark-escaper carrier flees to when it is destroyed while the player flies a fleet ship.
#include <gtest/gtest.h>

#include "tests/ships/LevelShipFixture.h"

namespace {
class KillPayTest : public LevelShipTest {};
const D3DVECTOR East{1, 0, 0};
}  // namespace

TEST_F(KillPayTest, ThePlayersKillsPayTheWorldsKillValueAndOthersPayNothing) {
  World->KillValue = 150;
  Player->Cash = 0;
  for (Integer source : {Integer{0}, Integer{3}}) {
    CShip& s = shipAt(2, 0, 0, 0);
    s.Shields = 0;
    s.Armor = 5;
    s.Hit(skSplashDamage, source, East, 500);
    EXPECT_LT(s.Armor, 0) << source;
  }
  EXPECT_EQ(Player->Cash, 150);
}

TEST_F(KillPayTest, ADestroyedDarkEscaperCarrierFleesToANeighbouringNode) {
  CShip& player = shipAt(0, 0, 0, 0);
  player.setSecondary(7, true);
  player.setSecondaryAmmo(7, 2);
  CShip& carrier = shipAt(1, 500, 0, 0, sbCapital);
  MotherShip = 1;
  MotherPlayer = std::make_shared<CPlayer>();
  MotherPlayer->HasDarkEscaper = true;
  carrier.Shields = 0;
  carrier.Armor = 5;
  carrier.Hit(skSplashDamage, 2, East, 5000);
  EXPECT_EQ(MotherShip, -1);
  EXPECT_TRUE((MotherNodePath == "away" && MotherNodeTitle == "Away") ||
              (MotherNodePath == "gone" && MotherNodeTitle == "Gone"))
      << MotherNodePath << " / " << MotherNodeTitle;
  EXPECT_EQ(player.getSecondaryAmmo(7), 1);
  EXPECT_EQ(MotherPlayer->Armor, 1.0f);
}
