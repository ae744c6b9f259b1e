// CInterface title sequence (msDemo): camera shots of the unattended battle, the map's tint and
// weather changes, letterbox bars, the intro message wall and the fades at both ends. It ends in
// the main menu (newGame(True, False)) when the title track ends or a mouse button is pressed.
#include <algorithm>

#include "audio/modDirectShow.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

namespace {

CMap& map() {
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  return *CurMap;
}

bool shipExists(Integer i) {
  return i >= 0 && static_cast<size_t>(i) < Ships.size() && Ships[static_cast<size_t>(i)] &&
         Ships[static_cast<size_t>(i)]->Exists;
}

std::shared_ptr<Direct3DTexture8> fadeTexture(int k) {
  const Integer h = FadeTex[static_cast<size_t>(std::clamp(k, 0, 14))];
  if (h < 0 || static_cast<size_t>(h) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(h)].object;
}

template <class F>
void spriteBatch(F&& draws) {
  checkHResult(DxSprite->Begin());
  try {
    draws();
  } catch (...) {
    DxSprite->End();
    throw;
  }
  checkHResult(DxSprite->End());
}

}  // namespace

void CInterface::attractTint() {
  CMap& m = map();
  m.setRed(CInt(Rnd() * 100));
  m.setGreen(CInt(Rnd() * 100));
  m.setBlue(CInt(Rnd() * 100));
  m.updateColor();
}

void CInterface::renderAttract() {
  // 1. Next shot.
  DemoSceneFrame = static_cast<Single>(DemoSceneFrame + FrameTime);
  if (DemoSceneFrame > 1.0f) {
    if (DemoSceneMode == 0) {
      DemoSceneMode = 2;
      DemoSceneFrame = static_cast<Single>(-1 - Rnd());
      DemoSceneFollow = pickWatchShip();
    } else {
      if (Rnd() < 0.5) {
        DemoSceneMode = 1;
        DemoSceneFrame = -1.0f;
      } else {
        DemoSceneMode = 2;
        DemoSceneFrame = 0;
      }
      const Integer before = DemoSceneFollow;
      DemoSceneFollow = pickWatchShip();
      if (DemoSceneFollow == before) DemoSceneFollow = pickWatchShip();
      else attractTint();
    }
  }
  // 2. Shot upkeep.
  switch (DemoSceneMode) {
    case 0:
      GrayOut(DemoSceneFrame);
      DemoSceneFrame = static_cast<Single>(DemoSceneFrame - FrameTime / 2);
      if (DemoSceneFrame >= 1.0f) DemoSceneMode = 1;
      break;
    case 1:
    case 2:
      if (!shipExists(DemoSceneFollow)) DemoSceneFollow = pickWatchShip();
      break;
    case 3:
    case 4: {
      const Integer slot = DemoSceneFollow;
      const bool live = slot >= 0 && static_cast<size_t>(slot) < Sprites.size() &&
                        Sprites[static_cast<size_t>(slot)].Exists &&
                        Sprites[static_cast<size_t>(slot)].sType == skMissile;
      if (!live) {
        DemoSceneMode = 6;
        DemoSceneFrame = 0.6f;
        attractTint();
        DemoSceneFollow = DemoSceneTarget;
      }
      break;
    }
    default: break;
  }
  // 3. Weather.
  if (DemoOverFrame >= 75) {
    CMap& m = map();
    m.MapFog = 2;
    m.MapFX = 1;
    m.setMedianShips(15);
    m.MapWeather = 4;
  } else if (DemoOverFrame >= 50) {
    CMap& m = map();
    m.MapFX = 3;
    m.MapWeather = 5;
    m.setMedianShips(13);
  }
  // 4. End: into the main menu. newGame replaces this object; the dispatcher keeps it alive and
  // the rest of this pass still draws. A press counts whether it is still held or was already
  // released before this pass (a quick tap sets only the click latch, which this consumes); a
  // press on a notice over the title is the notice's.
  if (GetMP3Pos() == "eof" || ((MouseHeld || MouseClicked) && !firstPlayerNotice())) {
    MouseClicked = false;
    newGame(true, false);
    StopMP3();
    TerminateEngine();
  }
  // 5. Letterbox, dimming, the message wall and the fades, black from a 1 x 1 cell.
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  srcRect = SrcRect{0, 0, 1, 1};
  const RECT src{0, 0, 1, 1};
  const D3DCOLOR black = D3DColorARGB(255, 0, 0, 0);
  const Single w = static_cast<Single>(ScreenWidth), h = static_cast<Single>(ScreenHeight);
  auto layer = [&](int k, Single sy, Single y) {
    const auto tex = fadeTexture(k);
    if (tex) checkHResult(DxSprite->Draw(tex, &src, D3DXVECTOR2{w, sy}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{0, y}, black));
  };
  // The wall is drawn with screen quads, so the sprite batch is closed around it to keep the order.
  spriteBatch([&] {
    layer(3, h / 10, 0);
    layer(3, h / 10, h - h / 10);
    layer(10, h, 0);
  });
  RenderIntroMsg();
  spriteBatch([&] {
    if (DemoOverFrame < 3.0) layer(14 - std::min<int>(CInt((3 - DemoOverFrame) * 5), 14), h, 0);
    if (DemoOverFrame > 98.4) layer(14 - std::min<int>(CInt((DemoOverFrame - 98.4) * 3), 14), h, 0);
  });
}
