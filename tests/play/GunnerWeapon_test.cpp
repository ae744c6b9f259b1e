// The gunner's weapon across the weapon store and landings, in the real main loop on the generated
// content, headless on Mesa: the player's ship, carrying no secondary weapon, lands at the ammo
// depot "trigger happy" of "losgatos", buys a shotty and a pack of shells and leaves with "done!":
// the gunner holds the shotty in flight (the HUD names it, not "no weapon"). The ship takes off,
// lands at the depot again and leaves: the shotty is still in hand.
#include <gtest/gtest.h>

#include <string>

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
#include "tests/support/GameRunFixture.h"

namespace {

class GunnerWeaponTest : public GameRunTest {};

constexpr Integer Shotty = 3;

// What the HUD's weapon panel reads.
struct Held {
  Long weapon = -9;  // the gunner's weapon, -1 none ("no weapon")
  Integer rounds = -1;
};

enum class Step { Land, Store, Buy, Shells, Done, Fly, TakeOff, Reland, Again, Away, End };

}  // namespace

TEST_F(GunnerWeaponTest, ABoughtWeaponIsInTheGunnersHandsAndStaysThereAcrossALanding) {
  FakeGameClock clock;
  Step step = Step::Land;
  Integer pad = -1, action = -1, nextKey = -1;
  Long mark = 0;
  bool carriedBefore = true, boughtIt = false;
  Held afterPurchase, afterLanding;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 3000) GameRunning = false;
    if (pass == 1) {
      pad = startFlight() ? padServing(structAmmo) : Integer(-1);
      if (pad < 0) {
        GameRunning = false;
        return;
      }
      CShip& s = *Ships[0];
      carriedBefore = false;
      for (Integer w = 0; w < CShip::SecondarySlots; ++w)
        if (s.getHasSecondary(w)) carriedBefore = true;
      Player->Cash = 100000;
      action = holdActionOver(pad);
      return;
    }
    CInterface& gi = *GameInterface;
    CShip& s = *Ships[0];
    s.Armor = static_cast<Single>(s.getMaxArmor());
    const Single x0 = (ScreenWidth - 500) / 2.0f, y0 = (ScreenHeight - 360) / 2.0f;
    auto click = [](Single x, Single y) {
      PointerX = x;
      PointerY = y;
      MouseClicked = true;
    };
    switch (step) {
      case Step::Land:
      case Step::Reland:
        if (gi.Window != msWeaponStore) {
          if (pass > mark + 400) GameRunning = false;
          return;
        }
        frmMain.window().postKeyUp(action);
        mark = pass;
        step = step == Step::Land ? Step::Store : Step::Again;
        break;
      case Step::Store:
        if (pass == mark + 3) click(x0 + 52, y0 + 82);  // stock slot 0: the shotty
        if (pass == mark + 6) {
          click(x0 + 392, y0 + 210);  // "buy"
          step = Step::Buy;
        }
        break;
      case Step::Buy:
        boughtIt = s.getHasSecondary(Shotty);
        click(x0 + 52 + 140, y0 + 82);  // stock slot 2: shotty shells
        mark = pass;
        step = Step::Shells;
        break;
      case Step::Shells:
        if (pass == mark + 3) click(x0 + 392, y0 + 210);  // "buy"
        if (pass == mark + 6) {
          click(x0 + 250, y0 + 330);  // "done!"
          step = Step::Done;
        }
        break;
      case Step::Done:
        if (gi.Window != msNone) return;
        mark = pass;
        step = Step::Fly;
        break;
      case Step::Fly:
        if (pass < mark + 60) return;  // a second on the pad and in flight
        afterPurchase = Held{s.getSecondaryWeapon(), s.getSecondaryAmmo(Shotty)};
        if (afterPurchase.weapon != Shotty) {
          // The landing is tested on its own: take the shotty with the next-weapon key.
          nextKey = Player->getCharKey(7);
          frmMain.window().postKeyDown(nextKey);
        }
        mark = pass;
        step = Step::TakeOff;
        break;
      case Step::TakeOff:
        if (pass == mark + 5 && nextKey >= 0) frmMain.window().postKeyUp(nextKey);
        if (pass == mark + 30) {
          s.x += 3000;  // off the pad: the landing is over
          s.y += 3000;
        }
        if (pass == mark + 60) {
          action = holdActionOver(pad);
          mark = pass;
          step = Step::Reland;
        }
        break;
      case Step::Again:
        if (pass == mark + 3) click(x0 + 250, y0 + 330);  // "done!"
        if (pass == mark + 60) {
          afterLanding = Held{s.getSecondaryWeapon(), s.getSecondaryAmmo(Shotty)};
          step = Step::End;
          GameRunning = false;
        }
        break;
      default:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  ASSERT_GE(pad, 0) << "the default map has no ammo depot beside a landing pad";
  ASSERT_FALSE(carriedBefore) << "the new record's ship already carries a secondary weapon";
  ASSERT_TRUE(boughtIt);
  EXPECT_EQ(afterPurchase.weapon, Shotty) << "flight shows \"no weapon\" after the purchase";
  EXPECT_EQ(afterPurchase.rounds, 10);
  ASSERT_TRUE(step == Step::End);
  EXPECT_EQ(afterLanding.weapon, Shotty) << "the landing left the gunner with no weapon";
  EXPECT_EQ(afterLanding.rounds, 10);
}

// A warp with the shotty in the gunner's hands: the ship, at "losgatos" with the route set to
// "zomflats", carries a shotty with 10 shells (given to the record and the ship, not bought), the
// next-weapon key takes it, and the action key held climbs into the warp. The gunner puts the
// weapon away as the ship warps out; once the ship has warped in over "zomflats" it is back in
// hand, and it stays there.
TEST_F(GunnerWeaponTest, TheWeaponHeldBeforeAWarpIsHeldAfterIt) {
  FakeGameClock clock;
  Integer actionKey = -1, nextKey = -1, toNode = -1;
  Long tookAt = -1, arrivedAt = -1;
  Long heldBefore = -9, heldInWarp = -9, heldAfter = -9, heldLater = -9;
  std::string mapAfter;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 3000) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      World->CurrentNode = World->getNodeFromPath("losgatos");
      toNode = World->getNodeFromPath("zomflats");
      resetLevel();
      World->DestNode = toNode;
      CShip& s = *Ships[0];
      s.x = -2500;
      s.y = 3500;
      s.r = 0;
      s.Fuel = static_cast<Single>(s.getMaxFuel());
      s.setSecondary(Shotty, true);
      s.setSecondaryAmmo(Shotty, 10);
      Player->setHasWeaponFromShip(0);
      Player->setAmmoFromShip(0);
      nextKey = Player->getCharKey(7);
      actionKey = Player->getCharKey(8);
      frmMain.window().postKeyDown(nextKey);
      return;
    }
    CShip& s = *Ships[0];
    s.Armor = static_cast<Single>(s.getMaxArmor());
    if (pass == 6) frmMain.window().postKeyUp(nextKey);
    if (tookAt < 0) {
      if (s.getSecondaryWeapon() != Shotty) {
        if (pass > 300) GameRunning = false;
        return;
      }
      tookAt = pass;
      heldBefore = s.getSecondaryWeapon();
      frmMain.window().postKeyDown(actionKey);
      return;
    }
    if (s.getRealWarp() > 11 && s.keyWarp) frmMain.window().postKeyUp(actionKey);  // on by itself past 10
    if (s.getRealWarp() > 13 && s.getRealWarp() < 14) heldInWarp = s.getSecondaryWeapon();
    if (arrivedAt < 0 && CurMap->MapName == "zomflats" && s.getRealWarp() == 0) {
      arrivedAt = pass;
      mapAfter = CurMap->MapName;
    }
    if (arrivedAt > 0 && pass == arrivedAt + 60) heldAfter = s.getSecondaryWeapon();
    if (arrivedAt > 0 && pass == arrivedAt + 240) {
      heldLater = s.getSecondaryWeapon();
      GameRunning = false;
    }
  };
  frmMain.Form_Load();

  ASSERT_GT(tookAt, 0) << "the next-weapon key never put the shotty in the gunner's hands";
  EXPECT_EQ(heldBefore, Shotty);
  EXPECT_EQ(heldInWarp, -1) << "the gunner keeps the weapon out through the warp";
  ASSERT_GT(arrivedAt, 0) << "the warp never reached zomflats";
  EXPECT_EQ(heldAfter, Shotty) << "after the warp flight shows \"no weapon\"";
  EXPECT_EQ(heldLater, Shotty);
  EXPECT_EQ(Ships[0]->getSecondaryAmmo(Shotty), 10);
}
