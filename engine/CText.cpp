#include "engine/CText.h"

#include <cctype>

#include "engine/BillMod.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "platform/D3DX.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::shared_ptr<CText> GameText;

CText& gameText() {
  if (!GameText) vbRaise(vberr::ObjectMissing);
  return *GameText;
}

namespace {
constexpr int CellWidth = 32, CellHeight = 36, CellsPerRow = 8;
constexpr Single SpaceAdvance = 6;     // pixels a drawn space moves the pen, at scale 1
constexpr Single HalfGlyph = 18;       // yLoc is the vertical centre of a 36-pixel glyph
constexpr Single ClickBoxHeight = 16;  // pixels below yLoc, whatever the scale
constexpr Single LineSpacing = 35;     // block lines, at scale 1
constexpr Single TickerMargin = 16;

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The texture of a cache handle, none when the handle or its file is missing.
std::shared_ptr<Direct3DTexture8> fontTexture(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

D3DXSprite& sprite() {
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  return *DxSprite;
}
}  // namespace

Integer CText::getCharCell(char c) {
  c = lower(c);
  if (c >= 'a' && c <= 'z') return static_cast<Integer>(c - 'a');
  if (c >= '0' && c <= '9') return static_cast<Integer>(26 + (c - '0'));
  switch (c) {
    case '!':
      return 36;
    case '@':
      return 37;
    case '#':
      return 38;
    case '$':
      return 39;
    case '%':
      return 40;
    case '/':
    case '\\':
      return 41;
    case '&':
      return 42;
    case '*':
      return 43;
    case '(':
      return 44;
    case ')':
      return 45;
    case '-':
      return 46;
    case '+':
      return 47;
    case '=':
      return 48;
    case ',':
      return 49;
    case '.':
      return 50;
    case ';':
      return 51;
    case ':':
      return 52;
    case '"':
      return 53;
    case '\'':
      return 54;
    case '?':
      return 55;
    default:
      return -1;
  }
}

Integer CText::getCharWidth(char c) {
  struct Group {
    const char* chars;
    Integer width;
  };
  static constexpr Group Widths[] = {
      {"#", 26},   {"@", 24},   {"w%", 23},     {"m", 22},      {"+=", 21},     {"av", 20},
      {"xy?", 19}, {"/\\", 18}, {"q3679&", 17}, {"pz028*", 16}, {"gknu45", 15}, {"bdhr", 14},
      {"jot", 13}, {"cf", 12},  {"l$-", 11},    {"es\"", 10},   {"1,", 9},      {"!()", 8},
      {" ", static_cast<Integer>(SpaceAdvance)}, {"i.;:", 5}, {"'", 4}, {"[]", 0},
  };
  c = lower(c);
  for (const Group& g : Widths)
    for (const char* p = g.chars; *p; ++p)
      if (*p == c) return g.width;
  return 28;
}

Integer CText::getTextWidth(const std::string& text) {
  Long sum = 0;
  for (char c : text) sum += getCharWidth(c);
  return CInt(sum);
}

RECT CText::cellRect(Integer cell) {
  const int32_t left = (cell % CellsPerRow) * CellWidth, top = (cell / CellsPerRow) * CellHeight;
  return RECT{left, top, left + CellWidth, top + CellHeight};
}

void CText::setColor(Integer Red, Integer Green, Integer Blue) {
  BaseRed = Red;
  BaseGreen = Green;
  BaseBlue = Blue;
}

void CText::setSize(Single size) {
  BaseSize = size;
}

void CText::ClearBlock() {
  for (std::string& line : BlockLines) line.clear();
}

const std::string& CText::getBlockLine(Integer i) const {
  vbCheckIndex(i, 0, BlockLineCount - 1);
  return BlockLines[static_cast<size_t>(i)];
}

Integer CText::getBlockSize() const {
  for (int i = BlockLineCount - 1; i > 0; --i)
    if (!BlockLines[static_cast<size_t>(i)].empty()) return static_cast<Integer>(i);
  return 0;
}

void CText::makeBlock(Single w, const std::string& strText) {
  ClearBlock();
  std::string rest = strText;
  int line = 0;
  long brk = 0, p = 0;
  Single W = 0;
  for (;;) {
    ++p;
    if (p > Len(rest) || line > BlockLineCount - 1) break;
    const char c = rest[static_cast<size_t>(p - 1)];
    if (c == ' ' || c == '-') brk = p;
    W += getCharWidth(c) * BaseSize;
    if (p < Len(rest) && rest[static_cast<size_t>(p)] == ']') W -= getCharWidth(c) * BaseSize;
    if (W > w) {
      // A word with no space or hyphen before it on this line is broken where it overflows (at
      // least one character per line, so the text always moves on).
      if (brk == 0) brk = p > 1 ? p - 1 : 1;
      BlockLines[static_cast<size_t>(line)] = Left(rest, brk);
      rest = Mid(rest, brk + 1);
      ++line;
      brk = 0;
      p = 0;
      W = 0;
    }
  }
  if (line <= BlockLineCount - 1) BlockLines[static_cast<size_t>(line)] = rest;
}

void CText::drawBlock(Single x, Single y, Long oJustify) {
  ColorCode = 0;
  for (int i = 0; i < BlockLineCount; ++i) {
    const std::string& line = BlockLines[static_cast<size_t>(i)];
    if (line.empty()) continue;
    drawText(x, y + i * LineSpacing * BaseSize, line, oJustify, false, true);
  }
}

Single CText::justifiedX(Single xLoc, Single W, Long Justify, long length) {
  if (length < 2) return xLoc;
  if (Justify == 1) return xLoc - static_cast<Single>(CLng(W) / 2);
  if (Justify == 2) return xLoc - W;
  return xLoc;
}

bool CText::clickTest(Single penX, Single yLoc, const std::string& text) const {
  const Integer T = getTextWidth(text);
  if (yLoc < PointerY && PointerY < yLoc + ClickBoxHeight && penX < PointerX && PointerX < penX + T &&
      MouseHeld) {
    MouseHeld = false;
    return true;
  }
  return false;
}

D3DCOLOR CText::baseColour() const {
  return D3DColorARGB(255, BaseRed, BaseGreen, BaseBlue);
}

void CText::applyCode(const std::string& code, D3DCOLOR& colour, Single& scale) {
  struct ColourCode {
    const char* on;
    const char* off;
    Integer number;
    D3DCOLOR colour;
  };
  static const ColourCode Colours[] = {
      {"[R]", "[r]", 1, D3DColorARGB(255, 255, 0, 0)},
      {"[G]", "[g]", 2, D3DColorARGB(255, 0, 255, 0)},
      {"[Y]", "[y]", 3, D3DColorARGB(255, 255, 255, 0)},
      {"[P]", "[p]", 4, D3DColorARGB(255, 255, 0, 255)},
  };
  for (const ColourCode& cc : Colours) {
    if (code == cc.on) {
      colour = cc.colour;
      ColorCode = cc.number;
      return;
    }
    if (code == cc.off) {
      if (ColorCode == cc.number) {
        colour = baseColour();
        ColorCode = 0;
      }
      return;
    }
  }
  if (code == "[+]") {
    scale = BaseSize * 1.2f;
    SizeCode = 1;
  } else if (code == "[=]") {
    if (SizeCode == 1) {
      scale = BaseSize;
      SizeCode = 0;
    }
  } else if (code == "[-]") {
    scale = BaseSize * 0.8f;
    SizeCode = -1;
  } else if (code == "[_]") {
    if (SizeCode == -1) {
      scale = BaseSize;
      SizeCode = 0;
    }
  }
}

bool CText::drawText(Single xLoc, Single yLoc, const std::string& strText, Long Justify, bool bClickCheck,
                     bool NoResetColor) {
  // 1.
  if (!NoResetColor) {
    ColorCode = 0;
    SizeCode = 0;
  }
  // 2. A complete code measures 0 (so does any character just before a "]").
  const long n = Len(strText);
  Single W = 0;
  for (long i = 0; i < n; ++i) {
    const Single cw = getCharWidth(strText[static_cast<size_t>(i)]) * BaseSize;
    W += cw;
    if (i + 1 < n && strText[static_cast<size_t>(i + 1)] == ']') W -= cw;
  }
  Single penX = justifiedX(xLoc, W, Justify, n);
  const bool clicked = bClickCheck && clickTest(penX, yLoc, strText);
  // 3.
  D3DXSprite& spr = sprite();
  checkHResult(spr.Begin());
  // 4.
  static const D3DCOLOR CodeColours[] = {0, D3DColorARGB(255, 255, 0, 0), D3DColorARGB(255, 0, 255, 0),
                                         D3DColorARGB(255, 255, 255, 0), D3DColorARGB(255, 255, 0, 255)};
  D3DCOLOR colour = ColorCode >= 1 && ColorCode <= 4 ? CodeColours[ColorCode] : baseColour();
  Single s = BaseSize;
  const std::shared_ptr<Direct3DTexture8> font = fontTexture(TexFontDDS);
  // 5. A failed draw still ends the batch, so later texts can begin theirs.
  try {
    for (long i = 1; i <= n;) {
      const char c = strText[static_cast<size_t>(i - 1)];
      if (c == ' ') {
        penX += SpaceAdvance * s;
        ++i;
      } else if (c == '[') {
        applyCode(Mid(strText, i, 3), colour, s);
        i += 3;
      } else {
        const Integer cell = getCharCell(c);
        if (cell != -1 && font) {
          const RECT src = cellRect(cell);
          checkHResult(spr.Draw(font, &src, D3DXVECTOR2{s, s}, D3DXVECTOR2{0, 0}, 0,
                                D3DXVECTOR2{penX, yLoc - HalfGlyph * s}, colour));
        }
        penX += getCharWidth(c) * s;
        if (lower(c) == 'a' && i < n && lower(strText[static_cast<size_t>(i)]) == 'v') penX -= 5 * s;
        ++i;
      }
    }
  } catch (...) {
    spr.End();
    throw;
  }
  // 6.
  checkHResult(spr.End());
  return clicked;
}

bool CText::BltText(Single xLoc, Single yLoc, const std::string& strText, Long Justify, bool bClickCheck) {
  const long n = Len(strText);
  Single W = 0;
  for (char c : strText) W += getCharWidth(c) * BaseSize;
  Single penX = justifiedX(xLoc, W, Justify, n);
  const bool clicked = bClickCheck && clickTest(penX, yLoc, strText);
  const std::shared_ptr<Direct3DTexture8> font = fontTexture(TexFont);
  for (char c : strText) {
    if (c == ' ') {
      penX += SpaceAdvance * BaseSize;
      continue;
    }
    const Integer cell = getCharCell(c);
    if (cell != -1 && font) {
      const RECT dst{CLng(penX), CLng(yLoc), CLng(penX + CellWidth * BaseSize),
                     CLng(yLoc + CellHeight * BaseSize)};
      Back3DCust(font, cellRect(cell), dst, BaseRed, BaseGreen, BaseBlue, vbTrue, 0);
    }
    penX += getCharWidth(c) * BaseSize;
  }
  return clicked;
}

void CText::drawTicker(const std::string& sTicker, Single xLoc, Single yLoc, Single pos, Single w) {
  D3DXSprite& spr = sprite();
  checkHResult(spr.Begin());
  Single penX = xLoc - pos;
  const D3DCOLOR colour = baseColour();
  const Single s = BaseSize;
  const std::shared_ptr<Direct3DTexture8> font = fontTexture(TexFontDDS);
  const size_t n = sTicker.size();
  try {
    for (size_t i = 0; i < n; ++i) {
      const char c = sTicker[i];
      if (c == ' ') {
        penX += SpaceAdvance * s;
        continue;
      }
      const Integer cell = getCharCell(c);
      if (xLoc - TickerMargin < penX && penX < xLoc + w + TickerMargin && cell != -1 && font) {
        const RECT src = cellRect(cell);
        checkHResult(spr.Draw(font, &src, D3DXVECTOR2{s, s}, D3DXVECTOR2{0, 0}, 0,
                              D3DXVECTOR2{penX, yLoc - HalfGlyph * s}, colour));
      }
      penX += getCharWidth(c) * s;
      if (lower(c) == 'a' && i + 1 < n) {
        const char next = lower(sTicker[i + 1]);
        if (next == 'v')
          penX -= 5 * s;
        else if (next == 'w' || next == 'y')
          penX -= 4 * s;
      }
    }
  } catch (...) {
    spr.End();
    throw;
  }
  checkHResult(spr.End());
}
