// A mission that runs on while the player is in a store, in the real main loop on the generated
// content, headless on Mesa. The store covers flight: the mission's result banner and directive
// wait for the return to flight, and its talk lines are drawn over the store.
// - Tourist Escort is taken at the Los Gatos mission control in a new game's record (no tutorial
//   played), and the player goes shopping at Planet Hardware; in the store the mugger is sunk by a
//   blow from the player's ship (its own damage routine), so the mission pays and passes while the
//   store is open. Out of the store, "mission complete!" runs its four seconds, and the record and
//   the status screen count the mission.
// - A mission speaks while the store is open: its talk lines stand over the store and run their
//   time, so they are read there, while its directive for flight ("hold space to go in") waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GameRunFixture.h"

namespace {

class MissionUnderAStoreTest : public GameRunTest {
 protected:
  static void keepAlive() { Ships[0]->Armor = static_cast<Single>(Ships[0]->getMaxArmor()); }
  static CShip* tagged(const std::string& tag) {
    for (const auto& s : Ships)
      if (s && s->Exists && s->getTag() == tag) return s.get();
    return nullptr;
  }
  static void click(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    MouseClicked = true;
  }
  static Single storeX() { return (ScreenWidth - 500) / 2.0f; }
  static Single storeY() { return (ScreenHeight - 360) / 2.0f; }
};

// The texts a recorded frame drew with the font, each run of glyphs lower-cased without its spaces.
std::vector<std::string> drawnTexts(const std::vector<D3DCall>& calls) {
  std::vector<std::string> out;
  const void* font = TexSlots.at(static_cast<size_t>(TexFontDDS)).object.get();
  bool inRun = false;
  for (const D3DCall& c : calls) {
    if (c.kind == D3DCallKind::SpriteEnd) inRun = false;
    if (c.kind != D3DCallKind::SpriteDraw || c.object != font) continue;
    const Integer cell = static_cast<Integer>((c.rect.top / 36) * 8 + c.rect.left / 32);
    char ch = '?';
    for (int k = 126; k >= 32; --k)
      if (CText::getCharCell(static_cast<char>(k)) == cell && (k < 'A' || k > 'Z')) ch = static_cast<char>(k);
    if (!inRun) out.emplace_back();
    inRun = true;
    out.back() += ch;
  }
  return out;
}

enum class Step { Start, Board, Accept, ToStore, InStore, Back, Done };

}  // namespace

TEST_F(MissionUnderAStoreTest, TheEscortEndedInAStoreShowsItsBannerInFlightAndCounts) {
  FakeGameClock clock;
  Step step = Step::Start;
  Integer action = -1;
  Long mark = 0;
  Long cashBefore = 0;
  bool sunk = false, back = false;
  Single bannerAtEnd = -9, bannerLeavingStore = -9, bannerBack = -9, bannerLater = -9;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 6000) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      World->CurrentNode = World->getNodeFromPath("losgatos");
      resetLevel();
      action = holdActionOver(padServing(structMControl));
      return;
    }
    CInterface& gi = *GameInterface;
    keepAlive();
    switch (step) {
      case Step::Start:
        if (gi.Window != msMissionControl) {
          if (pass > 400) GameRunning = false;
          return;
        }
        frmMain.window().postKeyUp(action);
        step = Step::Board;
        break;
      case Step::Board:
        step = Step::Done;
        for (Integer k = 0; k <= 2; ++k)
          if (MissionControl->IsNodeMission(k) && MissionControl->getMissionPath(k) == "escort.pnd") {
            click(storeX() + 250, storeY() + 42 + 85.0f * k + 40);
            step = Step::Accept;
          }
        if (step == Step::Done) GameRunning = false;
        break;
      case Step::Accept:
        if (gi.Window != msConfirmMission) return;
        cashBefore = Player->Cash;
        click(ScreenWidth / 2.0f + 60, ScreenHeight / 2.0f + 25);  // "ok"
        step = Step::ToStore;
        break;
      case Step::ToStore:
        if (!tagged("mugger") || gi.Window != msNone || Ships[0]->LandingFrame > 0) return;
        action = holdActionOver(padServing(structParts));
        mark = pass;
        step = Step::InStore;
        break;
      case Step::InStore:
        if (gi.Window != msHardware) {
          if (pass > mark + 400) GameRunning = false;
          return;
        }
        if (action >= 0) {
          frmMain.window().postKeyUp(action);
          action = -1;
        }
        if (!sunk) {
          if (CShip* m = tagged("mugger")) m->Hit(skSplashDamage, 0, D3DVECTOR{0, 1, 0}, 1.0e6f);
          sunk = true;
          return;
        }
        if (MissionControl->Reading) {
          mark = pass;
          if (pass > 5000) GameRunning = false;
          return;
        }
        if (bannerAtEnd == -9) bannerAtEnd = MissionControl->MissionCompleteFrame;
        if (pass < mark + 360) return;  // six seconds more in the store
        bannerLeavingStore = MissionControl->MissionCompleteFrame;
        click(storeX() + 250, storeY() + 330);  // "done!"
        step = Step::Back;
        break;
      case Step::Back:
        if (gi.Window != msNone) return;
        if (!back) {
          back = true;
          bannerBack = MissionControl->MissionCompleteFrame;
          mark = pass;
        }
        if (pass == mark + 60) {
          bannerLater = MissionControl->MissionCompleteFrame;
          step = Step::Done;
          GameRunning = false;
        }
        break;
      case Step::Done:
        GameRunning = false;
        break;
    }
  };
  frmMain.Form_Load();

  ASSERT_TRUE(sunk) << "the player never reached the store with the mugger in the level";
  ASSERT_EQ(step, Step::Done) << "the escort did not end while the store was open";
  EXPECT_NEAR(bannerAtEnd, 4.0f, 0.1f) << "the escort did not pass";
  EXPECT_NEAR(bannerLeavingStore, 4.0f, 0.1f) << "the result banner ran out under the store";
  EXPECT_NEAR(bannerBack, 4.0f, 0.1f);
  EXPECT_LT(bannerLater, bannerBack - 0.5f) << "the banner does not run in flight";
  EXPECT_GE(Player->Cash - cashBefore, 1200);
  EXPECT_TRUE(Player->checkMissionComplete("escort.pnd"));
  EXPECT_EQ(World->MissionsCompleted, 1) << "the status screen's \"missions completed\"";
}

TEST_F(MissionUnderAStoreTest, ItsTalkLinesStandOverAStoreAndItsDirectiveWaits) {
  FakeGameClock clock;
  dir->write("\\missions\\era0\\shoptalk.pnd",
             "#def name Shop Talk\r\n#phase 0\r\ndir Hold space to go in\r\nwait 3\r\n"
             "popup ned, Click the laser, then done!\r\n"
             "popup ned, Your ship has two gun mounts, both empty.\r\ndir Talked\r\nwait 60\r\n#endphase\r\n");
  Integer action = -1;
  Long storeAt = -1, firstLineAt = -1, talkedAt = -1, linesOverStore = 0, linesUnderStore = 0;
  bool directiveInStore = false, storeLeft = false;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass > 2000) GameRunning = false;
    if (pass == 1) {
      if (!startFlight()) {
        GameRunning = false;
        return;
      }
      MissionControl->LoadMission("shoptalk.pnd", -1, "");
      MissionControl->StartMission();
      action = holdActionOver(padServing(structParts));
      return;
    }
    CInterface& gi = *GameInterface;
    keepAlive();
    if (storeAt < 0) {
      if (gi.Window != msHardware) return;
      storeAt = pass;
      frmMain.window().postKeyUp(action);
    }
    if (gi.Window != msHardware) {
      storeLeft = true;
      GameRunning = false;
      return;
    }
    // The store's "done!" button, then whatever the talk box draws: a line after it stands over it.
    bool storeDrawn = false;
    for (const std::string& t : drawnTexts(D3DDevice->RecordedCalls())) {
      if (t.find("done!") != std::string::npos) storeDrawn = true;
      if (t.find("holdspace") != std::string::npos) directiveInStore = true;
      if (t.find("clickthelaser") != std::string::npos || t.find("gunmounts") != std::string::npos)
        ++(storeDrawn ? linesOverStore : linesUnderStore);
    }
    D3DDevice->ClearRecordedCalls();
    D3DDevice->SetRecording(true);
    if (firstLineAt < 0 && gi.getTalkBox()) firstLineAt = pass;
    if (talkedAt < 0 && MissionControl->getDirective() == "Talked") {
      talkedAt = pass;
      GameRunning = false;
    }
  };
  frmMain.Form_Load();

  ASSERT_GT(storeAt, 0) << "the store never opened";
  ASSERT_LT(storeAt, 150) << "the store opened after the first line";
  EXPECT_FALSE(storeLeft);
  ASSERT_GT(firstLineAt, 0) << "the mission never spoke";
  ASSERT_GT(talkedAt, 0) << "the lines never passed";
  // Both lines run their time (a line stays about 4.5 s) and are read over the store.
  EXPECT_GT((talkedAt - firstLineAt) * 0.017, 8.0);
  EXPECT_GT(linesOverStore, 200) << "the talk lines did not show over the store";
  EXPECT_EQ(linesUnderStore, 0) << "a talk line was drawn under the store";
  EXPECT_FALSE(directiveInStore) << "the directive for flight was drawn over the store";
}
