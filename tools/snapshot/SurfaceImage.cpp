#include "tools/snapshot/SurfaceImage.h"

#include <stb_image_write.h>

#include "platform/ddraw/DDrawErrors.h"

std::vector<std::uint8_t> SurfaceRgba(IDirectDrawSurface* Surface, int& Width, int& Height) {
  std::vector<std::uint8_t> rgba;
  Width = Height = 0;
  if (!Surface) return rgba;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  if (Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return rgba;
  if (desc.ddpfPixelFormat.dwRGBBitCount != 16) {
    Surface->Unlock(desc.lpSurface);
    return rgba;
  }
  Width = static_cast<int>(desc.dwWidth);
  Height = static_cast<int>(desc.dwHeight);
  rgba.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 4);
  const auto expand = [](unsigned v, int bits) {
    return static_cast<std::uint8_t>((v << (8 - bits)) | (v >> (2 * bits - 8)));
  };
  for (int y = 0; y < Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < Width; ++x) {
      const unsigned p = row[x];
      std::uint8_t* out = &rgba[(static_cast<size_t>(y) * Width + x) * 4];
      out[0] = expand((p >> 11) & 0x1F, 5);
      out[1] = expand((p >> 5) & 0x3F, 6);
      out[2] = expand(p & 0x1F, 5);
      out[3] = 255;
    }
  }
  Surface->Unlock(desc.lpSurface);
  return rgba;
}

bool WriteRgbaPng(const std::string& Path, const std::vector<std::uint8_t>& Rgba, int Width,
                  int Height) {
  return stbi_write_png(Path.c_str(), Width, Height, 4, Rgba.data(), Width * 4) != 0;
}
