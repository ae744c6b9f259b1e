// Pictures whose pixels the code reads in fixed places: the bitmap font's cells and widths,
// the icon sheet's white texel, the grey shades, the news frame's clear window, the target
// bracket's corners and the seamless galaxy tiles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "MediaReaders.h"

using namespace content;

namespace {

Picture load(const std::string& rel) {
  Picture p;
  std::string bytes = readFile(gamePath(rel));
  std::string e = rel.substr(rel.size() - 3) == "dds" ? parseDds(bytes, p) : parseBmp(bytes, p);
  EXPECT_EQ(e, "") << rel;
  return p;
}

const char kCells[] = "abcdefghijklmnopqrstuvwxyz0123456789!@#$%/&*()-+=,.;:\"'?";

int advance(char c) {
  const std::string groups[] = {"#", "@", "w%", "m", "+=", "av", "xy?", "/", "q3679&", "pz028*", "gknu45", "bdhr",
                                "jot", "cf", "l$-", "es\"", "1,", "!()", "i.;:", "'"};
  const int widths[] = {26, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 5, 4};
  for (int g = 0; g < 20; ++g)
    if (groups[g].find(c) != std::string::npos) return widths[g];
  return 28;
}

}  // namespace

TEST(PictureLayout, FontGlyphsFillTheirCellsWithinTheirAdvanceWidths) {
  Picture dds = load("gfx/text.dds"), bmp = load("gfx/text.bmp");
  ASSERT_EQ(dds.width, 256);
  ASSERT_EQ(bmp.width, 256);
  for (int cell = 0; cell < 56; ++cell) {
    int left = (cell % 8) * 32, top = (cell / 8) * 36, inkRight = -1, inkTop = 99, inkBottom = -1;
    for (int y = 0; y < 36; ++y)
      for (int x = 0; x < 32; ++x) {
        const auto& a = dds.at(left + x, top + y);
        const auto& b = bmp.at(left + x, top + y);
        EXPECT_NEAR(a[3], b[0], 1) << "alpha of text.dds and brightness of text.bmp differ in cell " << cell;
        if (a[3] > 40) {
          inkRight = std::max(inkRight, x);
          inkTop = std::min(inkTop, y);
          inkBottom = std::max(inkBottom, y);
        }
      }
    char c = kCells[cell];
    ASSERT_GE(inkRight, 0) << "empty glyph '" << c << "'";
    EXPECT_LT(inkRight, advance(c)) << "glyph '" << c << "' overruns its advance width";
    if (std::string("abcdefghijklmnopqrstuvwxyz0123456789").find(c) != std::string::npos) {
      EXPECT_NEAR((inkTop + inkBottom) / 2.0, 18, 3) << "glyph '" << c << "' is not centred on the text line";
      EXPECT_GE(inkBottom - inkTop, 16) << "glyph '" << c << "' too small to read";
    }
  }
  for (int y = 252; y < 256; ++y)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(dds.at(x, y)[3], 0) << "the rows below the grid must be empty";
}

TEST(PictureLayout, SheetsHoldWhatTheInterfaceReadsInPlace) {
  Picture icons = load("gfx/icons_w.dds");
  EXPECT_EQ(icons.at(128, 192), (std::array<uint8_t, 4>{255, 255, 255, 255})) << "combo bar texel";
  for (int u = 0; u < 256; u += 32) {   // every service icon cell on the top row has a picture
    int ink = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) ink += icons.at(u + x, y)[3] > 128;
    EXPECT_GT(ink, 40) << "service icon at u = " << u;
  }
  // Shades: black, alpha falling from opaque (darkest) to clear (lightest); texel (0, 0) used.
  int prev = 256;
  for (int i = 1; i <= 15; ++i) {
    Picture s = load("gfx/shadesofgray/fade" + std::to_string(i) + ".dds");
    EXPECT_EQ(s.at(0, 0)[0] + s.at(0, 0)[1] + s.at(0, 0)[2], 0);
    EXPECT_LT(s.at(0, 0)[3], prev) << "fade" << i;
    prev = s.at(0, 0)[3];
  }
  EXPECT_EQ(prev, 0);
  // News frame: clear over the studio window (frame x 136..392, y 12..268) and the ticker.
  // Pieces: newsco1 = frame (0,0)-(256,256), newsco2 = (256,0)-(512,256), newsco3 = the lower
  // strip, left half on top of right half.
  Picture co1 = load("gfx/news/newsco1.dds"), co2 = load("gfx/news/newsco2.dds"), co3 = load("gfx/news/newsco3.dds");
  EXPECT_EQ(co1.at(200, 100)[3], 0);
  EXPECT_EQ(co2.at(100, 100)[3], 0);
  EXPECT_EQ(co3.at(60, 3)[3], 0);      // ticker line, frame y 259
  EXPECT_EQ(co3.at(60, 128 + 3)[3], 0);
  EXPECT_EQ(co1.at(20, 100)[3], 255);
  // Target bracket: each 128 x 128 quarter draws the corner of its own side.
  Picture target = load("gfx/target.bmp");
  EXPECT_GT(target.at(20, 20)[0], 200);
  EXPECT_GT(target.at(235, 235)[0], 200);
  EXPECT_LT(target.at(128, 128)[0], 20);
}

TEST(PictureLayout, GalaxyTilesJoinIntoOnePicture) {
  // Each tile is drawn from texels 1..255, so texel 255 of a tile shows what texel 1 of the
  // next one shows.
  for (int r = 1; r <= 4; ++r)
    for (int c = 1; c < 4; ++c) {
      Picture a = load("gfx/galaxy/g" + std::to_string(c) + std::to_string(r) + ".bmp");
      Picture b = load("gfx/galaxy/g" + std::to_string(c + 1) + std::to_string(r) + ".bmp");
      int diff = 0;
      for (int y = 0; y < 256; ++y)
        for (int k = 0; k < 3; ++k) diff += std::abs(a.at(255, y)[k] - b.at(1, y)[k]);
      EXPECT_LT(diff, 256 * 3 * 2) << "seam between g" << c << r << " and g" << c + 1 << r;
    }
}
