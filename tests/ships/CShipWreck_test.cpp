// The end of a ship and its contacts: explosions and their splash, the end boss, the wreck
// countdown and sparks, ship contacts from above and from the side, rams, and meetings.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/FuncMod.h"
#include "tests/ships/LevelShipFixture.h"

class WreckTest : public LevelShipTest {
 protected:
  // Ships(i) at (x, y), height e, 40 wide, 30 high, 100 deep.
  CShip& body(Integer i, Single x, Single y, Single e, Long b = sbCar) {
    CShip& s = shipAt(i, x, y, e, b);
    CShipLevelProbe::setExtents(s, 40, 30, 100);
    return s;
  }
  static bool untouched(const CShip& s) { return s.Shields == 300 && s.Armor == 400; }
  // Moves a beside b (50 apart, same height) and runs a's contact step; True on a contact.
  static bool touch(CShip& a, const CShip& b) {
    a.x = b.x + 50;
    a.y = b.y;
    a.e = b.e;
    return CShipLevelProbe::checkShipCollisions(a, a.x, a.e, a.y);
  }
};

TEST_F(WreckTest, ACarrierExplodesWithSplashDamageAroundIt) {
  CShip& c = body(1, 0, 0, 0, sbCapital);
  CShip& near = body(2, 600, 0, 0);
  CShip& far = body(3, 1200, 0, 0);
  CShipLevelProbe::Explode(c);
  EXPECT_EQ(spritesOfKind(skDebris4), 16);
  EXPECT_EQ(spritesOfKind(skDebris1) + spritesOfKind(skDebris2) + spritesOfKind(skDebris3), 11);
  EXPECT_EQ(spritesOfKind(skTorBurst), 1);
  EXPECT_EQ(spritesOfKind(skRingFade), 2);
  EXPECT_FLOAT_EQ(CamShake, 0.4f);
  EXPECT_FALSE(untouched(near));
  EXPECT_TRUE(untouched(far));
  // A plain ship's blast hurts nobody.
  CShip& car = body(4, 600, 100, 0);
  const Single shields = near.Shields;
  CShipLevelProbe::Explode(car);
  EXPECT_EQ(near.Shields, shields);
  for (const CSprite& s : Sprites)
    if (s.Exists && s.sType == skRing) {
      EXPECT_EQ(s.getSize(), 25);
    }
}

TEST_F(WreckTest, TheBossTakesThePlayersEnemiesWithIt) {
  shipAt(0, 0, -2000, 0);
  CShip& boss = body(1, 0, 0, 0);
  boss.IsRedMotama = true;
  CShip& foe = body(2, 3000, 0, 0);
  CShip& respawner = body(3, -3000, 0, 0);
  CShip& friendly = body(4, 0, 3000, 0);
  foe.setAIHostile(0, true);
  respawner.setAIHostile(0, true);
  respawner.setTag("respawn");
  CShipLevelProbe::Explode(boss);
  EXPECT_LT(foe.Armor, 0);
  EXPECT_LT(respawner.Armor, 0);
  EXPECT_EQ(respawner.getTag(), "");
  EXPECT_GE(CShipLevelProbe::deathThroes(foe), 1);
  EXPECT_TRUE(untouched(friendly));
  EXPECT_EQ(CurMap->MapWeather, 4);
  EXPECT_EQ(CurMap->getBlue(), 1);
  EXPECT_FLOAT_EQ(CamShake, 3.0f);
  // the player faces the blast: the bearing from (0, -2000) to the origin plus 1.57
  EXPECT_NEAR(Ships[0]->r, getAngle(0, -2000, 0, 0) + 1.57f, 1e-5);
}

TEST_F(WreckTest, WreckCountdown) {
  struct Case {
    const char* what;
    Long body;
    const char* gift;
    bool blarg;
    bool dies;
  };
  const Case cases[] = {
      {"plain wreck", sbCar, "", false, true},
      {"gift wreck", sbCar, "crate", false, false},
      {"blarg", sbCar, "", true, false},
  };
  for (const Case& c : cases) {
    CShip& w = body(1, 0, 0, 0, c.body);
    w.Armor = -1;
    w.tractorGift = c.gift;
    w.IAmBlarg = c.blarg;
    CShipLevelProbe::sparkVal(w) = 40;
    FrameTime = 0.05;
    for (int k = 0; k < 1000 && CShipLevelProbe::sparkVal(w) != 0; ++k) CShipLevelProbe::updateWreck(w);
    if (c.dies) {
      EXPECT_EQ(CShipLevelProbe::sparkVal(w), 0) << c.what;
      EXPECT_EQ(w.Armor, -9999) << c.what;
      EXPECT_FLOAT_EQ(CShipLevelProbe::deathThroes(w), 0.1f) << c.what;
    } else {
      EXPECT_GE(CShipLevelProbe::sparkVal(w), 0.9f) << c.what;
      EXPECT_EQ(w.Armor, -1) << c.what;
    }
  }
  EXPECT_GT(spritesOfKind(skZap), 0);
  EXPECT_GT(spritesOfKind(skZapB), 0);  // the blarg's sparks

  // A carrier wreck mostly loses a cargo kind and stays a wreck.
  int stayed = 0;
  for (int trial = 0; trial < 200; ++trial) {
    CShip& w = body(1, 0, 0, 0, sbCapital);
    w.Armor = -1;
    for (Integer k = 0; k < CShip::GoodsKinds; ++k) w.setResource(k, 10);
    CShipLevelProbe::sparkVal(w) = 0.01f;
    CShipLevelProbe::updateWreck(w);
    EXPECT_EQ(CShipLevelProbe::sparkVal(w), 0);
    int cargo = 0;
    for (Integer k = 0; k < CShip::GoodsKinds; ++k) cargo += w.getResource(k) > 0;
    if (w.Armor == -1) {
      ++stayed;
      EXPECT_EQ(cargo, CShip::GoodsKinds - 1);
    }
  }
  EXPECT_NEAR(stayed / 200.0, 0.8, 0.08);
}

TEST_F(WreckTest, TorpedoSparksRunOutInASecond) {
  CShip& s = body(1, 0, 0, 0);
  CShipLevelProbe::sparkVal(s) = -1;
  FrameTime = 0.01;
  for (int k = 0; k < 99; ++k) CShipLevelProbe::updateWreck(s);
  EXPECT_LT(CShipLevelProbe::sparkVal(s), 0);
  CShipLevelProbe::updateWreck(s);
  CShipLevelProbe::updateWreck(s);
  EXPECT_EQ(CShipLevelProbe::sparkVal(s), 0);
  EXPECT_GT(spritesOfKind(skZap), 4);  // twenty chances a second, half of them taken
  EXPECT_EQ(s.Armor, 400);
}

TEST_F(WreckTest, ContactFromAboveRestsOnTopWithoutARam) {
  CShip& me = body(1, 0, 0, 25);
  CShip& other = body(2, 10, 0, 0);
  me.setAIHostile(2, true);
  other.setAIHostile(1, true);
  me.Speed = 800;
  // came down from 40: H = 15 + 15
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(me, 0, 40, 0));
  EXPECT_FLOAT_EQ(me.e, 30);
  EXPECT_TRUE(untouched(other));
  // from below
  me.e = -25;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(me, 0, -40, 0));
  EXPECT_FLOAT_EQ(me.e, -30);
  // no contact beyond the depth or the height
  me.e = 0;
  me.x = 110;
  EXPECT_FALSE(CShipLevelProbe::checkShipCollisions(me, 110, 0, 0));
  me.x = 10;
  me.e = 31;
  EXPECT_FALSE(CShipLevelProbe::checkShipCollisions(me, 10, 31, 0));
}

TEST_F(WreckTest, SideContactsPushApartAndTheStrongerRams) {
  CShip& me = body(1, 50, 0, 0);
  CShip& other = body(2, 0, 0, 0);
  me.setAIHostile(2, true);
  other.setAIHostile(1, true);
  // equal forces: pushed out to touching distance (D = 100), nobody hurt
  me.Speed = other.Speed = 300;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(me, 50, 0, 0));
  EXPECT_NEAR(std::hypot(me.x - other.x, me.y - other.y), 100, 1e-3);
  EXPECT_TRUE(untouched(me));
  EXPECT_TRUE(untouched(other));

  // the faster rams: its target takes f / 10, itself f / 50; both are then exempt for 0.5 s
  me.x = 50;
  me.Speed = 900;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(me, 50, 0, 0));
  const Single hurtOther = 700 - other.Shields - other.Armor;
  const Single hurtMe = 700 - me.Shields - me.Armor;
  EXPECT_GT(hurtOther, hurtMe);
  EXPECT_GT(hurtMe, 0);
  EXPECT_FLOAT_EQ(me.SmashExempt, 0.5f);
  EXPECT_FLOAT_EQ(other.SmashExempt, 0.5f);
  // the slower one is rammed by the other when it runs into it
  me.SmashExempt = other.SmashExempt = 0;
  me.x = 50;
  me.Speed = 100;
  const Single beforeMe = me.Shields;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(me, 50, 0, 0));
  EXPECT_LT(me.Shields, beforeMe);
  // friends do not ram each other
  CShip& a = body(3, 5000, 0, 0);
  CShip& b = body(4, 5050, 0, 0);
  a.Speed = 900;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(a, 5000, 0, 0));
  EXPECT_TRUE(untouched(b));
  EXPECT_EQ(b.SmashExempt, 0);
}

TEST_F(WreckTest, ThePlayerRamsAnyoneButItsCarrierAndNotFromAScreen) {
  CShip& p = body(0, 50, 0, 0);
  CShip& t = body(2, 0, 0, 0);
  p.Speed = 900;
  // a friendly ram pushes (the ram cooldown starts) but does no harm
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(p, 50, 0, 0));
  EXPECT_FLOAT_EQ(t.SmashExempt, 0.5f);
  EXPECT_TRUE(untouched(t));
  struct Case {
    const char* what;
    bool carrier;
    Long window;
  };
  for (Case c : {Case{"own carrier", true, 0}, Case{"screen up", false, 5}}) {
    t.SmashExempt = p.SmashExempt = 0;
    p.x = 50;
    MotherShip = c.carrier ? 2 : -1;
    GameInterface->Window = c.window;
    CShipLevelProbe::checkShipCollisions(p, 50, 0, 0);
    EXPECT_EQ(t.SmashExempt, 0) << c.what;
    EXPECT_EQ(p.SmashExempt, 0) << c.what;
  }
}

TEST_F(WreckTest, AMeetingCompletesOnContactAndExemptsBothFromRams) {
  CShip& p = body(0, 50, 0, 0);
  CShip& gas = body(2, 0, 0, 0);
  gas.setAIHostile(0, true);
  p.Fuel = 1000;  // of 3000
  Player->Cash = 40;
  gas.makeMeet(0, 17, 0, 0, 0, 0);
  gas.setTag("gasmancometh");
  p.Speed = 900;
  EXPECT_TRUE(CShipLevelProbe::checkShipCollisions(gas, 0, 0, 0));
  // 2000 missing at 0.04 cost 80: the 40 in cash buy half of it
  EXPECT_EQ(p.Fuel, 2000);
  EXPECT_EQ(Player->Cash, 0);
  EXPECT_EQ(gas.Meeter, -1);
  EXPECT_EQ(gas.getTag(), "");
  EXPECT_FLOAT_EQ(gas.SmashExempt, 5.0f);
  EXPECT_FLOAT_EQ(p.SmashExempt, 5.0f);
  EXPECT_TRUE(GameInterface->getTalkBox());
  // no ram within the five seconds
  EXPECT_TRUE(touch(p, gas));
  EXPECT_TRUE(untouched(gas));
}

TEST_F(WreckTest, MeetingsChargeThePlayerOnlyWhenThePlayerIsThePartner) {
  body(0, 9000, 0, 0);
  CShip& seller = body(2, 0, 0, 0);
  CShip& buyer = body(3, 40, 0, 0);
  Player->Cash = 1000;
  // fuel sale to another ship
  buyer.Fuel = 100;
  seller.makeMeet(3, 3, 300, 0, 0, 0);
  EXPECT_TRUE(touch(seller, buyer));
  EXPECT_EQ(buyer.Fuel, 600);
  EXPECT_EQ(Player->Cash, 1000);
  EXPECT_FALSE(seller.checkAIHostile(0));
  // fuel top-up of another ship
  buyer.Fuel = 100;
  seller.makeMeet(3, 17, 0, 0, 0, 0);
  EXPECT_TRUE(touch(seller, buyer));
  EXPECT_EQ(buyer.Fuel, 3000);
  EXPECT_EQ(Player->Cash, 1000);

  // the player short of cash for a sale: cash 0 and the seller turns hostile
  CShip& p = body(0, 9000, 0, 0);
  p.Fuel = 100;
  Player->Cash = 100;
  seller.makeMeet(0, 3, 300, 0, 0, 0);
  EXPECT_TRUE(touch(seller, p));
  EXPECT_EQ(p.Fuel, 600);
  EXPECT_EQ(Player->Cash, 0);
  EXPECT_TRUE(seller.checkAIHostile(0));
  // a goods swap copies the player's new counts to the record
  p.setResource(2, 12);
  seller.makeMeet(0, 1, 2, 5, 10, 0);
  EXPECT_TRUE(touch(seller, p));
  EXPECT_EQ(p.getResource(2), 2);
  EXPECT_EQ(p.getResource(5), 10);
  EXPECT_EQ(Player->getResource(2), 2);
  EXPECT_EQ(Player->getResource(5), 10);
  // not enough goods: nothing changes hands
  seller.makeMeet(0, 1, 2, 5, 10, 0);
  EXPECT_TRUE(touch(seller, p));
  EXPECT_EQ(p.getResource(2), 2);
}
