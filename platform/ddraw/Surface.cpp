#include "platform/ddraw/Surface.h"

#include <algorithm>
#include <cstdint>

#include "platform/com/Rect.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/InterfaceRegistry.h"
#include "platform/ddraw/PixelFormats.h"
#include "platform/display/Screen.h"
#include "platform/gdi/DeviceContext.h"

namespace platform {
namespace {

int g_primaryCount = 0;

bool Empty(const RECT& R) {
  return R.right <= R.left || R.bottom <= R.top;
}

LONG AlignedPitch(LONG Width, DWORD BitCount) {
  const LONG bytes = Width * static_cast<LONG>(BitCount / 8);
  return (bytes + 3) & ~3;
}

ColorKeyRange KeyRange(DWORD Flags, const DDCOLORKEY& Key) {
  const DWORD high =
      (Flags & DDCKEY_COLORSPACE) ? Key.dwColorSpaceHighValue : Key.dwColorSpaceLowValue;
  return ColorKeyRange{Key.dwColorSpaceLowValue, high};
}

}  // namespace

void MarkAllSurfacesLost() {
  Screen::Get().LoseVideoMemory();
}

bool PrimarySurfaceExists() {
  return g_primaryCount > 0;
}

SurfaceObject::LossStamp SurfaceObject::CurrentStamp() {
  return LossStamp{Screen::Get().ModeGeneration(), Screen::Get().VideoMemoryGeneration()};
}

SurfaceObject::SurfaceObject(const SurfaceShape& Shape) : shape_(Shape), stamp_(CurrentStamp()) {
  const PixelView coding = CodingOf(shape_.format);
  if (shape_.pitch == 0) shape_.pitch = AlignedPitch(shape_.width, coding.bitCount);
  if (shape_.onScreen)
    ++g_primaryCount;
  else
    memory_.assign(static_cast<std::size_t>(shape_.pitch) * static_cast<std::size_t>(shape_.height),
                   0);
}

SurfaceObject::~SurfaceObject() {
  if (dc_) DeleteDC(dc_);
  if (shape_.onScreen) {
    --g_primaryCount;
    if (palette_) palette_->SetDrivesScreen(false);
  }
}

void SurfaceObject::AttachBackBuffer(SurfaceObject* Back) {
  backBuffer_ = ComPtr(Back);
}

void SurfaceObject::SetSourceColorKey(const DDCOLORKEY& Key) {
  sourceKey_ = KeyRange(0, Key);
}

PixelView SurfaceObject::View() const {
  PixelView view = CodingOf(shape_.format);
  if (shape_.onScreen) {
    if (!ModeStillMatches()) return PixelView{};
    view.bits = Screen::Get().View().bits;
  } else {
    view.bits = const_cast<std::uint8_t*>(memory_.data());
  }
  view.pitch = shape_.pitch;
  view.width = shape_.width;
  view.height = shape_.height;
  return view;
}

bool SurfaceObject::ModeStillMatches() const {
  const Screen& screen = Screen::Get();
  return screen.Width() == shape_.width && screen.Height() == shape_.height &&
         screen.BitCount() == CodingOf(shape_.format).bitCount;
}

bool SurfaceObject::InVideoMemory() const {
  return shape_.onScreen || shape_.screenSized || (shape_.caps & DDSCAPS_VIDEOMEMORY) != 0;
}

bool SurfaceObject::Lost() const {
  // System memory is the program's own: no mode change or loss of the display takes it.
  return InVideoMemory() && !(stamp_ == CurrentStamp());
}

HRESULT SurfaceObject::Usable() const {
  if (Lost()) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  return DD_OK;
}

void SurfaceObject::NoteDrawn() const {
  if (shape_.onScreen) Screen::Get().NoteChange();
}

HRESULT SurfaceObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirectDrawSurface)
    return Answer(static_cast<IDirectDrawSurface*>(this), Object);
  // Interfaces of the layers above (a texture surface's Direct3D texture) as they registered them.
  if (const SurfaceInterfaceMaker maker = FindSurfaceInterface(Iid, shape_.caps))
    return maker(this, Object);
  return NoInterface(Object);
}

void SurfaceObject::Describe(DDSURFACEDESC* Desc) const {
  const DWORD size = Desc->dwSize;
  *Desc = DDSURFACEDESC{};
  Desc->dwSize = size;
  Desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
  Desc->dwWidth = static_cast<DWORD>(shape_.width);
  Desc->dwHeight = static_cast<DWORD>(shape_.height);
  Desc->lPitch = shape_.pitch;
  Desc->ddpfPixelFormat = shape_.format;
  Desc->ddsCaps.dwCaps = shape_.caps;
  if (IsZBuffer()) {
    Desc->dwFlags |= DDSD_ZBUFFERBITDEPTH;
    Desc->dwZBufferBitDepth = shape_.format.dwZBufferBitDepth;
  }
  if (backBuffer_) {
    Desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    Desc->dwBackBufferCount = 1;
  }
  if (sourceKey_) {
    Desc->dwFlags |= DDSD_CKSRCBLT;
    Desc->ddckCKSrcBlt = DDCOLORKEY{sourceKey_->low, sourceKey_->high};
  }
}

HRESULT SurfaceObject::Lock(const RECT* Rect, DDSURFACEDESC* Desc, DWORD Flags, HANDLE Event) {
  constexpr DWORD kKnown = DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_WRITEONLY;
  if (!Desc || Desc->dwSize != sizeof(DDSURFACEDESC) || (Flags & ~kKnown) || Event)
    return DDERR_INVALIDPARAMS;
  if (const HRESULT state = Usable(); FAILED(state)) return state;
  const RECT area = Rect ? *Rect : Bounds();
  if (Empty(area) || !Inside(area, Bounds())) return DDERR_INVALIDRECT;
  Describe(Desc);
  const PixelView view = View();
  Desc->dwFlags |= DDSD_LPSURFACE;
  Desc->lpSurface =
      view.Row(area.top) + static_cast<std::ptrdiff_t>(area.left) * view.BytesPerPixel();
  locked_ = true;
  return DD_OK;
}

HRESULT SurfaceObject::Unlock(LPVOID /*Data*/) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  NoteDrawn();
  return DD_OK;
}

HRESULT SurfaceObject::GetDC(HDC* Context) {
  if (!Context) return DDERR_INVALIDPARAMS;
  *Context = nullptr;
  if (IsZBuffer()) return DDERR_CANTCREATEDC;
  if (Lost()) return DDERR_SURFACELOST;
  if (dc_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  dc_ = CreatePixelDC(View(), palette_ ? palette_->Entries() : nullptr);
  *Context = dc_;
  return DD_OK;
}

HRESULT SurfaceObject::ReleaseDC(HDC Context) {
  if (!dc_) return DDERR_NODC;
  if (Context != dc_) return DDERR_INVALIDPARAMS;
  DeleteDC(dc_);
  dc_ = nullptr;
  NoteDrawn();
  return DD_OK;
}

HRESULT SurfaceObject::DestinationArea(const RECT* DestRect, RECT* Dest, RECT* Visible) const {
  *Dest = DestRect ? *DestRect : Bounds();
  if (Empty(*Dest)) return DDERR_INVALIDRECT;
  if (!clipper_) {
    if (!Inside(*Dest, Bounds())) return DDERR_INVALIDRECT;
    *Visible = *Dest;
    return DD_OK;
  }
  RECT clip = Bounds();
  if (shape_.onScreen) {
    RECT window;
    if (const HRESULT result = clipper_->ClipRect(&window); FAILED(result)) return result;
    clip = Intersect(clip, window);
  }
  *Visible = Intersect(*Dest, clip);
  return DD_OK;
}

HRESULT SurfaceObject::Fill(const RECT& Visible, DWORD Flags, const DDBLTFX* Fx) {
  if (!Fx || Fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
  const bool depth = (Flags & DDBLT_DEPTHFILL) != 0;
  if ((Flags & DDBLT_COLORFILL) && depth) return DDERR_INVALIDPARAMS;
  if (depth != IsZBuffer()) return DDERR_INVALIDPARAMS;
  FillPixels(View(), Visible, depth ? Fx->dwFillDepth : Fx->dwFillColor);
  NoteDrawn();
  return DD_OK;
}

HRESULT SurfaceObject::CopyFrom(SurfaceObject& Source, const RECT* SrcRect, const RECT& Dest,
                                const RECT& Visible, bool UseKey) {
  if (&Source != this)
    if (const HRESULT state = Source.Usable(); FAILED(state)) return state;
  const PixelView dst = View(), src = Source.View();
  if (!dst.SameCoding(src) || IsZBuffer() != Source.IsZBuffer()) return DDERR_INVALIDPIXELFORMAT;
  const RECT area = SrcRect ? *SrcRect : Source.Bounds();
  if (Empty(area) || !Inside(area, Source.Bounds())) return DDERR_INVALIDRECT;
  if (UseKey && !Source.sourceKey_) return DDERR_NOCOLORKEY;
  const ColorKeyRange* key = UseKey ? &*Source.sourceKey_ : nullptr;
  const bool sameSize = area.right - area.left == Dest.right - Dest.left &&
                        area.bottom - area.top == Dest.bottom - Dest.top;
  if (Empty(Visible)) return DD_OK;
  if (sameSize)
    CopyPixels(dst, Visible.left, Visible.top, src, area.left + (Visible.left - Dest.left),
               area.top + (Visible.top - Dest.top), Visible.right - Visible.left,
               Visible.bottom - Visible.top, key);
  else
    StretchPixels(dst, Dest, Visible, src, area, key);
  NoteDrawn();
  return DD_OK;
}

HRESULT SurfaceObject::Blt(const RECT* DestRect, IDirectDrawSurface* Source, const RECT* SrcRect,
                           DWORD Flags, const DDBLTFX* Fx) {
  constexpr DWORD kKnown =
      DDBLT_WAIT | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_DEPTHFILL | DDBLT_KEYSRC;
  if (Flags & ~kKnown) return DDERR_UNSUPPORTED;
  if (const HRESULT state = Usable(); FAILED(state)) return state;
  RECT dest, visible;
  if (const HRESULT result = DestinationArea(DestRect, &dest, &visible); FAILED(result))
    return result;
  if (Flags & (DDBLT_COLORFILL | DDBLT_DEPTHFILL)) return Fill(visible, Flags, Fx);
  if (!Source) return DDERR_INVALIDPARAMS;
  auto* source = dynamic_cast<SurfaceObject*>(Source);
  if (!source) return DDERR_INVALIDOBJECT;
  return CopyFrom(*source, SrcRect, dest, visible, (Flags & DDBLT_KEYSRC) != 0);
}

HRESULT SurfaceObject::BltFast(DWORD X, DWORD Y, IDirectDrawSurface* Source, const RECT* SrcRect,
                               DWORD Trans) {
  if (Trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT))
    return DDERR_INVALIDPARAMS;
  if (Trans & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
  if (const HRESULT state = Usable(); FAILED(state)) return state;
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  if (!Source) return DDERR_INVALIDPARAMS;
  auto* source = dynamic_cast<SurfaceObject*>(Source);
  if (!source) return DDERR_INVALIDOBJECT;
  const RECT area = SrcRect ? *SrcRect : source->Bounds();
  if (Empty(area)) return DDERR_INVALIDRECT;
  // Computed wide: X and Y come from signed callers and may be huge after the conversion.
  const std::int64_t right = std::int64_t{X} + (area.right - area.left);
  const std::int64_t bottom = std::int64_t{Y} + (area.bottom - area.top);
  if (right > shape_.width || bottom > shape_.height) return DDERR_INVALIDRECT;
  const RECT dest{static_cast<LONG>(X), static_cast<LONG>(Y), static_cast<LONG>(right),
                  static_cast<LONG>(bottom)};
  return CopyFrom(*source, &area, dest, dest, (Trans & DDBLTFAST_SRCCOLORKEY) != 0);
}

HRESULT SurfaceObject::Flip(IDirectDrawSurface* Target, DWORD Flags) {
  if (Flags & ~DDFLIP_WAIT) return DDERR_INVALIDPARAMS;
  if (!shape_.onScreen || !backBuffer_) return DDERR_NOTFLIPPABLE;
  if (Target && Target != static_cast<IDirectDrawSurface*>(backBuffer_.Get()))
    return DDERR_INVALIDPARAMS;
  if (Lost() || backBuffer_->Lost()) return DDERR_SURFACELOST;
  if (Busy() || backBuffer_->Busy()) return DDERR_SURFACEBUSY;
  if (!Screen::Get().SwapMemory(backBuffer_->memory_)) return DDERR_SURFACELOST;
  return DD_OK;
}

HRESULT SurfaceObject::AddAttachedSurface(IDirectDrawSurface* Attached) {
  auto* surface = dynamic_cast<SurfaceObject*>(Attached);
  if (!Attached) return DDERR_INVALIDPARAMS;
  if (!surface) return DDERR_INVALIDOBJECT;
  // Only a z-buffer of the same size may be attached, and only to a surface that is not one.
  if (surface == this || !surface->IsZBuffer() || IsZBuffer() ||
      surface->shape_.width != shape_.width || surface->shape_.height != shape_.height)
    return DDERR_CANNOTATTACHSURFACE;
  if (zBuffer_) return DDERR_SURFACEALREADYATTACHED;
  zBuffer_ = ComPtr(surface);
  return DD_OK;
}

HRESULT SurfaceObject::DeleteAttachedSurface(DWORD Flags, IDirectDrawSurface* Attached) {
  if (Flags != 0) return DDERR_INVALIDPARAMS;
  if (!zBuffer_ || (Attached && Attached != static_cast<IDirectDrawSurface*>(zBuffer_.Get())))
    return DDERR_SURFACENOTATTACHED;
  zBuffer_.Reset();
  return DD_OK;
}

HRESULT SurfaceObject::GetAttachedSurface(const DDSCAPS* Caps, IDirectDrawSurface** Attached) {
  if (!Caps || !Attached) return DDERR_INVALIDPARAMS;
  *Attached = nullptr;
  SurfaceObject* found = nullptr;
  if ((Caps->dwCaps & DDSCAPS_BACKBUFFER) && backBuffer_)
    found = backBuffer_.Get();
  else if ((Caps->dwCaps & DDSCAPS_ZBUFFER) && zBuffer_)
    found = zBuffer_.Get();
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *Attached = found;
  return DD_OK;
}

HRESULT SurfaceObject::GetCaps(DDSCAPS* Caps) {
  if (!Caps) return DDERR_INVALIDPARAMS;
  Caps->dwCaps = shape_.caps;
  return DD_OK;
}

HRESULT SurfaceObject::GetPixelFormat(DDPIXELFORMAT* Format) {
  if (!Format) return DDERR_INVALIDPARAMS;
  *Format = shape_.format;
  return DD_OK;
}

HRESULT SurfaceObject::GetSurfaceDesc(DDSURFACEDESC* Desc) {
  if (!Desc || Desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  Describe(Desc);
  return DD_OK;
}

HRESULT SurfaceObject::SetPalette(IDirectDrawPalette* Palette) {
  auto* palette = dynamic_cast<PaletteObject*>(Palette);
  if (Palette && !palette) return DDERR_INVALIDOBJECT;
  if (Palette && !CodingOf(shape_.format).Palettised()) return DDERR_INVALIDPIXELFORMAT;
  if (shape_.onScreen && palette_ && palette_.Get() != palette) palette_->SetDrivesScreen(false);
  palette_ = ComPtr(palette);
  if (shape_.onScreen && palette_) palette_->SetDrivesScreen(true);
  return DD_OK;
}

HRESULT SurfaceObject::GetPalette(IDirectDrawPalette** Palette) {
  if (!Palette) return DDERR_INVALIDPARAMS;
  *Palette = nullptr;
  if (!palette_) return DDERR_NOPALETTEATTACHED;
  palette_->AddRef();
  *Palette = palette_.Get();
  return DD_OK;
}

HRESULT SurfaceObject::SetClipper(IDirectDrawClipper* Clipper) {
  auto* clipper = dynamic_cast<ClipperObject*>(Clipper);
  if (Clipper && !clipper) return DDERR_INVALIDOBJECT;
  clipper_ = ComPtr(clipper);
  return DD_OK;
}

HRESULT SurfaceObject::GetClipper(IDirectDrawClipper** Clipper) {
  if (!Clipper) return DDERR_INVALIDPARAMS;
  *Clipper = nullptr;
  if (!clipper_) return DDERR_NOCLIPPERATTACHED;
  clipper_->AddRef();
  *Clipper = clipper_.Get();
  return DD_OK;
}

HRESULT SurfaceObject::SetColorKey(DWORD Flags, const DDCOLORKEY* Key) {
  const DWORD kind = Flags & ~DDCKEY_COLORSPACE;
  std::optional<ColorKeyRange>* slot = kind == DDCKEY_SRCBLT    ? &sourceKey_
                                       : kind == DDCKEY_DESTBLT ? &destKey_
                                                                : nullptr;
  if (!slot)
    return kind & (DDCKEY_SRCOVERLAY | DDCKEY_DESTOVERLAY) ? DDERR_UNSUPPORTED
                                                           : DDERR_INVALIDPARAMS;
  if (Key)
    *slot = KeyRange(Flags, *Key);
  else
    slot->reset();
  return DD_OK;
}

HRESULT SurfaceObject::GetColorKey(DWORD Flags, DDCOLORKEY* Key) {
  if (!Key) return DDERR_INVALIDPARAMS;
  const std::optional<ColorKeyRange>* slot = Flags == DDCKEY_SRCBLT    ? &sourceKey_
                                             : Flags == DDCKEY_DESTBLT ? &destKey_
                                                                       : nullptr;
  if (!slot) return DDERR_INVALIDPARAMS;
  if (!*slot) return DDERR_NOCOLORKEY;
  *Key = DDCOLORKEY{(*slot)->low, (*slot)->high};
  return DD_OK;
}

HRESULT SurfaceObject::IsLost() {
  return Lost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT SurfaceObject::Restore() {
  if (shape_.screenSized && !ModeStillMatches()) return DDERR_WRONGMODE;
  stamp_ = CurrentStamp();
  if (backBuffer_) backBuffer_->Restore();
  return DD_OK;
}

}  // namespace platform
