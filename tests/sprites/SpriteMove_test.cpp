// Movement and hits: a shot flies into a ship placed in its path and hits it exactly once with its
// own kind as the damage type; a rolling ship deflects
// a shot; splash damage falls off linearly; bursts make their sprites; a missile dying of age still
// explodes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/sprites/SpriteFixture.h"

namespace {
// Shield and armour a ship keeps, to compare blows.
Single health(const CShip& s) { return s.Shields + s.Armor; }
}  // namespace

TEST_F(SpriteTest, AShotHitsAShipInItsPathExactlyOnceWithItsKind) {
  struct Case {
    Long kind;
    Long burst;  // a sprite its strike leaves behind
  };
  for (Case c : {Case{skLaserShot, skBurstCore}, Case{skPhotonShot, skTorRing}, Case{skBeamShot, skXBlast},
                 Case{skPanelShot, skSpark}}) {
    SCOPED_TRACE(c.kind);
    Sprites.assign(SpritePoolSize, CSprite{});
    target(0, 0, 0, -20000);  // the shooter, far away
    CShip& ship = target(1, 1500, 0, 0);
    CShip& twin = target(2, 0, 0, 20000);
    const Single before = health(ship);
    AddSprite(0, 0, 0, 1500, 0, 0, c.kind, 5, 0, 0, -1);
    for (int k = 0; k < 150; ++k) MoveSprites();
    EXPECT_EQ(live(c.kind), 0);  // it died at the ship
    // One direct blow of the same kind on an identical ship takes as much.
    twin.Hit(c.kind, 0, D3DVECTOR{1500, 0, 0}, 0);
    EXPECT_GT(before - health(ship), 0);
    EXPECT_FLOAT_EQ(before - health(ship), before - health(twin));
  }
}

TEST_F(SpriteTest, AShotNeverHitsItsOwnShipAndMissesBeyondTheRadius) {
  CShip& owner = target(3, 500, 0, 0);
  CShip& aside = target(4, 1500, 0, 400);  // 400 off the line: radius 320 (370 for a hostile)
  const Single o = health(owner), a = health(aside);
  AddSprite(0, 0, 0, 1500, 0, 0, skLaserShot, 3, 0, 3, -1);
  for (int k = 0; k < 150; ++k) MoveSprites();
  EXPECT_FLOAT_EQ(health(owner), o);
  EXPECT_FLOAT_EQ(health(aside), a);
}

TEST_F(SpriteTest, TheHitRadiusFollowsTheShipsSizeEachFrameAndWidensForThePlayersFoes) {
  struct Case {
    const char* what;
    Single at;       // the ship's place along the shot's line
    Single off;      // the ship's distance from the shot's line
    Integer owner;   // 0 the player
    bool hostile;    // toward the player
    Single grownTo;  // body size from the sixth frame on (0 unchanged)
    bool hit;
  };
  // The shot's own spread tilts its line by up to 1/20: ships stand near enough (x 300 or 600) that
  // it moves the closest pass by at most 15 or 30 units.
  for (Case c : {Case{"the player's friend: radius 320", 300, 345, 0, false, 0, false},
                 Case{"the player's foe: radius 370", 300, 345, 0, true, 0, true},
                 Case{"grown to 500 in flight: radius 520", 600, 450, 2, false, 500, true}}) {
    SCOPED_TRACE(c.what);
    Sprites.assign(SpritePoolSize, CSprite{});
    target(0, 0, 0, -20000);
    CShip& s = target(1, c.at, 0, c.off);
    s.setAIHostile(0, c.hostile);
    const Single before = health(s);
    AddSprite(0, 0, 0, 1500, 0, 0, skLaserShot, 3, 0, c.owner, -1);
    frames(5);  // tested against the ship at its first size
    if (c.grownTo > 0) {
      CShipWeaponProbe::height(s) = c.grownTo;
      CShipFlightProbe::width(s) = c.grownTo;
      CShipFlightProbe::depth(s) = c.grownTo;
    }
    frames(150);
    EXPECT_EQ(health(s) < before, c.hit);
  }
}

namespace {
// What a crowd of ships and shots left after its steps: every ship's health, pushes and
// hostility toward the player, every slot's sprite, and the next random number.
struct CrowdOutcome {
  std::vector<Single> values;
  int hitShips = 0, liveShots = 0, deflected = 0;
};
}  // namespace

// The pool step looks only at the ships near each shot; stepping the same slots one by one outside
// it looks at every ship. Over random crowds (sizes, heights, foes of the player, rolling and
// absent ships, shots of the player, of ships and of nobody), and with the ships moved between two
// frames, both give the same hits, deflections, bursts and random draws.
TEST_F(SpriteTest, ThePoolStepHitsWhatTestingEveryShipHits) {
  auto run = [this](unsigned seed, bool poolStep) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](Single lo, Single hi) { return std::uniform_real_distribution<Single>(lo, hi)(rng); };
    setRndSeedForTests(seed);
    // Hits change the player's record and the interface: both runs start from fresh ones.
    Player = std::make_shared<CPlayer>();
    Player->Difficulty = 2;
    GameInterface = std::make_shared<CInterface>();
    SceneEvent = 0;
    Sprites.assign(SpritePoolSize, CSprite{});
    SpriteHint = 0;
    const Single spread = seed % 2 ? 1500.0f : 6000.0f;
    for (Integer i = 0; i < 16; ++i) {
      CShip& s = target(i, uniform(-spread, spread), uniform(-150, 150), uniform(-spread, spread));
      CShipWeaponProbe::height(s) = uniform(40, 500);
      CShipFlightProbe::width(s) = uniform(40, 500);
      CShipFlightProbe::depth(s) = uniform(40, 500);
      s.setAIHostile(0, rng() % 2 == 0);
      if (rng() % 5 == 0) CShipFlightProbe::spinValue(s) = 42;  // mid-roll
      if (rng() % 10 == 0) s.Exists = false;
    }
    for (int k = 0; k < 400; ++k) {
      const CShip& near = *Ships[rng() % 16];
      const Single reach = near.getWidth() + 100;
      AddSprite(near.x + uniform(-reach, reach), near.e + uniform(-300, 300), near.y + uniform(-reach, reach),
                uniform(-500, 500), 0, uniform(-500, 500), skLaserShot, 3, 0, static_cast<Integer>(rng() % 17) - 1,
                -1);
    }
    std::vector<Integer> owners;
    for (const CSprite& sp : Sprites) owners.push_back(sp.Owner);
    auto step = [poolStep] {
      if (poolStep) {
        MoveSprites();
        return;
      }
      CSprite::newHitFrame();
      CSprite::endHitFrame();
      for (Integer i = 0; i < SpritePoolSize; ++i) {
        if (!Sprites[i].Exists) continue;
        Sprites[i].Move();
        if (!Sprites[i].Exists && i < SpriteHint) SpriteHint = i;
      }
    };
    std::vector<Single> before;
    for (const auto& s : Ships) before.push_back(health(*s));
    step();
    for (const auto& s : Ships) s->x += 300, s->y -= 200;
    step();
    CrowdOutcome out;
    for (size_t i = 0; i < Ships.size(); ++i) {
      CShip& s = *Ships[i];
      out.values.insert(out.values.end(), {health(s), CShipFlightProbe::pushX(s), CShipFlightProbe::pushY(s),
                                           s.checkAIHostile(0) ? 1.0f : 0.0f});
      out.hitShips += health(s) < before[i];
    }
    for (size_t k = 0; k < Sprites.size(); ++k) {
      const CSprite& sp = Sprites[k];
      const D3DVECTOR p = sp.getPos();
      out.values.insert(out.values.end(), {sp.Exists ? 1.0f : 0.0f, static_cast<Single>(sp.sType), p.x, p.y, p.z,
                                           static_cast<Single>(sp.Owner)});
      if (sp.Exists && sp.sType == skLaserShot) {
        ++out.liveShots;
        out.deflected += sp.Owner != owners[k];
      }
    }
    out.values.push_back(Rnd());
    return out;
  };
  int deflections = 0;
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    const CrowdOutcome everyShip = run(seed, false);
    const CrowdOutcome nearOnly = run(seed, true);
    EXPECT_GT(nearOnly.hitShips, 0);
    EXPECT_GT(nearOnly.liveShots, 0);
    ASSERT_EQ(nearOnly.values.size(), everyShip.values.size());
    for (size_t k = 0; k < everyShip.values.size(); ++k)
      ASSERT_EQ(nearOnly.values[k], everyShip.values[k]) << "value " << k;
    deflections += nearOnly.deflected;
  }
  EXPECT_GT(deflections, 0);
}

TEST_F(SpriteTest, ARollingShipDeflectsTheShotBackAtItsOwner) {
  CShip& s = target(1, 600, 0, 0);
  CShipFlightProbe::trickValue(s) = 42;  // mid-roll
  ASSERT_TRUE(s.getRollSafe());
  const Single h = health(s);
  AddSprite(0, 0, 0, 1500, 0, 0, skLaserShot, 3, 0, 2, -1);
  for (int k = 0; k < 25; ++k) MoveSprites();
  const CSprite* shot = first(skLaserShot);
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Owner, 1);   // now the rolling ship's shot
  EXPECT_EQ(shot->Target, 2);  // homing on whoever fired it
  EXPECT_FLOAT_EQ(health(s), h);
}

TEST_F(SpriteTest, SplashDamageFallsOffLinearlyAndSparesTheOwner) {
  struct Case {
    Single distance;
    Integer owner;
    Integer ship;
    Single share;  // of the damage
  };
  const Case cases[] = {
      {0, -1, 1, 1.0f},   {0, 1, 1, 0.25f},     {500, -1, 1, 0.5f}, {500, 1, 1, 0.125f},
      {750, 5, 1, 0.25f}, {1000, -1, 1, 0.0f},  {1200, -1, 1, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.distance << " owner " << c.owner);
    CShip& s = target(c.ship, 0, c.distance, 0);  // straight above the point: distance in space
    CShip& twin = target(2, 50000, 0, 0);
    s.Shields = twin.Shields = 100000;  // the whole blow on the shields
    const Single before = health(s);
    doSplashDamage(1000, 1000, D3DVECTOR{0, 0, 0}, c.owner);
    const Single taken = before - health(s);
    if (c.share == 0) {
      EXPECT_FLOAT_EQ(taken, 0);
    } else {
      const Single twinBefore = health(twin);
      twin.Hit(skSplashDamage, c.owner, D3DVECTOR{0, 1, 0}, 1000 * c.share);
      EXPECT_GT(taken, 0);
      EXPECT_NEAR(taken, twinBefore - health(twin), 1e-2);
    }
  }
}

TEST_F(SpriteTest, ALargeExplosionWithoutCoresAndAFullPoolKeepItsCounts) {
  spawnLargeExplosion(D3DVECTOR{0, 0, 0}, -1);
  EXPECT_EQ(live(skExplodeFlash), 16);
  EXPECT_EQ(live(skSparkB), 4);
  EXPECT_EQ(live(skFlash), 1);
  EXPECT_EQ(live(skRing), 1);
  EXPECT_EQ(live(skLightFlashC), 1);
  EXPECT_EQ(live(skBlastCore), 0);
  Sprites.assign(SpritePoolSize, CSprite{});
  spawnLargeExplosion(D3DVECTOR{0, 0, 0}, 0);
  EXPECT_EQ(live(skBlastCore), 4);
  // With ten free slots and nothing replaceable the burst makes ten sprites.
  Sprites.assign(SpritePoolSize, CSprite{});
  for (int k = 0; k < SpritePoolSize - 10; ++k) AddSprite(0, 0, 0, 0, 0, 0, skRing, 0, 0, -1, -1);
  spawnShipExplosion(D3DVECTOR{0, 0, 0});
  EXPECT_EQ(liveAll(), SpritePoolSize);
}

TEST_F(SpriteTest, AMissileDyingOfAgeStillExplodesWithItsShards) {
  AddSprite(0, 500, 0, 100, 0, 0, skMissile, 0.05f, 0, 3, -1);
  FrameTime = 0.1;
  Sprites[0].Move();  // only the missile steps: its shards are all still there
  EXPECT_EQ(live(skMissile), 0);
  EXPECT_EQ(live(skExplodeFlash), 16);
  EXPECT_EQ(live(skPanelShotB), 32);
  EXPECT_EQ(first(skPanelShotB)->Owner, 3);
}

TEST_F(SpriteTest, ARocketLosesItsLockWhenTheTargetFallsOffItsNose) {
  target(1, -3000, 0, 0);  // behind it
  AddSprite(0, 0, 0, 1000, 0, 0, skRocket, 0, 0, 0, 1);
  MoveSprites();
  const CSprite* r = first(skRocket);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Target, -1);
}

TEST_F(SpriteTest, AMissileCirclingAtFullTurnBurnsOut) {
  target(1, -3000, 0, 0);  // straight behind it: the turn stays at its clamp
  AddSprite(0, 0, 0, 1000, 0, 0, skMissile, 9, 0, 0, 1);
  int frames = 0;
  while (live(skMissile) > 0 && frames < 200) {
    MoveSprites();
    ++frames;
  }
  EXPECT_EQ(live(skMissile), 0);
  EXPECT_LT(frames, 40);  // 0.5 s at the clamp, then a second of life lost every frame
}

TEST_F(SpriteTest, ANeutronShotBurstsOrSticksAndThenBurstsWithSplash) {
  int stuck = 0, burst = 0;
  for (int round = 0; round < 12; ++round) {
    Sprites.assign(SpritePoolSize, CSprite{});
    target(0, 0, 0, -20000);
    CShip& s = target(1, 600, 0, 0);
    s.Shields = 100000;
    AddSprite(0, 0, 0, 1500, 0, 0, skNeuShot, 0, 0, 0, -1);
    for (int k = 0; k < 10 && live(skNeuShot) > 0; ++k) MoveSprites();
    ASSERT_EQ(live(skNeuShot), 0);
    if (const CSprite* n = first(skNeuShotB)) {
      ++stuck;
      EXPECT_EQ(n->Target, 1);
      EXPECT_GE(n->Frame, 2.4f);
      EXPECT_LT(n->Frame, 3.0f);
      const Single before = s.Shields;
      for (int k = 0; k < 200 && live(skNeuShotB) > 0; ++k) MoveSprites();
      EXPECT_EQ(live(skNeuShotB), 0);
      EXPECT_LT(s.Shields, before);  // the closing splash of radius 200 reached the ship it sat on
    } else {
      ++burst;
    }
  }
  EXPECT_GT(stuck, 0);
  EXPECT_GT(burst, 0);
}
