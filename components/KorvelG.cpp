#include "components/KorvelG.h"

#include <cstdint>

#include "components/BlendBlit.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/gdi/BitBlt.h"
#include "platform/gdi/DeviceContext.h"

std::unique_ptr<TList<TKorvelG*>> InstanceList;
std::unique_ptr<TDrawDriverList> DriverList;
ComPtr<IDirectDraw> DirectDraw;
ComPtr<IDirectDraw2> DirectDraw2;
ComPtr<IDirectDrawPalette> Palette;
ComPtr<IDirectDrawSurface> PrimarySurface;
ComPtr<IDirectDrawSurface> BackSurface;
HRESULT LastResult = 0;
DWORD DisplayBits = 0;
bool FullScreen = false;
bool Color8bit = false;
LONG DrawDriverIndex = 0;
LONG UsedDriverIndex = 0;
LONG MasterIndex = 0;
bool NoHardware = false;
bool Hardware3D = false;

namespace {

constexpr LONG kFullScreenWidth = 640;
constexpr LONG kFullScreenHeight = 480;
// DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE |
// DDSCL_ALLOWMODEX
constexpr DWORD kFullScreenLevel = 0x57;
// Palette entry flags: the static colours the 3D device must leave alone (D3DPAL_READONLY)
// and the entries free for the program (PC_RESERVED).
constexpr BYTE kStaticEntryFlag = 0x40;
constexpr BYTE kFreeEntryFlag = 0x01;
// Entry 255 is not read from the system palette (255 entries are); it is given white, the
// last static colour of the system palette.
constexpr PALETTEENTRY kLastEntry{255, 255, 255, kStaticEntryFlag};

// The palette table of the master's set-up: 255 entries of the system palette (none on a
// 16-bit desktop, which leaves them black), flags 0x40 on the twenty static entries and 0x01
// on the rest.
void BuildPaletteEntries(PALETTEENTRY (&Entries)[256]) {
  for (PALETTEENTRY& entry : Entries) entry = PALETTEENTRY{};
  const HDC desktop = GetDC(nullptr);
  GetSystemPaletteEntries(desktop, 0, 255, Entries);
  ReleaseDC(nullptr, desktop);
  for (int i = 0; i < 256; ++i)
    Entries[i].peFlags = (i < 10 || i >= 246) ? kStaticEntryFlag : kFreeEntryFlag;
  Entries[255] = kLastEntry;
}

DDSURFACEDESC ZeroedDesc() {
  DDSURFACEDESC desc;
  desc.dwSize = sizeof(DDSURFACEDESC);
  return desc;
}

// The lowest set bit of Mask found by testing 1, 2, 4, ...; 0 when none is set.
DWORD LowestSetBit(DWORD Mask) {
  for (DWORD bit = 1; bit != 0; bit <<= 1)
    if (Mask & bit) return bit;
  return 0;
}

BlendSurface BlendSurfaceOf(const DDSURFACEDESC& Desc) {
  return BlendSurface{static_cast<std::uint8_t*>(Desc.lpSurface), Desc.lPitch,
                      static_cast<LONG>(Desc.dwWidth), static_cast<LONG>(Desc.dwHeight)};
}

ChannelMasks MasksOf(const DDSURFACEDESC& Desc) {
  const DDPIXELFORMAT& f = Desc.ddpfPixelFormat;
  return ChannelMasks{f.dwRBitMask, f.dwGBitMask, f.dwBBitMask};
}

}  // namespace

void DDInitAll() {
  if (!InstanceList) return;
  for (int i = 0; i < InstanceList->Count(); ++i) InstanceList->Items(i)->DDInit();
}

bool GetNoHardware() {
  return NoHardware;
}

TKorvelG::TKorvelG(TComponent* Owner) : TPanel(Owner) {
  if (!InstanceList) InstanceList = std::make_unique<TList<TKorvelG*>>();
  InstanceList->Add(this);
}

TKorvelG::~TKorvelG() {
  DDrelease();
  if (InstanceList) InstanceList->Remove(this);
}

bool TKorvelG::FullScreen() const {
  return ::FullScreen;
}
void TKorvelG::SetFullScreen(bool Value) {
  if (!::DirectDraw) ::FullScreen = Value;
}
bool TKorvelG::Color8bit() const {
  return ::Color8bit;
}
void TKorvelG::SetColor8bit(bool Value) {
  if (!::DirectDraw) ::Color8bit = Value;
}

void TKorvelG::SelectDrawDriver(LONG Index) {
  DrawDriverIndex = Index;
}

void TKorvelG::DDEnum() {
  if (!DriverList) DriverList = std::make_unique<TDrawDriverList>();
  EnumerateDrawDrivers(*DriverList);
}

void TKorvelG::DDInit() {
  if (::DirectDraw) {
    InitSecondary();
    return;
  }
  MasterIndex = ComponentIndex();
  OpenDriver();
  if (::FullScreen)
    InitFullScreen();
  else
    InitWindowed();
}

void TKorvelG::OpenDriver() {
  if (DrawDriverIndex == -1) {
    DirectDrawCreate(nullptr, ::DirectDraw.Put(), nullptr);
    UsedDriverIndex = -1;
  } else if (DrawDriverIndex == -2) {
    // The last driver with both 3D and texture caps that opens.
    for (int i = DriverList ? DriverList->Count() - 1 : -1; i >= 0 && !::DirectDraw; --i) {
      TDrawDriverRec& driver = *DriverList->Items(i);
      if (!driver.Has3D || !driver.HasTexture) continue;
      DirectDrawCreate(driver.GuidPointer(), ::DirectDraw.Put(), nullptr);
      if (::DirectDraw) UsedDriverIndex = i;
    }
  } else {
    // An index outside DriverList (or no DriverList at all) raises EListError.
    if (!DriverList) RaiseListIndexError(DrawDriverIndex);
    DirectDrawCreate(DriverList->Items(DrawDriverIndex)->GuidPointer(), ::DirectDraw.Put(),
                     nullptr);
    UsedDriverIndex = DrawDriverIndex;
  }
  if (!::DirectDraw) {
    UsedDriverIndex = -1;
    DirectDrawCreate(nullptr, ::DirectDraw.Put(), nullptr);
  }
}

DWORD TKorvelG::SurfaceMemory() const {
  return Hardware3D ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
}

HWND TKorvelG::OwnerHandle() const {
  auto* form = dynamic_cast<TWinControl*>(Owner());
  return form ? form->Handle() : nullptr;
}

void TKorvelG::InitFullScreen() {
  SetBounds(Left(), Top(), kFullScreenWidth, kFullScreenHeight);
  DisplayBits = ::Color8bit ? 8 : 16;
  LastResult = ::DirectDraw->SetCooperativeLevel(OwnerHandle(), kFullScreenLevel);
  LastResult = ::DirectDraw->QueryInterface(IID_IDirectDraw2, ::DirectDraw2.PutVoid());
  LastResult = ::DirectDraw->SetDisplayMode(kFullScreenWidth, kFullScreenHeight, DisplayBits);
  DDCAPS driverCaps, helCaps;
  driverCaps.dwSize = helCaps.dwSize = sizeof(DDCAPS);
  ::DirectDraw->GetCaps(&driverCaps, &helCaps);
  NoHardware = (driverCaps.dwCaps & DDCAPS_NOHARDWARE) != 0;

  SurfaceDesc = ZeroedDesc();
  SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  SurfaceDesc.dwBackBufferCount = 1;
  SurfaceDesc.ddsCaps.dwCaps =
      SurfaceMemory() | DDSCAPS_PRIMARYSURFACE | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_3DDEVICE;
  if (::DirectDraw2)
    LastResult = ::DirectDraw2->CreateSurface(&SurfaceDesc, PrimarySurface.Put(), nullptr);
  SurfaceDesc.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (PrimarySurface) PrimarySurface->GetAttachedSurface(&SurfaceDesc.ddsCaps, BackSurface.Put());
  Surface = BackSurface;
  OnPresent = TKorvelGMethod{this, &TKorvelG::Flip};

  MakeSharedPalette();
  SurfaceRect = RECT{0, 0, kFullScreenWidth, kFullScreenHeight};
  BltFx = DDBLTFX{};
  BltFx.dwSize = sizeof(DDBLTFX);
  BltFx.dwFillColor = 0;
  ReadChannelUnits();
  Clear();
}

void TKorvelG::InitWindowed() {
  ::DirectDraw->QueryInterface(IID_IDirectDraw2, ::DirectDraw2.PutVoid());
  ::DirectDraw->SetCooperativeLevel(Handle(), DDSCL_NORMAL);
  if (!::DirectDraw2) return;

  SurfaceDesc = ZeroedDesc();
  SurfaceDesc.dwFlags = DDSD_CAPS;
  SurfaceDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  LastResult = ::DirectDraw2->CreateSurface(&SurfaceDesc, PrimarySurface.Put(), nullptr);

  SurfaceDesc = ZeroedDesc();
  SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  SurfaceDesc.dwHeight = static_cast<DWORD>(Height());
  SurfaceDesc.dwWidth = static_cast<DWORD>(Width());
  SurfaceDesc.ddsCaps.dwCaps = SurfaceMemory() | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  LastResult = ::DirectDraw2->CreateSurface(&SurfaceDesc, BackSurface.Put(), nullptr);

  MakeSharedPalette();
  Surface = BackSurface;
  OnPresent = TKorvelGMethod{this, &TKorvelG::MainCopy};
  SurfaceRect = RECT{0, 0, Width(), Height()};
  BltFx = DDBLTFX{};
  BltFx.dwSize = sizeof(DDBLTFX);
  BltFx.dwFillColor = 0;

  ::DirectDraw2->CreateClipper(0, Clipper.Put(), nullptr);
  if (Clipper) Clipper->SetHWnd(0, Handle());
  if (PrimarySurface) PrimarySurface->SetClipper(Clipper.Get());
  ReadChannelUnits();
  Clear();
}

void TKorvelG::MakeSharedPalette() {
  PALETTEENTRY entries[256];
  BuildPaletteEntries(entries);
  LastResult = ::DirectDraw2->CreatePalette(DDPCAPS_8BIT, entries, ::Palette.Put(), nullptr);
  const DDCOLORKEY black{0, 0};
  if (PrimarySurface) LastResult = PrimarySurface->SetColorKey(DDCKEY_SRCBLT, &black);
  if (BackSurface) LastResult = BackSurface->SetColorKey(DDCKEY_SRCBLT, &black);
  if (PrimarySurface) LastResult = PrimarySurface->SetPalette(::Palette.Get());
  if (BackSurface) LastResult = BackSurface->SetPalette(::Palette.Get());
  if (::Palette) LastResult = ::Palette->SetEntries(0, 0, 256, entries);
}

void TKorvelG::InitSecondary() {
  SurfaceDesc = ZeroedDesc();
  SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  SurfaceDesc.dwHeight = static_cast<DWORD>(Height());
  SurfaceDesc.dwWidth = static_cast<DWORD>(Width());
  SurfaceDesc.ddsCaps.dwCaps = SurfaceMemory() | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  if (::DirectDraw2)
    LastResult = ::DirectDraw2->CreateSurface(&SurfaceDesc, Surface.Put(), nullptr);
  if (Surface) {
    LastResult = Surface->SetPalette(::Palette.Get());  // fails on 16 bits; not acted on
    const DDCOLORKEY black{0, 0};
    LastResult = Surface->SetColorKey(DDCKEY_SRCBLT, &black);
  }
  SurfaceRect = RECT{0, 0, Width(), Height()};
  BltFx = DDBLTFX{};
  BltFx.dwSize = sizeof(DDBLTFX);
  BltFx.dwFillColor = 0;
  if (!::FullScreen) {
    OnPresent = TKorvelGMethod{this, &TKorvelG::MainCopy};
    if (::DirectDraw2) ::DirectDraw2->CreateClipper(0, Clipper.Put(), nullptr);
    if (Clipper) Clipper->SetHWnd(0, Handle());
  }
  ReadChannelUnits();
}

void TKorvelG::ReadChannelUnits() {
  if (!Surface) return;
  DDSURFACEDESC desc = ZeroedDesc();
  LastResult = Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  if (LastResult != DD_OK) return;
  Surface->Unlock(nullptr);
  if (desc.ddpfPixelFormat.dwRGBBitCount != 16) return;
  const DWORD masks[3] = {desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                          desc.ddpfPixelFormat.dwBBitMask};
  DWORD* units[3] = {&RedUnit, &GreenUnit, &BlueUnit};
  for (int i = 0; i < 3; ++i) {
    const DWORD unit = LowestSetBit(masks[i]);
    if (unit == 0) return;  // this unit and the following ones stay as they were
    *units[i] = unit;
  }
}

void TKorvelG::DDrelease() {
  if (ComponentIndex() == MasterIndex) {
    DriverList.reset();
    Surface.Reset();  // BackSurface's second reference
    BackSurface.Reset();
    PrimarySurface.Reset();
    ::Palette.Reset();
    ::DirectDraw2.Reset();
    ::DirectDraw.Reset();
    InstanceList.reset();
  } else {
    Surface.Reset();
  }
  Clipper.Reset();
}

void TKorvelG::CopyFromCanvas(TCanvas* Canvas) {
  if (!Surface || !Canvas) return;
  HDC dc = nullptr;
  if (Surface->GetDC(&dc) != DD_OK) return;
  BitBlt(dc, 0, 0, Width(), Height(), Canvas->Handle(), 0, 0, SRCCOPY);
  Surface->ReleaseDC(dc);
}

void TKorvelG::Flip() {
  if (PrimarySurface) PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
}

void TKorvelG::MainCopy() {
  if (!PrimarySurface || !Surface) return;
  const POINT topLeft = ClientToScreen(POINT{0, 0});
  const POINT bottomRight = ClientToScreen(POINT{Width(), Height()});
  const RECT destination{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  const RECT source{0, 0, Width(), Height()};
  PrimarySurface->SetClipper(Clipper.Get());
  LastResult = PrimarySurface->Blt(&destination, Surface.Get(), &source, DDBLT_WAIT, nullptr);
}

void TKorvelG::Copy(LONG X, LONG Y, IDirectDrawSurface* Source, const RECT& SrcRect,
                    BYTE ColorKey) {
  if (!Surface || !Source) return;
  // Worked in 64 bits: no input overflows. A result a RECT cannot hold is not issued.
  std::int64_t x = X, y = Y, left = SrcRect.left, top = SrcRect.top, right = SrcRect.right,
               bottom = SrcRect.bottom;
  if (x < 0) left -= x, x = 0;
  if (y < 0) top -= y, y = 0;
  if (x + (right - left) > Width()) right -= x + right - left - Width();
  if (y + (bottom - top) > Height()) bottom -= y + bottom - top - Height();
  auto fits = [](std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(x) || !fits(y) || !fits(left) || !fits(top) || !fits(right) || !fits(bottom)) return;
  RECT r{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
         static_cast<LONG>(bottom)};
  Surface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), Source, &r,
                   DDBLTFAST_WAIT + ColorKey);
}

void TKorvelG::Clear() {
  if (Surface)
    Surface->Blt(&SurfaceRect, nullptr, &SurfaceRect, DDBLT_WAIT | DDBLT_COLORFILL, &BltFx);
}

void TKorvelG::DDRestore() {
  if (!PrimarySurface) return;
  for (IDirectDrawSurface* surface : {Surface.Get(), PrimarySurface.Get(), BackSurface.Get()})
    if (surface && surface->IsLost() != DD_OK) surface->Restore();
}

bool TKorvelG::LockBoth(IDirectDrawSurface* Source, DDSURFACEDESC& SrcDesc,
                        DDSURFACEDESC& DstDesc) {
  SrcDesc = ZeroedDesc();
  LastResult = Source->Lock(nullptr, &SrcDesc, DDLOCK_WAIT, nullptr);
  if (LastResult != DD_OK) return false;
  DstDesc = ZeroedDesc();
  LastResult = Surface->Lock(nullptr, &DstDesc, DDLOCK_WAIT, nullptr);
  if (LastResult != DD_OK) {
    Source->Unlock(nullptr);
    return false;
  }
  return true;
}

void TKorvelG::Blend(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W, LONG H,
                     BlendKind Kind) {
  if (!Surface || !Source) return;
  DDSURFACEDESC src, dst;
  // The first lock only supplies sizes and formats.
  if (!LockBoth(Source, src, dst)) return;
  Source->Unlock(nullptr);
  Surface->Unlock(nullptr);
  // Only 16-bit RGB with three nonzero masks, in the destination's format, can be blended;
  // anything else (a zero mask would divide by zero) draws nothing.
  if (!IsBlendableFormat(dst.ddpfPixelFormat) || src.ddpfPixelFormat.dwRGBBitCount != 16) return;
  BlendRect rect{X, Y, SX, SY, W, H};
  if (!ClipBlendRect(rect, static_cast<LONG>(dst.dwWidth), static_cast<LONG>(dst.dwHeight),
                     static_cast<LONG>(src.dwWidth), static_cast<LONG>(src.dwHeight)))
    return;
  if (::Color8bit) return;
  if (!LockBoth(Source, src, dst)) return;
  if (Kind == BlendKind::Screen)
    ScreenAddRect(BlendSurfaceOf(dst), BlendSurfaceOf(src), rect, MasksOf(dst));
  else
    SaturatingAddRect(BlendSurfaceOf(dst), BlendSurfaceOf(src), rect, MasksOf(dst));
  Source->Unlock(nullptr);
  Surface->Unlock(nullptr);
}

void TKorvelG::ADDBlt(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W,
                      LONG H) {
  Blend(X, Y, Source, SX, SY, W, H, BlendKind::Screen);
}

void TKorvelG::ADDBlt2(LONG X, LONG Y, IDirectDrawSurface* Source, LONG SX, LONG SY, LONG W,
                       LONG H) {
  Blend(X, Y, Source, SX, SY, W, H, BlendKind::Saturating);
}

void TKorvelG::Dark(float Amount) {
  if (!Surface) return;
  DDSURFACEDESC desc = ZeroedDesc();
  LastResult = Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  if (LastResult != DD_OK) return;
  if (!::Color8bit && IsBlendableFormat(desc.ddpfPixelFormat)) {
    const ChannelMasks masks = MasksOf(desc);
    DarkenSurface(BlendSurfaceOf(desc), masks,
                  DarkDecrements(masks, ChannelMasks{RedUnit, GreenUnit, BlueUnit}, Amount));
  }
  Surface->Unlock(nullptr);
}
