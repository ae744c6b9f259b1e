// A new game from the main menu to flight, in the real main loop on the generated content,
// headless on Mesa: "new game", every wizard page passed with clicks (difficulty, a ship tile, a
// driver portrait, the driver's name typed, the gunner, a save slot), "finish!" saving the game,
// then the intro slide show hurried with clicks until it ends in flight on the new game's node
// with the player's ship in the world.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "runtime/ItemFile.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"

namespace {
class WizardGameTest : public GameRunTest {};

enum class Step { Title, Menu, Difficulty, Ship, Driver, DriverName, Gunner, GunnerName, Slot, AllSet, Intro, Flight, Done };
}  // namespace

TEST_F(WizardGameTest, FromTheMainMenuThroughEveryPageToFlight) {
  FakeGameClock clock;
  Step step = Step::Title;
  Long seenAt = -1, pressedAt = 0, flightFrames = 0;
  std::string menuNode, flightNode, flightMap;
  bool savedAtFinish = false, introSeen = false, slidePictureShown = false, shipInFlight = false;
  int portraitsShown = 0;  // driver and gunner pages whose portraits loaded
  auto portraitLoaded = [](const char* name) {
    return TexSlots[static_cast<size_t>(TexMon->getTextureNumber(name))].object != nullptr;
  };
  Integer difficulty = -1, shipType = -1, driver = -1, gunner = -1;
  std::string driverName;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 3000)) return;
    CInterface& gi = *GameInterface;
    GameWindow& w = frmMain.window();
    const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
    const Single top = cy - 200;
    auto click = [&](Single x, Single y) {
      PointerX = x;
      PointerY = y;
      MouseClicked = true;
    };
    // Frames since the interface began to show `window` in this step, -1 while it does not.
    auto since = [&](Long window) -> Long {
      if (gi.Window != window) {
        seenAt = -1;
        return -1;
      }
      if (seenAt < 0) seenAt = pass;
      return pass - seenAt;
    };
    auto next = [&](Step s) {
      step = s;
      seenAt = -1;
    };
    switch (step) {
      case Step::Title:
        if (gi.Window != msDemo || pass < 20) return;
        MouseHeld = true;  // a press ends the title scene
        pressedAt = pass;
        next(Step::Menu);
        break;
      case Step::Menu:
        MouseHeld = false;
        if (gi.Window != msMainMenu) {
          if (pass > pressedAt + 5) GameRunning = false;
          return;
        }
        menuNode = World->getCurrentPath();
        click(cx - 241, cy + 120);  // "new game"
        next(Step::Difficulty);
        break;
      case Step::Difficulty:
        // The page shows once the fade from black is half done.
        if (since(msNewDifficulty) == 80) {
          click(cx + 150, top + 110 + 50 * 3);  // "hard"
          next(Step::Ship);
        }
        break;
      case Step::Ship: {
        const Long f = since(msNewShip);
        if (f == 2) click(cx + 15 + 90 * 1 + 42, top - 45 + 230 + 42);  // the middle ship
        if (f == 4) {
          click(cx + 230, top + 315);  // "next", 45 higher on this page
          next(Step::Driver);
        }
        break;
      }
      case Step::Driver: {
        const Long f = since(msNewDriver);
        if (f == 2) {
          click(cx + 20 + 64 * 1 + 30, top + 200 + 64 * 1 + 30);  // ninja a
          if (portraitLoaded("portraits\\ninja.bmp")) ++portraitsShown;
        }
        if (f == 4) {
          click(cx + 230, top + 360);
          next(Step::DriverName);
        }
        break;
      }
      case Step::DriverName:
        if (since(msNewDriverName) == 2) {
          for (int i = 0; i < 25; ++i) w.postKeyPress(8);  // Backspace, also past the empty name
          for (char c : std::string("ace of spades and more letters")) w.postKeyPress(c);  // 20 kept
          w.postKeyPress(13);  // Enter: on to the gunner
          next(Step::Gunner);
        }
        break;
      case Step::Gunner:
        if (since(msNewGunner) == 3) {
          if (portraitLoaded("portraits\\chic1.bmp")) ++portraitsShown;
          click(cx + 230, top + 360);
          next(Step::GunnerName);
        }
        break;
      case Step::GunnerName:
        if (since(msNewGunnerName) == 3) {
          click(cx + 230, top + 360);
          next(Step::Slot);
        }
        break;
      case Step::Slot: {
        const Long f = since(msNewSaveSlot);
        if (f == 2) click(cx - 195 + 22 + 65 * 4 + 32, cy - 122 + 30 + 32);  // slot 5
        if (f == 4) {
          click(cx + 230, top + 360);
          next(Step::AllSet);
        }
        break;
      }
      case Step::AllSet:
        if (since(msNewAllSet) == 3) {
          difficulty = static_cast<Integer>(Player->Difficulty);
          shipType = Player->ShipType;
          driver = Player->getCharDef(0);
          gunner = Player->getCharDef(1);
          driverName = Player->DriverName;
          click(cx + 230, top + 360);  // "finish!"
          next(Step::Intro);
        }
        break;
      case Step::Intro:
        if (gi.Window == msIntro) {
          introSeen = true;
          const auto& slot = TexSlots[static_cast<size_t>(TexHomeMap)].object;
          if (slot && slot->Width() == 256) slidePictureShown = true;  // not the 128-pixel map picture
          savedAtFinish = savedAtFinish || dir->exists("\\data\\save4\\mother.pnd");
          clock.step = 200;  // longer frames: the show runs 133 s of play time
          if (pass % 10 == 0) MouseClicked = true;  // hurry each slide
          return;
        }
        if (!introSeen || gi.Window != msNone) return;
        clock.step = 1;
        next(Step::Flight);
        break;
      case Step::Flight:
        if (gi.Window != msNone) {
          GameRunning = false;
          return;
        }
        if (Ships[0] && Ships[0]->Exists) shipInFlight = true;
        if (++flightFrames == 30) {
          flightMap = CurMap->MapName;
          flightNode = World->getCurrentPath();
          next(Step::Done);
          GameRunning = false;
        }
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  EXPECT_EQ(menuNode, "losgatos");
  EXPECT_EQ(difficulty, 3);
  EXPECT_EQ(shipType, 5);
  EXPECT_EQ(driver, 8);
  EXPECT_EQ(gunner, 16);
  EXPECT_EQ(driverName, "ace of spades and mo");
  EXPECT_TRUE(introSeen);
  EXPECT_TRUE(slidePictureShown);
  EXPECT_EQ(portraitsShown, 2);
  EXPECT_TRUE(savedAtFinish);
  // The slot holds the new game.
  ASSERT_TRUE(dir->exists("\\data\\save4\\save.pnd"));
  ItemReader in("\\data\\save4\\save.pnd");
  const std::string name = in.readLine();
  EXPECT_EQ(name.substr(name.size() < 7 ? 0 : name.size() - 7), " (auto)");
  EXPECT_EQ(in.readLine(), "ace of spades and mo");
  in.readLine();
  EXPECT_EQ(in.readLine(), " 3 ");
  EXPECT_EQ(dir->read("\\data\\save0\\save.pnd"), "\"*nil*\"\r\n");  // the other slots untouched
  // Flight on the new game's node.
  EXPECT_TRUE(step == Step::Done);
  EXPECT_TRUE(shipInFlight);
  EXPECT_EQ(flightMap, "losgatos");
  EXPECT_EQ(flightNode, "losgatos");
}
