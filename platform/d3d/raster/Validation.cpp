#include "platform/d3d/raster/Validation.h"

#include <stdexcept>
#include <string>

#include "platform/d3d/raster/RasterConfig.h"

namespace platform::raster {

namespace {

// What the three kinds of view share: memory, width x height elements of a given size, a pitch.
struct MemoryShape {
  const char* view;     // "render target", "depth buffer", "texture"
  const char* element;  // what one row is counted in: "pixels", "cells", "texels"
  const void* bits;
  std::int32_t pitch;
  std::int32_t width;
  std::int32_t height;
  int bytes_per_element;
};

[[noreturn]] void Fail(const MemoryShape& shape, const std::string& what) {
  throw std::invalid_argument(std::string("Rasterizer ") + shape.view + ": " + what);
}

void ValidateShape(const MemoryShape& shape) {
  if (shape.bits == nullptr) Fail(shape, "no memory");
  if (shape.width < 1 || shape.height < 1 || shape.width > kMaxSurfaceSide ||
      shape.height > kMaxSurfaceSide) {
    Fail(shape, "size " + std::to_string(shape.width) + " x " + std::to_string(shape.height) +
                    " is outside 1.." + std::to_string(kMaxSurfaceSide));
  }
  if (shape.pitch < shape.width * shape.bytes_per_element) {
    Fail(shape, "pitch " + std::to_string(shape.pitch) + " is shorter than a row of " +
                    std::to_string(shape.width) + " " + shape.element);
  }
}

}  // namespace

void ValidateTarget(const RenderTargetView& target) {
  ValidateShape({"render target", "pixels", target.bits, target.pitch, target.width, target.height,
                 BytesPerPixel(target.format)});
}

void ValidateDepthBuffer(const DepthBufferView& depth) {
  ValidateShape({"depth buffer", "cells", depth.bits, depth.pitch, depth.width, depth.height,
                 BytesPerPixel(depth.format)});
}

void ValidateTexture(const TextureView& texture) {
  const MemoryShape shape{"texture",
                          "texels",
                          texture.bits,
                          texture.pitch,
                          texture.width,
                          texture.height,
                          BytesPerTexel(texture.format)};
  ValidateShape(shape);
  if (texture.format == TextureFormat::Palette8 && texture.palette == nullptr) {
    Fail(shape, "8-bit palettised texture without a palette");
  }
}

}  // namespace platform::raster
