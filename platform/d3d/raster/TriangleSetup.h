#pragma once
// Triangle set-up: snaps the vertices to sub-pixels, forms the three edge functions and the
// screen-space planes of the attributes, and finds the pixels of each row a triangle covers.
//
// Pixel centres lie at integer coordinates: pixel (x, y) is covered when the point (x, y) is
// inside the triangle. Points exactly on an edge follow the top-left rule, so two triangles
// sharing an edge cover each pixel along it exactly once.

#include <algorithm>
#include <cstdint>

#include "platform/d3d/raster/RasterVertex.h"
#include "platform/d3d/raster/Targets.h"

namespace platform::raster {

// E(x, y) = a * x + b * y + c for pixel coordinates x and y; the pixel is covered by this edge
// when E >= bias. All terms are in sub-pixel units, in 64 bits.
struct EdgeFunction {
  std::int64_t a = 0;
  std::int64_t b = 0;
  std::int64_t c = 0;
  std::int64_t bias = 0;  // 0 for a top or left edge (its points are inside), 1 otherwise
};

struct TriangleSetup {
  EdgeFunction edges[3];
  std::int32_t first_row = 0;  // rows and columns to visit, inclusive, already in the scissor
  std::int32_t last_row = -1;
  std::int32_t first_column = 0;
  std::int32_t last_column = -1;
  // Attribute planes: value at (x, y) = origin + ddx * (x - origin_x) + ddy * (y - origin_y).
  float origin_x = 0.0f;
  float origin_y = 0.0f;
  float origin[kAttributeCount] = {};
  float ddx[kAttributeCount] = {};
  float ddy[kAttributeCount] = {};
};

// Prepares one triangle of either winding for the pixels inside the scissor. Returns false when
// there is nothing to draw: no area after snapping, nothing in the scissor, or a coordinate that
// is not finite or beyond kMaxSetupCoordinate (callers clip to the guard band long before).
// Planes are formed only for the attributes in used; the others stay as setup held them.
bool SetupTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                   const PixelRect& scissor, TriangleSetup* setup,
                   AttributeMask used = kAllAttributes);

// The covered columns [first, last] of one row; false when the row has none.
bool CoveredSpan(const TriangleSetup& setup, std::int32_t y, std::int32_t* first,
                 std::int32_t* last);

// Walks the rows of a triangle from first_row down, finding the same covered columns as
// CoveredSpan but stepping each edge's bound from one row to the next (a quotient and a
// remainder) instead of dividing on every row.
class RowWalker {
 public:
  explicit RowWalker(const TriangleSetup& setup);

  // The covered columns [first, last] of the current row; false when it has none.
  bool Span(std::int32_t* first, std::int32_t* last) const {
    // Pairwise max and min (conditional moves, no branch per row) and one test at the end:
    // the row's bounds are data the branch predictor cannot learn.
    const std::int64_t lo =
        std::max(std::max(std::int64_t{first_column_}, -lower_[0].quotient), -lower_[1].quotient);
    const std::int64_t hi =
        std::min(std::min(std::int64_t{last_column_}, upper_[0].quotient), upper_[1].quotient);
    if ((lo > hi) | (horizontal_ < 0)) return false;
    *first = static_cast<std::int32_t>(lo);
    *last = static_cast<std::int32_t>(hi);
    return true;
  }

  // Moves to the next row down.
  void Next() {
    for (Bound& bound : lower_) bound.Step();
    for (Bound& bound : upper_) bound.Step();
    horizontal_ += horizontal_step_;
  }

 private:
  // floor(n / divisor) for an edge's n = k - bias, held as quotient and remainder; n grows by
  // the edge's b every row. A left edge (a > 0) bounds the columns from below at -quotient, a
  // right edge (a < 0) from above at quotient. Unused slots hold a bound that never binds.
  struct Bound {
    std::int64_t quotient = std::int64_t{1} << 62;
    std::int64_t remainder = 0;
    std::int64_t divisor = 1;
    std::int64_t step_quotient = 0;
    std::int64_t step_remainder = 0;

    void Step() {
      // The carry as a mask, without a branch.
      remainder += step_remainder;
      const std::int64_t carry = -static_cast<std::int64_t>(remainder >= divisor);
      remainder -= divisor & carry;
      quotient += step_quotient - carry;
    }
  };

  // A triangle with area has at most two left and two right edges, and at most one horizontal
  // edge, whose n (covered while not negative) is the same for the whole row.
  Bound lower_[2];
  Bound upper_[2];
  std::int64_t horizontal_ = 0;
  std::int64_t horizontal_step_ = 0;
  std::int32_t first_column_ = 0;
  std::int32_t last_column_ = -1;
};

}  // namespace platform::raster
