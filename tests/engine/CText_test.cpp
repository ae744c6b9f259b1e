// The bitmap-font writer on the recording device: glyph cells and widths, the colour and size
// codes, justification, the click box, word wrapping and the block, BltText and the ticker.
#include "engine/CText.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/BillMod.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "tests/support/MediaFixture.h"

namespace {
constexpr D3DCOLOR White = 0xFFFFFFFF, Red = 0xFFFF0000, Green = 0xFF00FF00, Grey = 0xFF646464;

class CTextTest : public MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    const std::vector<uint32_t> px(256 * 256, 0xFFFFFFFF);
    dir->write("\\gfx\\text.dds", encodeDds(256, 256, px));
    dir->write("\\gfx\\text.bmp", encodeBmp(256, 256, px));
    LoadFontTextures();
    text.setColor(100, 100, 100);
    clearCalls();
  }
  void TearDown() override {
    MouseHeld = false;
    PointerX = PointerY = 0;
    MediaFixture::TearDown();
  }
  std::vector<D3DCall> glyphs() const { return callsOf(D3DCallKind::SpriteDraw); }
  static float x(const D3DCall& g) { return g.matrix.m[3][0]; }
  static float y(const D3DCall& g) { return g.matrix.m[3][1]; }
  static float scale(const D3DCall& g) { return g.matrix.m[0][0]; }
  CText text;
};
}  // namespace

TEST(CTextTables, GlyphCellsAndWidths) {
  const std::string cells = "abcdefghijklmnopqrstuvwxyz0123456789!@#$%/&*()-+=,.;:\"'?";
  ASSERT_EQ(cells.size(), 56u);
  for (size_t i = 0; i < cells.size(); ++i) EXPECT_EQ(CText::getCharCell(cells[i]), Integer(i)) << cells[i];
  EXPECT_EQ(CText::getCharCell('Q'), CText::getCharCell('q'));
  EXPECT_EQ(CText::getCharCell('\\'), 41);
  for (char c : {' ', '_', '<', '[', ']', '~'}) EXPECT_EQ(CText::getCharCell(c), -1) << c;

  struct Group {
    const char* chars;
    Integer width;
  };
  for (Group g :
       {Group{"#", 26},      Group{"@", 24},    Group{"wW%", 23}, Group{"m", 22},      Group{"+=", 21},
        Group{"av", 20},     Group{"xy?", 19},  Group{"/\\", 18}, Group{"q3679&", 17}, Group{"pz028*", 16},
        Group{"gknu45", 15}, Group{"bdhr", 14}, Group{"jot", 13}, Group{"cf", 12},     Group{"l$-", 11},
        Group{"es\"", 10},   Group{"1,", 9},    Group{"!()", 8},  Group{"i.;:", 5},    Group{"'", 4},
        Group{" ", 6},       Group{"[]", 0},    Group{"_<~", 28}})
    for (const char* c = g.chars; *c; ++c) EXPECT_EQ(CText::getCharWidth(*c), g.width) << *c;
  EXPECT_EQ(CText::getTextWidth("[R]ab"), 14 + 20 + 14);  // codes count as characters ("R" as "r")
  const RECT r = CText::cellRect(9);
  EXPECT_EQ(r.left, 32);
  EXPECT_EQ(r.top, 36);
  EXPECT_EQ(r.right, 64);
  EXPECT_EQ(r.bottom, 72);
}

TEST_F(CTextTest, GlyphsAdvanceByWidthWithSpacesAndKerning) {
  text.setSize(0.5f);
  text.drawText(10, 100, "Ab _av", 0, false, false);
  const std::vector<D3DCall> g = glyphs();
  ASSERT_EQ(g.size(), 4u);       // a, b, a, v ("_" has no glyph)
  EXPECT_EQ(g[0].rect.left, 0);  // "A" draws the glyph of "a"
  EXPECT_EQ(g[1].rect.left, 32);
  EXPECT_FLOAT_EQ(x(g[0]), 10);
  EXPECT_FLOAT_EQ(y(g[0]), 100 - 9);
  EXPECT_FLOAT_EQ(scale(g[0]), 0.5f);
  EXPECT_FLOAT_EQ(x(g[1]), 10 + 10);
  // b (7), a drawn space (3), "_" (14 though not drawn)
  EXPECT_FLOAT_EQ(x(g[2]), 20 + 7 + 3 + 14);
  EXPECT_FLOAT_EQ(x(g[3]), 44 + 10 - 2.5f);  // "a" before "v" gives back 5 x scale
  EXPECT_EQ(g[0].color, Grey);
  EXPECT_EQ(countOf(D3DCallKind::SpriteBegin), 1);
  EXPECT_EQ(countOf(D3DCallKind::SpriteEnd), 1);
}

TEST_F(CTextTest, ColourCodesOpenAndCloseOnlyTheirOwnColour) {
  struct Case {
    const char* text;
    std::vector<D3DCOLOR> colours;
    Integer codeAfter;
  };
  for (const Case& c :
       {Case{"[R]ab[r]cd", {Red, Red, Grey, Grey}, 0}, Case{"[R]ab[g]cd", {Red, Red, Red, Red}, 1},
        Case{"[G]a[R]b[g]c[r]d", {Green, Red, Red, Grey}, 0}, Case{"a[x]b", {Grey, Grey}, 0},
        Case{"ab[R", {Grey, Grey}, 0}, Case{"ab[", {Grey, Grey}, 0}}) {
    SCOPED_TRACE(c.text);
    clearCalls();
    text.drawText(0, 50, c.text, 0, false, false);
    std::vector<D3DCOLOR> got;
    for (const D3DCall& g : glyphs()) got.push_back(g.color);
    EXPECT_EQ(got, c.colours);
    EXPECT_EQ(text.getColorCode(), c.codeAfter);
  }
  // A colour left open continues only when asked to.
  text.drawText(0, 50, "[Y]a", 0, false, false);
  clearCalls();
  text.drawText(0, 50, "b", 0, false, true);
  EXPECT_EQ(glyphs()[0].color, 0xFFFFFF00);
  clearCalls();
  text.drawText(0, 50, "b", 0, false, false);
  EXPECT_EQ(glyphs()[0].color, Grey);
}

TEST_F(CTextTest, SizeCodesScaleAroundTheSameCentreLine) {
  text.setSize(1.0f);
  text.drawText(0, 100, "a[+]b[=]c[-]d[=]e[_]f[_]g", 0, false, false);
  const std::vector<D3DCall> g = glyphs();
  ASSERT_EQ(g.size(), 7u);
  const float scales[] = {1, 1.2f, 1, 0.8f, 0.8f, 1, 1};  // "[=]" without "[+]" changes nothing
  for (size_t i = 0; i < g.size(); ++i) {
    EXPECT_FLOAT_EQ(scale(g[i]), scales[i]) << i;
    EXPECT_FLOAT_EQ(y(g[i]), 100 - 18 * scales[i]) << i;
  }
  EXPECT_FLOAT_EQ(x(g[1]), 20);
  EXPECT_FLOAT_EQ(x(g[2]), 20 + 14 * 1.2f);
  EXPECT_EQ(text.getSizeCode(), 0);
}

TEST_F(CTextTest, JustificationMeasuresWithoutCodes) {
  struct Case {
    const char* text;
    Long justify;
    float firstX;
  };
  // "ab" measures 34 at scale 1; "[R]ab[r]" too; one character is never moved. A space measures
  // the 6 it is drawn: "a b" spans 100 - 20 to 100 + 20.
  for (Case c :
       {Case{"ab", 0, 100}, Case{"ab", 1, 100 - 17}, Case{"ab", 2, 100 - 34}, Case{"ab", 7, 100},
        Case{"[R]ab[r]", 1, 100 - 17}, Case{"a", 1, 100}, Case{"a", 2, 100}, Case{"abc", 1, 100 - 23},
        Case{"a b", 1, 100 - 20}, Case{"a b", 2, 100 - 40}}) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.justify));
    clearCalls();
    text.drawText(100, 50, c.text, c.justify, false, false);
    EXPECT_FLOAT_EQ(x(glyphs()[0]), c.firstX);
  }
  // The measured width is rounded, then halved toward zero: 17 -> 8, 23 -> 11.
  text.setSize(0.5f);
  clearCalls();
  text.drawText(100, 50, "ab", 1, false, false);
  EXPECT_FLOAT_EQ(x(glyphs()[0]), 92);
  clearCalls();
  text.drawText(100, 50, "abc", 1, false, false);
  EXPECT_FLOAT_EQ(x(glyphs()[0]), 89);
}

TEST_F(CTextTest, ClickBoxEdgesAreExclusiveAndAPressIsConsumedOnce) {
  // "ab": box from x 100 to 134 (unscaled widths), y 50 to 66.
  struct Case {
    Single px, py;
    bool held, clicked;
  };
  for (Case c : {Case{101, 51, true, true}, Case{133.9f, 65.9f, true, true}, Case{100, 51, true, false},
                 Case{134, 51, true, false}, Case{101, 50, true, false}, Case{101, 66, true, false},
                 Case{110, 55, false, false}}) {
    SCOPED_TRACE(std::to_string(c.px) + "," + std::to_string(c.py));
    PointerX = c.px;
    PointerY = c.py;
    MouseHeld = c.held;
    EXPECT_EQ(text.drawText(100, 50, "ab", 0, true, false), c.clicked);
    EXPECT_EQ(MouseHeld, c.held && !c.clicked);
    EXPECT_FALSE(text.drawText(100, 50, "ab", 0, false, false));
  }
  PointerX = 110;
  PointerY = 55;
  MouseHeld = true;
  EXPECT_TRUE(text.drawText(100, 50, "ab", 0, true, false));
  EXPECT_FALSE(text.drawText(100, 50, "ab", 0, true, false));  // the second text sees no press
  MouseHeld = true;
  EXPECT_FALSE(text.drawText(100, 50, "", 0, true, false));
  EXPECT_TRUE(text.BltText(100, 50, "ab", 0, true));
}

TEST_F(CTextTest, BlocksBreakAfterSpacesAndHyphensAndNeverLoseText) {
  auto lines = [&] {
    std::vector<std::string> out;
    for (Integer i = 0; i < CText::BlockLineCount; ++i) out.push_back(text.getBlockLine(i));
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
  };
  text.setSize(1.0f);
  // "aaa " measures 66; the "a" that overflows 100 starts the next line with its word.
  text.makeBlock(100, "aaa aaa bb-bbbbb");
  EXPECT_EQ(lines(), (std::vector<std::string>{"aaa ", "aaa bb-", "bbbbb"}));
  EXPECT_EQ(text.getBlockSize(), 2);
  text.makeBlock(130, "[R]aaa[r] [G]aaa[g]");  // 126 wide: codes measure nothing
  EXPECT_EQ(lines(), (std::vector<std::string>{"[R]aaa[r] [G]aaa[g]"}));
  // A word wider than the line is broken where it overflows.
  text.makeBlock(100, "bbbbbbbbbbbbbbbb cc");
  EXPECT_EQ(lines(), (std::vector<std::string>{"bbbbbbb", "bbbbbbb", "bb cc"}));
  text.makeBlock(10, "ww");  // even a glyph wider than the line moves on
  EXPECT_EQ(lines(), (std::vector<std::string>{"w", "w"}));
  // Only 20 lines are kept.
  std::string many;
  for (int i = 0; i < 25; ++i) many += "aaaa ";
  text.makeBlock(90, many);
  EXPECT_EQ(lines().size(), 20u);
  EXPECT_EQ(text.getBlockLine(19), "aaaa ");
  text.ClearBlock();
  EXPECT_EQ(text.getBlockSize(), 0);
}

TEST_F(CTextTest, ABlockCarriesItsColourFromLineToLine) {
  text.setSize(0.5f);
  text.makeBlock(60, "[R]aaa aaa[r] aaa");
  ASSERT_EQ(text.getBlockSize(), 2);
  text.drawBlock(10, 100, 0);
  const std::vector<D3DCall> g = glyphs();
  ASSERT_EQ(g.size(), 9u);
  EXPECT_EQ(g[3].color, Red);                     // line 1 continues red
  EXPECT_EQ(g[6].color, Grey);                    // closed on line 1
  EXPECT_FLOAT_EQ(y(g[3]), 100 + 35 * 0.5f - 9);  // lines 35 x size apart
  EXPECT_FLOAT_EQ(y(g[6]), 100 + 2 * 35 * 0.5f - 9);
}

TEST_F(CTextTest, BltTextDrawsAdditiveQuadsFromTheTopEdge) {
  text.setSize(0.75f);
  text.BltText(10.4f, 20, "a [R]", 0, false);
  const std::vector<D3DCall> quads = callsOf(D3DCallKind::DrawPrimitiveUP);
  ASSERT_EQ(quads.size(), 2u);  // "a" and "r": codes are plain characters here, "[" and "]" have no glyph
  ScreenVertex v[4];
  std::memcpy(v, quads[0].bytes.data(), sizeof v);
  EXPECT_EQ(v[1].x, 10);  // round(10.4)
  EXPECT_EQ(v[1].y, 20);
  EXPECT_EQ(v[2].x, 34);  // round(10.4 + 24)
  EXPECT_EQ(v[2].y, 47);  // round(20 + 27)
  EXPECT_EQ(v[0].color, Grey);
  std::memcpy(v, quads[1].bytes.data(), sizeof v);
  EXPECT_EQ(v[1].x, 30);           // round(10.4 + 15 (a) + 4.5 (space) + 0 ("["))
  EXPECT_EQ(v[1].u, 32 / 256.0f);  // the glyph of "r", cell 17
}

TEST_F(CTextTest, TickerDrawsOnlyInsideItsWindow) {
  text.setSize(1.0f);
  // Pens: a 10, b 30, c 44, d 56, e 70 (with pos 40 from xLoc 50); window (34, 116).
  text.drawTicker("abcde", 50, 80, 40, 50);
  std::vector<float> xs;
  for (const D3DCall& g : glyphs()) xs.push_back(x(g));
  EXPECT_EQ(xs, (std::vector<float>{44, 56, 70}));
  clearCalls();
  text.drawTicker("awayv", 0, 80, 0, 500);  // a before w or y gives back 4, before v 5
  xs.clear();
  for (const D3DCall& g : glyphs()) xs.push_back(x(g));
  EXPECT_EQ(xs, (std::vector<float>{0, 16, 39, 55, 74}));
}

TEST_F(CTextTest, AMissingFontDrawsNoGlyphsButRaisesNothing) {
  TexFontDDS = TexMon->getTextureNumber("nofont.dds");
  TexFont = TexFontDDS;
  clearCalls();
  EXPECT_NO_THROW(text.drawText(0, 0, "abc", 0, false, false));
  EXPECT_NO_THROW(text.BltText(0, 0, "abc", 0, false));
  EXPECT_EQ(countOf(D3DCallKind::SpriteDraw), 0);
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitiveUP), 0);
}

TEST_F(CTextTest, MessageLogDrawsItsLinesOldestOnTop) {
  addMessage("one", true);
  addMessage("two", true);
  FrameTime = 0.1;
  clearCalls();
  DrawMessages();
  const std::vector<D3DCall> g = glyphs();
  ASSERT_EQ(g.size(), 6u);
  EXPECT_FLOAT_EQ(y(g[0]), 24 - 18 * 0.36f);  // "two", the newest, lowest
  EXPECT_FLOAT_EQ(y(g[3]), 12 - 18 * 0.36f);  // "one"
  EXPECT_FLOAT_EQ(x(g[0]), 5);
  EXPECT_FLOAT_EQ(scale(g[0]), 0.36f);
  EXPECT_EQ(g[0].color, White);
  MsgCount = 0;
  FrameTime = 0;
}
