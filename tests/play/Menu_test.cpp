// From the title scene to flight and back through the menus, in the real main loop on the
// generated content, headless on Mesa, at a fixed 17 ms frame time: a mouse press ends the title
// scene in the main menu, "tutorial" starts flight on the "tut" node with the player's ship, Escape
// opens "Quit to Main Menu?" (the world stops) and "ok" returns to the main menu. The title and
// the menu take mouse presses as the window system delivers them: a quick tap whose press and
// release both arrive before one frame, or a press held for a while.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "audio/modDirectShow.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GameRunFixture.h"

namespace {
class MenuGameTest : public GameRunTest {};

// Where the test stands in its script.
enum class Step { Title, Menu, Flight, Quit, Back, Done };
}  // namespace

TEST_F(MenuGameTest, TitleToMenuToTutorialFlightAndBackThroughTheQuitDialog) {
  FakeGameClock clock;
  Step step = Step::Title;
  Long pressedAt = 0, flightFrames = 0;
  bool titleSeen = false, menuAfterTitle = false, shipInFlight = false, pausedInDialog = false;
  bool worldMovedInFlight = false, titleTrackPlaying = false, titleTrackReleased = false;
  std::string flightMap, flightNode;
  Double mapClock = 0;  // the map's clock when flight began
  Long finalWindow = -1;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 1500)) return;
    CInterface& gi = *GameInterface;
    const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
    switch (step) {
      case Step::Title:
        if (gi.Window != msDemo) return;
        titleSeen = true;
        if (pass < 20) return;  // let the title run a little
        titleTrackPlaying = !GetMP3Pos().empty() && GetMP3Pos() != "eof";
        MouseHeld = true;  // a mouse button goes down over the title
        pressedAt = pass;
        step = Step::Menu;
        break;
      case Step::Menu:
        MouseHeld = false;
        if (gi.Window != msMainMenu) {
          if (pass > pressedAt + 5) GameRunning = false;
          return;
        }
        menuAfterTitle = pass <= pressedAt + 2;  // the press ended the title in the next frame
        titleTrackReleased = GetMP3Pos().empty();  // no graph left
        PointerX = cx;  // "tutorial", centred at (cx - 1, cy + 120)
        PointerY = cy + 120;
        MouseClicked = true;
        step = Step::Flight;
        break;
      case Step::Flight:
        if (gi.Window != msNone) return;
        if (!Ships.empty() && Ships[0] && Ships[0]->Exists) {
          if (flightFrames == 0) {
            shipInFlight = true;
            flightMap = CurMap ? CurMap->MapName : "";
            flightNode = World ? World->getCurrentPath() : "";
            mapClock = CurMap ? CurMap->Frame : 0;
          }
          ++flightFrames;
        }
        if (flightFrames >= 90) {  // past the fade from black
          worldMovedInFlight = CurMap && CurMap->Frame != mapClock;  // the yard starts without traffic
          frmMain.window().postKeyDown(27);  // Escape, delivered in the next frame's yield
          frmMain.window().postKeyUp(27);
          step = Step::Quit;
        }
        break;
      case Step::Quit:
        if (gi.Window != msConfirmQuit) return;
        pausedInDialog = GamePaused;
        PointerX = cx + 60;  // "ok", centred at (cx + 60, cy + 25)
        PointerY = cy + 25;
        MouseClicked = true;
        step = Step::Back;
        break;
      case Step::Back:
        if (gi.Window == msConfirmQuit) return;
        finalWindow = gi.Window;
        step = Step::Done;
        GameRunning = false;
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  EXPECT_TRUE(titleSeen);
  EXPECT_TRUE(menuAfterTitle);
  EXPECT_TRUE(titleTrackPlaying);
  EXPECT_TRUE(titleTrackReleased);
  EXPECT_TRUE(shipInFlight);
  EXPECT_EQ(flightMap, "tut");
  EXPECT_EQ(flightNode, "tut");
  EXPECT_GE(flightFrames, 90);
  EXPECT_TRUE(worldMovedInFlight);
  EXPECT_TRUE(pausedInDialog);
  EXPECT_EQ(finalWindow, msMainMenu);
  EXPECT_TRUE(step == Step::Done);
}

namespace {
struct TitlePress {
  const char* name;
  Long heldFrames;  // frames between the press and the release; 0: both in one frame's events
};
void PrintTo(const TitlePress& p, std::ostream* os) { *os << p.name; }
class TitlePressGameTest : public GameRunTest, public ::testing::WithParamInterface<TitlePress> {};
}  // namespace

// The press ends the title in the main menu within two frames of its delivery; a tap on
// "tutorial" (press and release in one frame's events) then starts flight.
TEST_P(TitlePressGameTest, EndsTheTitleAndTheMenuTakesATap) {
  const Long held = GetParam().heldFrames;
  FakeGameClock clock;
  enum class At { Title, Pressed, Tapped, Flight, Stuck } at = At::Title;
  Long pressedAt = 0, menuAt = -1, tappedAt = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 600)) return;
    CInterface& gi = *GameInterface;
    const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
    switch (at) {
      case At::Title:
        if (gi.Window != msDemo || pass < 20) return;
        frmMain.window().postMouseDown(1, cx, cy);  // delivered in the next frame's yield
        if (held == 0) frmMain.window().postMouseUp(1, cx, cy);
        pressedAt = pass;
        at = At::Pressed;
        break;
      case At::Pressed:
        if (held > 0 && pass == pressedAt + held) frmMain.window().postMouseUp(1, cx, cy);
        if (gi.Window == msMainMenu && menuAt < 0) menuAt = pass;
        if (pass < pressedAt + std::max<Long>(held, 2) + 2) return;  // the release is delivered
        if (gi.Window != msMainMenu) {
          at = At::Stuck;
          GameRunning = false;
          return;
        }
        PointerX = cx;  // "tutorial", centred at (cx - 1, cy + 120)
        PointerY = cy + 120;
        frmMain.window().postMouseDown(1, PointerX, PointerY);
        frmMain.window().postMouseUp(1, PointerX, PointerY);
        tappedAt = pass;
        at = At::Tapped;
        break;
      case At::Tapped:
        if (gi.Window == msNone) at = At::Flight;
        if (at == At::Flight || pass > tappedAt + 5) GameRunning = false;
        break;
      default:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();
  EXPECT_GT(menuAt, 0) << "the press did not end the title";
  EXPECT_LE(menuAt, pressedAt + 2) << "the title ended only at pass " << menuAt;
  EXPECT_TRUE(at == At::Flight) << "the tap on \"tutorial\" did not start flight";
}

INSTANTIATE_TEST_SUITE_P(Presses, TitlePressGameTest,
                         ::testing::Values(TitlePress{"TapWithinOneFrame", 0}, TitlePress{"PressHeld150ms", 9}),
                         [](const ::testing::TestParamInfo<TitlePress>& i) { return std::string(i.param.name); });
