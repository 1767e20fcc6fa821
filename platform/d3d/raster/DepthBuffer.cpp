#include "platform/d3d/raster/DepthBuffer.h"

#include <algorithm>

namespace platform::raster {

int BytesPerPixel(DepthFormat format) {
  return format == DepthFormat::Depth16 ? 2 : 4;
}

namespace {
std::uint8_t* RowOf(const DepthBufferView& depth, std::int32_t y) {
  return static_cast<std::uint8_t*>(depth.bits) + static_cast<std::ptrdiff_t>(y) * depth.pitch;
}
}  // namespace

std::uint32_t ReadDepth(const DepthBufferView& depth, std::int32_t x, std::int32_t y) {
  const std::uint8_t* row = RowOf(depth, y);
  if (depth.format == DepthFormat::Depth16) {
    return reinterpret_cast<const std::uint16_t*>(row)[x];
  }
  const std::uint32_t cell = reinterpret_cast<const std::uint32_t*>(row)[x];
  return depth.format == DepthFormat::Depth24 ? (cell & 0xFFFFFFu) : cell;
}

void FillDepthRect(const DepthBufferView& depth, const PixelRect& rect, float z) {
  const PixelRect area = Intersect(rect, {0, 0, depth.width, depth.height});
  if (area.IsEmpty()) return;
  const std::uint32_t value = ToDepthValue(z, depth.format);
  if (depth.format == DepthFormat::Depth16) {
    FillCells(depth.bits, depth.pitch, area, static_cast<std::uint16_t>(value));
  } else if (depth.format == DepthFormat::Depth32) {
    FillCells(depth.bits, depth.pitch, area, value);
  } else {
    // The top byte of a 24-bit cell is not depth; it is kept, as drawing keeps it.
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      auto* cells = reinterpret_cast<std::uint32_t*>(RowOf(depth, y));
      for (std::int32_t x = area.left; x < area.right; ++x) {
        cells[x] = (cells[x] & 0xFF000000u) | value;
      }
    }
  }
}

}  // namespace platform::raster
