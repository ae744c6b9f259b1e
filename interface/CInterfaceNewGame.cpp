// CInterface new-game wizard: the eight pages (difficulty, ship, driver, driver name, gunner,
// gunner name, save slot, all set) drawn by drawNewGame, the character lists and portraits they
// offer, the wizard texts, and the difficulty names.
#include <algorithm>
#include <string>

#include "audio/CMusic.h"
#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "platform/D3DX.h"
#include "runtime/DateTime.h"
#include "runtime/ItemFile.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

using interface_helpers::player;

namespace {
const char* const NewGameTextFile = "\\data\\newgame.pnd";

// The wizard's three ships, left to right: ship definition indexes.
constexpr Integer WizardShips[3] = {1, 5, 2};
constexpr std::array<Integer, CInterface::NewGameChoices> DriverIds = {4, 5, 6, 7, 30, 8, 9, 10};
constexpr std::array<Integer, CInterface::NewGameChoices> GunnerIds = {13, 14, 15, 16, 17, 18, 31, 32};



void say(Single x, Single y, const std::string& s, Long justify, Single size, Integer r, Integer g, Integer b) {
  CText& t = gameText();
  t.setSize(size);
  t.setColor(r, g, b);
  t.drawText(x, y, s, justify, false, false);
}

// src of the texture of handle, scaled by scale, corner at (x, y); nothing without a texture.
void drawImage(Integer handle, const RECT& src, Single scale, Single x, Single y, D3DCOLOR colour) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return;
  const auto tex = TexSlots[static_cast<size_t>(handle)].object;
  if (!tex || !DxSprite) return;
  checkHResult(DxSprite->Begin());
  const HResult hr =
      DxSprite->Draw(tex, &src, D3DXVECTOR2{scale, scale}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y}, colour);
  checkHResult(DxSprite->End());
  checkHResult(hr);
}

void loadPortraits(const std::array<Integer, CInterface::NewGameChoices>& ids,
                   std::array<Integer, CInterface::NewGameChoices>& portraits) {
  if (!TexMon) vbRaise(vberr::ObjectMissing);
  for (size_t k = 0; k < ids.size(); ++k)
    portraits[k] = TexMon->getTextureNumber("portraits\\" + vbAt(CharDefs, ids[k]).skin);
}
}  // namespace

// ---- lists and texts ----

std::string CInterface::getDifficultyName(Integer d) {
  switch (d) {
    case 0: return "very easy";
    case 1: return "easy";
    case 2: return "normal";
    case 3: return "hard";
    case 4: return "armageddon";
    default: return "";
  }
}

void CInterface::InitNewGameChars() {
  newGameDrivers = DriverIds;
  newGameGunners = GunnerIds;
}

void CInterface::LoadNewGameDriverPortraits() { loadPortraits(newGameDrivers, newGamePortraits); }

void CInterface::LoadNewGameGunnerPortraits() { loadPortraits(newGameGunners, newGamePortraits); }

void CInterface::ReadNewGameText() {
  const std::vector<std::string> lines = readLines(NewGameTextFile);
  for (size_t k = 0; k < newGameTexts.size(); ++k) {
    if (k >= lines.size()) vbRaise(vberr::InputPastEnd, "Input past end of file (" + std::string(NewGameTextFile) + ")");
    newGameTexts[k] = lines[k];
  }
}

// ---- the wizard ----

void CInterface::drawNewGameFrame(Integer page, Single cx, Single top) {
  // The frame reaches 20 pixels above top, so that the title centred on top lies on it.
  drawPanel(page == ngSaveSlot ? cx - 190 : cx, top - 20, cx + 300, top + 400);
  say(cx + 150, top, "start a new game", 1, 0.7f, 255, 255, 255);
  const char* title = "";
  switch (page) {
    case ngDifficulty: title = "choose difficulty"; break;
    case ngShip: title = "select a ship"; break;
    case ngDriver: title = "select a driver"; break;
    case ngDriverName: title = "name your driver"; break;
    case ngGunner: title = "select a gunner"; break;
    case ngGunnerName: title = "name your gunner"; break;
    case ngSaveSlot: title = "save slot"; break;
    case ngAllSet: title = "all set?"; break;
    default: break;
  }
  say(cx + 150, top + 30, title, 1, 0.6f, 255, 255, 0);
}

void CInterface::drawNewGamePageText(Integer line, Single cx, Single top) {
  CText& t = gameText();
  t.setSize(0.5f);
  t.setColor(255, 255, 255);
  t.makeBlock(230, vbAt(newGameTexts, line));
  t.drawBlock(cx + 20, top + 60, 0);
}

bool CInterface::newGameShipOffered(Integer i) {
  return i >= 0 && i <= 2 && shipDefReadable(WizardShips[i]);
}

void CInterface::chooseNewGameShip(Integer i) {
  selItem = i;
  CPlayer& p = player();
  p.ShipType = WizardShips[i];
  p.MakeShipFromPlayer(0, 0, 0, 0);
  CShip& s = *vbAt(Ships, 0);
  s.Armor = s.getMaxArmor();
  s.Fuel = s.getMaxFuel();
  s.Shields = s.getMaxShields();
  p.updateFromShip(playerShip);
}

void CInterface::drawNewGameShipPage(Single cx, Single top) {
  // A ship whose design could not be read is not offered: the first one that can be is chosen.
  for (Integer i = 0; i < 3 && !newGameShipOffered(selItem); ++i)
    if (newGameShipOffered(i)) chooseNewGameShip(i);
  // 1. Description and statistics; the statistics panel moves the page's anchor up by 45.
  if (newGameShipOffered(selItem)) {
    drawNewGamePageText(selItem, cx, top);
    Single statsX = std::max(cx - 320, 5.0f);  // on a 640 screen its rim stays on the screen
    drawShipStats(statsX, top, WizardShips[selItem]);
  }
  // 2..3. The three ship tiles with their icons.
  for (Integer i = 0; i < 3; ++i) {
    if (!newGameShipOffered(i)) continue;
    const Single tx = cx + 15 + 90.0f * i, ty = top + 230;
    if (drawListArrowUp(tx, ty, i == selItem) && i != selItem) chooseNewGameShip(i);
    const Integer t = WizardShips[i];
    const int32_t col = t % 3, row = (t / 3) % 3;
    const size_t sheet = static_cast<size_t>(t / 9);
    if (sheet < ShipPartsTex.size())
      drawImage(ShipPartsTex[sheet], RECT{col * 85, row * 85, col * 85 + 85, row * 85 + 85}, 1, tx, ty,
                D3DColorARGB(255, 255, 255, 255));
  }
  // 4.
  if (drawButton(cx + 20, top + 350, 100, "previous", false)) Window = msNewDifficulty;
  if (drawButton(cx + 180, top + 350, 100, "next", !newGameShipOffered(selItem))) {
    Window = msNewDriver;
    LoadNewGameDriverPortraits();
  }
}

void CInterface::drawNewGameCrewPage(Integer seat, Single cx, Single top) {
  CPlayer& p = player();
  const auto& ids = seat == 0 ? newGameDrivers : newGameGunners;
  const Integer current = p.getCharDef(seat);
  for (Integer i = 0; i < NewGameChoices; ++i) {
    const Single px = cx + 20 + 64.0f * (i % 4), py = top + 200 + 64.0f * (i / 4);
    const bool inside = PointerX > px && PointerX < px + 60 && PointerY > py && PointerY < py + 60;
    const bool isCurrent = ids[i] == current;
    const D3DCOLOR colour =
        isCurrent ? D3DColorARGB(255, 255, 255, 255) : D3DColorARGB(inside ? 250 : 200, 150, 150, 150);
    drawImage(newGamePortraits[i], RECT{0, 0, 128, 128}, 0.45f, px, py, colour);
    if (MouseClicked && inside && !isCurrent) {
      MouseClicked = false;
      p.setCharDef(seat, ids[i]);
      p.MakeShipFromPlayer(0, 0, 0, 0);
    }
  }
  drawNewGamePageText(seat == 0 ? 3 : 4, cx, top);
}

void CInterface::drawNewGameNamePage(const std::string& name, Single cx, Single top) {
  say(cx + 150, top + 150, name + "[Y]*[y]", 1, 0.9f, 255, 255, 255);
}

void CInterface::newGameFinish() {
  // 5 first: a refused save keeps the wizard on this page with the notice, so "finish!" can be
  // tried again or "previous" leads to another slot; the intro starts only after a save.
  try {
    player().Save(curSlot, DateText() + " (auto)", playerShip, -1);
  } catch (const std::exception& e) {
    tellPlayer("new game not saved in slot " + std::to_string(curSlot + 1) + " (" + CPlayer::SlotFolder(curSlot) + ")",
               e.what(), "finish! tries again; previous leads to the other slots.");
    return;
  }
  // 1..4.
  Window = msIntro;
  StopAllSounds();
  startIntro();
  // Without its texts the show still runs (blank) and ends in flight.
  try {
    ReadIntroMsg();
  } catch (const std::exception& e) {
    addMessage(std::string("Error in Interface.ReadIntroMsg: ") + e.what(), true);
  }
  if (Music) Music->ForcePlay("gato.mp3", "");
  // 6.
  ReadSaveList();
}

void CInterface::drawNewGame(Integer page) {
  const Single cx = static_cast<Single>(ScreenWidth) / 2;
  const Single top = static_cast<Single>(ScreenHeight) / 2 - 200;
  drawNewGameFrame(page, cx, top);
  CPlayer& p = player();

  // The page's body; prev / next tell what its two buttons do (the ship page draws its own).
  bool pageButtons = true;
  switch (page) {
    case ngDifficulty:
      pageButtons = false;
      for (Integer i = 0; i < 5; ++i)
        if (drawButton(cx + 50, top + 100 + 50.0f * i, 200, getDifficultyName(i), false)) {
          Window = msNewShip;
          p.Difficulty = i;
        }
      break;
    case ngShip:
      pageButtons = false;
      drawNewGameShipPage(cx, top);
      break;
    case ngDriver: drawNewGameCrewPage(0, cx, top); break;
    case ngDriverName: drawNewGameNamePage(p.DriverName, cx, top); break;
    case ngGunner: drawNewGameCrewPage(1, cx, top); break;
    case ngGunnerName: drawNewGameNamePage(p.GunnerName, cx, top); break;
    case ngSaveSlot:
      drawGameManager(false, true);
      drawNewGamePageText(6, cx, top);
      break;
    case ngAllSet: drawNewGamePageText(5, cx, top); break;
    default: pageButtons = false; break;
  }

  if (pageButtons) {
    const bool last = page == ngAllSet;
    if (drawButton(cx + 20, top + 350, 100, "previous", false)) {
      switch (page) {
        case ngDriver: Window = msNewShip; break;
        case ngDriverName:
          Window = msNewDriver;
          LoadNewGameDriverPortraits();
          break;
        case ngGunner: Window = msNewDriverName; break;
        case ngGunnerName:
          Window = msNewGunner;
          LoadNewGameGunnerPortraits();
          break;
        case ngSaveSlot: Window = msNewGunnerName; break;
        case ngAllSet:
          ReadSaveList();
          Window = msNewSaveSlot;
          break;
        default: break;
      }
    }
    if (drawButton(cx + 180, top + 350, 100, last ? "finish!" : "next", false)) newGameNext();
  }
  MouseClicked = false;
}

void CInterface::newGameNext() {
  switch (Window) {
    case msNewDriver: Window = msNewDriverName; break;
    case msNewDriverName:
      Window = msNewGunner;
      LoadNewGameGunnerPortraits();
      break;
    case msNewGunner: Window = msNewGunnerName; break;
    case msNewGunnerName:
      Window = msNewSaveSlot;
      ReadSaveList();
      break;
    case msNewSaveSlot: Window = msNewAllSet; break;
    case msNewAllSet: newGameFinish(); break;
    default: break;
  }
}
