// IDirect3D2: the Direct3D object of a DirectDraw object, reached by QueryInterface
// (IID_IDirect3D2) on the DirectDraw object, as in DirectX. It lists the 3D devices and makes
// devices, materials and viewports. Being a part of that DirectDraw object, it answers
// QueryInterface for IID_IDirectDraw and IID_IDirectDraw2 with the DirectDraw object's
// interfaces.
//
// The one device built is the software device "RGB Emulation" (IID_IDirect3DRGBDevice). The
// HAL, MMX and Ramp GUIDs exist because the view's fallback chain names them; a device that
// is not built is not listed, and CreateDevice with its GUID fails.
//
// CreateDevice makes the software device (platform/d3d/SoftwareDevice.h) on a 16-bit 5-6-5 or
// 32-bit surface; CreateMaterial and CreateViewport make the objects that work on it.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/d3d/D3DCaps.h"
#include "platform/d3d/D3DInterfaces.h"

inline constexpr HRESULT D3D_OK = S_OK;

inline constexpr IID IID_IDirect3D2 = GuidFromString("{6AAE1EC1-662A-11D0-889D-00AA00BBB76A}");
inline constexpr GUID IID_IDirect3DRampDevice =
    GuidFromString("{F2086B20-259F-11CF-A31A-00AA00B93356}");
inline constexpr GUID IID_IDirect3DRGBDevice =
    GuidFromString("{A4665C60-2673-11CF-A31A-00AA00B93356}");
inline constexpr GUID IID_IDirect3DHALDevice =
    GuidFromString("{84E63DE0-46AA-11CF-816F-0000C020156E}");
inline constexpr GUID IID_IDirect3DMMXDevice =
    GuidFromString("{881949A1-D6F3-11D0-89AB-00A0C9054129}");

// One call per device: its GUID, description and name, its hardware and emulation
// descriptions. D3DENUMRET_OK continues, D3DENUMRET_CANCEL stops. The records are valid
// during the call only; the callee copies what it keeps.
using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* lpGuid, const char* lpDeviceDescription,
                                             const char* lpDeviceName,
                                             D3DDEVICEDESC* lpD3DHWDeviceDesc,
                                             D3DDEVICEDESC* lpD3DHELDeviceDesc, LPVOID lpContext);

class IDirect3D2 : public IUnknown {
 public:
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK lpEnumDevicesCallback, LPVOID lpUserArg) = 0;
  virtual HRESULT CreateMaterial(IDirect3DMaterial2** lplpDirect3DMaterial2,
                                 IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateViewport(IDirect3DViewport2** lplpD3DViewport2, IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateDevice(REFCLSID rclsid, IDirectDrawSurface* lpDDS,
                               IDirect3DDevice2** lplpD3DDevice2) = 0;

 protected:
  ~IDirect3D2() = default;
};

namespace platform {

// The Direct3D object of DirectDraw (which it keeps a reference to while it lives). The
// DirectDraw object's QueryInterface(IID_IDirect3D2) calls this.
HRESULT CreateDirect3D2(IUnknown* DirectDraw, IDirect3D2** Direct3D);

}  // namespace platform
