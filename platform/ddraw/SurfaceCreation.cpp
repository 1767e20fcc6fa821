#include "platform/ddraw/SurfaceCreation.h"

#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/PixelFormats.h"
#include "platform/ddraw/Surface.h"
#include "platform/display/Screen.h"

namespace platform {
namespace {

constexpr LONG kMaxSide = 4096;
constexpr DWORD kMemoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
constexpr DWORD kCreatableCaps =
    DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE |
    DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY |
    DDSCAPS_WRITEONLY | DDSCAPS_ZBUFFER | DDSCAPS_OWNDC | DDSCAPS_ALLOCONLOAD | DDSCAPS_LOCALVIDMEM;

DWORD WithMemory(DWORD Caps, DWORD Default) {
  return (Caps & kMemoryCaps) ? Caps : Caps | Default;
}

HRESULT CheckSize(const DDSURFACEDESC& Desc) {
  if ((Desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
    return DDERR_INVALIDPARAMS;
  if (Desc.dwWidth == 0 || Desc.dwHeight == 0) return DDERR_INVALIDPARAMS;
  if (Desc.dwWidth > kMaxSide || Desc.dwHeight > kMaxSide) return DDERR_TOOBIGSIZE;
  return DD_OK;
}

IDirectDrawSurface* Finish(SurfaceObject* Surface, const DDSURFACEDESC& Desc) {
  if (Desc.dwFlags & DDSD_CKSRCBLT) Surface->SetSourceColorKey(Desc.ddckCKSrcBlt);
  return Surface;
}

HRESULT CreatePrimary(const DDSURFACEDESC& Desc, bool Exclusive, IDirectDrawSurface** Out) {
  const DWORD caps = Desc.ddsCaps.dwCaps;
  if (Desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
  const bool flip = (caps & DDSCAPS_FLIP) != 0;
  if (flip != ((caps & DDSCAPS_COMPLEX) != 0)) return DDERR_INVALIDCAPS;
  if (flip) {
    if (!(Desc.dwFlags & DDSD_BACKBUFFERCOUNT) || Desc.dwBackBufferCount == 0)
      return DDERR_INVALIDPARAMS;
    if (Desc.dwBackBufferCount > 1) return DDERR_UNSUPPORTED;
    if (!Exclusive) return DDERR_NOEXCLUSIVEMODE;
  }
  if (PrimarySurfaceExists()) return DDERR_PRIMARYSURFACEALREADYEXISTS;

  const PixelView screen = Screen::Get().View();
  SurfaceShape shape;
  shape.width = screen.width;
  shape.height = screen.height;
  shape.pitch = screen.pitch;
  shape.format = PixelFormatOf(screen);
  shape.screenSized = true;
  shape.onScreen = true;
  shape.caps =
      WithMemory(caps, DDSCAPS_VIDEOMEMORY) | DDSCAPS_VISIBLE | (flip ? DDSCAPS_FRONTBUFFER : 0);
  auto* primary = new SurfaceObject(shape);
  if (flip) {
    SurfaceShape back = shape;
    back.onScreen = false;
    back.caps = (shape.caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_FRONTBUFFER)) |
                DDSCAPS_BACKBUFFER;
    auto* backBuffer = new SurfaceObject(back);
    primary->AttachBackBuffer(backBuffer);
    backBuffer->Release();  // the chain holds it now
  }
  *Out = Finish(primary, Desc);
  return DD_OK;
}

HRESULT CreateZBuffer(const DDSURFACEDESC& Desc, IDirectDrawSurface** Out) {
  if (const HRESULT size = CheckSize(Desc); FAILED(size)) return size;
  DWORD depth = 0;
  if (Desc.dwFlags & DDSD_ZBUFFERBITDEPTH)
    depth = Desc.dwZBufferBitDepth;
  else if ((Desc.dwFlags & DDSD_PIXELFORMAT) && (Desc.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER))
    depth = Desc.ddpfPixelFormat.dwZBufferBitDepth;
  const DDPIXELFORMAT format = ZBufferFormat(depth);
  if (FAILED(CheckPixelFormat(format))) return DDERR_INVALIDPIXELFORMAT;
  SurfaceShape shape;
  shape.caps = WithMemory(Desc.ddsCaps.dwCaps, DDSCAPS_SYSTEMMEMORY);
  shape.width = static_cast<LONG>(Desc.dwWidth);
  shape.height = static_cast<LONG>(Desc.dwHeight);
  shape.format = format;
  *Out = Finish(new SurfaceObject(shape), Desc);
  return DD_OK;
}

HRESULT CreatePlain(const DDSURFACEDESC& Desc, IDirectDrawSurface** Out) {
  if (Desc.ddsCaps.dwCaps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
  if (const HRESULT size = CheckSize(Desc); FAILED(size)) return size;
  DDPIXELFORMAT format = PixelFormatOf(Screen::Get().View());
  if (Desc.dwFlags & DDSD_PIXELFORMAT) {
    if (const HRESULT check = CheckPixelFormat(Desc.ddpfPixelFormat); FAILED(check)) return check;
    if (Desc.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER) return DDERR_INVALIDPIXELFORMAT;
    format = Desc.ddpfPixelFormat;
  }
  SurfaceShape shape;
  shape.caps = WithMemory(Desc.ddsCaps.dwCaps, DDSCAPS_SYSTEMMEMORY);
  shape.width = static_cast<LONG>(Desc.dwWidth);
  shape.height = static_cast<LONG>(Desc.dwHeight);
  shape.format = format;
  *Out = Finish(new SurfaceObject(shape), Desc);
  return DD_OK;
}

}  // namespace

HRESULT CreateSurfaceFromDesc(const DDSURFACEDESC* Desc, bool CooperativeLevelSet, bool Exclusive,
                              IDirectDrawSurface** Surface) {
  if (!Surface) return DDERR_INVALIDPARAMS;
  *Surface = nullptr;
  if (!Desc || Desc->dwSize != sizeof(DDSURFACEDESC) || !(Desc->dwFlags & DDSD_CAPS))
    return DDERR_INVALIDPARAMS;
  const DWORD caps = Desc->ddsCaps.dwCaps;
  if ((caps & ~kCreatableCaps) || (caps & kMemoryCaps) == kMemoryCaps) return DDERR_INVALIDCAPS;
  if (!CooperativeLevelSet) return DDERR_NOCOOPERATIVELEVELSET;
  if (caps & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(*Desc, Exclusive, Surface);
  if (caps & DDSCAPS_ZBUFFER) return CreateZBuffer(*Desc, Surface);
  return CreatePlain(*Desc, Surface);
}

}  // namespace platform
