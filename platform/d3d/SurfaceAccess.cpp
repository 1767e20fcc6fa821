#include "platform/d3d/SurfaceAccess.h"

#include "platform/ddraw/DDrawErrors.h"

namespace platform {

using raster::DepthFormat;
using raster::TargetFormat;
using raster::TextureFormat;

std::optional<raster::RenderTargetView> TargetView(const DDSURFACEDESC& Desc) {
  const DDPIXELFORMAT& pf = Desc.ddpfPixelFormat;
  TargetFormat format;
  if (pf.dwRGBBitCount == 16 && pf.dwRBitMask == 0xF800 && pf.dwGBitMask == 0x07E0 &&
      pf.dwBBitMask == 0x001F) {
    format = TargetFormat::Rgb565;
  } else if (pf.dwRGBBitCount == 32 && pf.dwRBitMask == 0x00FF0000 && pf.dwGBitMask == 0x0000FF00 &&
             pf.dwBBitMask == 0x000000FF) {
    format = TargetFormat::Xrgb8888;
  } else {
    return std::nullopt;
  }
  return raster::RenderTargetView{Desc.lpSurface, Desc.lPitch,
                                  static_cast<std::int32_t>(Desc.dwWidth),
                                  static_cast<std::int32_t>(Desc.dwHeight), format};
}

std::optional<raster::DepthBufferView> DepthView(const DDSURFACEDESC& Desc) {
  DepthFormat format;
  switch (Desc.ddpfPixelFormat.dwZBufferBitDepth) {
    case 16:
      format = DepthFormat::Depth16;
      break;
    case 24:
      format = DepthFormat::Depth24;
      break;
    case 32:
      format = DepthFormat::Depth32;
      break;
    default:
      return std::nullopt;
  }
  return raster::DepthBufferView{Desc.lpSurface, Desc.lPitch,
                                 static_cast<std::int32_t>(Desc.dwWidth),
                                 static_cast<std::int32_t>(Desc.dwHeight), format};
}

std::optional<raster::TextureFormat> TextureFormatOf(const DDPIXELFORMAT& Format) {
  if (Format.dwFlags & DDPF_PALETTEINDEXED8) return TextureFormat::Palette8;
  if (Format.dwRGBBitCount == 16 && Format.dwRBitMask == 0xF800) return TextureFormat::Rgb565;
  if (Format.dwRGBBitCount == 16 && Format.dwRBitMask == 0x7C00) return TextureFormat::Argb1555;
  if (Format.dwRGBBitCount == 32) return TextureFormat::Argb8888;
  return std::nullopt;
}

ComPtr<IDirectDrawSurface> AttachedZBuffer(IDirectDrawSurface* Surface) {
  ComPtr<IDirectDrawSurface> zbuffer;
  DDSCAPS caps{DDSCAPS_ZBUFFER};
  if (Surface) Surface->GetAttachedSurface(&caps, zbuffer.Put());
  return zbuffer;
}

}  // namespace platform
