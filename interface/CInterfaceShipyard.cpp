// CInterface shipyard and fleet: the "monster shipyard" screen (msShipyard) with its main page
// (up to eight ships for sale, priced against the ship flown with its trade-in) and its fleet page
// (buying ships into a carrier's dock bays and selling them), and SpawnCycle, the launch into the
// next fleet ship right after docking. A purchase or sale is only recorded here (pendingShipType,
// pendingPrice, pendingSlot); the confirmation screens carry it out. Every shipyard frame ends by
// clearing MouseClicked; errors pass to Render's trap.
#include <algorithm>
#include <cstdio>
#include <string>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "ships/DockMod.h"

using interface_helpers::centred;
using interface_helpers::player;

namespace {
const CShipDef& design(Integer t) {
  vbCheckIndex(t, 0, static_cast<long long>(ShipDefs.size()) - 1);
  if (!ShipDefs[static_cast<size_t>(t)]) vbRaise(vberr::ObjectMissing);
  return *ShipDefs[static_cast<size_t>(t)];
}

// Capital and Fleshy ships are priced and sold as carriers.
bool carrierBody(Long body) { return body == sbCapital || body == sbFleshy; }

// A price quarter as plain decimal text: 312.5, 75000.
std::string decimalText(Double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

bool motherShipExists() { return !MotherNodePath.empty() || MotherShip > -1; }
}  // namespace

Long CInterface::shipyardPrice(Integer s, Double& tradeIn) const {
  const CShipDef& current = design(player().ShipType);
  const CShipDef& wanted = design(s);
  if (current.ShipBody == sbCapital || !carrierBody(wanted.ShipBody)) {
    tradeIn = current.Price / 4.0;
    return CLng(wanted.Price - tradeIn);
  }
  tradeIn = -1;
  return wanted.Price;
}

void CInterface::drawShipIcon(Integer n, Single x, Single y, Single scale) {
  if (n < 0 || static_cast<size_t>(n / 9) >= ShipPartsTex.size()) return;
  const Integer handle = ShipPartsTex[static_cast<size_t>(n / 9)];
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return;
  const auto tex = TexSlots[static_cast<size_t>(handle)].object;
  if (!tex) return;  // a sheet that failed to load draws nothing
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  const Long col = n % 3, row = (n / 3) % 3;
  const RECT src{col * 85, row * 85, col * 85 + 85, row * 85 + 85};
  checkHResult(DxSprite->Begin());
  const HResult hr = DxSprite->Draw(tex, &src, D3DXVECTOR2{scale, scale}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y},
                                    D3DColorARGB(255, 255, 255, 255));
  DxSprite->End();
  checkHResult(hr);
}

void CInterface::drawShipyard() {
  // 1. The stats panel stands out 135 pixels beyond the frame's right edge (to 640 with its rim);
  // where that would leave the screen (narrower than 770) the frame moves left so that the two
  // together are centred.
  const Single shift = ScreenWidth < 770 ? -65.0f : 0.0f;
  const D3DXVECTOR2 c = drawDoneButton("monster shipyard", 500, shift);
  CPlayer& me = player();
  // 2. Three rows of three; the ninth place is always empty.
  for (Integer r = 0; r <= 2; ++r) {
    for (Integer col = 0; col <= 2; ++col) {
      const Integer i = r * 3 + col;
      if (i >= ShipStockSlots || shipStock[static_cast<size_t>(i)] == -1) continue;
      const Single x = c.x + 5 + col * 90.0f, y = c.y + 30 + r * 90.0f;
      if (drawListArrowUp(x, y, i == selItem) && i != selItem) selItem = i;
      drawShipIcon(shipStock[static_cast<size_t>(i)], x, y, 1);
    }
  }
  // 3.
  drawPanel(c.x + 280, c.y + 30, c.x + 490, c.y + 300);
  // 4.
  if (selItem < 0 || selItem >= ShipStockSlots || shipStock[static_cast<size_t>(selItem)] == -1) {
    MouseClicked = false;
    return;
  }
  const Integer s = shipStock[static_cast<size_t>(selItem)];
  const CShipDef& wanted = design(s);
  Single statsX = c.x + 480, statsY = c.y + 45;
  drawShipStats(statsX, statsY, s);
  centred(c.x + 385, c.y + 40, wanted.ShipTitle, 0.6f, 255, 255, 0);
  if (shipyardFleetMode) {
    drawShipyardFleetPage(c, s);
    MouseClicked = false;
    return;
  }
  // 5.1
  CText& t = gameText();
  t.setSize(0.5f);
  t.setColor(255, 255, 255);
  t.makeBlock(230, wanted.Description);
  t.drawBlock(c.x + 285, c.y + 58, 0);
  // 5.2
  Double tradeIn = -1;
  const Long price = shipyardPrice(s, tradeIn);
  // The line stands on 190, not 200: centred on 200 its lower half lay under the buy button's box
  // (from 200 down), which is drawn after it.
  if (tradeIn >= 0) centred(c.x + 385, c.y + 190, "trade-in: $" + decimalText(tradeIn), 0.45f, 0, 255, 0);
  // 5.3 A carrier is not bought from a fleet ship: its carrier waits on the map or at a node.
  const bool mayBuy = s != me.ShipType && (!carrierBody(wanted.ShipBody) || !motherShipExists());
  if (mayBuy) {
    if (drawButton(c.x + 305, c.y + 215, 160, "buy: $" + std::to_string(price), price > me.Cash)) {
      pendingShipType = s;
      pendingPrice = price;
      pendingSlot = -1;
      Window = msConfirmPurchase;
    }
  } else {
    drawButton(c.x + 305, c.y + 215, 160, "can't buy", true);
  }
  // 5.4
  if (carrierBody(design(me.ShipType).ShipBody) &&
      drawButton(c.x + 305, c.y + 265, 160, "fleet mode", false)) {
    shipyardFleetMode = true;
    fleetSlot = -1;
  }
  // 8.
  MouseClicked = false;
}

void CInterface::drawShipyardFleetPage(const D3DXVECTOR2& c, Integer s) {
  CPlayer& me = player();
  const CShipDef& wanted = design(s);
  // 6.1, 6.2
  CText& t = gameText();
  t.setSize(0.5f);
  t.setColor(255, 255, 255);
  t.makeBlock(230, "add to your fleet!");
  t.drawBlock(c.x + 285, c.y + 58, 0);
  if (drawButton(c.x + 305, c.y + 265, 160, "main mode", false)) shipyardFleetMode = false;
  // 6.3
  const CShipDef& current = design(me.ShipType);
  if (!carrierBody(current.ShipBody)) return;
  // 6.4, 6.5 One box per dock bay that has a fleet record (four at most).
  centred(c.x + 385, c.y + 110, "buy as fleet ship:", 0.5f, 255, 255, 0);
  const Integer bays = std::min<Integer>(current.DockBays, static_cast<Integer>(SubPlayers.size()));
  for (Integer b = 0; b < bays; ++b) {
    const Single x = c.x + 280 + b * 52.0f, y = c.y + 120;
    if (drawListRow(x, y, 50, 50, "", false, false)) fleetSlot = b;
    if (b == fleetSlot) drawListRow(x, y, 50, 50, "", true, false);
    const CPlayer* sub = SubPlayers[static_cast<size_t>(b)].get();
    if (!sub || sub->ShipType == -1)
      centred(c.x + 305 + b * 52.0f, c.y + 145, "slot " + std::to_string(b + 1), 0.35f, 100, 100, 100);
    else
      drawShipIcon(sub->ShipType, x, y, 0.5f);
  }
  // 6.6
  if (fleetSlot < 0 || fleetSlot >= bays || !SubPlayers[static_cast<size_t>(fleetSlot)]) return;
  const Integer bay = fleetSlot;
  const Integer held = SubPlayers[static_cast<size_t>(bay)]->ShipType;
  Long price;
  std::string line1, line2;
  if (held > -1) {
    const Double tradeIn = design(held).Price / 4.0;
    price = CLng(wanted.Price - tradeIn);
    line1 = "trade-in: $" + decimalText(tradeIn);
    line2 = "final price: $" + std::to_string(price);
  } else {
    price = wanted.Price;
    line1 = "buy for slot " + std::to_string(bay + 1);
    line2 = "price: $" + std::to_string(price);
  }
  const bool tooDear = price > me.Cash;
  const Integer red = tooDear ? 255 : 0, green = tooDear ? 0 : 255;
  centred(c.x + 385, c.y + 180, line1, 0.45f, red, green, 0);
  centred(c.x + 385, c.y + 200, line2, 0.45f, red, green, 0);
  // Neither a Capital nor a Fleshy ship fits into a bay.
  if (drawButton(c.x + 305, c.y + 220, 75, "buy", tooDear || carrierBody(wanted.ShipBody))) {
    pendingShipType = s;
    pendingPrice = price;
    pendingSlot = bay;
    Window = msConfirmPurchase;
  }
  if (drawButton(c.x + 390, c.y + 220, 75, "sell", false) && held > -1) {
    pendingShipType = held;
    pendingPrice = CLng(design(held).Price / 4.0);
    pendingSlot = bay;
    Window = msConfirmSell;
  }
}

void CInterface::SpawnCycle() {
  const Integer old = spawnChoice;
  NextSpawn(playerShip);
  if (spawnChoice == old) return;
  PlaySound(SndBeep);
  SpawnSubPlayer(playerShip, spawnChoice, true, spawnChoice);
  PlaySound(SndSpawn);
  dockFrame = 1.51f;
  SecondarySwitchFrame = 0;
}
