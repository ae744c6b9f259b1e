// CInterface plunder screen "plunder!" (msPlunder): the goods, the cash and, for a carrier with a
// free dock bay, the ship itself of the wreck the player's tractor beam holds.
#include <algorithm>
#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {

bool isBigBody(Long body) { return body == sbCapital || body == sbFleshy; }
}  // namespace

void CInterface::drawPlunder() {
  if (!Player) vbRaise(vberr::ObjectMissing);
  CPlayer& p = *Player;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  CShip& me = *Ships[static_cast<size_t>(playerShip)];
  stopPlayerSteer();

  CText& t = gameText();
  const D3DXVECTOR2 o = rectToScreen(500, 360);
  t.setColor(255, 255, 255);
  t.setSize(0.7f);
  t.drawText(o.x + 250, o.y + 15, "plunder!", 1, false, false);
  drawPanel(o.x + 20, o.y + 50, o.x + 250, o.y + 340);
  t.setColor(255, 255, 255);
  t.setSize(0.7f);
  t.drawText(o.x + 125, o.y + 65, "resources", 1, false, false);

  auto close = [&] {
    Window = msNone;
    me.TractorFrame = 1001;
    me.keyWarp = false;
  };
  // A target index that names no ship, or the player's own ship, counts as no captured ship.
  const Integer ci = me.getTractorTarg();
  if (ci < 0 || ci == playerShip || static_cast<size_t>(ci) >= Ships.size() || !Ships[static_cast<size_t>(ci)]) {
    close();
    MouseClicked = false;
    return;
  }
  CShip& c = *Ships[static_cast<size_t>(ci)];
  cargoToShip();

  // Moves as much of slot i as the player's hold takes.
  auto take = [&](Integer i) {
    const Integer n = std::min<Integer>(c.getResource(i), std::max<Integer>(me.getFreeCargo(), 0));
    if (n <= 0) return;
    p.addResource(i, n);
    c.setResource(i, static_cast<Integer>(c.getResource(i) - n));
    cargoToShip();
  };

  const bool takeAll = drawButton(o.x + 260, o.y + 110, 200, "take all", false);
  if (takeAll)
    for (Integer i = 0; i < CShip::GoodsKinds; ++i)
      if (c.getResource(i) > 0) take(i);

  Integer rows = 0;
  for (Integer i = 0; i < CShip::GoodsKinds && rows < 4; ++i) {
    if (c.getResource(i) <= 0) continue;
    const Single y = o.y + 84 + 64 * rows;
    ++rows;
    if (drawCargoList(o.x + 10, y, i, c.getResource(i), 0)) take(i);
  }

  if (c.getCash() == 0) {
    drawButton(o.x + 260, o.y + 60, 200, "take cash: $0", true);
  } else if (drawButton(o.x + 260, o.y + 60, 200, "take cash: $" + std::to_string(c.getCash()), false) || takeAll) {
    p.Cash += c.getCash();
    c.setCash(0);
  }

  // Takeover into the lowest free dock bay of a carrier.
  Integer bay = -1;
  if (p.ShipType >= 0 && static_cast<size_t>(p.ShipType) < ShipDefs.size() && ShipDefs[static_cast<size_t>(p.ShipType)]) {
    const Integer bays = std::min<Integer>(ShipDefs[static_cast<size_t>(p.ShipType)]->DockBays,
                                           static_cast<Integer>(SubPlayers.size()));
    for (Integer b = 0; b < bays && bay < 0; ++b)
      if (SubPlayers[static_cast<size_t>(b)] && SubPlayers[static_cast<size_t>(b)]->ShipType == -1) bay = b;
  }
  const bool canTake = me.getShipBody() == sbCapital && !c.getTooSparkedForTakeover() && !isBigBody(c.getShipBody()) &&
                       !c.IAmBlarg && bay >= 0;
  if (drawButton(o.x + 260, o.y + 160, 200, "take ship", !canTake) && canTake) {
    if (c.getPrice() > 100000 && !p.HasTractorBoost) {
      c.TractorSparkOut();
    } else {
      c.Armor = c.getMaxArmor();
      auto sub = std::make_shared<CPlayer>();
      sub->updateFromShip(ci);
      sub->subInit();
      sub->ShipType = c.ShipType;
      SubPlayers[static_cast<size_t>(bay)] = sub;
      c.Exists = false;
    }
  }

  if (drawButton(o.x + 260, o.y + 210, 200, "done!", false)) close();
  MouseClicked = false;
}
