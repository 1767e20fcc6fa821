// The software Direct3D device "RGB Emulation": an IDirect3DDevice2 that draws into a 16-bit
// 5-6-5 or 32-bit DirectDraw surface (and its attached z-buffer) with the project's rasteriser.
// Each device draws with raster::DefaultThreadCount() threads, or with the count the environment
// variable KOR_RASTER_THREADS gives; every call returns with its pixels written, and the pixels
// are the same whatever the count.
#pragma once

#include "platform/d3d/D3DInterfaces.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

// Makes a device drawing into Target for Direct3D (which GetDirect3D hands back). Fails with
// DDERR_INVALIDPIXELFORMAT for a target the rasteriser cannot draw into.
HRESULT CreateSoftwareDevice(IDirect3D2* Direct3D, IDirectDrawSurface* Target,
                             IDirect3DDevice2** Device);

// The texture formats the device samples, in the order EnumTextureFormats offers them:
// 16-bit 5-6-5, 8-bit palettised, 16-bit 1-5-5-5 with alpha, 32-bit with alpha.
int TextureFormatCount();
DDSURFACEDESC TextureFormatDesc(int Index);

}  // namespace platform
