// Status/warp overlay: ToggleWarpChoose, the fleet respawn choice, and the warp map's node box
// with the node's service icons.
#include "interface/CInterface.h"

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

void CInterface::drawNodeTitle() {
  if (!World || !GameText) vbRaise(vberr::ObjectMissing);
  const Single H = static_cast<Single>(ScreenHeight);
  drawPanel(0, H - 250, 220, H);
  GameText->setColor(255, 255, 255);
  GameText->setSize(0.5f);
  Integer node = World->CurrentNode;
  if (World->HiLiteNode < 0) {
    World->setDesc();
  } else {
    World->setDestDesc();
    node = World->HiLiteNode;
  }
  GameText->drawBlock(10, H - 220, 0);
  GameText->setColor(255, 255, 0);
  GameText->setSize(0.7f);
  GameText->drawText(0, H - 240, World->getNodeTitle(node), 0, false, false);
  drawNodeIcon(node, 0, H - 280);
}

void CInterface::drawNodeIcon(Integer node, Single x, Single y) {
  // Icon cell left edge by StructType (0..10; -1 no icon).
  static constexpr Integer iconU[] = {32, 0, -1, -1, 96, 192, 128, 64, 128, 160, 224};
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
