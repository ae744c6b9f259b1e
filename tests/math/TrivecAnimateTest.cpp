// Trivec's key-frame blends: hand-worked values, the bounding box, count <= 0, out aliasing an
// input, and bit-identity with a plain per-float reference written below in the documented order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/math/TrivecLib.h"

using trivec::Vec3;

namespace {

MD2Vertex splat(float f) {
  return {f, f, f, f, f, f, f, f};
}

void expectAll(const MD2Vertex& v, float want, const char* what) {
  const float* f = &v.x;
  for (int k = 0; k < 8; ++k) EXPECT_EQ(f[k], want) << what << ", float " << k;
}

bool sameBits(const void* a, const void* b, size_t n) {
  return std::memcmp(a, b, n) == 0;
}

// ---- the scalar reference: one float at a time, double intermediates, the documented order ----

void refWiden(Vec3& lo, Vec3& hi, const MD2Vertex& v) {
  if (v.x < lo.x) lo.x = v.x;
  if (v.y < lo.y) lo.y = v.y;
  if (v.z < lo.z) lo.z = v.z;
  if (v.x > hi.x) hi.x = v.x;
  if (v.y > hi.y) hi.y = v.y;
  if (v.z > hi.z) hi.z = v.z;
}

void refLinear(MD2Vertex* out, const MD2Vertex* a, const MD2Vertex* b, int n, float t, Vec3& lo, Vec3& hi) {
  lo = {100000, 100000, 100000};
  hi = {-100000, -100000, -100000};
  for (int i = 0; i < n; ++i) {
    const float* fa = &a[i].x;
    const float* fb = &b[i].x;
    float* fo = &out[i].x;
    for (int k = 0; k < 8; ++k) {
      float step = static_cast<float>(double(t) * (double(fb[k]) - double(fa[k])));
      fo[k] = static_cast<float>(double(fa[k]) + double(step));
    }
    refWiden(lo, hi, out[i]);
  }
}

void refCatmullRom(MD2Vertex* out, const MD2Vertex* p0, const MD2Vertex* p1, const MD2Vertex* p2,
                   const MD2Vertex* p3, int n, float t, Vec3& lo, Vec3& hi) {
  double td = t;
  double t2 = static_cast<float>(td * td);
  double t3 = static_cast<float>(td * td * td);
  double w0 = static_cast<float>(t2 - 0.5 * t3 - 0.5 * td);
  double w1 = static_cast<float>(1.5 * t3 - 2.5 * t2 + 1.0);
  double w2 = static_cast<float>(2.0 * t2 - 1.5 * t3 + 0.5 * td);
  double w3 = static_cast<float>(0.5 * t3 - 0.5 * t2);
  lo = {100000, 100000, 100000};
  hi = {-100000, -100000, -100000};
  for (int i = 0; i < n; ++i) {
    const float *f0 = &p0[i].x, *f1 = &p1[i].x, *f2 = &p2[i].x, *f3 = &p3[i].x;
    float* fo = &out[i].x;
    for (int k = 0; k < 8; ++k) {
      double sum = w0 * f0[k] + w1 * f1[k];
      sum = sum + w2 * f2[k];
      sum = sum + w3 * f3[k];
      fo[k] = static_cast<float>(sum);
    }
    refWiden(lo, hi, out[i]);
  }
}

// A frame of n vertices: positions spread over several magnitudes and both signs, unit-ish
// normals, texture coordinates in 0..1, an odd value here and there.
std::vector<MD2Vertex> randomFrame(std::mt19937& gen, int n) {
  std::uniform_real_distribution<float> pos(-500, 500), unit(-1, 1), uv(0, 1), scale(-3, 3);
  std::vector<MD2Vertex> f(n);
  for (int i = 0; i < n; ++i) {
    float s = std::pow(10.0f, std::round(scale(gen)));
    f[i] = {pos(gen) * s, pos(gen) * s, pos(gen) * s, unit(gen), unit(gen), unit(gen), uv(gen), uv(gen)};
  }
  f[n / 2].y = 250000.0f;  // beyond the box seed
  return f;
}

}  // namespace

TEST(TrivecAnimate, LinearHandWorked) {
  const TrivecLib& L = trivecLib();
  struct Case {
    float a, b, t, want;
  } cases[] = {
      {2, 4, 0.5f, 3},
      {0, 1, 0.25f, 0.25f},
      {1, 3, 2, 5},
      {1, 3, -1, -1},
      {-8, 8, 0, -8},
      {-8, 8, 1, 8},
      {5, 5, 0.7f, 5},
      // t = 1 gives b only up to the rounding of t (b - a) to float before the sum:
      // 1e-8 - 1 rounds to -1, so 1 + (-1) = 0, not 1e-8.
      {1, 1e-8f, 1, 0},
  };
  for (const Case& c : cases) {
    MD2Vertex a = splat(c.a), b = splat(c.b), out = splat(-1);
    Vec3 lo, hi;
    EXPECT_EQ(L.AnimateLinear(&out, &a, &b, 1, c.t, &lo, &hi), 1);
    expectAll(out, c.want, "linear");
  }
}

TEST(TrivecAnimate, CatmullRomHandWorked) {
  const TrivecLib& L = trivecLib();
  // At t = 0.5 the weights are -1/16, 9/16, 9/16, -1/16.
  struct Case {
    float p0, p1, p2, p3, t, want;
  } cases[] = {
      {0, 1, 2, 3, 0.5f, 1.5f},  // points on a line stay on it
      {0, 1, 1, 0, 0.5f, 1.125f},
      {9, -3, 7, 11, 0, -3},  // t = 0 gives p1 exactly
      {9, -3, 7, 11, 1, 7},   // t = 1 gives p2 exactly
      {0.1f, 0.3f, 0.7f, 0.9f, 0, 0.3f},
      {0.1f, 0.3f, 0.7f, 0.9f, 1, 0.7f},
  };
  for (const Case& c : cases) {
    MD2Vertex p0 = splat(c.p0), p1 = splat(c.p1), p2 = splat(c.p2), p3 = splat(c.p3);
    MD2Vertex out = splat(-1);
    Vec3 lo, hi;
    EXPECT_EQ(L.AnimateCatmullRom(&out, &p0, &p1, &p2, &p3, 1, c.t, &lo, &hi), 1);
    expectAll(out, c.want, "catmull-rom");
  }
}

TEST(TrivecAnimate, EndKeysAreExactOverAWholeFrame) {
  const TrivecLib& L = trivecLib();
  std::mt19937 gen(11);
  const int n = 301;
  auto f0 = randomFrame(gen, n), f1 = randomFrame(gen, n), f2 = randomFrame(gen, n), f3 = randomFrame(gen, n);
  std::vector<MD2Vertex> out(n);
  Vec3 lo, hi;
  L.AnimateLinear(out.data(), f0.data(), f1.data(), n, 0.0f, &lo, &hi);
  for (int i = 0; i < n; ++i) ASSERT_EQ(std::memcmp(&out[i], &f0[i], 32), 0) << i;
  L.AnimateCatmullRom(out.data(), f0.data(), f1.data(), f2.data(), f3.data(), n, 0.0f, &lo, &hi);
  for (int i = 0; i < n; ++i) ASSERT_EQ(std::memcmp(&out[i], &f1[i], 32), 0) << i;
  L.AnimateCatmullRom(out.data(), f0.data(), f1.data(), f2.data(), f3.data(), n, 1.0f, &lo, &hi);
  for (int i = 0; i < n; ++i) ASSERT_EQ(std::memcmp(&out[i], &f2[i], 32), 0) << i;
}

TEST(TrivecAnimate, BoundingBoxIsSeededAtOneHundredThousand) {
  const TrivecLib& L = trivecLib();
  struct Case {
    const char* what;
    std::vector<MD2Vertex> verts;
    Vec3 lo, hi;
  } cases[] = {
      {"one vertex: both corners on it", {{1, -2, 3, 0, 0, 0, 0, 0}}, {1, -2, 3}, {1, -2, 3}},
      {"two vertices", {{1, -2, 3, 9, 9, 9, 9, 9}, {-4, 5, 0, -9, -9, -9, -9, -9}}, {-4, -2, 0}, {1, 5, 3}},
      // Beyond the seeds: the far side widens, the near corner stays at the seed.
      {"beyond the seeds", {{200000, 0, -300000, 0, 0, 0, 0, 0}}, {100000, 0, -300000}, {200000, 0, -100000}},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.verts.size());
    std::vector<MD2Vertex> out(n);
    Vec3 lo{}, hi{};
    L.AnimateLinear(out.data(), c.verts.data(), c.verts.data(), n, 0.5f, &lo, &hi);
    EXPECT_TRUE(sameBits(&lo, &c.lo, sizeof lo) && sameBits(&hi, &c.hi, sizeof hi)) << c.what;
    lo = hi = Vec3{};
    L.AnimateCatmullRom(out.data(), c.verts.data(), c.verts.data(), c.verts.data(), c.verts.data(), n, 0.5f,
                        &lo, &hi);
    EXPECT_TRUE(sameBits(&lo, &c.lo, sizeof lo) && sameBits(&hi, &c.hi, sizeof hi)) << c.what;
  }
}

TEST(TrivecAnimate, CountZeroOrBelowWritesNothing) {
  const TrivecLib& L = trivecLib();
  MD2Vertex a = splat(1), b = splat(2), out = splat(-7);
  const Vec3 sentinel{-7, -7, -7};
  for (int count : {0, -1, -2048}) {
    Vec3 lo = sentinel, hi = sentinel;
    EXPECT_EQ(L.AnimateLinear(&out, &a, &b, count, 0.5f, &lo, &hi), 0);
    EXPECT_EQ(L.AnimateCatmullRom(&out, &a, &a, &b, &b, count, 0.5f, &lo, &hi), 0);
    expectAll(out, -7, "out written");
    EXPECT_TRUE(sameBits(&lo, &sentinel, sizeof lo) && sameBits(&hi, &sentinel, sizeof hi));
  }
}

// Blends must match the reference bit for bit, also when out is one of the inputs.
TEST(TrivecAnimate, BitIdenticalToScalarReference) {
  const TrivecLib& L = trivecLib();
  std::mt19937 gen(2024);
  for (int n : {1, 3, 4, 5, 2047, 2048}) {
    auto f0 = randomFrame(gen, n), f1 = randomFrame(gen, n), f2 = randomFrame(gen, n),
         f3 = randomFrame(gen, n);
    for (float t : {0.0f, 1.0f, 0.5f, 0.37f, 1e-7f, 0.9999999f, -0.25f, 1.75f}) {
      SCOPED_TRACE(testing::Message() << "n " << n << " t " << t);
      std::vector<MD2Vertex> got(n), want(n);
      Vec3 lo, hi, wantLo, wantHi;

      L.AnimateLinear(got.data(), f0.data(), f1.data(), n, t, &lo, &hi);
      refLinear(want.data(), f0.data(), f1.data(), n, t, wantLo, wantHi);
      ASSERT_TRUE(sameBits(got.data(), want.data(), n * sizeof(MD2Vertex))) << "linear";
      ASSERT_TRUE(sameBits(&lo, &wantLo, sizeof lo) && sameBits(&hi, &wantHi, sizeof hi));

      std::vector<MD2Vertex> inPlace = f0;  // out = a
      L.AnimateLinear(inPlace.data(), inPlace.data(), f1.data(), n, t, &lo, &hi);
      ASSERT_TRUE(sameBits(inPlace.data(), want.data(), n * sizeof(MD2Vertex))) << "linear, out = a";

      L.AnimateCatmullRom(got.data(), f0.data(), f1.data(), f2.data(), f3.data(), n, t, &lo, &hi);
      refCatmullRom(want.data(), f0.data(), f1.data(), f2.data(), f3.data(), n, t, wantLo, wantHi);
      ASSERT_TRUE(sameBits(got.data(), want.data(), n * sizeof(MD2Vertex))) << "catmull-rom";
      ASSERT_TRUE(sameBits(&lo, &wantLo, sizeof lo) && sameBits(&hi, &wantHi, sizeof hi));

      inPlace = f2;  // out = p2
      L.AnimateCatmullRom(inPlace.data(), f0.data(), f1.data(), inPlace.data(), f3.data(), n, t, &lo, &hi);
      ASSERT_TRUE(sameBits(inPlace.data(), want.data(), n * sizeof(MD2Vertex))) << "catmull-rom, out = p2";
    }
  }
}
