// CText: the bitmap-font text writer (one instance, GameText). Every text of the game is drawn
// glyph by glyph from a 256 x 256 font texture of 32 x 36 cells (8 per row, 7 rows, cell n at
// ((n mod 8) x 32, (n div 8) x 36)): drawText and drawTicker through the sprite object DxSprite
// with "text.dds" (TexFontDDS, alpha-blended), BltText through Back3DCust with "text.bmp"
// (TexFont, additive). Upper and lower case share a glyph.
//
// In-text codes (drawText and drawBlock): "[R]" "[G]" "[Y]" "[P]" turn red, green, yellow, purple
// on; "[r]" "[g]" "[y]" "[p]" return to the base colour when that colour is on; "[+]" / "[-]"
// scale by 1.2 / 0.8; "[=]" / "[_]" end them. A "[" always consumes three characters and is never
// drawn. The code state persists between calls (NoResetColor True continues it).
//
// Screen units are pixels of the back buffer. Justify: 0 starts at x, 1 centres on x, 2 ends at
// x; a text shorter than two characters always starts at x. A clickable text reports a press of
// the virtual pointer (PointerX, PointerY, MouseHeld) strictly inside the box from (pen x, y) to
// (pen x + getTextWidth, y + 16) and consumes it (MouseHeld := False). Called from the render part
// of the main loop and the loading screen only.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/Types.h"
#include "runtime/Numbers.h"

class CText {
 public:
  static constexpr int BlockLineCount = 20;

  void setColor(Integer Red, Integer Green, Integer Blue);  // the base colour (not clamped)
  void setSize(Single size);                                // the base scale (1.0: 32 x 36 pixel cells)
  void ClearBlock();
  // Word-wraps strText into the block at lines of w pixels (measured at the base size, codes
  // measuring 0, a space 6 as drawn). A line ends after its last space or hyphen; a word wider than a line
  // is broken where it overflows. Text beyond 20 lines is dropped.
  void makeBlock(Single w, const std::string& strText);
  Integer getBlockSize() const;  // highest index of a non-empty block line, 0 when all are empty
  const std::string& getBlockLine(Integer i) const;  // line i of the block (0..19)
  // Every non-empty block line i at y + i x 35 x BaseSize, the colour code reset first and then
  // carried from line to line.
  void drawBlock(Single x, Single y, Long oJustify);
  // One text centred vertically on yLoc, with its codes. True when clicked (see above). Raises
  // the sprite object's failures; draws no glyph while the font texture is missing.
  bool drawText(Single xLoc, Single yLoc, const std::string& strText, Long Justify, bool bClickCheck,
                bool NoResetColor);
  // One text from its top edge yLoc, without codes, additively in the base colour.
  bool BltText(Single xLoc, Single yLoc, const std::string& strText, Long Justify, bool bClickCheck);
  // strText shifted left by pos pixels, only glyphs whose pen lies strictly inside
  // (xLoc - 16, xLoc + w + 16); no codes.
  void drawTicker(const std::string& sTicker, Single xLoc, Single yLoc, Single pos, Single w);

  // Glyph cell 0..55 of a character (after lower-casing), -1 for none.
  static Integer getCharCell(char c);
  // Advance width in pixels at scale 1.0 (after lower-casing); 28 for characters not listed. A
  // space measures the 6 pixels a drawn space advances, so measured and drawn texts agree.
  static Integer getCharWidth(char c);
  // The sum of the table widths of the text, unscaled (codes counted as characters).
  static Integer getTextWidth(const std::string& text);
  // The source rectangle of a cell in the font texture.
  static RECT cellRect(Integer cell);

  // Code state (for the screens that continue a colour, and for tests).
  Integer getColorCode() const { return ColorCode; }
  Integer getSizeCode() const { return SizeCode; }

 private:
  // Left edge of a justified text whose measured width is W.
  static Single justifiedX(Single xLoc, Single W, Long Justify, long length);
  bool clickTest(Single penX, Single yLoc, const std::string& text) const;
  // Applies the three-character code; colour and scale follow.
  void applyCode(const std::string& code, D3DCOLOR& colour, Single& scale);
  D3DCOLOR baseColour() const;

  Integer BaseRed = 255, BaseGreen = 255, BaseBlue = 255;
  Single BaseSize = 1.0f;
  std::array<std::string, BlockLineCount> BlockLines;
  Integer ColorCode = 0;  // 0 base, 1 red, 2 green, 3 yellow, 4 purple
  Integer SizeCode = 0;   // 0 base, 1 enlarged, -1 reduced
};

extern std::shared_ptr<CText> GameText;
// The shared text writer; raises Object variable not set (91) while there is none.
CText& gameText();
