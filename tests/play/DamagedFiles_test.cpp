// Damaged files of the game folder, each in turn, in the real start-up and main loop on a copy of
// the generated content, headless on Mesa: what reads the file reports it once by its game path
// with the reason (on standard error, the echo counted here), and the game goes on without it, or,
// for a world that cannot be read, stops before the first frame with that error.
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
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "tests/support/EchoedLines.h"
#include "tests/support/GameRunFixture.h"

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
  EXPECT_EQ(echo.find("ships\\Gremlin.pnd"), "Error in loadShipDefs: Type mismatch (\\ships\\Gremlin.pnd)");
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
