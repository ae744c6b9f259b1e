// BoxGrid: counting sort of the boxes into the cells they cover (each cell's list keeps the order
// of addition), at most 64 x 64 cells over the boxes' extent and about four per box.
#include "engine/BoxGrid.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int MaxCells = 64;  // per axis
}  // namespace

void BoxGrid::clear() {
  boxes_.clear();
  ids_.clear();
  start_.clear();
  nx_ = ny_ = 0;
  minX_ = minY_ = 0;
  maxX_ = maxY_ = -1;
}

void BoxGrid::add(int id, double cx, double cy, double half) {
  if (!(half > 0) || !std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(half)) return;
  // Widened well beyond float rounding, so a caller's float test never admits a point outside.
  const double pad = 1e-5 * (std::fabs(cx) + std::fabs(cy) + half) + 1e-3;
  const double h = half + pad;
  boxes_.push_back(Box{id, cx - h, cy - h, cx + h, cy + h});
}

void BoxGrid::build() {
  ids_.clear();
  start_.clear();
  nx_ = ny_ = 0;
  if (boxes_.empty()) {
    maxX_ = maxY_ = -1;
    minX_ = minY_ = 0;
    return;
  }
  minX_ = minY_ = HUGE_VAL;
  maxX_ = maxY_ = -HUGE_VAL;
  double sides = 0;
  for (const Box& b : boxes_) {
    minX_ = std::min(minX_, b.x0);
    minY_ = std::min(minY_, b.y0);
    maxX_ = std::max(maxX_, b.x1);
    maxY_ = std::max(maxY_, b.y1);
    sides += b.x1 - b.x0;
  }
  // Cells about as large as an average box, but no more than about four per box (a sparse crowd
  // over a wide map would spend the build on empty cells) and MaxCells along the longer side.
  const double extent = std::max(maxX_ - minX_, maxY_ - minY_);
  const double across = std::clamp(std::sqrt(4.0 * static_cast<double>(boxes_.size())), 1.0, double{MaxCells});
  const double cell = std::max(sides / static_cast<double>(boxes_.size()), extent / across);
  inv_ = 1 / cell;
  nx_ = std::clamp(static_cast<int>((maxX_ - minX_) * inv_) + 1, 1, MaxCells);
  ny_ = std::clamp(static_cast<int>((maxY_ - minY_) * inv_) + 1, 1, MaxCells);
  start_.assign(static_cast<size_t>(nx_ * ny_ + 1), 0);
  for (const Box& b : boxes_) {
    const int i0 = cellX(b.x0), i1 = cellX(b.x1), j1 = cellY(b.y1);
    for (int j = cellY(b.y0); j <= j1; ++j)
      for (int i = i0; i <= i1; ++i) ++start_[static_cast<size_t>(j * nx_ + i + 1)];
  }
  for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
  ids_.resize(static_cast<size_t>(start_.back()));
  fill_.assign(start_.begin(), start_.end() - 1);
  for (const Box& b : boxes_) {
    const int i0 = cellX(b.x0), i1 = cellX(b.x1), j1 = cellY(b.y1);
    for (int j = cellY(b.y0); j <= j1; ++j)
      for (int i = i0; i <= i1; ++i) {
        int& next = fill_[static_cast<size_t>(j * nx_ + i)];
        ids_[static_cast<size_t>(next++)] = b.id;
      }
  }
}

BoxGrid::Range BoxGrid::at(double x, double y) const {
  if (!(x >= minX_ && x <= maxX_ && y >= minY_ && y <= maxY_)) return {};
  const size_t c = static_cast<size_t>(cellY(y) * nx_ + cellX(x));
  const int* base = ids_.data();
  return Range{base + start_[c], base + start_[c + 1]};
}
