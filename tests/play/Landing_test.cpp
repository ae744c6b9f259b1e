// Landing where it looks as if it should, in the real main loop on the default content, headless on
// Mesa at a fixed 17 ms frame time: for every structure definition that is a landing pad, the pad is
// placed on "losgatos" and the player's ship stands at rest with its lowest drawn point on the
// pad's deck as drawn (the uppermost surface of the pad's model over its centre, found from the
// model's triangles, not from its box). The action panel offers "land", and holding the action key
// lands: the nearest service's screen opens. And a ship that landed keeps its place on the pad for
// as long as the screen stays up, though an AI ship parked on the same pad presses into it and
// rams it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CModelMonster.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/ModelSurface.h"

namespace {

// Frame 0 of a cached model in drawing space, three positions per triangle; empty when the model
// did not load.
std::vector<std::array<float, 3>> modelTriangles(const std::string& path) {
  Integer handle = ModelMon->getModelNumber(path);
  const Integer slot = ModelMon->getRealModelNum(handle);
  std::vector<std::array<float, 3>> out;
  const CMD2* m = ModelSlots.at(static_cast<size_t>(slot)).object.get();
  if (!m || !m->Loaded) return out;
  for (const MD2Vertex& v : m->FrameVertices(0)) out.push_back({v.x, v.y, v.z});
  return out;
}

// How far the ship's lowest drawn point lies below its height e at rest (no pitch or roll): the
// parts are drawn lowered by half the body's height.
Single shipDrop(const CShip& s) {
  const std::string folder = "models\\" + ShipDefs.at(static_cast<size_t>(s.ShipType))->Model + "\\";
  float bodyLo = 1e9f, bodyHi = -1e9f, lowest = 1e9f;
  for (const char* part : {"body", "wheels", "interior", "window"})
    for (const auto& p : modelTriangles(folder + part + ".md2")) {
      lowest = std::min(lowest, p[1]);
      if (std::string(part) == "body") bodyLo = std::min(bodyLo, p[1]), bodyHi = std::max(bodyHi, p[1]);
    }
  return (bodyHi - bodyLo) / 2 - lowest;
}

class LandingGameTest : public GameRunTest {};

constexpr Integer kProbeSlot = 31;                 // empty on "losgatos"
constexpr Single kPadX = -2500, kPadZ = 3500;      // open ground of "losgatos"
constexpr Long actLand = 2;

}  // namespace

TEST_F(LandingGameTest, AShipRestingOnAPadsDeckIsOfferedTheLandingAndLandsThere) {
  FakeGameClock clock;
  struct Result {
    Long def = -1;
    Single deck = 0, boxTop = 0;
    Long prompt = -1, window = -1;
    Single landingFrame = 0;
  };
  std::vector<Result> results;
  Long def = -1;   // the pad definition on trial
  long since = 0;  // frames since the ship was stood on it
  Integer action = 0;
  bool ready = false;

  // Places the next pad definition after `def` and stands the ship on its deck; false when none is
  // left.
  auto nextPad = [&]() {
    for (++def; def < MapStructDefs; ++def) {
      CurMap->setStructDef(kProbeSlot, def);
      if (CurMap->getStructType(kProbeSlot) == structLanding) break;
    }
    if (def >= MapStructDefs) return false;
    CurMap->setStructPos(kProbeSlot, kPadX, -200, kPadZ);
    const D3DVECTOR at = CurMap->getStructPos(kProbeSlot);
    const auto pad = modelTriangles("models\\structs\\" + CurMap->getStructModel(def) + ".md2");
    Result r;
    r.def = def;
    r.deck = static_cast<Single>(at.y + modelTopAt(pad, 0, 0));
    r.boxTop = CurMap->getStructUBounds(kProbeSlot).y;
    results.push_back(r);
    CShip& s = *Ships[0];
    s.x = at.x;
    s.y = at.z;
    s.e = r.deck + shipDrop(s);
    s.xM = s.yM = s.eM = 0;
    s.Speed = 0;
    s.Pitch = 0;
    s.LandingFrame = 0;
    GameInterface->Window = msNone;
    since = 0;
    return true;
  };

  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 1500) GameRunning = false;
    if (pass == 1) {
      ready = startFlight();
      action = Player->getCharKey(8);
      if (!ready || !nextPad()) GameRunning = false;
      return;
    }
    Result& r = results.back();
    ++since;
    if (since == 2) {  // the step after standing there has checked the landing
      r.prompt = GameInterface->iAction;
      frmMain.window().postKeyDown(action);
    }
    if (since < 2 || (since < 150 && GameInterface->Window == msNone)) return;
    frmMain.window().postKeyUp(action);
    r.window = GameInterface->Window;
    r.landingFrame = Ships[0]->LandingFrame;
    if (!nextPad()) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(ready);
  ASSERT_FALSE(results.empty()) << "no structure definition is a landing pad";
  for (const Result& r : results) {
    SCOPED_TRACE("definition " + std::to_string(r.def));
    EXPECT_NEAR(r.deck, r.boxTop, 0.5) << "the landing box stands off the deck as drawn";
    EXPECT_EQ(r.prompt, actLand) << "the action panel does not say land";
    EXPECT_GT(r.landingFrame, 2) << "holding the action key did not land";
    EXPECT_NE(r.window, msNone) << "no service screen opened";
  }
}

TEST_F(LandingGameTest, ALandedShipKeepsItsPlaceOnItsPadWhileTheScreenIsUp) {
  FakeGameClock clock;
  bool ready = false;
  Integer pad = -1, parked = -1, action = 0;
  Long screen = msNone;
  long screenFrames = 0;
  D3DVECTOR landedAt{};
  double farthest = 0;  // from where the screen opened, over the frames it stayed up
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 900) GameRunning = false;
    if (pass == 1) ready = startFlight();  // builds the player's ship anew
    CShip& me = *Ships[0];
    if (pass == 1) {
      pad = ready ? padServing(structParts) : Integer{-1};
      if (pad < 0) {
        GameRunning = false;
        return;
      }
      // The player's ship at rest over the pad, an AI ship parked on the same pad beside it.
      const D3DVECTOR p = CurMap->getStructPos(pad);
      me.x = p.x;
      me.y = p.z;
      me.xM = me.yM = me.eM = 0;
      me.Speed = 0;
      CurMap->MissionSpawn("zombie_trader", "parked", p.x + 30, p.z, -1);
      for (size_t i = 1; i < Ships.size(); ++i)
        if (Ships[i] && Ships[i]->Exists && Ships[i]->getTag() == "parked") parked = static_cast<Integer>(i);
      action = Player->getCharKey(8);
      if (parked < 0) GameRunning = false;
      return;
    }
    if (pass == 3) frmMain.window().postKeyDown(action);
    CShip& ai = *Ships[parked];
    if (GameInterface->Window != msNone && me.LandingFrame > 2) {
      if (screenFrames++ == 0) {
        frmMain.window().postKeyUp(action);
        screen = GameInterface->Window;
        landedAt = {me.x, me.e, me.y};
      }
      farthest = std::max<double>(farthest, std::hypot(me.x - landedAt.x, me.y - landedAt.z) +
                                                std::fabs(me.e - landedAt.y));
      if (screenFrames % 30 == 0) {  // a ram from the parked ship
        const D3DVECTOR push{me.x - ai.x, 0, me.y - ai.y};
        me.Hit(94, parked, push, 10);
      }
      if (screenFrames > 300) GameRunning = false;
    }
    // The parked ship stands where it parked until the screen is up, then it presses into the
    // player's ship where that landed (as a ship settling on the pad it takes for free).
    const D3DVECTOR p = CurMap->getStructPos(pad);
    ai.x = screenFrames > 0 ? landedAt.x + 20 : p.x + 30;
    ai.y = screenFrames > 0 ? landedAt.z : p.z;
    ai.e = me.e;
    ai.xM = ai.yM = ai.eM = 0;
    ai.Speed = 0;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(ready);
  ASSERT_GE(pad, 0) << "losgatos has no pad beside a hardware store";
  ASSERT_GE(parked, 0) << "the AI ship was not spawned";
  EXPECT_EQ(screen, msHardware) << "the landing did not open the store";
  EXPECT_GT(screenFrames, 300) << "the store closed by itself";
  EXPECT_LT(farthest, 0.5) << "the ship was moved off where it landed";
}
