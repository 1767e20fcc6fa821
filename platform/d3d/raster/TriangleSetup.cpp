#include "platform/d3d/raster/TriangleSetup.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/d3d/raster/RasterConfig.h"

namespace platform::raster {

namespace {

struct SnappedPoint {
  std::int64_t x;
  std::int64_t y;
};

bool IsUsableCoordinate(float value) {
  return std::isfinite(value) && std::fabs(value) <= kMaxSetupCoordinate;
}

// Rounds half away from zero, as llround does, without the library call: a usable coordinate
// times the sub-pixel scale has at most 24 significant bits below 2^25, so adding one half in
// double is exact and truncation finishes the rounding.
std::int64_t RoundToSubpixel(float coordinate) {
  const double scaled = static_cast<double>(coordinate) * kSubpixelScale;
  return static_cast<std::int64_t>(scaled < 0.0 ? scaled - 0.5 : scaled + 0.5);
}

SnappedPoint Snap(const RasterVertex& v) {
  return {RoundToSubpixel(v.x), RoundToSubpixel(v.y)};
}

// Twice the signed area of the snapped triangle. With y pointing down the screen, a positive
// value means the vertices run clockwise as seen on screen.
std::int64_t DoubledArea(SnappedPoint p0, SnappedPoint p1, SnappedPoint p2) {
  return (p1.x - p0.x) * (p2.y - p0.y) - (p2.x - p0.x) * (p1.y - p0.y);
}

// Edge function of the edge from p to q for a clockwise (positive-area) triangle:
//   E(P) = (q.x - p.x) * (P.y - p.y) - (q.y - p.y) * (P.x - p.x),
// which is positive on the inner side. Sign convention, y down: the interior of a clockwise
// triangle lies to the right of each edge as it is walked, and E grows towards it.
// Fill rule: a point exactly on the edge (E == 0) belongs to the triangle when the edge is a top
// edge (horizontal, interior below: dy == 0 and dx > 0) or a left edge (interior to its right
// in x: dy < 0). Right and bottom edges exclude their points, so a shared edge, which is left
// for one triangle exactly when it is right for the other, is drawn once.
EdgeFunction MakeEdge(SnappedPoint p, SnappedPoint q) {
  const std::int64_t dx = q.x - p.x;
  const std::int64_t dy = q.y - p.y;
  EdgeFunction edge;
  // P = (x, y) * kSubpixelScale for pixel coordinates x, y.
  edge.a = -dy * kSubpixelScale;
  edge.b = dx * kSubpixelScale;
  edge.c = dy * p.x - dx * p.y;
  const bool top = dy == 0 && dx > 0;
  const bool left = dy < 0;
  edge.bias = (top || left) ? 0 : 1;
  return edge;
}

std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {  // d > 0
  const std::int64_t q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {  // d > 0
  const std::int64_t q = n / d;
  return (n % d != 0 && n > 0) ? q + 1 : q;
}

std::int32_t CeilToPixel(std::int64_t subpixels) {
  return static_cast<std::int32_t>(CeilDiv(subpixels, kSubpixelScale));
}

std::int32_t FloorToPixel(std::int64_t subpixels) {
  return static_cast<std::int32_t>(FloorDiv(subpixels, kSubpixelScale));
}

// Attribute planes through the snapped vertices, so interpolation agrees with coverage.
void MakePlanes(const RasterVertex* v[3], const SnappedPoint p[3], AttributeMask used,
                TriangleSetup* setup) {
  const double scale = 1.0 / static_cast<double>(kSubpixelScale);
  const double x0 = p[0].x * scale, y0 = p[0].y * scale;
  const double x1 = p[1].x * scale - x0, y1 = p[1].y * scale - y0;
  const double x2 = p[2].x * scale - x0, y2 = p[2].y * scale - y0;
  const double inverse_area = 1.0 / (x1 * y2 - x2 * y1);
  setup->origin_x = static_cast<float>(x0);
  setup->origin_y = static_cast<float>(y0);
  for (int i = 0; i < kAttributeCount; ++i) {
    if ((used & (1u << i)) == 0) continue;
    const double a0 = v[0]->attr[i];
    const double a1 = v[1]->attr[i] - a0;
    const double a2 = v[2]->attr[i] - a0;
    setup->origin[i] = v[0]->attr[i];
    setup->ddx[i] = static_cast<float>((a1 * y2 - a2 * y1) * inverse_area);
    setup->ddy[i] = static_cast<float>((a2 * x1 - a1 * x2) * inverse_area);
  }
}

}  // namespace

bool SetupTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                   const PixelRect& scissor, TriangleSetup* setup, AttributeMask used) {
  for (const RasterVertex* v : {&v0, &v1, &v2}) {
    if (!IsUsableCoordinate(v->x) || !IsUsableCoordinate(v->y)) return false;
  }
  const RasterVertex* v[3] = {&v0, &v1, &v2};
  SnappedPoint p[3] = {Snap(v0), Snap(v1), Snap(v2)};
  const std::int64_t area = DoubledArea(p[0], p[1], p[2]);
  if (area == 0) return false;
  if (area < 0) {  // make every triangle clockwise so the interior is on the positive side
    std::swap(v[1], v[2]);
    std::swap(p[1], p[2]);
  }

  const std::int64_t min_x = std::min({p[0].x, p[1].x, p[2].x});
  const std::int64_t max_x = std::max({p[0].x, p[1].x, p[2].x});
  const std::int64_t min_y = std::min({p[0].y, p[1].y, p[2].y});
  const std::int64_t max_y = std::max({p[0].y, p[1].y, p[2].y});
  setup->first_column = std::max(CeilToPixel(min_x), scissor.left);
  setup->last_column = std::min(FloorToPixel(max_x), scissor.right - 1);
  setup->first_row = std::max(CeilToPixel(min_y), scissor.top);
  setup->last_row = std::min(FloorToPixel(max_y), scissor.bottom - 1);
  if (setup->first_column > setup->last_column || setup->first_row > setup->last_row) {
    return false;
  }

  setup->edges[0] = MakeEdge(p[0], p[1]);
  setup->edges[1] = MakeEdge(p[1], p[2]);
  setup->edges[2] = MakeEdge(p[2], p[0]);
  MakePlanes(v, p, used, setup);
  return true;
}

bool CoveredSpan(const TriangleSetup& setup, std::int32_t y, std::int32_t* first,
                 std::int32_t* last) {
  std::int64_t lo = setup.first_column;
  std::int64_t hi = setup.last_column;
  for (const EdgeFunction& edge : setup.edges) {
    // Solve a * x + k >= bias for the pixel column x, with k the row's part of E.
    const std::int64_t k = edge.b * y + edge.c;
    if (edge.a > 0) {
      lo = std::max(lo, CeilDiv(edge.bias - k, edge.a));
    } else if (edge.a < 0) {
      hi = std::min(hi, FloorDiv(k - edge.bias, -edge.a));
    } else if (k < edge.bias) {
      return false;
    }
  }
  if (lo > hi) return false;
  *first = static_cast<std::int32_t>(lo);
  *last = static_cast<std::int32_t>(hi);
  return true;
}

RowWalker::RowWalker(const TriangleSetup& setup)
    : first_column_(setup.first_column), last_column_(setup.last_column) {
  for (int i = 0; i < 3; ++i) {
    const EdgeFunction& edge = setup.edges[i];
    EdgeBound& bound = bounds_[i];
    const std::int64_t n = edge.b * setup.first_row + edge.c - edge.bias;
    if (edge.a == 0) {
      bound.quotient = n;
      bound.step_quotient = edge.b;
      continue;
    }
    bound.sign = edge.a > 0 ? 1 : -1;
    bound.divisor = edge.a > 0 ? edge.a : -edge.a;
    bound.quotient = FloorDiv(n, bound.divisor);
    bound.remainder = n - bound.quotient * bound.divisor;
    bound.step_quotient = FloorDiv(edge.b, bound.divisor);
    bound.step_remainder = edge.b - bound.step_quotient * bound.divisor;
  }
}

}  // namespace platform::raster
