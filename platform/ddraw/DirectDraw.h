// DirectDraw's entry points: the driver list and the DirectDraw object.
//
// The DirectDraw object (IDirectDraw, and IDirectDraw2 on the same object) works on the one
// emulated screen (platform/display/Screen.h):
// - SetCooperativeLevel: DDSCL_NORMAL (a window or 0), or DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE
//   with the program's window (one object at a time holds exclusive mode); the flags
//   DDSCL_ALLOWREBOOT, DDSCL_NOWINDOWCHANGES and DDSCL_ALLOWMODEX may accompany either.
// - SetDisplayMode needs exclusive mode and one of the modes EnumDisplayModes lists; it is a
//   mode change (every surface is lost). The desktop comes back with RestoreDisplayMode, on
//   leaving exclusive mode, or when the object is released.
// - CreateSurface (platform/ddraw/SurfaceCreation.h), CreatePalette (DDPCAPS_8BIT, 256
//   entries), CreateClipper (flags 0), GetCaps (the driver's hardware and emulation caps).
// - QueryInterface gives IDirectDraw, IDirectDraw2 and the Direct3D object (IID_IDirect3D2).
#pragma once

#include "platform/ddraw/DDrawInterfaces.h"

// Calls Callback for each display driver, the primary display driver first (GUID nullptr,
// "Primary Display Driver", "display"), until it returns 0.
HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA Callback, LPVOID Context);

// Opens the display driver Guid names (nullptr: the primary display driver). On failure
// *DirectDraw is nullptr and the result DDERR_INVALIDDIRECTDRAWGUID.
HRESULT DirectDrawCreate(GUID* Guid, IDirectDraw** DirectDraw, IUnknown* Outer);
