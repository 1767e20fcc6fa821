// Reading, writing and converting single pixels of a PixelView. Channel values widen to
// 8 bits by repeating their top bits (5-bit 0x1F becomes 0xFF), so white stays white.
#pragma once

#include "platform/com/GdiTypes.h"
#include "platform/display/PixelView.h"

namespace platform {

DWORD ReadPixel(const PixelView& View, LONG X, LONG Y);
void WritePixel(const PixelView& View, LONG X, LONG Y, DWORD Value);

// The RGB pixel value of View's coding nearest to (Red, Green, Blue). View must be 16 or 32 bits.
DWORD PackRgb(const PixelView& View, BYTE Red, BYTE Green, BYTE Blue);
// The colour of an RGB pixel value of View's coding (peFlags 0).
PALETTEENTRY UnpackRgb(const PixelView& View, DWORD Value);

// The index of Palette's entry nearest to the colour (squared RGB distance, lowest index on a
// tie). peFlags take no part.
BYTE NearestPaletteIndex(const PALETTEENTRY* Palette, BYTE Red, BYTE Green, BYTE Blue);

}  // namespace platform
