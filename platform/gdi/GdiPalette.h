// Logical palettes (HPALETTE): a bitmap's colour table as GDI hands it out.
#pragma once

#include "platform/com/GdiTypes.h"

// A palette holding the first palNumEntries entries of Palette (at most 256); 0 when there
// are none.
HPALETTE CreatePalette(const LOGPALETTE* Palette);
// Copies up to Count entries from Start; returns how many were copied (0 for a bad handle).
UINT GetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, PALETTEENTRY* Entries);
// Replaces up to Count entries from Start; returns how many were set.
UINT SetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, const PALETTEENTRY* Entries);
// Gives the palette back.
BOOL DeleteObject(HPALETTE Palette);
