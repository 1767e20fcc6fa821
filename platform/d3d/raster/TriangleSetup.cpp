#include "platform/d3d/raster/TriangleSetup.h"

#include <emmintrin.h>

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

// floor(n / d) and n - floor(n / d) * d for d > 0 and |n| < 2^52, without a 64-bit integer
// division: the double quotient is within one of the true one, and the remainder corrects it.
void FloorDivide(std::int64_t n, std::int64_t d, std::int64_t* quotient, std::int64_t* remainder) {
  std::int64_t q = static_cast<std::int64_t>(static_cast<double>(n) / static_cast<double>(d));
  std::int64_t r = n - q * d;
  while (r < 0) {
    --q;
    r += d;
  }
  while (r >= d) {
    ++q;
    r -= d;
  }
  *quotient = q;
  *remainder = r;
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
  // Two attributes at a time, each lane computed as a single attribute would be:
  //   ddx = (a1 * y2 - a2 * y1) / area, ddy = (a2 * x1 - a1 * x2) / area, in double.
  static_assert(kAttributeCount % 2 == 0);
  const __m128d x1x1 = _mm_set1_pd(x1), y1y1 = _mm_set1_pd(y1);
  const __m128d x2x2 = _mm_set1_pd(x2), y2y2 = _mm_set1_pd(y2);
  const __m128d inverse = _mm_set1_pd(inverse_area);
  const auto pair_of = [](const RasterVertex* vertex, int i) {
    return _mm_cvtps_pd(
        _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&vertex->attr[i]))));
  };
  for (int i = 0; i < kAttributeCount; i += 2) {
    if ((used & (3u << i)) == 0) continue;
    const __m128d a0 = pair_of(v[0], i);
    const __m128d a1 = _mm_sub_pd(pair_of(v[1], i), a0);
    const __m128d a2 = _mm_sub_pd(pair_of(v[2], i), a0);
    const __m128d ddx = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(a1, y2y2), _mm_mul_pd(a2, y1y1)), inverse);
    const __m128d ddy = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(a2, x1x1), _mm_mul_pd(a1, x2x2)), inverse);
    setup->origin[i] = v[0]->attr[i];
    setup->origin[i + 1] = v[0]->attr[i + 1];
    _mm_storel_pi(reinterpret_cast<__m64*>(&setup->ddx[i]), _mm_cvtpd_ps(ddx));
    _mm_storel_pi(reinterpret_cast<__m64*>(&setup->ddy[i]), _mm_cvtpd_ps(ddy));
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
  int lowers = 0;
  int uppers = 0;
  for (const EdgeFunction& edge : setup.edges) {
    const std::int64_t n = edge.b * setup.first_row + edge.c - edge.bias;
    if (edge.a == 0) {
      // A second horizontal edge would leave no area; set-up refuses such triangles.
      horizontal_ = n;
      horizontal_step_ = edge.b;
      continue;
    }
    // Set-up makes every triangle clockwise, so its edges are two left and one right, or the
    // other way round, or one of each beside a horizontal one; the counts below never overrun.
    Bound& bound = edge.a > 0 ? lower_[lowers++ & 1] : upper_[uppers++ & 1];
    bound.divisor = edge.a > 0 ? edge.a : -edge.a;
    FloorDivide(n, bound.divisor, &bound.quotient, &bound.remainder);
    FloorDivide(edge.b, bound.divisor, &bound.step_quotient, &bound.step_remainder);
  }
}

}  // namespace platform::raster
