// DirectDraw pixel formats (DDPIXELFORMAT) and the pixel codings (PixelView) behind them.
//
// Surfaces come in three codings: 8-bit palette indices (DDPF_PALETTEINDEXED8 | DDPF_RGB),
// 16-bit and 32-bit RGB with any disjoint channel masks (5-6-5, 5-5-5, 1-5-5-5 with alpha,
// 8-8-8 with or without alpha). Z-buffers keep 16-bit depths in 16 bits and 24- or 32-bit
// depths in 32 bits per pixel.
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/display/PixelView.h"

namespace platform {

// The format of a coding (8, 16 or 32 bits; masks taken from Coding).
DDPIXELFORMAT PixelFormatOf(const PixelView& Coding);
// The format of a z-buffer of Depth bits (16, 24 or 32).
DDPIXELFORMAT ZBufferFormat(DWORD Depth);
// DD_OK when Format is one a surface can have, else DDERR_INVALIDPIXELFORMAT.
HRESULT CheckPixelFormat(const DDPIXELFORMAT& Format);
// The coding of Format (no memory yet): bit count of storage and the RGB masks.
PixelView CodingOf(const DDPIXELFORMAT& Format);

}  // namespace platform
