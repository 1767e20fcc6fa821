// Drawing contexts (HDC): what BitBlt draws from and into.
//
// Three kinds exist:
// - the desktop's and a window's (GetDC): they draw on the emulated screen, a window's with
//   its client origin as (0, 0) and cut to the part of the window that can show;
// - one made on pixel memory (CreatePixelDC): a DirectDraw surface's (IDirectDrawSurface::
//   GetDC) or a bitmap's (the framework's TBitmap makes one for its canvas).
// A context on palette indices carries the colours of its palette, so that BitBlt can match
// colours between contexts; one on the screen in an 8-bit mode uses the system palette.
#pragma once

#include <array>

#include "platform/com/GdiTypes.h"
#include "platform/display/PixelView.h"

namespace platform {

// Where a context draws at the moment of a call.
struct DrawTarget {
  PixelView view;
  POINT origin;  // pixel of view that is (0, 0) in the context's coordinates
  RECT clip;     // pixels of view that may be drawn, inside the view
  const PALETTEENTRY* palette = nullptr;  // 256 entries for an 8-bit view, else nullptr
};

// A context on View's memory. Palette (256 entries) gives the colours of an 8-bit view; when
// it is nullptr the system palette is used. The caller keeps the memory alive until DeleteDC.
HDC CreatePixelDC(const PixelView& View, const PALETTEENTRY* Palette);

// What Context draws on now; false when Context is not a live context.
bool GetDrawTarget(HDC Context, DrawTarget* Target);

// True when Context draws on the emulated screen (its writes are screen changes).
bool DrawsOnScreen(HDC Context);

}  // namespace platform

// A context on the screen: the whole desktop for Window 0, else Window's client area.
// Returns 0 when Window is neither 0 nor a window.
HDC GetDC(HWND Window);
// Gives back a context of GetDC: 1 when it was one, else 0.
int ReleaseDC(HWND Window, HDC Context);
// Gives back a context of CreatePixelDC.
BOOL DeleteDC(HDC Context);

// Copies Count entries of the system palette from Start into Entries. A screen that is not
// palettised (16 or 32 bits) has no system palette: nothing is filled and the result is 0.
// Otherwise the result is the number of entries copied.
UINT GetSystemPaletteEntries(HDC Context, UINT Start, UINT Count, PALETTEENTRY* Entries);
