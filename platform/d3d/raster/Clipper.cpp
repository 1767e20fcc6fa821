#include "platform/d3d/raster/Clipper.h"

#include <algorithm>
#include <iterator>

namespace platform::raster {

namespace {

enum class Side { Left, Top, Right, Bottom };

bool IsWithin(const RasterVertex& v, Side side, const ClipRect& rect) {
  switch (side) {
    case Side::Left:
      return v.x >= rect.left;
    case Side::Top:
      return v.y >= rect.top;
    case Side::Right:
      return v.x <= rect.right;
    case Side::Bottom:
      return v.y <= rect.bottom;
  }
  return true;
}

float BoundaryOf(Side side, const ClipRect& rect) {
  switch (side) {
    case Side::Left:
      return rect.left;
    case Side::Top:
      return rect.top;
    case Side::Right:
      return rect.right;
    case Side::Bottom:
      return rect.bottom;
  }
  return 0.0f;
}

// The order in which an edge's endpoints enter the interpolation, independent of walk direction.
bool ComesFirst(const RasterVertex& a, const RasterVertex& b) {
  if (a.x != b.x) return a.x < b.x;
  return a.y < b.y;
}

RasterVertex CutEdge(const RasterVertex& p, const RasterVertex& q, Side side,
                     const ClipRect& rect) {
  const RasterVertex& a = ComesFirst(p, q) ? p : q;
  const RasterVertex& b = ComesFirst(p, q) ? q : p;
  const bool vertical_side = side == Side::Left || side == Side::Right;
  const float boundary = BoundaryOf(side, rect);
  const double from = vertical_side ? a.x : a.y;
  const double to = vertical_side ? b.x : b.y;
  const double t = (boundary - from) / (to - from);  // the endpoints straddle: to != from
  const auto lerp = [t](float x, float y) {
    return static_cast<float>(x + t * (static_cast<double>(y) - x));
  };
  RasterVertex cut;
  cut.x = vertical_side ? boundary : lerp(a.x, b.x);
  cut.y = vertical_side ? lerp(a.y, b.y) : boundary;
  for (int i = 0; i < kAttributeCount; ++i) cut.attr[i] = lerp(a.attr[i], b.attr[i]);
  return cut;
}

// One Sutherland-Hodgman pass: keeps the part of the polygon on the inner side of one border.
int ClipAgainst(const RasterVertex* in, int count, Side side, const ClipRect& rect,
                RasterVertex* out) {
  int written = 0;
  for (int i = 0; i < count; ++i) {
    const RasterVertex& current = in[i];
    const RasterVertex& next = in[(i + 1) % count];
    const bool current_within = IsWithin(current, side, rect);
    if (current_within) out[written++] = current;
    if (current_within != IsWithin(next, side, rect)) {
      out[written++] = CutEdge(current, next, side, rect);
    }
  }
  return written;
}

}  // namespace

ClipRelation Classify(const RasterVertex (&triangle)[3], const ClipRect& rect) {
  int outside_left = 0, outside_top = 0, outside_right = 0, outside_bottom = 0;
  for (const RasterVertex& v : triangle) {
    outside_left += v.x < rect.left;
    outside_top += v.y < rect.top;
    outside_right += v.x > rect.right;
    outside_bottom += v.y > rect.bottom;
  }
  if (outside_left == 3 || outside_top == 3 || outside_right == 3 || outside_bottom == 3) {
    return ClipRelation::Outside;
  }
  if (outside_left + outside_top + outside_right + outside_bottom == 0) return ClipRelation::Inside;
  return ClipRelation::Crossing;
}

int ClipTriangle(const RasterVertex (&triangle)[3], const ClipRect& rect,
                 RasterVertex (&out)[kMaxClippedVertices]) {
  // Each pass adds at most one vertex, so both buffers hold the largest polygon.
  RasterVertex scratch[kMaxClippedVertices];
  std::copy(std::begin(triangle), std::end(triangle), out);
  int count = 3;
  count = ClipAgainst(out, count, Side::Left, rect, scratch);
  if (count < 3) return 0;
  count = ClipAgainst(scratch, count, Side::Top, rect, out);
  if (count < 3) return 0;
  count = ClipAgainst(out, count, Side::Right, rect, scratch);
  if (count < 3) return 0;
  count = ClipAgainst(scratch, count, Side::Bottom, rect, out);
  return count < 3 ? 0 : count;
}

}  // namespace platform::raster
