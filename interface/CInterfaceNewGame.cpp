// New-game wizard, save slots and game manager, intro slide show.
#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "ships/CShip.h"

void CInterface::LoadNewGameGunnerPortraits() {}

void CInterface::ReadSaveList() {}

void CInterface::doAutoSave(Integer /*k*/) {}


void CInterface::ReadIntroMsg() {}

void CInterface::ReadNewGameText() {}

void CInterface::InitNewGameChars() {}

void CInterface::LoadNewGameDriverPortraits() {}

void CInterface::drawNewGame(Integer /*page*/) {}

void CInterface::drawGameManager(bool /*fromMenu*/, bool /*embedded*/) {}

void CInterface::drawGameManagerMenu() {}

void CInterface::RenderIntro() {}
