#include "platform/d3d/raster/Sampler.h"

#include <cmath>
#include <cstring>

#include "platform/d3d/raster/RasterConfig.h"
#include "platform/d3d/raster/Targets.h"

namespace platform::raster {

namespace {

std::int32_t PowerOfTwoMask(std::int32_t size) {
  return (size & (size - 1)) == 0 ? size - 1 : 0;
}

// Truncates a texel position known to be meant as non-negative; NaN and negatives give 0 and
// huge values are bounded, so the conversion is always defined.
std::int32_t TruncateNonNegative(float t) {
  if (!(t > 0.0f)) return 0;
  if (t >= kMaxTexelCoordinate) return static_cast<std::int32_t>(kMaxTexelCoordinate);
  return static_cast<std::int32_t>(t);
}

}  // namespace

int BytesPerTexel(TextureFormat format) {
  switch (format) {
    case TextureFormat::Palette8:
      return 1;
    case TextureFormat::Rgb565:
    case TextureFormat::Argb1555:
      return 2;
    case TextureFormat::Argb8888:
      return 4;
  }
  return 4;
}

bool FormatHasAlpha(TextureFormat format) {
  return format == TextureFormat::Argb1555 || format == TextureFormat::Argb8888;
}

void Sampler::Bind(const TextureView& texture, D3DTEXTUREADDRESS addressU,
                   D3DTEXTUREADDRESS addressV) {
  texture_ = texture;
  address_u_ = addressU;
  address_v_ = addressV;
  mask_u_ = PowerOfTwoMask(texture.width);
  mask_v_ = PowerOfTwoMask(texture.height);
  has_alpha_ = FormatHasAlpha(texture.format);
  if (texture.format == TextureFormat::Palette8) ExpandPalette(texture.palette);
}

void Sampler::ExpandPalette(const D3DCOLOR* palette) {
  if (expanded_valid_ && std::memcmp(expanded_from_, palette, sizeof(expanded_from_)) == 0) return;
  std::memcpy(expanded_from_, palette, sizeof(expanded_from_));
  constexpr float kInv255 = 1.0f / 255.0f;
  for (int i = 0; i < 256; ++i) {
    const D3DCOLOR c = palette[i];
    expanded_[i][0] = static_cast<float>(RGBA_GETRED(c)) * kInv255;
    expanded_[i][1] = static_cast<float>(RGBA_GETGREEN(c)) * kInv255;
    expanded_[i][2] = static_cast<float>(RGBA_GETBLUE(c)) * kInv255;
    expanded_[i][3] = 1.0f;
  }
  expanded_valid_ = true;
}

std::int32_t Sampler::TexelIndex(float coordinate, std::int32_t size, std::int32_t mask,
                                 D3DTEXTUREADDRESS mode) {
  const float t = coordinate * static_cast<float>(size);
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      const std::int32_t i = TruncateNonNegative(t) % (2 * size);
      return i < size ? i : 2 * size - 1 - i;
    }
    case D3DTADDRESS_CLAMP:
    case D3DTADDRESS_BORDER: {
      if (!(t > 0.0f)) return 0;
      if (t >= static_cast<float>(size)) return size - 1;
      return static_cast<std::int32_t>(t);
    }
    default: {
      const std::int32_t i = TruncateNonNegative(t);
      return mask != 0 ? (i & mask) : (i % size);
    }
  }
}

D3DCOLOR Sampler::Fetch(std::int32_t x, std::int32_t y) const {
  const auto* row = static_cast<const std::uint8_t*>(texture_.bits) +
                    static_cast<std::ptrdiff_t>(y) * texture_.pitch;
  switch (texture_.format) {
    case TextureFormat::Palette8:
      return 0xFF000000u | texture_.palette[row[x]];
    case TextureFormat::Rgb565:
      return ExpandRgb565(reinterpret_cast<const std::uint16_t*>(row)[x]);
    case TextureFormat::Argb1555: {
      const std::uint32_t p = reinterpret_cast<const std::uint16_t*>(row)[x];
      return ((p & 0x8000u) ? 0xFF000000u : 0u) | (Expand5((p >> 10) & 0x1Fu) << 16) |
             (Expand5((p >> 5) & 0x1Fu) << 8) | Expand5(p & 0x1Fu);
    }
    case TextureFormat::Argb8888:
      return reinterpret_cast<const std::uint32_t*>(row)[x];
  }
  return 0;
}

}  // namespace platform::raster
