// Main menu, options pages and confirmation dialogs, driven through the interface pass with the
// pointer on a widget and a click in the latch, as the window handlers leave them.
#include "campaign/CWorld.h"
#include "audio/CMusic.h"
#include "ships/CShipDef.h"
#include "tests/interface/CoreFixture.h"

namespace {

class CoreMenu : public CoreTest {
 protected:
  // One interface pass on screen `window` with a click at (x, y).
  void clickOn(Long window, Single x, Single y) {
    gi->Window = window;
    clickAt(x, y);
    gi->Render();
  }
  void writeEmptySlots() {
    for (Integer k = 0; k < 7; ++k) dir->write(CPlayer::SlotFile(k, -1), "\"*nil*\"\r\n");
  }
};

// ---- main menu (buttons along y 410, centres x 159, 279, 399, 519, 639) ----

TEST_F(CoreMenu, TheMainMenuButtonsOpenTheirScreens) {
  clickOn(msMainMenu, 519, 420);
  EXPECT_EQ(gi->Window, msOptions);
  EXPECT_FALSE(MouseClicked);
  clickOn(msMainMenu, 639, 420);
  EXPECT_FALSE(GameRunning);
}

TEST_F(CoreMenu, LoadGameRereadsTheSlotsBeforeTheGameManagerOpens) {
  writeEmptySlots();
  dir->write(CPlayer::SlotFile(3, -1), "\"written elsewhere\"\r\n");
  clickOn(msMainMenu, 279, 420);
  EXPECT_EQ(gi->Window, msGameManager);
  EXPECT_NE(CoreProbe::slotName(*gi, 3), "");
  EXPECT_EQ(CoreProbe::slotName(*gi, 2), "");
}

TEST_F(CoreMenu, AClickBetweenTheButtonsIsDropped) {
  clickOn(msMainMenu, 220, 420);  // between "new game" and "load game"
  EXPECT_EQ(gi->Window, msMainMenu);
  EXPECT_FALSE(MouseClicked);
  EXPECT_TRUE(GameRunning);
}

// ---- options (page buttons at x 130: input y 190, graphics 230, sound 270, extra 310; cancel 410, save 450) ----

TEST_F(CoreMenu, PageButtonsSwitchPagesAndTheShownPageIsDisabled) {
  clickOn(msOptions, 130, 230);
  EXPECT_EQ(gi->Window, msOptGraphics);
  clickOn(msOptGraphics, 130, 230);  // its own button is disabled
  EXPECT_EQ(gi->Window, msOptGraphics);
  EXPECT_FALSE(MouseClicked);  // the page clears the latch at the end of its frame
  clickOn(msOptGraphics, 130, 310);
  EXPECT_EQ(gi->Window, msOptExtra);
  clickOn(msOptExtra, 130, 190);
  EXPECT_EQ(gi->Window, msOptInput);
  clickOn(msOptInput, 130, 410);
  EXPECT_EQ(gi->Window, msMainMenu);
}

TEST_F(CoreMenu, LeavingTheInputPageEndsAWaitingBinding) {
  // "thrust:" clicked, then the page left by another page button, "cancel" or "save": the next
  // key binds nothing.
  struct Case {
    const char* way;
    Single y;
    Long window;
  } cases[] = {{"graphics", 230, msOptGraphics}, {"cancel", 410, msMainMenu}, {"save", 450, msMainMenu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.way);
    Player->setCharKey(0, 87);
    clickOn(msOptInput, 300, 250);  // "thrust:" at (250, 250)
    ASSERT_EQ(gi->keyRemapping, 0);
    clickOn(msOptInput, 130, c.y);
    EXPECT_EQ(gi->Window, c.window);
    EXPECT_EQ(gi->keyRemapping, -1);
    gi->Remap(88);
    EXPECT_EQ(Player->getCharKey(0), 87);
  }
}

TEST_F(CoreMenu, SaveWritesBothOptionsFilesAndCancelWritesNothing) {
  dir->remove("\\data\\options.pnd");
  dir->remove("\\data\\options2.pnd");
  Player->vRes = 2;
  clickOn(msOptions, 130, 410);
  EXPECT_EQ(gi->Window, msMainMenu);
  EXPECT_FALSE(dir->exists("\\data\\options.pnd"));
  clickOn(msOptions, 130, 450);
  EXPECT_EQ(gi->Window, msMainMenu);
  EXPECT_TRUE(dir->exists("\\data\\options.pnd"));
  EXPECT_TRUE(dir->exists("\\data\\options2.pnd"));
  CPlayer reread;
  EXPECT_EQ(reread.vRes, 2);
}

TEST_F(CoreMenu, ResolutionRowsFormAOneOfManyGroup) {
  Player->vRes = 0;
  clickOn(msOptGraphics, 300, 290);  // "800 x 600" row at y 280
  EXPECT_EQ(Player->vRes, 1);
  clickOn(msOptGraphics, 300, 290);  // the marked row again: unchanged
  EXPECT_EQ(Player->vRes, 1);
  Player->vFullScreen = false;
  clickOn(msOptGraphics, 500, 286);  // "fullscreen" at (480, 270)
  EXPECT_TRUE(Player->vFullScreen);
  clickOn(msOptGraphics, 500, 286);
  EXPECT_FALSE(Player->vFullScreen);
}

TEST_F(CoreMenu, VolumeArrowsStepByFiveWithinZeroToHundred) {
  struct Case {
    Double start;
    Single arrowX;
    Double after;
  };
  const Case cases[] = {{50, 300, 45}, {50, 600, 55}, {0, 300, 0}, {100, 600, 100}, {3, 300, 0}};
  for (const Case& c : cases) {
    Player->soundVolume = c.start;
    Player->musicVolume = c.start;
    clickOn(msOptSound, c.arrowX, 300);
    EXPECT_EQ(Player->soundVolume, c.after) << c.start << " at " << c.arrowX;
    clickOn(msOptSound, c.arrowX, 400);
    EXPECT_EQ(Player->musicVolume, c.after) << c.start << " at " << c.arrowX;
  }
}

TEST_F(CoreMenu, MusicOnUnmutesWithThemeZeroAndMusicOffStopsTheTracks) {
  Music = std::make_shared<CMusic>();
  Player->bMusic = false;
  Music->Mute = true;
  clickOn(msOptSound, 420, 356);  // "music on" at (400, 340)
  EXPECT_TRUE(Player->bMusic);
  EXPECT_FALSE(Music->Mute);
  EXPECT_EQ(Music->Theme, 0);
  clickOn(msOptSound, 420, 356);
  EXPECT_FALSE(Player->bMusic);
  EXPECT_TRUE(Music->Mute);
  EXPECT_EQ(Music->Theme, -1);
  Music.reset();
}

TEST_F(CoreMenu, CheatButtonsToggleEarnedCheatsAndLockedOnesStayLocked) {
  Player->setHasCheat(0, 0);
  Player->setHasCheat(1, 1);
  clickOn(msOptExtra, 325, 270);  // cheat 0: locked, disabled
  EXPECT_EQ(Player->getHasCheat(0), 0);
  clickOn(msOptExtra, 325, 310);  // cheat 1: off -> on
  EXPECT_EQ(Player->getHasCheat(1), 2);
  EXPECT_TRUE(CheatAmmo);
  clickOn(msOptExtra, 325, 310);  // on -> off
  EXPECT_EQ(Player->getHasCheat(1), 1);
  EXPECT_FALSE(CheatAmmo);
}

TEST_F(CoreMenu, FollowMouseShowsOnlyInClassicViewAndKeepsItsValue) {
  ClassicView = true;
  FollowMouse = false;
  clickOn(msOptExtra, 520, 396);  // "follow mouse" at (510, 380)
  EXPECT_TRUE(FollowMouse);
  clickOn(msOptExtra, 520, 316);  // "arcade view" at (510, 300)
  EXPECT_FALSE(ClassicView);
  clickOn(msOptExtra, 520, 396);  // no "follow mouse" row in arcade view
  EXPECT_TRUE(FollowMouse);
  clickOn(msOptExtra, 520, 276);  // "classic view" at (510, 260)
  EXPECT_TRUE(ClassicView);
  EXPECT_TRUE(FollowMouse);
}

TEST_F(CoreMenu, AnInputRowWaitsForTheNextKey) {
  clickOn(msOptInput, 300, 250);  // "thrust:" at (250, 250)
  EXPECT_EQ(gi->keyRemapping, 0);
  clickOn(msOptInput, 300, 350);  // "look up:" at (250, 350) is ignored while a row waits
  EXPECT_EQ(gi->keyRemapping, 0);
  gi->Remap(88);
  EXPECT_EQ(Player->getCharKey(0), 88);
}

// ---- dialogs (panel corner (200, 225); left button centre (340, 325), right (460, 325)) ----

TEST_F(CoreMenu, YesCancelReportsWhichButtonWasClicked) {
  struct Case {
    Single x;
    Integer result;
  };
  for (const Case& c : {Case{DialogLeftX, 2}, Case{DialogRightX, 1}, Case{400, 0}}) {
    for (bool yesNo : {false, true}) {
      clickAt(c.x, DialogY);
      EXPECT_EQ(CoreProbe::yesCancel(*gi, yesNo), c.result) << c.x;
    }
  }
}

TEST_F(CoreMenu, DeleteReturnsToTheScreenThatOpenedItAndEmptiesTheSlot) {
  writeEmptySlots();
  dir->write(CPlayer::SlotFile(2, -1), "\"slot two\"\r\n");
  struct Case {
    Long window;
    Single x;
    Long back;
  };
  const Case cases[] = {{msConfirmDeleteMenu, DialogLeftX, msGameManager},
                        {msConfirmDelete, DialogLeftX, msBank}};
  for (const Case& c : cases) {
    CoreProbe::curSlot(*gi) = 2;
    clickOn(c.window, c.x, DialogY);
    EXPECT_EQ(gi->Window, c.back);
  }
  EXPECT_EQ(dir->read(CPlayer::SlotFile(2, -1)), "\"slot two\"\r\n");  // cancel deletes nothing
  clickOn(msConfirmDeleteMenu, DialogRightX, DialogY);
  EXPECT_EQ(gi->Window, msGameManager);
  EXPECT_EQ(dir->read(CPlayer::SlotFile(2, -1)), "\"*nil*\"\r\n");
}

TEST_F(CoreMenu, CancelMissionReturnsToFlightOnBothAnswersAndOnlyYesDropsIt) {
  for (Single x : {DialogLeftX, DialogRightX}) {
    MissionControl->Reading = true;
    Ships[0]->LandingFrame = 5;
    clickOn(msConfirmCancelMission, x, DialogY);
    EXPECT_EQ(gi->Window, msNone);
    EXPECT_EQ(Ships[0]->LandingFrame, 1001);
    EXPECT_EQ(MissionControl->Reading, x == DialogLeftX);
  }
}

TEST_F(CoreMenu, SellingAFleetShipPaysAndEmptiesTheBay) {
  for (auto& sub : SubPlayers) {
    sub = std::make_shared<CPlayer>();
    sub->ShipType = 4;
  }
  CoreProbe::pendingShipType(*gi) = 4;
  CoreProbe::pendingPrice(*gi) = 700;
  CoreProbe::pendingSlot(*gi) = 1;
  Player->Cash = 1000;
  clickOn(msConfirmSell, DialogLeftX, DialogY);
  EXPECT_EQ(gi->Window, msShipyard);
  EXPECT_EQ(Player->Cash, 1000);
  Ships[0]->LandingFrame = 5;
  clickOn(msConfirmSell, DialogRightX, DialogY);
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(Player->Cash, 1700);
  EXPECT_EQ(SubPlayers[1]->ShipType, -1);
  EXPECT_EQ(SubPlayers[0]->ShipType, 4);
  EXPECT_EQ(Ships[0]->LandingFrame, 0);
  for (auto& sub : SubPlayers) sub.reset();
}

TEST_F(CoreMenu, APurchaseForADockBayIsPaidFromThePlayersCash) {
  for (auto& sub : SubPlayers) {
    sub = std::make_shared<CPlayer>();
    sub->subInit();
    sub->ShipType = -1;
  }
  CoreProbe::pendingShipType(*gi) = 6;
  CoreProbe::pendingPrice(*gi) = 2500;
  CoreProbe::pendingSlot(*gi) = 2;
  Player->Cash = 3000;
  clickOn(msConfirmPurchase, DialogLeftX, DialogY);
  EXPECT_EQ(gi->Window, msShipyard);
  EXPECT_EQ(Player->Cash, 3000);
  Ships[0]->LandingFrame = 5;
  clickOn(msConfirmPurchase, DialogRightX, DialogY);
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_EQ(Player->Cash, 500);
  EXPECT_EQ(SubPlayers[2]->ShipType, 6);
  EXPECT_EQ(SubPlayers[1]->ShipType, -1);
  EXPECT_EQ(Ships[0]->LandingFrame, 0);
  for (auto& sub : SubPlayers) sub.reset();
}

TEST_F(CoreMenu, TheQuitDialogClosesOnCancelAndPausesWhileUp) {
  clickOn(msConfirmQuit, DialogLeftX, DialogY);
  EXPECT_TRUE(GamePaused);
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_FALSE(MouseClicked);
}

TEST_F(CoreMenu, TheCheatNoticesUnlockTheirCheatsAndReturnToFlight) {
  struct Case {
    Long window;
    Integer before[4];
    Integer after[4];
  };
  const Case cases[] = {
      {msSloMoUnlocked, {0, 0, 0, 0}, {0, 0, 0, 1}},
      {msCheatsUnlocked, {0, 2, 0, 1}, {1, 1, 1, 1}},  // an infinite ammo that was on is unlocked (1)
  };
  for (const Case& c : cases) {
    for (Long i = 0; i < 4; ++i) Player->setHasCheat(i, c.before[i]);
    dir->remove("\\data\\options2.pnd");
    clickOn(c.window, 400, 325);  // "ok" at (360, 315), width 80
    EXPECT_EQ(gi->Window, msNone);
    for (Long i = 0; i < 4; ++i) EXPECT_EQ(Player->getHasCheat(i), c.after[i]) << c.window << " cheat " << i;
    EXPECT_TRUE(dir->exists("\\data\\options2.pnd"));
  }
}

}  // namespace
