// Reading DirectDraw surfaces as the rasteriser's plain views: the pixel formats the device can
// draw into or sample from (the lock held for one device call is platform/ddraw/SurfaceLock.h).
#pragma once

#include <optional>

#include "platform/com/ComPtr.h"
#include "platform/d3d/raster/DepthBuffer.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Targets.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DDrawInterfaces.h"
#include "platform/ddraw/SurfaceLock.h"

namespace platform {

// The target view of a locked 16-bit 5-6-5 or 32-bit surface, or nothing for other formats.
std::optional<raster::RenderTargetView> TargetView(const DDSURFACEDESC& Desc);

// The depth view of a locked z-buffer of 16, 24 or 32 bits, or nothing.
std::optional<raster::DepthBufferView> DepthView(const DDSURFACEDESC& Desc);

// The sampler's format for a texture surface's pixel format, or nothing when it cannot sample
// it.
std::optional<raster::TextureFormat> TextureFormatOf(const DDPIXELFORMAT& Format);

// The z-buffer attached to Surface, if any.
ComPtr<IDirectDrawSurface> AttachedZBuffer(IDirectDrawSurface* Surface);

}  // namespace platform
