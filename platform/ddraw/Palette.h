// The DirectDraw palette: 256 entries. Set on the primary surface of an 8-bit mode, it is
// the screen's palette, and later SetEntries calls change the screen's colours.
#pragma once

#include <array>

#include "platform/com/Unknown.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

class PaletteObject final : public RefCounted<IDirectDrawPalette> {
 public:
  // Caps must hold DDPCAPS_8BIT; Entries (256) may be nullptr for an all-black palette.
  PaletteObject(DWORD Caps, const PALETTEENTRY* Entries);
  ~PaletteObject() override;

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT GetCaps(DWORD* Caps) override;
  HRESULT GetEntries(DWORD Flags, DWORD Base, DWORD Count, PALETTEENTRY* Entries) override;
  HRESULT SetEntries(DWORD Flags, DWORD First, DWORD Count, const PALETTEENTRY* Entries) override;

  const PALETTEENTRY* Entries() const { return entries_.data(); }
  // Called by the primary surface when it takes this palette on (true) or lets it go.
  void SetDrivesScreen(bool Drives);

 private:
  DWORD caps_;
  std::array<PALETTEENTRY, 256> entries_{};
  bool drivesScreen_ = false;
};

}  // namespace platform
