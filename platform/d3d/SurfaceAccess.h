// Reading DirectDraw surfaces as the rasteriser's plain views: a lock held for the length of
// one device call, and the pixel formats the device can draw into or sample from.
#pragma once

#include <optional>

#include "platform/com/ComPtr.h"
#include "platform/d3d/raster/DepthBuffer.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Targets.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

// Locks a surface on construction and unlocks it when it goes; Result() tells whether the lock
// was granted (a lost surface answers DDERR_SURFACELOST).
class SurfaceLock {
 public:
  explicit SurfaceLock(IDirectDrawSurface* Surface);
  ~SurfaceLock();
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;

  HRESULT Result() const { return result_; }
  bool Locked() const { return result_ == DD_OK; }
  const DDSURFACEDESC& Desc() const { return desc_; }

 private:
  IDirectDrawSurface* surface_;
  DDSURFACEDESC desc_{};
  HRESULT result_;
};

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
