// The interface pass (CInterface::Render): pause rule, leaving flight, the screen fade's gating,
// ship-change fades, cash popups, the game clock, the death prompt, the overlay's animation, the
// error trap, and the object's initial values.
#include <cmath>

#include "tests/interface/CoreFixture.h"

namespace {

using CoreRender = CoreTest;

TEST_F(CoreRender, TheGamePausesOnlyForTheOverlayIntroCreditsAndQuitDialog) {
  struct Case {
    Single overlay;
    Long window;
    bool paused;
  };
  const Case cases[] = {
      {0, msNone, false},         {0, msShipyard, false}, {0, msConfirmMission, false}, {0, msMainMenu, false},
      {0, msConfirmQuit, true},   {0, msIntro, true},     {0, msCredits, true},         {0.5f, msNone, true},
      {1.0f, msNone, true},
  };
  for (const Case& c : cases) {
    CoreProbe::overlayFrame(*gi) = c.overlay;
    gi->Window = c.window;
    GamePaused = !c.paused;
    gi->Render();
    EXPECT_EQ(GamePaused, c.paused) << "window " << c.window << " overlay " << c.overlay;
  }
}

TEST_F(CoreRender, AScreenOpenedFromFlightDropsThePendingClickOnce) {
  // From flight to a store: the latch is cleared and the joystick's release is swallowed.
  CoreProbe::prevWindow(*gi) = msNone;
  gi->Window = 42;  // a state above 0 with no screen: nothing but the cursor
  PointerX = PointerY = -100;
  MouseClicked = true;
  gi->Render();
  EXPECT_FALSE(MouseClicked);
  EXPECT_TRUE(JoyControl->keyUpGrace);
  EXPECT_EQ(CoreProbe::prevWindow(*gi), 42);
  // From screen to screen the latch is left to the screens.
  JoyControl->keyUpGrace = false;
  gi->Window = 43;
  MouseClicked = true;
  gi->Render();
  EXPECT_TRUE(MouseClicked);
  EXPECT_FALSE(JoyControl->keyUpGrace);
  EXPECT_EQ(CoreProbe::prevWindow(*gi), 43);
}

TEST_F(CoreRender, TheFadeHidesTheHudUntilItIsDownToHalfAndLevelsTheShip) {
  struct Case {
    Long window;
    Single start, after;
    bool hud;
  };
  FrameTime = 0.2;
  const Case cases[] = {
      {msNone, 1.5f, 1.3f, false},  // still dark: the pass ends after the shade
      {msNone, 0.6f, 0.4f, true},   // lighter than 0.5 after this frame: the HUD is drawn
      {msNewDifficulty, 1.5f, 1.3f, false},  // a full-screen page runs it over the page
      {msMainMenu, 0.1f, -0.1f, false},
  };
  for (const Case& c : cases) {
    gi = std::make_shared<CInterface>();
    GameInterface = gi;
    gi->Window = c.window;
    CoreProbe::fadeLevel(*gi) = c.start;
    Ships[0]->Pitch = 0.3f;
    Ships[0]->roll = 0.4f;
    gi->Render();
    EXPECT_NEAR(CoreProbe::fadeLevel(*gi), c.after, 1e-5) << c.window << " " << c.start;
    EXPECT_EQ(CoreProbe::hudShown(*gi), c.hud) << c.window << " " << c.start;
    if (c.window == msNone) {
      EXPECT_EQ(Ships[0]->Pitch, 0);
      EXPECT_EQ(Ships[0]->roll, 0);
    }
  }
  EXPECT_FALSE(logHas("Error in Interface.Render"));
}

TEST_F(CoreRender, UnderTheDarkHalfOfTheFadeAPageIsNeitherDrawnNorClicked) {
  // "new game" fades in over the difficulty page: a click on "very easy" in the dark half is
  // dropped, the page not drawn; in the light half the page is drawn and takes it.
  FrameTime = 0.2;
  struct Case {
    Single start;
    bool taken;
  } cases[] = {{1.5f, false}, {0.8f, false}, {0.6f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    gi->Window = msNewDifficulty;
    Player->Difficulty = 3;
    CoreProbe::fadeLevel(*gi) = c.start;
    clickAt(550, 210);  // "very easy", the first of the five
    gi->Render();
    EXPECT_FALSE(MouseClicked);
    EXPECT_EQ(gi->Window, c.taken ? msNewShip : msNewDifficulty);
    EXPECT_EQ(Player->Difficulty, c.taken ? 0 : 3);
  }
  EXPECT_FALSE(logHas("Error in Interface.Render"));
}

TEST_F(CoreRender, ShipChangeFadesDarkenAtTheirCentreAndEnd) {
  FrameTime = 0.1;
  for (Single start : {1.0f, 11.0f}) {
    gi->dockFrame = start;
    Single darkest = 0;
    int passes = 0;
    while (gi->dockFrame > 0 && passes < 50) {
      gi->Render();
      darkest = std::max(darkest, CoreProbe::fadeLevel(*gi));
      ++passes;
    }
    EXPECT_EQ(gi->dockFrame, 0) << start;
    // Darkest at t = 1.5 (11.5), seen after the same pass ran the fade down by its frame time.
    EXPECT_NEAR(darkest, 1.5f - 0.1f, 1e-3) << start;
    EXPECT_GE(passes, 10) << start;             // 1.0 s from start to the end
    EXPECT_LE(passes, 11) << start;
  }
}

TEST_F(CoreRender, CashChangesOpenPopupsWithTheNetAmount) {
  gi->Window = msNone;
  Player->Cash = 10500;  // two changes before one pass: one popup of the net difference
  gi->Render();
  EXPECT_EQ(CoreProbe::cashPopAmount(*gi, 0), -500);  // money gained
  EXPECT_NEAR(CoreProbe::cashPopTimer(*gi, 0), 1.0f - 0.02f, 1e-6);
  EXPECT_EQ(gi->prevCash, 10500);
  // Seven changes within a second: six popups, the seventh finds no free slot.
  for (int k = 1; k <= 6; ++k) {
    Player->Cash = 10500 - 100 * k;
    gi->Render();
  }
  for (int i = 1; i < 6; ++i) EXPECT_EQ(CoreProbe::cashPopAmount(*gi, i), 100) << i;
  EXPECT_EQ(gi->prevCash, 9900);
  // Infinite cash pins the cash and opens no popups.
  CheatCash = true;
  gi = std::make_shared<CInterface>();
  GameInterface = gi;
  gi->Render();
  EXPECT_EQ(Player->Cash, 2000000);
  EXPECT_EQ(CoreProbe::cashPopTimer(*gi, 0), 0);
}

TEST_F(CoreRender, TheGameClockCountsOneSecondPerPassAndRestartsAtMidnight) {
  struct Step {
    Single now;
    Long gameTime;
    Single mark;
  };
  const Step steps[] = {
      {1000.0f, 0, 1000.0f},  // first pass: the mark is taken
      {1000.5f, 0, 1000.0f},
      {1001.5f, 1, 1001.0f},
      {1006.5f, 2, 1002.0f},  // a 5 s stall is caught up one second per pass
      {1006.6f, 3, 1003.0f},
      {1006.7f, 4, 1004.0f},
      {1006.8f, 5, 1005.0f},
      {1006.9f, 6, 1006.0f},
      {1006.95f, 6, 1006.0f},  // caught up
      {3.0f, 6, 3.0f},         // midnight: the mark restarts without counting
      {4.5f, 7, 4.0f},
  };
  for (const Step& s : steps) {
    CoreProbe::tickGameClock(*gi, s.now);
    EXPECT_EQ(gi->GameTime, s.gameTime) << s.now;
    EXPECT_FLOAT_EQ(CoreProbe::clockMark(*gi), s.mark) << s.now;
  }
}

TEST_F(CoreRender, TheDeathPromptTintsTheMapRedOnceTheIntroClockPassesThree) {
  struct Case {
    bool exists;
    Single introClock;
    bool tinted;
  };
  const Case cases[] = {{true, 5, false}, {false, 2.5f, false}, {false, 3.5f, true}};
  for (const Case& c : cases) {
    CurMap->setRed(10);
    CurMap->setGreen(20);
    CurMap->setBlue(30);
    Ships[0]->Exists = c.exists;
    IntroClock = c.introClock;
    gi->Window = msNone;
    gi->Render();
    EXPECT_EQ(CurMap->getRed() == 80 && CurMap->getGreen() == 0 && CurMap->getBlue() == 0, c.tinted)
        << c.exists << " " << c.introClock;
  }
}

TEST_F(CoreRender, AWreckedPlayerLeavesTheFlightScreenForTheDeathPrompt) {
  // Under the death camera a flight screen is drawn no more: left open, the wait screen would
  // never run out and the prompt to start again never show.
  struct Case {
    Long window;
    bool exists;
    Long after;
  };
  const Case cases[] = {{msWaitForASec, false, msNone}, {msHardware, false, msNone}, {msWaitForASec, true, msWaitForASec},
                        {msHardware, true, msHardware},   {msMainMenu, false, msMainMenu}};
  for (const Case& c : cases) {
    Ships[0]->Exists = c.exists;
    IntroClock = 3.5f;
    CurMap->setRed(10);
    gi->Window = c.window;
    if (c.window == msWaitForASec) gi->InitWaitForASec();
    gi->Render();
    EXPECT_EQ(gi->Window, c.after) << c.window << " " << c.exists;
    EXPECT_EQ(CurMap->getRed() == 80, !c.exists && c.after == msNone) << "the death prompt, " << c.window;
  }
}

TEST_F(CoreRender, TheOverlayOpensToExactlyOneAndClosesIntoASteeringPause) {
  gi->Window = msNone;
  CoreProbe::overlayIsStatus(*gi) = true;
  CoreProbe::overlayFrame(*gi) = 0.01f;
  FrameTime = 0.1;
  gi->Render();
  EXPECT_NEAR(CoreProbe::overlayFrame(*gi), 0.51f, 1e-5);
  gi->Render();
  EXPECT_EQ(CoreProbe::overlayFrame(*gi), 1.0f);  // 1.01 snaps to exactly open
  EXPECT_TRUE(gi->hasMouse());
  CoreProbe::overlayFrame(*gi) = 1.01f;  // ToggleWarpChoose reversed it
  gi->Render();
  EXPECT_NEAR(CoreProbe::overlayFrame(*gi), 1.51f, 1e-5);
  EXPECT_EQ(SteerDelay, 0);
  gi->Render();
  EXPECT_EQ(CoreProbe::overlayFrame(*gi), 0);
  EXPECT_EQ(SteerDelay, 2.0f);
  EXPECT_FALSE(gi->hasMouse());
  EXPECT_FALSE(logHas("Error in Interface.Render"));
}

TEST_F(CoreRender, TheBountyMessageRunsAtHalfSpeed) {
  gi->NewBountyMsg("bounty!");
  FrameTime = 0.5;
  gi->Render();
  EXPECT_NEAR(CoreProbe::bountyMsgTimer(*gi), 1.75f, 1e-6);
}

TEST_F(CoreRender, TheTitleSceneOverridesTheWeatherByItsAge) {
  struct Case {
    Double age;
    Long fog, fx, weather;
  };
  const Case cases[] = {{40, 0, 0, 0}, {60, 0, 3, 5}, {80, 2, 1, 4}};
  for (const Case& c : cases) {
    CurMap->MapFog = CurMap->MapFX = CurMap->MapWeather = 0;
    gi->Window = msDemo;
    gi->DemoOverFrame = c.age;
    gi->Render();
    EXPECT_EQ(CurMap->MapFog, c.fog) << c.age;
    EXPECT_EQ(CurMap->MapFX, c.fx) << c.age;
    EXPECT_EQ(CurMap->MapWeather, c.weather) << c.age;
    EXPECT_EQ(gi->Window, msDemo);  // no press, the track has not ended
  }
  EXPECT_FALSE(logHas("Error in Interface.Render"));
}

TEST_F(CoreRender, TheTitleSceneOpensWithAFadeThenShipShots) {
  gi->Window = msDemo;
  FrameTime = 0.25;
  Ships[3]->Exists = true;
  Ships[3]->keyPrimary = true;
  int passes = 0;
  while (gi->DemoSceneMode == 0 && passes < 40) {
    gi->Render();
    ++passes;
  }
  // The opening fade runs at half speed (+0.25, then -0.125 a pass): the eighth pass passes 1.0.
  EXPECT_EQ(passes, 8);
  EXPECT_EQ(gi->DemoSceneMode, 2);
  EXPECT_LE(gi->DemoSceneFrame, -1.0f);
  EXPECT_GE(gi->DemoSceneFrame, -2.0f);
}

TEST_F(CoreRender, AnErrorEndsThePassWithItsMessage) {
  Ships.clear();  // the fade levels the player's ship, which is gone
  gi->Window = msNone;
  CoreProbe::fadeLevel(*gi) = 1.0f;
  gi->Render();
  EXPECT_TRUE(logHas("Error in Interface.Render: "));
  EXPECT_FALSE(CoreProbe::hudShown(*gi));
}

TEST_F(CoreRender, ANewInterfaceStartsWithItsInitialValues) {
  MsgLog.fill("");
  MsgCount = 0;
  MouseClicked = true;
  PointerX = PointerY = 5;
  CInterface fresh;
  EXPECT_TRUE(logHas("Debug mode on."));
  EXPECT_FALSE(MouseClicked);
  EXPECT_EQ(PointerX, 100);
  EXPECT_EQ(PointerY, 100);
  EXPECT_EQ(fresh.Window, msNone);
  EXPECT_EQ(fresh.keyRemapping, -1);
  EXPECT_EQ(fresh.TargRender, -1);
  EXPECT_EQ(fresh.prevCash, 10000);
  EXPECT_EQ(CoreProbe::prevWindow(fresh), msMainMenu);
  EXPECT_FALSE(fresh.hasMouse());
  // Without the developer flag nothing is logged.
  DevMode = false;
  MsgLog.fill("");
  MsgCount = 0;
  CInterface quiet;
  EXPECT_FALSE(logHas("Debug mode on."));
}

}  // namespace
