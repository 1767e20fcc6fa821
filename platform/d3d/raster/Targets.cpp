#include "platform/d3d/raster/Targets.h"

#include <algorithm>

namespace platform::raster {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

int BytesPerPixel(TargetFormat format) {
  return format == TargetFormat::Rgb565 ? 2 : 4;
}

namespace {
std::uint8_t* RowOf(const RenderTargetView& target, std::int32_t y) {
  return static_cast<std::uint8_t*>(target.bits) + static_cast<std::ptrdiff_t>(y) * target.pitch;
}
}  // namespace

D3DCOLOR ReadTargetPixel(const RenderTargetView& target, std::int32_t x, std::int32_t y) {
  const std::uint8_t* row = RowOf(target, y);
  if (target.format == TargetFormat::Rgb565) {
    return ExpandRgb565(reinterpret_cast<const std::uint16_t*>(row)[x]);
  }
  return 0xFF000000u | reinterpret_cast<const std::uint32_t*>(row)[x];
}

void FillTargetRect(const RenderTargetView& target, const PixelRect& rect, D3DCOLOR color) {
  const PixelRect area = Intersect(rect, {0, 0, target.width, target.height});
  if (area.IsEmpty()) return;
  if (target.format == TargetFormat::Rgb565) {
    FillCells(target.bits, target.pitch, area,
              PackRgb565(RGBA_GETRED(color), RGBA_GETGREEN(color), RGBA_GETBLUE(color)));
  } else {
    FillCells(target.bits, target.pitch, area, 0xFF000000u | color);
  }
}

}  // namespace platform::raster
