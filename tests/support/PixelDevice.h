// Pixel-test support: a headless OpenGL device of a given size on Mesa (SDL_VIDEODRIVER=offscreen),
// read-back of its back buffer or of a texture, and comparisons of pixels and regions with a
// tolerance. Reads happen before Present (the back buffer is undefined after it).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};
inline Rgba rgbaOf(uint32_t argb) {
  return Rgba{int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24)};
}

// A picture read back, top row first.
struct PixelImage {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> argb;
  Rgba at(int32_t x, int32_t y) const;
  bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Compares the colour channels (and alpha when checkAlpha) of one pixel / every pixel of a region
// (left, top inclusive; right, bottom exclusive) with an expected ARGB colour.
::testing::AssertionResult pixelNear(const PixelImage& image, int32_t x, int32_t y, uint32_t expectedArgb,
                                     int tolerance = 3, bool checkAlpha = false);
::testing::AssertionResult regionNear(const PixelImage& image, const RECT& region, uint32_t expectedArgb,
                                      int tolerance = 3, bool checkAlpha = false);

// Corners a, b, c, d as the game orders a quad strip: (l, b), (l, t), (r, b), (r, t), with the
// texture coordinates u0..u1, v0..v1 from left to right and top to bottom.
inline void screenQuad(ScreenVertex v[4], float l, float t, float r, float b, D3DCOLOR color, float u0 = 0,
                       float v0 = 0, float u1 = 1, float v1 = 1) {
  v[0] = {l, b, 0, 1, color, u0, v1};
  v[1] = {l, t, 0, 1, color, u0, v0};
  v[2] = {r, b, 0, 1, color, u1, v1};
  v[3] = {r, t, 0, 1, color, u1, v0};
}

// The states of the title effect's layers: additive (one, one) without depth, the texture times
// the texture factor, linear filtering, screen vertices.
inline void additiveLayerStates(Direct3DDevice8& d, const std::shared_ptr<Direct3DTexture8>& texture,
                                D3DCOLOR factor) {
  d.SetRenderState(D3DRS_ZENABLE, 0);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  d.SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<int32_t>(factor));
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  d.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  d.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  d.SetTexture(0, texture);
  d.SetVertexShader(D3DFVF_SCREENVERTEX);
}

// A window and an OpenGL device drawing into a width x height back buffer (windowed, D24X8).
class PixelDevice {
 public:
  // Null (with the reason in error) when no GL context can be had.
  static std::unique_ptr<PixelDevice> create(int32_t width, int32_t height, std::string* error = nullptr);
  ~PixelDevice();

  const std::shared_ptr<Direct3DDevice8>& device() const { return device_; }
  D3DX8& d3dx() { return d3dx_; }
  GameWindow& window() { return *window_; }
  PixelImage readBack();                                    // the back buffer
  PixelImage readTexture(const Direct3DTexture8& texture);  // level 0 of a texture
  // A texture holding argb (top row first); format A8R8G8B8 keeps its alpha.
  std::shared_ptr<Direct3DTexture8> makeTexture(int32_t width, int32_t height, const std::vector<uint32_t>& argb,
                                                D3DFORMAT format = D3DFMT_A8R8G8B8);

 private:
  PixelDevice() = default;
  std::unique_ptr<GameWindow> window_;
  std::shared_ptr<Direct3D8> d3d_;
  std::shared_ptr<Direct3DDevice8> device_;
  D3DX8 d3dx_;
};

// Skips the test when the machine has no GL (reports why).
#define QV_REQUIRE_PIXEL_DEVICE(var, w, h)                                \
  std::string var##Error;                                                 \
  auto var = PixelDevice::create((w), (h), &var##Error);                  \
  if (!var) GTEST_SKIP() << "no OpenGL device: " << var##Error
