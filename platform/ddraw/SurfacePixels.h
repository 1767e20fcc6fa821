// The pixel loops of the surface blits: fill, copy (with or without a source colour key) and
// nearest-pixel scaling. Every rectangle passed in lies inside its view; the callers
// (IDirectDrawSurface::Blt and BltFast) check rectangles and codings first.
#pragma once

#include "platform/display/PixelView.h"

namespace platform {

// A source colour key: pixels whose value lies in [low, high] are not copied.
struct ColorKeyRange {
  DWORD low = 0;
  DWORD high = 0;
};

void FillPixels(const PixelView& View, const RECT& Area, DWORD Value);

// Copies Width x Height pixels from (SrcX, SrcY) of Src to (DstX, DstY) of Dst (same coding).
// Key, when given, leaves destination pixels under keyed source pixels unchanged. Source and
// destination may be the same memory and overlap.
void CopyPixels(const PixelView& Dst, LONG DstX, LONG DstY, const PixelView& Src, LONG SrcX,
                LONG SrcY, LONG Width, LONG Height, const ColorKeyRange* Key);

// Scales SrcArea of Src onto DstArea of Dst by taking the nearest source pixel, drawing only
// the pixels of DstArea that lie in Visible.
void StretchPixels(const PixelView& Dst, const RECT& DstArea, const RECT& Visible,
                   const PixelView& Src, const RECT& SrcArea, const ColorKeyRange* Key);

}  // namespace platform
