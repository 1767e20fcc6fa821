#include "platform/ddraw/Palette.h"

#include <algorithm>

#include "platform/ddraw/DDrawErrors.h"
#include "platform/display/Screen.h"

namespace platform {

PaletteObject::PaletteObject(DWORD Caps, const PALETTEENTRY* Entries) : caps_(Caps) {
  if (Entries) std::copy(Entries, Entries + 256, entries_.begin());
}

PaletteObject::~PaletteObject() = default;

HRESULT PaletteObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirectDrawPalette)
    return Answer(static_cast<IDirectDrawPalette*>(this), Object);
  return NoInterface(Object);
}

HRESULT PaletteObject::GetCaps(DWORD* Caps) {
  if (!Caps) return DDERR_INVALIDPARAMS;
  *Caps = caps_;
  return DD_OK;
}

HRESULT PaletteObject::GetEntries(DWORD Flags, DWORD Base, DWORD Count, PALETTEENTRY* Entries) {
  if (Flags != 0 || !Entries || Base > 256 || Count > 256 - Base) return DDERR_INVALIDPARAMS;
  std::copy_n(entries_.begin() + Base, Count, Entries);
  return DD_OK;
}

HRESULT PaletteObject::SetEntries(DWORD Flags, DWORD First, DWORD Count,
                                  const PALETTEENTRY* Entries) {
  if (Flags != 0 || !Entries || First > 256 || Count > 256 - First) return DDERR_INVALIDPARAMS;
  std::copy_n(Entries, Count, entries_.begin() + First);
  if (drivesScreen_) Screen::Get().SetPaletteEntries(First, Count, Entries);
  return DD_OK;
}

void PaletteObject::SetDrivesScreen(bool Drives) {
  drivesScreen_ = Drives;
  if (Drives) Screen::Get().SetPaletteEntries(0, 256, entries_.data());
}

}  // namespace platform
