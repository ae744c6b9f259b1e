// The developer launcher in the real main loop on the generated content, headless on Mesa: its
// buttons are pressed in its own window as the window system delivers them (a press in one
// frame's yield, the release in the next). An editor then "Play" loads every model and texture as
// a direct start does, with no error, closes the editor's window and runs the title scene, whose
// menu opens on a click; an editor then another editor closes the first one's window.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Forms.h"
#include "platform/Window.h"
#include "tests/support/GameRunFixture.h"

namespace {
struct Press {
  const char* button;  // a control of frmLaunch
  Long mode;           // the GameMode it leads to
};
void PrintTo(const Press& p, std::ostream* os) { *os << p.button; }
constexpr Press ShipEditorPress{"cmdShipEditor", pmShipEditor};
constexpr Press StructEditorPress{"cmdStructEditor", pmStructEditor};
constexpr Press MapEditorPress{"cmdMapEditor", pmMapEditor};
constexpr Press WorldEditorPress{"cmdWorldEditor", pmWorldEditor};
constexpr Press PlayPress{"cmdPlay", pmPlay};

// What one program run showed.
struct Outcome {
  std::string log;                                  // every line the game logged
  std::vector<std::vector<std::string>> shownForms;  // captions of the shown forms after each press
  std::vector<bool> modeReached;                    // each press reached its mode
  bool titleSeen = false, menuOpened = false;
};

// Captions of the forms shown now, in creation order.
std::vector<std::string> shownForms() {
  std::vector<std::string> captions;
  for (const Form* f : allForms())
    if (f->visible()) captions.push_back(f->caption());
  return captions;
}

// The lines holding part.
std::vector<std::string> linesWith(const std::string& log, const std::string& part) {
  std::vector<std::string> found;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.find(part) != std::string::npos) found.push_back(line);
  return found;
}

// The count of the "N items loaded." line, -1 when there is none.
int itemsLoaded(const std::string& log) {
  const std::vector<std::string> lines = linesWith(log, " items loaded.");
  if (lines.size() != 1) return -1;
  const std::string& line = lines[0];
  const size_t end = line.find(" items loaded.");
  const size_t start = line.rfind(' ', end - 1) + 1;
  return std::stoi(line.substr(start, end - start));
}

class LauncherGameTest : public GameRunTest {
 protected:
  void TearDown() override {
    LogEcho = stderr;
    DevMode = false;
    GameRunTest::TearDown();
  }

  // Sets the developer option (line 33 of the options file, last item) of the game folder.
  void setDeveloperOption(bool on) {
    const std::string path = dir->path() + "/data/options.pnd";
    std::vector<std::string> lines;
    {
      std::ifstream in(path, std::ios::binary);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    ASSERT_GE(lines.size(), 33u);
    std::string& line = lines[32];
    const size_t last = line.rfind(',');
    ASSERT_NE(last, std::string::npos);
    line = line.substr(0, last + 1) + (on ? "#TRUE#\r" : "#FALSE#\r");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& l : lines) out << l << '\n';
  }

  // Runs the program: presses the launcher's buttons in order (each once its mode was reached
  // and a few frames ran in it), then, once in play, clicks the title in the game window. A
  // program without the launcher (no developer option) only waits for the title.
  Outcome run(const std::vector<Press>& presses) {
    Outcome out;
    std::FILE* echo = std::tmpfile();
    LogEcho = echo;
    // A new program: the media are loaded afresh.
    LoadDone = false;
    LoadCount = 0;
    LoadScreenOn = false;
    size_t next = 0;
    enum class Step { Press, Release, InMode, Title, TitleRelease, Menu, Done } step = Step::Press;
    Long since = 0, stepFrames = 0;
    Single clickX = 0, clickY = 0;
    frmMain.afterFrameForTests = [&](Long pass) {
      if (pass > 3000) GameRunning = false;  // a stuck script
      ++stepFrames;
      auto go = [&](Step s) {
        step = s;
        stepFrames = 0;
      };
      if (next >= presses.size() && step == Step::Press) go(Step::Title);
      switch (step) {
        case Step::Press: {
          if (!frmLaunch.visible()) return;
          auto* button = dynamic_cast<CommandButton*>(frmLaunch.findControl(presses[next].button));
          if (!button) {
            ADD_FAILURE() << "no button " << presses[next].button;
            GameRunning = false;
            return;
          }
          const ControlRect& r = button->drawnRect();
          if (r.right <= r.left) return;  // not drawn yet
          clickX = (r.left + r.right) / 2;
          clickY = (r.top + r.bottom) / 2;
          frmLaunch.pushToolWindowMouseForTests(true, clickX, clickY);
          go(Step::Release);
          break;
        }
        case Step::Release:
          frmLaunch.pushToolWindowMouseForTests(false, clickX, clickY);
          go(Step::InMode);
          break;
        case Step::InMode:
          if (GameMode != presses[next].mode) {
            if (stepFrames > 30) {
              out.modeReached.push_back(false);
              out.shownForms.push_back(shownForms());
              GameRunning = false;
            }
            return;
          }
          if (stepFrames < 5) return;  // the mode runs a few frames
          out.modeReached.push_back(true);
          out.shownForms.push_back(shownForms());
          ++next;
          go(next < presses.size() ? Step::Press : Step::Title);
          break;
        case Step::Title:
          if (GameMode == pmLauncher || GameMode != pmPlay) {
            GameRunning = false;  // the script ends in an editor
            return;
          }
          if (!GameInterface || GameInterface->Window != msDemo) {
            if (stepFrames > 60) GameRunning = false;
            return;
          }
          out.titleSeen = true;
          if (stepFrames < 20) return;  // let the title run a little
          pushSystemMouseButtonForTests(1, true, ScreenWidth / 2, ScreenHeight / 2);
          go(Step::TitleRelease);
          break;
        case Step::TitleRelease:
          pushSystemMouseButtonForTests(1, false, ScreenWidth / 2, ScreenHeight / 2);
          since = pass;
          go(Step::Menu);
          break;
        case Step::Menu:
          if (GameInterface && GameInterface->Window == msMainMenu) {
            out.menuOpened = true;
            go(Step::Done);
          } else if (pass > since + 10) {
            go(Step::Done);
          }
          break;
        case Step::Done:
          GameRunning = false;
          break;
      }
    };
    frmMain.Form_Load();
    frmMain.afterFrameForTests = {};
    LogEcho = stderr;
    std::rewind(echo);
    std::ostringstream text;
    for (int c; (c = std::fgetc(echo)) != EOF;) text.put(static_cast<char>(c));
    std::fclose(echo);
    out.log = text.str();
    return out;
  }
};

class EditorThenPlay : public LauncherGameTest, public ::testing::WithParamInterface<Press> {};

std::string pressName(const ::testing::TestParamInfo<Press>& info) { return info.param.button + 3; }
}  // namespace

TEST_P(EditorThenPlay, LoadsAllMediaClosesTheEditorAndTheTitleMenuOpens) {
  FakeGameClock clock;
  setDeveloperOption(false);
  const Outcome direct = run({});
  const int directItems = itemsLoaded(direct.log);
  ASSERT_GT(directItems, 400) << direct.log;
  ASSERT_TRUE(direct.menuOpened);

  setDeveloperOption(true);
  const Outcome launched = run({GetParam(), PlayPress});
  EXPECT_EQ(launched.modeReached, (std::vector<bool>{true, true}));
  EXPECT_EQ(itemsLoaded(launched.log), directItems);
  EXPECT_EQ(linesWith(launched.log, "Error"), std::vector<std::string>{});
  EXPECT_EQ(linesWith(launched.log, "scene"), std::vector<std::string>{});
  ASSERT_EQ(launched.shownForms.size(), 2u);
  EXPECT_EQ(launched.shownForms[0].size(), 2u) << "the launcher and the editor's window";
  EXPECT_EQ(launched.shownForms[1], std::vector<std::string>{}) << "play runs in the game window alone";
  EXPECT_TRUE(launched.titleSeen);
  EXPECT_TRUE(launched.menuOpened);
}

INSTANTIATE_TEST_SUITE_P(EachEditor, EditorThenPlay,
                         ::testing::Values(ShipEditorPress, StructEditorPress, MapEditorPress, WorldEditorPress),
                         pressName);

TEST_F(LauncherGameTest, AnEditorThenAnotherClosesTheFirstOnesWindow) {
  FakeGameClock clock;
  setDeveloperOption(true);
  const Outcome out =
      run({ShipEditorPress, WorldEditorPress, StructEditorPress, MapEditorPress, ShipEditorPress, PlayPress});
  EXPECT_EQ(out.modeReached, std::vector<bool>(6, true));
  const std::vector<std::vector<std::string>> expected = {
      {"Editor Launch", "Ship Editor"},   {"Editor Launch", "World Editor"}, {"Editor Launch", "Struct Editor"},
      {"Editor Launch", "Map Editor"},    {"Editor Launch", "Ship Editor"},  {}};
  EXPECT_EQ(out.shownForms, expected);
  EXPECT_EQ(linesWith(out.log, "Error"), std::vector<std::string>{});
  EXPECT_GT(itemsLoaded(out.log), 400);
  EXPECT_TRUE(out.menuOpened);
}
