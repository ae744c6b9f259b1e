// The copy of a ship (what it takes from the source, what set-up resets), the warp tunnel's
// sprites, and the crew thrown off a ship that has gone down.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ships/WeaponFixture.h"

namespace {
using P = CShipWeaponProbe;
}  // namespace

class CopyTest : public FlightTest {
 protected:
  void TearDown() override {
    Characters.clear();
    FlightTest::TearDown();
  }
};

TEST_F(CopyTest, ACopyTakesPlaceMountsAndConditionAndStartsOtherwiseFresh) {
  CShip& src = ready(2, armedDesign(1));
  src.x = 10;
  src.y = 20;
  src.e = 30;
  src.r = 1.0f;
  src.roll = 0.2f;
  src.Pitch = -0.1f;
  src.setMount(0, 1);
  src.setMount(1, 5);
  src.setMount(6, 3);  // beyond the source's own last mount: copied all the same
  P::firingRate(src) = 1.5f;
  src.Armor = 123;
  src.Shields = 45;
  P::maxArmor(src) = 777.4f;
  src.Fuel = 999;
  src.SecondaryTarget = 5;
  src.setTag("leader");
  src.setResource(3, 4);

  CShipDef other = armedDesign(2);
  other.MaxArmor = 50;
  Ships[9] = std::make_shared<CShip>();
  CShip& c = *Ships[9];
  c.Clone(9, 2, other);
  EXPECT_TRUE(c.Exists);
  EXPECT_EQ(c.ID, 9);
  EXPECT_EQ(c.getTotalMounts(), 2);  // the given design
  EXPECT_EQ(c.x, 10);
  EXPECT_EQ(c.y, 20);
  EXPECT_EQ(c.e, 30);
  EXPECT_EQ(c.r, 1.0f);
  EXPECT_EQ(c.roll, 0.2f);
  EXPECT_EQ(c.Pitch, -0.1f);
  for (Integer i = 0; i < CShip::MountSlots; ++i) EXPECT_EQ(c.getMount(i), src.getMount(i)) << i;
  EXPECT_EQ(c.getFiringRate(), 1.5f);
  // Interval over the copy's mounts 0..2 (weights 1 + 0.1) at rate 1.5.
  EXPECT_NEAR(P::primaryInterval(c), 0.25 / (1.1 * 1.5), 1e-6);
  EXPECT_EQ(c.Armor, 123);
  EXPECT_EQ(c.Shields, 45);
  EXPECT_EQ(c.getMaxArmor(), 777);  // the source's maximum, whole
  EXPECT_EQ(c.getMaxShields(), src.getMaxShields());
  EXPECT_EQ(c.Fuel, 999);
  // What set-up gives every ship.
  EXPECT_EQ(c.SecondaryTarget, -1);
  EXPECT_EQ(c.getTag(), "");
  EXPECT_EQ(c.getResource(3), 0);

  EXPECT_THROW(c.Clone(9, 16, other), VbError);  // no such ship
  Ships[4].reset();
  EXPECT_THROW(c.Clone(9, 4, other), VbError);  // an empty slot
}

TEST_F(CopyTest, TheTunnelStreamsSixtyTwoRingsAndOneFlareBackward) {
  for (Long body : {sbCar, sbCapital}) {
    Sprites.clear();
    CShip& s = ready(4, armedDesign(3, body));
    P::tunnelPending(s) = true;
    P::trickYaw(s) = 0.7f;
    s.MakeMyTunnel();
    EXPECT_FALSE(P::tunnelPending(s));
    EXPECT_EQ(P::trickYaw(s), 0);
    const std::vector<PoolEntry> rings = liveOfKind(skTunnelRing);
    const std::vector<PoolEntry> flares = liveOfKind(skTunnelFlare);
    ASSERT_EQ(rings.size(), 62u) << body;
    ASSERT_EQ(flares.size(), 1u) << body;
    // Heading 0 flies along +y: the tunnel streams along -y (drawing -z) at 75000, the flare 25
    // times slower.
    for (const PoolEntry& p : rings) {
      EXPECT_EQ(p.owner, 4);
      EXPECT_EQ(p.target, -1);
      EXPECT_NEAR(p.traj.z, -75000, 1);
      EXPECT_NEAR(p.traj.y, 0, 1e-3);
    }
    EXPECT_EQ(flares[0].owner, 4);
    EXPECT_NEAR(flares[0].traj.z, -3000, 1);
  }
}

TEST_F(CopyTest, TheCrewIsThrownIntoFreeCharacterSlots) {
  Characters.clear();
  for (int k = 0; k < 16; ++k) {
    Characters.push_back(std::make_shared<CCharacter>());
    if (k < 3) Characters.back()->Init();  // slots 0..2 taken
  }
  CShip& s = ready(0);
  s.x = 100;
  s.y = 200;
  s.e = 50;
  s.xM = 1000;
  Long pose = 0;
  s.fullInitChar(0, "drv", "driver.bmp", pose);
  s.fullInitChar(1, "gun", "gunner.bmp", pose);
  s.fullInitChar(2, "nobody", "", pose);  // no texture: stays on board
  GameInterface->Window = msDemo;
  s.randomCrew();  // the damage step's call when the ship goes down
  EXPECT_EQ(P::charIndex(s)[0], 3);
  EXPECT_EQ(P::charIndex(s)[1], 4);
  EXPECT_FALSE(Characters[5]->Exists);
  for (int k : {3, 4}) {
    const CCharacter& c = *Characters[static_cast<size_t>(k)];
    EXPECT_TRUE(c.Exists);
    EXPECT_EQ(c.FreeFalling, 1.0f);
    EXPECT_EQ(c.getAnim(), 25);  // falling
    EXPECT_EQ(c.x, 100);
    EXPECT_EQ(c.y, 200);
    EXPECT_EQ(c.e, 50);
    EXPECT_GE(c.xM, 900);
    EXPECT_LE(c.xM, 1100);
    EXPECT_GE(c.eM, -100);
    EXPECT_LE(c.eM, 100);
  }
  EXPECT_EQ(Characters[3]->getModel(), "drv");
  EXPECT_EQ(Characters[4]->getTexture(), "gunner.bmp");
  // The title camera follows the last one thrown.
  EXPECT_EQ(GameInterface->DemoSceneFollow, 4);
  EXPECT_EQ(GameInterface->DemoSceneMode, 7);

  // No free slot: nobody is thrown and nothing changes.
  for (auto& c : Characters) c->Exists = true;
  P::charIndex(s) = {7, 8};
  const std::shared_ptr<CCharacter> before = Characters[10];
  P::ejectCrew(s);
  EXPECT_EQ(Characters[10], before);
  EXPECT_EQ(P::charIndex(s)[0], 7);
  EXPECT_EQ(P::charIndex(s)[1], 8);
}
