// Writes that the medium refuses, in the real main loop on the generated content with scripted
// clicks on the real screens: the game folder's data/ is a read-only bind mount or a full tmpfs
// (tests/support/RefusingFolder.h) while the player saves the options, deletes a save slot from
// the game manager, or finishes the new-game wizard. Each time the write is caught where it is
// made: no "Error in Interface.Render", a notice over the screen names the file or slot and the
// reason until its "ok" is clicked, the screen stays where a retry makes sense, and data/ holds
// exactly the files it held before (no temporary left).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/RefusingFolder.h"

namespace {
enum class Refusal { ReadOnly, Full };
void PrintTo(Refusal r, std::ostream* os) { *os << (r == Refusal::ReadOnly ? "read-only data/" : "full data/"); }

// One scripted action: once the interface has shown `window` (-1: any) for `wait` frames.
struct Step {
  Long window;
  int wait;
  std::function<void()> act;
};

class RefusedWriteTest : public GameRunTest, public ::testing::WithParamInterface<Refusal> {
 protected:
  void SetUp() override {
    GameRunTest::SetUp();
    echo = std::tmpfile();
    LogEcho = echo;
  }
  void TearDown() override {
    LogEcho = stderr;
    if (echo) std::fclose(echo);
    readOnly.reset();
    full.reset();
    GameRunTest::TearDown();
  }
  // data/ starts refusing writes; the kernel's reason when it cannot.
  std::string refuseWrites() {
    if (GetParam() == Refusal::ReadOnly) {
      readOnly = std::make_unique<ReadOnlyFolder>(dir->real("\\data"));
      return readOnly->refused();
    }
    full = std::make_unique<FullFolder>(dir->real("\\data"));
    return full->refused();
  }
  static const char* reason() { return GetParam() == Refusal::ReadOnly ? "read-only" : "no space left"; }
  // Every line the message log echoed.
  std::string echoed() const {
    std::fflush(echo);
    std::rewind(echo);
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, echo)) > 0;) text.append(buf, n);
    return text;
  }
  std::map<std::string, std::string> dataFiles() const { return folderFiles(dir->real("\\data")); }

  // Runs the game: the title is ended with a press, then `steps` run in order; the run ends after
  // the last or at 3000 frames. The frame presented after each step's action is read back into
  // shots (one per step).
  void play(std::vector<Step> steps) {
    size_t next = 0;
    Long seenAt = -1;
    bool grab = false;
    shots.assign(steps.size(), PixelImage{});
    frmMain.beforePresentForTests = [&](Long) {
      if (grab) D3DDevice->ReadBackBuffer(shots[next - 1].argb, shots[next - 1].width, shots[next - 1].height);
      grab = false;
    };
    frmMain.afterFrameForTests = [&](Long pass) {
      if (!scriptInPlay(pass, 3000)) return;
      CInterface& gi = *GameInterface;
      MouseHeld = false;
      if (next == 0 && !titleEnded) {
        if (gi.Window == msDemo && pass >= 20) {
          MouseHeld = true;
          titleEnded = true;
        }
        return;
      }
      if (next >= steps.size()) {
        GameRunning = false;
        return;
      }
      const Step& s = steps[next];
      if (s.window >= 0 && gi.Window != s.window) {
        seenAt = -1;
        return;
      }
      if (seenAt < 0) seenAt = pass;
      if (pass - seenAt < s.wait) return;
      s.act();
      ++next;
      seenAt = -1;
      grab = true;
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
  // Yellow pixels of the notice's first text lines, in the band its dialog centres on the screen.
  static int noticeInk(const PixelImage& f) {
    int n = 0;
    for (int y = f.height / 2 - 70; y < f.height / 2 - 40; ++y)
      for (int x = f.width / 2 - 190; x < f.width / 2 + 190; ++x) {
        const Rgba c = f.at(x, y);
        if (c.r > 200 && c.g > 200 && c.b < 80) ++n;
      }
    return n;
  }
  // What a notice step records: the screen and the notice.
  struct Seen {
    Long window = -1;
    std::string notice;
  };
  static Seen see() { return Seen{GameInterface->Window, PlayerNotices.empty() ? "" : PlayerNotices.front()}; }

  // What every refused write shows: no error reaches the frame's trap; the notice on screen (the
  // screen it stays on, the texts it names and the reason) until its "ok" clears it on the same
  // screen; data/ byte for byte as before.
  void expectTold(const Seen& atNotice, Long window, std::initializer_list<const char*> names, int noticeShot,
                  const Seen& afterOk, const std::map<std::string, std::string>& before,
                  const std::map<std::string, std::string>& after) {
    EXPECT_EQ(echoed().find("Error in Interface.Render"), std::string::npos) << echoed();
    EXPECT_EQ(atNotice.window, window);
    for (const char* name : names) EXPECT_NE(atNotice.notice.find(name), std::string::npos) << atNotice.notice;
    EXPECT_NE(atNotice.notice.find(reason()), std::string::npos) << atNotice.notice;
    EXPECT_GT(noticeInk(shots[static_cast<size_t>(noticeShot)]), 20);
    EXPECT_EQ(afterOk.window, window);
    EXPECT_EQ(afterOk.notice, "");
    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(after == before) << "data/ changed";
  }

  std::FILE* echo = nullptr;
  std::unique_ptr<ReadOnlyFolder> readOnly;
  std::unique_ptr<FullFolder> full;
  std::vector<PixelImage> shots;
  bool titleEnded = false;
  size_t stepsDone = 0;
};

// The notice stands 150 frames (2.5 s, past the message log's 2 s) and goes with its "ok".
constexpr int NoticeFrames = 150;
}  // namespace

TEST_P(RefusedWriteTest, OptionsSaveStaysOpenOnTheChosenValuesAndNamesTheOptionsFile) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  std::map<std::string, std::string> before, after;
  bool chosenSound = false;
  Seen atNotice, afterOk;
  bool soundAfterOk = false;
  play({
      {msMainMenu, 2, [&] { click(cx() + 119, cy() + 120); }},  // "options"
      {msOptions, 2, [&] { click(cx() - 270, cy() - 30); }},    // "sound"
      {msOptSound, 2, [&] { click(cx() + 16, cy() - 44); }},    // "sound on" toggled
      {msOptSound, 2,
       [&] {
         chosenSound = Player->bSound;
         before = dataFiles();
         click(cx() - 270, cy() + 150);  // "save"
       }},
      {-1, NoticeFrames,
       [&] {
         atNotice = see();
         after = dataFiles();
       }},
      {-1, 0, [&] { click(cx(), cy() + 45); }},  // the notice's "ok"
      {-1, 2,
       [&] {
         afterOk = see();
         soundAfterOk = Player->bSound;
       }},
  });
  ASSERT_EQ(stepsDone, 7u);
  // The options screen stays on its page with the player's choice, still in use and unsaved.
  expectTold(atNotice, msOptSound, {"options not saved", "\\data\\options.pnd"}, 4, afterOk, before, after);
  EXPECT_EQ(noticeInk(shots[6]), 0);
  EXPECT_EQ(soundAfterOk, chosenSound);
}

TEST_P(RefusedWriteTest, SlotDeleteClosesItsBoxAndNamesTheSlot) {
  FakeGameClock clock;
  // Slot 3 holds a game (its head lines, as the preview reads them).
  dir->write("\\data\\save2\\save.pnd",
             "kept game\r\nrupert\r\nyuko\r\n 2 \r\n1/2/2026\r\n10:00:00\r\n3725\r\n0,0,0\r\n4\r\n16\r\n"
             "#FALSE#,0,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n"
             "#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n0\r\n");
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  std::map<std::string, std::string> before, after;
  Seen atNotice, afterOk;
  play({
      {msMainMenu, 2, [&] { click(cx() - 121, cy() + 120); }},                 // "load game"
      // The game manager's corner is (cx - 250, cy - 180).
      {msGameManager, 2, [&] { click(cx() - 250 + 22 + 65 * 2 + 32, cy() - 118); }},  // slot 3
      {msGameManager, 2, [&] { click(cx() - 250 + 92, cy() + 102); }},                 // "delete"
      {msConfirmDeleteMenu, 2,
       [&] {
         before = dataFiles();
         click(cx() + 60, cy() + 25);  // "ok"
       }},
      {-1, NoticeFrames,
       [&] {
         atNotice = see();
         after = dataFiles();
       }},
      {-1, 0, [&] { click(cx(), cy() + 45); }},  // the notice's "ok"
      {-1, 2, [&] { afterOk = see(); }},
  });
  ASSERT_EQ(stepsDone, 7u);
  // The box is closed; the game manager under the notice still offers the slot.
  expectTold(atNotice, msGameManager, {"slot 3 not deleted", "\\data\\save2\\save.pnd"}, 4, afterOk, before,
             after);
}

TEST_P(RefusedWriteTest, WizardFinishStaysOnItsLastPageAndNamesTheSlot) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  std::map<std::string, std::string> before, after;
  Seen atNotice, afterOk, back;
  const auto top = [] { return cy() - 200; };
  const auto next = [&] { click(cx() + 230, top() + 360); };
  play({
      {msMainMenu, 2, [&] { click(cx() - 241, cy() + 120); }},          // "new game"
      {msNewDifficulty, 80, [&] { click(cx() + 150, top() + 110); }},  // "very easy", once faded in
      {msNewShip, 2, [&] { click(cx() + 230, top() + 315); }},         // "next", 45 higher here
      {msNewDriver, 2, next},
      {msNewDriverName, 2, next},
      {msNewGunner, 2, next},
      {msNewGunnerName, 2, next},
      {msNewSaveSlot, 2, [&] { click(cx() - 195 + 22 + 65 * 2 + 32, cy() - 122 + 30 + 32); }},  // slot 3
      {msNewSaveSlot, 2, next},
      {msNewAllSet, 2,
       [&] {
         before = dataFiles();
         next();  // "finish!"
       }},
      {-1, NoticeFrames,
       [&] {
         atNotice = see();
         after = dataFiles();
       }},
      {-1, 0, [&] { click(cx(), cy() + 45); }},  // the notice's "ok"
      {-1, 2,
       [&] {
         afterOk = see();
         click(cx() + 70, top() + 360);  // "previous": another slot can be chosen
       }},
      {-1, 2, [&] { back = see(); }},
  });
  ASSERT_EQ(stepsDone, 14u);
  expectTold(atNotice, msNewAllSet, {"new game not saved in slot 3", "\\data\\save2"}, 10, afterOk, before, after);
  EXPECT_EQ(back.window, msNewSaveSlot);
}

INSTANTIATE_TEST_SUITE_P(DataFolder, RefusedWriteTest, ::testing::Values(Refusal::ReadOnly, Refusal::Full),
                         [](const auto& info) { return info.param == Refusal::ReadOnly ? "ReadOnly" : "Full"; });
