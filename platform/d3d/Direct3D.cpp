#include "platform/d3d/Direct3D.h"

#include "platform/com/ComPtr.h"
#include "platform/d3d/SoftwareDeviceCaps.h"

namespace platform {
namespace {

class Direct3DObject final : public RefCounted<IDirect3D2> {
 public:
  explicit Direct3DObject(IUnknown* DirectDraw) : directDraw_(DirectDraw) {}

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3D2)
      return Answer(static_cast<IDirect3D2*>(this), Object);
    return NoInterface(Object);
  }

  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK Callback, LPVOID Context) override {
    if (!Callback) return E_INVALIDARG;
    // Fresh copies per call: what one callee does to them cannot reach the next.
    GUID guid = IID_IDirect3DRGBDevice;
    D3DDEVICEDESC hardware = NoHardwareDescription();
    D3DDEVICEDESC emulation = SoftwareDeviceDescription();
    Callback(&guid, kSoftwareDeviceDescription, kSoftwareDeviceName, &hardware, &emulation,
             Context);
    return D3D_OK;
  }

  // Materials, viewports and devices arrive with the immediate-mode device.
  HRESULT CreateMaterial(IDirect3DMaterial2** Material, IUnknown* /*Outer*/) override {
    if (Material) *Material = nullptr;
    return E_NOTIMPL;
  }
  HRESULT CreateViewport(IDirect3DViewport2** Viewport, IUnknown* /*Outer*/) override {
    if (Viewport) *Viewport = nullptr;
    return E_NOTIMPL;
  }
  HRESULT CreateDevice(REFCLSID /*Guid*/, IDirectDrawSurface* /*Surface*/,
                       IDirect3DDevice2** Device) override {
    if (Device) *Device = nullptr;
    return E_NOTIMPL;
  }

 private:
  ComPtr<IUnknown> directDraw_;  // Direct3D lives inside its DirectDraw object
};

}  // namespace

HRESULT CreateDirect3D2(IUnknown* DirectDraw, IDirect3D2** Direct3D) {
  if (!Direct3D) return E_POINTER;
  *Direct3D = new Direct3DObject(DirectDraw);
  return S_OK;
}

}  // namespace platform
