#include "platform/gdi/GdiPalette.h"

#include <algorithm>
#include <set>
#include <vector>

struct HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

namespace {

std::set<HPALETTE>& LivePalettes() {
  static auto* live = new std::set<HPALETTE>;
  return *live;
}

bool IsLive(HPALETTE Palette) {
  return Palette && LivePalettes().count(Palette) != 0;
}

}  // namespace

HPALETTE CreatePalette(const LOGPALETTE* Palette) {
  if (!Palette || Palette->palNumEntries == 0 || Palette->palNumEntries > 256) return nullptr;
  auto* record = new HPALETTE__;
  record->entries.assign(Palette->palPalEntry, Palette->palPalEntry + Palette->palNumEntries);
  LivePalettes().insert(record);
  return record;
}

UINT GetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, PALETTEENTRY* Entries) {
  if (!IsLive(Palette) || !Entries || Start >= Palette->entries.size()) return 0;
  const UINT copied = std::min<UINT>(Count, static_cast<UINT>(Palette->entries.size()) - Start);
  std::copy_n(Palette->entries.begin() + Start, copied, Entries);
  return copied;
}

UINT SetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, const PALETTEENTRY* Entries) {
  if (!IsLive(Palette) || !Entries || Start >= Palette->entries.size()) return 0;
  const UINT set = std::min<UINT>(Count, static_cast<UINT>(Palette->entries.size()) - Start);
  std::copy_n(Entries, set, Palette->entries.begin() + Start);
  return set;
}

BOOL DeleteObject(HPALETTE Palette) {
  if (!IsLive(Palette)) return FALSE;
  LivePalettes().erase(Palette);
  delete Palette;
  return TRUE;
}
