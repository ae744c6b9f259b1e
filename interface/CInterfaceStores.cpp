// Store catalogues, store frame, stores, gas station, wait screen, mission banners, save icon.
#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "ships/CShip.h"

void CInterface::InitMissions() { NeedMissionReinit = false; }

void CInterface::InitShipStore(Integer /*level*/) {}

void CInterface::InitParts(Integer /*level*/) {}

void CInterface::InitWeaponList(Integer /*level*/) {}

Long CInterface::getPartEnergy(Integer /*id*/) const { return 0; }

void CInterface::drawPlunder() {}

void CInterface::drawHardwareStore() {}

void CInterface::drawBountyHunting() {}

void CInterface::drawTrading(bool /*pleasant*/) {}

void CInterface::drawShipyard() {}

void CInterface::drawGasStation() {}

void CInterface::drawWeaponStore() {}

void CInterface::drawWaitForASec() {}

void CInterface::drawMissionControl() {}

void CInterface::drawDirective(Single /*level*/) {}

void CInterface::drawMissionResult() {}

void CInterface::RenderSaveIcon() {}

D3DXVECTOR2 CInterface::drawDoneButton(const std::string& /*title*/, Integer /*width*/) { return {}; }

void CInterface::drawShipStats(Single& x, Single& y, Integer /*index*/) {
  x -= 480;
  y -= 45;
}

bool CInterface::drawListArrowUp(Single /*x*/, Single /*y*/, bool /*selected*/) { return false; }

bool CInterface::drawListArrowDown(Single /*x*/, Single /*y*/, bool /*selected*/) { return false; }
