// The bitmap font "text.dds" (white glyphs with alpha) and "text.bmp" (white on black):
// 256 x 256, cells 32 x 36, eight to a row, cells 0..55 in the game's glyph order.
// Each glyph's ink lies within columns 1 .. advance - 2 of its cell, so drawn text never
// overlaps, and capitals are centred on the cell's middle row (the text line). The cell's first
// and last columns and rows hold no ink: a glyph drawn filtered at any scale samples only blank
// texels at its cell's border, never a neighbouring cell's ink.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/contentgen/BitmapFontLayout.h"
#include "tools/contentgen/Generator.h"
#include "tools/contentgen/TrueTypeFont.h"

namespace {

// Cap height about 22 pixels, baseline 11 below the cell's middle row.
constexpr float kPixelHeight = 34.0f;
constexpr int kBaseline = 29;

const TrueTypeFont& glyphFont() {
  static const TrueTypeFont font("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf");
  return font;
}

// Ink columns of a glyph bitmap: first and one past the last column with coverage.
void inkColumns(const TrueTypeFont::Glyph& g, int& first, int& end) {
  first = g.w;
  end = 0;
  for (int x = 0; x < g.w; ++x)
    for (int y = 0; y < g.h; ++y)
      if (g.coverage[static_cast<size_t>(y) * g.w + x] > 8) {
        first = std::min(first, x);
        end = std::max(end, x + 1);
      }
}

// Coverage image (32 x 36) of one cell.
Image renderCell(int cell) {
  Image out(kCellWidth, kCellHeight, {0, 0, 0, 0});
  char ch = kCellChars[cell];
  int code = (ch >= 'a' && ch <= 'z') ? ch - 'a' + 'A' : static_cast<unsigned char>(ch);
  int room = std::max(2, glyphAdvance(ch) - 2);  // ink columns, from column 1
  float xScale = 1.0f;
  TrueTypeFont::Glyph g;
  int first = 0, end = 0;
  for (int pass = 0; pass < 4; ++pass) {
    g = glyphFont().glyph(code, kPixelHeight, xScale);
    inkColumns(g, first, end);
    int ink = end - first;
    if (ink <= room) break;
    xScale *= static_cast<float>(room) / (ink + 0.5f);
  }
  int ink = std::max(0, end - first);
  int left = 1 + std::max(0, (room - ink) / 2) - first;
  for (int y = 0; y < g.h; ++y)
    for (int x = first; x < end; ++x) {
      int px = left + x, py = kBaseline + g.yoff + y;
      float c = g.coverage[static_cast<size_t>(y) * g.w + x] / 255.0f;
      if (px >= 1 && px <= room && py >= 1 && py < kCellHeight - 1 && c > 0)
        out.at(px, py) = {c, c, c, c};
    }
  return out;
}

void makeFont(OutputFolder& out) {
  Image dds(256, 256, {1, 1, 1, 0});
  Image bmp(256, 256, {0, 0, 0, 1});
  for (int cell = 0; cell < kCellCount; ++cell) {
    Image c = renderCell(cell);
    int ox = (cell % 8) * kCellWidth, oy = (cell / 8) * kCellHeight;
    for (int y = 0; y < kCellHeight; ++y)
      for (int x = 0; x < kCellWidth; ++x) {
        float a = c.at(x, y).a;
        dds.at(ox + x, oy + y) = {1, 1, 1, a};
        bmp.at(ox + x, oy + y) = {a, a, a, 1};
      }
  }
  writeTexture(out, "text.dds", dds);
  writeTexture(out, "text.bmp", bmp);
}

}  // namespace

void addFontTasks(TaskList& tasks) { tasks.push_back({"font", "text", makeFont}); }
