// The state a software Direct3D device shares with the objects that work on it: its render
// target, the rasteriser, and the handles that name materials and textures on it.
//
// The device owns its core; viewports, materials and textures hold it weakly, so whichever of
// them outlives the other finds out rather than following a dangling pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/raster/Rasterizer.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

class TextureObject;
class MaterialObject;

class DeviceCore {
 public:
  explicit DeviceCore(IDirectDrawSurface* Target);

  IDirectDrawSurface* Target() const { return target_.Get(); }
  raster::Rasterizer& Raster() { return raster_; }

  // Handles start at 1; 0 names nothing.
  D3DTEXTUREHANDLE AddTexture(TextureObject* Texture);
  D3DMATERIALHANDLE AddMaterial(MaterialObject* Material);
  void ForgetTexture(D3DTEXTUREHANDLE Handle);
  void ForgetMaterial(D3DMATERIALHANDLE Handle);
  TextureObject* FindTexture(D3DTEXTUREHANDLE Handle) const;
  MaterialObject* FindMaterial(D3DMATERIALHANDLE Handle) const;

  // Fills the rectangles of the render target and its z-buffer, as a viewport's Clear asks.
  HRESULT Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags, D3DCOLOR Color);

  // Draws an indexed triangle list with the current states and texture.
  HRESULT Draw(const D3DTLVERTEX* Vertices, DWORD VertexCount, const WORD* Indices,
               DWORD IndexCount, DWORD Flags);

 private:
  template <class Work>
  HRESULT WithSurfaces(bool withTexture, Work work);

  ComPtr<IDirectDrawSurface> target_;
  raster::Rasterizer raster_;
  std::unordered_map<std::uint32_t, TextureObject*> textures_;
  std::unordered_map<std::uint32_t, MaterialObject*> materials_;
  std::uint32_t nextHandle_ = 1;
};

// The core of a device made here, or nullptr for another implementation of the interface.
std::shared_ptr<DeviceCore> CoreOf(IDirect3DDevice2* Device);

}  // namespace platform
