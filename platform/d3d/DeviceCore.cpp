#include "platform/d3d/DeviceCore.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/d3d/D3DTexture.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/SurfaceAccess.h"
#include "platform/d3d/raster/RasterConfig.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform {

namespace {

// The environment's KOR_RASTER_THREADS when it holds a whole number from 1 up, else the
// rasteriser's default for this machine.
int RasterThreadCount() {
  const char* text = std::getenv("KOR_RASTER_THREADS");
  if (text != nullptr) {
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && count >= 1) {
      return static_cast<int>(std::min<long>(count, raster::kMaxRasterThreads));
    }
  }
  return raster::DefaultThreadCount();
}

}  // namespace

DeviceCore::DeviceCore(IDirectDrawSurface* Target) : target_(Target) {
  raster_.SetThreadCount(RasterThreadCount());
}

D3DTEXTUREHANDLE DeviceCore::AddTexture(TextureObject* Texture) {
  const std::uint32_t handle = nextHandle_++;
  textures_[handle] = Texture;
  return handle;
}

D3DMATERIALHANDLE DeviceCore::AddMaterial(MaterialObject* Material) {
  const std::uint32_t handle = nextHandle_++;
  materials_[handle] = Material;
  return handle;
}

void DeviceCore::ForgetTexture(D3DTEXTUREHANDLE Handle) {
  textures_.erase(Handle);
}
void DeviceCore::ForgetMaterial(D3DMATERIALHANDLE Handle) {
  materials_.erase(Handle);
}

TextureObject* DeviceCore::FindTexture(D3DTEXTUREHANDLE Handle) const {
  const auto found = textures_.find(Handle);
  return found == textures_.end() ? nullptr : found->second;
}

MaterialObject* DeviceCore::FindMaterial(D3DMATERIALHANDLE Handle) const {
  const auto found = materials_.find(Handle);
  return found == materials_.end() ? nullptr : found->second;
}

// Locks the target, its z-buffer and (when asked) the current texture for the length of one
// call, shows them to the rasteriser, and runs work. A lost surface fails the call.
template <class Work>
HRESULT DeviceCore::WithSurfaces(bool withTexture, Work work) {
  SurfaceLock target(target_.Get());
  if (!target.Locked()) return target.Result();
  const auto targetView = TargetView(target.Desc());
  if (!targetView) return DDERR_INVALIDPIXELFORMAT;

  const ComPtr<IDirectDrawSurface> zbuffer = AttachedZBuffer(target_.Get());
  std::optional<SurfaceLock> depth;
  if (zbuffer) {
    depth.emplace(zbuffer.Get());
    if (!depth->Locked()) return depth->Result();
  }

  std::optional<SurfaceLock> texel;
  TextureObject* texture = nullptr;
  if (withTexture) {
    texture = FindTexture(raster_.Pipeline().texture_handle);
    if (texture) {
      texel.emplace(texture->Surface());
      if (!texel->Locked()) return texel->Result();
    }
  }

  try {
    raster_.SetRenderTarget(*targetView);
    const auto depthView = depth ? DepthView(depth->Desc()) : std::nullopt;
    if (depthView) {
      raster_.SetDepthBuffer(*depthView);
    } else {
      raster_.DetachDepthBuffer();
    }
    const auto format = texel ? TextureFormatOf(texel->Desc().ddpfPixelFormat) : std::nullopt;
    if (format) {
      const DDSURFACEDESC& desc = texel->Desc();
      raster_.SetTexture({desc.lpSurface, desc.lPitch, static_cast<std::int32_t>(desc.dwWidth),
                          static_cast<std::int32_t>(desc.dwHeight), *format, texture->Palette()});
    } else {
      raster_.DetachTexture();
    }
  } catch (const std::invalid_argument&) {
    return DDERR_INVALIDPARAMS;
  }
  return work() == raster::DrawResult::Ok ? D3D_OK : DDERR_INVALIDPARAMS;
}

HRESULT DeviceCore::Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags, D3DCOLOR Color) {
  return WithSurfaces(false, [&] { return raster_.Clear(Count, Rects, Flags, Color); });
}

HRESULT DeviceCore::Draw(const D3DTLVERTEX* Vertices, DWORD VertexCount, const WORD* Indices,
                         DWORD IndexCount, DWORD Flags) {
  return WithSurfaces(true, [&] {
    return raster_.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, Vertices, VertexCount, Indices,
                                        IndexCount, Flags);
  });
}

}  // namespace platform
