#pragma once
// Depth buffers of 16, 24 and 32 bits. Depth is the vertex's screen z in [0, 1] (0 = near),
// scaled to the full range of the buffer's bits; values outside [0, 1] are clamped, so geometry
// beyond the far value still tests and writes as "farthest" rather than wrapping around.

#include <cstdint>

#include "platform/d3d/D3DTypes.h"
#include "platform/d3d/raster/Targets.h"

namespace platform::raster {

enum class DepthFormat {
  Depth16,  // one 16-bit cell per pixel
  Depth24,  // one 32-bit cell per pixel holding 24 bits of depth in its low bits
  Depth32,  // one 32-bit cell per pixel
};

struct DepthBufferView {
  void* bits = nullptr;
  std::int32_t pitch = 0;  // bytes from one row to the next
  std::int32_t width = 0;
  std::int32_t height = 0;
  DepthFormat format = DepthFormat::Depth16;
};

int BytesPerPixel(DepthFormat format);
constexpr std::uint32_t MaxDepthValue(DepthFormat format) {
  return format == DepthFormat::Depth16   ? 0xFFFFu
         : format == DepthFormat::Depth24 ? 0xFFFFFFu
                                          : 0xFFFFFFFFu;
}

// Screen z to the buffer's integer scale. NaN counts as far.
inline std::uint32_t ToDepthValue(float z, DepthFormat format) {
  if (!(z < 1.0f)) return MaxDepthValue(format);
  if (!(z > 0.0f)) return 0;
  if (format == DepthFormat::Depth32) {
    return static_cast<std::uint32_t>(static_cast<double>(z) * 4294967295.0);
  }
  return static_cast<std::uint32_t>(z * static_cast<float>(MaxDepthValue(format)));
}

// Reads the stored depth of one pixel, on the buffer's integer scale.
std::uint32_t ReadDepth(const DepthBufferView& depth, std::int32_t x, std::int32_t y);

// Fills the part of the rectangle that lies on the buffer with one depth (screen z, clamped).
void FillDepthRect(const DepthBufferView& depth, const PixelRect& rect, float z);

}  // namespace platform::raster
