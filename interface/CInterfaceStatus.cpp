// Status screen: the strip of panels (resources, mounts, upgrades, statistics, bounties, weapons)
// that slides sideways under the status overlay. Strip x positions are drawn at x - sScroll;
// the title, the cash line and the arrow buttons stay fixed to the screen.
#include <algorithm>
#include <array>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Numbers.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {
constexpr Single StripEnd = 1170;  // sScroll stays below StripEnd - ScreenWidth
constexpr Single StripStart = -20;
constexpr Single StripBottom = 525;  // lowest pixel row of the strip at full height
constexpr Single CashLeft = 165;     // screen x where the cash line starts

// One sprite draw of src of a cache texture, scaled, with its top-left corner at (x, y); nothing
// for a handle without a texture.
void statusSprite(Integer tex, Long l, Long t, Long r, Long b, Single sx, Single sy, Single x, Single y,
                  D3DCOLOR colour) {
  if (tex < 0 || static_cast<size_t>(tex) >= TexSlots.size() || !TexSlots[tex].object) return;
  RECT src;
  src.left = l;
  src.top = t;
  src.right = r;
  src.bottom = b;
  DxSprite->Begin();
  DxSprite->Draw(TexSlots[tex].object, &src, D3DXVECTOR2{sx, sy}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y}, colour);
  DxSprite->End();
}

void text(Single x, Single y, const std::string& s, Long justify, Single size, Integer r, Integer g, Integer b) {
  GameText->setSize(size);
  GameText->setColor(r, g, b);
  GameText->drawText(x, y, s, justify, false, false);
}

// The width a text draws at `size`, its colour codes ("[" and the two characters after it) left out.
Single drawnWidth(const std::string& s, Single size) {
  std::string shown;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '[') {
      i += 2;
      continue;
    }
    shown += s[i];
  }
  return CText::getTextWidth(shown) * size;
}

// A text of the sliding strip, drawn only while it lies wholly between the screen's left and right
// edges: one that the strip holds half past an edge is left out rather than shown cut.
void stripText(Single x, Single y, const std::string& s, Long justify, Single size, Integer r, Integer g,
               Integer b) {
  const Single w = drawnWidth(s, size);
  const Single left = s.size() < 2 ? x : justify == 1 ? x - w / 2 : justify == 2 ? x - w : x;
  if (left < 0 || left + w > static_cast<Single>(ScreenWidth)) return;
  text(x, y, s, justify, size, r, g, b);
}

// PartId of the icon of a mount's weapon (MountType 0..11), -1 none.
Integer mountIconPart(Long mountType) {
  static constexpr std::array<Integer, 12> part = {3, 0, 2, 1, 4, 10, 11, 12, 18, 29, 30, 31};
  if (mountType < 0 || mountType >= static_cast<Long>(part.size())) return -1;
  return part[mountType];
}
}  // namespace

std::string CInterface::playTimeText(Long t) {
  return Format(t / 3600, "00") + ":" + Format((t / 60) % 60, "00") + ":" + Format(t % 60, "00");
}

void CInterface::drawStatusScreen() {
  if (!Player || !GameText || !DxSprite || !World) vbRaise(vberr::ObjectMissing);
  const CShip& ship = *vbAt(Ships, playerShip);
  CPlayer& p = *Player;
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  const Single sx = static_cast<Single>(sScroll);  // strip x -> screen x
  // The strip reaches 525 pixels down (its panels' rims); on a shorter screen (480) every y
  // position is pulled up in proportion so that it ends 5 pixels above the bottom edge. Sizes of
  // texts and icons stay.
  const Single ky = std::min(1.0f, (H - 5) / StripBottom);
  const auto sy = [ky](Single y) { return y * ky; };

  // 1-2. Title and cash. The HUD's radar (up to x 155) and destination box (from W - 205) stay
  // on screen under the overlay; the cash starts right of the radar, so even ten digits end
  // before the title on a 640-pixel screen.
  text(W / 2, sy(20), "status", 1, 1.0f, 255, 255, 0);
  text(CashLeft, sy(20), "$" + CStr(p.Cash), 0, 0.6f, 255, 255, 0);

  // 3. Weapons.
  drawPanelEx(890 - sx, sy(70), 1140 - sx, sy(520), 100, 100, 100);
  stripText(1015 - sx, sy(70), "weapons", 1, 0.8f, 255, 255, 255);
  Integer n = 0;
  for (Integer i = 0; i <= 7; ++i) {
    if (!ship.getHasSecondary(i)) continue;
    ++n;
    const Single y = sy(50.0f + 50 * n);
    const Integer ammo = ship.getSecondaryAmmo(i);
    statusSprite(TexIconsW, 128, 192, 129, 193, 140.6f, 7, 939 - sx, y + 17, D3DColorARGB(255, 0, 0, 0));
    statusSprite(TexIconsW, 128, 192, 129, 193, ammo * 1.4f, 5, 940 - sx, y + 18, D3DColorARGB(255, 255, 255, 0));
    statusSprite(TexWeapons, (i % 4) * 64, (i / 4) * 64, (i % 4) * 64 + 64, (i / 4) * 64 + 64, 1, 1, 890 - sx, y,
                 D3DColorARGB(255, 255, 255, 255));
    stripText(1084 - sx, y + 18, CStr(ammo), 0, 0.7f, 255, 255, 0);
  }

  // 4. Resources: a click on a row jettisons that good.
  drawPanelEx(0 - sx, sy(70), 250 - sx, sy(520), 100, 100, 100);
  stripText(125 - sx, sy(70), "resources", 1, 0.8f, 255, 255, 255);
  n = 0;
  for (Integer k = 0; k <= 7; ++k) {
    const Integer count = p.getResource(k);
    if (count <= 0) continue;
    ++n;
    const Single y = sy(50.0f + 50 * n);
    // A row half past a screen edge is left out, as the strip's texts are.
    if (0 - sx < 0 || 250 - sx > W) continue;
    if (drawCargoList(0 - sx, y, k, count, 0)) {
      p.setResource(k, 0);
      cargoToShip();
    }
    if (PointerX > 0 - sx && PointerX < 200 - sx && PointerY > y + 7 && PointerY < y + 57) {
      drawPanelEx(PointerX, PointerY - 64, PointerX + 200, PointerY, 255, 255, 0);
      drawPanel(PointerX, PointerY - 64, PointerX + 200, PointerY);
      text(PointerX + 50, PointerY - 32, "click to jettison.", 0, 0.6f, 255, 255, 255);
    }
  }

  // 5. Mounts.
  drawPanelEx(280 - sx, sy(70), 856 - sx, sy(160), 100, 100, 100);
  stripText(568 - sx, sy(70), "mounts", 1, 0.8f, 255, 255, 255);
  n = 0;
  const Integer lastMount = ship.getTotalMounts();
  for (Integer m = 0; m <= lastMount; ++m) {
    const Long weapon = p.getMount(m);
    if (weapon < 0) continue;
    ++n;
    const Integer part = mountIconPart(weapon);
    if (part >= 0) drawPartIcon(part, 280.0f + 64 * n - 32 - sx, sy(85));
  }

  // 6. Upgrades, in their fixed order.
  drawPanelEx(280 - sx, sy(180), 856 - sx, sy(360), 100, 100, 100);
  stripText(568 - sx, sy(180), "upgrades", 1, 0.8f, 255, 255, 255);
  std::array<Integer, 32> upgrades;
  upgrades.fill(-1);
  size_t count = 0;
  if (p.ArmorLev >= 1 && p.ArmorLev <= 3) upgrades[count++] = static_cast<Integer>(6 + p.ArmorLev);
  const std::pair<bool, Integer> owned[] = {
      {p.HasAcceleratron, 17}, {p.HasAgilitator, 14},  {p.HasBoostBooster, 15}, {p.HasCapacitator, 13},
      {p.HasFuelDoubler, 6},   {p.HasShieldBoost, 5},  {p.HasShieldDoubler, 16}, {p.HasDarkEscaper, 26},
      {p.HasHud20, 22},        {p.HasJammar, 25},      {p.HasRefuelAlert, 21},  {p.HasAutoSaver, 23},
      {p.HasRoboFixit, 28},    {p.HasRoboLoader, 27},  {p.HasShieldCharger, 19}, {p.HasSiphonator, 24},
      {p.HasTractorBoost, 20}};
  for (const auto& [has, id] : owned)
    if (has) upgrades[count++] = id;
  for (Integer i = 0; i < 32; ++i)
    if (upgrades[i] != -1) drawPartIcon(upgrades[i], 312.0f + 64 * (i % 8) - sx, sy(200.0f + 70 * (i / 8)));

  // 7. Statistics.
  const Long t = GameTime;
  stripText(280 - sx, sy(400), "income per kill: [G]$" + CStr(World->KillValue) + "[g]", 0, 0.6f, 255, 255,
            255);
  stripText(280 - sx, sy(424), "universe influence: [Y]" + CStr(Int(World->PercentOwned)) + "%[y]", 0, 0.6f,
            255, 255, 255);
  stripText(280 - sx, sy(448), "missions completed: [Y]" + CStr(World->MissionsCompleted) + "[y]", 0, 0.6f,
            255, 255, 255);
  stripText(280 - sx, sy(472), "play time: [P]" + playTimeText(t) + "[p]", 0, 0.6f, 255, 255, 255);
  stripText(280 - sx, sy(496), "[Y]difficulty:[y] " + getDifficultyName(static_cast<Integer>(p.Difficulty)),
            0, 0.6f, 255, 255, 255);

  // 8. Open bounties.
  stripText(560 - sx, sy(400), "open bounties:", 0, 0.6f, 255, 255, 0);
  n = 0;
  for (Integer b = 0; b < BountySlots; ++b) {
    if (p.getBountyHunted(b) != 1) continue;
    ++n;
    const Single y = sy(400.0f + 24 * n);
    stripText(560 - sx, y, getBountyName(b), 0, 0.6f, 255, 255, 255);
    stripText(760 - sx, y, "$" + CStr(getBountyVal(b)), 2, 0.6f, 0, 255, 0);
    if (PointerX > 560 - sx && PointerX < 760 - sx && PointerY > y - 10 && PointerY < y + 10) {
      Single left = PointerX - 200;
      if (left + 300 > W) left = PointerX - 300;
      const Single top = PointerY - 200;
      drawPanelEx(left, top, left + 300, top + 200, 255, 255, 0);
      drawPanel(left, top, left + 300, top + 200);
      text(left + 150, top + 10, getBountyName(b), 1, 0.6f, 255, 255, 255);
      GameText->ClearBlock();
      GameText->makeBlock(260, bounties[static_cast<size_t>(b)].text);
      GameText->setSize(0.55f);
      GameText->setColor(255, 255, 255);
      GameText->drawBlock(left + 15, top + 35, 0);
    }
  }
  if (n == 0) stripText(560 - sx, sy(424), "no open bounties!", 0, 0.6f, 100, 100, 100);

  // 9. Upgrade descriptions under the pointer.
  for (Integer i = 0; i < 32; ++i) {
    if (upgrades[i] == -1) continue;
    const Single ix = 312.0f + 64 * (i % 8) - sx, iy = sy(200.0f + 70 * (i / 8));
    if (!(PointerX > ix && PointerX < ix + 64 && PointerY > iy && PointerY < iy + 64)) continue;
    Single left = PointerX;
    if (PointerX + 300 > W) left = PointerX - 300;
    const Single top = PointerY;
    drawPanelEx(left, top, left + 300, top + 200, 255, 255, 0);
    drawPanel(left, top, left + 300, top + 200);
    const StoreItemDef& item = vbAt(storeItems, upgrades[i]);
    text(left + 150, top + 10, item.name, 1, 0.6f, 255, 255, 255);
    GameText->ClearBlock();
    GameText->makeBlock(260, item.desc);
    GameText->setSize(0.55f);
    GameText->setColor(255, 255, 255);
    GameText->drawBlock(left + 15, top + 35, 0);
  }

  // 10. Edge scrolling, kept within the strip.
  if (PointerX < 50) sScroll -= 300 * FrameTime;
  if (PointerX > W - 50) sScroll += 300 * FrameTime;
  if (sScroll < StripStart) sScroll = StripStart;
  if (sScroll > StripEnd - W) sScroll = StripEnd - W;

  // 11. Arrows to either end.
  if (sScroll > StripStart && drawHighlight(20, H - 20, 2)) sScroll = StripStart;
  if (sScroll < StripEnd - W && drawHighlight(W - 20, H - 20, 3)) sScroll = StripEnd - W;
}
