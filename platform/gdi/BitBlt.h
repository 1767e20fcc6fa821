// BitBlt: copies a rectangle of pixels from one drawing context to another.
#pragma once

#include "platform/com/GdiTypes.h"

// Copies the Width x Height rectangle at (SrcX, SrcY) of Source to (X, Y) of Destination,
// cut to what both contexts can reach. Only SRCCOPY is offered (FALSE for any other
// operation or a context that is not live).
//
// Colours are matched the way a screen device matches them:
// - palette indices into palette indices keep each index whose colour is the same in both
//   palettes, and otherwise take the destination palette's nearest colour;
// - palette indices into 16 or 32 bits take the colour from the source palette;
// - RGB into palette indices takes the nearest colour of the destination palette;
// - RGB into RGB converts between the channel masks (a plain copy when they agree).
BOOL BitBlt(HDC Destination, int X, int Y, int Width, int Height, HDC Source, int SrcX, int SrcY,
            DWORD Rop);
