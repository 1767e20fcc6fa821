#include "tools/snapshot/SurfaceImage.h"

#include <stb_image_write.h>

#include "platform/ddraw/DDrawErrors.h"
#include "platform/display/Rgb565.h"

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
  for (int y = 0; y < Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < Width; ++x) {
      const std::uint16_t p = row[x];
      std::uint8_t* out = &rgba[(static_cast<size_t>(y) * Width + x) * 4];
      out[0] = static_cast<std::uint8_t>(platform::Red565(p));
      out[1] = static_cast<std::uint8_t>(platform::Green565(p));
      out[2] = static_cast<std::uint8_t>(platform::Blue565(p));
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
