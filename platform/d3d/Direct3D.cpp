#include "platform/d3d/Direct3D.h"

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DMaterial.h"
#include "platform/d3d/D3DViewport.h"
#include "platform/d3d/SoftwareDevice.h"
#include "platform/d3d/SoftwareDeviceCaps.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {
namespace {

class Direct3DObject final : public RefCounted<IDirect3D2> {
 public:
  explicit Direct3DObject(IUnknown* DirectDraw) : directDraw_(DirectDraw) {}

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3D2)
      return Answer(static_cast<IDirect3D2*>(this), Object);
    // Direct3D is a part of its DirectDraw object, as in DirectX: the DirectDraw interfaces
    // are reached through it (the retained-mode layer makes its texture surfaces that way).
    if (directDraw_ && (Iid == IID_IDirectDraw || Iid == IID_IDirectDraw2))
      return directDraw_->QueryInterface(Iid, Object);
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

  HRESULT CreateMaterial(IDirect3DMaterial2** Material, IUnknown* /*Outer*/) override {
    if (!Material) return E_POINTER;
    *Material = new MaterialObject;
    return D3D_OK;
  }
  HRESULT CreateViewport(IDirect3DViewport2** Viewport, IUnknown* /*Outer*/) override {
    if (!Viewport) return E_POINTER;
    *Viewport = new ViewportObject;
    return D3D_OK;
  }
  // Only the software device is built; the other device GUIDs fail as an absent driver would.
  HRESULT CreateDevice(REFCLSID Guid, IDirectDrawSurface* Surface,
                       IDirect3DDevice2** Device) override {
    if (!Device) return E_POINTER;
    *Device = nullptr;
    if (Guid != IID_IDirect3DRGBDevice) return E_NOINTERFACE;
    return CreateSoftwareDevice(this, Surface, Device);
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
