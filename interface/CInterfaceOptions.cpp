// CInterface options screens (msOptions and the pages msOptInput, msOptGraphics, msOptSound,
// msOptExtra): every change goes at once into the player record Player, the option globals or the
// players; "save" writes the two options files, "cancel" only leaves.
#include <algorithm>
#include <string>

#include "audio/CMusic.h"
#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

using interface_helpers::player;
using interface_helpers::centred;

namespace {
struct BindingRow {
  const char* caption;
  Long action;  // KeyAction
};
// Two columns of nine rows, 25 pixels apart from cy - 50.
constexpr BindingRow LeftColumn[] = {{"thrust:", 0},     {"brake:", 1},      {"trick left:", 2},
                                     {"trick right:", 3}, {"look up:", 14},   {"look down:", 15},
                                     {"look left:", 12},  {"look right:", 13}, {"talk:", 17}};
constexpr BindingRow RightColumn[] = {{"prev target:", 4}, {"next target:", 5},   {"prev weapon:", 6},
                                      {"next weapon:", 7}, {"attack:", 10},       {"secondary:", 11},
                                      {"action/hyper:", 8}, {"warp menu:", 9},    {"status/pause:", 16}};

constexpr const char* CheatNames[] = {"god mode", "infinite ammo", "infinite cash", "slo mo mode"};

// Volume step of 5 within 0..100.
Double stepVolume(Double v, Integer dir) { return std::clamp(v + 5.0 * dir, 0.0, 100.0); }

}  // namespace

void CInterface::drawOptions() {
  const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
  // The frame is 690 pixels wide with its rim; on a narrower screen (640) its sides, the page
  // buttons and the page panel's edges move in by what is missing, keeping 5 pixels of margin.
  const Single inset = std::max(0.0f, (700 - static_cast<Single>(ScreenWidth)) / 2);
  const Single bx = cx - 330 + inset;  // left edge of the page buttons
  const Long page = Window;
  drawPanel(cx - 340 + inset, cy - 180, cx + 340 - inset, cy + 180);
  centred(cx, cy - 170, "options", 0.7f, 255, 255, 255);
  drawPanel(cx - 220 + inset, cy - 140, cx + 330 - inset, cy + 170);
  switch (page) {
    case msOptInput: drawOptionsInput(cx, cy); break;
    case msOptGraphics: drawOptionsGraphics(cx, cy); break;
    case msOptSound: drawOptionsSound(cx, cy); break;
    case msOptExtra: drawOptionsExtra(cx, cy); break;
    default: centred(cx + 50, cy, "select an option", 0.5f, 200, 200, 200); break;
  }
  if (drawButton(bx, cy - 120, 120, "input", page == msOptInput)) {
    Window = msOptInput;
    keyRemapping = -1;
  }
  if (drawButton(bx, cy - 80, 120, "graphics", page == msOptGraphics)) Window = msOptGraphics;
  if (drawButton(bx, cy - 40, 120, "sound", page == msOptSound)) Window = msOptSound;
  if (drawButton(bx, cy, 120, "extra", page == msOptExtra)) Window = msOptExtra;
  if (drawButton(bx, cy + 100, 120, "cancel", false)) Window = msMainMenu;
  if (drawButton(bx, cy + 140, 120, "save", false)) {
    // Both files written, or a notice naming the one refused: the screen then stays open on the
    // values chosen (still in use), so "save" can be tried again.
    const char* const again = "the changes are in use but not stored; save to try again.";
    try {
      player().WriteOptions();
      try {
        player().WriteCheats();
        Window = msMainMenu;
      } catch (const std::exception& e) {
        tellPlayer("cheat settings not saved", e.what(), std::string("the other options were saved; ") + again);
      }
    } catch (const std::exception& e) {
      tellPlayer("options not saved", e.what(), again);
    }
  }
  // A binding row waits only on its own page: leaving it (another page, "cancel", "save") ends
  // the wait, so no later key is bound unseen.
  if (Window != msOptInput) keyRemapping = -1;
  MouseClicked = false;
}

void CInterface::drawOptionsInput(Single cx, Single cy) {
  centred(cx + 50, cy - 120, "input:", 1.0f, 255, 255, 0);
  for (int i = 0; i < 9; ++i) {
    const Single y = cy - 50 + 25 * i;
    drawKeyBinding(cx - 150, y, LeftColumn[i].caption, LeftColumn[i].action);
    drawKeyBinding(cx + 100, y, RightColumn[i].caption, RightColumn[i].action);
  }
}

void CInterface::drawOptionsGraphics(Single cx, Single cy) {
  centred(cx + 50, cy - 120, "graphics:", 1.0f, 255, 255, 0);
  CPlayer& p = player();
  static constexpr const char* Modes[] = {"640 x 480", "800 x 600", "1024 x 768", "1280 x 1024"};
  for (Long v = 0; v < 4; ++v) {
    // The marked row's click only unmarks its own row; the value changes on a click elsewhere.
    if (drawRadioRow(cx - 111, cy - 60 + 40 * v, 100, Modes[v], p.vRes == v) && p.vRes != v) p.vRes = v;
  }
  p.vFullScreen = drawCheckRow(cx + 80, cy - 30, 100, "fullscreen", p.vFullScreen);
  p.vWideScreen = drawCheckRow(cx + 80, cy + 30, 100, "widescreen", p.vWideScreen);
  centred(cx + 50, cy + 160, "changes will take effect when you restart quorvex", 0.5f, 200, 200, 200);
}

void CInterface::drawOptionsSound(Single cx, Single cy) {
  centred(cx + 50, cy - 120, "sound:", 1.0f, 255, 255, 0);
  CPlayer& p = player();
  p.bSound = drawCheckRow(cx, cy - 60, 100, "sound on", p.bSound);
  centred(cx + 50, cy, "volume: " + CStr(p.soundVolume), 0.5f, 200, 200, 200);
  for (Integer dir : {-1, 1}) {
    if (drawHighlight(dir < 0 ? cx - 100 : cx + 200, cy, dir < 0 ? 2 : 3)) {
      p.soundVolume = stepVolume(p.soundVolume, dir);
      setSoundVolume();
      PlaySound(SndBeep);
    }
  }
  p.bMusic = drawCheckRow(cx, cy + 40, 100, "music on", p.bMusic);
  if (Music && p.bMusic == Music->Mute) {
    // Music switched on while muted, or off while playing.
    if (p.bMusic) {
      Music->Mute = false;
      Music->LoadTheme(0);
    } else {
      Music->Mute = true;
      Music->StopTrack();
    }
  }
  centred(cx + 50, cy + 100, "volume: " + CStr(p.musicVolume), 0.5f, 200, 200, 200);
  for (Integer dir : {-1, 1}) {
    if (drawHighlight(dir < 0 ? cx - 100 : cx + 200, cy + 100, dir < 0 ? 2 : 3)) {
      p.musicVolume = stepVolume(p.musicVolume, dir);
      if (Music) Music->ForceVolumeUpdate();
    }
  }
}

void CInterface::drawOptionsExtra(Single cx, Single cy) {
  centred(cx + 50, cy - 120, "extra:", 1.0f, 255, 255, 0);
  centred(cx - 77, cy - 65, "cheats", 0.75f, 255, 255, 255);
  gameText().setSize(0.5f);
  CPlayer& p = player();
  for (Long i = 0; i < 4; ++i) {
    const Integer flag = p.getHasCheat(i);
    const Single y = cy - 40 + 40 * i;
    if (flag == 0) {
      drawButton(cx - 150, y, 150, "cheat locked", true);
    } else if (drawButton(cx - 150, y, 150, std::string(CheatNames[i]) + (flag == 2 ? ": on" : ": off"), false)) {
      p.setHasCheat(i, flag == 2 ? 1 : 2);
    }
  }
  if (ClassicView) {
    drawCheckRow(cx + 110, cy - 40, 100, "classic view", true);
    if (drawCheckRow(cx + 110, cy, 100, "arcade view", false)) ClassicView = false;
    FollowMouse = drawCheckRow(cx + 110, cy + 80, 100, "follow mouse", FollowMouse);
  } else {
    if (drawCheckRow(cx + 110, cy - 40, 100, "classic view", false)) ClassicView = true;
    drawCheckRow(cx + 110, cy, 100, "arcade view", true);
  }
}

void CInterface::Remap(Integer keyCode) {
  if (keyRemapping < 0) return;
  player().setCharKey(keyRemapping, keyCode);
  keyRemapping = -1;
}
