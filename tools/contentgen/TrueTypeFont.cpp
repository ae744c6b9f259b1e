#include "tools/contentgen/TrueTypeFont.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

struct TrueTypeFont::Info {
  stbtt_fontinfo font;
};

TrueTypeFont::TrueTypeFont(const std::string& path) : info_(new Info) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    delete info_;
    throw std::runtime_error("font not found: " + path + " (install fonts-dejavu-core)");
  }
  data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!stbtt_InitFont(&info_->font, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0))) {
    delete info_;
    throw std::runtime_error("font unreadable: " + path);
  }
}

TrueTypeFont::~TrueTypeFont() { delete info_; }

TrueTypeFont::Glyph TrueTypeFont::glyph(int codepoint, float pixelHeight, float xScale) const {
  float s = stbtt_ScaleForPixelHeight(&info_->font, pixelHeight);
  Glyph g;
  unsigned char* bmp = stbtt_GetCodepointBitmapSubpixel(&info_->font, s * xScale, s, 0.0f, 0.0f,
                                                        codepoint, &g.w, &g.h, &g.xoff, &g.yoff);
  if (bmp) {
    g.coverage.assign(bmp, bmp + static_cast<size_t>(g.w) * g.h);
    stbtt_FreeBitmap(bmp, nullptr);
  } else {
    g.w = g.h = 0;
  }
  return g;
}

float TrueTypeFont::advance(int codepoint, float pixelHeight) const {
  int adv = 0, lsb = 0;
  stbtt_GetCodepointHMetrics(&info_->font, codepoint, &adv, &lsb);
  return adv * stbtt_ScaleForPixelHeight(&info_->font, pixelHeight);
}

float TrueTypeFont::ascent(float pixelHeight) const {
  int asc = 0, desc = 0, gap = 0;
  stbtt_GetFontVMetrics(&info_->font, &asc, &desc, &gap);
  return asc * stbtt_ScaleForPixelHeight(&info_->font, pixelHeight);
}

float TrueTypeFont::textWidth(const std::string& text, float pixelHeight) const {
  float w = 0;
  for (unsigned char c : text) w += advance(c, pixelHeight);
  return w;
}

void TrueTypeFont::draw(Image& img, const std::string& text, float x, float baseline,
                        float pixelHeight, Rgba c, Blend m) const {
  for (unsigned char ch : text) {
    Glyph g = glyph(ch, pixelHeight);
    int ox = static_cast<int>(x + 0.5f) + g.xoff, oy = static_cast<int>(baseline + 0.5f) + g.yoff;
    for (int j = 0; j < g.h; ++j)
      for (int i = 0; i < g.w; ++i)
        img.put(ox + i, oy + j, c, g.coverage[static_cast<size_t>(j) * g.w + i] / 255.0f, m);
    x += advance(ch, pixelHeight);
  }
}

void TrueTypeFont::drawCentred(Image& img, const std::string& text, float cx, float cy,
                               float pixelHeight, Rgba c, Blend m) const {
  float capHalf = pixelHeight * 0.36f;   // DejaVu capitals are about 0.73 of the pixel height
  draw(img, text, cx - textWidth(text, pixelHeight) / 2, cy + capHalf, pixelHeight, c, m);
}

const TrueTypeFont& boldFont() {
  static const TrueTypeFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  return font;
}
