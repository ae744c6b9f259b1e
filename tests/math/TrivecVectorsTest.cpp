// Trivec's vector, plane and matrix exports against hand-worked values.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/math/TrivecLib.h"

using trivec::Matrix;
using trivec::Plane;
using trivec::Vec3;

namespace {

void expectVec(const Vec3& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

void expectRows(const Matrix& m, const float (&rows)[4][4], float tol = 0) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], rows[i][j], tol) << "_" << i + 1 << j + 1;
}

}  // namespace

TEST(TrivecVectors, LengthDistanceAndDot) {
  const TrivecLib& L = trivecLib();
  Vec3 v{3, 4, 12}, a{1, 2, 3}, b{4, 6, 3}, c{4, -5, 6};
  EXPECT_EQ(L.Vec3Length(&v), 13.0f);
  EXPECT_EQ(L.Vec3Dist(&a, &b), 5.0f);
  EXPECT_EQ(L.Vec3Dist(&b, &a), 5.0f);
  EXPECT_EQ(L.Vec3Dot(&a, &c), 12.0f);
}

TEST(TrivecVectors, CrossAndNormalTables) {
  const TrivecLib& L = trivecLib();
  struct Case {
    Vec3 a, b, want;
  } cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {{2, 3, 4}, {5, 6, 7}, {-3, 6, -3}},
      {{1, 2, 3}, {-2, -4, -6}, {0, 0, 0}},  // parallel
  };
  for (const Case& c : cases) {
    Vec3 out{9, 9, 9};
    EXPECT_EQ(L.Vec3Cross(&out, &c.a, &c.b), &out);
    expectVec(out, c.want.x, c.want.y, c.want.z);
    Vec3 alias = c.a;  // out may be an input
    L.Vec3Cross(&alias, &alias, &c.b);
    expectVec(alias, c.want.x, c.want.y, c.want.z);
  }

  Vec3 p1{1, 1, 1}, p2{3, 1, 1}, p3{1, 4, 1}, n;
  EXPECT_EQ(L.CalculateNormal(&n, &p1, &p2, &p3), &n);
  expectVec(n, 0, 0, 6);  // (2,0,0) x (0,3,0), not normalised
  Vec3 q3{5, 1, 1};       // collinear: degenerate triangle
  L.CalculateNormal(&n, &p1, &p2, &q3);
  expectVec(n, 0, 0, 0);
}

TEST(TrivecVectors, NormalizeVectorsAndPlanes) {
  const TrivecLib& L = trivecLib();
  Vec3 v{3, 0, -4};
  EXPECT_EQ(L.Vec3Normalize(&v, &v), &v);
  expectVec(v, 0.6f, 0, -0.8f);

  // d belongs to the norm: sqrt(1 + 4 + 4 + 16) = 5.
  Plane p{1, 2, 2, 4}, out;
  EXPECT_EQ(L.PlaneNormalize(&out, &p), &out);
  EXPECT_FLOAT_EQ(out.a, 0.2f);
  EXPECT_FLOAT_EQ(out.b, 0.4f);
  EXPECT_FLOAT_EQ(out.c, 0.4f);
  EXPECT_FLOAT_EQ(out.d, 0.8f);

  // No zero test: a zero input gives non-finite components.
  Vec3 zero{0, 0, 0}, nz;
  L.Vec3Normalize(&nz, &zero);
  EXPECT_FALSE(std::isfinite(nz.x) || std::isfinite(nz.y) || std::isfinite(nz.z));
  Plane zp{0, 0, 0, 0}, nzp;
  L.PlaneNormalize(&nzp, &zp);
  EXPECT_FALSE(std::isfinite(nzp.a) || std::isfinite(nzp.d));
}

TEST(TrivecVectors, PlaneDotsDifferInTheSignOfD) {
  const TrivecLib& L = trivecLib();
  Plane p{1, 2, 3, 4};
  Vec3 v{1, 1, 1};
  EXPECT_EQ(L.PlaneDotVec(&p, &v), 10.0f);
  EXPECT_EQ(L.BSPPlaneDotVec(&p, &v), 2.0f);
}

TEST(TrivecMatrices, MultiplyIntoAnInputReturnsB) {
  const TrivecLib& L = trivecLib();
  const Matrix a{{{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 2, 0}, {3, 4, 5, 1}}};
  const Matrix b{{{2, 0, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 1}}};
  const float ab[4][4] = {{4, 2, 0, 0}, {1, 1, 0, 0}, {0, 0, 2, 2}, {10, 4, 5, 6}};
  const float ba[4][4] = {{2, 4, 0, 0}, {1, 3, 0, 0}, {3, 4, 7, 1}, {3, 4, 5, 1}};

  Matrix out;
  EXPECT_EQ(L.MatrixMultiply(&out, &a, &b), &b);
  expectRows(out, ab);

  // The product goes through a scratch matrix, so out may be either operand.
  Matrix outIsA = a;
  L.MatrixMultiply(&outIsA, &outIsA, &b);
  expectRows(outIsA, ab);
  Matrix outIsB = a;
  L.MatrixMultiply(&outIsB, &b, &outIsB);
  expectRows(outIsB, ba);
}

TEST(TrivecMatrices, RotationZ) {
  const TrivecLib& L = trivecLib();
  Matrix m;
  for (auto& row : m.m)
    for (float& f : row) f = 7;
  L.MatrixRotationZ(&m, 0.0f);
  const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  expectRows(m, identity);

  L.MatrixRotationZ(&m, 1.57f);
  const float c = std::cos(1.57f), s = std::sin(1.57f);
  const float quarter[4][4] = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  expectRows(m, quarter, 1e-7f);
}

TEST(TrivecMatrices, CreateTexMatrixTable) {
  const TrivecLib& L = trivecLib();
  struct Case {
    float su, sv, ou, ov, angle;
    float want[4][4];
  } cases[] = {
      {1, 1, 0, 0, 0, {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}}},
      // Scale and offset, worked through M x T+, then T- x M: the offset row moves by -(su, sv)/2
      // and +(0.5, 0.5).
      {2, 3, 0.25f, 0.5f, 0, {{2, 0, 0, 0}, {0, 3, 0, 0}, {-0.25f, -0.5f, 1, 0}, {0, 0, 0, 0}}},
      // The angle is scaled by 1.7453293: 0.9 turns a quarter about (0.5, 0.5): (u, v) -> (1 - v, u).
      {1, 1, 0, 0, 0.9f, {{0, 1, 0, 0}, {-1, 0, 0, 0}, {1, 0, 1, 0}, {0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    Matrix m;
    for (auto& row : m.m)
      for (float& f : row) f = 7;
    EXPECT_EQ(L.CreateTexMatrix(&m, c.su, c.sv, c.ou, c.ov, c.angle), &m);
    expectRows(m, c.want, 1e-6f);
  }
}
