// Small media for the drawing tests, written into a test's game folder: a one-frame MD2 model of
// one flat rectangle facing -z (the camera of the tests looks down +z), a solid-colour 24-bit BMP,
// and the camera and device set-up the drawing tests share. Header-only: the levels and ships
// pixel tests both include it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"

namespace pixelcontent {

inline void put32(std::string& b, int32_t v) {
  for (int k = 0; k < 4; ++k) b += static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF);
}
inline void put16(std::string& b, int16_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((static_cast<uint16_t>(v) >> 8) & 0xFF);
}
inline void putFloat(std::string& b, float f) {
  uint32_t u;
  static_assert(sizeof u == sizeof f);
  __builtin_memcpy(&u, &f, sizeof u);
  put32(b, static_cast<int32_t>(u));
}

// A rectangle x0..x1 by y0..y1 (game axes, y up) in the plane z (whole units, each side at most
// 255 long), as an MD2 file (the file's y and z exchanged).
inline std::string rectMd2(int x0, int y0, int x1, int y1, int z) {
  const int32_t verts = 4, frameSize = 40 + 4 * verts;
  const int32_t ofsSkins = 68, ofsST = ofsSkins + 64, ofsTris = ofsST + 4 * 2, ofsFrames = ofsTris + 12 * 2;
  const int32_t ofsEnd = ofsFrames + frameSize;
  std::string b = "IDP2";
  for (int32_t v : {8, 64, 32, frameSize, 1, verts, 2, 2, 0, 1, ofsSkins, ofsST, ofsTris, ofsFrames, ofsEnd, ofsEnd})
    put32(b, v);
  b += std::string(64, '\0');
  for (int16_t v : {0, 0, 32, 16}) put16(b, v);
  for (int16_t v : {0, 1, 2, 0, 1, 0, 1, 3, 2, 1, 1, 0}) put16(b, v);
  for (float v : {1.0f, 1.0f, 1.0f}) putFloat(b, v);
  for (float v : {float(x0), float(z), float(y0)}) putFloat(b, v);
  std::string name = "still";
  name.resize(16, '\0');
  b += name;
  const int w = x1 - x0, h = y1 - y0;
  const int corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
  for (const auto& c : corners) {
    b += static_cast<char>(c[0]);
    b += static_cast<char>(0);
    b += static_cast<char>(c[1]);
    b += static_cast<char>(0);
  }
  return b;
}

// A width x height BMP of one opaque colour (0xRRGGBB).
inline std::string solidBmp(int32_t width, int32_t height, uint32_t rgb) {
  const int32_t row = (width * 3 + 3) / 4 * 4;
  std::string b = "BM";
  put32(b, 54 + row * height);
  put32(b, 0);
  put32(b, 54);
  put32(b, 40);
  put32(b, width);
  put32(b, height);
  put16(b, 1);
  put16(b, 24);
  for (int32_t v : {0, row * height, 2835, 2835, 0, 0}) put32(b, v);
  std::string line;
  for (int32_t x = 0; x < width; ++x) {
    line += static_cast<char>(rgb & 0xFF);
    line += static_cast<char>((rgb >> 8) & 0xFF);
    line += static_cast<char>((rgb >> 16) & 0xFF);
  }
  line.resize(static_cast<size_t>(row), '\0');
  for (int32_t y = 0; y < height; ++y) b += line;
  return b;
}

// Camera at eye looking down +z with a 90-degree vertical field of view (aspect width / height),
// lighting and culling off, so colours are the textures' times the preset's factor.
inline void lookDownZ(float width, float height, const D3DVECTOR& eye) {
  CamEye = eye;
  CamTarget = eye;
  CamTarget.z += 100;
  CamUp.x = 0;
  CamUp.y = 1;
  CamUp.z = 0;
  CamHeading = 1.57f;
  CamNoCull = true;  // easyTestVis passes everything
  D3DXMatrixLookAtLH(MatView, CamEye, CamTarget, CamUp);
  D3DXMatrixPerspectiveFovLH(MatProj, 1.57f, width / height, 1.0f, 20000.0f);
  Direct3DDevice8& d = device();
  checkHResult(d.SetTransform(D3DTS_VIEW, MatView));
  checkHResult(d.SetTransform(D3DTS_PROJECTION, MatProj));
  checkHResult(d.SetRenderState(D3DRS_LIGHTING, 0));
  checkHResult(d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
}

// Opens a scene cleared to black (depth too) with the camera of lookDownZ at the origin.
inline void beginLookingDownZ(float width, float height) {
  checkHResult(device().BeginScene());
  checkHResult(device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 0, 0, 0), 1.0f, 0));
  D3DVECTOR origin;
  origin.x = origin.y = origin.z = 0;
  lookDownZ(width, height, origin);
}

}  // namespace pixelcontent
