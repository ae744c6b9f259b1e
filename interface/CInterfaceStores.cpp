// CInterface store catalogue and stock lists: the catalogue files "\data\partsdef.pnd" and
// "\data\ammodef.pnd" read into storeItems, the stock of each store by tier, the description
// block of a selected item, the list row and square cell widgets, the goods copy between the
// player record and the player's ship, and the part and weapon icons.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <array>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "platform/D3DX.h"
#include "runtime/ItemFile.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

using interface_helpers::player;

namespace {
// Keywords of "\data\partsdef.pnd" by PartId.
constexpr std::array<const char*, CInterface::StoreItemSlots> PartKeywords = {
    "laser",        "vulcan",      "plasma",       "rocket",      "beam",        "shieldboost", "fueldoubler",
    "armorx",       "armorg",      "armorm",       "cannon",      "photon",      "neutron",     "capacitator",
    "agilitator",   "boostbooster", "shielddoubler", "acceleratron", "beambolt",   "shieldcharger",
    "tractorboost", "refuelalert", "hud20",        "autosaver",   "siphonator",  "jammar",      "darkescaper",
    "roboloader",   "robofixit",   "shuriken",     "radio",       "plasmoder"};

// Keywords of "\data\ammodef.pnd": a weapon's id is its SecondaryType, its ammunition's id that
// plus 10.
constexpr std::array<const char*, 9> WeaponKeywords = {"missile", "torpedo", "xbow",  "shotty", "sniper",
                                                       "neutron", "heart",   "dark",  "fueler"};

Integer partIdOf(const std::string& keyword) {
  for (size_t i = 0; i < PartKeywords.size(); ++i)
    if (keyword == PartKeywords[i]) return static_cast<Integer>(i);
  return -1;
}

Integer weaponIdOf(const std::string& keyword) {
  for (size_t i = 0; i < WeaponKeywords.size(); ++i) {
    if (keyword == WeaponKeywords[i]) return static_cast<Integer>(i);
    if (keyword == std::string(WeaponKeywords[i]) + "_a") return static_cast<Integer>(i + 10);
  }
  return -1;
}

// The lines of one record after its keyword line; a record cut short by the end of the file is
// an "Input past end of file" error.
std::vector<std::string> recordLines(const std::vector<std::string>& lines, size_t& at, size_t count) {
  if (lines.size() - at < count) vbRaise(vberr::InputPastEnd);
  std::vector<std::string> out(lines.begin() + static_cast<long>(at), lines.begin() + static_cast<long>(at + count));
  at += count;
  return out;
}

// Reads a catalogue file. Each record is read whole before it is stored, so an entry is never
// left half-written by a record that the end of the file cuts short.
void readCatalogue(const std::string& path, bool withValue, const char* unknownText,
                   Integer (*idOf)(const std::string&), std::array<CInterface::StoreItemDef, 32>& items) {
  const std::vector<std::string> lines = readLines(path);
  size_t at = 0;
  while (at < lines.size()) {
    const std::string& line = lines[at++];
    if (line.empty() || line[0] != '#') continue;
    const std::string keyword = LCase(line.substr(1));
    if (keyword == "endfile") continue;
    const Integer id = idOf(keyword);
    if (id < 0) {
      addMessage(std::string(unknownText) + keyword, false);
      continue;
    }
    const std::vector<std::string> rec = recordLines(lines, at, withValue ? 4 : 3);
    const Long price = CLng(Val(rec[0]));
    const Long value = withValue ? CLng(Val(rec[1])) : 0;
    CInterface::StoreItemDef& e = items[static_cast<size_t>(id)];
    e.price = price;
    if (withValue) e.value = value;
    e.name = rec[withValue ? 2 : 1];
    e.desc = rec[withValue ? 3 : 2];
  }
}



CShip& shipAt(Integer i) {
  vbCheckIndex(i, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(i)]) vbRaise(vberr::ObjectMissing);
  return *Ships[static_cast<size_t>(i)];
}

// One 64 x 64 cell of a 4 x 4 icon sheet with its top-left at (x, y), white, scale 1.
void drawIconCell(Integer handle, Integer cell, Single x, Single y) {
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return;
  const auto tex = TexSlots[static_cast<size_t>(handle)].object;
  if (!tex) return;  // a sheet that failed to load draws nothing
  const Long col = cell % 4, row = (cell / 4) % 4;
  const RECT src{col * 64, row * 64, col * 64 + 64, row * 64 + 64};
  checkHResult(DxSprite->Begin());
  const HResult hr = DxSprite->Draw(tex, &src, D3DXVECTOR2{1, 1}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y},
                                    D3DColorARGB(255, 255, 255, 255));
  DxSprite->End();
  checkHResult(hr);
}

// Icon number of each PartId on the part icon sheets.
constexpr std::array<Integer, CInterface::StoreItemSlots> PartIconIndex = {
    1,  2,  0,  3,  4,  5,  6,  8,  7,  9,  10, 11, 12, 13, 14, 16,
    15, 17, 0,  18, 19, 20, 21, 22, 23, 24, 25, 27, 26, 28, 0,  29};

bool pointerInside(Single x, Single y, Single w, Single h) {
  return PointerX > x && PointerX < x + w && PointerY > y && PointerY < y + h;
}

}  // namespace

// ---- catalogue -----------------------------------------------------------------------------

void CInterface::ReadPartDefs() {
  readCatalogue("\\data\\partsdef.pnd", true, "Unrecognized part: ", partIdOf, storeItems);
}

void CInterface::ReadAmmoDefs() {
  readCatalogue("\\data\\ammodef.pnd", false, "Unrecognized weapon: ", weaponIdOf, storeItems);
}

Long CInterface::getPartEnergy(Integer id) const { return vbAt(storeItems, id).value; }

Long CInterface::makeItemDescBlock(Integer id) {
  CText& t = gameText();
  if (id < 0 || id >= StoreItemSlots) {
    itemName.clear();
    t.ClearBlock();
    itemEnergy = 0;
    return 0;
  }
  const StoreItemDef& e = storeItems[static_cast<size_t>(id)];
  t.ClearBlock();
  itemName = e.name;
  t.setSize(0.5f);
  t.makeBlock(180, e.desc);
  itemEnergy = e.value;
  return e.price;
}

bool CInterface::isInStockList(Integer id) const {
  for (Integer code : ownedList)
    if (code == id + 10) return true;
  return false;
}

// ---- stock lists -----------------------------------------------------------------------------

void CInterface::InitParts(Integer level) {
  partsInStock.fill(false);
  static const std::array<std::vector<Integer>, 4> tiers = {
      std::vector<Integer>{0, 1, 6, 7, 13, 15, 17, 21, 22},
      std::vector<Integer>{0, 1, 2, 3, 5, 7, 8, 10, 11, 13, 14, 19, 20, 21, 22, 23, 24, 28},
      std::vector<Integer>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 19, 20, 21, 22, 23, 24, 25, 28},
      std::vector<Integer>{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                           15, 16, 17, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28}};
  if (level >= 0 && level <= 3)
    for (Integer id : tiers[static_cast<size_t>(level)]) partsInStock[static_cast<size_t>(id)] = true;
  Scroll = 0;
  xScroll = 0;
  ReadPartDefs();
}

void CInterface::InitWeaponList(Integer level) {
  weaponStock.fill(-1);
  static const std::array<std::vector<Integer>, 4> tiers = {
      std::vector<Integer>{3, 0, 13, 10, 14},
      std::vector<Integer>{3, 0, 4, 1, 6, 13, 10, 14, 12, 11, 15, 16},
      std::vector<Integer>{3, 0, 4, 2, 1, 5, 6, 13, 10, 14, 12, 11, 15, 16, 17},
      std::vector<Integer>{3, 0, 4, 2, 1, 5, 7, 13, 10, 14, 12, 11, 15, 16, 17}};
  if (level >= 0 && level <= 3) {
    const auto& ids = tiers[static_cast<size_t>(level)];
    for (size_t k = 0; k < ids.size(); ++k) weaponStock[k] = ids[k];
  }
  Scroll = 0;
  xScroll = 0;
  ReadAmmoDefs();
}

void CInterface::InitShipStore(Integer level) {
  shipStock.fill(-1);
  shipyardFleetMode = false;
  std::vector<Integer> ids;
  switch (level) {
    case 0: ids = {1, 6, 2, 14, 4}; break;
    case 1: ids = {5, 2, 6, 14, 4, 16, 0, 20}; break;
    case 2: ids = {4, 3, 0, 7, 17, 15, 20}; break;
    case 3: ids = {4, 16, 0, 7, 17, 15, 20}; break;
    default: ids = {1}; break;
  }
  if (level == 2 || level == 3) {
    // One ship by the current node's world type.
    Long worldType = -1;
    if (World && World->CurrentNode >= 0) worldType = World->getNodeWorldType(World->CurrentNode);
    ids.push_back(worldType == 4 ? 10 : worldType == 7 ? 9 : worldType == 12 ? 12 : 13);
  }
  std::erase_if(ids, [](Integer t) { return !shipDefReadable(t); });  // a design not read is not sold
  for (size_t k = 0; k < ids.size(); ++k) shipStock[k] = ids[k];
  selItem = 0;
}

void CInterface::InitMissions() {
  if (!NeedMissionReinit) return;
  if (MissionControl) MissionControl->SetNodeMissions();
  NeedMissionReinit = false;
}

// ---- list widgets ----------------------------------------------------------------------------

bool CInterface::drawListRow(Single x, Single y, Single w, Single h, const std::string& label, bool selected,
                             bool disabled) {
  bool clicked = false;
  drawPanel(x, y, x + w, y + h);
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.5f);
  if (selected)
    drawPanelEx(x, y, x + w, y + h, 255, 255, 255);
  else
    drawPanelEx(x, y, x + w, y + h, 100, 100, 255);
  if (!disabled && pointerInside(x, y, w, h)) {
    drawPanelEx(x, y, x + w, y + h, 140, 140, 255);
    t.setColor(100, 100, 255);
    if (MouseHeld) drawPanelEx(x, y, x + w, y + h, 140, 140, 140);
    if (MouseClicked) {
      clicked = true;
      MouseClicked = false;
    }
  }
  if (!label.empty()) t.drawText(x + 16, y + h / 2, label, 0, false, false);
  return clicked;
}

namespace {
// The square frame cell of side s shared by drawListArrowUp and drawListArrowDown.
template <class PanelFn, class TintFn>
bool squareCell(Single x, Single y, Single s, bool selected, PanelFn panel, TintFn tint) {
  panel(x, y, x + s, y + s);
  if (selected)
    tint(x, y, x + s, y + s, 255, 255, 255);
  else
    tint(x, y, x + s, y + s, 100, 100, 255);
  if (!pointerInside(x, y, s, s)) return false;
  tint(x, y, x + s, y + s, 140, 140, 255);
  if (MouseHeld) tint(x, y, x + s, y + s, 140, 140, 140);
  if (!MouseClicked) return false;
  MouseClicked = false;
  return true;
}
}  // namespace

bool CInterface::drawListArrowUp(Single x, Single y, bool selected) {
  return squareCell(
      x, y, 85, selected, [this](Single a, Single b, Single c, Single d) { drawPanel(a, b, c, d); },
      [this](Single a, Single b, Single c, Single d, Integer r, Integer g, Integer bl) { drawPanelEx(a, b, c, d, r, g, bl); });
}

bool CInterface::drawListArrowDown(Single x, Single y, bool selected) {
  return squareCell(
      x, y, 64, selected, [this](Single a, Single b, Single c, Single d) { drawPanel(a, b, c, d); },
      [this](Single a, Single b, Single c, Single d, Integer r, Integer g, Integer bl) { drawPanelEx(a, b, c, d, r, g, bl); });
}

// ---- icons -----------------------------------------------------------------------------------

void CInterface::drawPartIcon(Integer id, Single x, Single y) {
  const Integer i = (id >= 0 && id < StoreItemSlots) ? PartIconIndex[static_cast<size_t>(id)] : 0;
  const Integer sheet = i / 16;
  if (sheet < 0 || static_cast<size_t>(sheet) >= PartsTex.size()) return;
  drawIconCell(PartsTex[static_cast<size_t>(sheet)], i % 16, x, y);
}

void CInterface::drawWeaponIcon(Integer id, Single x, Single y) {
  if (id < 0) return;
  const Integer cell = id <= 9 ? id : static_cast<Integer>(id - 2);
  drawIconCell(TexWeapons, cell, x, y);
}

// ---- cash, mounts and goods --------------------------------------------------------------------

void CInterface::payCash(Long amount) { player().Cash -= amount; }

Integer CInterface::getFreeMount() const {
  const CShip& s = shipAt(playerShip);
  const Integer last = std::min<Integer>(s.getTotalMounts(), CShip::MountSlots - 1);
  for (Integer m = 0; m <= last; ++m)
    if (s.getMount(m) == -1) return m;
  return -1;
}

void CInterface::cargoToShip() {
  CPlayer& p = player();
  CShip& s = shipAt(playerShip);
  for (Integer k = 0; k < CShip::GoodsKinds; ++k) s.setResource(k, p.getResource(k));
}

void CInterface::cargoFromShip() {
  CPlayer& p = player();
  const CShip& s = shipAt(playerShip);
  for (Integer k = 0; k < CShip::GoodsKinds; ++k) p.setResource(k, s.getResource(k));
}

std::string CInterface::singleText(Single v) {
  if (!std::isfinite(v)) vbRaise(vberr::Overflow);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  std::string s = buf;
  if (s == "-0") s = "0";
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

void CInterface::drawStockGrid(const D3DXVECTOR2& c, const Integer* stock, Integer slots, Integer maxSel,
                               bool weaponIcons) {
  CText& t = gameText();
  auto at = [&](long k) -> Integer { return k >= 0 && k < slots ? stock[k] : Integer(-1); };
  t.setColor(255, 255, 255);
  t.setSize(0.5f);
  t.drawText(c.x + 20, c.y + 30, "their stuff:", 0, false, false);
  for (Integer r = 0; r < 2; ++r)
    for (Integer col = 0; col < 4; ++col)
      if (drawListArrowDown(c.x + 20 + 70 * col, c.y + 50 + 70 * r, false))
        selItem = std::min<Integer>(static_cast<Integer>(col + 4 * (r + Scroll)), maxSel);
  if (at(4L * (Scroll + 1)) < 0 && Scroll > 0) --Scroll;
  for (long k = 0; at(k) >= 0; ++k) {
    const long row = k / 4 - Scroll;
    if (row != 0 && row != 1) continue;
    const Single cx = c.x + 20 + 70 * (k % 4), cy = c.y + 50 + 70 * row;
    if (selItem == k) drawListArrowDown(cx, cy, true);
    if (weaponIcons)
      drawWeaponIcon(at(k), cx, cy);
    else
      drawPartIcon(at(k), cx, cy);
  }
  if (drawHighlight(c.x + 160, c.y + 40, 0) && Scroll > 0) --Scroll;
  if (drawHighlight(c.x + 160, c.y + 200, 1)) ++Scroll;
}

void CInterface::drawOwnedHeading(const D3DXVECTOR2& c, Integer empty) {
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.5f);
  t.drawText(c.x + 20, c.y + 225, "your stuff:", 0, false, false);
  if (xScroll + 4 >= OwnedSlots)
    xScroll = OwnedSlots - 5;
  else if (ownedList[static_cast<size_t>(xScroll + 4)] == empty && xScroll > 0)
    --xScroll;
}

void CInterface::drawItemDescAndScroll(const D3DXVECTOR2& c) {
  CText& t = gameText();
  t.setColor(255, 255, 0);
  t.setSize(0.6f);
  t.drawText(c.x + 395, c.y + 40, itemName, 1, false, false);
  t.setColor(255, 255, 255);
  t.setSize(0.5f);
  t.drawBlock(c.x + 300, c.y + 58, 0);

  if (drawHighlight(c.x + 30, c.y + 275, 2) && xScroll > 0) --xScroll;
  if (drawHighlight(c.x + 470, c.y + 275, 3)) ++xScroll;
  MouseClicked = false;
}
