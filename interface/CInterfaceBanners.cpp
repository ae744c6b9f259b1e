// CInterface mission banners (directive banner with the time-limit box and the "giving up
// mission..." warning; the result banner), the wait screen msWaitForASec and the save icon.
#include <algorithm>
#include <cmath>
#include <string>

#include "campaign/CMissionControl.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {

CShip* shipOrNull(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}
}  // namespace

void CInterface::drawDirective(Single /*level*/) {
  const CShip* s = shipOrNull(playerShip);
  const Single warp = s ? s->getWarpFrame() : 0.0f;
  const bool locked = MissionControl && MissionControl->LockedArea;
  if (!MissionControl) return;
  const CMissionControl& mission = *MissionControl;
  const auto timeLimit = [&mission] { return mission.getTimeLimit(); };
  drawDirectiveBanner(mission.getDirectiveFrame(), mission.getDirective(), timeLimit, warp, locked);
}

void CInterface::drawDirectiveBanner(Single t, const std::string& directive,
                                     const std::function<std::string()>& timeLimit, Single warpFrame,
                                     bool lockedArea) {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  CText& txt = gameText();
  if (t > 0.15f && t < 4.85f) {
    Single w;
    Integer g = 0;
    if (t >= 4.5f) {
      w = static_cast<Single>(std::sin((5 - t) * 2 * 1.57) * 200);
    } else if (t >= 0.5f) {
      w = 200;
      g = CInt(std::sin(t * 13.0) * 30 + 225);
    } else {
      w = static_cast<Single>(std::sin(t * 2 * 1.57) * 200);
    }
    drawListRow(W / 2 - w, 50 - w / 4, 2 * w, w / 2, "", false, true);
    if (w > 190) {
      txt.setSize(0.6f);
      txt.makeBlock(340, directive);
      txt.setColor(g, g, g);
      txt.drawBlock(W / 2, 25, 1);
    }
  }
  // The time limit sets the text colour (white, blinking red in its last 10 s) after the
  // directive's grey; the box is drawn without touching it.
  const std::string timeText = timeLimit();
  if (!timeText.empty()) {
    drawPanel(W / 2 - 50, H - 50, W / 2 + 50, H + 10);
    drawPanelEx(W / 2 - 50, H - 50, W / 2 + 50, H + 10, 100, 100, 255);
    txt.setSize(0.5f);
    txt.drawText(W / 2, H - 20, timeText, 1, false, false);
  }
  if (warpFrame > 0 && warpFrame < 10 && lockedArea) {
    txt.setSize(2.0f);
    if (static_cast<long long>(Int(2.0 * warpFrame)) % 2 != 0)
      txt.setColor(255, 0, 0);
    else
      txt.setColor(200, 0, 0);
    txt.drawText(W / 2, H / 2, "giving up mission...", 1, false, false);
  }
}

void CInterface::drawMissionResult() {
  if (MissionControl) drawResultBanner(MissionControl->MissionCompleteFrame);
}

void CInterface::drawResultBanner(Single& completeFrame) {
  const Single m = completeFrame;
  completeFrame = static_cast<Single>(completeFrame - FrameTime);
  CText& txt = gameText();
  Single u;
  std::string caption;
  Integer r, g, b;
  if (m > 10) {
    if (completeFrame <= 10) completeFrame = 0;
    u = m - 10;
    caption = "mission failed!";
    const long long k = static_cast<long long>(Int(u * 15.0)) % 3;
    r = 255;
    g = k == 0 ? 80 : k == 1 ? 40 : 0;
    b = g;
  } else {
    u = m;
    caption = "mission complete!";
    long long k = static_cast<long long>(Int(u * 20.0)) % 3;
    if (k < 0) k += 3;
    if (k == 0) {
      r = 255, g = 80, b = 80;
    } else if (k == 1) {
      r = 80, g = 255, b = 80;
    } else {
      r = 255, g = 255, b = 80;
    }
  }
  Single size;
  if (u < 0.5f)
    size = u * 4;
  else if (u < 3.5f)
    size = 2.0f;
  else
    size = (u - 3.5f) * 20 + 2.0f;
  txt.setSize(size);
  txt.setColor(r, g, b);
  txt.drawText(ScreenWidth / 2.0f, ScreenHeight / 2.0f, caption, 1, false, false);
}

void CInterface::drawWaitForASec() {
  waitTimer = static_cast<Single>(waitTimer - FrameTime);
  if (waitTimer >= 0) return;
  Window = msNone;
  if (CShip* s = shipOrNull(playerShip)) {
    if (s->LandingFrame > 0) s->LandingFrame = 1001;
    if (s->TractorFrame > 0) s->TractorFrame = 1001;
  }
}

void CInterface::RenderSaveIcon() {
  const Integer alpha = static_cast<Integer>(std::clamp<int>(CInt(saveIconTimer * 50.0), 0, 255));
  saveIconTimer = static_cast<Single>(saveIconTimer - FrameTime);
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  if (TexIconsW < 0 || static_cast<size_t>(TexIconsW) >= TexSlots.size()) return;
  const auto tex = TexSlots[static_cast<size_t>(TexIconsW)].object;
  if (!tex) return;
  const RECT src{128, 32, 192, 96};
  checkHResult(DxSprite->Begin());
  const HResult hr = DxSprite->Draw(tex, &src, D3DXVECTOR2{1, 1}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{140, 0},
                                    D3DColorARGB(alpha, 255, 255, 255));
  DxSprite->End();
  checkHResult(hr);
}
