// CInterface confirmation dialogs (delete, save, load, purchase, sell, accept and cancel mission,
// quit) and the cheats-unlocked notices. Each is one screen state; the screen that opened it left
// what the action needs in the interface's pending members (curSlot, pendingShipType,
// pendingPrice, pendingSlot, chosenMission). Every dialog clears MouseClicked at the end of its frame.
#include <memory>
#include <string>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "game/GameMod.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "runtime/DateTime.h"
#include "runtime/ItemFile.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

using interface_helpers::player;

namespace {
CShip& shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) vbRaise(vberr::Subscript);
  if (!Ships[static_cast<size_t>(i)]) vbRaise(vberr::ObjectMissing);
  return *Ships[static_cast<size_t>(i)];
}

std::string shipTitle(Integer type) {
  if (type < 0 || static_cast<size_t>(type) >= ShipDefs.size()) vbRaise(vberr::Subscript);
  const auto& def = ShipDefs[static_cast<size_t>(type)];
  return def ? def->ShipTitle : std::string();
}

}  // namespace

void CInterface::drawYesCancel(const std::string& question, const D3DXVECTOR2& corner, Single width, bool yesNo,
                               Integer& result) {
  const Single x = corner.x, y = corner.y;
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.7f);
  t.drawText(x + width / 2, y + 40, question, 1, false, false);
  result = 0;
  if (drawButton(x + width / 2 - 100, y + 90, 80, yesNo ? "no" : "cancel", false)) result = 2;
  if (drawButton(x + width / 2 + 20, y + 90, 80, yesNo ? "yes" : "ok", false)) result = 1;
}

Integer CInterface::dialogFrame(const std::string& question, bool yesNo) {
  stopPlayerSteer();
  const D3DXVECTOR2 corner = rectToScreen(400, 150);
  Integer result = 0;
  drawYesCancel(question, corner, 400, yesNo, result);
  return result;
}

bool CInterface::withholdClickForNotice() {
  if (!firstPlayerNotice()) return false;
  const bool click = MouseClicked;
  MouseClicked = false;
  return click;
}

void CInterface::drawNotice(bool click) {
  const PlayerNotice* n = firstPlayerNotice();
  if (!n) return;
  MouseClicked = click;
  const D3DXVECTOR2 corner = rectToScreen(400, 150);
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.5f);
  t.makeBlock(370, "[Y]" + n->title + ":[y] " + n->text);
  t.drawBlock(corner.x + 200, corner.y + 15, 1);
  if (drawButton(corner.x + 160, corner.y + 110, 80, "ok", false)) dismissPlayerNotice();
  drawCursor();
  MouseClicked = false;
}

void CInterface::drawConfirmDelete() {
  const Long back = Window == msConfirmDeleteMenu ? msGameManager : msBank;
  const Integer result = dialogFrame("Delete: are you sure?", false);
  if (result == 1) {
    // A refused write leaves the slot as it was; the box closes and the slot screen tells why.
    const std::string file = CPlayer::SlotFile(curSlot, -1);
    bool deleted = false;
    try {
      ItemWriter w(file);
      w.writeString("*nil*").endLine();
      w.commit();
      deleted = true;
    } catch (const std::exception& e) {
      tellPlayer("slot " + std::to_string(curSlot + 1) + " not deleted (" + file + ")", e.what());
    }
    if (deleted) ReadSaveList();
  }
  if (result != 0) Window = back;
  MouseClicked = false;
}

bool CInterface::loadSlot() {
  try {
    player().Load(curSlot, playerShip, -1);
  } catch (const std::exception& e) {
    tellPlayer("game not loaded", e.what(), "the game goes on as it was.");
    slotPreviewStale = true;
    return false;
  }
  InitBountyList();
  return true;
}

void CInterface::drawConfirmSave() {
  const Integer result = dialogFrame("[Y]Save:[y] are you sure?", false);
  if (result == 1) {
    // A refused save leaves the slot as it was; the bank tells why and can save again.
    bool saved = false;
    try {
      player().Save(curSlot, DateText(), playerShip, -1);
      saved = true;
    } catch (const std::exception& e) {
      tellPlayer("game not saved in slot " + std::to_string(curSlot + 1) + " (" + CPlayer::SlotFolder(curSlot) + ")",
                 e.what());
    }
    if (saved) {
      saveIconTimer = 5.0f;
      ReadSaveList();
    }
  }
  if (result != 0) Window = msBank;
  MouseClicked = false;
}

void CInterface::drawConfirmLoad() {
  const Integer result = dialogFrame("[Y]Load:[y] are you sure?", false);
  if (result == 2) Window = msBank;
  if (result == 1) {
    Window = msBank;
    // A slot that cannot be read leaves the running game as it was, at the bank, and says why.
    if (loadSlot()) {
      Window = msNone;
      chosenSecondary = -1;
      landedSecondary = -1;  // the weapon of the lost game's landing stays with it
    }
  }
  MouseClicked = false;
}

void CInterface::drawConfirmPurchase() {
  const Integer result = dialogFrame(
      "Purchase [Y]" + shipTitle(pendingShipType) + "[y] for [G]$" + CStr(static_cast<double>(pendingPrice)) + "[g]?",
      false);
  if (result == 2) Window = msShipyard;
  if (result == 1) {
    CPlayer& p = player();
    p.Cash -= pendingPrice;
    if (pendingSlot < 0) {
      p.BuyNewShip(pendingShipType, 0);
    } else {
      vbCheckIndex(pendingSlot, 0, static_cast<long long>(SubPlayers.size()) - 1);
      if (!SubPlayers[static_cast<size_t>(pendingSlot)]) vbRaise(vberr::ObjectMissing);
      SubPlayers[static_cast<size_t>(pendingSlot)]->BuyNewShip(pendingShipType, 0);
    }
    Window = msNone;
    shipAt(playerShip).LandingFrame = 0;
  }
  MouseClicked = false;
}

void CInterface::drawConfirmSell() {
  const Integer result = dialogFrame(
      "Sell [Y]" + shipTitle(pendingShipType) + "[y] for [G]$" + CStr(static_cast<double>(pendingPrice)) + "[g]?",
      false);
  if (result == 2) Window = msShipyard;
  if (result == 1) {
    vbCheckIndex(pendingSlot, 0, static_cast<long long>(SubPlayers.size()) - 1);
    if (!SubPlayers[static_cast<size_t>(pendingSlot)]) vbRaise(vberr::ObjectMissing);
    player().Cash += pendingPrice;
    SubPlayers[static_cast<size_t>(pendingSlot)]->ShipType = -1;
    Window = msNone;
    shipAt(playerShip).LandingFrame = 0;
  }
  MouseClicked = false;
}

void CInterface::drawConfirmMission() {
  const bool offered = MissionControl && MissionControl->IsNodeMission(chosenMission);
  const std::string name = offered ? MissionControl->getMissionName(chosenMission) : std::string();
  const Integer result = dialogFrame("Accept Mission [Y]" + name + "[y]?", false);
  if (result == 2 || (result == 1 && !offered)) Window = msMissionControl;
  if (result == 1 && offered) {
    const Integer k = chosenMission;
    MissionControl->LoadMission(MissionControl->getMissionPath(k), MissionControl->getMissionRandom(k),
                                MissionControl->getMissionLanding(k));
    MissionControl->curMission = k;
    MissionControl->StartMission();
    Window = msNone;
    shipAt(playerShip).LandingFrame = 1001;
  }
  MouseClicked = false;
}

void CInterface::drawConfirmCancelMission() {
  const Integer result = dialogFrame("Cancel Mission?", true);
  if (result == 1) {
    if (!MissionControl) vbRaise(vberr::ObjectMissing);
    MissionControl->Reading = false;
    NeedMissionReinit = true;
    InitMissions();
  }
  if (result != 0) {
    Window = msNone;
    shipAt(playerShip).LandingFrame = 1001;
  }
  MouseClicked = false;
}

void CInterface::drawConfirmQuit() {
  const Integer result = dialogFrame("Quit to Main Menu?", false);
  if (result == 2) Window = msNone;
  drawCursor();
  MouseClicked = false;
  // Last: newGame replaces this interface object (the dispatcher keeps it alive for the pass).
  if (result == 1) newGame(true, false);
}

void CInterface::drawCheatsUnlocked() {
  stopPlayerSteer();
  const D3DXVECTOR2 corner = rectToScreen(400, 150);
  const bool slowMo = Window == msSloMoUnlocked;
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.7f);
  t.makeBlock(320, slowMo ? "[Y]unlocked cheats:[y] slo mo mode!"
                          : "[Y]unlocked cheats:[y] god mode, infinite ammo, infinite cash!");
  t.drawBlock(corner.x + 200, corner.y + 30, 1);
  if (drawButton(corner.x + 160, corner.y + 90, 80, "ok", false)) {
    CPlayer& p = player();
    if (slowMo) {
      p.setHasCheat(3, 1);
    } else {
      for (Long i = 0; i < 3; ++i) p.setHasCheat(i, 1);
    }
    // The cheats stay unlocked in the record; a refused write is a notice over the flight.
    p.storeCheats();
    Window = msNone;
  }
  drawCursor();
  MouseClicked = false;
}
