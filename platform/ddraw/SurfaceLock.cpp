#include "platform/ddraw/SurfaceLock.h"

namespace platform {

SurfaceLock::SurfaceLock(IDirectDrawSurface* Surface) : surface_(Surface) {
  desc_.dwSize = sizeof(desc_);
  result_ = surface_ ? surface_->Lock(nullptr, &desc_, DDLOCK_WAIT, nullptr) : DDERR_INVALIDPARAMS;
}

SurfaceLock::~SurfaceLock() {
  if (Locked()) surface_->Unlock(desc_.lpSurface);
}

PixelView SurfaceLock::View() const {
  PixelView view;
  if (!Locked()) return view;
  const DDPIXELFORMAT& pf = desc_.ddpfPixelFormat;
  view.bits = static_cast<std::uint8_t*>(desc_.lpSurface);
  view.pitch = desc_.lPitch;
  view.width = static_cast<LONG>(desc_.dwWidth);
  view.height = static_cast<LONG>(desc_.dwHeight);
  view.bitCount =
      (pf.dwFlags & DDPF_ZBUFFER) ? (pf.dwZBufferBitDepth == 16 ? 16 : 32) : pf.dwRGBBitCount;
  view.redMask = pf.dwRBitMask;
  view.greenMask = pf.dwGBitMask;
  view.blueMask = pf.dwBBitMask;
  return view;
}

}  // namespace platform
