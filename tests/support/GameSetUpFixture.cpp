#include "tests/support/GameSetUpFixture.h"

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
#include "tests/support/MediaFixture.h"
#include "tests/support/ShippedGame.h"

void GameSetUpFixture::SetUp() {
  DeviceFixture::SetUp();
  dir.reset();  // the program folder moves to the copy of the generated game folder
  dir = shippedGameDir();
  makeDevice();
}

void GameSetUpFixture::TearDown() {
  frmLaunch.hide();
  ShipEditor.reset();
  StructEditor.reset();
  MapEditor.reset();
  WorldEditor.reset();
  releaseMedia();
  Ships.clear();
  Characters.clear();
  ShipDefs.clear();
  Sprites.clear();
  GameInterface.reset();
  MissionControl.reset();
  World.reset();
  Music.reset();
  JoyControl.reset();
  MotherPlayer.reset();
  for (auto& s : SubPlayers) s.reset();
  delete CurMap;
  CurMap = nullptr;
  GameMode = pmPlay;
  GamePaused = false;
  MouseHeld = false;
  MouseButton = 0;
  PendingMap.clear();
  ScreenFxOn = false;
  FrameTime = 0;
  Fullscreen = false;
  // The cursor counter back to 0 (a new game hides the cursor once).
  int32_t n = ShowCursor(true);
  while (n < 0) n = ShowCursor(true);
  while (n > 0) n = ShowCursor(false);
  DeviceFixture::TearDown();
}
