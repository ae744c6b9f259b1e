// CInterface mission-control screen (msMissionControl): the board of missions offered at the
// player's node, entries 0..2 of mission control's list, each with its giver's portrait
// (ZomPortraitTex(k)), name and description. A picked row becomes chosenMission and opens the
// acceptance dialog (msConfirmMission).
#include <string>

#include "campaign/CMissionControl.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"

namespace {

// The top-left 128 x 128 pixels of a portrait, scaled 0.55, white.
void drawPortrait(Integer handle, Single x, Single y) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size() || !DxSprite) return;
  const auto tex = TexSlots[static_cast<size_t>(handle)].object;
  if (!tex) return;
  const RECT src{0, 0, 128, 128};
  checkHResult(DxSprite->Begin());
  const HResult hr = DxSprite->Draw(tex, &src, D3DXVECTOR2{0.55f, 0.55f}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y},
                                    D3DColorARGB(255, 255, 255, 255));
  DxSprite->End();
  checkHResult(hr);
}

}  // namespace

void CInterface::drawMissionControl() {
  const D3DXVECTOR2 c = drawDoneButton("mission control", 500);
  drawPanel(c.x + 20, c.y + 30, c.x + 480, c.y + 310);
  if (!MissionControl) vbRaise(vberr::ObjectMissing);
  CText& t = gameText();
  for (Integer k = 0; k <= 2; ++k) {
    if (!MissionControl->IsNodeMission(k)) continue;
    const Single dy = 85.0f * k;
    if (drawListRow(c.x + 30, c.y + 42 + dy, 440, 85, "", false, false)) {
      chosenMission = k;
      Window = msConfirmMission;
      continue;
    }
    t.setSize(0.5f);
    t.setColor(255, 255, 0);
    t.drawText(c.x + 130, c.y + 60 + dy, MissionControl->getMissionName(k), 0, false, false);
    t.setSize(0.45f);
    t.setColor(255, 255, 255);
    t.makeBlock(350, MissionControl->getMissionDesc(k));
    t.drawBlock(c.x + 130, c.y + 75 + dy, 0);
    drawPortrait(ZomPortraitTex[static_cast<size_t>(k)], c.x + 40, c.y + 50 + dy);
  }
  MouseClicked = false;
}
