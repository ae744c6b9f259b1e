#include "tests/editors/EditorFixture.h"

#include "audio/CJoyControl.h"
#include "audio/CMusic.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "editors/CMapEditor.h"
#include "editors/CShipEditor.h"
#include "editors/CStructEditor.h"
#include "editors/CWorldEditor.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/LoaderMod.h"
#include "game/frmLaunch.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"

void EditorFixture::SetUp() {
  DeviceFixture::SetUp();
  dir.reset();
  dir = std::make_unique<TempGameDir>(QV_TEST_GAME_DIR);
  makeDevice();
}

void EditorFixture::TearDown() {
  frmLaunch.hide();
  ShipEditor.reset();
  StructEditor.reset();
  MapEditor.reset();
  WorldEditor.reset();
  if (ModelMon) ModelMon->ClearAll();
  if (TexMon) TexMon->ClearAll();
  ModelMon.reset();
  TexMon.reset();
  GameText.reset();
  LoadDone = false;
  Ships.clear();
  Characters.clear();
  ShipDefs.clear();
  Sprites.clear();
  GameInterface.reset();
  MissionControl.reset();
  World.reset();
  Music.reset();
  JoyControl.reset();
  delete CurMap;
  CurMap = nullptr;
  GameMode = pmPlay;
  MouseHeld = false;
  MouseButton = 0;
  FrameTime = 0;
  int32_t n = ShowCursor(true);
  while (n < 0) n = ShowCursor(true);
  while (n > 0) n = ShowCursor(false);
  DeviceFixture::TearDown();
}

void EditorFixture::openEditor(const std::string& launcherButton) {
  initGame(erLauncher);
  ASSERT_TRUE(frmLaunch.clickForTests(launcherButton));
  act();
}

void EditorFixture::act() { doEvents(); }

void EditorFixture::type(Form& form, const std::string& control, const std::string& text) {
  ASSERT_TRUE(form.typeForTests(control, text)) << control;
  act();
}

void EditorFixture::click(Form& form, const std::string& control) {
  ASSERT_TRUE(form.clickForTests(control)) << control;
  act();
}

void EditorFixture::choose(Form& form, const std::string& control, Integer value) {
  ASSERT_TRUE(form.chooseForTests(control, value)) << control;
  act();
}
