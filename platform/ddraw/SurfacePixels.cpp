#include "platform/ddraw/SurfacePixels.h"

#include <cstdint>
#include <cstring>

#include "platform/display/ColorCoding.h"

namespace platform {
namespace {

std::uint8_t* PixelAddress(const PixelView& View, LONG X, LONG Y) {
  return View.Row(Y) + static_cast<std::ptrdiff_t>(X) * View.BytesPerPixel();
}

bool Keyed(const ColorKeyRange* Key, DWORD Value) {
  return Key && Value >= Key->low && Value <= Key->high;
}

}  // namespace

void FillPixels(const PixelView& View, const RECT& Area, DWORD Value) {
  if (Area.right <= Area.left || Area.bottom <= Area.top) return;
  // The first row pixel by pixel, every further row as a copy of it.
  const std::uint8_t* first = PixelAddress(View, Area.left, Area.top);
  for (LONG x = Area.left; x < Area.right; ++x) WritePixel(View, x, Area.top, Value);
  const std::size_t rowBytes =
      static_cast<std::size_t>(Area.right - Area.left) * View.BytesPerPixel();
  for (LONG y = Area.top + 1; y < Area.bottom; ++y)
    std::memcpy(PixelAddress(View, Area.left, y), first, rowBytes);
}

void CopyPixels(const PixelView& Dst, LONG DstX, LONG DstY, const PixelView& Src, LONG SrcX,
                LONG SrcY, LONG Width, LONG Height, const ColorKeyRange* Key) {
  const bool sameMemory = Dst.bits == Src.bits;
  const bool upward = sameMemory && DstY > SrcY;  // last row first when moving rows down
  const bool leftward = sameMemory && DstY == SrcY && DstX > SrcX;
  const std::size_t rowBytes = static_cast<std::size_t>(Width) * Dst.BytesPerPixel();
  for (LONG i = 0; i < Height; ++i) {
    const LONG row = upward ? Height - 1 - i : i;
    if (!Key) {
      std::memmove(PixelAddress(Dst, DstX, DstY + row), PixelAddress(Src, SrcX, SrcY + row),
                   rowBytes);
      continue;
    }
    for (LONG j = 0; j < Width; ++j) {
      const LONG col = leftward ? Width - 1 - j : j;
      const DWORD value = ReadPixel(Src, SrcX + col, SrcY + row);
      if (!Keyed(Key, value)) WritePixel(Dst, DstX + col, DstY + row, value);
    }
  }
}

void StretchPixels(const PixelView& Dst, const RECT& DstArea, const RECT& Visible,
                   const PixelView& Src, const RECT& SrcArea, const ColorKeyRange* Key) {
  const std::int64_t dstW = DstArea.right - DstArea.left, dstH = DstArea.bottom - DstArea.top;
  const std::int64_t srcW = SrcArea.right - SrcArea.left, srcH = SrcArea.bottom - SrcArea.top;
  for (LONG y = Visible.top; y < Visible.bottom; ++y) {
    const LONG sy = SrcArea.top + static_cast<LONG>((y - DstArea.top) * srcH / dstH);
    for (LONG x = Visible.left; x < Visible.right; ++x) {
      const LONG sx = SrcArea.left + static_cast<LONG>((x - DstArea.left) * srcW / dstW);
      const DWORD value = ReadPixel(Src, sx, sy);
      if (!Keyed(Key, value)) WritePixel(Dst, x, y, value);
    }
  }
}

}  // namespace platform
