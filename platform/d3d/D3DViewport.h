// IDirect3DViewport2: a rectangle of a device's render target with a background material.
// Clear fills it on the device the viewport was added to (AddViewport or SetCurrentViewport).
#pragma once

#include <memory>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"

namespace platform {

class DeviceCore;

class ViewportObject final : public RefCounted<IDirect3DViewport2> {
 public:
  ViewportObject() = default;

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT SetBackground(D3DMATERIALHANDLE Material) override;
  HRESULT Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) override;
  HRESULT SetViewport2(const D3DVIEWPORT2* Data) override;
  HRESULT GetViewport2(D3DVIEWPORT2* Data) override;

  // The device whose target this viewport covers; set by the device.
  void BindTo(const std::shared_ptr<DeviceCore>& Core) { core_ = Core; }
  // The viewport rectangle in target pixels, or the whole target before SetViewport2.
  bool HasRect() const { return hasRect_; }
  D3DRECT Rect() const;

 private:
  std::weak_ptr<DeviceCore> core_;
  D3DVIEWPORT2 data_{};
  bool hasRect_ = false;
  D3DMATERIALHANDLE background_ = 0;
};

}  // namespace platform
