// The enumeration records of the display unit and the driver enumeration behind DDEnum: one
// TDrawDriverRec per DirectDraw driver that opens, with its caps, its display modes and the
// Direct3D devices its Direct3D object lists. Every record belongs to its list.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "framework/List.h"
#include "platform/com/Guid.h"
#include "platform/d3d/D3DCaps.h"
#include "platform/ddraw/DDrawTypes.h"

struct TDisplayModeRec {
  DWORD Width = 0;        // the description's dwWidth
  DWORD Height = 0;       // dwHeight
  DWORD RefreshRate = 0;  // dwRefreshRate
  DDSURFACEDESC Desc;     // the whole description as enumerated
};

struct T3DDeviceRec {
  GUID Guid;  // copied by value
  std::string Description;
  std::string Name;
  D3DDEVICEDESC HWDesc;  // nonzero dcmColorModel: a hardware device
  D3DDEVICEDESC HELDesc;
};

struct TDrawDriverRec {
  // The driver's GUID as the enumeration gave it; empty for the primary display driver.
  // GuidPointer() is what DirectDrawCreate is given.
  std::optional<GUID> Guid;
  std::string Description;
  std::string Name;     // shown by the device-selection dialog
  LONG Has3D = 0;       // -1 when the driver caps have DDCAPS_3D, else 0
  LONG HasTexture = 0;  // -1 when the driver caps have DDSCAPS_TEXTURE, else 0
  DDCAPS DriverCaps;
  DDCAPS HELCaps;
  TList<std::unique_ptr<TDisplayModeRec>> Modes;
  TList<std::unique_ptr<T3DDeviceRec>> Devices;

  GUID* GuidPointer() { return Guid ? &*Guid : nullptr; }
};

using TDrawDriverList = TList<std::unique_ptr<TDrawDriverRec>>;

// Appends a record for each driver DirectDrawEnumerateA reports, in its order. A driver that
// does not open is left out; one whose Direct3D object cannot be reached is listed with no
// devices.
void EnumerateDrawDrivers(TDrawDriverList& List);
