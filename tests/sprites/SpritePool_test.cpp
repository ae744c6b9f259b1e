// The pool and the kind table: slot search and its hint, a full pool, paused play, the cheap-kind
// view cull, the classic-view cull of the player's shots, and each kind's defaults after Init.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/D3DX.h"
#include "tests/sprites/SpriteFixture.h"

namespace {
void put(Long kind, Single life = 0, Single size = 0, Single x = 0, Single y = 0, Single z = 0, Single vx = 0,
         Single vy = 0, Single vz = 0) {
  AddSprite(x, y, z, vx, vy, vz, kind, life, size, -1, -1);
}
}  // namespace

TEST_F(SpriteTest, KindsTakeTheirDefaultLifeListAndReplaceability) {
  struct Case {
    Long kind;
    Single lifeLo, lifeHi;  // [lo, hi]
    bool alpha, expendl;
  };
  const Case cases[] = {
      {skSmoke, 1.2f, 1.2f, true, true},        {skFlare, 1, 1, true, true},
      {skMiniFlare, 0.1f, 0.15f, true, true},   {skLaserShot, 2, 2, true, false},
      {skRocket, 5, 5, false, false},           {skMissile, 10, 10, false, false},
      {skExplodeFlash, 0.5f, 0.5f, true, true}, {skDust, 1.4f - 1 / 3.0f, 1.4f, true, true},
      {skBlastCore, 0.25f, 0.5f, true, false},  {skTorpedo, 15, 15, true, false},
      {skPanelShot, 0.4f, 0.4f, true, false},   {skRing, 0.1f, 0.1f, true, false},
      {skHarpBolt, 0.5f, 0.5f, false, false},   {skDebris1, 2, 4, false, true},
      {skZap, 0.3925f, 0.3925f, true, true},    {skOrb, 3.14f, 3.14f, true, false},
      {skInnerOrb, 3.14f, 3.14f, false, false}, {skTunnelFlare, 5, 5, true, false},
      {skPlain, 1, 1, true, true},              {skNeuShot, 2, 2, true, false},
      {skRedSpike, 0, 0, true, true},           {skSplashDamage, 0, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    CSprite s;
    Single size = 0;
    s.Init(1, 2, 3, 0, 0, 0, c.kind, 0, size, 4, 5);
    EXPECT_TRUE(s.Exists);
    EXPECT_EQ(s.sType, c.kind);
    EXPECT_GE(s.Frame, c.lifeLo - 1e-6f);
    EXPECT_LE(s.Frame, c.lifeHi + 1e-6f);
    EXPECT_EQ(s.Alpha, c.alpha);
    EXPECT_EQ(s.Expendl, c.expendl);
    EXPECT_EQ(s.Owner, 4);
    EXPECT_EQ(s.Target, 5);
  }
}

TEST_F(SpriteTest, AnAimedShotTakesTheScratchMatrixAndASpreadAndTheCallersLife) {
  D3DXMatrixRotationY(ScratchMatrix, 0.7f);
  AddSprite(10, 20, 30, 1000, 0, -500, skLaserShot, 0, 0, 0, -1);
  const CSprite* s = first(skLaserShot);
  ASSERT_TRUE(s);
  EXPECT_FLOAT_EQ(s->Frame, 2.0f);
  EXPECT_FALSE(s->Expendl);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(s->getFace().m[r][c], ScratchMatrix.m[r][c]);
  EXPECT_NEAR(s->getTraj().x, 1000, 100);
  EXPECT_NEAR(s->getTraj().y, 0, 100);
  EXPECT_NEAR(s->getTraj().z, -500, 100);
  Sprites.assign(SpritePoolSize, CSprite{});
  AddSprite(10, 20, 30, 1000, 0, -500, skLaserShot, 0.5f, 0, 0, -1);
  EXPECT_FLOAT_EQ(first(skLaserShot)->Frame, 0.5f);
}

TEST_F(SpriteTest, SizesAndPositionsOfTheSpecialKinds) {
  CSprite s;
  Single size = 3;
  s.Init(0, 0, 0, 0, 0, 0, skStar, 0, size, -1, -1);
  EXPECT_FLOAT_EQ(s.getSize(), 3);
  size = 0;
  for (int k = 0; k < 20; ++k) {
    s.Init(0, 0, 0, 0, 0, 0, skStar, 0, size, -1, -1);
    EXPECT_GE(s.getSize(), 0.2f);
    EXPECT_LT(s.getSize(), 0.7f);
  }
  // A cloud writes its size back into the caller's variable.
  size = 2;
  s.Init(0, 0, 0, 0, 0, 0, skCloud, 0, size, -1, -1);
  EXPECT_GE(size, 2);
  EXPECT_LT(size, 12);
  EXPECT_FLOAT_EQ(s.getSize(), size);
  // A tunnel ring starts life x velocity back so that it reaches the point as it runs out.
  size = 0;
  s.Init(100, 200, 300, 10, 20, -30, skTunnelRing, 2, size, 0, -1);
  EXPECT_FLOAT_EQ(s.getPos().x, 80);
  EXPECT_FLOAT_EQ(s.getPos().y, 160);
  EXPECT_FLOAT_EQ(s.getPos().z, 360);
  // Smoke spreads its start by 10 units and its velocity by 15 units per second.
  for (int k = 0; k < 20; ++k) {
    s.Init(100, 200, 300, 50, 0, 0, skSmoke, 0, size, -1, -1);
    EXPECT_LE(std::fabs(s.getPos().x - 100), 10);
    EXPECT_LE(std::fabs(s.getPos().z - 300), 10);
    EXPECT_LE(std::fabs(s.getTraj().x - 50), 15);
  }
}

TEST_F(SpriteTest, ASpawnerBecomesTwentyOnePanelShots) {
  AddSprite(0, 0, 0, 1000, 0, 0, skSpawner, 0, 0, 2, -1);
  EXPECT_EQ(live(skPanelShot), 21);
  EXPECT_EQ(live(skSpawner), 0);
  EXPECT_EQ(Sprites[0].sType, skPanelShot);
  EXPECT_EQ(Sprites[0].Owner, 2);
}

TEST_F(SpriteTest, AFullPoolTakesOverTheLowestReplaceableSpriteElseLogsOverflow) {
  for (int k = 0; k < SpritePoolSize; ++k) put(skRing);  // not replaceable
  ASSERT_EQ(liveAll(), SpritePoolSize);
  put(skFlare);
  EXPECT_EQ(live(skFlare), 0);
  EXPECT_TRUE(logged("sprite overflow!"));
  EXPECT_EQ(live(skRing), SpritePoolSize);
  Sprites[700].Expendl = true;
  Sprites[900].Expendl = true;
  put(skFlare);
  EXPECT_EQ(Sprites[700].sType, skFlare);
  EXPECT_EQ(Sprites[900].sType, skRing);
  EXPECT_EQ(SpriteHint, 700);
}

TEST_F(SpriteTest, TheSecondSearchPassTakesAnOpenDeadSlotBelowTheHint) {
  for (int k = 0; k < SpritePoolSize; ++k) put(skRing);
  Sprites[5].Exists = false;
  Sprites[5].IsOpen = true;
  SpriteHint = 10;
  put(skFlare);
  EXPECT_EQ(Sprites[5].sType, skFlare);
  EXPECT_TRUE(Sprites[5].Exists);
}

TEST_F(SpriteTest, PausedPlayStartsOnlyTheCreditTunnel) {
  GamePaused = true;
  for (Long k : {Long(skFlare), Long(skLaserShot), Long(skTunnelRing), Long(skCreditTunnel), Long(skCreditFlare)})
    put(k);
  EXPECT_EQ(liveAll(), 2);
  EXPECT_EQ(live(skCreditTunnel), 1);
  EXPECT_EQ(live(skCreditFlare), 1);
}

TEST_F(SpriteTest, CheapKindsOutsideTheViewAreNotMade) {
  CamNoCull = false;
  CamEye = D3DVECTOR{0, 0, 0};
  CamHeading = 0;  // looking along +x
  put(skSmoke, 0, 0, -5000, 0, 0);
  put(skStar, 0, 0, -5000, 0, 0);
  EXPECT_EQ(liveAll(), 0);
  put(skSmoke, 0, 0, 5000, 0, 0);
  put(skFlare, 0, 0, -5000, 0, 0);  // not a culled kind
  EXPECT_EQ(liveAll(), 2);
}

TEST_F(SpriteTest, ClassicViewKillsOnlyThePlayersShotsOffScreen) {
  ClassicView = true;
  CamDetached = false;
  CamEye = D3DVECTOR{0, 0, 0};
  CamNoCull = false;
  AddSprite(9000, 0, 0, 0, 0, 0, skLaserShot, 0, 0, 0, -1);
  AddSprite(9000, 0, 0, 0, 0, 0, skLaserShot, 0, 0, 3, -1);
  AddSprite(0, 0, 0, 0, 0, 0, skLaserShot, 0, 0, 0, -1);
  SortSprites();
  EXPECT_FALSE(Sprites[0].Exists);
  EXPECT_TRUE(Sprites[1].Exists);
  EXPECT_TRUE(Sprites[2].Exists);
  EXPECT_EQ(SpriteListALast, 0);
  EXPECT_EQ(SpriteListA[0], 2);
}

TEST_F(SpriteTest, SortingSplitsTheListsByAlphaInSlotOrder) {
  put(skFlare);
  put(skMissile);
  put(skRing);
  put(skDebris2);
  SortSprites();
  ASSERT_EQ(SpriteListALast, 1);
  ASSERT_EQ(SpriteListBLast, 1);
  EXPECT_EQ(SpriteListA[0], 0);
  EXPECT_EQ(SpriteListA[1], 2);
  EXPECT_EQ(SpriteListB[0], 1);
  EXPECT_EQ(SpriteListB[1], 3);
}

TEST_F(SpriteTest, SpritesAgeOutAndAKillBelowTheHintLowersIt) {
  put(skRing);                      // 0.1 s
  put(skFlare);                     // 1 s
  put(skSplashDamage);              // no life of its own: dies in its first Move
  SpriteHint = 50;
  FrameTime = 0.02;
  MoveSprites();
  EXPECT_FALSE(Sprites[2].Exists);
  EXPECT_EQ(SpriteHint, 2);
  frames(5);
  EXPECT_FALSE(Sprites[0].Exists);
  EXPECT_TRUE(Sprites[1].Exists);
  EXPECT_EQ(SpriteHint, 0);
}

// The slot search answers from an index of free and replaceable slots that every write of the
// flags keeps. Over random pools (nearly full, full, with sprites mid-move, with and without
// replaceable ones, any hint) whose flags are written every way the game writes them (assigned,
// copied from another slot, the whole pool refilled, the pool grown into new storage), the slot
// taken is always the one the rule names: the first free slot from the hint on that is not
// mid-move, else the first free slot up to the hint, else the first replaceable slot.
TEST_F(SpriteTest, TheSlotSearchTakesTheSlotTheRuleNames) {
  auto ruled = [] {
    Integer hint = SpriteHint;
    if (hint < 0 || hint >= SpritePoolSize) hint = 0;
    for (Integer i = hint; i < SpritePoolSize; ++i)
      if (!Sprites[i].Exists && !Sprites[i].IsOpen) return i;
    for (Integer i = 0; i <= hint; ++i)
      if (!Sprites[i].Exists) return i;
    for (Integer i = 0; i < SpritePoolSize; ++i)
      if (Sprites[i].Expendl) return i;
    return static_cast<Integer>(-1);
  };
  std::mt19937 rng(7);
  auto chance = [&rng](unsigned inThousand) { return rng() % 1000 < inThousand; };
  int overflows = 0, replaced = 0;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const unsigned freeShare = round % 3 == 0 ? 0 : round % 3 == 1 ? 2 : 60;  // per thousand
    const unsigned expendShare = round % 5 == 0 ? 0 : round % 5 == 1 ? 1 : 300;
    switch (round % 4) {
      case 0: Sprites.assign(SpritePoolSize, CSprite{}); break;
      case 1: {  // into new storage
        std::vector<CSprite> grown(SpritePoolSize);
        Sprites.swap(grown);
        break;
      }
      default: break;
    }
    for (Integer i = 0; i < SpritePoolSize; ++i) {
      CSprite& s = Sprites[i];
      if (chance(20)) {
        s = Sprites[rng() % SpritePoolSize];  // a copy of another slot
        continue;
      }
      s.Exists = !chance(freeShare);
      s.Expendl = chance(expendShare);
      s.IsOpen = chance(3);
    }
    SpriteHint = static_cast<Integer>(rng() % (SpritePoolSize + 20)) - 10;
    const Integer want = ruled();
    const bool takenOver = want >= 0 && Sprites[want].Exists;
    MsgLog.fill("");
    AddSprite(0, 0, 0, 0, 0, 0, skRing, 0, 0, -1, -1);
    if (want < 0) {
      EXPECT_EQ(MsgLog[0], "sprite overflow!");
      ++overflows;
      continue;
    }
    ASSERT_EQ(SpriteHint, want);
    EXPECT_TRUE(Sprites[want].Exists);
    EXPECT_EQ(Sprites[want].sType, skRing);
    replaced += takenOver;
  }
  EXPECT_GT(overflows, 0);
  EXPECT_GT(replaced, 0);
}
