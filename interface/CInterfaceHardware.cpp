// CInterface hardware store "planet hardware" (msHardware): primary weapons for free mounts and
// upgrade parts from the stock of InitParts; buys mounted weapons and parts back at half price;
// every purchase stays within the ship's energy budget.
#include <array>
#include <limits>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace {

// PartId of the weapon on a mount (MountType 0..11), -1 for an empty mount or an unknown type.
Integer partOfMount(Long mountType) {
  static constexpr std::array<Integer, 12> parts = {3, 0, 2, 1, 4, 10, 11, 12, 18, 29, 30, 31};
  if (mountType < 0 || mountType >= static_cast<Long>(parts.size())) return -1;
  return parts[static_cast<size_t>(mountType)];
}

// MountType that a mount part installs, -1 for a part that is not a mount weapon.
Long mountOfPart(Integer id) {
  switch (id) {
    case 0: return 1;
    case 1: return 3;
    case 2: return 2;
    case 3: return 0;
    case 4: return 4;
    case 10: return 5;
    case 11: return 6;
    case 12: return 7;
    default: return -1;
  }
}

// The upgrade flag of a PartId in the player record, null for a part that is not a flag.
bool* flagOfPart(CPlayer& p, Integer id) {
  switch (id) {
    case 5: return &p.HasShieldBoost;
    case 6: return &p.HasFuelDoubler;
    case 13: return &p.HasCapacitator;
    case 14: return &p.HasAgilitator;
    case 15: return &p.HasBoostBooster;
    case 16: return &p.HasShieldDoubler;
    case 17: return &p.HasAcceleratron;
    case 19: return &p.HasShieldCharger;
    case 20: return &p.HasTractorBoost;
    case 21: return &p.HasRefuelAlert;
    case 22: return &p.HasHud20;
    case 23: return &p.HasAutoSaver;
    case 24: return &p.HasSiphonator;
    case 25: return &p.HasJammar;
    case 26: return &p.HasDarkEscaper;
    case 27: return &p.HasRoboLoader;
    case 28: return &p.HasRoboFixit;
    default: return nullptr;
  }
}

bool isBigBody(Long body) { return body == sbCapital || body == sbFleshy; }
}  // namespace

void CInterface::drawHardwareStore() {
  const D3DXVECTOR2 c = drawDoneButton("planet hardware", 500);
  if (!Player) vbRaise(vberr::ObjectMissing);
  CPlayer& p = *Player;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  CShip& s = *Ships[static_cast<size_t>(playerShip)];
  CText& t = gameText();

  // The store's list and the owned list.
  std::array<Integer, StoreItemSlots> list;
  list.fill(-1);
  size_t n = 0;
  for (Integer id = 0; id < StoreItemSlots; ++id)
    if (partsInStock[static_cast<size_t>(id)]) list[n++] = id;
  ownedList.fill(0);
  size_t o = 0;
  const Integer lastMount = std::min<Integer>(s.getTotalMounts(), CShip::MountSlots - 1);
  for (Integer m = 0; m <= lastMount; ++m) ownedList[o++] = static_cast<Integer>(m + 1);
  const std::pair<bool, Integer> upgrades[] = {
      {p.HasShieldBoost, 15},  {p.HasFuelDoubler, 16}, {p.HasCapacitator, 23},  {p.HasAgilitator, 24},
      {p.HasShieldDoubler, 26}, {p.HasBoostBooster, 25}, {p.HasAcceleratron, 27}, {p.HasDarkEscaper, 36},
      {p.HasHud20, 32},        {p.HasJammar, 35},       {p.HasRefuelAlert, 31},  {p.HasAutoSaver, 33},
      {p.HasRoboFixit, 38},    {p.HasRoboLoader, 37},   {p.HasShieldCharger, 29}, {p.HasSiphonator, 34},
      {p.HasTractorBoost, 30}};
  for (const auto& [has, code] : upgrades)
    if (has) ownedList[o++] = code;
  if (p.ArmorLev >= 1 && p.ArmorLev <= 3) ownedList[o++] = static_cast<Integer>(16 + p.ArmorLev);
  auto slotId = [&](long k) -> Integer { return k >= 0 && k < StoreItemSlots ? list[static_cast<size_t>(k)] : -1; };

  drawStockGrid(c, list.data(), StoreItemSlots, std::numeric_limits<Integer>::max(), false);
  drawOwnedHeading(c, 0);
  for (Integer i = 0; i < 6; ++i) {
    const Single cx = c.x + 40 + 70 * i, cy = c.y + 240;
    if (drawListArrowDown(cx, cy, false)) selItem = static_cast<Integer>(xScroll + i + 100);
    const long k = xScroll + i;
    if (k >= OwnedSlots) continue;
    const Integer code = ownedList[static_cast<size_t>(k)];
    if (selItem == k + 100) drawListArrowDown(cx, cy, true);
    if (code >= 1 && code <= 8) {
      t.setColor(100, 100, 100);
      t.setSize(0.5f);
      t.drawText(c.x + 44 + 70 * i, c.y + 293, std::to_string(code), 0, false, false);
      const Integer part = partOfMount(s.getMount(static_cast<Integer>(code - 1)));
      if (part >= 0) drawPartIcon(part, cx, cy);
    } else if (code >= 10) {
      drawPartIcon(static_cast<Integer>(code - 10), cx, cy);
    }
  }

  drawPanel(c.x + 295, c.y + 25, c.x + 490, c.y + 220);
  const Single bx = c.x + 320, by = c.y + 200;
  if (selItem >= 0 && selItem < 100) {
    const Integer id = slotId(selItem);
    Long price = makeItemDescBlock(id);
    const Long body = s.getShipBody();
    const bool noMount = getFreeMount() == -1;
    if (id >= 0 && id <= 4) {
      if (noMount || isBigBody(body)) price = 0;
    } else if (id >= 10 && id <= 12) {
      if (noMount || !isBigBody(body)) price = 0;
    } else if (id == 20 || id == 26 || id == 27) {
      if (!isBigBody(body) || isInStockList(id)) price = 0;
    } else if (id >= 7 && id <= 9) {
      if (p.ArmorLev > 0) price = 0;
    } else if (isInStockList(id)) {
      price = 0;
    }
    const Long load = p.getEnergyLoad();
    const Long capacity = s.getEnergy();
    if (capacity - load < itemEnergy) {
      price = 0;
      t.setColor(255, 0, 0);
    } else {
      t.setColor(255, 255, 0);
    }
    t.setSize(0.5f);
    t.drawText(c.x + 300, c.y + 180, "energy: " + std::to_string(itemEnergy), 0, false, false);
    t.drawText(c.x + 490, c.y + 180, std::to_string(load) + "/" + std::to_string(capacity), 2, false, false);
    if (price == 0) {
      drawButton(bx, by, 145, "can't buy", true);
    } else if (price > p.Cash) {
      drawButton(bx, by, 145, "buy: $" + std::to_string(price), true);
    } else if (drawButton(bx, by, 145, "buy: $" + std::to_string(price), false) && p.Cash >= price) {
      bool* flag = flagOfPart(p, id);
      if (mountOfPart(id) >= 0) {
        const Integer m = getFreeMount();
        if (m >= 0) {
          p.Cash -= price;
          s.setMount(m, mountOfPart(id));
          s.makePrimaryInterval();
        }
        p.setMountsFromShip(playerShip);
      } else if (flag) {
        if (!*flag) {
          payCash(price);
          *flag = true;
          s.MakeModdedDef();
          if (id == 26 && s.getSecondaryAmmo(7) < 99)
            s.setSecondaryAmmo(7, static_cast<Integer>(s.getSecondaryAmmo(7) + 1));
          if (id == 27) s.makePrimaryInterval();
        }
      } else if (id >= 7 && id <= 9) {
        if (p.ArmorLev == 0) {
          payCash(price);
          p.ArmorLev = static_cast<Integer>(id - 6);
          s.MakeModdedDef();
        }
      } else {
        addMessage("buy error!", false);
      }
    }
  } else if (selItem >= 100) {
    const long k = selItem - 100L;
    const Integer code = k < OwnedSlots ? ownedList[static_cast<size_t>(k)] : Integer(0);
    Long price = 0;
    Integer part = -1;
    if (code >= 1 && code <= 8)
      part = partOfMount(s.getMount(static_cast<Integer>(code - 1)));
    else if (code >= 10)
      part = static_cast<Integer>(code - 10);
    if (part >= 0) price = CLng(makeItemDescBlock(part) / 2.0);
    else makeItemDescBlock(-1);
    if (price < 1) {
      drawButton(bx, by, 145, " ", true);
    } else if (drawButton(bx, by, 145, "sell: $" + std::to_string(price), false)) {
      if (code >= 1 && code <= 8) {
        p.Cash += price;
        s.setMount(static_cast<Integer>(code - 1), -1);
        s.makePrimaryInterval();
        p.setMountsFromShip(playerShip);
      } else if (code >= 17 && code <= 19) {
        p.Cash += price;
        p.ArmorLev = 0;
        s.MakeModdedDef();
      } else if (bool* flag = flagOfPart(p, part)) {
        p.Cash += price;
        *flag = false;
        s.MakeModdedDef();
      }
    }
  } else {
    makeItemDescBlock(-1);
  }

  drawItemDescAndScroll(c);
}
