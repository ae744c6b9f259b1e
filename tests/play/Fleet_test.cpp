// A carrier bought and flown with its fleet in the real main loop on the generated content, at a
// fixed 17 ms frame time: on "rustbelt", whose shipyard sells the "Galleon Mk2" carrier, the
// player lands at the shipyard, buys the carrier (the ship given up becomes fleet ship 0), takes
// off, launches the fleet ship with the secondary key and docks back into the carrier with the
// action key.
#include <gtest/gtest.h>

#include <memory>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"

namespace {
constexpr Integer Galleon2 = 13;  // the carrier of the level-2 shipyards

class FleetGameTest : public GameRunTest {};
}  // namespace

TEST_F(FleetGameTest, BuyACarrierLaunchTheFleetShipAndDockBack) {
  FakeGameClock clock;
  enum Stage { Landing, Shopping, Buying, Confirming, TakingOff, Launching, Docking, Done } stage = Landing;
  Integer pad = -1, firstShip = -1;
  long mark = 0;
  bool bought = false, launched = false, docked = false, motherGone = false;
  Integer fleetType = -1, flownAfterLaunch = -1, motherAfterLaunch = -1, carrierAfterDock = -1;
  Long bayAfterDock = -1;
  const CShip* carrierObject = nullptr;
  std::shared_ptr<CShip> motherObject;
  frmMain.afterFrameForTests = [&](Long pass) {
    GameWindow& w = frmMain.window();
    const Single x0 = (ScreenWidth - 500) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
    auto click = [&](Single x, Single y) {
      PointerX = x;
      PointerY = y;
      w.postMouseDown(1, x, y);
      w.postMouseUp(1, x, y);
    };
    if (pass > 3000) GameRunning = false;
    switch (stage) {
      case Landing:
        if (pass != 1) return;
        if (!startFlight()) break;
        CurMap->MapName = "rustbelt";
        if (!CurMap->Load()) break;
        World->setCurrentNodeByPath("rustbelt");
        pad = padServing(structShips);
        if (pad < 0) break;
        firstShip = Player->ShipType;
        holdActionOver(pad);  // held until the screen opens
        stage = Shopping;
        return;
      case Shopping:
        if (GameInterface->Window != msShipyard) return;
        w.postKeyUp(Player->getCharKey(8));
        Player->Cash = 1000000;
        click(x0 + 5 + 90 + 42, y0 + 30 + 180 + 42);  // the eighth ship: row 3, column 2
        stage = Buying;
        return;
      case Buying:
        click(x0 + 385, y0 + 225);  // "buy: $..."
        stage = Confirming;
        mark = pass;
        return;
      case Confirming:
        if (GameInterface->Window == msConfirmPurchase) {
          click((ScreenWidth - 400) / 2.0f + 260, (ScreenHeight - 150) / 2.0f + 100);  // "ok"
          return;
        }
        if (GameInterface->Window != msNone) {
          if (pass > mark + 5) GameRunning = false;
          return;
        }
        bought = Player->ShipType == Galleon2;
        fleetType = SubPlayers[0] ? SubPlayers[0]->ShipType : Integer(-1);
        stage = TakingOff;
        mark = pass;
        return;
      case TakingOff:
        if (pass < mark + 120) return;  // the screen fade has run out
        Ships[0]->x = 0;                // away from the pads
        Ships[0]->y = 0;
        w.postKeyDown(Player->getCharKey(11));  // the secondary key launches the chosen fleet ship
        stage = Launching;
        mark = pass;
        return;
      case Launching:
        if (pass == mark + 2) w.postKeyUp(Player->getCharKey(11));
        if (MotherShip < 0 || GameInterface->dockFrame > 0) {
          if (pass > mark + 300) GameRunning = false;
          return;
        }
        launched = true;
        flownAfterLaunch = Player->ShipType;
        motherAfterLaunch = MotherShip;
        motherObject = Ships[static_cast<size_t>(MotherShip)];
        if (GameInterface->iAction != 4) return;  // the dock prompt next to the mother ship
        w.postKeyDown(Player->getCharKey(8));
        stage = Docking;
        mark = pass;
        return;
      case Docking:
        if (pass == mark + 2) w.postKeyUp(Player->getCharKey(8));
        if (MotherShip >= 0 || GameInterface->dockFrame > 0) {
          if (pass > mark + 300) GameRunning = false;
          return;
        }
        docked = true;
        carrierAfterDock = Player->ShipType;
        bayAfterDock = SubPlayers[0]->ShipType;
        carrierObject = Ships[0].get();
        motherGone = motherObject && !motherObject->Exists;
        stage = Done;
        mark = pass;
        return;
      case Done:
        if (pass > mark + 30) GameRunning = false;
        return;
    }
    GameRunning = false;
  };
  frmMain.Form_Load();

  ASSERT_GE(pad, 0) << "rustbelt has no shipyard beside a landing pad";
  EXPECT_TRUE(bought) << "the carrier was not bought (stage " << stage << ")";
  EXPECT_EQ(fleetType, firstShip);  // the ship given up waits in bay 0
  ASSERT_TRUE(launched) << "no launch (stage " << stage << ")";
  EXPECT_EQ(flownAfterLaunch, firstShip);
  EXPECT_GE(motherAfterLaunch, 1);
  ASSERT_TRUE(docked) << "no dock (stage " << stage << ")";
  EXPECT_EQ(carrierAfterDock, Galleon2);
  EXPECT_EQ(bayAfterDock, firstShip);
  EXPECT_EQ(Ships[0].get(), carrierObject);
  EXPECT_EQ(Ships[0]->getShipBody(), sbCapital);
  EXPECT_TRUE(motherGone);  // the mother ship has left; the population may reuse its slot
  EXPECT_EQ(MotherShip, -1);
  motherObject.reset();
}
