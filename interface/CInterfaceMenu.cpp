// CInterface main menu (msMainMenu): the title logo over the running world and the bar of five
// buttons, with the start of a new campaign and of the tutorial.
#include <memory>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/PlayerNotices.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/VbError.h"
#include "ships/CShipDef.h"

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
// the new game's first map, then the wizard's first page under a fade from black. Without that
// map, or without a ship the wizard can offer, the player stays on the menu with a notice.
void CInterface::startNewCampaign() {
  if (!CurMap || !World) vbRaise(vberr::ObjectMissing);
  if (!newGameShipOffered(0) && !newGameShipOffered(1) && !newGameShipOffered(2)) {
    tellPlayer("new game not started", "none of its ships can be read (" + shipDefPath(1) + ", " + shipDefPath(5) +
                                           ", " + shipDefPath(2) + ")");
    return;
  }
  const Integer first = World->getNodeFromPath("losgatos");
  const FileProblem problem = World->nodeMapProblem(first);
  if (!problem.empty()) {
    tellPlayer("new game not started", problem.text() + ". " + World->cannotEnter(first));
    return;
  }
  Player = std::make_shared<CPlayer>();
  ReadNewGameText();
  Player->Init();
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  InitNewGameChars();
  World->EnterNode(first, nullptr);
  resetLevel();
  Window = msNewDifficulty;
  selItem = 0;
  FadeIn();
}

// "tutorial": the existing record set up anew, flight on the node whose path is "tut" (node 0
// when the world has none) with the tutorial mission. The mission starts before the level reset,
// so the level's untagged starting traffic is refused and the ship starts alone at the centre.
// Without the tutorial's map or the design of its ship the player stays on the menu with a notice.
void CInterface::startTutorial() {
  if (!Player || !World || !CurMap) vbRaise(vberr::ObjectMissing);
  Player->Init();
  if (!shipDefReadable(Player->ShipType)) {
    tellPlayer("tutorial not started", "its ship cannot be read (" + shipDefPath(Player->ShipType) + ")");
    return;
  }
  const Integer node = World->getNodeFromPath("tut");
  const FileProblem problem = World->nodeMapProblem(node);
  if (!problem.empty()) {
    tellPlayer("tutorial not started", problem.text() + ". " + World->cannotEnter(node));
    return;
  }
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  InitNewGameChars();
  World->EnterNode(node, nullptr);
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
