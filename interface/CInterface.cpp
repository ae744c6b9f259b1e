#include "interface/CInterface.h"

#include "campaign/CPlayer.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

std::shared_ptr<CInterface> GameInterface;
bool GamePaused = false;

bool CInterface::hasMouse() const {
  if (Window != 0) return true;
  if (!Ships.empty() && Ships[0]) {
    const CShip& p = *Ships[0];
    if (p.TractorFrame > 0 || p.LandingFrame > 0) return true;
  }
  return false;
}

void CInterface::Remap(Integer keyCode) {
  if (keyRemapping < 0) return;
  if (!Player) vbRaise(vberr::ObjectMissing);
  Player->setCharKey(keyRemapping, keyCode);
  keyRemapping = -1;
}

void CInterface::Render() {}

void CInterface::MakeTalkBox(const std::string& /*portrait*/, const std::string& /*text*/, bool /*confirm*/,
                             bool /*reset*/, Single /*duration*/) {
  talkBoxUp = true;
}

std::string CInterface::getBountyName(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].name;
}

Long CInterface::getBountyVal(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].value;
}

void CInterface::NewBountyMsg(const std::string& text) {
  bountyMsg = text;
  bountyMsgTimer = 2.0f;
}

Long CInterface::getBountyUnit(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].unit;
}

void CInterface::InitBountyList() {}


D3DXVECTOR2 CInterface::rectToScreen(Single /*w*/, Single /*h*/) { return {}; }
void CInterface::drawPanel(Single, Single, Single, Single) {}
void CInterface::drawPanelEx(Single, Single, Single, Single, Integer, Integer, Integer) {}
bool CInterface::drawButton(Single, Single, Single, const std::string&, bool) { return false; }
bool CInterface::drawHighlight(Single, Single, Integer) { return false; }
void CInterface::drawMainMenu() {}
void CInterface::drawOptions() {}
void CInterface::drawCheatsUnlocked() {}
void CInterface::drawYesCancel(const std::string&, const D3DXVECTOR2&, Single, bool, Integer& result) { result = 0; }
void CInterface::drawConfirmDelete() {}
void CInterface::drawConfirmSave() {}
void CInterface::drawConfirmLoad() {}
void CInterface::drawConfirmPurchase() {}
void CInterface::drawConfirmMission() {}
void CInterface::drawConfirmCancelMission() {}
void CInterface::drawConfirmSell() {}
void CInterface::drawConfirmQuit() {}
