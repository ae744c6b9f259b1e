// The launcher form: shown by a windowed developer start; its buttons call initGame with their
// requests (clicked through the forms' scripted input, run by doEvents).
#include <gtest/gtest.h>

#include "campaign/CPlayer.h"
#include "editors/CShipEditor.h"
#include "editors/CWorldEditor.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "interface/CInterface.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameSetUpFixture.h"

namespace {
using FrmLaunchTest = GameSetUpFixture;
}  // namespace

TEST_F(FrmLaunchTest, ItOffersPlayAndTheFourEditors) {
  EXPECT_EQ(frmLaunch.caption(), "Editor Launch");
  const char* names[] = {"cmdPlay", "cmdShipEditor", "cmdStructEditor", "cmdMapEditor", "cmdWorldEditor"};
  const char* captions[] = {"Play", "Ship Editor", "Struct Editor", "Map Editor", "World Editor"};
  for (int i = 0; i < 5; ++i) {
    auto* b = dynamic_cast<CommandButton*>(frmLaunch.findControl(names[i]));
    ASSERT_NE(b, nullptr) << names[i];
    EXPECT_EQ(b->caption(), captions[i]);
  }
}

TEST_F(FrmLaunchTest, EditorButtonsStartTheirEditorModes) {
  initGame(erLauncher);
  ASSERT_EQ(GameMode, pmLauncher);
  ASSERT_TRUE(frmLaunch.visible());
  struct Case {
    const char* button;
    Long mode;
  };
  const Case cases[] = {{"cmdShipEditor", pmShipEditor},
                        {"cmdStructEditor", pmStructEditor},
                        {"cmdMapEditor", pmMapEditor},
                        {"cmdWorldEditor", pmWorldEditor}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(frmLaunch.clickForTests(c.button));
    doEvents();
    EXPECT_EQ(GameMode, c.mode);
    EXPECT_TRUE(frmLaunch.visible());  // the launcher stays for the next choice
  }
  ASSERT_TRUE(WorldEditor && WorldEditor->form());
  EXPECT_TRUE(WorldEditor->form()->visible());
}

TEST_F(FrmLaunchTest, PlayStartsTheTitleSceneAndHidesTheLauncher) {
  initGame(erLauncher);
  ASSERT_TRUE(frmLaunch.clickForTests("cmdPlay"));
  doEvents();
  EXPECT_EQ(GameMode, pmPlay);
  EXPECT_EQ(EditMode, erPlay);
  EXPECT_FALSE(frmLaunch.visible());
  ASSERT_TRUE(Ships[0]);
  EXPECT_EQ(GameInterface->Window, 32);
}
