// Writes that the medium refuses, in the real main loop on the generated content with scripted
// clicks on the real screens: the game folder's data/ is a read-only bind mount or a full tmpfs
// (tests/support/RefusingFolder.h), or one file in it is a mount point that a rename cannot
// replace, while the player saves the options, deletes a save slot from the game manager,
// finishes the new-game wizard, warps in with the auto-saver, answers the cheats-unlocked box,
// types a cheat code, or starts the game without its cheat file. Each time the write is caught
// where it is made: nothing reaches a trap ("Error in ..."), a notice over the screen names the
// file or slot and the reason until its "ok" is clicked, the screen stays where a retry makes
// sense, and data/ holds exactly the files it held before (no temporary left).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/PlayerNotices.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Paths.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/RefusingFolder.h"

namespace {
enum class Refusal { ReadOnly, Full };
void PrintTo(Refusal r, std::ostream* os) { *os << (r == Refusal::ReadOnly ? "read-only data/" : "full data/"); }

// One scripted action: once the interface has shown `window` (-1: any) for `wait` frames and
// `ready` (when given) holds.
struct Step {
  Long window;
  int wait;
  std::function<void()> act;
  std::function<bool()> ready = {};
};

class RefusedWriteRun : public GameRunTest {
 protected:
  void SetUp() override {
    GameRunTest::SetUp();
    echo = std::tmpfile();
    LogEcho = echo;
  }
  void TearDown() override {
    LogEcho = stderr;
    if (echo) std::fclose(echo);
    setRenameFaultForTests({});
    readOnly.reset();
    full.reset();
    busy.reset();
    GameRunTest::TearDown();
  }
  // data/ starts refusing writes as `how`; the kernel's reason when it cannot.
  std::string refuseWrites(Refusal how) {
    if (how == Refusal::ReadOnly) {
      reason = "read-only";
      readOnly = std::make_unique<ReadOnlyFolder>(dir->real("\\data"));
      return readOnly->refused();
    }
    reason = "no space left";
    full = std::make_unique<FullFolder>(dir->real("\\data"));
    return full->refused();
  }
  // Every line the message log echoed.
  std::string echoed() const {
    std::fflush(echo);
    std::rewind(echo);
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, echo)) > 0;) text.append(buf, n);
    return text;
  }
  // Lines of the echo that hold what.
  size_t echoCount(const std::string& what) const {
    const std::string text = echoed();
    size_t n = 0;
    for (size_t b = 0, e; b < text.size(); b = e + 1) {
      e = text.find('\n', b);
      if (e == std::string::npos) e = text.size();
      n += text.substr(b, e - b).find(what) != std::string::npos;
    }
    return n;
  }
  std::map<std::string, std::string> dataFiles() const { return folderFiles(dir->real("\\data")); }

  // Runs the game: unless the title is to stay, it is ended with a press, then `steps` run in
  // order; the run ends after the last or at 3000 frames. The frame presented after each step's
  // action is read back into shots (one per step).
  void play(std::vector<Step> steps, bool endTitle = true) {
    size_t next = 0;
    Long seenAt = -1;
    bool grab = false;
    titleEnded = !endTitle;
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
      if ((s.window >= 0 && gi.Window != s.window) || (s.ready && !s.ready())) {
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
  static Seen see() { return Seen{GameInterface->Window, playerNoticeTexts().empty() ? "" : playerNoticeTexts().front()}; }
  // The last steps of every case: the notice stands NoticeFrames (past the message log's 2 s) and
  // is recorded with data/, then its "ok" is clicked and what is left recorded.
  std::vector<Step> noticeAndOk() {
    return {
        {-1, NoticeFrames,
         [&] {
           atNotice = see();
           after = dataFiles();
         }},
        {-1, 0, [&] { click(cx(), cy() + 45); }},  // the notice's "ok"
        {-1, 2, [&] { afterOk = see(); }},
    };
  }
  // steps, then the notice and its "ok".
  std::vector<Step> thenNotice(std::vector<Step> steps) {
    for (Step& s : noticeAndOk()) steps.push_back(std::move(s));
    return steps;
  }

  // What every refused write shows: no error reaches a trap; the notice on screen (the screen it
  // stays on, the texts it names and the reason) until its "ok" clears it on the same screen;
  // data/ byte for byte as before.
  void expectTold(Long window, std::initializer_list<const char*> names, int noticeShot) {
    EXPECT_EQ(echoed().find("Error in "), std::string::npos) << echoed();
    EXPECT_EQ(atNotice.window, window);
    for (const char* name : names) EXPECT_NE(atNotice.notice.find(name), std::string::npos) << atNotice.notice;
    EXPECT_NE(atNotice.notice.find(reason), std::string::npos) << atNotice.notice;
    EXPECT_GT(noticeInk(shots[static_cast<size_t>(noticeShot)]), 20);
    EXPECT_EQ(afterOk.window, window);
    EXPECT_EQ(afterOk.notice, "");
    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(after == before) << "data/ changed";
  }

  static constexpr int NoticeFrames = 150;  // 2.5 s, past the message log's 2 s
  std::FILE* echo = nullptr;
  std::unique_ptr<ReadOnlyFolder> readOnly;
  std::unique_ptr<FullFolder> full;
  std::unique_ptr<BusyFile> busy;
  std::string reason;  // what the notice says of the medium
  std::vector<PixelImage> shots;
  std::map<std::string, std::string> before, after;
  Seen atNotice, afterOk;
  bool titleEnded = false;
  size_t stepsDone = 0;
};

class RefusedWriteTest : public RefusedWriteRun, public ::testing::WithParamInterface<Refusal> {
 protected:
  std::string refuseWrites() { return RefusedWriteRun::refuseWrites(GetParam()); }
};
using RefusedRenameTest = RefusedWriteRun;
}  // namespace

TEST_P(RefusedWriteTest, OptionsSaveStaysOpenOnTheChosenValuesAndNamesTheOptionsFile) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  bool chosenSound = false;
  play(thenNotice({
      {msMainMenu, 2, [&] { click(cx() + 119, cy() + 120); }},  // "options"
      {msOptions, 2, [&] { click(cx() - 270, cy() - 30); }},    // "sound"
      {msOptSound, 2, [&] { click(cx() + 16, cy() - 44); }},    // "sound on" toggled
      {msOptSound, 2,
       [&] {
         chosenSound = Player->bSound;
         before = dataFiles();
         click(cx() - 270, cy() + 150);  // "save"
       }},
  }));
  ASSERT_EQ(stepsDone, 7u);
  // The options screen stays on its page with the player's choice, still in use and unsaved.
  expectTold(msOptSound, {"options not saved", "\\data\\options.pnd"}, 4);
  EXPECT_EQ(noticeInk(shots[6]), 0);
  EXPECT_EQ(Player->bSound, chosenSound);
}

TEST_P(RefusedWriteTest, SlotDeleteClosesItsBoxAndNamesTheSlot) {
  FakeGameClock clock;
  // Slot 3 holds a game.
  dir->write("\\data\\save2\\save.pnd",
             "kept game\r\nrupert\r\nyuko\r\n 2 \r\n1/2/2026\r\n10:00:00\r\n3725\r\n0,0,0\r\n4\r\n16\r\n"
             "#FALSE#,0,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n"
             "#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n0\r\n");
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  play(thenNotice({
      {msMainMenu, 2, [&] { click(cx() - 121, cy() + 120); }},                 // "load game"
      // The game manager's corner is (cx - 250, cy - 180).
      {msGameManager, 2, [&] { click(cx() - 250 + 22 + 65 * 2 + 32, cy() - 118); }},  // slot 3
      {msGameManager, 2, [&] { click(cx() - 250 + 92, cy() + 102); }},                 // "delete"
      {msConfirmDeleteMenu, 2,
       [&] {
         before = dataFiles();
         click(cx() + 60, cy() + 25);  // "ok"
       }},
  }));
  ASSERT_EQ(stepsDone, 7u);
  // The box is closed; the game manager under the notice still offers the slot.
  expectTold(msGameManager, {"slot 3 not deleted", "\\data\\save2\\save.pnd"}, 4);
}

namespace {
// The new-game wizard up to its last page with slot 3 chosen, then "finish!" (data/ recorded first).
std::vector<Step> wizardToFinish(std::function<void()> beforeFinish) {
  const auto top = [] { return static_cast<Single>(ScreenHeight) / 2 - 200; };
  const auto cx = [] { return static_cast<Single>(ScreenWidth) / 2; };
  const auto cy = [] { return static_cast<Single>(ScreenHeight) / 2; };
  const auto click = [](Single x, Single y) {
    PointerX = x;
    PointerY = y;
    MouseClicked = true;
  };
  const auto next = [=] { click(cx() + 230, top() + 360); };
  return {
      {msMainMenu, 2, [=] { click(cx() - 241, cy() + 120); }},          // "new game"
      {msNewDifficulty, 80, [=] { click(cx() + 150, top() + 110); }},  // "very easy", once faded in
      {msNewShip, 2, [=] { click(cx() + 230, top() + 315); }},         // "next", 45 higher here
      {msNewDriver, 2, next},
      {msNewDriverName, 2, next},
      {msNewGunner, 2, next},
      {msNewGunnerName, 2, next},
      {msNewSaveSlot, 2, [=] { click(cx() - 195 + 22 + 65 * 2 + 32, cy() - 122 + 30 + 32); }},  // slot 3
      {msNewSaveSlot, 2, next},
      {msNewAllSet, 2,
       [=] {
         beforeFinish();
         next();  // "finish!"
       }},
  };
}
}  // namespace

TEST_P(RefusedWriteTest, WizardFinishStaysOnItsLastPageAndNamesTheSlot) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  Seen back;
  std::vector<Step> steps = thenNotice(wizardToFinish([&] { before = dataFiles(); }));
  steps.back().act = [&] {
    afterOk = see();
    click(cx() + 70, cy() - 200 + 360);  // "previous": another slot can be chosen
  };
  steps.push_back({-1, 2, [&] { back = see(); }});
  play(steps);
  ASSERT_EQ(stepsDone, 14u);
  expectTold(msNewAllSet, {"new game not saved in slot 3", "\\data\\save2"}, 10);
  EXPECT_EQ(back.window, msNewSaveSlot);
}

// The auto-saver on board, a warp from Los Gatos to Ninja Harbor, whose bank pad is its autosave
// landing: the save at the arrival is refused. (The flight starts as the menus start it, over the
// map; the ship is put in open space with the route set, then the action key is held.)
TEST_P(RefusedWriteTest, TheAutoSaveOfAWarpsArrivalTellsTheSlotOverTheFlight) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  Integer actionKey = 0;
  bool pausedUnderIt = false;
  Integer autoSaveLanding = -1;
  const auto arrived = [] { return CurMap->MapName == "ninjaharbor" && Ships[0]->getRealWarp() == 0; };
  play(thenNotice({
      {msMainMenu, 2,
       [&] {
         ASSERT_TRUE(startFlight());
         Player->HasAutoSaver = true;
         World->DestNode = World->getNodeFromPath("ninjaharbor");
         CShip& p = *Ships[0];
         p.x = -2500, p.y = 3500, p.e = 0, p.r = 0;
         p.Fuel = std::max<Long>(p.Fuel, 1000);
         before = dataFiles();
         actionKey = Player->getCharKey(8);
         frmMain.window().postKeyDown(actionKey);  // "hyperspace"
       }},
      {msNone, 0, [&] { frmMain.window().postKeyUp(actionKey); }, [] { return Ships[0]->getRealWarp() > 11; }},
      {-1, 0,
       [&] {
         autoSaveLanding = CurMap->getAutoSaveLanding();
         pausedUnderIt = GamePaused;
       },
       [&] { return !playerNoticeTexts().empty() || arrived(); }},
  }));
  ASSERT_EQ(stepsDone, 6u);
  EXPECT_GE(autoSaveLanding, 0);
  EXPECT_TRUE(pausedUnderIt) << "the flight waits under the notice";
  expectTold(msNone, {"game not auto-saved in slot 1", "\\data\\save0"}, 3);
}

// The credits' cheats box answered "ok" (the box opened as the credits' end opens it) and a cheat
// code typed in flight: the cheats are unlocked in the game and the refused cheat file is told
// over the flight.
TEST_P(RefusedWriteTest, TheCheatsBoxAndATypedCheatCodeTellTheCheatFileOverTheFlight) {
  FakeGameClock clock;
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  play(thenNotice({
      {msMainMenu, 2,
       [&] {
         ASSERT_TRUE(startFlight());
         for (Long i = 0; i < 4; ++i) Player->setHasCheat(i, 0);
         GameInterface->Window = msCheatsUnlocked;
         before = dataFiles();
       }},
      {msCheatsUnlocked, 2, [&] { click(cx(), cy() + 25); }},  // its "ok"
  }));
  ASSERT_EQ(stepsDone, 5u);
  expectTold(msNone, {"cheats not saved", "\\data\\options2.pnd"}, 2);
  EXPECT_EQ(Player->getHasCheat(0), 1);

  std::vector<Step> typing{{msMainMenu, 2, [&] {
                              ASSERT_TRUE(startFlight());
                              Player->setHasCheat(3, 0);
                            }}};
  for (char c : std::string("HOLLOWCANYON"))
    typing.push_back({msNone, 1, [c] {
                        frmMain.window().postKeyDown(c);
                        frmMain.window().postKeyUp(c);
                      }});
  atNotice = afterOk = Seen{};
  std::fclose(echo);
  LogEcho = echo = std::tmpfile();
  play(thenNotice(typing));
  ASSERT_EQ(stepsDone, typing.size() + 3);
  EXPECT_EQ(echoCount("slo mo cheat unlocked."), 1u);
  expectTold(msNone, {"cheats not saved", "\\data\\options2.pnd"}, static_cast<int>(typing.size()));
  EXPECT_EQ(Player->getHasCheat(3), 1);
}

// Started without its cheat file on a folder that takes no write: the title tells it once, however
// many player records read the file.
TEST_P(RefusedWriteTest, AMissingCheatFileThatCannotBeWrittenIsToldOnceAtTheStart) {
  FakeGameClock clock;
  dir->remove("\\data\\options2.pnd");
  if (const std::string why = refuseWrites(); !why.empty()) GTEST_SKIP() << why;
  before = dataFiles();
  play(noticeAndOk(), false);
  ASSERT_EQ(stepsDone, 3u);
  expectTold(msDemo, {"cheat file missing and cannot be written", "\\data\\options2.pnd"}, 0);
  EXPECT_EQ(echoCount("options2.pnd"), 1u) << echoed();
}

INSTANTIATE_TEST_SUITE_P(DataFolder, RefusedWriteTest, ::testing::Values(Refusal::ReadOnly, Refusal::Full),
                         [](const auto& info) { return info.param == Refusal::ReadOnly ? "ReadOnly" : "Full"; });

// Only the cheat file cannot be replaced: the options screen's "save" writes the options and
// names the cheat file as what was not saved.
TEST_F(RefusedRenameTest, OptionsSaveNamesTheCheatFileWhenOnlyItIsRefused) {
  FakeGameClock clock;
  busy = std::make_unique<BusyFile>(dir->real("\\data\\options2.pnd"));
  if (!busy->refused().empty()) GTEST_SKIP() << busy->refused();
  reason = "busy";
  std::string optionsBefore, optionsAfter;
  play(thenNotice({
      {msMainMenu, 2, [&] { click(cx() + 119, cy() + 120); }},  // "options"
      {msOptions, 2, [&] { click(cx() - 270, cy() - 30); }},    // "sound"
      {msOptSound, 2, [&] { click(cx() + 16, cy() - 44); }},    // "sound on" toggled
      {msOptSound, 2,
       [&] {
         optionsBefore = dir->read("\\data\\options.pnd");
         click(cx() - 270, cy() + 150);  // "save"
       }},
  }));
  ASSERT_EQ(stepsDone, 7u);
  optionsAfter = dir->read("\\data\\options.pnd");
  EXPECT_EQ(atNotice.window, msOptSound);
  EXPECT_EQ(atNotice.notice.rfind("[Y]cheat settings not saved:[y] \\data\\options2.pnd: ", 0), 0u) << atNotice.notice;
  EXPECT_NE(atNotice.notice.find("the other options were saved"), std::string::npos) << atNotice.notice;
  EXPECT_NE(optionsAfter, optionsBefore) << "the options were saved";
  EXPECT_EQ(afterOk.notice, "");
}

// The swap of the new game's slot folder into place and its roll-back both refused (a fault in
// the renames' way; the medium takes every other write): the wizard says the game is not saved,
// and at the next start the slot holds what it held.
TEST_F(RefusedRenameTest, AWizardSlotWhoseSwapAndRollBackFailHoldsTheOldGameAtTheNextStart) {
  FakeGameClock clock;
  const std::string slot = dir->real("\\data\\save2");
  const std::map<std::string, std::string> slotBefore = folderFiles(slot);
  std::vector<Step> steps = thenNotice(wizardToFinish([&] {
    setRenameFaultForTests([slot](const std::string&, const std::string& to) { return to == slot ? EIO : 0; });
  }));
  play(steps);
  ASSERT_EQ(stepsDone, 13u);
  setRenameFaultForTests({});
  EXPECT_EQ(atNotice.window, msNewAllSet);
  EXPECT_EQ(atNotice.notice.rfind("[Y]new game not saved in slot 3 (\\data\\save2):[y] ", 0), 0u) << atNotice.notice;
  // The next start.
  play({{msMainMenu, 2, [] {}}});
  EXPECT_TRUE(folderFiles(slot) == slotBefore) << "the slot changed";
  EXPECT_FALSE(dir->exists("\\data\\save2.old"));
  EXPECT_FALSE(dir->exists("\\data\\save2.new"));
}
