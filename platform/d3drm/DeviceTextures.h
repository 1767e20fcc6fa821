// DeviceTextures: the retained-mode textures of the meshes a viewport draws, made into textures
// of its immediate-mode device and kept from frame to frame.
//
// The route to a device texture is the one DirectX offers an application: the device's
// IDirect3D2 (IDirect3DDevice2::GetDirect3D) is a part of its DirectDraw object, so
// QueryInterface(IID_IDirectDraw2) on it gives the DirectDraw object; that makes a system-memory
// texture surface (DDSCAPS_TEXTURE) and, for a palettised image, a 256-entry palette set on it;
// the surface's IDirect3DTexture2 gives the handle on the device. Only the interfaces are used:
// the retained-mode layer needs no DirectDraw or Direct3D implementation of its own.
//
// Pixel formats are taken from the device's EnumTextureFormats, once: a palettised image
// (D3DRMIMAGE with rgb FALSE, depth 8) keeps its indices and palette in an 8-bit palettised
// texture; a true-colour image (depth 16, 24 or 32 with channel masks) goes into the deepest
// RGB format offered, opaque. A palettised image on a device without palettised textures is
// expanded through its palette into that RGB format.
//
// Each texture is made on first use and held (with a reference to the retained-mode texture,
// so it cannot be mistaken for a later one at the same address) until a frame passes without
// it: EndFrame then gives it back. A texture surface that was lost (a display mode change) is
// restored and filled again before it is drawn with. A texture that cannot be made (no
// DirectDraw object behind the device, an image of no known layout, a failed call) answers
// handle 0, so its faces are drawn untextured, and is not tried again while it stays in use.
#pragma once

#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3drm/RMInterfaces.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform::d3drm {

class DeviceTextures {
 public:
  // The device handle of Texture's image on Device (the same device on every call), made on
  // first use; 0 for no texture or one that cannot be made.
  D3DTEXTUREHANDLE Handle(IDirect3DDevice2* Device, IDirect3DRMTexture* Texture);
  // Gives back the textures not asked for since the previous EndFrame.
  void EndFrame();

  size_t Count() const { return entries_.size(); }
  // The surface made for Texture, or nullptr when it has none on this device.
  IDirectDrawSurface* SurfaceOf(IDirect3DRMTexture* Texture) const;

 private:
  struct Entry {
    ComPtr<IDirect3DRMTexture> source;
    ComPtr<IDirectDrawSurface> surface;
    ComPtr<IDirect3DTexture2> texture;
    D3DTEXTUREHANDLE handle = 0;
    bool used = false;
  };
  struct Formats {
    bool known = false;
    bool hasPalettised = false;
    bool hasRgb = false;
    DDPIXELFORMAT palettised;
    DDPIXELFORMAT rgb;
  };

  static HRESULT RecordFormat(DDSURFACEDESC* Desc, LPVOID Context);
  void LearnFormats(IDirect3DDevice2* Device);
  // Makes the surface, palette and texture interface of Item from its image.
  void Make(IDirect3DDevice2* Device, Entry& Item);
  // Writes the image's pixels into the entry's surface; false when it cannot be locked.
  static bool Fill(Entry& Item);

  std::vector<Entry> entries_;
  Formats formats_;
};

}  // namespace platform::d3drm
