// Damaged files of the game folder, each in turn, in the real start-up and main loop on a copy of
// the generated content, headless on Mesa, damaged as a player's folder may be (truncated, cut in
// half, random bytes, a world as the editor saves it with nothing loaded): what reads the file
// tells it once by its game path with the reason, in the notice box over the screen the player is
// on (read back from the frame) and in the log (the echo counted here); the game goes on without
// it and keeps the player where a next step makes sense, or, for a world that cannot be read or a
// math library that cannot be loaded, stops before the first frame with that error.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CModelMonster.h"
#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "engine/MessageLog.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "engine/PlayerNotices.h"
#include "engine/TrivecImports.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/EchoedLines.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"

namespace {
class DamagedFileTest : public GameRunTest {
 protected:
  // Replaces the file with 3000 bytes of a fixed random sequence.
  void damage(const std::string& gamePath) {
    std::mt19937 rnd(20261211);
    std::string bytes(3000, '\0');
    for (char& c : bytes) c = static_cast<char>(rnd() & 0xFF);
    dir->write(gamePath, bytes);
  }
  // Cuts the shipped file to its first half.
  void truncate(const std::string& gamePath) {
    const std::string shipped = dir->read(gamePath);
    ASSERT_GT(shipped.size(), 100u) << gamePath;
    dir->write(gamePath, shipped.substr(0, shipped.size() / 2));
  }

  // One scripted action: once the interface has shown `window` (-1: any) for `wait` frames.
  struct Step {
    Long window;
    int wait;
    std::function<void()> act;
  };
  // Runs the game: over a title, when there is one, each notice is noted in titleNotices (its
  // frame read back into titleShots) and its "ok" clicked, then a press after 20 frames ends it;
  // the intro slide show is hurried with clicks; the steps run in order and the run ends after
  // the last (or at `limit` passes). The frame presented after each step's action is read back
  // into shots.
  void play(FakeGameClock& clock, std::vector<Step> steps, Long limit = 3000) {
    size_t next = 0;
    Long seenAt = -1;
    PixelImage* grab = nullptr;
    bool titleEnded = false;
    shots.assign(steps.size(), PixelImage{});
    titleNotices.clear();
    titleShots.assign(8, PixelImage{});
    frmMain.beforePresentForTests = [&](Long) {
      if (grab) D3DDevice->ReadBackBuffer(grab->argb, grab->width, grab->height);
      grab = nullptr;
    };
    frmMain.afterFrameForTests = [&](Long pass) {
      if (!scriptInPlay(pass, limit)) return;
      CInterface& gi = *GameInterface;
      MouseHeld = false;
      if (gi.Window == msDemo) titleShown = true;
      if (gi.Window == msDemo && !titleEnded) {
        if (pass < 20 || MouseClicked) return;
        if (firstPlayerNotice() && titleNotices.size() < titleShots.size()) {
          grab = &titleShots[titleNotices.size()];
          titleNotices.push_back(notice());
          clickOk();
          return;
        }
        MouseHeld = true;
        titleEnded = true;
        return;
      }
      clock.step = gi.Window == msIntro ? 200 : 1;  // the slide show runs 133 s of play time
      if (gi.Window == msIntro) {
        if (pass % 10 == 0) MouseClicked = true;
        return;
      }
      if (next >= steps.size()) {
        GameRunning = false;
        return;
      }
      const Step& st = steps[next];
      if (st.window >= 0 && gi.Window != st.window) {
        seenAt = -1;
        return;
      }
      if (seenAt < 0) seenAt = pass;
      if (pass - seenAt < st.wait) return;
      st.act();
      ++next;
      seenAt = -1;
      grab = &shots[next - 1];
    };
    frmMain.Form_Load();
    stepsDone = next;
  }
  static void click(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    MouseClicked = true;
  }
  static Single cx() { return static_cast<Single>(ScreenWidth) / 2; }
  static Single cy() { return static_cast<Single>(ScreenHeight) / 2; }
  static void clickOk() { click(cx(), cy() + 45); }  // the notice's "ok"
  // Yellow pixels of the notice's first text line, in the band its box centres on the screen.
  static int noticeInk(const PixelImage& f) {
    int n = 0;
    for (int y = f.height / 2 - 70; y < f.height / 2 - 40; ++y)
      for (int x = f.width / 2 - 190; x < f.width / 2 + 190; ++x) {
        const Rgba c = f.at(x, y);
        if (c.r > 200 && c.g > 200 && c.b < 80) ++n;
      }
    return n;
  }
  // The notice over the screen as "title: text"; "" none.
  static std::string notice() {
    const PlayerNotice* n = firstPlayerNotice();
    return n ? n->title + ": " + n->text : std::string();
  }
  std::vector<PixelImage> shots;
  std::vector<std::string> titleNotices;  // "title: text" of each notice over the title
  std::vector<PixelImage> titleShots;
  size_t stepsDone = 0;
  bool titleShown = false;
  // Runs start-up and the loop until the title scene has run `passes` frames; atEnd runs in the
  // last of them.
  void runTitle(Long passes, const std::function<void()>& atEnd = {}) {
    frmMain.afterFrameForTests = [&, passes](Long pass) {
      if (!scriptInPlay(pass, 400)) return;
      if (GameInterface->Window == msDemo && ++titleFrames >= passes) {
        if (atEnd) atEnd();
        GameRunning = false;
      }
    };
    frmMain.Form_Load();
  }
  // Runs start-up, ends the title with a mouse press, chooses "tutorial" in the main menu and
  // flies `frames` frames; onFlight runs in the first of them.
  void flyTutorial(Long frames, const std::function<void()>& onFlight = {}) {
    enum class Step { Title, Menu, Flight } step = Step::Title;
    frmMain.afterFrameForTests = [&, frames](Long pass) {
      if (!scriptInPlay(pass, 600)) return;
      CInterface& gi = *GameInterface;
      switch (step) {
        case Step::Title:
          if (gi.Window != msDemo || pass < 10) return;
          MouseHeld = true;  // ends the title in the main menu
          step = Step::Menu;
          break;
        case Step::Menu:
          MouseHeld = false;
          if (gi.Window != msMainMenu) return;
          PointerX = static_cast<Single>(ScreenWidth) / 2;  // "tutorial"
          PointerY = static_cast<Single>(ScreenHeight) / 2 + 120;
          MouseClicked = true;
          step = Step::Flight;
          break;
        case Step::Flight:
          if (gi.Window != msNone || !Ships[0]->Exists) return;
          if (++flightFrames == 1 && onFlight) onFlight();
          if (flightFrames >= frames) GameRunning = false;
          break;
      }
    };
    frmMain.Form_Load();
  }
  Long titleFrames = 0, flightFrames = 0;
};
}  // namespace

namespace {
// True when the model cache already holds path: asking for it again takes no new slot. (A model
// that fails to load keeps its entry; its message comes when the load finishes.)
bool cachedModel(const std::string& path) {
  std::vector<bool> used;
  for (const auto& slot : ModelSlots) used.push_back(slot.used);
  Integer handle = ModelMon->getModelNumber(path);
  const Integer slot = ModelMon->getRealModelNum(handle);
  return slot >= 0 && static_cast<size_t>(slot) < used.size() && used[static_cast<size_t>(slot)];
}
}  // namespace

// A design file of random bytes (the player's design: Player.ShipType 1): the one line names the
// file; the player's ship, built from what was read for the title scene, has no model rather than
// asking the cache for four model paths and textures made of an empty name.
TEST_F(DamagedFileTest, AShipFileIsNamedOnceAndItsShipLoadsNoModelFromNothing) {
  FakeGameClock clock;
  damage("\\ships\\Gremlin.pnd");
  EchoedLines echo;
  bool bodyAsked = true, windowAsked = true;
  runTitle(5, [&] {
    bodyAsked = cachedModel("models\\\\body.md2");
    windowAsked = cachedModel("models\\\\window.md2");
  });
  EXPECT_EQ(titleFrames, 5);
  EXPECT_EQ(echo.count("ships\\Gremlin.pnd"), 1);
  EXPECT_EQ(echo.find("ships\\Gremlin.pnd"), "\\ships\\Gremlin.pnd: Type mismatch. This ship design is not used");
  EXPECT_FALSE(bodyAsked);
  EXPECT_FALSE(windowAsked);
  EXPECT_EQ(echo.count("LoadTex: ()"), 0) << echo.find("LoadTex: ()");
}

// The world file, without which no map can be reached: start-up stops before the first frame
// with the error, which names the file and the reason (the program reports it once); the device
// is released. From the launcher's "Play" (developer option), the error is logged once and the
// loop ends after that frame.
TEST_F(DamagedFileTest, AWorldFileThatCannotBeReadStopsTheStartWithItsErrorOnce) {
  FakeGameClock clock;
  damage("\\maps\\world.pnd");
  {
    EchoedLines echo;
    Long passes = 0;
    frmMain.afterFrameForTests = [&](Long pass) {
      passes = pass;
      if (pass > 5) GameRunning = false;
    };
    std::string error;
    try {
      frmMain.Form_Load();
    } catch (const VbError& e) {
      error = e.what();
    }
    EXPECT_NE(error.find("(\\maps\\world.pnd)"), std::string::npos) << error;
    EXPECT_GT(error.find("(\\maps\\world.pnd)"), 0u) << "no reason: " << error;
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(echo.count("world.pnd"), 0);  // the start-up's error report is the one message
    EXPECT_FALSE(D3DDevice);
  }
  {
    // The developer option in a window: the launcher first.
    std::string options = dir->read("\\data\\options.pnd");
    const std::string flags = "#TRUE#,#TRUE#,1,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#";
    ASSERT_NE(options.find(flags), std::string::npos);
    options.replace(options.find(flags), flags.size(), "#TRUE#,#TRUE#,1,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#TRUE#");
    dir->write("\\data\\options.pnd", options);
    EchoedLines echo;
    Long passes = 0;
    frmMain.afterFrameForTests = [&](Long pass) {
      passes = pass;
      scriptInPlay(pass, 30);
    };
    frmMain.Form_Load();
    EXPECT_LE(passes, 2);
    EXPECT_EQ(echo.count("world.pnd"), 1);
    EXPECT_NE(echo.find("world.pnd").find("Error in newGame: "), std::string::npos) << echo.find("world.pnd");
    EXPECT_EQ(echo.count("Error in doGame"), 0);
  }
}

// data/options.pnd made a folder: every player record reads it (a dozen at start-up); it is
// reported once as what it is, and nothing claims a written file.
TEST_F(DamagedFileTest, AnOptionsFolderIsNamedOnceAndDefaultsAreUsed) {
  FakeGameClock clock;
  dir->remove("\\data\\options.pnd");
  dir->write("\\data\\options.pnd\\inside", "");
  EchoedLines echo;
  runTitle(5);
  EXPECT_EQ(titleFrames, 5);
  EXPECT_EQ(echo.count("options.pnd"), 1);
  EXPECT_EQ(echo.find("options.pnd"), "options file \\data\\options.pnd is a folder: default options used.");
  EXPECT_EQ(echo.count("written"), 0);
  EXPECT_EQ(Player->musicVolume, 75);
}

// The title track of random bytes: one line with the file and why; the title runs silent, with no
// second line from playing a track that was never loaded.
TEST_F(DamagedFileTest, ADamagedTitleTrackIsNamedOnceWithItsReason) {
  FakeGameClock clock;
  damage("\\sfx\\music\\ninjastar2.mp3");
  EchoedLines echo;
  runTitle(5);
  EXPECT_EQ(titleFrames, 5);
  EXPECT_EQ(echo.count("ninjastar2.mp3"), 1);
  const std::string line = echo.find("ninjastar2.mp3");
  EXPECT_EQ(line.rfind("ERROR: modDirectShow.LoadMP3() - ", 0), 0u) << line;
  EXPECT_NE(line.find("no mp3 audio"), std::string::npos) << line;
  EXPECT_NE(line.find(" - \\sfx\\music\\ninjastar2.mp3"), std::string::npos) << line;
  EXPECT_EQ(line.find(dir->path()), std::string::npos) << line;  // the game path, not the disk's
  EXPECT_EQ(echo.count("modDirectShow.PlayMP3()"), 0);
}

// The tutorial's script of random bytes: "tutorial" still starts flight on "tut"; the script is
// named once with why (forced, so the screen's log shows it) and no mission runs.
TEST_F(DamagedFileTest, ADamagedTutorialScriptIsNamedOnceAndFlightGoesOn) {
  FakeGameClock clock;
  damage("\\missions\\era0\\tut.pnd");
  EchoedLines echo;
  bool shownOnScreen = false;
  flyTutorial(120, [&] {
    for (Integer i = 0; i < MsgCount; ++i)
      if (MsgLog[static_cast<size_t>(i)].find("tut.pnd") != std::string::npos) shownOnScreen = true;
  });
  EXPECT_EQ(flightFrames, 120);
  EXPECT_EQ(World->getCurrentPath(), "tut");
  EXPECT_TRUE(shownOnScreen);
  EXPECT_EQ(echo.count("tut.pnd"), 1);
  EXPECT_EQ(echo.find("tut.pnd"),
            "Error in mission tut.pnd: no script lines in phase 0 (\\missions\\era0\\tut.pnd)");
  EXPECT_FALSE(MissionControl->Reading);
}

// The home map cut in half: the title runs on its own map and gives way to the main menu, which
// stays on the title's map with the notice naming the file and why over it. "new game" does not
// start a game on a map that cannot be entered: the menu stays, with the notice of what was not
// done; the tutorial, whose map is whole, still starts.
TEST_F(DamagedFileTest, AHomeMapCutInHalfIsToldAndNoNewGameStartsOnIt) {
  FakeGameClock clock;
  truncate("\\maps\\losgatos.pnd");
  EchoedLines echo;
  std::string atMenu, beforeNewGame = "unseen", afterNewGame, menuMap, tutorialMap;
  Long afterNewGameWindow = -1, tutorialWindow = -1;
  play(clock, {
                  {msMainMenu, 10,
                   [&] {
                     atMenu = notice();
                     menuMap = CurMap->MapName;
                     clickOk();
                   }},
                  {msMainMenu, 2,
                   [&] {
                     beforeNewGame = notice();
                     click(cx() - 241, cy() + 120);  // "new game"
                   }},
                  {-1, 5,
                   [&] {
                     afterNewGameWindow = GameInterface->Window;
                     afterNewGame = notice();
                     clickOk();
                   }},
                  {msMainMenu, 2, [&] { click(cx() + 1, cy() + 120); }},  // "tutorial"
                  {-1, 10,
                   [&] {
                     tutorialWindow = GameInterface->Window;
                     tutorialMap = CurMap->MapName;
                   }},
              });
  ASSERT_EQ(stepsDone, 5u);
  EXPECT_EQ(atMenu, "\\maps\\losgatos.pnd: Input past end of file. Los Gatos cannot be entered");
  EXPECT_EQ(menuMap, "demoscene");
  EXPECT_GT(noticeInk(shots[0]), 0) << "drawn over the menu";
  EXPECT_EQ(afterNewGameWindow, msMainMenu);
  EXPECT_EQ(afterNewGame,
            "new game not started: \\maps\\losgatos.pnd: Input past end of file. Los Gatos cannot be entered");
  EXPECT_GT(noticeInk(shots[2]), 0);
  EXPECT_EQ(beforeNewGame, "") << "gone with its ok";
  EXPECT_EQ(tutorialWindow, msNone);
  EXPECT_EQ(tutorialMap, "tut");
  EXPECT_EQ(echo.count("losgatos.pnd"), 2);  // the damage once, the refused new game once
  EXPECT_EQ(echo.count("Error in"), 0) << echo.find("Error in");
}

// A ship file cut in half (the design of the new game's first ship): told over the title, and the
// new game's ship page does not offer it: the page opens on the next ship, a click where its
// tile stood changes nothing, and the game flies and saves the ship chosen, whole.
TEST_F(DamagedFileTest, AShipFileCutInHalfIsNotOfferedAndTheNewGameFliesAWholeShip) {
  FakeGameClock clock;
  truncate("\\ships\\Gremlin.pnd");
  EchoedLines echo;
  Integer shipOnPage = -1, shipAfterClick = -1, flownType = -1;
  Long fuel = 0, maxFuel = -1;
  bool shipModel = false;
  const auto top = [] { return cy() - 200; };
  const auto next = [&] { click(cx() + 230, top() + 360); };
  play(clock, {
                  {msMainMenu, 2, [&] { click(cx() - 241, cy() + 120); }},          // "new game"
                  {msNewDifficulty, 80, [&] { click(cx() + 150, top() + 110); }},  // "very easy"
                  {msNewShip, 2,
                   [&] {
                     shipOnPage = Player->ShipType;
                     click(cx() + 15 + 42, top() - 45 + 230 + 42);  // where the left tile stood
                   }},
                  {msNewShip, 2,
                   [&] {
                     shipAfterClick = Player->ShipType;
                     click(cx() + 230, top() + 315);  // "next"
                   }},
                  {msNewDriver, 2, next},
                  {msNewDriverName, 2, next},
                  {msNewGunner, 2, next},
                  {msNewGunnerName, 2, next},
                  {msNewSaveSlot, 2, [&] { click(cx() - 195 + 22 + 65 * 4 + 32, cy() - 122 + 30 + 32); }},  // slot 5
                  {msNewSaveSlot, 2, next},
                  {msNewAllSet, 2, next},  // "finish!", then the intro
                  {msNone, 30,
                   [&] {
                     const CShip& me = *Ships[0];
                     flownType = me.ShipType;
                     fuel = me.Fuel;
                     maxFuel = me.getMaxFuel();
                     shipModel = me.Exists && !ShipDefs[static_cast<size_t>(me.ShipType)]->Model.empty();
                   }},
              });
  ASSERT_EQ(stepsDone, 12u);
  ASSERT_EQ(titleNotices.size(), 1u);
  EXPECT_EQ(titleNotices[0], "\\ships\\Gremlin.pnd: Input past end of file. This ship design is not used");
  EXPECT_GT(noticeInk(titleShots[0]), 0) << "drawn over the title";
  EXPECT_EQ(shipOnPage, 5);  // the chopper, the page's next ship
  EXPECT_EQ(shipAfterClick, 5);
  EXPECT_EQ(flownType, 5);
  EXPECT_GT(maxFuel, 0);
  EXPECT_EQ(fuel, maxFuel);
  EXPECT_TRUE(shipModel);
  // The slot holds that ship.
  CPlayer saved;
  saved.Load(4, 0, -1);
  EXPECT_EQ(saved.ShipType, 5);
  EXPECT_EQ(saved.Fuel, maxFuel);
  EXPECT_EQ(echo.count("Gremlin.pnd"), 1);
}

// The bank's definition of random bytes: told over the title; on Los Gatos no bank is placed and
// the pad beside its place opens the nearest other service, never a bank nor the hardware store
// the damaged definition's empty type made of it. (Flight is entered as the menus do and the ship
// put over the pad; the landing is the action key's.)
TEST_F(DamagedFileTest, AGarbledStructureDefinitionIsNotPlacedAndKeepsNoService) {
  FakeGameClock clock;
  Integer bankPad = -1;
  {
    CMap shipped;  // where the bank and its pad stand on the shipped map
    shipped.MapName = "losgatos";
    ASSERT_TRUE(shipped.Load());
    bankPad = shipped.getAutoSaveLanding();
  }
  ASSERT_GE(bankPad, 0);
  damage("\\structures\\bank.pnd");
  EchoedLines echo;
  bool bankPlaced = true;
  Long opened = -1;
  Integer key = 0;
  play(clock, {
                  {msMainMenu, 2,
                   [&] {
                     ASSERT_TRUE(startFlight());
                     bankPlaced = false;
                     for (Integer i = 0; i < 32; ++i)
                       bankPlaced = bankPlaced || (CurMap->getStructDef(i) >= 0 && CurMap->getStructType(i) == structBank);
                     key = holdActionOver(bankPad);
                   }},
                  {-1, 150,
                   [&] {
                     opened = GameInterface->Window;
                     frmMain.window().postKeyUp(key);
                   }},
              });
  ASSERT_EQ(stepsDone, 2u);
  ASSERT_EQ(titleNotices.size(), 1u);
  EXPECT_EQ(titleNotices[0].rfind("\\structures\\bank.pnd: ", 0), 0u) << titleNotices[0];
  EXPECT_NE(titleNotices[0].find(". This structure is not placed on the maps"), std::string::npos);
  EXPECT_GT(noticeInk(titleShots[0]), 0);
  EXPECT_FALSE(bankPlaced);
  EXPECT_EQ(opened, msWeaponStore);  // "trigger happy", the next service from that pad
  EXPECT_EQ(echo.count("bank.pnd"), 1);
}

// The world as the world editor saves it with nothing loaded: one node without a title or map.
// The program opens on the main menu (the title has no map) with the notice naming the world file
// and why; a new game and the tutorial are refused with the reason, nothing is flown in a void,
// and no map file of an empty name is looked for.
TEST_F(DamagedFileTest, AWorldOfOneEmptyNodeOpensOnTheMenuAndRefusesEveryStart) {
  FakeGameClock clock;
  CWorld().Save();
  EchoedLines echo;
  std::string atStart, newGame, tutorial;
  Long afterNewGame = -1, afterTutorial = -1;
  play(clock, {
                  {msMainMenu, 10,
                   [&] {
                     atStart = notice();
                     clickOk();
                   }},
                  {msMainMenu, 2, [&] { click(cx() - 241, cy() + 120); }},  // "new game"
                  {-1, 5,
                   [&] {
                     afterNewGame = GameInterface->Window;
                     newGame = notice();
                     clickOk();
                   }},
                  {msMainMenu, 2, [&] { click(cx() + 1, cy() + 120); }},  // "tutorial"
                  {-1, 5,
                   [&] {
                     afterTutorial = GameInterface->Window;
                     tutorial = notice();
                   }},
              });
  ASSERT_EQ(stepsDone, 5u);
  EXPECT_FALSE(titleShown);
  EXPECT_EQ(atStart, "\\maps\\world.pnd: node 1 names no map. Node 1 cannot be entered");
  EXPECT_GT(noticeInk(shots[0]), 0);
  EXPECT_EQ(afterNewGame, msMainMenu);
  EXPECT_EQ(newGame, "new game not started: \\maps\\world.pnd: node 1 names no map. Node 1 cannot be entered");
  EXPECT_EQ(afterTutorial, msMainMenu);
  EXPECT_EQ(tutorial, "tutorial not started: \\maps\\world.pnd: node 1 names no map. Node 1 cannot be entered");
  EXPECT_GT(noticeInk(shots[4]), 0);
  EXPECT_EQ(echo.count("\\maps\\.pnd"), 0) << echo.find("\\maps\\.pnd");
  EXPECT_EQ(echo.count("Error in"), 0) << echo.find("Error in");
}

// Text data of random bytes — the talk lines, the unit table, the unlock list, the news: each is
// told once, over the title, by its path with the reason, as text (no byte of the file reaches the
// log raw), and the game runs on without it.
TEST_F(DamagedFileTest, DamagedTextDataIsToldOnceByItsPathAsText) {
  struct Case {
    const char* file;
    const char* effect;
  };
  const Case cases[] = {
      {"\\data\\talk.pnd", "Ships say \"...\" when they talk"},
      {"\\data\\shipinfo.pnd", "No ship of the traffic, police or missions appears"},
      {"\\data\\unlocks.pnd", "Missions of the later eras may stay locked"},
      {"\\gfx\\news\\news.pnd", "The news shows nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    FakeGameClock clock;
    const std::string shipped = dir->read(c.file);
    damage(c.file);
    EchoedLines echo;
    std::string atMenu = "?";
    play(clock, {{msMainMenu, 2, [&] { atMenu = notice(); }}});
    ASSERT_EQ(stepsDone, 1u);
    ASSERT_EQ(titleNotices.size(), 1u);
    EXPECT_EQ(titleNotices[0].rfind(std::string(c.file) + ": ", 0), 0u) << titleNotices[0];
    EXPECT_NE(titleNotices[0].find(std::string(". ") + c.effect), std::string::npos) << titleNotices[0];
    EXPECT_GT(noticeInk(titleShots[0]), 0);
    EXPECT_EQ(atMenu, "") << "gone with its ok";
    EXPECT_EQ(echo.count(c.file), 1);
    for (const std::string& line : echo.lines())
      for (char ch : line) ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << line;
    EXPECT_EQ(echo.count("Error in"), 0) << echo.find("Error in");
    dir->write(c.file, shipped);
    TearDown();
    SetUp();
  }
}

// A math library that cannot be loaded: no model could be drawn, so the start stops before the
// first frame with the error, which names the library by its path in the game folder and why;
// nothing is logged model by model, and the device is released.
TEST_F(DamagedFileTest, ABrokenMathLibraryStopsTheStartWithItsErrorOnce) {
  FakeGameClock clock;
  damage("\\libTrivec.so");
  TrivecImports::setLibraryFolder(dir->path());
  EchoedLines echo;
  Long passes = 0;
  frmMain.afterFrameForTests = [&](Long pass) {
    passes = pass;
    GameRunning = false;
  };
  std::string error;
  try {
    frmMain.Form_Load();
  } catch (const VbError& e) {
    error = e.what();
  }
  TrivecImports::setLibraryFolder("");
  EXPECT_EQ(error.rfind("\\libTrivec.so: ", 0), 0u) << error;
  EXPECT_NE(error.find("invalid ELF header"), std::string::npos) << error;
  EXPECT_NE(error.find("The models cannot be animated without it, so the game cannot start"), std::string::npos);
  EXPECT_EQ(error.find(dir->path()), std::string::npos) << error;
  EXPECT_EQ(passes, 0);
  EXPECT_EQ(echo.count("Trivec"), 0) << echo.find("Trivec");
  EXPECT_EQ(echo.count("LoadMD2"), 0) << echo.find("LoadMD2");
  EXPECT_FALSE(D3DDevice);
}

// A warp toward a node whose map is cut in half: the action key asks for the hyperspace jump,
// and the notice says why there is none over flight, which waits under it; the ship stays, on its
// node and map, and flies on once "ok" is clicked. (Flight is entered as the menus do, the route
// set and the ship put in open space; the jump is asked with the action key.)
TEST_F(DamagedFileTest, AWarpTowardAMapCutInHalfIsToldOverFlightAndDoesNotStart) {
  FakeGameClock clock;
  truncate("\\maps\\zomflats.pnd");
  EchoedLines echo;
  Integer key = 0, home = -1, nodeAtNotice = -2;
  std::string atNotice, afterOk, mapAfter;
  bool pausedAtNotice = false, pausedAfterOk = true;
  Single warpAtNotice = -1;
  play(clock, {
                  {msMainMenu, 10,
                   [&] {
                     ASSERT_TRUE(startFlight());
                     resetLevel();
                     home = World->CurrentNode = World->getNodeFromPath("losgatos");
                     World->DestNode = World->getNodeFromPath("zomflats");
                     CShip& p = *Ships[0];
                     p.Exists = true;
                     p.x = -2500;
                     p.y = 3500;
                     p.e = 0;
                     p.r = 0;
                     p.Fuel = std::max<Long>(p.Fuel, 1000);
                     key = Player->getCharKey(8);
                   }},
                  {msNone, 3, [&] { frmMain.window().postKeyDown(key); }},
                  {-1, 10,
                   [&] {
                     atNotice = notice();
                     pausedAtNotice = GamePaused;
                     warpAtNotice = Ships[0]->getRealWarp();
                     nodeAtNotice = World->CurrentNode;
                     frmMain.window().postKeyUp(key);
                     clickOk();
                   }},
                  {-1, 5,
                   [&] {
                     afterOk = notice();
                     pausedAfterOk = GamePaused;
                     mapAfter = CurMap->MapName;
                   }},
              });
  ASSERT_EQ(stepsDone, 4u);
  EXPECT_EQ(atNotice, "No map to warp to: \\maps\\zomflats.pnd: Type mismatch. The warp does not start");
  EXPECT_GT(noticeInk(shots[2]), 0);
  EXPECT_TRUE(pausedAtNotice);
  EXPECT_EQ(warpAtNotice, 0);
  EXPECT_EQ(nodeAtNotice, home);
  EXPECT_EQ(afterOk, "");
  EXPECT_FALSE(pausedAfterOk);
  EXPECT_EQ(mapAfter, "losgatos");
  EXPECT_EQ(echo.count("Error in"), 0) << echo.find("Error in");
}

// A saved game on a node whose map was cut in half since: the game manager's "load" does not
// resume it (the menu's game stays as it was, on the manager) and the map's file and why are
// shown on screen, in the message lines or a notice box.
TEST_F(DamagedFileTest, ASlotWhoseMapIsCutInHalfIsNotLoaded) {
  FakeGameClock clock;
  EchoedLines echo;
  Long after = -1;
  std::string mapAfter, menuMap, told;
  int ink = 0;
  play(clock, {
                  {msMainMenu, 10,
                   [&] {
                     // A game saved at "zomflats" in slot 3, whose map is then damaged.
                     menuMap = CurMap->MapName;
                     const Integer node = World->CurrentNode;
                     World->CurrentNode = World->getNodeFromPath("zomflats");
                     Player->Save(2, "at the flats", 0, -1);
                     World->CurrentNode = node;
                     truncate("\\maps\\zomflats.pnd");
                     click(cx() - 121, cy() + 120);  // "load game"
                   }},
                  {msGameManager, 2, [&] { click(cx() - 250 + 22 + 65 * 2 + 32, cy() - 118); }},  // slot 3
                  {msGameManager, 2, [&] { click(cx(), cy() + 102); }},                           // "load"
                  {-1, 5,
                   [&] {
                     after = GameInterface->Window;
                     mapAfter = CurMap->MapName;
                     for (Integer i = 0; i < MsgCount; ++i)
                       if (MsgLog[static_cast<size_t>(i)].find("zomflats.pnd") != std::string::npos) told = MsgLog[i];
                     if (told.empty()) told = notice();
                   }},
              });
  ASSERT_EQ(stepsDone, 4u);
  ink = noticeInk(shots[3]);
  EXPECT_EQ(after, msGameManager);
  EXPECT_EQ(mapAfter, menuMap);
  EXPECT_TRUE(told.find("\\maps\\zomflats.pnd: Input past end of file") != std::string::npos || ink > 0) << told;
  EXPECT_EQ(echo.count("Error in"), 0) << echo.find("Error in");
}
