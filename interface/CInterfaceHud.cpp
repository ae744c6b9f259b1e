// In-flight HUD: panels, radar, markers, choice lists, cursor, aim marker, fades.
#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "ships/CShip.h"

void CInterface::InitSecondarySwitch(Long /*weapon*/, Long /*keep*/) {}

void CInterface::GrayOut(Single /*level*/) {}

void CInterface::setXHair(Integer i, const D3DVECTOR& point) { xhairPoints.at(i) = point; }

void CInterface::drawCursor() {}

void CInterface::drawAimMarker() {}

void CInterface::drawTargetDistance() {}

void CInterface::drawShipMarkers() {}

void CInterface::drawRadar() {}

void CInterface::drawDestinationHud() {}

void CInterface::drawTargetHud() {}

void CInterface::drawActionHud() {}

void CInterface::drawBayHud() {}

void CInterface::drawSecondaryHud() {}

void CInterface::drawStatusHud() {}

void CInterface::drawMotherShipHud() {}

void CInterface::RenderCombo() {}

void CInterface::RenderHitSplats() {}

void CInterface::stopPlayerSteer() {}
