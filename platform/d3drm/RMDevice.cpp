#include "platform/d3drm/RMDevice.h"

namespace platform::d3drm {

RMDevice* RMDevice::Create(IDirect3D2* Direct3D, IDirect3DDevice2* Device) {
  return new RMDevice(Direct3D, Device);
}

RMDevice* RMDevice::From(IDirect3DRMDevice* Itf) {
  return dynamic_cast<RMDevice*>(Itf);
}

RMDevice::RMDevice(IDirect3D2* Direct3D, IDirect3DDevice2* Device)
    : RMObject("Device"), direct3D_(Direct3D), device_(Device) {}

HRESULT RMDevice::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMDevice || Iid == IID_IDirect3DRMDevice2)
    return Answer(static_cast<IDirect3DRMDevice2*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT RMDevice::SetBufferCount(DWORD Count) {
  if (Count == 0) return D3DRMERR_BADVALUE;
  bufferCount_ = Count;
  return D3DRM_OK;
}

HRESULT RMDevice::Update() {
  ++updates_;
  return D3DRM_OK;
}

HRESULT RMDevice::GetDirect3DDevice2(IDirect3DDevice2** Device) {
  if (!Device) return D3DRMERR_BADVALUE;
  *Device = device_.Get();
  if (!*Device) return D3DRMERR_BADDEVICE;
  (*Device)->AddRef();
  return D3DRM_OK;
}

}  // namespace platform::d3drm
