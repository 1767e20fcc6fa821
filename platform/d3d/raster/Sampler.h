#pragma once
// Texture sampling: point sampling of one texture in one of four formats, with wrap, mirror or
// clamp addressing. Texel (i, j) covers u in [i / width, (i + 1) / width), so u = 0 is the left
// edge of texel 0 and point sampling takes floor(u * width).

#include <cmath>
#include <cstdint>

#include "platform/d3d/D3DTypes.h"

namespace platform::raster {

enum class TextureFormat {
  Palette8,  // 8-bit indices into a 256-entry palette of D3DCOLOR (its alpha is ignored)
  Rgb565,    // 16 bits, no alpha
  Argb1555,  // 16 bits, one alpha bit
  Argb8888,  // 32 bits, D3DCOLOR layout
};

// A texture as the rasteriser reads it. The memory (and the palette) stay the caller's and must
// live while the texture is bound.
struct TextureView {
  const void* bits = nullptr;
  std::int32_t pitch = 0;  // bytes from one row to the next
  std::int32_t width = 0;
  std::int32_t height = 0;
  TextureFormat format = TextureFormat::Rgb565;
  const D3DCOLOR* palette = nullptr;  // 256 entries, for Palette8 only
};

// Whether the format carries its own alpha; without it, MODULATE keeps the diffuse alpha.
bool FormatHasAlpha(TextureFormat format);

int BytesPerTexel(TextureFormat format);

class Sampler {
 public:
  // Binds a validated texture with its addressing per axis.
  void Bind(const TextureView& texture, D3DTEXTUREADDRESS addressU, D3DTEXTUREADDRESS addressV);

  bool HasAlpha() const { return has_alpha_; }

  // A whole number of repeats to subtract from a triangle's coordinates, given their smallest
  // value, so that texel positions stay small and positive along the triangle. Shifting by
  // whole periods changes nothing the addressing mode can see.
  // Inline and without the library's floor: it runs twice for every triangle drawn.
  static float RepeatShift(float smallest, D3DTEXTUREADDRESS mode) {
    if (!std::isfinite(smallest)) return 0.0f;
    switch (mode) {
      case D3DTADDRESS_WRAP:
        // One period below the smallest value keeps rounding just under it positive too.
        return FloorOf(smallest) - 1.0f;
      case D3DTADDRESS_MIRROR:
        return 2.0f * FloorOf(smallest * 0.5f) - 2.0f;
      default:
        return 0.0f;
    }
  }

  // floor(value) for a finite value, exactly as std::floor gives it (but for the sign of a zero
  // result): from 2^23 up every float is a whole number, and below it truncation is exact.
  static float FloorOf(float value) {
    if (!(std::fabs(value) < 8388608.0f)) return value;
    const float truncated = static_cast<float>(static_cast<std::int32_t>(value));
    return truncated > value ? truncated - 1.0f : truncated;
  }

  // The texel under (u, v), as ARGB.
  D3DCOLOR Sample(float u, float v) const {
    return Fetch(TexelIndex(u, texture_.width, mask_u_, address_u_),
                 TexelIndex(v, texture_.height, mask_v_, address_v_));
  }

  // The texel at (x, y), which must lie on the texture.
  D3DCOLOR Fetch(std::int32_t x, std::int32_t y) const;

  // What the specialised spans read directly. The expanded palette holds, for each index, the
  // texel's red, green and blue already multiplied by 1/255 (as MODULATE uses them) and 1; it
  // is remade only when the bound palette's contents change, not on every Bind.
  const TextureView& Texture() const { return texture_; }
  D3DTEXTUREADDRESS AddressU() const { return address_u_; }
  D3DTEXTUREADDRESS AddressV() const { return address_v_; }
  std::int32_t MaskU() const { return mask_u_; }
  std::int32_t MaskV() const { return mask_v_; }
  const float (*ExpandedPalette() const)[4] { return expanded_; }
  // The palette's colours as they were when expanded (what ExpandedPalette holds as floats).
  const D3DCOLOR* PaletteColours() const { return expanded_from_; }

 private:
  void ExpandPalette(const D3DCOLOR* palette);
  static std::int32_t TexelIndex(float coordinate, std::int32_t size, std::int32_t mask,
                                 D3DTEXTUREADDRESS mode);

  TextureView texture_{};
  D3DTEXTUREADDRESS address_u_ = D3DTADDRESS_WRAP;
  D3DTEXTUREADDRESS address_v_ = D3DTADDRESS_WRAP;
  std::int32_t mask_u_ = 0;  // size - 1 for power-of-two sizes, else 0
  std::int32_t mask_v_ = 0;
  bool has_alpha_ = false;
  alignas(16) float expanded_[256][4] = {};
  D3DCOLOR expanded_from_[256] = {};  // the palette contents expanded_ was made from
  bool expanded_valid_ = false;
};

}  // namespace platform::raster
