// Damage: the damage table and the shield/armour split, knock-back and side tips, rams, god mode
// and difficulty, the debris bursts at armour crossings, disabled versus destroyed, kills and
// bounties, the player's feedback and the pilot's hostility, and the sound behaviour for a zero
// push direction, a ship without size and a ship without armour.
#include <gtest/gtest.h>

#include <cmath>

#include "campaign/CMissionControl.h"
#include "tests/ships/FlightFixture.h"

using P = CShipFlightProbe;

class CInterfaceProbe {
 public:
  static Integer comboHits(const CInterface& i) { return i.comboHits; }
  static Single xhairRedTimer(const CInterface& i) { return i.xhairRedTimer; }
  static int liveSplats(const CInterface& i) {
    int n = 0;
    for (const auto& s : i.hitSplats) n += s.life > 0;
    return n;
  }
  static const std::string& bountyMsg(const CInterface& i) { return i.bountyMsg; }
};

namespace {
const D3DVECTOR East{1, 0, 0};

class DamageTest : public FlightTest {
 protected:
  // Ship i with full shields and armour and a size of 100.
  CShip& target(Integer i, Long body = sbCar) {
    CShip& s = ready(i, flightDesign(body));
    P::shipSize(s) = 100;
    return s;
  }
};
}  // namespace

TEST_F(DamageTest, TheDamageTableSplitsBetweenShieldsAndArmour) {
  struct Case {
    Long kind;
    Single amount, base, share;
  };
  const Case cases[] = {
      {skLaserShot, 0, 20, 0.02f},   {skRocket, 0, 20, 0.1f},      {skTorpedo, 0, 200, 0.02f},
      {skShortShot, 0, 300, 0.02f},  {skNeuBoltB, 0, 500, 0.015f}, {skPanelShotB, 0, 4, 0.2f},
      {skSplashDamage, 80, 80, 0.05f}, {skNeuShot, 0, 0, 0.1f},    {5, 1000, 0, 0},  // unknown kind: nothing
  };
  for (const Case& c : cases) {
    CShip& s = target(1);
    s.Shields = 250;
    s.Armor = 350;
    s.Hit(c.kind, -1, East, c.amount);
    const double D = c.base / 2;
    EXPECT_NEAR(s.Shields, 250 - (D - D * c.share), 1e-3) << c.kind;
    EXPECT_NEAR(s.Armor, 350 - D * c.share, 1e-3) << c.kind;
    EXPECT_EQ(P::hitFlash(s), D > 0 ? 0.1f : 0.0f) << c.kind;
    EXPECT_EQ(s.ShieldRecharge, D > 0 ? 10.0f : 0.0f) << c.kind;
  }
}

TEST_F(DamageTest, ShieldsPassTheirShortfallToTheArmourAndCapsHoldForEveryKind) {
  CShip& s = target(1);
  s.Shields = 5;
  s.Armor = 400;
  s.Hit(skShortShot, -1, East, 0);  // 150: 147 at the shields, 3 at the armour
  EXPECT_EQ(s.Shields, 0);
  EXPECT_NEAR(s.Armor, 400 - 3 - 142, 1e-3);

  // An unknown kind deals nothing but still caps values above the maxima.
  s.Shields = 350;
  s.Armor = 450;
  s.Hit(3, 2, East, 0);
  EXPECT_EQ(s.Shields, 300);
  EXPECT_EQ(s.Armor, 400);
  EXPECT_EQ(P::pilot(s).JobTarget, -1);  // no damage: no reaction

  // A heart shot repairs half and half, within the maxima, without push.
  s.Shields = 100;
  s.Armor = 100;
  const Single pushed = P::pushX(s);
  s.Hit(skHeartShot, 0, East, 0);
  EXPECT_EQ(s.Shields, 300);
  EXPECT_EQ(s.Armor, 400);
  EXPECT_EQ(P::pushX(s), pushed);
  EXPECT_FALSE(s.checkAIHostile(0));
}

TEST_F(DamageTest, KnockBackAndSideTips) {
  CShip& s = target(1);
  s.r = 0;  // facing -z... heading 0 points along (cos(-1.57), -sin(-1.57)) = (0, 1): +y ground
  s.Hit(skShortShot, -1, D3DVECTOR{0, 0, 2}, 0);  // D 150: k = 250 x 150 / 100
  EXPECT_NEAR(P::pushY(s), 375, 1e-3);
  EXPECT_EQ(P::pushX(s), 0);

  struct Case {
    D3DVECTOR dir;
    int rollSign;
  };
  // Heading 0: h = -1.57; a push toward +x (bearing 0) is rel 1.57, a side blow that rolls
  // negative; toward -x (bearing 3.14) rel 4.71 rolls positive; along the heading nothing.
  for (Case c : {Case{{1, 0, 0}, -1}, Case{{-1, 0, 0}, +1}, Case{{0, 0, 1}, 0}}) {
    CShip& t = target(2);
    t.Hit(skLaserShot, -1, c.dir, 0);
    if (c.rollSign == 0) {
      EXPECT_EQ(t.roll, 0) << c.dir.x;
    } else {
      EXPECT_EQ(t.roll > 0 ? 1 : -1, c.rollSign) << c.dir.x;
    }
  }
}

TEST_F(DamageTest, AZeroDirectionOrAShipWithoutSizeTakesDamageButNoPush) {
  CShip& s = target(1);
  s.Hit(skShortShot, -1, D3DVECTOR{0, 0, 0}, 0);
  EXPECT_EQ(P::pushX(s), 0);
  EXPECT_EQ(P::pushE(s), 0);
  EXPECT_EQ(P::pushY(s), 0);
  EXPECT_EQ(s.roll, 0);
  EXPECT_NEAR(s.Armor, 400 - 3, 1e-3);

  CShip& t = target(2);
  P::shipSize(t) = 0;  // no model measured yet
  t.Hit(skShortShot, -1, East, 0);
  EXPECT_EQ(P::pushX(t), 0);
  EXPECT_TRUE(std::isfinite(t.roll));
  EXPECT_NEAR(t.Armor, 400 - 3, 1e-3);

  CShip& u = target(3);
  P::maxArmor(u) = 0;  // no armour at all: the armour fractions stay finite
  u.Armor = 0;
  u.Shields = 0;
  u.Hit(skShortShot, -1, East, 0);
  EXPECT_TRUE(std::isfinite(u.Armor));
  EXPECT_EQ(P::deathThroes(u), 1.0f);  // below -maxArmor / 2 = 0: destroyed
}

TEST_F(DamageTest, RamsPushAlwaysButHurtOnlyFromAHostilePilot) {
  CShip& s = target(1);
  ready(2);
  s.Hit(skRam, 2, East, 100);  // D = 50 / 5 + 10 = 20, but ship 2 is friendly
  EXPECT_NEAR(P::pushX(s), 250 * 50 / 100.0 * 0.8, 1e-3);
  EXPECT_EQ(s.Shields, 300);
  EXPECT_EQ(s.SmashExempt, 0.5f);

  s.Hit(skRam, 2, East, 100);  // within the cooldown: ignored entirely
  EXPECT_NEAR(P::pushX(s), 100, 1e-3);

  s.SmashExempt = 0;
  Ships[2]->setAIHostile(1, true);
  s.Hit(skRam, 2, East, 100);
  EXPECT_NEAR(s.Shields, 300 - 20 * 0.9, 1e-3);
  EXPECT_NEAR(s.Armor, 400 - 20 * 0.1, 1e-3);
  EXPECT_EQ(P::pilot(s).JobTarget, 2);
}

TEST_F(DamageTest, GodModeKeepsTheKnockBackAndDifficultyScalesThePlayersDamage) {
  CheatGod = true;
  CShip& p = target(0);
  p.Hit(skShortShot, 1, East, 0);
  EXPECT_EQ(p.Shields, 300);
  EXPECT_EQ(p.Armor, 400);
  EXPECT_NEAR(P::pushX(p), 375, 1e-3);
  EXPECT_EQ(CamShake, 0);  // no damage, no feedback
  CheatGod = false;

  for (Long level : {0, 1, 2, 3, 4}) {
    const double factor[] = {0.45, 0.75, 1.0, 1.5, 2.5};
    Player->Difficulty = level;
    CShip& q = target(0);
    q.Hit(skLaserShot, 1, East, 0);
    EXPECT_NEAR(q.Shields, 300 - 10 * factor[level] * 0.98, 1e-3) << level;
    CShip& other = target(2);  // other ships are not scaled
    other.Hit(skLaserShot, 1, East, 0);
    EXPECT_NEAR(other.Shields, 300 - 10 * 0.98, 1e-3) << level;
  }

  Player->Difficulty = 2;
  CShip& big = target(0, sbCapital);  // a Capital player ship takes half
  big.Hit(skLaserShot, 1, East, 0);
  EXPECT_NEAR(big.Shields, 300 - 5 * 0.98, 1e-3);
}

TEST_F(DamageTest, OneBurstOfDebrisPerHitThatCrossesArmourMarks) {
  struct Case {
    Single from, to;  // armour fractions
    int bursts;
  };
  for (Case c : {Case{0.9f, 0.4f, 1}, Case{0.9f, 0.88f, 0}, Case{0.96f, 0.94f, 1}, Case{0.1f, -0.1f, 1},
                 Case{0.5f, 0.5f, 0}}) {
    Sprites.clear();
    CShip& s = target(1);
    s.Shields = 0;
    s.Armor = 400 * c.from;
    // Splash damage with no shields: the whole halved amount reaches the armour.
    s.Hit(skSplashDamage, -1, East, 2 * 400 * (c.from - c.to));
    EXPECT_EQ(spritesOfKind(skExplodeFlash), 8 * c.bursts) << c.from << " -> " << c.to;
    EXPECT_EQ(spritesOfKind(skRing), c.bursts) << c.from << " -> " << c.to;
    const int debris = spritesOfKind(skDebris1) + spritesOfKind(skDebris2) + spritesOfKind(skDebris3);
    EXPECT_EQ(debris, 6 * c.bursts) << c.from << " -> " << c.to;
  }
  Sprites.clear();
  CShip& big = target(2, sbCapital);
  big.Shields = 0;
  big.Hit(skSplashDamage, -1, East, 400);
  EXPECT_EQ(spritesOfKind(skDebris4), 6);
}

TEST_F(DamageTest, DisabledOrDestroyed) {
  struct Case {
    Integer id;
    Long body;
    Single armourLeft;  // after the hit, before the rules
    bool blarg, gift, demo;
    bool destroyed;
    Single armor;  // expected afterwards
  };
  const Case cases[] = {
      {1, sbCar, -150, false, false, false, false, -150},  // a wreck that can be taken over
      {1, sbCar, -250, false, false, false, true, -200},   // below -maxArmor / 2
      {0, sbCar, -10, false, false, false, true, -200},    // the player's ship is never a wreck
      {1, sbBike, -10, false, false, false, true, -200},
      {1, sbFleshy, -10, false, false, false, true, -200},
      {1, sbCar, -10, false, false, true, true, -200},     // the title scene
      {1, sbCar, -150, true, false, false, false, -1},     // IAmBlarg and gift ships stay wrecks at -1
      {1, sbCar, -150, false, true, false, false, -1},
  };
  for (const Case& c : cases) {
    CShip& s = target(c.id, c.body);
    s.IAmBlarg = c.blarg;
    s.tractorGift = c.gift ? "gift" : "";
    GameInterface->Window = c.demo ? 32 : 0;
    s.Shields = 0;
    s.Armor = 50;
    s.Hit(skSplashDamage, -1, East, 2 * (50 - c.armourLeft));
    EXPECT_EQ(P::deathThroes(s) >= 1, c.destroyed) << c.id << " body " << c.body << " " << c.armourLeft;
    EXPECT_FLOAT_EQ(s.Armor, c.armor) << c.id << " body " << c.body << " " << c.armourLeft;
  }
}

TEST_F(DamageTest, AnEvacuatingCrewLeavesAHullThatTakesNoMoreHits) {
  CShip& s = target(1);
  s.autoEvac = 1;
  s.Shields = 0;
  s.Armor = 10;
  s.Hit(skSplashDamage, -1, East, 100);
  EXPECT_EQ(s.autoEvac, 2);
  EXPECT_EQ(s.Armor, 1.0f);
  EXPECT_EQ(P::deathThroes(s), 0);
  s.Hit(skSplashDamage, 0, East, 1000);
  EXPECT_EQ(s.Armor, 1.0f);
}

TEST_F(DamageTest, KillsPayBountiesAndOthersLoseThem) {
  CShip& s = target(1);
  s.IsBounty = 3;
  s.Shields = 0;
  s.Armor = 10;
  s.Hit(skSplashDamage, 0, East, 100);
  EXPECT_EQ(Player->getBountyHunted(3), 2);
  EXPECT_EQ(CInterfaceProbe::bountyMsg(*GameInterface), "target [R][r]: hunted!");

  CShip& t = target(2);
  t.IsBounty = 4;
  t.Shields = 0;
  t.Armor = 10;
  t.Hit(skSplashDamage, 5, East, 100);
  EXPECT_EQ(Player->getBountyHunted(4), 2);
  EXPECT_EQ(CInterfaceProbe::bountyMsg(*GameInterface), "target [R][r]: lost...");
  EXPECT_EQ(Player->Cash, 0);
}

TEST_F(DamageTest, ThePlayersHitsTurnTheVictimAndItsHitsShakeTheCamera) {
  CShip& player = target(0);
  CShip& s = target(1);
  s.Hit(skLaserShot, 0, East, 0);
  EXPECT_EQ(P::pilot(s).JobTarget, 0);
  EXPECT_TRUE(s.checkAIHostile(0));
  EXPECT_TRUE(player.checkAIHostile(1));
  EXPECT_EQ(CInterfaceProbe::comboHits(*GameInterface), 1);
  EXPECT_EQ(CInterfaceProbe::xhairRedTimer(*GameInterface), 1.0f);

  // During a pirate alert, or on a ship kept friendly, the player's hits start no feud.
  for (bool pirates : {true, false}) {
    CShip& f = target(2);
    SceneEvent = pirates ? 1 : 0;
    f.ForceFriend = !pirates;
    f.Hit(skLaserShot, 0, East, 0);
    EXPECT_FALSE(f.checkAIHostile(0)) << pirates;
    EXPECT_EQ(P::pilot(f).JobTarget, 0);
  }
  SceneEvent = 0;

  player.Hit(skLaserShot, 1, East, 0);
  EXPECT_EQ(CamShake, 0.3f);
  EXPECT_EQ(CInterfaceProbe::liveSplats(*GameInterface), 1);
  ClassicView = true;
  CamShake = 0;
  player.Hit(skLaserShot, 1, East, 0);
  EXPECT_EQ(CamShake, 0);
  EXPECT_EQ(CInterfaceProbe::liveSplats(*GameInterface), 1);
}

TEST_F(DamageTest, TheMotherShipIgnoresThePlayerAndEscapesNothingWhenDestroyed) {
  target(0);
  CShip& m = target(1, sbCapital);
  MotherShip = 1;
  m.Hit(skShortShot, 0, East, 0);
  EXPECT_EQ(m.Shields, 300);
  EXPECT_EQ(P::pushX(m), 0);
  EXPECT_FALSE(m.checkAIHostile(0));

  m.Shields = 0;
  m.Armor = 5;
  m.Hit(skSplashDamage, 2, East, 400);  // another ship's blow: the carrier is destroyed outright
  EXPECT_EQ(P::deathThroes(m), 1.0f);
  EXPECT_EQ(MotherShip, -1);
}

TEST_F(DamageTest, NoHitsWhileATalkBoxFocusesAShip) {
  CShip& s = target(1);
  GameInterface->MakeTalkBox("", "", false, false);
  GameInterface->PopFocID = 3;
  s.Hit(skShortShot, 0, East, 0);
  EXPECT_EQ(s.Shields, 300);
  GameInterface->PopFocID = -1;
  s.Hit(skShortShot, 0, East, 0);
  EXPECT_LT(s.Shields, 300);
}

TEST_F(DamageTest, SplashDamageFallsOffWithDistanceAndTheSourceTakesAQuarter) {
  CShip& near = target(1);
  CShip& own = target(2);
  CShip& out = target(3);
  near.Shields = own.Shields = out.Shields = 0;
  near.x = 500;  // half the radius away
  out.x = 1000;  // exactly at the radius
  doSplashDamage(400, 1000, D3DVECTOR{0, 0, 0}, 2);
  EXPECT_NEAR(near.Armor, 400 - 400 * 0.5 / 2, 1e-3);
  EXPECT_NEAR(own.Armor, 400 - 400 / 4.0 / 2, 1e-3);
  EXPECT_EQ(out.Armor, 400);
  EXPECT_GT(P::pushX(near), 0);  // pushed away from the blast
}

TEST_F(DamageTest, ATaggedShipsDeathRaisesItsTagInTheRunningMission) {
  const auto before = MissionControl;
  MissionControl = std::make_shared<CMissionControl>();
  MissionControl->StartMission();
  CShip& s = target(1);
  s.setTag("boss");
  s.Shields = 0;
  s.Armor = 10;
  s.Hit(skSplashDamage, 0, East, 100);
  EXPECT_TRUE(MissionControl->getRunningPhase()->hasFlag("boss"));
  MissionControl = before;
}
