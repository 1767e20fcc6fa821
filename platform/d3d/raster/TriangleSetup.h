#pragma once
// Triangle set-up: snaps the vertices to sub-pixels, forms the three edge functions and the
// screen-space planes of the attributes, and finds the pixels of each row a triangle covers.
//
// Pixel centres lie at integer coordinates: pixel (x, y) is covered when the point (x, y) is
// inside the triangle. Points exactly on an edge follow the top-left rule, so two triangles
// sharing an edge cover each pixel along it exactly once.

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
bool SetupTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                   const PixelRect& scissor, TriangleSetup* setup);

// The covered columns [first, last] of one row; false when the row has none.
bool CoveredSpan(const TriangleSetup& setup, std::int32_t y, std::int32_t* first,
                 std::int32_t* last);

}  // namespace platform::raster
