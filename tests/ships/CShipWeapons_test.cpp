// The weapon step: primary fire pace per weapon at a fixed frame time (first shot, held key,
// release, the vulcan's second shot), mounts taking turns and the muzzle position, the broadside
// of a carrier, the secondary weapon's rounds, recoil and firing pose, the infinite-ammunition
// cheat, the choice of the next or previous carried weapon, and the gunner's switch sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/ships/WeaponFixture.h"

namespace {
constexpr double Ft = 0.0625;  // exact in binary: cooldowns reach 0 on the frame they should
using P = CShipWeaponProbe;
}  // namespace

class WeaponTest : public FlightTest {
 protected:
  // Ships(i) set up with the design, mounts given in order from mount 0, interval recomputed.
  CShip& armed(Integer i, const CShipDef& d, std::initializer_list<Long> weapons) {
    CShip& s = ready(i, d);
    Integer k = 0;
    for (Long w : weapons) s.setMount(k++, w);
    s.makePrimaryInterval();
    return s;
  }
  // A gunner in seat 1 holding weapon w, seated (pose 1).
  static void gunner(CShip& s, Long w) {
    Long pose = 1;
    s.fullInitChar(1, "gunner", "gunner.bmp", pose);
    P::seat(s, 1).Weapon = w;
  }
  // Runs the weapon step for frames frames; the frame numbers on which shots of kind appeared.
  static std::vector<int> fire(CShip& s, int frames, int holdFrames, Long kind) {
    std::vector<int> at;
    FrameTime = Ft;
    for (int k = 0; k < frames; ++k) {
      s.keyPrimary = k < holdFrames;
      const size_t before = liveOfKind(kind).size();
      P::FireWeapons(s);
      for (size_t n = before; n < liveOfKind(kind).size(); ++n) at.push_back(k);
    }
    return at;
  }
};

TEST_F(WeaponTest, EachPrimaryWeaponFiresAtItsPaceWhileHeldAndStopsOnRelease) {
  struct Case {
    Long weapon;
    Long kind;
    bool guided;
    std::vector<int> frames;  // frames with a new shot: key held on frames 0..12, released after
  };
  const Case cases[] = {
      {1, skLaserShot, false, {0, 4, 8, 12}},  // 0.25 s apart
      {0, skRocket, true, {0, 4, 8, 12}},      // guided: takes the target
      {5, skMissileB, true, {0}},              // weight 0.1: 2.5 s apart
      {3,
       skPanelShot,
       false,
       {0, 2, 4, 6, 8, 10, 12, 14}},  // vulcan: a second shot 0.125 s later, even after release
      {11, skNeuShot, false, {0, 4, 8, 12}},
  };
  for (const Case& c : cases) {
    Sprites.clear();
    CShip& s = armed(3, armedDesign(0), {c.weapon});
    s.SecondaryTarget = 7;
    EXPECT_EQ(fire(s, 24, 13, c.kind), c.frames) << c.weapon;
    for (const PoolEntry& shot : liveOfKind(c.kind)) {
      EXPECT_EQ(shot.owner, 3) << c.weapon;
      EXPECT_EQ(shot.target, c.guided ? 7 : -1) << c.weapon;
      // Heading 0 flies along +y (drawing z), level.
      EXPECT_GT(shot.traj.z, 400) << c.weapon;
      EXPECT_LT(std::fabs(shot.traj.y), 400) << c.weapon;
    }
  }
}

TEST_F(WeaponTest, MountsTakeTurnsFromTheirMuzzles) {
  // Lasers on mounts 0 and 2, mount 1 empty: one shot per interval (0.125 s), alternating.
  CShip& s = armed(3, armedDesign(2), {1, -1, 1});
  s.x = 1000;
  s.y = 2000;
  s.e = 300;
  P::height(s) = 40;
  EXPECT_FLOAT_EQ(P::primaryInterval(s), 0.125f);
  EXPECT_EQ(fire(s, 8, 8, skLaserShot), (std::vector<int>{0, 2, 4, 6}));
  const std::vector<PoolEntry> shots = liveOfKind(skLaserShot);
  ASSERT_EQ(shots.size(), 4u);
  // Muzzle (0, 6, 20) beyond the mount offset (-30 or +30 across), the body's centre 20 down.
  for (size_t k = 0; k < shots.size(); ++k) {
    const Single across = k % 2 == 0 ? -30.0f : 30.0f;
    EXPECT_NEAR(shots[k].pos.x, 1000 + across, 1e-3) << k;
    EXPECT_NEAR(shots[k].pos.y, 300 + 6 - 20, 1e-3) << k;
    EXPECT_NEAR(shots[k].pos.z, 2000 + 20, 1e-3) << k;
  }
}

TEST_F(WeaponTest, AShipWithoutWeaponsNeverFiresAndWalksOnceAround) {
  CShip& s = armed(3, armedDesign(3), {});
  P::nextMount(s) = 2;
  s.keyPrimary = true;
  FrameTime = Ft;
  for (int k = 0; k < 3; ++k) {
    P::FireWeapons(s);
    EXPECT_EQ(P::nextMount(s), 2);
    EXPECT_EQ(P::mountCooldown0(s), 0);
  }
  EXPECT_TRUE(livePool().empty());
  // A design whose last mount lies beyond the eight slots fires only from slots 0..7.
  CShipDef big = armedDesign(9);
  CShip& t = armed(4, big, {-1, -1, -1, -1, -1, -1, -1, 1});
  EXPECT_EQ(fire(t, 2, 2, skLaserShot), (std::vector<int>{0}));
}

TEST_F(WeaponTest, TricksSilenceTheWeaponsAndHoldTheCooldowns) {
  CShip& s = armed(3, armedDesign(0), {1});
  P::mountCooldown0(s) = 0.2f;
  P::trickValue(s) = 31.5f;  // a boost runs
  ASSERT_GT(s.getBoostVal(), 0);
  s.keyPrimary = true;
  FrameTime = Ft;
  P::FireWeapons(s);
  EXPECT_FLOAT_EQ(P::mountCooldown0(s), 0.2f);
  EXPECT_TRUE(livePool().empty());
}

TEST_F(WeaponTest, ACarrierFiresBroadsidesSplitAtHalfItsLastMount) {
  // A Capital ship heading 0, a laser on every mount 0..last: mounts up to last / 2 (unrounded)
  // fire to -x, the others to +x, one shot a frame, each from the muzzle on its own side.
  struct Case {
    Integer last;
    Integer firstSide;  // mounts 0..firstSide - 1 face -x
  } cases[] = {{4, 3}, {3, 2}, {5, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last);
    Sprites.clear();
    CShip& s = ready(3, armedDesign(c.last, sbCapital));
    for (Integer k = 0; k <= c.last; ++k) s.setMount(k, 1);
    s.makePrimaryInterval();
    std::vector<int> expected;
    for (int k = 0; k <= c.last; ++k) expected.push_back(k);
    ASSERT_EQ(fire(s, c.last + 1, c.last + 1, skLaserShot), expected);
    const std::vector<PoolEntry> shots = liveOfKind(skLaserShot);
    ASSERT_EQ(shots.size(), static_cast<size_t>(c.last) + 1);
    for (Integer k = 0; k <= c.last; ++k) {
      const Single side = k < c.firstSide ? -1.0f : 1.0f;
      EXPECT_GT(side * shots[static_cast<size_t>(k)].traj.x, 2000) << k;
      const Single muzzleOut = P::getMountPos(s, k).x - (-30.0f + 30.0f * k);  // from the mount's place
      EXPECT_NEAR(side * muzzleOut, 60, 1) << k;
    }
  }
}

TEST_F(WeaponTest, SecondaryRoundsRecoilAndPoseThenTheNextWeaponWhenEmpty) {
  CShip& s = ready(3);
  gunner(s, 0);  // missiles
  s.setSecondary(0, true);
  s.setSecondaryAmmo(0, 2);
  s.setSecondary(2, true);
  s.setSecondaryAmmo(2, 5);
  s.SecondaryTarget = 6;
  s.keySecondary = true;
  FrameTime = Ft;
  std::vector<int> at;
  for (int k = 0; k < 20; ++k) {
    const size_t before = liveOfKind(skMissile).size();
    P::FireWeapons(s);
    if (liveOfKind(skMissile).size() > before) at.push_back(k);
    if (k == 0) {
      EXPECT_EQ(P::seat(s, 1).getAnim(), 10);  // a Car gunner's firing pose
    }
    P::seat(s, 1).Move();  // the crew's animation step of the drawing: back to holding (9)
  }
  EXPECT_EQ(at, (std::vector<int>{0, 8}));  // one round each 0.5 s while held
  EXPECT_EQ(s.getSecondaryAmmo(0), 0);
  for (const PoolEntry& m : liveOfKind(skMissile)) {
    EXPECT_EQ(m.owner, 3);
    EXPECT_EQ(m.target, 6);
    EXPECT_GT(m.traj.z, 900);
  }
  // Missile weight 100 against a hold of 40: 500 + 200 sqrt(60).
  EXPECT_NEAR(P::recoilPush(s), 500 + 200 * std::sqrt(60.0f), 1e-2);
  // The third try found the weapon empty: nothing spent, the next carried weapon chosen.
  EXPECT_EQ(P::seat(s, 1).SwitchWeapon, 2);
  EXPECT_EQ(s.getSecondaryAmmo(2), 5);
}

TEST_F(WeaponTest, InfiniteAmmunitionKeepsOnlyThePlayersRounds) {
  CheatAmmo = true;
  for (Integer id : {0, 3}) {
    CShip& s = ready(id);
    gunner(s, 4);  // sniper
    s.setSecondary(4, true);
    s.setSecondaryAmmo(4, 3);
    s.keySecondary = true;
    FrameTime = Ft;
    P::FireWeapons(s);
    EXPECT_EQ(liveOfKind(skShortShot).size(), id == 0 ? 1u : 2u);
    EXPECT_EQ(s.getSecondaryAmmo(4), id == 0 ? 3 : 2) << id;
  }
}

TEST_F(WeaponTest, WeaponKeysStepThroughTheCarriedWeapons) {
  struct Case {
    std::vector<Integer> carried;
    Long holding;
    bool next;
    Integer chosen;
  };
  const Case cases[] = {
      {{2, 5}, -1, true, 2},  {{2, 5}, 2, true, 5},  {{2, 5}, 5, true, -1},  // past 15: no weapon
      {{2, 5}, -1, false, 5}, {{2, 5}, 5, false, 2}, {{2, 5}, 2, false, -1},
      {{0}, 0, false, -1},    {{15}, -1, false, 15}, {{}, -1, true, -1},
  };
  for (const Case& c : cases) {
    CShip& s = ready(3);
    gunner(s, c.holding);
    for (Integer w : c.carried) s.setSecondary(w, true);
    FrameTime = Ft;
    (c.next ? s.keySwitchRight : s.keySwitchLeft) = true;
    P::FireWeapons(s);
    EXPECT_FALSE(s.keySwitchLeft || s.keySwitchRight);  // one-shot keys are consumed
    const bool changes = c.chosen != c.holding;
    EXPECT_EQ(P::seat(s, 1).Weapon, c.chosen) << c.holding << (c.next ? " next" : " prev");
    // The switch delay of 0.5 s starts, and the same step already counts one frame off it.
    EXPECT_EQ(P::switchCooldown(s), changes ? static_cast<Single>(0.5 - Ft) : 0.0f) << c.holding;
  }
}

TEST_F(WeaponTest, TheGunnerPutsAWeaponAwayBeforeDrawingTheNext) {
  CShip& s = ready(3);
  gunner(s, -1);
  CCharacter& g = P::seat(s, 1);
  s.checkWeaponSwitch(2);  // seated: drawn at once
  EXPECT_EQ(g.Weapon, 2);
  EXPECT_EQ(s.getSwitchWeapon(), 2);
  FrameTime = 0.05;
  for (int k = 0; k < 20; ++k) g.Move();  // the blend into the holding pose ends
  EXPECT_EQ(g.getAnim(), 9);
  s.checkWeaponSwitch(5);  // holding: put away first (pose 1), then the new weapon
  EXPECT_EQ(g.Weapon, 2);
  int frames = 0;
  while (g.Weapon != 5 && frames < 100) {
    g.Move();
    ++frames;
  }
  EXPECT_EQ(g.Weapon, 5);
  for (int k = 0; k < 20; ++k) g.Move();
  EXPECT_EQ(g.getAnim(), 9);
  s.checkWeaponSwitch(-1);  // put away for good
  for (int k = 0; k < 40; ++k) g.Move();
  EXPECT_EQ(g.Weapon, -1);
  EXPECT_EQ(g.getAnim(), 1);
}

TEST_F(WeaponTest, ThePlayersFireKeyShootsThroughTheMovementStep) {
  CShip& s = armed(0, armedDesign(0), {1});
  s.keyPrimary = true;
  step(s, 0.02);
  EXPECT_EQ(liveOfKind(skLaserShot).size(), 1u);
  EXPECT_FALSE(logged("Error in"));
}

TEST_F(WeaponTest, ThePlayersWeaponKeysStepTheInterfacesChoice) {
  CShip& s = ready(0);
  gunner(s, 0);
  s.setSecondary(0, true);
  s.setSecondary(3, true);
  FrameTime = Ft;
  // From weapon 0 the previous key chooses no weapon; from there (the open choice) the highest
  // carried one; past the last carried one the next key comes back to no weapon.
  struct Key {
    bool next;
    Integer goal;
  };
  for (const Key& k : {Key{false, -1}, Key{false, 3}, Key{true, -1}, Key{true, 0}}) {
    (k.next ? s.keySwitchRight : s.keySwitchLeft) = true;
    P::FireWeapons(s);
    EXPECT_EQ(GameInterface->getSecondaryGoal(), k.goal);
  }
  EXPECT_EQ(P::seat(s, 1).Weapon, 0);  // the gunner switches when the interface hands the choice on
  EXPECT_EQ(P::switchCooldown(s), 0);
}

TEST_F(WeaponTest, EmptyHandsTakeBackTheRememberedWeaponWhileItHasRounds) {
  for (Integer rounds : {2, 0}) {
    CShip& s = ready(0);
    gunner(s, -1);
    s.setSecondary(3, true);
    s.setSecondaryAmmo(3, rounds);
    GameInterface = std::make_shared<CInterface>();
    GameInterface->WeaponSwitchBack = 3;
    s.keySecondary = true;
    FrameTime = Ft;
    P::FireWeapons(s);
    EXPECT_EQ(GameInterface->getSecondaryGoal(), rounds > 0 ? 3 : -2) << rounds;
    EXPECT_TRUE(livePool().empty());
  }
}

TEST_F(WeaponTest, TheSecondaryShotLeavesFromTheGunnersHands) {
  struct Case {
    Long body;
    Single across, up, along;  // the hand weapon's muzzle from the seat
  };
  for (const Case& c : {Case{sbCar, 20.5f, 24, 21}, Case{sbConvertible, 17.5f, 24, 24}}) {
    Sprites.clear();
    CShipDef d = flightDesign(c.body);
    d.setSeatXOff(1, 10);
    d.setSeatYOff(1, 5);   // along the ship
    d.setSeatZOff(1, 30);  // height
    CShip& s = ready(3, d);
    s.x = 1000;
    s.y = 2000;
    s.e = 300;
    P::height(s) = 40;
    gunner(s, 4);  // sniper
    s.setSecondary(4, true);
    s.setSecondaryAmmo(4, 1);
    s.keySecondary = true;
    FrameTime = Ft;
    P::FireWeapons(s);
    const std::vector<PoolEntry> shots = liveOfKind(skShortShot);
    ASSERT_EQ(shots.size(), 1u) << c.body;
    EXPECT_NEAR(shots[0].pos.x, 1000 + 10 + c.across, 1e-3) << c.body;
    EXPECT_NEAR(shots[0].pos.y, 300 + 30 + c.up - 20, 1e-3) << c.body;
    EXPECT_NEAR(shots[0].pos.z, 2000 + 5 + c.along, 1e-3) << c.body;
    EXPECT_NEAR(shots[0].traj.z, 2500, 1) << c.body;
    EXPECT_EQ(P::seat(s, 1).getAnim(), c.body == sbCar ? 10 : 24) << c.body;
  }
}

TEST(CCharacterAnimTest, EachPoseLoopsOverItsOwnFrames) {
  struct Case {
    Long anim;
    Long first, last;  // 1-based frames of the loop
    Single rate;
    Long then, thenFirst;  // the pose after one loop (a firing pose returns to holding)
  };
  const Case cases[] = {{0, 1, 10, 1, 0, 1},      {8, 58, 59, 1, 8, 58}, {10, 65, 67, 10, 9, 60},
                        {25, 21, 27, 12, 25, 21}, {2, 21, 26, 2, 2, 21}, {99, 21, 26, 2, 99, 21},
                        {-3, 21, 26, 2, -3, 21}};
  for (const Case& c : cases) {
    CCharacter ch;
    ch.Init();
    ch.setAnim(c.anim == 0 ? 1 : 0, 0, true);
    ch.setAnim(c.anim, 0, true);
    EXPECT_EQ(ch.getFrame(), c.first - 1) << c.anim;
    // Just over one frame's worth of blend per step: one frame each.
    FrameTime = 1.0 / (1 + c.rate) + 1e-4;
    Long highest = ch.getFrame();
    for (int k = 0; k < c.last - c.first + 1; ++k) {
      ch.Move();
      highest = std::max(highest, ch.getFrame());
    }
    EXPECT_EQ(highest, c.last - 1) << c.anim;  // the last frame, 0-based
    EXPECT_EQ(ch.getAnim(), c.then) << c.anim;
    EXPECT_EQ(ch.getFrame(), c.thenFirst - 1) << c.anim;  // and round again
  }
  FrameTime = 0;
}
