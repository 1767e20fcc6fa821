#include "platform/d3d/raster/PixelStage.h"

#include <cmath>

#include "platform/d3d/raster/Comparison.h"

namespace platform::raster {

namespace {

enum class DepthKind { None, Bits16, Bits24, Bits32 };

template <DepthKind kDepth>
struct DepthCellOf {
  using Type = std::uint32_t;
};
template <>
struct DepthCellOf<DepthKind::Bits16> {
  using Type = std::uint16_t;
};

template <TargetFormat kTarget>
struct PixelOf {
  using Type = std::uint32_t;
};
template <>
struct PixelOf<TargetFormat::Rgb565> {
  using Type = std::uint16_t;
};

constexpr DepthFormat FormatOf(DepthKind kind) {
  return kind == DepthKind::Bits16   ? DepthFormat::Depth16
         : kind == DepthKind::Bits24 ? DepthFormat::Depth24
                                     : DepthFormat::Depth32;
}

// Colour channels while a pixel is shaded, on the 0..255 scale.
struct Color {
  float r;
  float g;
  float b;
  float a;
};

float Clamp255(float v) {
  if (!(v > 0.0f)) return 0.0f;  // also NaN
  return v < 255.0f ? v : 255.0f;
}

std::uint32_t ToByte(float v) {
  return static_cast<std::uint32_t>(Clamp255(v) + 0.5f);
}

// Combines the texel with the diffuse colour as D3DRENDERSTATE_TEXTUREMAPBLEND says. Textures
// without alpha give their texels alpha 255; where a mode takes "the texture's alpha" from such
// a texture, the diffuse alpha is kept instead, as the device does.
void ApplyTexture(D3DTEXTUREBLEND mode, bool texture_alpha, D3DCOLOR texel, Color* c) {
  const float tr = static_cast<float>(RGBA_GETRED(texel));
  const float tg = static_cast<float>(RGBA_GETGREEN(texel));
  const float tb = static_cast<float>(RGBA_GETBLUE(texel));
  const float ta = static_cast<float>(RGBA_GETALPHA(texel));
  constexpr float kInv255 = 1.0f / 255.0f;
  switch (mode) {
    case D3DTBLEND_DECAL:
    case D3DTBLEND_DECALMASK:
    case D3DTBLEND_COPY:
      c->r = tr;
      c->g = tg;
      c->b = tb;
      if (texture_alpha) c->a = ta;
      break;
    case D3DTBLEND_DECALALPHA: {
      const float k = ta * kInv255;
      c->r += (tr - c->r) * k;
      c->g += (tg - c->g) * k;
      c->b += (tb - c->b) * k;
      break;
    }
    case D3DTBLEND_MODULATEALPHA:
      c->r *= tr * kInv255;
      c->g *= tg * kInv255;
      c->b *= tb * kInv255;
      if (texture_alpha) c->a *= ta * kInv255;
      break;
    case D3DTBLEND_ADD:
      c->r += tr;
      c->g += tg;
      c->b += tb;
      break;
    default:  // MODULATE (and MODULATEMASK)
      c->r *= tr * kInv255;
      c->g *= tg * kInv255;
      c->b *= tb * kInv255;
      if (texture_alpha) c->a = ta;
      break;
  }
}

float TableFogFactor(const PixelContext& context, float z) {
  float f = 1.0f;
  switch (context.fog_mode) {
    case D3DFOG_LINEAR:
      f = (context.fog_end - z) * context.fog_scale;
      break;
    case D3DFOG_EXP:
      f = std::exp(-context.fog_density * z);
      break;
    case D3DFOG_EXP2: {
      const float t = context.fog_density * z;
      f = std::exp(-t * t);
      break;
    }
    default:
      break;
  }
  if (!(f > 0.0f)) return 0.0f;
  return f < 1.0f ? f : 1.0f;
}

// colour = f * colour + (1 - f) * fog colour, with f = 1 meaning no fog.
void ApplyFog(const PixelContext& context, float f, Color* c) {
  c->r = context.fog_color[0] + (c->r - context.fog_color[0]) * f;
  c->g = context.fog_color[1] + (c->g - context.fog_color[1]) * f;
  c->b = context.fog_color[2] + (c->b - context.fog_color[2]) * f;
}

// One blend factor per channel (red, green, blue) on the 0..1 scale. The targets have no alpha
// channel, so the destination alpha reads as 1.
void BlendFactor(D3DBLEND blend, const float src[4], const float dest[3], float out[3]) {
  for (int i = 0; i < 3; ++i) {
    switch (blend) {
      case D3DBLEND_ZERO:
        out[i] = 0.0f;
        break;
      case D3DBLEND_SRCCOLOR:
        out[i] = src[i];
        break;
      case D3DBLEND_INVSRCCOLOR:
        out[i] = 1.0f - src[i];
        break;
      case D3DBLEND_SRCALPHA:
      case D3DBLEND_BOTHSRCALPHA:
        out[i] = src[3];
        break;
      case D3DBLEND_INVSRCALPHA:
      case D3DBLEND_BOTHINVSRCALPHA:
        out[i] = 1.0f - src[3];
        break;
      case D3DBLEND_DESTALPHA:
        out[i] = 1.0f;
        break;
      case D3DBLEND_INVDESTALPHA:
        out[i] = 0.0f;
        break;
      case D3DBLEND_DESTCOLOR:
        out[i] = dest[i];
        break;
      case D3DBLEND_INVDESTCOLOR:
        out[i] = 1.0f - dest[i];
        break;
      case D3DBLEND_SRCALPHASAT:
        out[i] = 0.0f;
        break;  // min(As, 1 - Ad) with Ad = 1
      default:
        out[i] = 1.0f;
        break;  // ONE
    }
  }
}

// Blends the shaded colour over the pixel the target holds.
void BlendWithTarget(const PixelContext& context, D3DCOLOR target_pixel, std::uint32_t* rgb,
                     std::uint32_t alpha) {
  constexpr float kInv255 = 1.0f / 255.0f;
  const float src[4] = {rgb[0] * kInv255, rgb[1] * kInv255, rgb[2] * kInv255, alpha * kInv255};
  const float dest[3] = {RGBA_GETRED(target_pixel) * kInv255, RGBA_GETGREEN(target_pixel) * kInv255,
                         RGBA_GETBLUE(target_pixel) * kInv255};
  float src_factor[3];
  float dest_factor[3];
  BlendFactor(context.src_blend, src, dest, src_factor);
  // The BOTH modes set the destination factor together with the source one.
  if (context.src_blend == D3DBLEND_BOTHSRCALPHA) {
    BlendFactor(D3DBLEND_INVSRCALPHA, src, dest, dest_factor);
  } else if (context.src_blend == D3DBLEND_BOTHINVSRCALPHA) {
    BlendFactor(D3DBLEND_SRCALPHA, src, dest, dest_factor);
  } else {
    BlendFactor(context.dest_blend, src, dest, dest_factor);
  }
  for (int i = 0; i < 3; ++i) {
    rgb[i] = ToByte((src[i] * src_factor[i] + dest[i] * dest_factor[i]) * 255.0f);
  }
}

template <TargetFormat kTarget>
D3DCOLOR ReadPixel(const typename PixelOf<kTarget>::Type* pixel) {
  if constexpr (kTarget == TargetFormat::Rgb565) {
    return ExpandRgb565(*pixel);
  } else {
    return 0xFF000000u | *pixel;
  }
}

template <TargetFormat kTarget>
void WritePixel(const PixelContext& context, const std::uint32_t* rgb, std::int32_t x,
                std::int32_t y, typename PixelOf<kTarget>::Type* pixel) {
  if constexpr (kTarget == TargetFormat::Rgb565) {
    *pixel = context.dither ? PackRgb565Dithered(rgb[0], rgb[1], rgb[2], x, y)
                            : PackRgb565(rgb[0], rgb[1], rgb[2]);
  } else {
    *pixel = 0xFF000000u | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
  }
}

template <TargetFormat kTarget, DepthKind kDepth, bool kTextured, bool kPerspective>
void ShadePixel(const PixelContext& context, const float* a, float z, std::int32_t x,
                std::int32_t y, typename PixelOf<kTarget>::Type* pixel,
                typename DepthCellOf<kDepth>::Type* depth_cell) {
  std::uint32_t depth_value = 0;
  if constexpr (kDepth != DepthKind::None) {
    depth_value = ToDepthValue(z, FormatOf(kDepth));
    std::uint32_t stored = *depth_cell;
    if constexpr (kDepth == DepthKind::Bits24) stored &= 0xFFFFFFu;
    if (!ComparisonPasses(context.depth_func, depth_value, stored)) return;
  }

  Color c{a[kAttrRed], a[kAttrGreen], a[kAttrBlue], a[kAttrAlpha]};
  if constexpr (kTextured) {
    float u = a[kAttrU];
    float v = a[kAttrV];
    if constexpr (kPerspective) {
      const float w = 1.0f / a[kAttrRhw];
      u *= w;
      v *= w;
    }
    ApplyTexture(context.texture_blend, context.sampler->HasAlpha(), context.sampler->Sample(u, v),
                 &c);
  }
  if (context.specular) {
    c.r += a[kAttrSpecularRed];
    c.g += a[kAttrSpecularGreen];
    c.b += a[kAttrSpecularBlue];
  }
  c.r = Clamp255(c.r);
  c.g = Clamp255(c.g);
  c.b = Clamp255(c.b);
  if (context.fog == FogSource::Table) {
    ApplyFog(context, TableFogFactor(context, z), &c);
  } else if (context.fog == FogSource::Vertex) {
    ApplyFog(context, Clamp255(a[kAttrFog]) * (1.0f / 255.0f), &c);
  }

  std::uint32_t rgb[3] = {ToByte(c.r), ToByte(c.g), ToByte(c.b)};
  const std::uint32_t alpha = ToByte(c.a);
  if (context.alpha_test &&
      !ComparisonPasses(context.alpha_func, static_cast<std::int32_t>(alpha), context.alpha_ref)) {
    return;
  }
  if (context.alpha_blend) BlendWithTarget(context, ReadPixel<kTarget>(pixel), rgb, alpha);
  WritePixel<kTarget>(context, rgb, x, y, pixel);

  if constexpr (kDepth != DepthKind::None) {
    if (context.depth_write) {
      if constexpr (kDepth == DepthKind::Bits16) {
        *depth_cell = static_cast<std::uint16_t>(depth_value);
      } else if constexpr (kDepth == DepthKind::Bits24) {
        *depth_cell = (*depth_cell & 0xFF000000u) | depth_value;
      } else {
        *depth_cell = depth_value;
      }
    }
  }
}

template <TargetFormat kTarget, DepthKind kDepth, bool kTextured, bool kPerspective>
void DrawSpan(const PixelContext& context, const TriangleSetup& setup, std::int32_t y,
              std::int32_t first, std::int32_t last) {
  using Pixel = typename PixelOf<kTarget>::Type;
  using DepthCell = typename DepthCellOf<kDepth>::Type;

  const float dx = static_cast<float>(first) - setup.origin_x;
  const float dy = static_cast<float>(y) - setup.origin_y;
  float a[kAttributeCount];
  for (int i = 0; i < kAttributeCount; ++i) {
    a[i] = setup.origin[i] + setup.ddx[i] * dx + setup.ddy[i] * dy;
  }
  // Depth is evaluated from the span start rather than accumulated, to keep 24- and 32-bit
  // buffers free of drift along long spans.
  const float z_start = a[kAttrZ];
  const float z_step = setup.ddx[kAttrZ];

  auto* pixel = reinterpret_cast<Pixel*>(static_cast<std::uint8_t*>(context.target.bits) +
                                         static_cast<std::ptrdiff_t>(y) * context.target.pitch) +
                first;
  DepthCell* depth_cell = nullptr;
  if constexpr (kDepth != DepthKind::None) {
    depth_cell =
        reinterpret_cast<DepthCell*>(static_cast<std::uint8_t*>(context.depth.bits) +
                                     static_cast<std::ptrdiff_t>(y) * context.depth.pitch) +
        first;
  }

  for (std::int32_t x = first; x <= last; ++x) {
    const float z = z_start + z_step * static_cast<float>(x - first);
    ShadePixel<kTarget, kDepth, kTextured, kPerspective>(context, a, z, x, y, pixel, depth_cell);
    for (int i = 0; i < kAttributeCount; ++i) a[i] += setup.ddx[i];
    ++pixel;
    if constexpr (kDepth != DepthKind::None) ++depth_cell;
  }
}

template <TargetFormat kTarget, DepthKind kDepth>
SpanFunction SelectForDepth(bool textured, bool perspective) {
  if (!textured) return &DrawSpan<kTarget, kDepth, false, false>;
  return perspective ? &DrawSpan<kTarget, kDepth, true, true>
                     : &DrawSpan<kTarget, kDepth, true, false>;
}

template <TargetFormat kTarget>
SpanFunction SelectForTarget(const PixelContext& context, bool perspective) {
  const bool textured = context.sampler != nullptr;
  if (!context.depth_test) return SelectForDepth<kTarget, DepthKind::None>(textured, perspective);
  switch (context.depth.format) {
    case DepthFormat::Depth16:
      return SelectForDepth<kTarget, DepthKind::Bits16>(textured, perspective);
    case DepthFormat::Depth24:
      return SelectForDepth<kTarget, DepthKind::Bits24>(textured, perspective);
    case DepthFormat::Depth32:
      return SelectForDepth<kTarget, DepthKind::Bits32>(textured, perspective);
  }
  return SelectForDepth<kTarget, DepthKind::None>(textured, perspective);
}

}  // namespace

namespace {

FastSpanConstants MakeFastSpanConstants(const PixelContext& context) {
  FastSpanConstants fast;
  const auto fill = [](auto(&lanes)[4], auto a, auto b) {
    lanes[0] = lanes[2] = a;
    lanes[1] = lanes[3] = b;
  };
  fill(fast.fog_end, context.fog_end, context.fog_end);
  fill(fast.fog_scale, context.fog_scale, context.fog_scale);
  fill(fast.fog_red, context.fog_color[0], context.fog_color[0]);
  fill(fast.fog_green, context.fog_color[1], context.fog_color[1]);
  fill(fast.fog_blue, context.fog_color[2], context.fog_color[2]);
  fast.fog_color[0] = context.fog_color[0];
  fast.fog_color[1] = context.fog_color[1];
  fast.fog_color[2] = context.fog_color[2];
  for (int k = 0; k < 4; ++k) {
    // Fog colours are whole levels (0..255), exact in 8.7.
    fast.fog_rg_8_7[k] = static_cast<std::int16_t>(context.fog_color[0] * 128.0f);
    fast.fog_rg_8_7[4 + k] = static_cast<std::int16_t>(context.fog_color[1] * 128.0f);
    fast.fog_b_8_7[k] = fast.fog_b_8_7[4 + k] =
        static_cast<std::int16_t>(context.fog_color[2] * 128.0f);
  }
  if (context.sampler != nullptr) {
    const TextureView& view = context.sampler->Texture();
    const auto width = static_cast<float>(view.width);
    const auto height = static_cast<float>(view.height);
    fill(fast.texture_width, width, width);
    fill(fast.texture_height, height, height);
    fill(fast.texture_size, width, height);
    fill(fast.mask_u, view.width - 1, view.width - 1);
    fill(fast.mask_v, view.height - 1, view.height - 1);
    fill(fast.masks, view.width - 1, view.height - 1);
    const auto weights =
        static_cast<std::int32_t>((static_cast<std::uint32_t>(view.pitch) << 16) | 1u);
    fill(fast.pitch_weights, weights, weights);
    fast.texels = static_cast<const std::uint8_t*>(view.bits);
    fast.palette = context.sampler->ExpandedPalette();
    fast.palette_colours = context.sampler->PaletteColours();
  }
  return fast;
}

}  // namespace

PixelContext MakePixelContext(const PipelineState& state, const RenderTargetView& target,
                              const DepthBufferView* depth, const Sampler* sampler) {
  PixelContext context;
  context.target = target;
  if (depth != nullptr && state.z_enable) {
    context.depth = *depth;
    context.depth_test = true;
    context.depth_write = state.z_write;
  }
  context.depth_func = state.z_func;
  context.sampler = sampler;
  context.texture_blend = state.texture_blend;
  context.specular = state.specular;
  if (state.fog_enable) {
    context.fog = state.fog_table_mode == D3DFOG_NONE ? FogSource::Vertex : FogSource::Table;
  }
  context.fog_mode = state.fog_table_mode;
  context.fog_end = state.fog_end;
  const float range = state.fog_end - state.fog_start;
  // With start == end the fog is a step at that depth.
  context.fog_scale = range != 0.0f ? 1.0f / range : 1.0e30f;
  context.fog_density = state.fog_density;
  context.fog_color[0] = static_cast<float>(RGBA_GETRED(state.fog_color));
  context.fog_color[1] = static_cast<float>(RGBA_GETGREEN(state.fog_color));
  context.fog_color[2] = static_cast<float>(RGBA_GETBLUE(state.fog_color));
  context.dither = state.dither;
  if (state.dither) {
    for (int y = 0; y < kDitherSize; ++y) {
      for (int x = 0; x < kDitherSize; ++x) {
        // A 5-bit step is 8 levels of 8 bits, a 6-bit step 4: the 0..15 threshold scaled.
        const std::uint32_t threshold = kBayer4[y][x];
        context.dither_offsets[y][x] =
            (threshold >> 1) | ((threshold >> 2) << 8) | ((threshold >> 1) << 16);
      }
    }
    for (int y = 0; y < kDitherSize; ++y) {
      for (int phase = 0; phase < kDitherSize; ++phase) {
        for (int k = 0; k < 4; ++k) {
          const std::uint32_t threshold = kBayer4[y][(phase + k) % kDitherSize];
          auto& quad = context.dither_quads[y][phase];
          quad[0][k] = static_cast<std::int16_t>(threshold >> 1);
          quad[0][4 + k] = static_cast<std::int16_t>(threshold >> 2);
          quad[1][k] = quad[1][4 + k] = static_cast<std::int16_t>(threshold >> 1);
        }
      }
    }
  }
  context.alpha_test = state.alpha_test;
  context.alpha_func = state.alpha_func;
  context.alpha_ref = static_cast<std::int32_t>(state.alpha_ref);
  context.alpha_blend = state.alpha_blend;
  context.src_blend = state.src_blend;
  context.dest_blend = state.dest_blend;
  context.fast = MakeFastSpanConstants(context);
  return context;
}

SpanFunction SelectSpanFunction(const PixelContext& context, bool perspective) {
  if (context.target.format == TargetFormat::Rgb565) {
    return SelectForTarget<TargetFormat::Rgb565>(context, perspective);
  }
  return SelectForTarget<TargetFormat::Xrgb8888>(context, perspective);
}

}  // namespace platform::raster
