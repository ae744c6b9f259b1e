// CInterface weapon store "trigger happy" (msWeaponStore): secondary weapons and packs of five
// rounds from the stock of InitWeaponList; buys weapons back at a quarter of their price. No
// magazine ever holds more than 99 rounds.
#include <algorithm>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {

// Five more rounds of weapon w on the ship, at most 99.
void addFiveRounds(CShip& s, Integer w) {
  s.setSecondaryAmmo(w, static_cast<Integer>(std::min(99, s.getSecondaryAmmo(w) + 5)));
}
}  // namespace

void CInterface::drawWeaponStore() {
  const D3DXVECTOR2 c = drawDoneButton("trigger happy", 500);
  if (!Player) vbRaise(vberr::ObjectMissing);
  CPlayer& p = *Player;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  CShip& s = *Ships[static_cast<size_t>(playerShip)];
  CText& t = gameText();

  ownedList.fill(-1);
  size_t o = 0;
  for (Integer i = 0; i < CPlayer::SecondarySlots; ++i)
    if (p.getHasWeapon(i)) ownedList[o++] = i;
  Integer lastStocked = 0;
  for (Integer k = 0; k < WeaponStockSlots; ++k)
    if (weaponStock[static_cast<size_t>(k)] >= 0) lastStocked = k;

  drawStockGrid(c, weaponStock.data(), WeaponStockSlots, lastStocked, true);
  drawOwnedHeading(c, -1);
  for (Integer i = 0; i < 6; ++i) {
    const Single cx = c.x + 40 + 70 * i, cy = c.y + 240;
    if (drawListArrowDown(cx, cy, false)) selItem = static_cast<Integer>(xScroll + i + 100);
    const long k = xScroll + i;
    if (k >= OwnedSlots) continue;
    const Integer w = ownedList[static_cast<size_t>(k)];
    if (selItem == k + 100) drawListArrowDown(cx, cy, true);
    drawWeaponIcon(w, cx, cy);
    if (w >= 0 && w <= 14) {
      const Integer rounds = s.getSecondaryAmmo(w);
      t.setSize(0.4f);
      if (rounds == 0)
        t.setColor(255, 0, 0);
      else
        t.setColor(255, 255, 0);
      t.drawText(c.x + 60 + 70 * i, c.y + 292, Format(rounds, "00"), 2, false, false);
    }
  }

  drawPanel(c.x + 295, c.y + 25, c.x + 490, c.y + 220);
  const Single bx = c.x + 320, by = c.y + 200;
  if (selItem >= 0 && selItem < 100) {
    if (selItem > 15) selItem = 15;
    const Integer id = weaponStock[static_cast<size_t>(selItem)];
    if (id < 0) {
      makeItemDescBlock(-1);
    } else {
      Long price = makeItemDescBlock(id);
      if (id < 10) {
        if (p.getHasWeapon(id)) price = 0;
      } else {
        p.setAmmoFromShip(playerShip);
        const Integer rounds = p.getAmmo(static_cast<Integer>(id - 10));
        if (rounds >= 99)
          price = 0;
        else if (rounds >= 95)
          price = CLng((99 - rounds) / 5.0 * price);
      }
      if (price == 0) {
        drawButton(bx, by, 145, "can't buy", true);
      } else if (price > p.Cash) {
        drawButton(bx, by, 145, "buy: $" + std::to_string(price), true);
      } else if (drawButton(bx, by, 145, "buy: $" + std::to_string(price), false) && p.Cash >= price) {
        payCash(price);
        if (id < 10) {
          s.setSecondary(id, true);
          addFiveRounds(s, id);
          p.setHasWeaponFromShip(playerShip);
          giveBoughtSecondary(id);  // empty hands take the new weapon
        } else {
          addFiveRounds(s, static_cast<Integer>(id - 10));
          p.setAmmoFromShip(playerShip);
        }
      }
    }
  } else if (selItem >= 100) {
    const long k = selItem - 100L;
    const Integer w = k < OwnedSlots ? ownedList[static_cast<size_t>(k)] : Integer(-1);
    Long price = 0;
    if (w >= 0)
      price = CLng(makeItemDescBlock(w) / 4.0);
    else
      makeItemDescBlock(-1);
    if (price > 0) {
      if (drawButton(bx, by, 145, "sell: $" + std::to_string(price), false)) {
        s.setSecondary(w, false);
        p.Cash += price;
        p.setHasWeaponFromShip(playerShip);
      }
    } else {
      drawButton(bx, by, 145, " ", true);
    }
  } else {
    makeItemDescBlock(-1);
  }

  drawItemDescAndScroll(c);
}
