// D3DX helpers: rotations' sense, product order, look-at, the perspective with the game's aspect
// 0.75, screen projection in the 0..1 depth convention, colour packing and float bits.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/D3DX.h"

namespace {
D3DVECTOR transform(const D3DVECTOR& v, const D3DMATRIX& m) {
  D3DVECTOR out;
  D3DXVec3TransformCoord(out, v, m);
  return out;
}

void expectNear(const D3DVECTOR& got, float x, float y, float z, float eps = 1e-4f) {
  EXPECT_NEAR(got.x, x, eps);
  EXPECT_NEAR(got.y, y, eps);
  EXPECT_NEAR(got.z, z, eps);
}
}  // namespace

TEST(D3DXMath, RotationsTurnTheAxesLeftHanded) {
  const float q = 1.5707964f;
  struct Case {
    const char* name;
    void (*rotate)(D3DMATRIX&, float);
    D3DVECTOR in, out;
  } cases[] = {
      {"Y: +x toward -z", D3DXMatrixRotationY, {1, 0, 0}, {0, 0, -1}},
      {"Y: +z toward +x", D3DXMatrixRotationY, {0, 0, 1}, {1, 0, 0}},
      {"X: +y toward +z", D3DXMatrixRotationX, {0, 1, 0}, {0, 0, 1}},
      {"Z: +x toward +y", D3DXMatrixRotationZ, {1, 0, 0}, {0, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DMATRIX m;
    c.rotate(m, q);
    expectNear(transform(c.in, m), c.out.x, c.out.y, c.out.z);
  }
}

TEST(D3DXMath, ProductAppliesTheLeftMatrixFirst) {
  D3DMATRIX s, t, st, ts;
  D3DXMatrixScaling(s, 2, 3, 4);
  D3DXMatrixTranslation(t, 10, 20, 30);
  D3DXMatrixMultiply(st, s, t);
  D3DXMatrixMultiply(ts, t, s);
  expectNear(transform({1, 1, 1}, st), 12, 23, 34);  // scaled, then moved
  expectNear(transform({1, 1, 1}, ts), 22, 63, 124);  // moved, then scaled
  // the output may be one of the inputs
  D3DXMatrixMultiply(s, s, t);
  expectNear(transform({1, 1, 1}, s), 12, 23, 34);
}

TEST(D3DXMath, LookAtPutsTheTargetOnThePositiveZAxis) {
  D3DMATRIX view;
  D3DVECTOR eye{100, 450, 100}, at{0, 0, 0}, up{0, 1, 0};
  D3DXMatrixLookAtLH(view, eye, at, up);
  float distance = std::sqrt(100.0f * 100 + 450.0f * 450 + 100.0f * 100);
  expectNear(transform(at, view), 0, 0, distance, 1e-2f);
  expectNear(transform(eye, view), 0, 0, 0, 1e-3f);
  // a point above the target appears above (view y > 0)
  EXPECT_GT(transform({0, 10, 0}, view).y, 0.0f);
  // looking along +z from the origin is the identity
  D3DXMatrixLookAtLH(view, {0, 0, 0}, {0, 0, 5}, up);
  expectNear(transform({3, 4, 5}, view), 3, 4, 5);
  // degenerate input gives finite numbers
  D3DXMatrixLookAtLH(view, {1, 1, 1}, {1, 1, 1}, up);
  for (auto& row : view.m)
    for (float v : row) EXPECT_TRUE(std::isfinite(v));
}

TEST(D3DXMath, PerspectiveWithTheGameAspect) {
  D3DMATRIX p;
  D3DXMatrixPerspectiveFovLH(p, 800.0f / 600.0f, 0.75f, 1.0f, 30000.0f);
  float yScale = 1.0f / std::tan(800.0f / 600.0f / 2.0f);
  EXPECT_NEAR(p.m[1][1], yScale, 1e-5f);
  EXPECT_NEAR(p.m[0][0], yScale / 0.75f, 1e-5f);  // aspect is height over width as passed
  EXPECT_NEAR(p.m[2][2], 30000.0f / 29999.0f, 1e-6f);
  EXPECT_EQ(p.m[2][3], 1.0f);
  EXPECT_NEAR(p.m[3][2], -30000.0f / 29999.0f, 1e-6f);
  EXPECT_EQ(p.m[3][3], 0.0f);
  // near plane -> depth 0, far plane -> depth 1
  EXPECT_NEAR(transform({0, 0, 1}, p).z, 0.0f, 1e-6f);
  EXPECT_NEAR(transform({0, 0, 30000}, p).z, 1.0f, 1e-6f);
}

TEST(D3DXMath, ProjectMapsToViewportPixelsAndDepth) {
  D3DMATRIX proj, view, world;
  D3DXMatrixPerspectiveFovLH(proj, 1.3333f, 0.75f, 1.0f, 30000.0f);
  D3DXMatrixIdentity(view);
  D3DXMatrixIdentity(world);
  D3DVIEWPORT8 vp{0, 0, 800, 600, 0, 1};
  struct Case {
    const char* name;
    D3DVECTOR point;
    D3DVIEWPORT8 viewport;
    bool inFront;
  } cases[] = {
      {"ahead on the axis", {0, 0, 100}, vp, true},
      {"ahead, offset viewport", {0, 0, 100}, {100, 50, 400, 300, 0, 1}, true},
      {"behind the camera", {0, 0, -100}, vp, false},
      {"on the camera plane", {10, 0, 0}, vp, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DVECTOR out;
    D3DXVec3Project(out, c.point, c.viewport, proj, view, world);
    EXPECT_TRUE(std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z));
    if (c.inFront) {
      EXPECT_LT(out.z, 1.0f);
      EXPECT_GT(out.z, 0.0f);
      EXPECT_NEAR(out.x, c.viewport.X + c.viewport.Width / 2.0f, 1e-3f);
      EXPECT_NEAR(out.y, c.viewport.Y + c.viewport.Height / 2.0f, 1e-3f);
    } else {
      EXPECT_GE(out.z, 1.0f);
    }
  }
  // up and right in the world are up and right on the screen
  D3DVECTOR out;
  D3DXVec3Project(out, {10, 10, 100}, vp, proj, view, world);
  EXPECT_GT(out.x, 400.0f);
  EXPECT_LT(out.y, 300.0f);
}

TEST(D3DXMath, VectorHelpers) {
  D3DVECTOR d, n;
  D3DXVec3Subtract(d, {5, 7, 9}, {1, 2, 3});
  expectNear(d, 4, 5, 6);
  D3DXVec3Normalize(n, {3, 0, 4});
  expectNear(n, 0.6f, 0, 0.8f);
  D3DXVec3Normalize(n, {0, 0, 0});
  expectNear(n, 0, 0, 0);  // no NaN from a zero vector
}

TEST(D3DXMath, ColourPackingClampsEachComponent) {
  EXPECT_EQ(D3DColorARGB(255, 50, 0, 0), 0xFF320000u);
  EXPECT_EQ(D3DColorARGB(255, 480, 480, 480), 0xFFFFFFFFu) << "sprites pass grey 480";
  EXPECT_EQ(D3DColorARGB(256, 2000, -5, 17), 0xFFFF0011u) << "no carry into neighbouring channels";
  EXPECT_EQ(D3DColorARGB(-1, 0, 0, 0), 0x00000000u);
  EXPECT_EQ(D3DColorRGBA(10, 20, 30, 255), D3DColorARGB(255, 10, 20, 30));
}

TEST(D3DXMath, FloatBits) {
  EXPECT_EQ(floatBits(1.0f), 1065353216);
  EXPECT_EQ(floatBits(0.0f), 0);
  EXPECT_EQ(floatBits(-2.0f), static_cast<int32_t>(0xC0000000u));
  EXPECT_EQ(floatFromBits(floatBits(750.0f)), 750.0f);
}
