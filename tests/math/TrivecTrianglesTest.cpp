// Trivec's ray-triangle exports on a triangle whose arithmetic is exact: p1 (0,0,0), p2 (4,0,0),
// p3 (4,2,0) in the plane z = 0. Its edge p2-p3 is the shortest, which is what exposes a vertex
// test that falls back to p1.
#include <gtest/gtest.h>

#include <random>

#include "tests/math/TrivecLib.h"

using trivec::Vec3;

namespace {

const Vec3 P1{0, 0, 0}, P2{4, 0, 0}, P3{4, 2, 0};
const Vec3 Untouched{-7, -7, -7};

bool same(const Vec3& a, const Vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

}  // namespace

TEST(TrivecTriangles, GetSPoint) {
  const TrivecLib& L = trivecLib();
  Vec3 out = Untouched, origin{3, 1, 5}, down{0, 0, -2}, along{1, 0, 0};
  EXPECT_EQ(L.GetSPoint(&out, &P1, &P2, &P3, &origin, &down), 1);
  EXPECT_TRUE(same(out, {3, 1, 0}));

  out = Untouched;  // parallel: 0 and out = origin
  EXPECT_EQ(L.GetSPoint(&out, &P1, &P2, &P3, &origin, &along), 0);
  EXPECT_TRUE(same(out, origin));

  Vec3 collinear{8, 0, 0};  // degenerate triangle: zero normal reads as parallel
  EXPECT_EQ(L.GetSPoint(&out, &P1, &P2, &collinear, &origin, &down), 0);

  Vec3 third = P3;  // out may share storage with the third vertex
  EXPECT_EQ(L.GetSPoint(&third, &P1, &P2, &third, &origin, &down), 1);
  EXPECT_TRUE(same(third, {3, 1, 0}));
}

TEST(TrivecTriangles, TriangleMatchTable) {
  const TrivecLib& L = trivecLib();
  struct Case {
    const char* what;
    Vec3 P;
    int16_t want;
  } cases[] = {
      {"inside", {3, 1, 0}, 1},       {"vertex p1", P1, 1},
      {"vertex p2", P2, 1},           {"vertex p3", P3, 1},
      {"edge p1-p2", {2, 0, 0}, 1},   {"edge p2-p3", {4, 1, 0}, 1},
      {"edge p1-p3", {2, 1, 0}, 1},   {"outside across p1-p3", {1, 1, 0}, 0},
      {"beyond p2-p3", {5, 1, 0}, 0}, {"beyond p2 on its edge's line", {6, 0, 0}, 0},
      {"behind p1", {-1, 0, 0}, 0},   {"through p1 parallel to p2-p3", {0, 1, 0}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(L.TriangleMatch(&P1, &P2, &P3, &c.P), c.want) << c.what;
}

// Every vertex is inside whatever the triangle: the computed crossing point must not round away.
TEST(TrivecTriangles, TriangleMatchVerticesOfRandomTriangles) {
  const TrivecLib& L = trivecLib();
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> coord(-100, 100);
  for (int i = 0; i < 2000; ++i) {
    Vec3 p[3];
    for (Vec3& v : p) v = {coord(gen), coord(gen), coord(gen)};
    for (const Vec3& v : p) ASSERT_EQ(L.TriangleMatch(&p[0], &p[1], &p[2], &v), 1) << "triangle " << i;
  }
}

TEST(TrivecTriangles, CollisionTable) {
  const TrivecLib& L = trivecLib();
  const Vec3 collinear{8, 0, 0};
  // DirTriCollision: ray from a along b. RayTriCollision: the line through a along a - b.
  struct Case {
    const char* what;
    bool ray;  // RayTriCollision, else DirTriCollision
    Vec3 a, b;
    bool degenerate;
    int16_t want;
  } cases[] = {
      {"dir: hit from above", false, {3, 1, 5}, {0, 0, -3}, false, 1},
      {"dir: pointing away", false, {3, 1, 5}, {0, 0, 1}, false, 0},
      {"dir: miss beside", false, {1, 1, 5}, {0, 0, -1}, false, 0},
      {"dir: start on the plane inside", false, {3, 1, 0}, {0, 0, -1}, false, 0},
      {"dir: parallel", false, {3, 1, 5}, {1, 0, 0}, false, 0},
      {"dir: degenerate triangle", false, {3, 1, 5}, {0, 0, -1}, true, 0},
      {"dir: zero direction", false, {3, 1, 5}, {0, 0, 0}, false, 0},
      // The direction test uses the line's direction p - q: q above p sends the line down onto the
      // triangle, q below p sends it away (a test against q itself would answer both wrongly).
      {"ray: q above, line goes down", true, {3, 1, 5}, {3, 1, 6}, false, 1},
      {"ray: q below origin, line goes up", true, {3, 1, 5}, {3, 1, -6}, false, 0},
      {"ray: from below, going up", true, {3, 1, -5}, {3, 1, -9}, false, 1},
      {"ray: miss beside", true, {1, 1, 5}, {1, 1, 6}, false, 0},
      {"ray: parallel", true, {3, 1, 5}, {2, 1, 5}, false, 0},
      {"ray: degenerate triangle", true, {3, 1, 5}, {3, 1, 6}, true, 0},
  };
  for (const Case& c : cases) {
    Vec3 out = Untouched;
    const Vec3* third = c.degenerate ? &collinear : &P3;
    int16_t got = c.ray ? L.RayTriCollision(&out, &P1, &P2, third, &c.a, &c.b)
                        : L.DirTriCollision(&out, &P1, &P2, third, &c.a, &c.b);
    EXPECT_EQ(got, c.want) << c.what;
    if (c.want == 1) {
      EXPECT_TRUE(same(out, {c.a.x, c.a.y, 0})) << c.what;
    } else {
      EXPECT_TRUE(same(out, Untouched)) << c.what << ": out written on a miss";
    }
  }
}
