// RMDevice: the retained-mode device (IDirect3DRMDevice, IDirect3DRMDevice2) made from an
// immediate-mode device by IDirect3DRM2::CreateDeviceFromD3D.
//
// It keeps a reference to the IDirect3DDevice2 it draws through and to the IDirect3D2 that
// made it (viewports are made from it), and the buffer count. The surface it draws into
// belongs to whoever made the immediate-mode device, who also presents it: Update therefore
// has nothing to copy or flip and only counts the frames ended (UpdateCount()).
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

class RMDevice final : public RMObject<IDirect3DRMDevice2> {
 public:
  // A device over Device (Direct3D may be nullptr: the device then has no viewports of its
  // own); the caller owns its one reference.
  static RMDevice* Create(IDirect3D2* Direct3D, IDirect3DDevice2* Device);
  static RMDevice* From(IDirect3DRMDevice* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT SetBufferCount(DWORD Count) override;
  DWORD GetBufferCount() override { return bufferCount_; }
  HRESULT Update() override;
  HRESULT GetDirect3DDevice2(IDirect3DDevice2** Device) override;

  IDirect3D2* Direct3D() const { return direct3D_.Get(); }
  IDirect3DDevice2* Device() const { return device_.Get(); }
  DWORD UpdateCount() const { return updates_; }

 private:
  RMDevice(IDirect3D2* Direct3D, IDirect3DDevice2* Device);

  ComPtr<IDirect3D2> direct3D_;
  ComPtr<IDirect3DDevice2> device_;
  DWORD bufferCount_ = 1;
  DWORD updates_ = 0;
};

}  // namespace platform::d3drm
