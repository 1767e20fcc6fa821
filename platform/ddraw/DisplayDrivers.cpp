#include "platform/ddraw/DisplayDrivers.h"

#include <memory>

namespace platform {
namespace {

constexpr DWORD kSurfaceCapsEmulated =
    DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
    DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
    DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ZBUFFER;

DDCAPS EmulationCaps() {
  DDCAPS caps;
  caps.dwSize = sizeof(DDCAPS);
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_PALETTE | DDCAPS_COLORKEY |
                DDCAPS_BLTCOLORFILL | DDCAPS_BLTDEPTHFILL | DDCAPS_CANCLIP |
                DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM;
  caps.dwCKeyCaps = DDCKEYCAPS_SRCBLT;
  caps.dwPalCaps = DDPCAPS_8BIT | DDPCAPS_PRIMARYSURFACE;
  caps.dwZBufferBitDepths = DDBD_16 | DDBD_24 | DDBD_32;
  // SRCCOPY is raster operation 0xCC: bit 0xCC % 32 of word 0xCC / 32.
  caps.dwRops[0xCC / 32] = 1u << (0xCC % 32);
  caps.ddsCaps.dwCaps = kSurfaceCapsEmulated;
  return caps;
}

DDCAPS HardwareCaps(DWORD Caps, DWORD SurfaceCaps) {
  DDCAPS caps;
  caps.dwSize = sizeof(DDCAPS);
  caps.dwCaps = Caps;
  caps.ddsCaps.dwCaps = SurfaceCaps;
  return caps;
}

std::vector<std::unique_ptr<DisplayDriver>>& Drivers() {
  static auto* drivers = [] {
    auto* list = new std::vector<std::unique_ptr<DisplayDriver>>;
    auto primary = std::make_unique<DisplayDriver>();
    primary->primary = true;
    primary->description = "Primary Display Driver";
    primary->name = "display";
    primary->driverCaps = HardwareCaps(DDCAPS_NOHARDWARE, 0);
    primary->helCaps = EmulationCaps();
    list->push_back(std::move(primary));
    return list;
  }();
  return *drivers;
}

}  // namespace

const std::vector<DisplayMode>& DisplayModes() {
  static const std::vector<DisplayMode> modes = [] {
    std::vector<DisplayMode> list;
    for (const auto& [width, height] : {std::pair{640, 480}, {800, 600}, {1024, 768}})
      for (DWORD bits : {8u, 16u, 32u}) list.push_back(DisplayMode{width, height, bits, 60});
    return list;
  }();
  return modes;
}

const DisplayDriver* FindDisplayDriver(const GUID* Guid) {
  for (const auto& driver : Drivers())
    if (Guid ? (!driver->primary && driver->guid == *Guid) : driver->primary) return driver.get();
  return nullptr;
}

std::vector<const DisplayDriver*> DisplayDrivers() {
  std::vector<const DisplayDriver*> list;
  for (const auto& driver : Drivers()) list.push_back(driver.get());
  return list;
}

void AddDisplayDriver(const GUID& Guid, const std::string& Description, const std::string& Name,
                      DWORD DriverCaps, DWORD DriverSurfaceCaps) {
  auto driver = std::make_unique<DisplayDriver>();
  driver->guid = Guid;
  driver->description = Description;
  driver->name = Name;
  driver->driverCaps = HardwareCaps(DriverCaps, DriverSurfaceCaps);
  driver->helCaps = EmulationCaps();
  Drivers().push_back(std::move(driver));
}

void RemoveAddedDisplayDrivers() {
  Drivers().resize(1);
}

}  // namespace platform
