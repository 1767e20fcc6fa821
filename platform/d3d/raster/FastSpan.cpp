#include "platform/d3d/raster/FastSpan.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace platform::raster {

namespace {

template <DepthFormat kFormat>
struct DepthCell {
  using Type = std::uint32_t;
};
template <>
struct DepthCell<DepthFormat::Depth16> {
  using Type = std::uint16_t;
};

// The attribute plane of four consecutive attributes at (dx, dy) from the plane's origin, each
// lane formed as the general span forms it: origin + ddx * dx + ddy * dy.
__m128 PlaneAt(const TriangleSetup& setup, int first_attribute, __m128 dx, __m128 dy) {
  const __m128 origin = _mm_loadu_ps(&setup.origin[first_attribute]);
  const __m128 ddx = _mm_loadu_ps(&setup.ddx[first_attribute]);
  const __m128 ddy = _mm_loadu_ps(&setup.ddy[first_attribute]);
  return _mm_add_ps(_mm_add_ps(origin, _mm_mul_ps(ddx, dx)), _mm_mul_ps(ddy, dy));
}

// max(v, 0) and min(v, limit) lane by lane as the general span's comparisons give them: the
// instructions return their second operand when the first is NaN, so NaN becomes 0.
inline __m128 AtLeastZero(__m128 v) {
  return _mm_max_ps(v, _mm_setzero_ps());
}
inline float Clamp01(float f) {
  const __m128 v = _mm_min_ss(_mm_max_ss(_mm_set_ss(f), _mm_setzero_ps()), _mm_set_ss(1.0f));
  return _mm_cvtss_f32(v);
}

// The byte offset of the texel under (u, v) (lanes 0 and 1) in a wrapped power-of-two texture,
// as the sampler finds it: texel positions u * width and v * height, NaN and negatives taken
// as 0, values beyond the bound held at it, truncated, wrapped by the masks. The two indices
// (below 2^14) are combined with the pitch (below 2^15) in one multiply-add of 16-bit lanes.
inline std::int32_t TexelOffset(__m128 uv, __m128 size, __m128i masks, __m128i pitch_weights) {
  const __m128 t = _mm_min_ps(AtLeastZero(_mm_mul_ps(uv, size)), _mm_set1_ps(kMaxTexelCoordinate));
  const __m128i index = _mm_and_si128(_mm_cvttps_epi32(t), masks);
  return _mm_cvtsi128_si32(_mm_madd_epi16(_mm_packs_epi32(index, index), pitch_weights));
}

// Channels already rounded to bytes (red in bits 0-7, green 8-15, blue 16-23) to 5-6-5.
inline std::uint16_t PackBytes565(std::uint32_t rgb) {
  return static_cast<std::uint16_t>(((rgb & 0xF8u) << 8) | ((rgb >> 5) & 0x7E0u) |
                                    ((rgb >> 19) & 0x1Fu));
}

// Per-span constants of the texture.
struct TextureWalk {
  const std::uint8_t* texels = nullptr;
  __m128 size = _mm_setzero_ps();  // width, height
  __m128i masks = _mm_setzero_si128();
  __m128i pitch_weights = _mm_setzero_si128();  // 1 and the pitch, as 16-bit lanes
  const float (*palette)[4] = nullptr;
};

template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
void FastSpan(const PixelContext& context, const TriangleSetup& setup, std::int32_t y,
              std::int32_t first, std::int32_t last) {
  using Cell = typename DepthCell<kFormat>::Type;
  const float dx = static_cast<float>(first) - setup.origin_x;
  const float dy = static_cast<float>(y) - setup.origin_y;
  const __m128 dx4 = _mm_set1_ps(dx);
  const __m128 dy4 = _mm_set1_ps(dy);

  // Depth is evaluated from the span start, as the general span does.
  const float z_start = setup.origin[kAttrZ] + setup.ddx[kAttrZ] * dx + setup.ddy[kAttrZ] * dy;
  const float z_step = setup.ddx[kAttrZ];
  // Lanes z, rhw, u, v: u and v are stepped in lanes 2 and 3, moved to 0 and 1 when used.
  __m128 uv = PlaneAt(setup, kAttrZ, dx4, dy4);
  const __m128 uv_step = _mm_loadu_ps(&setup.ddx[kAttrZ]);
  __m128 diffuse = PlaneAt(setup, kAttrRed, dx4, dy4);
  const __m128 diffuse_step = _mm_loadu_ps(&setup.ddx[kAttrRed]);
  __m128 specular = _mm_setzero_ps();
  __m128 specular_step = _mm_setzero_ps();
  if constexpr (kSpecular) {
    specular = PlaneAt(setup, kAttrSpecularRed, dx4, dy4);
    specular_step = _mm_loadu_ps(&setup.ddx[kAttrSpecularRed]);
  }

  TextureWalk texture{};
  if constexpr (kTextured) {
    const TextureView& view = context.sampler->Texture();
    texture.texels = static_cast<const std::uint8_t*>(view.bits);
    texture.size =
        _mm_setr_ps(static_cast<float>(view.width), static_cast<float>(view.height), 0.0f, 0.0f);
    texture.masks = _mm_setr_epi32(view.width - 1, view.height - 1, 0, 0);
    texture.pitch_weights =
        _mm_setr_epi16(1, static_cast<std::int16_t>(view.pitch), 0, 0, 0, 0, 0, 0);
    texture.palette = context.sampler->ExpandedPalette();
  }

  const __m128 max_channel = _mm_set1_ps(255.0f);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 fog_color =
      _mm_setr_ps(context.fog_color[0], context.fog_color[1], context.fog_color[2], 0.0f);
  const std::uint32_t* dither = context.dither_offsets[y & (kDitherSize - 1)];

  auto* pixel =
      reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(context.target.bits) +
                                       static_cast<std::ptrdiff_t>(y) * context.target.pitch) +
      first;
  Cell* cell = nullptr;
  if constexpr (kDepth) {
    cell = reinterpret_cast<Cell*>(static_cast<std::uint8_t*>(context.depth.bits) +
                                   static_cast<std::ptrdiff_t>(y) * context.depth.pitch) +
           first;
  }

  for (std::int32_t x = first; x <= last; ++x, ++pixel) {
    const float z = z_start + z_step * static_cast<float>(x - first);
    bool visible = true;
    std::uint32_t depth_value = 0;
    if constexpr (kDepth) {
      depth_value = ToDepthValue(z, kFormat);
      std::uint32_t stored = *cell;
      if constexpr (kFormat == DepthFormat::Depth24) stored &= 0xFFFFFFu;
      visible = depth_value <= stored;
    }
    if (visible) {
      __m128 c = diffuse;
      if constexpr (kTextured) {
        const std::uint8_t index = texture.texels[TexelOffset(
            _mm_movehl_ps(uv, uv), texture.size, texture.masks, texture.pitch_weights)];
        c = _mm_mul_ps(c, _mm_load_ps(texture.palette[index]));
      }
      if constexpr (kSpecular) c = _mm_add_ps(c, specular);
      c = _mm_min_ps(AtLeastZero(c), max_channel);  // as Clamp255
      if constexpr (kFog) {
        const float f = Clamp01((context.fog_end - z) * context.fog_scale);
        c = _mm_add_ps(fog_color, _mm_mul_ps(_mm_sub_ps(c, fog_color), _mm_set1_ps(f)));
      }
      // Rounding as ToByte: + 0.5, truncated. Fog keeps channels within 0..255, and anything
      // beyond would be held at 0 or 255 by the saturating packs as the clamp would hold it.
      const __m128i lanes = _mm_cvttps_epi32(_mm_add_ps(c, half));
      const __m128i words = _mm_packs_epi32(lanes, lanes);
      const __m128i bytes = _mm_adds_epu8(_mm_packus_epi16(words, words),
                                          _mm_cvtsi32_si128(static_cast<int>(dither[x & 3])));
      *pixel = PackBytes565(static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)));
      if constexpr (kDepth) {
        if (context.depth_write) {
          if constexpr (kFormat == DepthFormat::Depth24) {
            *cell = (*cell & 0xFF000000u) | depth_value;
          } else {
            *cell = static_cast<Cell>(depth_value);
          }
        }
      }
    }
    diffuse = _mm_add_ps(diffuse, diffuse_step);
    if constexpr (kSpecular) specular = _mm_add_ps(specular, specular_step);
    if constexpr (kTextured) uv = _mm_add_ps(uv, uv_step);
    if constexpr (kDepth) ++cell;
  }
}

template <bool kDepth, DepthFormat kFormat, bool kTextured>
SpanFunction SelectShading(bool specular, bool fog) {
  if (specular) {
    return fog ? &FastSpan<kDepth, kFormat, kTextured, true, true>
               : &FastSpan<kDepth, kFormat, kTextured, true, false>;
  }
  return fog ? &FastSpan<kDepth, kFormat, kTextured, false, true>
             : &FastSpan<kDepth, kFormat, kTextured, false, false>;
}

template <bool kDepth, DepthFormat kFormat>
SpanFunction SelectTexturing(bool textured, bool specular, bool fog) {
  return textured ? SelectShading<kDepth, kFormat, true>(specular, fog)
                  : SelectShading<kDepth, kFormat, false>(specular, fog);
}

bool IsPowerOfTwo(std::int32_t size) {
  return (size & (size - 1)) == 0;
}

// Textures the fast span samples: 8-bit palettised, power-of-two sides, wrapped, MODULATE, a
// pitch that fits a 16-bit lane.
bool TextureCovered(const PixelContext& context, bool perspective) {
  const Sampler& sampler = *context.sampler;
  const TextureView& view = sampler.Texture();
  const bool modulate = context.texture_blend == D3DTBLEND_MODULATE ||
                        context.texture_blend == D3DTBLEND_MODULATEMASK;
  return !perspective && modulate && view.format == TextureFormat::Palette8 &&
         IsPowerOfTwo(view.width) && IsPowerOfTwo(view.height) && view.pitch <= 32767 &&
         sampler.AddressU() == D3DTADDRESS_WRAP && sampler.AddressV() == D3DTADDRESS_WRAP;
}

}  // namespace

SpanFunction SelectFastSpan(const PixelContext& context, bool perspective) {
  if (context.target.format != TargetFormat::Rgb565) return nullptr;
  if (context.alpha_test || context.alpha_blend) return nullptr;
  if (context.depth_test && context.depth_func != D3DCMP_LESSEQUAL) return nullptr;
  if (context.fog == FogSource::Vertex) return nullptr;
  if (context.fog == FogSource::Table && context.fog_mode != D3DFOG_LINEAR) return nullptr;
  const bool textured = context.sampler != nullptr;
  if (textured && !TextureCovered(context, perspective)) return nullptr;
  const bool fog = context.fog == FogSource::Table;
  if (!context.depth_test) {
    return SelectTexturing<false, DepthFormat::Depth32>(textured, context.specular, fog);
  }
  switch (context.depth.format) {
    case DepthFormat::Depth16:
      return SelectTexturing<true, DepthFormat::Depth16>(textured, context.specular, fog);
    case DepthFormat::Depth24:
      return SelectTexturing<true, DepthFormat::Depth24>(textured, context.specular, fog);
    case DepthFormat::Depth32:
      return SelectTexturing<true, DepthFormat::Depth32>(textured, context.specular, fog);
  }
  return nullptr;
}

}  // namespace platform::raster
