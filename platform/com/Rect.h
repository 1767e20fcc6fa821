// Rectangle operations shared by the screen's window registry, GDI's clipping and DirectDraw's
// blits. Rectangles are half-open: right and bottom lie just outside.
#pragma once

#include <algorithm>

#include "platform/com/WinTypes.h"

namespace platform {

// The part of A inside B. Rectangles that do not overlap give an empty rectangle (right ==
// left or bottom == top) at the corner where they would meet, never a negative size.
constexpr RECT Intersect(const RECT& A, const RECT& B) {
  RECT r{std::max(A.left, B.left), std::max(A.top, B.top), std::min(A.right, B.right),
         std::min(A.bottom, B.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// Whether Inner lies wholly inside Outer.
constexpr bool Inside(const RECT& Inner, const RECT& Outer) {
  return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
         Inner.bottom <= Outer.bottom;
}

}  // namespace platform
