// The DirectDraw interfaces as abstract classes, with their IIDs and callback types.
//
// Only the methods the program calls exist, with the arguments of DirectX; records that are
// only read are passed as pointers to const. Every method returns DD_OK (0) or a DDERR_ code
// (platform/ddraw/DDrawErrors.h). IDirectDraw2 is a second interface on the same object as
// IDirectDraw, reached by QueryInterface(IID_IDirectDraw2), as in DirectX.
#pragma once

#include "platform/com/GdiTypes.h"
#include "platform/com/Unknown.h"
#include "platform/ddraw/DDrawTypes.h"

class IDirectDrawSurface;
class IDirectDrawPalette;
class IDirectDrawClipper;

inline constexpr IID IID_IDirectDraw = GuidFromString("{6C14DB80-A733-11CE-A521-0020AF0BE560}");
inline constexpr IID IID_IDirectDraw2 = GuidFromString("{B3A6F3E0-2B43-11CF-A2DE-00AA00B93356}");
inline constexpr IID IID_IDirectDrawSurface =
    GuidFromString("{6C14DB81-A733-11CE-A521-0020AF0BE560}");
inline constexpr IID IID_IDirectDrawPalette =
    GuidFromString("{6C14DB84-A733-11CE-A521-0020AF0BE560}");
inline constexpr IID IID_IDirectDrawClipper =
    GuidFromString("{6C14DB85-A733-11CE-A521-0020AF0BE560}");

// One call per display driver: its GUID (nullptr for the primary display driver), its
// description and name. A nonzero result continues the enumeration.
using LPDDENUMCALLBACKA = BOOL (*)(GUID* lpGUID, const char* lpDriverDescription,
                                   const char* lpDriverName, LPVOID lpContext);
// One call per display mode; DDENUMRET_OK continues, DDENUMRET_CANCEL stops.
using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* lpDDSurfaceDesc, LPVOID lpContext);

// IDirectDraw and IDirectDraw2 differ only in SetDisplayMode, which IDirectDraw2 gives a
// refresh rate and flags.
class IDirectDraw : public IUnknown {
 public:
  virtual HRESULT CreateClipper(DWORD dwFlags, IDirectDrawClipper** lplpDDClipper,
                                IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreatePalette(DWORD dwFlags, const PALETTEENTRY* lpColorTable,
                                IDirectDrawPalette** lplpDDPalette, IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateSurface(const DDSURFACEDESC* lpDDSurfaceDesc,
                                IDirectDrawSurface** lplpDDSurface, IUnknown* pUnkOuter) = 0;
  virtual HRESULT EnumDisplayModes(DWORD dwFlags, const DDSURFACEDESC* lpDDSurfaceDesc,
                                   LPVOID lpContext, LPDDENUMMODESCALLBACK lpEnumCallback) = 0;
  virtual HRESULT GetCaps(DDCAPS* lpDDDriverCaps, DDCAPS* lpDDHELCaps) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) = 0;

 protected:
  ~IDirectDraw() = default;
};

class IDirectDraw2 : public IUnknown {
 public:
  virtual HRESULT CreateClipper(DWORD dwFlags, IDirectDrawClipper** lplpDDClipper,
                                IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreatePalette(DWORD dwFlags, const PALETTEENTRY* lpColorTable,
                                IDirectDrawPalette** lplpDDPalette, IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateSurface(const DDSURFACEDESC* lpDDSurfaceDesc,
                                IDirectDrawSurface** lplpDDSurface, IUnknown* pUnkOuter) = 0;
  virtual HRESULT EnumDisplayModes(DWORD dwFlags, const DDSURFACEDESC* lpDDSurfaceDesc,
                                   LPVOID lpContext, LPDDENUMMODESCALLBACK lpEnumCallback) = 0;
  virtual HRESULT GetCaps(DDCAPS* lpDDDriverCaps, DDCAPS* lpDDHELCaps) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate,
                                 DWORD dwFlags) = 0;

 protected:
  ~IDirectDraw2() = default;
};

class IDirectDrawSurface : public IUnknown {
 public:
  virtual HRESULT AddAttachedSurface(IDirectDrawSurface* lpDDSAttachedSurface) = 0;
  virtual HRESULT Blt(const RECT* lpDestRect, IDirectDrawSurface* lpDDSrcSurface,
                      const RECT* lpSrcRect, DWORD dwFlags, const DDBLTFX* lpDDBltFx) = 0;
  virtual HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpDDSrcSurface,
                          const RECT* lpSrcRect, DWORD dwTrans) = 0;
  virtual HRESULT DeleteAttachedSurface(DWORD dwFlags,
                                        IDirectDrawSurface* lpDDSAttachedSurface) = 0;
  virtual HRESULT Flip(IDirectDrawSurface* lpDDSurfaceTargetOverride, DWORD dwFlags) = 0;
  virtual HRESULT GetAttachedSurface(const DDSCAPS* lpDDSCaps,
                                     IDirectDrawSurface** lplpDDAttachedSurface) = 0;
  virtual HRESULT GetCaps(DDSCAPS* lpDDSCaps) = 0;
  virtual HRESULT GetClipper(IDirectDrawClipper** lplpDDClipper) = 0;
  virtual HRESULT GetColorKey(DWORD dwFlags, DDCOLORKEY* lpDDColorKey) = 0;
  virtual HRESULT GetDC(HDC* lphDC) = 0;
  virtual HRESULT GetPalette(IDirectDrawPalette** lplpDDPalette) = 0;
  virtual HRESULT GetPixelFormat(DDPIXELFORMAT* lpDDPixelFormat) = 0;
  virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* lpDDSurfaceDesc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Lock(const RECT* lpDestRect, DDSURFACEDESC* lpDDSurfaceDesc, DWORD dwFlags,
                       HANDLE hEvent) = 0;
  virtual HRESULT ReleaseDC(HDC hDC) = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* lpDDClipper) = 0;
  virtual HRESULT SetColorKey(DWORD dwFlags, const DDCOLORKEY* lpDDColorKey) = 0;
  virtual HRESULT SetPalette(IDirectDrawPalette* lpDDPalette) = 0;
  virtual HRESULT Unlock(LPVOID lpSurfaceData) = 0;

 protected:
  ~IDirectDrawSurface() = default;
};

class IDirectDrawPalette : public IUnknown {
 public:
  virtual HRESULT GetCaps(DWORD* lpdwCaps) = 0;
  virtual HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries,
                             PALETTEENTRY* lpEntries) = 0;
  virtual HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount,
                             const PALETTEENTRY* lpEntries) = 0;

 protected:
  ~IDirectDrawPalette() = default;
};

class IDirectDrawClipper : public IUnknown {
 public:
  virtual HRESULT GetHWnd(HWND* lphWnd) = 0;
  virtual HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) = 0;

 protected:
  ~IDirectDrawClipper() = default;
};
