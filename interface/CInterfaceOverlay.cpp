// Status/warp overlay and the status screen.
#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "ships/CShip.h"

void CInterface::ToggleWarpChoose(bool /*status*/) {}

void CInterface::drawStatusScreen() {}

void CInterface::drawNodeTitle() {}
