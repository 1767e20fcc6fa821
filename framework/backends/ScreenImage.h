// The emulated screen as the desktop backend shows it: its pixels, in whatever coding the
// display mode has (16-bit 5-6-5 on the desktop, 8-bit palettised or 16/32-bit full screen),
// converted to 32-bit ARGB8888 for an SDL texture. Bitmaps shown by images are converted by
// the same routine.
#pragma once

#include <cstdint>

#include "platform/com/GdiTypes.h"
#include "platform/display/PixelView.h"

struct SDL_Texture;

namespace framework::backends {

// Converts Count pixels of View's row Y from column X into opaque ARGB8888 (32-bit views are
// 0x00RRGGBB). Palette (256
// entries) gives the colours of an 8-bit view. 5-6-5 channels are widened by repeating their
// top bits, so that white stays white.
void ConvertRowToArgb(const platform::PixelView& View, const PALETTEENTRY* Palette, int X, int Y,
                      int Count, std::uint32_t* Out);

// Copies the screen's pixels of ScreenRect into Texture (a streaming ARGB8888 texture) with
// the rectangle's top-left corner at (X, Y) of the texture. The rectangle is cut to the screen
// and to the texture; false when nothing is left or the texture cannot be locked.
bool CopyScreenToTexture(const RECT& ScreenRect, SDL_Texture* Texture, int X, int Y);

}  // namespace framework::backends
