// The pixel arithmetic of TKorvelG's blend blits, on plain 16-bit RGB pixel memory.
//
// Channels stay in place: a channel value is the pixel ANDed with its mask, never shifted to
// bit 0. A result pixel is the OR of its three channel results, so bits outside the masks
// (the top bit of a 5-5-5 pixel) come out 0. Rows are worked two pixels at a time as one
// 32-bit word (the lower address in the low half); an odd last pixel is done alone and the 16
// bits after it are left as they are.
#pragma once

#include <cstdint>

#include "platform/ddraw/DDrawTypes.h"

// A locked 16-bit surface: first pixel, bytes from row to row, size in pixels.
struct BlendSurface {
  std::uint8_t* Bits = nullptr;
  LONG Pitch = 0;
  LONG Width = 0;
  LONG Height = 0;
};

struct ChannelMasks {
  DWORD Red = 0;
  DWORD Green = 0;
  DWORD Blue = 0;
};

// Destination (X, Y), source (SX, SY) and size (W, H) of a blend, in pixels.
struct BlendRect {
  LONG X = 0, Y = 0, SX = 0, SY = 0, W = 0, H = 0;
};

// True for a format the blend blits can work on: 16-bit RGB with three nonzero masks inside
// the 16 bits.
bool IsBlendableFormat(const DDPIXELFORMAT& Format);

// Cuts Rect to a destination of DW x DH and a source of SW x SH pixels; false when nothing
// is left to draw (a rectangle wholly outside either surface, a negative W or H, or a width
// or height of 0 or less after cutting). Worked in 64 bits, so no input overflows.
bool ClipBlendRect(BlendRect& Rect, LONG DW, LONG DH, LONG SW, LONG SH);

// "Screen" addition: per channel (s + round-half-even(d * (1/M) * (M - s))) AND M, which is
// s + d - s*d on channel values normalised to 0..1. Rect must lie inside both surfaces.
void ScreenAddRect(const BlendSurface& Dst, const BlendSurface& Src, const BlendRect& Rect,
                   const ChannelMasks& Masks);
// Saturating addition: per channel min(M, s + d).
void SaturatingAddRect(const BlendSurface& Dst, const BlendSurface& Src, const BlendRect& Rect,
                       const ChannelMasks& Masks);

// The three per-channel decrements of Darken for Amount (clamped to 0..1; NaN counts as 0):
// truncate(M * Amount) AND M, or the channel's unit when that is 0.
ChannelMasks DarkDecrements(const ChannelMasks& Masks, const ChannelMasks& Units, float Amount);
// Subtracts Decrements from every channel of every pixel, stopping at 0.
void DarkenSurface(const BlendSurface& Surface, const ChannelMasks& Masks,
                   const ChannelMasks& Decrements);
