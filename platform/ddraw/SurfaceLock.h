// A DirectDraw surface locked for the length of a scope: the Direct3D device holds one for each
// call that draws, and readers of a surface's pixels see them through View().
#pragma once

#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DDrawInterfaces.h"
#include "platform/display/PixelView.h"

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
  // The locked memory as a pixel view (a z-buffer's depth values as 16- or 32-bit pixels);
  // empty when the lock was refused.
  PixelView View() const;

 private:
  IDirectDrawSurface* surface_;
  DDSURFACEDESC desc_{};
  HRESULT result_;
};

}  // namespace platform
