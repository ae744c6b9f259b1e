// The talk key in the real main loop on the generated content: in flight over "losgatos" with a
// trader of the map's unit table targeted and goods in the hold, pressing the talk key opens a
// talk box with a trade offer waiting for confirmation; it is still open a few seconds later and
// closes after its duration. A fixed 17 ms frame time (a fake clock), headless on Mesa.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

struct TalkProbe {
  static Long kind(CInterface& g) { return g.talkKind; }
  static bool confirm(CInterface& g) { return g.talkConfirm; }
  static const std::string& text(CInterface& g) { return g.talkText; }
};

namespace {
constexpr Long ZombieTrader = 0;

class TalkGameTest : public GameRunTest {};
}  // namespace

TEST_F(TalkGameTest, TheTalkKeyAtATraderOpensATradeOffer) {
  FakeGameClock clock;
  bool loaded = false;
  Integer trader = -1;
  Long key = 0, kind = -1;
  bool confirm = false, openAfter3s = false;
  long opened = -1, closed = -1;
  std::string text;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    if (pass == 1) {
      loaded = startFlight();
      if (!loaded) {
        GameRunning = false;
        return;
      }
      CShip& me = *Ships[0];
      CurMap->MissionSpawn("zombie_trader", "", me.x + 600, me.y, -1);
      for (Integer i = 1; i < static_cast<Integer>(Ships.size()); ++i)
        if (Ships[i] && Ships[i]->Exists && Ships[i]->getAIType() == ZombieTrader) trader = i;
      if (trader < 0) {
        GameRunning = false;
        return;
      }
      Ships[trader]->setAIHostile(0, false);
      for (Integer k = 0; k < 8; ++k) Player->setResource(k, 0);
      Player->setResource(3, 12);  // dairy to trade
      me.SecondaryTarget = trader;
      key = Player->getCharKey(17);
      return;
    }
    if (pass == 3) w.postKeyDown(key);
    if (pass == 4) w.postKeyUp(key);
    if (opened < 0 && GameInterface->getTalkBox()) {
      opened = pass;
      kind = TalkProbe::kind(*GameInterface);
      confirm = TalkProbe::confirm(*GameInterface);
      text = TalkProbe::text(*GameInterface);
    }
    if (opened > 0 && pass == opened + 180) openAfter3s = GameInterface->getTalkBox();
    if (opened > 0 && closed < 0 && !GameInterface->getTalkBox()) {
      closed = pass;
      GameRunning = false;
    }
    if (pass > 1200) GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_TRUE(loaded);
  ASSERT_GE(trader, 1);
  ASSERT_GT(opened, 0) << "no talk box";
  EXPECT_LE(opened, 6);
  EXPECT_EQ(kind, 1) << text;
  EXPECT_TRUE(confirm);
  EXPECT_NE(text.find("dairy"), std::string::npos) << text;
  EXPECT_TRUE(openAfter3s);
  // Len / 20 + 4 seconds at 17 ms a frame (the trader may cut it short only by leaving).
  const double seconds = (closed - opened) * 0.017;
  EXPECT_NEAR(seconds, text.size() / 20.0 + 4, 0.1) << text;
}
