// The descriptions of the software device "RGB Emulation" as EnumDevices reports them: what
// the rasteriser draws (Gouraud RGB colour with specular, point-sampled wrapped textures
// modulated by the colour, z test less-or-equal with z write, table and vertex fog, culling,
// dithering, perspective correction, 16- and 32-bit targets, 16/24/32-bit z-buffers).
#pragma once

#include "platform/d3d/D3DCaps.h"

namespace platform {

inline constexpr const char* kSoftwareDeviceDescription = "RGB Emulation";
inline constexpr const char* kSoftwareDeviceName = "RGB Emulation";

// The emulation description: every field filled (dwFlags says so), colour model RGB.
D3DDEVICEDESC SoftwareDeviceDescription();
// The hardware description of a software device: only dwSize set, so dcmColorModel is 0.
D3DDEVICEDESC NoHardwareDescription();

}  // namespace platform
