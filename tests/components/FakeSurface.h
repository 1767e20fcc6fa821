// A recording stand-in for a DirectDraw surface: plain 16-bit memory of any channel masks,
// a lock result that can be made to fail, and a record of the blits asked of it.
#pragma once

#include <optional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DDrawInterfaces.h"

class FakeSurface final : public platform::RefCounted<IDirectDrawSurface> {
 public:
  struct BltFastCall {
    DWORD x, y;
    RECT rect;
    DWORD flags;
    IDirectDrawSurface* source;
  };
  struct BltCall {
    std::optional<RECT> dest, src;
    DWORD flags;
    IDirectDrawSurface* source;
  };

  FakeSurface(LONG Width, LONG Height, DWORD RedMask, DWORD GreenMask, DWORD BlueMask)
      : width(Width),
        height(Height),
        pitch(Width * 2),
        memory(static_cast<std::size_t>(Width * Height * 2), 0) {
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = RedMask;
    format.dwGBitMask = GreenMask;
    format.dwBBitMask = BlueMask;
  }

  static ComPtr<FakeSurface> Make(LONG Width, LONG Height, DWORD R = 0xF800, DWORD G = 0x07E0,
                                  DWORD B = 0x001F) {
    ComPtr<FakeSurface> fake;
    fake.Attach(new FakeSurface(Width, Height, R, G, B));
    return fake;
  }

  std::uint16_t& At(LONG X, LONG Y) {
    return reinterpret_cast<std::uint16_t*>(memory.data())[Y * width + X];
  }

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (Iid == IID_IUnknown || Iid == IID_IDirectDrawSurface)
      return Answer(static_cast<IDirectDrawSurface*>(this), Object);
    return NoInterface(Object);
  }
  HRESULT Lock(const RECT*, DDSURFACEDESC* Desc, DWORD, HANDLE) override {
    ++locks;
    if (lockResult != DD_OK) return lockResult;
    if (locked) return DDERR_SURFACEBUSY;
    locked = true;
    Desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    Desc->dwWidth = static_cast<DWORD>(width);
    Desc->dwHeight = static_cast<DWORD>(height);
    Desc->lPitch = pitch;
    Desc->lpSurface = memory.data();
    Desc->ddpfPixelFormat = format;
    return DD_OK;
  }
  HRESULT Unlock(LPVOID) override {
    ++unlocks;
    if (!locked) return DDERR_NOTLOCKED;
    locked = false;
    return DD_OK;
  }
  HRESULT BltFast(DWORD X, DWORD Y, IDirectDrawSurface* Source, const RECT* Rect,
                  DWORD Flags) override {
    bltFasts.push_back(BltFastCall{X, Y, Rect ? *Rect : RECT{}, Flags, Source});
    return DD_OK;
  }
  HRESULT Blt(const RECT* Dest, IDirectDrawSurface* Source, const RECT* Src, DWORD Flags,
              const DDBLTFX*) override {
    BltCall call{std::nullopt, std::nullopt, Flags, Source};
    if (Dest) call.dest = *Dest;
    if (Src) call.src = *Src;
    blts.push_back(call);
    return DD_OK;
  }
  HRESULT SetClipper(IDirectDrawClipper* Clipper) override {
    clippers.push_back(Clipper);
    return DD_OK;
  }
  HRESULT IsLost() override { return lost ? DDERR_SURFACELOST : DD_OK; }
  HRESULT Restore() override {
    ++restores;
    lost = false;
    return DD_OK;
  }

  // Not used by the component's code under test.
  HRESULT AddAttachedSurface(IDirectDrawSurface*) override { return E_NOTIMPL; }
  HRESULT DeleteAttachedSurface(DWORD, IDirectDrawSurface*) override { return E_NOTIMPL; }
  HRESULT Flip(IDirectDrawSurface*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetAttachedSurface(const DDSCAPS*, IDirectDrawSurface**) override { return E_NOTIMPL; }
  HRESULT GetCaps(DDSCAPS*) override { return E_NOTIMPL; }
  HRESULT GetClipper(IDirectDrawClipper**) override { return E_NOTIMPL; }
  HRESULT GetColorKey(DWORD, DDCOLORKEY*) override { return E_NOTIMPL; }
  HRESULT GetDC(HDC*) override { return E_NOTIMPL; }
  HRESULT GetPalette(IDirectDrawPalette**) override { return E_NOTIMPL; }
  HRESULT GetPixelFormat(DDPIXELFORMAT*) override { return E_NOTIMPL; }
  HRESULT GetSurfaceDesc(DDSURFACEDESC*) override { return E_NOTIMPL; }
  HRESULT ReleaseDC(HDC) override { return E_NOTIMPL; }
  HRESULT SetColorKey(DWORD, const DDCOLORKEY*) override { return E_NOTIMPL; }
  HRESULT SetPalette(IDirectDrawPalette*) override { return E_NOTIMPL; }

  LONG width, height, pitch;
  std::vector<std::uint8_t> memory;
  DDPIXELFORMAT format;
  HRESULT lockResult = DD_OK;
  bool locked = false;
  bool lost = false;
  int locks = 0, unlocks = 0, restores = 0;
  std::vector<BltFastCall> bltFasts;
  std::vector<BltCall> blts;
  std::vector<IDirectDrawClipper*> clippers;
};
