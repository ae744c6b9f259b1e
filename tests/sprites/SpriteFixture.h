// Shared by the sprite tests: the flight fixture (fresh player, interface, 16 empty ship slots,
// fixed random sequence) with a fresh pool, every point in view (CamNoCull) and a fixed frame
// time; helpers to place a target ship and to count live sprites by kind.
#pragma once
#include "platform/D3DX.h"
#include "tests/ships/WeaponFixture.h"

class SpriteTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    Sprites.assign(SpritePoolSize, CSprite{});
    SpriteHint = 0;
    CamNoCull = true;
    D3DXMatrixIdentity(ScratchMatrix);
    FrameTime = 0.02;
  }
  void TearDown() override {
    CamNoCull = false;
    TitleCam = false;
    FlightTest::TearDown();
  }
  // Ships(i) standing at (x, height e, z) with a body 300 x 300 x 300 (hit radius 320).
  CShip& target(Integer i, Single x, Single e, Single z) {
    CShip& s = ready(i);
    CShipWeaponProbe::height(s) = 300;
    CShipFlightProbe::width(s) = 300;
    CShipFlightProbe::depth(s) = 300;
    s.x = x;
    s.e = e;
    s.y = z;
    return s;
  }
  static int live(Long kind) {
    int n = 0;
    for (const CSprite& s : Sprites)
      if (s.Exists && s.sType == kind) ++n;
    return n;
  }
  static int liveAll() {
    int n = 0;
    for (const CSprite& s : Sprites) n += s.Exists ? 1 : 0;
    return n;
  }
  // The first live sprite of a kind (the test fails when there is none).
  static const CSprite* first(Long kind) {
    for (const CSprite& s : Sprites)
      if (s.Exists && s.sType == kind) return &s;
    return nullptr;
  }
  static void frames(int n) {
    for (int k = 0; k < n; ++k) MoveSprites();
  }
};
