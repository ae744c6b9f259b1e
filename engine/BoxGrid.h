// BoxGrid: a uniform grid over square boxes on the ground plane, for the broad phase of contact
// tests. Boxes are added in ascending id order and the grid is built once; a query at a point
// gives, in ascending id, every box that could hold the point (a superset: the caller still makes
// its exact test on each). A box holds a point when it lies strictly inside
// (cx - half, cx + half) x (cy - half, cy + half), whether that is computed in float or double.
// Storage is kept between builds, so a steady caller allocates nothing.
#pragma once
#include <algorithm>
#include <vector>

class BoxGrid {
 public:
  struct Range {
    const int* first = nullptr;
    const int* last = nullptr;
    const int* begin() const { return first; }
    const int* end() const { return last; }
  };

  void clear();  // no boxes (the grid answers every query with none until built again)
  // A box of half-size half around (cx, cy). Non-finite boxes and boxes with half <= 0 hold no
  // point and are left out.
  void add(int id, double cx, double cy, double half);
  void build();
  // The boxes whose cells hold (x, y), ascending by id; none off the grid or for NaN.
  Range at(double x, double y) const;

 private:
  struct Box {
    int id;
    double x0, y0, x1, y1;  // bounds widened for rounding
  };
  // Cells of coordinates within the grid's extent (the offsets are never negative there).
  int cellX(double x) const { return std::min(static_cast<int>((x - minX_) * inv_), nx_ - 1); }
  int cellY(double y) const { return std::min(static_cast<int>((y - minY_) * inv_), ny_ - 1); }
  std::vector<Box> boxes_;
  std::vector<int> start_;  // per cell, its first entry in ids_; one more for the end
  std::vector<int> ids_;
  std::vector<int> fill_;  // build's scratch: the next free entry of each cell
  double minX_ = 0, minY_ = 0, maxX_ = -1, maxY_ = -1;
  double inv_ = 1;  // cells per unit
  int nx_ = 0, ny_ = 0;
};
