// CInterface gas station ("gas blaster": fuel, hull repair and shield recharge for cash) and the
// ship stats box of a ship design that the shipyard and the new-game wizard show.
#include <algorithm>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

// Each service fills the ship as far as the cash goes. The cash is read afresh for each button;
// cash below 0 buys nothing (it counts as none), so a negative balance can never pay out fuel.
void CInterface::drawGasStation() {
  const D3DXVECTOR2 c = drawDoneButton("gas blaster", 300);
  if (!Player) vbRaise(vberr::ObjectMissing);
  CPlayer& p = *Player;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  CShip& s = *Ships[static_cast<size_t>(playerShip)];
  const Single x = c.x + 50;

  // Fuel: 0.04 a unit, the price kept as a Single.
  {
    const Long cash = std::max<Long>(p.Cash, 0);
    const Integer maxFuel = s.getMaxFuel();
    if (s.Fuel < maxFuel) {
      Long need = maxFuel - s.Fuel;
      Single price = static_cast<Single>(need * 0.04);
      if (cash < price) {
        need = CLng(cash / static_cast<double>(price) * need);
        price = static_cast<Single>(cash);
      }
      if (drawButton(x, c.y + 110, 200, "fuel up: $" + singleText(price), false)) {
        p.Cash = CLng(p.Cash - static_cast<double>(price));
        s.Fuel += need;
      }
    } else {
      drawButton(x, c.y + 110, 200, "fuel up: $0", true);
    }
  }

  // Hull (2 a point) and shields (0.1 a point, whole part), missing points rounded half to even.
  auto service = [&](Single& value, Integer maximum, Single y, const std::string& caption, bool shields) {
    const Long cash = std::max<Long>(p.Cash, 0);
    if (value < maximum) {
      Long need = CLng(static_cast<double>(maximum) - value);
      Long price = shields ? static_cast<Long>(Int(need * 0.1)) : 2 * need;
      if (cash < price) {
        need = CLng(cash / static_cast<double>(price) * need);
        price = cash;
      }
      if (price <= 0) {
        drawButton(x, y, 200, caption + "0", true);
      } else if (drawButton(x, y, 200, caption + std::to_string(price), false)) {
        p.Cash = CLng(static_cast<double>(p.Cash) - price);
        value = static_cast<Single>(value + need);
      }
    } else {
      drawButton(x, y, 200, caption + "0", true);
    }
  };
  service(s.Armor, s.getMaxArmor(), c.y + 160, "repair hull: $", false);
  service(s.Shields, s.getMaxShields(), c.y + 210, "recharge shields: $", true);

  MouseClicked = false;
}

void CInterface::drawShipStats(Single& x, Single& y, Integer index) {
  vbCheckIndex(index, 0, static_cast<long long>(ShipDefs.size()) - 1);
  if (!ShipDefs[static_cast<size_t>(index)]) vbRaise(vberr::ObjectMissing);
  const CShipDef& d = *ShipDefs[static_cast<size_t>(index)];
  drawPanelEx(x, y, x + 150, y + 200, 100, 100, 255);
  drawPanel(x, y, x + 150, y + 200);
  CText& t = gameText();
  t.setSize(0.6f);
  t.setColor(255, 255, 0);
  t.drawText(x + 75, y + 5, "stats", 1, false, false);
  t.setSize(0.45f);
  t.setColor(255, 255, 255);
  const std::string lines[] = {
      "armor: [Y]" + std::to_string(d.MaxArmor) + "[y]",
      "shields: [Y]" + std::to_string(d.MaxShields) + "[y]",
      "mounts: [Y]" + std::to_string(d.TotalMounts + 1) + "[y]",
      "accelleration: [Y]" + singleText(d.Acceleration) + "[y]",
      "agility: [Y]" + singleText(d.Agility) + "[y]",
      "max speed: [Y]" + singleText(d.MaxSpeed) + "[y]",
      "max fuel: [Y]" + std::to_string(d.MaxFuel) + "[y]",
      "energy: [Y]" + std::to_string(d.Energy) + "[y]",
      "cargo: [Y]" + std::to_string(d.Cargo) + "[y]"};
  Single ly = y + 33;
  for (const std::string& line : lines) {
    t.drawText(x + 20, ly, line, 0, false, false);
    ly += 18;
  }
  x -= 480;
  y -= 45;
}
