// Text rasterised from a TrueType font of Debian's fonts-dejavu-core through stb_truetype:
// the bitmap-font glyphs and every label stamped on interface sheets, signs and captions.
// Read-only after loading, so the generator's threads share one instance (boldFont()).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/contentgen/Image.h"

class TrueTypeFont {
 public:
  // Throws std::runtime_error naming the file when it cannot be read or parsed.
  explicit TrueTypeFont(const std::string& path);
  ~TrueTypeFont();
  TrueTypeFont(const TrueTypeFont&) = delete;
  TrueTypeFont& operator=(const TrueTypeFont&) = delete;

  struct Glyph {
    int w = 0, h = 0;       // bitmap size in pixels
    int xoff = 0, yoff = 0; // bitmap offset from the pen position on the baseline
    std::vector<uint8_t> coverage;
  };
  // One glyph at a pixel height (ascent - descent), squeezed horizontally by xScale.
  Glyph glyph(int codepoint, float pixelHeight, float xScale = 1.0f) const;
  float advance(int codepoint, float pixelHeight) const;   // pixels
  float ascent(float pixelHeight) const;                   // pixels above the baseline
  float textWidth(const std::string& text, float pixelHeight) const;
  // Draws text with the pen starting at (x, baseline).
  void draw(Image& img, const std::string& text, float x, float baseline, float pixelHeight,
            Rgba c, Blend m = Blend::Over) const;
  // Draws text centred horizontally on cx with its capitals centred vertically on cy.
  void drawCentred(Image& img, const std::string& text, float cx, float cy, float pixelHeight,
                   Rgba c, Blend m = Blend::Over) const;

 private:
  std::vector<unsigned char> data_;
  struct Info;
  Info* info_;
};

// DejaVu Sans Bold, loaded on first use.
const TrueTypeFont& boldFont();
