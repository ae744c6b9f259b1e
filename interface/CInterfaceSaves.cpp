// CInterface save slots: the slot names, the autosave, and the save-slot screen in its three forms
// (the main menu's game manager, the bank, and the list inside the new-game wizard).
#include <string>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/DateTime.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {
constexpr Integer SlotCount = 7;


// The longest start of text that drawText at size, from its left edge, draws within w pixels. Each
// glyph is measured as if a "[+]" code enlarged it and the last one by its whole cell, so the
// text of a damaged slot file, codes and all, stays inside the preview panel.
std::string fitWidth(const std::string& text, Single size, Single w) {
  constexpr Single CellWidth = 32;
  const Single s = size * 1.2f;
  Single pen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '[') {  // a code: three characters, never drawn
      i += 2;
      continue;
    }
    if (pen + CellWidth * s > w) return text.substr(0, i);
    pen += CText::getCharWidth(text[i]) * s;
  }
  return text;
}

void say(Single x, Single y, const std::string& s, Long justify, Single size, Integer r, Integer g, Integer b) {
  CText& t = gameText();
  t.setSize(size);
  t.setColor(r, g, b);
  t.drawText(x, y, s, justify, false, false);
}
}  // namespace

void CInterface::ReadSaveList() {
  for (Integer i = 0; i < SlotCount; ++i) {
    CPlayer::RecoverSlot(i);
    const std::string path = CPlayer::SlotReadFile(i, -1);
    // A slot without its file has no game, like one that was deleted; a file with no line at all
    // is a damaged game, named "?" (the preview tells why).
    if (!fileExists(resolvePath(path))) {
      slotNames[i].clear();
      continue;
    }
    const std::vector<std::string> lines = readLines(path);
    slotNames[i] = lines.empty() ? "?" : lines[0] == CPlayer::EmptySlotMarker ? std::string() : lines[0];
  }
  slotPreviewStale = true;
}

void CInterface::doAutoSave(Integer k) {
  if (!Player) vbRaise(vberr::ObjectMissing);
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  CShip& s = *vbAt(Ships, playerShip);
  // 1. The ship's place is restored whatever the save does.
  const Single keptX = s.x, keptY = s.y, keptE = s.e;
  // 2..3. Above the middle of the landing, 500 over its top.
  const D3DVECTOR lo = CurMap->getStructLBounds(k), hi = CurMap->getStructUBounds(k);
  s.x = lo.x + (hi.x - lo.x) / 2;
  s.y = lo.z + (hi.z - lo.z) / 2;
  s.e = hi.y + 500;
  // 4..6. A save that fails leaves the slot as it was and is a notice over the flight.
  bool saved = false;
  try {
    Player->Save(curSlot, GeneralDateText() + " (auto)", playerShip, -1);
    saved = true;
  } catch (const std::exception& e) {
    tellPlayer("game not auto-saved in slot " + std::to_string(curSlot + 1) + " (" + CPlayer::SlotFolder(curSlot) + ")",
               e.what(), "the slot holds the game saved before.");
  }
  // 7..8.
  s.x = keptX, s.y = keptY, s.e = keptE;
  if (!saved) return;
  saveIconTimer = 5.0f;
  ReadSaveList();
}

void CInterface::readSlotPreview() {
  slotPreviewStale = false;
  CPlayer::RecoverSlot(curSlot);
  // A slot that would not load shows why instead of its texts (which may be anything), once in the log.
  previewDamage = Player ? Player->SlotDamage(curSlot) : std::string();
  if (!previewDamage.empty()) {
    if (previewDamage != vbAt(slotDamageLogged, curSlot)) addMessage(previewDamage, false);
    vbAt(slotDamageLogged, curSlot) = previewDamage;
    return;
  }
  vbAt(slotDamageLogged, curSlot).clear();
  const std::string path = CPlayer::SlotReadFile(curSlot, -1);
  ItemReader in(path);
  in.readLine();  // name
  previewDriver = in.readLine();
  previewGunner = in.readLine();
  previewDifficulty = CInt(Val(in.readLine()));
  previewDate = in.readLine();
  previewTime = in.readLine();
  previewPlayTime = in.readLong();
  for (int line = 8; line <= 14; ++line) in.readLine();
  previewNode = in.readInteger();
  if (TexMon && World && previewNode >= 0 && previewNode <= World->getTotalNodes())
    TexMon->forceReplace(TexHomeMap, "\\maps\\" + World->getNodePath(previewNode) + ".bmp");
}

void CInterface::drawGameManagerMenu() { drawGameManager(true, false); }

void CInterface::drawGameManager(bool fromMenu, bool embedded) {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  // Frame and origin.
  Single x0, y0;
  if (embedded) {
    x0 = W / 2 - 195;
    y0 = H / 2 - 122;
  } else if (fromMenu) {
    const D3DXVECTOR2 corner = rectToScreen(500, 360);
    x0 = corner.x;
    y0 = corner.y;
    say(x0 + 250, y0 + 15, "game manager", 1, 0.7f, 255, 255, 255);
    if (drawButton(x0 + 175, y0 + 320, 150, "back", false)) Window = msMainMenu;
  } else {
    const D3DXVECTOR2 corner = drawDoneButton("first galactic bank", 500);
    x0 = corner.x;
    y0 = corner.y;
  }

  // Slot row.
  for (Integer i = 0; i < SlotCount; ++i) {
    const Single tx = x0 + 22 + 65.0f * i;
    if (drawListArrowDown(tx, y0 + 30, i == curSlot) && i != curSlot) {
      curSlot = i;
      slotPreviewStale = true;
    }
    const bool chosen = i == curSlot;
    say(x0 + 48 + 65.0f * i, y0 + 62, " " + std::to_string(i + 1) + " ", 1, 1.0f, chosen ? 200 : 120,
        chosen ? 200 : 120, chosen ? 255 : 120);
  }

  // Preview.
  drawPanelEx(x0 + 22, y0 + 98, x0 + 478, y0 + 258, 150, 150, 150);
  const bool empty = vbAt(slotNames, curSlot).empty();
  if (!empty && slotPreviewStale) readSlotPreview();
  if (empty) {
    say(x0 + 250, y0 + 180, "empty slot", 1, 0.7f, 200, 200, 200);
  } else if (!previewDamage.empty()) {
    say(x0 + 250, y0 + 130, "damaged slot", 1, 0.7f, 255, 80, 80);
    CText& t = gameText();
    t.setColor(255, 255, 255);
    t.setSize(0.5f);
    t.makeBlock(420, previewDamage);
    t.drawBlock(x0 + 250, y0 + 160, 1);
  } else {
    if (TexHomeMap >= 0 && static_cast<size_t>(TexHomeMap) < TexSlots.size()) {
      const auto tex = TexSlots[static_cast<size_t>(TexHomeMap)].object;
      if (tex && DxSprite) {
        const RECT src{0, 0, 128, 128};
        checkHResult(DxSprite->Begin());
        const HResult hr = DxSprite->Draw(tex, &src, D3DXVECTOR2{1, 1}, D3DXVECTOR2{0, 0}, 0,
                                          D3DXVECTOR2{x0 + 35, y0 + 110}, D3DColorARGB(255, 255, 255, 255));
        checkHResult(DxSprite->End());
        checkHResult(hr);
      }
    }
    // Texts read from the slot file (and the node's title) are cut to the panel's inside.
    const Single tx = x0 + 175, tw = x0 + 474 - tx;
    say(tx, y0 + 120, fitWidth(previewDriver + " and " + previewGunner, 0.6f, tw), 0, 0.6f, 0, 255, 0);
    say(tx, y0 + 140, fitWidth(previewDate, 0.6f, tw), 0, 0.6f, 255, 255, 0);
    say(tx, y0 + 160, fitWidth(previewTime, 0.6f, tw), 0, 0.6f, 255, 255, 0);
    const Long hours = previewPlayTime / 3600, minutes = (previewPlayTime / 60) % 60, seconds = previewPlayTime % 60;
    say(tx, y0 + 180,
        "play time: [P]" + Format(hours, "00") + ":" + Format(minutes, "00") + ":" + Format(seconds, "00") + "[p]", 0,
        0.6f, 255, 255, 255);
    say(tx, y0 + 200, "[Y]difficulty:[y] " + getDifficultyName(previewDifficulty), 0, 0.6f, 255, 255, 255);
    // A node the world lacks (a damaged slot) has no title; the slot can still be deleted.
    const bool knownNode = World && previewNode >= 0 && previewNode <= World->getTotalNodes();
    say(tx, y0 + 228, knownNode ? fitWidth(World->getNodeTitle(previewNode), 0.6f, tw) : std::string(), 0, 0.6f,
        255, 255, 255);
  }
  if (embedded) return;  // the wizard clears the click

  // Buttons.
  if (drawButton(x0 + 22, y0 + 272, 140, "delete", empty)) Window = fromMenu ? msConfirmDeleteMenu : msConfirmDelete;
  if (drawButton(x0 + 180, y0 + 272, 140, "load", empty)) {
    if (!fromMenu) {
      Window = msConfirmLoad;
    } else {
      // A slot that cannot be read leaves the running game as it was and says why.
      if (loadSlot()) Window = msNone;
    }
  }
  if (drawButton(x0 + 338, y0 + 272, 140, "save", fromMenu)) Window = msConfirmSave;
  MouseClicked = false;
}
