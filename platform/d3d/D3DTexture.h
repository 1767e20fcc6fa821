// IDirect3DTexture2: the texture interface of a DirectDraw surface. It keeps its surface alive,
// hands out handles on devices, rereads the surface's palette when told it changed, and loads
// its pixels from another texture.
#pragma once

#include <array>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/DeviceHandles.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

class TextureObject final : public RefCounted<IDirect3DTexture2> {
 public:
  explicit TextureObject(IDirectDrawSurface* Surface);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT GetHandle(IDirect3DDevice2* Device, D3DTEXTUREHANDLE* Handle) override;
  HRESULT PaletteChanged(DWORD Start, DWORD Count) override;
  HRESULT Load(IDirect3DTexture2* Source) override;

  IDirectDrawSurface* Surface() const { return surface_.Get(); }
  // The colours of the surface's palette as ARGB (opaque), for 8-bit textures.
  const D3DCOLOR* Palette() const { return palette_.data(); }

 private:
  ~TextureObject() override;
  void ReadPalette();

  ComPtr<IDirectDrawSurface> surface_;
  std::array<D3DCOLOR, 256> palette_{};
  DeviceHandles handles_;
};

// The texture interface of Surface; what a surface answers to
// QueryInterface(IID_IDirect3DTexture2).
HRESULT CreateDirect3DTexture(IDirectDrawSurface* Surface, IDirect3DTexture2** Texture);

}  // namespace platform
