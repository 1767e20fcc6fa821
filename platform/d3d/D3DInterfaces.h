// The Direct3D immediate-mode interfaces the program calls on a device, its viewports,
// materials and textures, as abstract classes with their DirectX 5 IIDs. The software device
// (platform/d3d) implements them; tests replace them by recording fakes.
//
// IDirect3D2 itself, with device enumeration and creation, is in platform/d3d/Direct3D.h.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/d3d/D3DCaps.h"
#include "platform/d3d/D3DTypes.h"
#include "platform/ddraw/DDrawTypes.h"

class IDirect3D2;
class IDirect3DDevice2;
class IDirectDrawSurface;

inline constexpr IID IID_IDirect3DDevice2 =
    GuidFromString("{93281501-8CF8-11D0-89AB-00A0C9054129}");
inline constexpr IID IID_IDirect3DViewport =
    GuidFromString("{4417C146-33AD-11CF-816F-0000C020156E}");
inline constexpr IID IID_IDirect3DViewport2 =
    GuidFromString("{93281500-8CF8-11D0-89AB-00A0C9054129}");
inline constexpr IID IID_IDirect3DTexture2 =
    GuidFromString("{93281502-8CF8-11D0-89AB-00A0C9054129}");
inline constexpr IID IID_IDirect3DMaterial2 =
    GuidFromString("{93281503-8CF8-11D0-89AB-00A0C9054129}");

// A colour with float channels, as materials hold them.
struct D3DCOLORVALUE {
  D3DVALUE r = 0, g = 0, b = 0, a = 0;
};

struct D3DMATERIAL {
  DWORD dwSize = 0;
  D3DCOLORVALUE diffuse;
  D3DCOLORVALUE ambient;
  D3DCOLORVALUE specular;
  D3DCOLORVALUE emissive;
  D3DVALUE power = 0;
  D3DTEXTUREHANDLE hTexture = 0;
  DWORD dwRampSize = 0;
};

// The rectangle of the render target a viewport covers, and its depth range.
struct D3DVIEWPORT2 {
  DWORD dwSize = 0;
  DWORD dwX = 0, dwY = 0, dwWidth = 0, dwHeight = 0;
  D3DVALUE dvClipX = 0, dvClipY = 0, dvClipWidth = 0, dvClipHeight = 0;
  D3DVALUE dvMinZ = 0, dvMaxZ = 1;
};

// One call per texture format the device can read; D3DENUMRET_OK asks for the next.
using LPD3DENUMTEXTUREFORMATSCALLBACK = HRESULT (*)(DDSURFACEDESC* lpDdsd, LPVOID lpContext);

class IDirect3DViewport : public IUnknown {
 public:
  // The material whose diffuse colour Clear fills the target with.
  virtual HRESULT SetBackground(D3DMATERIALHANDLE hMat) = 0;
  // Fills the rectangles: the target with the background colour (D3DCLEAR_TARGET), the depth
  // buffer with the far value (D3DCLEAR_ZBUFFER).
  virtual HRESULT Clear(DWORD dwCount, const D3DRECT* lpRects, DWORD dwFlags) = 0;

 protected:
  ~IDirect3DViewport() = default;
};

class IDirect3DViewport2 : public IDirect3DViewport {
 public:
  virtual HRESULT SetViewport2(const D3DVIEWPORT2* lpData) = 0;
  virtual HRESULT GetViewport2(D3DVIEWPORT2* lpData) = 0;

 protected:
  ~IDirect3DViewport2() = default;
};

class IDirect3DMaterial2 : public IUnknown {
 public:
  virtual HRESULT SetMaterial(const D3DMATERIAL* lpMat) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL* lpMat) = 0;
  virtual HRESULT GetHandle(IDirect3DDevice2* lpDirect3DDevice, D3DMATERIALHANDLE* lpHandle) = 0;

 protected:
  ~IDirect3DMaterial2() = default;
};

class IDirect3DTexture2 : public IUnknown {
 public:
  virtual HRESULT GetHandle(IDirect3DDevice2* lpDirect3DDevice, D3DTEXTUREHANDLE* lpHandle) = 0;
  // The surface's palette entries changed; the device rereads them.
  virtual HRESULT PaletteChanged(DWORD dwStart, DWORD dwCount) = 0;
  // Copies the source texture's pixels and palette into this one.
  virtual HRESULT Load(IDirect3DTexture2* lpD3DTexture) = 0;

 protected:
  ~IDirect3DTexture2() = default;
};

class IDirect3DDevice2 : public IUnknown {
 public:
  virtual HRESULT GetDirect3D(IDirect3D2** lplpD3D) = 0;
  virtual HRESULT GetRenderTarget(IDirectDrawSurface** lplpRenderTarget) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE dwRenderStateType, DWORD dwRenderState) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE dwRenderStateType, DWORD* lpdwRenderState) = 0;
  virtual HRESULT SetLightState(D3DLIGHTSTATETYPE dwLightStateType, DWORD dwLightState) = 0;
  virtual HRESULT GetLightState(D3DLIGHTSTATETYPE dwLightStateType, DWORD* lpdwLightState) = 0;
  virtual HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK lpd3dEnumTextureProc,
                                     LPVOID lpArg) = 0;
  virtual HRESULT AddViewport(IDirect3DViewport2* lpDirect3DViewport) = 0;
  virtual HRESULT DeleteViewport(IDirect3DViewport2* lpDirect3DViewport) = 0;
  virtual HRESULT SetCurrentViewport(IDirect3DViewport2* lpd3dViewport) = 0;
  virtual HRESULT GetCurrentViewport(IDirect3DViewport2** lplpd3dViewport) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE d3dptPrimitiveType,
                                       D3DVERTEXTYPE d3dvtVertexType, LPVOID lpvVertices,
                                       DWORD dwVertexCount, WORD* dwIndices, DWORD dwIndexCount,
                                       DWORD dwFlags) = 0;

 protected:
  ~IDirect3DDevice2() = default;
};
