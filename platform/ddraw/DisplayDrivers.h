// The display drivers of the emulated machine and the modes its screen can take.
//
// There is always the primary display driver (no GUID, "Primary Display Driver", "display"):
// a display without acceleration, whose hardware caps report DDCAPS_NOHARDWARE and whose
// emulation does everything the surfaces here do. Tests (and a later configuration) may add
// further drivers, such as a 3D card with a driver of its own: they are listed after the
// primary one, opened by their GUID and draw on the same emulated screen.
#pragma once

#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/ddraw/DDrawTypes.h"

namespace platform {

struct DisplayMode {
  LONG width;
  LONG height;
  DWORD bitCount;
  DWORD refreshRate;
};

// 640 x 480, 800 x 600 and 1024 x 768, each at 8, 16 and 32 bits per pixel, 60 Hz.
const std::vector<DisplayMode>& DisplayModes();

struct DisplayDriver {
  bool primary = false;
  GUID guid;  // GUID_NULL for the primary display driver
  std::string description;
  std::string name;
  DDCAPS driverCaps;  // what the hardware does
  DDCAPS helCaps;     // what the emulation does
};

// The primary display driver when Guid is nullptr, else the added driver with that GUID;
// nullptr when there is none.
const DisplayDriver* FindDisplayDriver(const GUID* Guid);
// The primary display driver first, then the added ones in the order they were added.
std::vector<const DisplayDriver*> DisplayDrivers();

// Adds a driver whose hardware caps report DriverCaps in dwCaps and DriverSurfaceCaps in
// ddsCaps.dwCaps (its emulation caps are the primary driver's).
void AddDisplayDriver(const GUID& Guid, const std::string& Description, const std::string& Name,
                      DWORD DriverCaps, DWORD DriverSurfaceCaps);
void RemoveAddedDisplayDrivers();

}  // namespace platform
