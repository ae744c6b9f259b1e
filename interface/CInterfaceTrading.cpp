// CInterface goods trading: "ultra hyper-mart" (msHyperMart) and "pleasant trading"
// (msPleasantTrading). Buys from the current node's trader into the player record (mirrored on
// the player's ship) and sells to it at three quarters of its price.
#include <algorithm>
#include <string>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

void CInterface::drawTrading(bool pleasant) {
  const D3DXVECTOR2 c = drawDoneButton(pleasant ? "pleasant trading" : "ultra hyper-mart", 500);
  if (!Player || !World) vbRaise(vberr::ObjectMissing);
  CPlayer& p = *Player;
  CWorld& w = *World;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  const CShip& s = *Ships[static_cast<size_t>(playerShip)];
  CText& t = gameText();

  // Buy panel: the kinds the trader sells, at most four rows.
  drawPanel(c.x + 20, c.y + 30, c.x + 250, c.y + 310);
  t.setSize(0.5f);
  t.setColor(255, 255, 0);
  t.drawText(c.x + 25, c.y + 35, "buy", 1, false, false);
  Integer pos = 0;
  for (Integer kind = 0; kind < CPlayer::GoodsSlots; ++kind) {
    if (!w.getTraderHasRsc(kind)) continue;
    pos = static_cast<Integer>(pos + 64);
    if (pos > 256) continue;
    const Integer price = w.getTraderResource(kind);
    if (!drawCargoList(c.x + 10, c.y + pos - 20, kind, 0, price)) continue;
    if (price > p.Cash) continue;
    // Never more than the free hold: an overloaded hold (negative free space) buys nothing.
    const Integer space = std::max<Integer>(s.getFreeCargo(), 0);
    if (MouseButton == 1 && p.Cash >= 10L * price) {
      const Integer n = std::min<Integer>(10, space);
      p.addResource(kind, n);
      p.Cash -= static_cast<Long>(n) * price;
    } else if (space >= 1) {
      p.addResource(kind, 1);
      p.Cash -= price;
    }
    cargoToShip();
  }

  // Sell panel: the kinds the record holds, four rows from Scroll.
  drawPanel(c.x + 270, c.y + 30, c.x + 490, c.y + 310);
  t.setSize(0.5f);
  t.setColor(255, 255, 0);
  t.drawText(c.x + 280, c.y + 35, "sell", 1, false, false);
  Integer held = 0;
  for (Integer kind = 0; kind < CPlayer::GoodsSlots; ++kind)
    if (p.getResource(kind) > 0) ++held;
  Scroll = held == 0 ? Integer(0) : std::min<Integer>(Scroll, static_cast<Integer>(held - 1));
  pos = 0;
  for (Integer kind = 0; kind < CPlayer::GoodsSlots; ++kind) {
    const Integer count = p.getResource(kind);
    if (count <= 0) continue;
    pos = static_cast<Integer>(pos + 64);
    const Long q = pos - 64L * Scroll;
    if (q <= 0 || q > 256) continue;
    const Integer price = w.getTraderResource(kind);
    if (!drawCargoList(c.x + 260, c.y + q - 20, kind, count, CInt(price * 0.75))) continue;
    if (MouseButton == 1) {
      p.Cash = CLng(p.Cash + price * 0.75 * count);
      p.setResource(kind, 0);
    } else {
      p.setResource(kind, static_cast<Integer>(count - 1));
      p.Cash = CLng(p.Cash + price * 0.75);
    }
    cargoToShip();
  }

  if (drawHighlight(c.x + 375, c.y + 30, 0) && Scroll > 0) --Scroll;
  if (drawHighlight(c.x + 375, c.y + 310, 1) && Scroll < 5) ++Scroll;
  MouseClicked = false;
}
