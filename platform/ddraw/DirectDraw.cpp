#include "platform/ddraw/DirectDraw.h"

#include "platform/com/ComPtr.h"
#include "platform/ddraw/Clipper.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DisplayDrivers.h"
#include "platform/ddraw/InterfaceRegistry.h"
#include "platform/ddraw/Palette.h"
#include "platform/ddraw/PixelFormats.h"
#include "platform/ddraw/SurfaceCreation.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"

namespace platform {
namespace {

constexpr DWORD kOptionalLevelFlags = DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_ALLOWMODEX;

class DirectDrawObject;
DirectDrawObject* g_exclusiveOwner = nullptr;

class DirectDrawObject final : public RefCounted<IDirectDraw, IDirectDraw2> {
 public:
  explicit DirectDrawObject(const DisplayDriver& Driver)
      : driverCaps_(Driver.driverCaps), helCaps_(Driver.helCaps) {}

  ~DirectDrawObject() override { LeaveExclusiveMode(); }

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirectDraw)
      return Answer(static_cast<IDirectDraw*>(this), Object);
    if (Iid == IID_IDirectDraw2) return Answer(static_cast<IDirectDraw2*>(this), Object);
    // Interfaces of the layers above (the Direct3D object) as they registered them.
    if (const DirectDrawInterfaceMaker maker = FindDirectDrawInterface(Iid))
      return maker(static_cast<IDirectDraw*>(this), Object);
    return NoInterface(Object);
  }

  HRESULT CreateClipper(DWORD Flags, IDirectDrawClipper** Clipper, IUnknown* Outer) override {
    if (!Clipper) return DDERR_INVALIDPARAMS;
    *Clipper = nullptr;
    if (Outer) return CLASS_E_NOAGGREGATION;
    if (Flags != 0) return DDERR_INVALIDPARAMS;
    *Clipper = new ClipperObject;
    return DD_OK;
  }

  HRESULT CreatePalette(DWORD Flags, const PALETTEENTRY* Entries, IDirectDrawPalette** Palette,
                        IUnknown* Outer) override {
    if (!Palette) return DDERR_INVALIDPARAMS;
    *Palette = nullptr;
    if (Outer) return CLASS_E_NOAGGREGATION;
    constexpr DWORD kKnown = DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_INITIALIZE |
                             DDPCAPS_PRIMARYSURFACE | DDPCAPS_8BITENTRIES;
    if (!(Flags & DDPCAPS_8BIT) || (Flags & ~kKnown) || !Entries) return DDERR_INVALIDPARAMS;
    *Palette = new PaletteObject(Flags, Entries);
    return DD_OK;
  }

  HRESULT CreateSurface(const DDSURFACEDESC* Desc, IDirectDrawSurface** Surface,
                        IUnknown* Outer) override {
    if (Outer) {
      if (Surface) *Surface = nullptr;
      return CLASS_E_NOAGGREGATION;
    }
    return CreateSurfaceFromDesc(Desc, levelSet_, g_exclusiveOwner == this, Surface);
  }

  HRESULT EnumDisplayModes(DWORD Flags, const DDSURFACEDESC* Filter, LPVOID Context,
                           LPDDENUMMODESCALLBACK Callback) override;
  HRESULT GetCaps(DDCAPS* DriverCaps, DDCAPS* HelCaps) override;

  HRESULT RestoreDisplayMode() override {
    if (modeSet_) Screen::Get().RestoreDesktop();
    modeSet_ = false;
    return DD_OK;
  }

  HRESULT SetCooperativeLevel(HWND Window, DWORD Flags) override;

  HRESULT SetDisplayMode(DWORD Width, DWORD Height, DWORD BitCount) override {
    return SetDisplayMode(Width, Height, BitCount, 0, 0);
  }
  HRESULT SetDisplayMode(DWORD Width, DWORD Height, DWORD BitCount, DWORD RefreshRate,
                         DWORD Flags) override;

 private:
  void LeaveExclusiveMode() {
    RestoreDisplayMode();
    if (g_exclusiveOwner != this) return;
    g_exclusiveOwner = nullptr;
    Screen::Get().SetFullScreenWindow(nullptr);
  }

  DDCAPS driverCaps_;
  DDCAPS helCaps_;
  bool levelSet_ = false;
  bool modeSet_ = false;
};

HRESULT DirectDrawObject::EnumDisplayModes(DWORD Flags, const DDSURFACEDESC* Filter, LPVOID Context,
                                           LPDDENUMMODESCALLBACK Callback) {
  if (!Callback || (Filter && Filter->dwSize != sizeof(DDSURFACEDESC))) return DDERR_INVALIDPARAMS;
  (void)Flags;  // DDEDM_ flags ask for refresh-rate variants; every mode has one rate here
  for (const DisplayMode& mode : DisplayModes()) {
    PixelView coding;
    coding.bitCount = mode.bitCount;
    if (mode.bitCount == 16) {
      coding.redMask = kRed565;
      coding.greenMask = kGreen565;
      coding.blueMask = kBlue565;
    } else if (mode.bitCount == 32) {
      coding.redMask = 0x00FF0000;
      coding.greenMask = 0x0000FF00;
      coding.blueMask = 0x000000FF;
    }
    DDSURFACEDESC desc;
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc.dwWidth = static_cast<DWORD>(mode.width);
    desc.dwHeight = static_cast<DWORD>(mode.height);
    desc.lPitch = mode.width * static_cast<LONG>(mode.bitCount / 8);
    desc.dwRefreshRate = mode.refreshRate;
    desc.ddpfPixelFormat = PixelFormatOf(coding);
    if (Filter) {
      if ((Filter->dwFlags & DDSD_WIDTH) && Filter->dwWidth != desc.dwWidth) continue;
      if ((Filter->dwFlags & DDSD_HEIGHT) && Filter->dwHeight != desc.dwHeight) continue;
      if ((Filter->dwFlags & DDSD_PIXELFORMAT) &&
          Filter->ddpfPixelFormat.dwRGBBitCount != mode.bitCount)
        continue;
      if ((Filter->dwFlags & DDSD_REFRESHRATE) && Filter->dwRefreshRate != mode.refreshRate)
        continue;
    }
    if (Callback(&desc, Context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDrawObject::GetCaps(DDCAPS* DriverCaps, DDCAPS* HelCaps) {
  if (!DriverCaps && !HelCaps) return DDERR_INVALIDPARAMS;
  if ((DriverCaps && DriverCaps->dwSize != sizeof(DDCAPS)) ||
      (HelCaps && HelCaps->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  if (DriverCaps) *DriverCaps = driverCaps_;
  if (HelCaps) *HelCaps = helCaps_;
  return DD_OK;
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND Window, DWORD Flags) {
  const DWORD level = Flags & ~kOptionalLevelFlags;
  if (level == DDSCL_NORMAL) {
    if (Window && !IsWindow(Window)) return DDERR_INVALIDPARAMS;
    LeaveExclusiveMode();
    levelSet_ = true;
    return DD_OK;
  }
  if (level != (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) || !IsWindow(Window))
    return DDERR_INVALIDPARAMS;
  if (g_exclusiveOwner && g_exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
  g_exclusiveOwner = this;
  Screen::Get().SetFullScreenWindow(Window);
  levelSet_ = true;
  return DD_OK;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD Width, DWORD Height, DWORD BitCount,
                                         DWORD RefreshRate, DWORD Flags) {
  if (g_exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (Flags != 0) return DDERR_INVALIDPARAMS;
  const DisplayMode* wanted = nullptr;
  for (const DisplayMode& mode : DisplayModes())
    if (static_cast<DWORD>(mode.width) == Width && static_cast<DWORD>(mode.height) == Height &&
        mode.bitCount == BitCount && (RefreshRate == 0 || RefreshRate == mode.refreshRate))
      wanted = &mode;
  if (!wanted) return DDERR_INVALIDMODE;
  Screen& screen = Screen::Get();
  const bool same = screen.InDisplayMode() && screen.Width() == wanted->width &&
                    screen.Height() == wanted->height && screen.BitCount() == BitCount;
  if (!same) screen.SetDisplayMode(wanted->width, wanted->height, BitCount);
  modeSet_ = true;
  return DD_OK;
}

}  // namespace
}  // namespace platform

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA Callback, LPVOID Context) {
  if (!Callback) return DDERR_INVALIDPARAMS;
  for (const platform::DisplayDriver* driver : platform::DisplayDrivers()) {
    GUID guid = driver->guid;  // the callee may keep the pointer only during the call
    if (!Callback(driver->primary ? nullptr : &guid, driver->description.c_str(),
                  driver->name.c_str(), Context))
      break;
  }
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* Guid, IDirectDraw** DirectDraw, IUnknown* Outer) {
  if (!DirectDraw) return DDERR_INVALIDPARAMS;
  *DirectDraw = nullptr;
  if (Outer) return CLASS_E_NOAGGREGATION;
  const platform::DisplayDriver* driver = platform::FindDisplayDriver(Guid);
  if (!driver) return DDERR_INVALIDDIRECTDRAWGUID;
  *DirectDraw = new platform::DirectDrawObject(*driver);
  return DD_OK;
}
