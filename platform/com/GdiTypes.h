// Handles and records of the Windows drawing interface (GDI) that the program and the
// DirectDraw stand-in pass around. Handles are opaque pointers; HWND values are ids of the
// window registry (platform/display/Window.h), HDC and HPALETTE point at records of this layer.
#pragma once

#include "platform/com/WinTypes.h"

struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;

struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;

  bool operator==(const PALETTEENTRY&) const = default;
};

// A logical palette. Windows declares a one-entry array that callers over-allocate; here it
// has room for the 256 entries an 8-bit palette can hold, palNumEntries of them in use.
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[256] = {};
};

// peFlags values.
inline constexpr BYTE PC_RESERVED = 0x01;
inline constexpr BYTE PC_EXPLICIT = 0x02;
inline constexpr BYTE PC_NOCOLLAPSE = 0x04;

// Raster operation of BitBlt: copy the source unchanged.
inline constexpr DWORD SRCCOPY = 0x00CC0020;
