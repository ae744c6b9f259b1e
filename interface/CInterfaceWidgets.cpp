// CInterface drawing primitives and menu widgets: rounded nine-slice panels, the centred dialog
// panel, push buttons, arrow buttons, option rows, key-binding rows and the title logo. All draw
// through DxSprite in one Begin/End batch per call; a texture handle whose file failed to load
// draws nothing (the widget still answers clicks).
#include <string>

#include "audio/CJoyControl.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "runtime/VbError.h"

namespace {

D3DXSprite& sprite() {
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  return *DxSprite;
}


// The texture of a cache handle; none when the handle is outside the cache or its file failed.
std::shared_ptr<Direct3DTexture8> textureOf(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

D3DCOLOR rgb(Integer r, Integer g, Integer b) { return D3DColorARGB(255, r, g, b); }

// One sprite draw inside an open batch: source rectangle, scaling (sx, sy), top-left (x, y).
void blit(const std::shared_ptr<Direct3DTexture8>& tex, const RECT& src, Single sx, Single sy, Single x, Single y,
          D3DCOLOR colour) {
  if (!tex) return;
  checkHResult(sprite().Draw(tex, &src, D3DXVECTOR2{sx, sy}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y}, colour));
}

// Runs draws between Begin and End; End also follows a failed draw so later batches can begin.
template <class F>
void batch(F&& draws) {
  D3DXSprite& spr = sprite();
  checkHResult(spr.Begin());
  try {
    draws();
  } catch (...) {
    spr.End();
    throw;
  }
  checkHResult(spr.End());
}

// The nine slices of a rounded panel texture over the outer box (L, T)..(R, B), widened to at
// least 42 x 42 pixels.
void nineSlice(Integer handle, Single L, Single T, Single R, Single B, D3DCOLOR colour) {
  if (R < L + 42) R = L + 42;
  if (B < T + 42) B = T + 42;
  const auto tex = textureOf(handle);
  batch([&] {
    blit(tex, RECT{0, 0, 21, 21}, 1, 1, L, T, colour);
    blit(tex, RECT{42, 0, 63, 21}, 1, 1, R - 21, T, colour);
    blit(tex, RECT{0, 42, 21, 63}, 1, 1, L, B - 21, colour);
    blit(tex, RECT{42, 42, 63, 63}, 1, 1, R - 21, B - 21, colour);
    const Single w = R - L - 42, h = B - T - 42;
    if (w > 0) {
      blit(tex, RECT{32, 0, 33, 21}, w, 1, L + 21, T, colour);
      blit(tex, RECT{32, 42, 33, 63}, w, 1, L + 21, B - 21, colour);
    }
    if (h > 0) {
      blit(tex, RECT{0, 32, 21, 33}, 1, h, L, T + 21, colour);
      blit(tex, RECT{42, 32, 63, 33}, 1, h, R - 21, T + 21, colour);
    }
    if (w > 0 && h > 0) blit(tex, RECT{32, 32, 33, 33}, w, h, L + 21, T + 21, colour);
  });
}

}  // namespace

// ---- primitives ----

void CInterface::drawPanel(Single x1, Single y1, Single x2, Single y2) {
  nineSlice(TexRounded, x1 - 5, y1 - 5, x2 + 5, y2 + 5, rgb(255, 255, 255));
}

void CInterface::drawPanelEx(Single x1, Single y1, Single x2, Single y2, Integer r, Integer g, Integer b) {
  nineSlice(TexRoundedL, x1 - 5, y1 - 5, x2 + 5, y2 + 5, rgb(r, g, b));
}

D3DXVECTOR2 CInterface::rectToScreen(Single w, Single h, Single shiftX) {
  const D3DXVECTOR2 corner{(static_cast<Single>(ScreenWidth) - w) / 2 + shiftX,
                           (static_cast<Single>(ScreenHeight) - h) / 2};
  drawPanel(corner.x, corner.y, corner.x + w, corner.y + h);
  return corner;
}

bool CInterface::drawButton(Single x, Single y, Single w, const std::string& caption, bool disabled) {
  const Single L = x - 5, R = x + w + 5, T = y - 15, B = y + 35;
  const bool hover = PointerX > L + 8 && PointerX < R - 8 && PointerY > T + 8 && PointerY < B - 8;
  D3DCOLOR tint, capColour;
  Single capSize;
  if (disabled) {
    tint = rgb(100, 100, 100);
    capColour = tint;
    capSize = 0.6f;
  } else if (!hover) {
    tint = rgb(100, 100, 255);
    capColour = rgb(200, 200, 255);
    capSize = 0.6f;
  } else if (!MouseHeld) {
    tint = rgb(160, 160, 255);
    capColour = rgb(255, 255, 255);
    capSize = 0.7f;
  } else {
    tint = rgb(160, 160, 200);
    capColour = rgb(120, 120, 200);
    capSize = 0.65f;
  }
  nineSlice(TexRoundedW, L, T, R, B, tint);
  bool clicked = false;
  if (!disabled && hover && MouseClicked) {
    clicked = true;
    MouseClicked = false;
  }
  CText& t = gameText();
  t.setSize(capSize);
  t.setColor(static_cast<Integer>((capColour >> 16) & 0xFF), static_cast<Integer>((capColour >> 8) & 0xFF),
             static_cast<Integer>(capColour & 0xFF));
  t.drawText(x + w / 2, y + 12, caption, 1, false, false);
  return clicked;
}

bool CInterface::drawHighlight(Single x, Single y, Integer cell) {
  // Cells 0 up, 1 down, 2 left, 3 right; any other number keeps the corner srcRect holds.
  static constexpr Long CellLeft[4] = {0, 0, 32, 32}, CellTop[4] = {0, 32, 32, 0};
  if (cell >= 0 && cell <= 3) {
    srcRect.left = CellLeft[cell];
    srcRect.top = CellTop[cell];
  }
  srcRect.right = srcRect.left + 32;
  srcRect.bottom = srcRect.top + 32;
  const bool hover = PointerX > x - 16 && PointerX < x + 16 && PointerY > y - 16 && PointerY < y + 16;
  D3DCOLOR tint = rgb(255, 255, 255);
  Single s = 1.0f;
  bool clicked = false;
  if (hover && !MouseHeld) {
    tint = rgb(200, 200, 255);
    s = 1.2f;
    if (MouseClicked) {
      clicked = true;
      MouseClicked = false;
    }
  } else if (hover) {
    tint = rgb(120, 120, 120);
  }
  const RECT src{srcRect.left, srcRect.top, srcRect.right, srcRect.bottom};
  const auto tex = textureOf(TexArrows);
  batch([&] { blit(tex, src, s, s, x - 16 * s, y - 16 * s, tint); });
  return clicked;
}

// ---- menu widgets ----

namespace {
// The readable name of a key code whose character is not its label (arrows, Space, keypad,
// function and sign keys); null for the letters and digits, which show as themselves, and for
// codes no key sends.
const char* keyName(Integer code) {
  static constexpr struct {
    Integer code;
    const char* name;
  } Names[] = {{8, "Backspace"},  {9, "Tab"},         {13, "Enter"},      {16, "Shift"},      {17, "Ctrl"},
               {18, "Alt"},        {19, "Pause"},      {20, "Caps Lock"},  {27, "Esc"},        {32, "Space"},
               {33, "Page Up"},    {34, "Page Down"},  {35, "End"},        {36, "Home"},       {37, "Left"},
               {38, "Up"},         {39, "Right"},      {40, "Down"},       {44, "Print Scr"},  {45, "Insert"},
               {46, "Delete"},     {91, "Left Win"},   {92, "Right Win"},  {93, "Menu"},       {106, "Num *"},
               {107, "Num +"},     {109, "Num -"},     {110, "Num ."},     {111, "Num /"},     {144, "Num Lock"},
               {145, "Scroll Lock"}, {186, ";"},       {187, "="},         {188, ","},         {189, "-"},
               {190, "."},         {191, "/"},         {192, "Backquote"}, {219, "L Bracket"}, {220, "Backslash"},
               {221, "R Bracket"}, {222, "'"}};
  for (const auto& n : Names)
    if (n.code == code) return n.name;
  return nullptr;
}
}  // namespace

std::string CInterface::keyBindingText(Integer code) {
  if (code >= 1000) return CJoyControl::joyToString(code);
  std::string s;
  if (const char* name = keyName(code)) {
    s = name;
  } else if (code >= 96 && code <= 105) {
    s = "Num " + std::to_string(code - 96);
  } else if (code >= 112 && code <= 135) {
    s = "F" + std::to_string(code - 111);
  } else if (code >= 33 && code <= 126 && code != '[') {
    s += static_cast<char>(code);  // letters, digits, and the signs of codes no key sends
  }
  return s + "(" + std::to_string(code) + ")";
}

bool CInterface::drawRadioRow(Single x, Single y, Single w, const std::string& caption, bool marked) {
  return drawOptionRow(x, y, w, caption, marked, true);
}

bool CInterface::drawCheckRow(Single x, Single y, Single w, const std::string& caption, bool marked) {
  return drawOptionRow(x, y, w, caption, marked, false);
}

bool CInterface::drawOptionRow(Single x, Single y, Single w, const std::string& caption, bool marked, bool radio) {
  bool result = marked;
  const bool hover = PointerX > x && PointerX < x + w && PointerY > y && PointerY < y + 32;
  D3DCOLOR boxTint = rgb(200, 200, 200);
  if (hover && !MouseHeld) {
    boxTint = rgb(200, 200, 255);
    if (MouseClicked) result = true;
  } else if (hover) {
    boxTint = rgb(150, 150, 150);
  }
  const Long boxLeft = radio ? 64 : 0, markLeft = radio ? 96 : 32;
  const auto tex = textureOf(TexIconsW);
  batch([&] {
    srcRect = SrcRect{boxLeft, 32, boxLeft + 32, 64};
    blit(tex, RECT{srcRect.left, srcRect.top, srcRect.right, srcRect.bottom}, 1, 1, x, y, boxTint);
    if (marked) {
      srcRect = SrcRect{markLeft, 32, markLeft + 32, 64};
      blit(tex, RECT{srcRect.left, srcRect.top, srcRect.right, srcRect.bottom}, 1, 1, x, y, rgb(200, 200, 200));
    }
  });
  if (marked && hover && MouseClicked) result = false;
  CText& t = gameText();
  t.setSize(0.6f);
  if (hover) t.setColor(200, 200, 255);
  else t.setColor(200, 200, 200);
  t.drawText(x + 32, y + 16, caption, 0, false, false);
  return result;
}

bool CInterface::drawKeyBinding(Single x, Single y, const std::string& caption, Long action) {
  if (!Player) vbRaise(vberr::ObjectMissing);
  const std::string binding = keyBindingText(Player->getCharKey(action));
  const bool waits = keyRemapping == action;
  const bool otherWaits = keyRemapping >= 0 && !waits;
  CText& t = gameText();
  t.setSize(0.5f);
  if (otherWaits) t.setColor(100, 100, 0);
  else t.setColor(255, 255, 0);
  t.drawText(x, y, caption, 0, false, false);
  bool clicked = false;
  if (waits) {
    t.setColor(200, 200, 255);
  } else if (otherWaits) {
    t.setColor(50, 50, 50);
  } else {
    const bool hover = PointerX > x && PointerX < x + 225 && PointerY > y - 12 && PointerY < y + 12;
    if (!hover) t.setColor(200, 200, 200);
    else if (MouseHeld) t.setColor(150, 150, 150);
    else t.setColor(255, 255, 255);
    if (hover && MouseClicked) {
      keyRemapping = action;
      clicked = true;
    }
  }
  t.setSize(0.5f);
  t.drawText(x + 125, y, binding, 0, false, false);
  return clicked;
}

void CInterface::drawMenuIcon(Single x, Single y, Single scale) {
  const RECT src{0, 0, 256, 256};
  const auto left = textureOf(NinjaStarTex[0]), right = textureOf(NinjaStarTex[1]);
  const D3DCOLOR white = rgb(255, 255, 255);
  batch([&] {
    blit(left, src, scale, scale, x - 256 * scale, y - 128 * scale, white);
    blit(right, src, scale, scale, x, y - 128 * scale, white);
  });
}
