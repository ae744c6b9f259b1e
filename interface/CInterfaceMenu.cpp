// CInterface main menu (msMainMenu): the title logo over the running world and the bar of five
// buttons, with the start of a new campaign and of the tutorial.
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/VbError.h"

void CInterface::drawMainMenu() {
  const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
  drawPanel(cx - 310, cy + 90, cx + 310, cy + 150);
  drawMenuIcon(cx, cy - 65, 1.2f);
  const Single y = cy + 110, w = 118;
  if (drawButton(cx - 300, y, w, "new game", false)) startNewCampaign();
  if (drawButton(cx - 180, y, w, "load game", false)) {
    ReadSaveList();
    Window = msGameManager;
  }
  if (drawButton(cx - 60, y, w, "tutorial", false)) startTutorial();
  if (drawButton(cx + 60, y, w, "options", false)) Window = msOptions;
  if (drawButton(cx + 180, y, w, "quit", false)) GameRunning = false;
  MouseClicked = false;
}

// "new game": a fresh player record (it reads the options files), the wizard's texts and lists,
// the current map again, then the wizard's first page under a fade from black.
void CInterface::startNewCampaign() {
  Player = std::make_shared<CPlayer>();
  ReadNewGameText();
  Player->Init();
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  InitNewGameChars();
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  CurMap->Load();
  resetLevel();
  Window = msNewDifficulty;
  selItem = 0;
  FadeIn();
}

// "tutorial": the existing record set up anew, flight on the node whose path is "tut" (node 0
// when the world has none) with the tutorial mission. The mission starts before the level reset,
// so the level's untagged starting traffic is refused and the ship starts alone at the centre.
void CInterface::startTutorial() {
  if (!Player || !World || !CurMap) vbRaise(vberr::ObjectMissing);
  Player->Init();
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  InitNewGameChars();
  World->CurrentNode = World->getNodeFromPath("tut");
  CurMap->MapName = World->getCurrentPath();
  CurMap->Load();
  World->CurrentEra = 0;
  if (MissionControl) {
    MissionControl->LoadMission("tut.pnd", 0, "");
    MissionControl->StartMission();
    // The script opens by closing the yard ("lock"): closed before the level's first traffic is
    // placed, so no ship warps in beside the new pilot only to be sent away.
    MissionControl->LockedArea = true;
  }
  resetLevel();
  FadeIn();
  Window = msNone;
}
