// Status/warp overlay: ToggleWarpChoose, the fleet respawn choice, and the warp map's node box
// with the node's service icons.
#include "interface/CInterface.h"

#include <algorithm>
#include <array>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

void CInterface::ToggleWarpChoose(bool status) {
  if (overlayFrame != 0) {
    overlayFrame = 2.01f - overlayFrame;  // reverses the animation
    return;
  }
  stopPlayerSteer();
  if (status) {
    // A missing or damaged catalogue is reported; the screen opens with what it holds.
    vbTrap("CInterface.ToggleWarpChoose", [this] { ReadPartDefs(); });
    sScroll = -20.0;
    overlayIsStatus = true;
  } else {
    if (!World) vbRaise(vberr::ObjectMissing);
    World->UpdatePlayerMap();
    World->checkVis();
    World->Center(World->CurrentNode);
    if (World->DestNode > -1) World->setDestDesc();
    else World->setDesc();
    overlayIsStatus = false;
  }
  overlayFrame = 0.01f;
}

void CInterface::NextSpawn(Integer ship) { stepSpawn(ship, 1); }
void CInterface::PrevSpawn(Integer ship) { stepSpawn(ship, 3); }

// step 1 forward, 3 back (modulo 4).
void CInterface::stepSpawn(Integer ship, Integer step) {
  if (ship != playerShip) return;
  const Integer old = spawnChoice;
  for (int k = 0; k < 4; ++k) {
    spawnChoice = static_cast<Integer>(((spawnChoice + step) % 4 + 4) % 4);
    const auto& sub = SubPlayers[spawnChoice];
    if (sub && sub->ShipType != -1) break;
  }
  PlaySound(SndBeep);
  MakeSpawnList(old);
}

namespace {
// Icon cell left edge by StructType (0..10; -1 no icon).
constexpr Integer iconU[] = {32, 0, -1, -1, 96, 192, 128, 64, 128, 160, 224};

// How many service icons drawNodeIcon draws for the node; 0 when its map cannot be read, which
// is reported here under the icons' name (the world map raises it once).
Integer nodeIconCount(Integer node) {
  Integer n = 0;
  vbTrap("CInterface.drawNodeIcon", [&] {
    for (Integer i = 0; i <= 10; ++i)
      if (iconU[i] >= 0 && World->getCurIcon(node, i)) ++n;
  });
  return n;
}
}  // namespace

void CInterface::drawNodeTitle() {
  if (!World || !GameText) vbRaise(vberr::ObjectMissing);
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  Integer node = World->CurrentNode;
  if (World->HiLiteNode >= 0) node = World->HiLiteNode;
  // The box: a 220 x 250 panel (x, y)-(x + 220, y + 250) with its rim, the title on it and the
  // service icons 30 pixels above it; it spans (x - 5, y - 30)-(x + 225, y + 255). It stands
  // 5 pixels inside the bottom-left corner, or the bottom-right one when that hides fewer of the
  // nodes the map shows, the described node counting above all others.
  const Single bottom = H - 260;
  const std::array<Single, 2> corners = {10, W - 230};
  Single x = corners[0];
  Long best = -1;
  for (const Single cx : corners) {
    Long hidden = 0;
    for (Integer i = 0; i <= World->getTotalNodes(); ++i)
      if (World->nodeDrawnIn(i, cx - 5, bottom - 30, cx + 225, bottom + 255)) hidden += i == node ? 1000 : 1;
    if (best < 0 || hidden < best) {
      best = hidden;
      x = cx;
    }
  }
  drawPanel(x, bottom, x + 220, bottom + 250);
  GameText->setColor(255, 255, 255);
  GameText->setSize(0.5f);
  if (World->HiLiteNode < 0) World->setDesc();
  else World->setDestDesc();
  GameText->drawBlock(x + 10, bottom + 30, 0);
  GameText->setColor(255, 255, 0);
  GameText->setSize(0.7f);
  GameText->drawText(x, bottom + 10, World->getNodeTitle(node), 0, false, false);
  // The row of icons (30 pixels each, the last one 32) starts over the panel's left edge, or as
  // far left as keeps its end 5 pixels inside the screen.
  const Integer icons = nodeIconCount(node);
  drawNodeIcon(node, std::max(5.0f, std::min(x, W - 5 - (30.0f * icons + 2))), bottom - 30);
}

void CInterface::drawNodeIcon(Integer node, Single x, Single y) {
  if (!World || !DxSprite) vbRaise(vberr::ObjectMissing);
  const auto icons = (TexIconsW >= 0 && static_cast<size_t>(TexIconsW) < TexSlots.size())
                         ? TexSlots[TexIconsW].object
                         : nullptr;
  // A node whose map cannot be read shows no services (reported once, see CWorld.getCurIcon).
  vbTrap("CInterface.drawNodeIcon", [&] {
    for (Integer i = 0; i < CWorld::ServiceSlots; ++i) {
      if (!World->getCurIcon(node, i)) continue;
      if (i > 10 || iconU[i] < 0) continue;
      if (icons) {
        RECT src;
        src.left = iconU[i];
        src.top = 0;
        src.right = iconU[i] + 32;
        src.bottom = 32;
        DxSprite->Begin();
        DxSprite->Draw(icons, &src, D3DXVECTOR2{1, 1}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y},
                       D3DColorARGB(255, 255, 255, 255));
        DxSprite->End();
      }
      x += 30;
    }
  });
}
