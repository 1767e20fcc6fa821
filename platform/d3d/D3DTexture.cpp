#include "platform/d3d/D3DTexture.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/SurfaceAccess.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform {

TextureObject::TextureObject(IDirectDrawSurface* Surface) : surface_(Surface) {
  ReadPalette();
}

TextureObject::~TextureObject() {
  handles_.ForgetAll([](DeviceCore& core, DWORD handle) { core.ForgetTexture(handle); });
}

HRESULT TextureObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirect3DTexture2)
    return Answer(static_cast<IDirect3DTexture2*>(this), Object);
  // The texture is a facet of its surface: the surface's interfaces are reached through it.
  return surface_->QueryInterface(Iid, Object);
}

HRESULT TextureObject::GetHandle(IDirect3DDevice2* Device, D3DTEXTUREHANDLE* Handle) {
  return handles_.Get(Device, Handle, [this](DeviceCore& core) { return core.AddTexture(this); });
}

void TextureObject::ReadPalette() {
  ComPtr<IDirectDrawPalette> palette;
  if (FAILED(surface_->GetPalette(palette.Put())) || !palette) return;
  PALETTEENTRY entries[256] = {};
  if (FAILED(palette->GetEntries(0, 0, 256, entries))) return;
  for (int i = 0; i < 256; ++i) {
    palette_[static_cast<size_t>(i)] = 0xFF000000u | (DWORD{entries[i].peRed} << 16) |
                                       (DWORD{entries[i].peGreen} << 8) | entries[i].peBlue;
  }
}

HRESULT TextureObject::PaletteChanged(DWORD Start, DWORD Count) {
  if (Start > 256 || Count > 256 - Start) return DDERR_INVALIDPARAMS;
  ReadPalette();
  return D3D_OK;
}

HRESULT TextureObject::Load(IDirect3DTexture2* Source) {
  auto* source = dynamic_cast<TextureObject*>(Source);
  if (!source) return DDERR_INVALIDPARAMS;
  SurfaceLock from(source->Surface());
  if (!from.Locked()) return from.Result();
  SurfaceLock to(surface_.Get());
  if (!to.Locked()) return to.Result();
  const DDSURFACEDESC& s = from.Desc();
  const DDSURFACEDESC& d = to.Desc();
  if (s.ddpfPixelFormat.dwRGBBitCount != d.ddpfPixelFormat.dwRGBBitCount)
    return DDERR_INVALIDPIXELFORMAT;
  const size_t rowBytes = std::min(s.dwWidth, d.dwWidth) * (d.ddpfPixelFormat.dwRGBBitCount / 8);
  const DWORD rows = std::min(s.dwHeight, d.dwHeight);
  for (DWORD y = 0; y < rows; ++y) {
    std::memcpy(static_cast<char*>(d.lpSurface) + static_cast<ptrdiff_t>(y) * d.lPitch,
                static_cast<const char*>(s.lpSurface) + static_cast<ptrdiff_t>(y) * s.lPitch,
                rowBytes);
  }
  palette_ = source->palette_;
  return D3D_OK;
}

HRESULT CreateDirect3DTexture(IDirectDrawSurface* Surface, IDirect3DTexture2** Texture) {
  if (!Texture) return E_POINTER;
  *Texture = nullptr;
  if (!Surface) return DDERR_INVALIDPARAMS;
  *Texture = new TextureObject(Surface);
  return D3D_OK;
}

}  // namespace platform
