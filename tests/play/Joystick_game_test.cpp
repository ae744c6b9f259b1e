// A virtual joystick in the real main loop on the generated content: on the input options page it
// binds thrust to button 2 and action/hyper to button 0, which the page then names (the release
// after the remap clicks nothing), clicks "save" and "tutorial" with button 0, flies the ship
// forward on button 2, and clicks "ok" of the quit dialog (the first release after the dialog
// opened from flight is swallowed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "audio/CJoyControl.h"
#include "audio/CJoystick.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "game/frmLaunch.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "platform/DirectInput.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"

namespace {
class JoystickGameTest : public GameRunTest {
 protected:
  void SetUp() override {
    GameRunTest::SetUp();
    auto list = DirectX8().DirectInputCreate()->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);
    if (list->GetCount() > 0) GTEST_SKIP() << "a joystick is attached already; the game opens the first";
    stick_ = attachVirtualJoystickForTests(2, 4, 1);
    if (stick_ < 0) GTEST_SKIP() << "the system offers no virtual joysticks";
  }
  void TearDown() override {
    JoyControl.reset();
    Joystick.reset();
    if (stick_ >= 0) detachVirtualJoystickForTests(stick_);
    GameRunTest::TearDown();
  }
  Long stick_ = -1;
};

enum class Step { Title, Menu, Options, Input, RemapThrust, RemapAction, Save, Tutorial, Fly, Quit, Done };
}  // namespace

TEST_F(JoystickGameTest, BindsOnTheOptionsPageFliesAndClicksMenus) {
  FakeGameClock clock;
  Step step = Step::Title;
  Long stepAt = 0, flightFrames = 0;
  bool opened = false, thrustWhileHeld = false;
  Integer thrustKey = 0, actionKey = 0;
  Single speedBefore = 0, speedAfter = 0;
  Long windowAfterRemapRelease = -1, windowAfterFirstClick = -1, finalWindow = -1;
    PixelImage optionsPage;
  bool captureNext = false;
  frmMain.beforePresentForTests = [&](Long) {
    if (!captureNext) return;
    D3DDevice->ReadBackBuffer(optionsPage.argb, optionsPage.width, optionsPage.height);
    captureNext = false;
  };
  // Button 0 goes down in one frame and up in the next; answers true on the frame of the release.
  Long clickPhase = 0;
  auto clickButton0 = [&] {
    setVirtualJoystickButtonForTests(stick_, 0, clickPhase == 0);
    clickPhase = (clickPhase + 1) % 2;
    return clickPhase == 0;
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 1500)) return;
    opened = Joystick && Joystick->Exists;
    CInterface& gi = *GameInterface;
    const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
    auto pointAt = [&](Single x, Single y) {
      PointerX = x;
      PointerY = y;
    };
    switch (step) {
      case Step::Title:
        if (gi.Window != msDemo || pass < 20) return;
        MouseHeld = true;  // a mouse press ends the title
        step = Step::Menu;
        break;
      case Step::Menu:
        MouseHeld = false;
        if (gi.Window != msMainMenu) return;
        pointAt(cx + 119, cy + 120);  // "options"
        MouseClicked = true;
        step = Step::Options;
        break;
      case Step::Options:
        if (gi.Window != msOptions) return;
        pointAt(cx - 270, cy - 110);  // "input"
        MouseClicked = true;
        step = Step::Input;
        break;
      case Step::Input:
        if (gi.Window != msOptInput) return;
        pointAt(cx - 100, cy - 50);  // the "thrust:" row
        MouseClicked = true;
        step = Step::RemapThrust;
        stepAt = 0;
        break;
      case Step::RemapThrust:
        if (stepAt == 0) {
          if (gi.keyRemapping != 0) return;  // the row waits
          stepAt = pass;
        }
        if (pass == stepAt + 1) setVirtualJoystickButtonForTests(stick_, 2, true);
        if (pass == stepAt + 3) {
          setVirtualJoystickButtonForTests(stick_, 2, false);
          pointAt(cx + 150, cy + 100);  // the "action/hyper:" row
          MouseClicked = true;
          step = Step::RemapAction;
          stepAt = 0;
        }
        break;
      case Step::RemapAction:
        if (stepAt == 0) {
          if (gi.keyRemapping != 8) return;
          stepAt = pass;
        }
        if (pass == stepAt + 1) setVirtualJoystickButtonForTests(stick_, 0, true);
        if (pass == stepAt + 3) {
          pointAt(cx - 270, cy + 150);  // "save", under the pointer as the button comes up
          setVirtualJoystickButtonForTests(stick_, 0, false);
        }
        if (pass == stepAt + 4) captureNext = true;
        if (pass == stepAt + 5) {
          windowAfterRemapRelease = gi.Window;
          thrustKey = Player->getCharKey(0);
          actionKey = Player->getCharKey(8);
          step = Step::Save;
        }
        break;
      case Step::Save:
        if (clickButton0()) step = Step::Tutorial;
        break;
      case Step::Tutorial:
        if (clickPhase == 0 && gi.Window != msMainMenu) return;
        pointAt(cx - 1, cy + 120);  // "tutorial"
        if (clickButton0()) step = Step::Fly;
        break;
      case Step::Fly:
        if (gi.Window != msNone || Ships.empty() || !Ships[0] || !Ships[0]->Exists) return;
        ++flightFrames;
        if (flightFrames == 90) {  // past the fade from black
          speedBefore = Ships[0]->Speed;
          setVirtualJoystickButtonForTests(stick_, 2, true);
        }
        if (flightFrames == 92) thrustWhileHeld = Ships[0]->keyThrust;
        if (flightFrames == 150) {
          speedAfter = Ships[0]->Speed;
          setVirtualJoystickButtonForTests(stick_, 2, false);
          frmMain.window().postKeyDown(27);  // Escape: the quit dialog
          frmMain.window().postKeyUp(27);
          step = Step::Quit;
          stepAt = 0;
        }
        break;
      case Step::Quit:
        if (stepAt == 0) {
          if (gi.Window != msConfirmQuit) return;
          stepAt = pass;
          pointAt(cx + 60, cy + 25);  // "ok"
        }
        if (pass == stepAt + 1 || pass == stepAt + 5) setVirtualJoystickButtonForTests(stick_, 0, true);
        if (pass == stepAt + 2 || pass == stepAt + 6) setVirtualJoystickButtonForTests(stick_, 0, false);
        if (pass == stepAt + 4) windowAfterFirstClick = gi.Window;
        if (pass == stepAt + 8) {
          finalWindow = gi.Window;
          step = Step::Done;
        }
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  EXPECT_TRUE(opened) << "the start-up opened the virtual joystick";
  EXPECT_EQ(static_cast<int>(step), static_cast<int>(Step::Done)) << "the script ran to its end";
  EXPECT_EQ(thrustKey, 1002);
  EXPECT_EQ(actionKey, 1000);
  EXPECT_EQ(windowAfterRemapRelease, msOptInput) << "the release after a remap clicks nothing";
  // The thrust row's binding text "button 2", grey from (cx - 25, cy - 50) onward, against the bare
  // panel right of it.
  ASSERT_GT(optionsPage.width, 0);
  const int32_t tx = optionsPage.width / 2 - 25, ty = optionsPage.height / 2 - 50;
  const Rgba panel = optionsPage.at(tx + 100, ty);
  int textPixels = 0;
  for (int32_t y = ty - 12; y < ty + 12; ++y)
    for (int32_t x = tx; x < tx + 70; ++x)
      if (std::abs(optionsPage.at(x, y).b - panel.b) > 12) ++textPixels;
  EXPECT_GT(textPixels, 100) << "the joystick binding is named on the input page";
  EXPECT_GE(flightFrames, 150);
  EXPECT_TRUE(thrustWhileHeld);
  EXPECT_GT(speedAfter, speedBefore + 1);
  EXPECT_EQ(windowAfterFirstClick, msConfirmQuit) << "the first release after the dialog opened";
  EXPECT_EQ(finalWindow, msMainMenu);
}
