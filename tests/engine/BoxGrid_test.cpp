// The grid's answer at a point always holds every box that holds the point (tested as callers
// test, in float with integer half-sizes), in ascending id, however the boxes are spread: a crowd,
// a far outlier, huge and tiny boxes, points on and just beside the borders, bad boxes and points.
#include "engine/BoxGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {
struct Square {
  int id;
  float x, y;
  int half;
};

// The caller's test: strictly inside, computed in float.
bool holds(const Square& s, float x, float y) {
  return s.x - s.half < x && x < s.x + s.half && s.y - s.half < y && y < s.y + s.half;
}

std::vector<int> answer(const BoxGrid& g, float x, float y) {
  std::vector<int> ids;
  for (int id : g.at(x, y)) ids.push_back(id);
  return ids;
}
}  // namespace

TEST(BoxGrid, EveryHoldingBoxIsAnsweredInAscendingOrder) {
  struct Layout {
    const char* what;
    float spread;   // centres within +-spread
    int minHalf, maxHalf;
    float outlier;  // one more box this far out (0 none)
  };
  const Layout layouts[] = {
      {"a crowd of ship-sized boxes", 3000, 60, 400, 0},
      {"sparse over a wide map", 60000, 60, 400, 0},
      {"one far outlier stretches the grid", 2000, 60, 400, 1e6f},
      {"huge and tiny boxes mixed", 5000, 1, 30000, 0},
      {"all at one point", 0, 50, 50, 0},
  };
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.what);
    for (unsigned seed = 1; seed <= 8; ++seed) {
      std::mt19937 rng(seed);
      std::uniform_real_distribution<float> at(-l.spread, l.spread);
      std::uniform_int_distribution<int> half(l.minHalf, l.maxHalf);
      std::vector<Square> squares;
      for (int id = 0; id < 128; ++id) squares.push_back(Square{id, at(rng), at(rng), half(rng)});
      if (l.outlier > 0) squares.push_back(Square{128, l.outlier, -l.outlier, 100});
      BoxGrid g;
      g.clear();
      for (const Square& s : squares) g.add(s.id, s.x, s.y, s.half);
      g.build();

      // Points: random ones, and each box's borders and the floats just inside them.
      std::vector<std::pair<float, float>> points;
      for (int k = 0; k < 2000; ++k) points.push_back({at(rng) * 1.1f, at(rng) * 1.1f});
      for (const Square& s : squares) {
        const float inf = std::numeric_limits<float>::infinity();
        const float lo = s.x - s.half, hi = s.x + s.half;
        for (float x : {lo, hi, std::nextafter(lo, inf), std::nextafter(hi, -inf), s.x})
          points.push_back({x, std::nextafter(s.y + s.half, -inf)});
      }
      for (auto [x, y] : points) {
        const std::vector<int> got = answer(g, x, y);
        for (size_t k = 1; k < got.size(); ++k) ASSERT_LT(got[k - 1], got[k]);
        for (const Square& s : squares)
          if (holds(s, x, y)) {
            ASSERT_TRUE(std::binary_search(got.begin(), got.end(), s.id))
                << "box " << s.id << " at " << s.x << "," << s.y << " half " << s.half << " misses " << x << ","
                << y;
          }
      }
    }
  }
}

TEST(BoxGrid, BadBoxesAndPointsGiveNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  BoxGrid g;
  EXPECT_TRUE(answer(g, 0, 0).empty());  // never built
  g.add(0, nan, 0, 100);
  g.add(1, 0, inf, 100);
  g.add(2, 0, 0, 0);
  g.add(3, 0, 0, -5);
  g.build();
  EXPECT_TRUE(answer(g, 0, 0).empty());
  g.add(4, 10, 10, 100);
  g.build();
  EXPECT_EQ(answer(g, 10, 10), std::vector<int>{4});
  EXPECT_TRUE(answer(g, nan, 10).empty());
  EXPECT_TRUE(answer(g, 10, inf).empty());
  EXPECT_TRUE(answer(g, 5000, 10).empty());
  // Built again after clear: only the new boxes.
  g.clear();
  g.add(7, -300, 40, 20);
  g.build();
  EXPECT_TRUE(answer(g, 10, 10).empty());
  EXPECT_EQ(answer(g, -300, 40), std::vector<int>{7});
}
