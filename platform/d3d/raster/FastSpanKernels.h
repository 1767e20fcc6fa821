// The fast span's kernels. FastSpan.cpp compiles them with plain SSE2 and FastSpanAvx.cpp
// once more with the three-operand AVX encodings of the same instructions (fewer register
// copies); FastSpan.cpp chooses at run time. Include only from those two files, after every
// other header, with FAST_SPAN_KERNELS naming the namespace of the copy. Both copies compute
// the same values: the AVX copy only encodes the same SSE operations differently.

namespace platform::raster::FAST_SPAN_KERNELS {

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

// The attributes along a span, as the general span walks them: depth is z_start + z_step * i
// for the pixel i columns from the start; the others are accumulated, one step added after
// each pixel, so every pixel sees the very values the general span gives it.
struct SpanWalk {
  float z_start;
  float z_step;
  __m128 zuv;  // lanes z, 1/w, u, v (only u and v are read from here)
  __m128 zuv_step;
  __m128 diffuse;  // red, green, blue, alpha
  __m128 diffuse_step;
  __m128 specular;  // red, green, blue, fog
  __m128 specular_step;

  void Step() {
    zuv = _mm_add_ps(zuv, zuv_step);
    diffuse = _mm_add_ps(diffuse, diffuse_step);
    specular = _mm_add_ps(specular, specular_step);
  }
};

// The next four pixels' values of one accumulated attribute group, one register per channel
// (lane k for the pixel k on), and the accumulator moved past them.
struct Quad {
  __m128 c0, c1, c2, c3;
};
inline Quad NextQuad(__m128* accumulator, __m128 step) {
  Quad q{*accumulator, _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
  q.c1 = _mm_add_ps(q.c0, step);
  q.c2 = _mm_add_ps(q.c1, step);
  q.c3 = _mm_add_ps(q.c2, step);
  *accumulator = _mm_add_ps(q.c3, step);
  _MM_TRANSPOSE4_PS(q.c0, q.c1, q.c2, q.c3);
  return q;
}

inline __m128 Lane(__m128 v, int lane) {
  switch (lane) {
    case 0:
      return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 0, 0, 0));
    case 1:
      return _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1));
    case 2:
      return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 2, 2, 2));
    default:
      return _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3));
  }
}

// Four depth values as ToDepthValue gives them: not below 1 (or NaN) is the format's far
// value, not above 0 is 0, otherwise the scaled value truncated (in double for 32 bits).
template <DepthFormat kFormat>
inline __m128i DepthValues4(__m128 z) {
  const __m128i far = _mm_castps_si128(_mm_cmpnlt_ps(z, _mm_set1_ps(1.0f)));
  const __m128i near = _mm_castps_si128(_mm_cmpngt_ps(z, _mm_setzero_ps()));
  __m128i scaled;
  if constexpr (kFormat == DepthFormat::Depth32) {
    // Doubles below 2^32 to unsigned 32 bits: those from 2^31 up lose 2^31 first (exactly, as
    // they are within a factor two of it), are converted as signed, and get it back.
    const auto convert = [](__m128d d) {
      const __m128d two31 = _mm_set1_pd(2147483648.0);
      const __m128d high = _mm_cmpge_pd(d, two31);
      const __m128i value = _mm_cvttpd_epi32(_mm_sub_pd(d, _mm_and_pd(high, two31)));
      const __m128i high32 = _mm_shuffle_epi32(_mm_castpd_si128(high), _MM_SHUFFLE(3, 3, 2, 0));
      return _mm_add_epi32(value, _mm_and_si128(high32, _mm_set1_epi32(INT32_MIN)));
    };
    const __m128d scale = _mm_set1_pd(4294967295.0);
    scaled = _mm_unpacklo_epi64(convert(_mm_mul_pd(_mm_cvtps_pd(z), scale)),
                                convert(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(z, z)), scale)));
  } else {
    scaled =
        _mm_cvttps_epi32(_mm_mul_ps(z, _mm_set1_ps(static_cast<float>(MaxDepthValue(kFormat)))));
  }
  const __m128i max_value = _mm_set1_epi32(static_cast<int>(MaxDepthValue(kFormat)));
  const __m128i inside = _mm_andnot_si128(near, scaled);
  return _mm_or_si128(_mm_and_si128(far, max_value), _mm_andnot_si128(far, inside));
}

template <DepthFormat kFormat>
inline __m128i LoadDepth4(const typename DepthCell<kFormat>::Type* cell) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cell)),
                              _mm_setzero_si128());
  } else {
    const __m128i cells = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell));
    if constexpr (kFormat == DepthFormat::Depth24) {
      return _mm_and_si128(cells, _mm_set1_epi32(0xFFFFFF));
    }
    return cells;
  }
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Writes the four values into the lanes of pass (32-bit lane masks), keeping the others.
template <DepthFormat kFormat>
inline void StoreDepth4(typename DepthCell<kFormat>::Type* cell, __m128i values, __m128i pass) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    // Values up to 0xFFFF pack to 16 bits through the signed range, offset by 0x8000.
    const __m128i offset = _mm_set1_epi32(0x8000);
    const __m128i words =
        _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(values, offset), _mm_sub_epi32(values, offset)),
                      _mm_set1_epi16(INT16_MIN));
    auto* target = reinterpret_cast<__m128i*>(cell);
    _mm_storel_epi64(target, Select(_mm_packs_epi32(pass, pass), words, _mm_loadl_epi64(target)));
  } else {
    auto* target = reinterpret_cast<__m128i*>(cell);
    const __m128i old = _mm_loadu_si128(target);
    __m128i cells = values;
    if constexpr (kFormat == DepthFormat::Depth24) {
      // The top byte of a 24-bit cell is not depth and is kept.
      cells =
          _mm_or_si128(_mm_and_si128(old, _mm_set1_epi32(static_cast<int>(0xFF000000u))), values);
    }
    _mm_storeu_si128(target, Select(pass, cells, old));
  }
}

// Everything four-at-a-time shading keeps for a span: each attribute broadcast, its start and
// step, and the dither of the four column phases.
struct QuadConstants {
  __m128 z0, dz;
  __m128i dither_rg;  // red offsets in words 0-3, green in 4-7
  __m128i dither_b;
};

QuadConstants MakeQuadConstants(const PixelContext& context, const SpanWalk& s, std::int32_t y,
                                std::int32_t first) {
  QuadConstants q;
  q.z0 = _mm_set1_ps(s.z_start);
  q.dz = _mm_set1_ps(s.z_step);
  const auto& dither = context.dither_quads[y & (kDitherSize - 1)][first & (kDitherSize - 1)];
  q.dither_rg = _mm_load_si128(reinterpret_cast<const __m128i*>(dither[0]));
  q.dither_b = _mm_load_si128(reinterpret_cast<const __m128i*>(dither[1]));
  return q;
}

// Shades whole groups of four pixels from the span's start, one pixel per lane, and returns
// how many pixels it shaded (a multiple of four, at most count).
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
std::int32_t ShadeQuads(const PixelContext& context, SpanWalk& s, const TextureWalk& texture,
                        std::int32_t y, std::int32_t first, std::int32_t count,
                        std::uint16_t* pixel, typename DepthCell<kFormat>::Type* cell) {
  const QuadConstants q = MakeQuadConstants(context, s, y, first);
  const __m128 zero = _mm_setzero_ps();
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 max_channel = _mm_set1_ps(255.0f);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 fog_end = _mm_set1_ps(context.fog_end);
  const __m128 fog_scale = _mm_set1_ps(context.fog_scale);
  const __m128 fog_r = _mm_set1_ps(context.fog_color[0]);
  const __m128 fog_g = _mm_set1_ps(context.fog_color[1]);
  const __m128 fog_b = _mm_set1_ps(context.fog_color[2]);
  const __m128 width = Lane(texture.size, 0);
  const __m128 height = Lane(texture.size, 1);
  const __m128 max_texel = _mm_set1_ps(kMaxTexelCoordinate);
  const __m128i mask_u = _mm_shuffle_epi32(texture.masks, _MM_SHUFFLE(0, 0, 0, 0));
  const __m128i mask_v = _mm_shuffle_epi32(texture.masks, _MM_SHUFFLE(1, 1, 1, 1));
  const __m128i pitch_weights = _mm_shuffle_epi32(texture.pitch_weights, _MM_SHUFFLE(0, 0, 0, 0));
  const __m128i channel_max = _mm_set1_epi16(255);
  const __m128i rg_mask = _mm_setr_epi16(0xF8, 0xF8, 0xF8, 0xF8, 0xFC, 0xFC, 0xFC, 0xFC);
  const __m128i rg_shift = _mm_setr_epi16(256, 256, 256, 256, 8, 8, 8, 8);
  const bool depth_write = context.depth_write;

  __m128 index = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);  // the lanes' columns from the start
  const __m128 four = _mm_set1_ps(4.0f);
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4, index = _mm_add_ps(index, four)) {
    const __m128 z = _mm_add_ps(q.z0, _mm_mul_ps(q.dz, index));
    const Quad diffuse = NextQuad(&s.diffuse, s.diffuse_step);
    Quad zuv{};
    if constexpr (kTextured) zuv = NextQuad(&s.zuv, s.zuv_step);
    Quad specular{};
    if constexpr (kSpecular) specular = NextQuad(&s.specular, s.specular_step);
    __m128i pass = _mm_set1_epi32(-1);
    __m128i depth_values = _mm_setzero_si128();
    if constexpr (kDepth) {
      // LESSEQUAL on unsigned values: flip the sign bits and compare signed.
      depth_values = DepthValues4<kFormat>(z);
      const __m128i sign = _mm_set1_epi32(INT32_MIN);
      const __m128i fails = _mm_cmpgt_epi32(_mm_xor_si128(depth_values, sign),
                                            _mm_xor_si128(LoadDepth4<kFormat>(cell + i), sign));
      pass = _mm_xor_si128(fails, pass);
      if (_mm_movemask_epi8(pass) == 0) continue;
    }

    __m128 r = diffuse.c0;
    __m128 g = diffuse.c1;
    __m128 b = diffuse.c2;
    if constexpr (kTextured) {
      const __m128 u = zuv.c2;
      const __m128 v = zuv.c3;
      const __m128i tu = _mm_and_si128(
          _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_mul_ps(u, width), zero), max_texel)), mask_u);
      const __m128i tv = _mm_and_si128(
          _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_mul_ps(v, height), zero), max_texel)), mask_v);
      alignas(16) std::int32_t offsets[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(offsets),
                      _mm_madd_epi16(_mm_or_si128(tu, _mm_slli_epi32(tv, 16)), pitch_weights));
      __m128 t0 = _mm_load_ps(texture.palette[texture.texels[offsets[0]]]);
      __m128 t1 = _mm_load_ps(texture.palette[texture.texels[offsets[1]]]);
      __m128 t2 = _mm_load_ps(texture.palette[texture.texels[offsets[2]]]);
      __m128 t3 = _mm_load_ps(texture.palette[texture.texels[offsets[3]]]);
      _MM_TRANSPOSE4_PS(t0, t1, t2, t3);
      r = _mm_mul_ps(r, t0);
      g = _mm_mul_ps(g, t1);
      b = _mm_mul_ps(b, t2);
    }
    if constexpr (kSpecular) {
      r = _mm_add_ps(r, specular.c0);
      g = _mm_add_ps(g, specular.c1);
      b = _mm_add_ps(b, specular.c2);
    }
    r = _mm_min_ps(_mm_max_ps(r, zero), max_channel);
    g = _mm_min_ps(_mm_max_ps(g, zero), max_channel);
    b = _mm_min_ps(_mm_max_ps(b, zero), max_channel);
    if constexpr (kFog) {
      const __m128 f =
          _mm_min_ps(_mm_max_ps(_mm_mul_ps(_mm_sub_ps(fog_end, z), fog_scale), zero), one);
      r = _mm_add_ps(fog_r, _mm_mul_ps(_mm_sub_ps(r, fog_r), f));
      g = _mm_add_ps(fog_g, _mm_mul_ps(_mm_sub_ps(g, fog_g), f));
      b = _mm_add_ps(fog_b, _mm_mul_ps(_mm_sub_ps(b, fog_b), f));
    }
    // Bytes as ToByte rounds them, dithered with saturation at 255, packed to 5-6-5.
    const __m128i rg =
        _mm_min_epi16(_mm_add_epi16(_mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(r, half)),
                                                    _mm_cvttps_epi32(_mm_add_ps(g, half))),
                                    q.dither_rg),
                      channel_max);
    const __m128i blue_bytes = _mm_cvttps_epi32(_mm_add_ps(b, half));
    const __m128i bb = _mm_min_epi16(
        _mm_add_epi16(_mm_packs_epi32(blue_bytes, blue_bytes), q.dither_b), channel_max);
    const __m128i rg_bits = _mm_mullo_epi16(_mm_and_si128(rg, rg_mask), rg_shift);
    const __m128i packed =
        _mm_or_si128(_mm_or_si128(rg_bits, _mm_srli_si128(rg_bits, 8)), _mm_srli_epi16(bb, 3));
    auto* target = reinterpret_cast<__m128i*>(pixel + i);
    _mm_storel_epi64(target, Select(_mm_packs_epi32(pass, pass), packed, _mm_loadl_epi64(target)));
    if constexpr (kDepth) {
      if (depth_write) StoreDepth4<kFormat>(cell + i, depth_values, pass);
    }
  }
  return i;
}

// Shades the one pixel i columns from the span's start with the walk's current values.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline void ShadeOne(const PixelContext& context, const SpanWalk& s, const TextureWalk& texture,
                     std::uint32_t dither, std::int32_t i, std::uint16_t* pixel,
                     typename DepthCell<kFormat>::Type* cell) {
  using Cell = typename DepthCell<kFormat>::Type;
  const float column = static_cast<float>(i);
  const float z = s.z_start + s.z_step * column;
  std::uint32_t depth_value = 0;
  if constexpr (kDepth) {
    depth_value = ToDepthValue(z, kFormat);
    std::uint32_t stored = *cell;
    if constexpr (kFormat == DepthFormat::Depth24) stored &= 0xFFFFFFu;
    if (depth_value > stored) return;
  }
  __m128 c = s.diffuse;
  if constexpr (kTextured) {
    const std::uint8_t index = texture.texels[TexelOffset(_mm_movehl_ps(s.zuv, s.zuv), texture.size,
                                                          texture.masks, texture.pitch_weights)];
    c = _mm_mul_ps(c, _mm_load_ps(texture.palette[index]));
  }
  if constexpr (kSpecular) {
    c = _mm_add_ps(c, s.specular);
  }
  c = _mm_min_ps(AtLeastZero(c), _mm_set1_ps(255.0f));  // as Clamp255
  if constexpr (kFog) {
    const __m128 fog_color =
        _mm_setr_ps(context.fog_color[0], context.fog_color[1], context.fog_color[2], 0.0f);
    const float f = Clamp01((context.fog_end - z) * context.fog_scale);
    c = _mm_add_ps(fog_color, _mm_mul_ps(_mm_sub_ps(c, fog_color), _mm_set1_ps(f)));
  }
  // Rounding as ToByte: + 0.5, truncated. Fog keeps channels within 0..255, and anything
  // beyond would be held at 0 or 255 by the saturating packs as the clamp would hold it.
  const __m128i lanes = _mm_cvttps_epi32(_mm_add_ps(c, _mm_set1_ps(0.5f)));
  const __m128i words = _mm_packs_epi32(lanes, lanes);
  const __m128i bytes =
      _mm_adds_epu8(_mm_packus_epi16(words, words), _mm_cvtsi32_si128(static_cast<int>(dither)));
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

TextureWalk MakeTextureWalk(const PixelContext& context) {
  const TextureView& view = context.sampler->Texture();
  TextureWalk texture;
  texture.texels = static_cast<const std::uint8_t*>(view.bits);
  texture.size =
      _mm_setr_ps(static_cast<float>(view.width), static_cast<float>(view.height), 0.0f, 0.0f);
  texture.masks = _mm_setr_epi32(view.width - 1, view.height - 1, 0, 0);
  texture.pitch_weights =
      _mm_setr_epi16(1, static_cast<std::int16_t>(view.pitch), 0, 0, 0, 0, 0, 0);
  texture.palette = context.sampler->ExpandedPalette();
  return texture;
}

// Shades the covered pixels [first, last] of row y.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline void ShadeRow(const PixelContext& context, const TriangleSetup& setup,
                     const TextureWalk& texture, std::int32_t y, std::int32_t first,
                     std::int32_t last) {
  using Cell = typename DepthCell<kFormat>::Type;
  const float dx = static_cast<float>(first) - setup.origin_x;
  const float dy = static_cast<float>(y) - setup.origin_y;
  const __m128 dx4 = _mm_set1_ps(dx);
  const __m128 dy4 = _mm_set1_ps(dy);

  SpanWalk s;
  // Depth from the span start, formed as the general span forms it.
  s.z_start = setup.origin[kAttrZ] + setup.ddx[kAttrZ] * dx + setup.ddy[kAttrZ] * dy;
  s.z_step = setup.ddx[kAttrZ];
  s.zuv = PlaneAt(setup, kAttrZ, dx4, dy4);
  s.zuv_step = _mm_loadu_ps(&setup.ddx[kAttrZ]);
  s.diffuse = PlaneAt(setup, kAttrRed, dx4, dy4);
  s.diffuse_step = _mm_loadu_ps(&setup.ddx[kAttrRed]);
  s.specular = _mm_setzero_ps();
  s.specular_step = _mm_setzero_ps();
  if constexpr (kSpecular) {
    s.specular = PlaneAt(setup, kAttrSpecularRed, dx4, dy4);
    s.specular_step = _mm_loadu_ps(&setup.ddx[kAttrSpecularRed]);
  }

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

  const std::int32_t count = last - first + 1;
  std::int32_t i = 0;
  if (count >= 4) {
    i = ShadeQuads<kDepth, kFormat, kTextured, kSpecular, kFog>(context, s, texture, y, first,
                                                                count, pixel, cell);
  }
  for (; i < count; ++i, s.Step()) {
    ShadeOne<kDepth, kFormat, kTextured, kSpecular, kFog>(
        context, s, texture, dither[(first + i) & (kDitherSize - 1)], i, pixel + i,
        kDepth ? cell + i : nullptr);
  }
}

// Walks the rows of the triangle and shades each covered span, all in one specialised function
// (the texture's constants are made once, and no call is made per row).
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
void FastTriangle(const PixelContext& context, const TriangleSetup& setup) {
  TextureWalk texture{};
  if constexpr (kTextured) texture = MakeTextureWalk(context);
  RowWalker rows(setup);
  for (std::int32_t y = setup.first_row; y <= setup.last_row; ++y, rows.Next()) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    if (rows.Span(&first, &last)) {
      ShadeRow<kDepth, kFormat, kTextured, kSpecular, kFog>(context, setup, texture, y, first,
                                                            last);
    }
  }
}

template <bool kDepth, DepthFormat kFormat, bool kTextured>
TriangleFunction SelectShading(bool specular, bool fog) {
  if (specular) {
    return fog ? &FastTriangle<kDepth, kFormat, kTextured, true, true>
               : &FastTriangle<kDepth, kFormat, kTextured, true, false>;
  }
  return fog ? &FastTriangle<kDepth, kFormat, kTextured, false, true>
             : &FastTriangle<kDepth, kFormat, kTextured, false, false>;
}

template <bool kDepth, DepthFormat kFormat>
TriangleFunction SelectTexturing(bool textured, bool specular, bool fog) {
  return textured ? SelectShading<kDepth, kFormat, true>(specular, fog)
                  : SelectShading<kDepth, kFormat, false>(specular, fog);
}

}  // namespace

// The kernel for the states, which the caller has checked the fast span covers.
TriangleFunction SelectKernel(bool depth_test, DepthFormat format, bool textured, bool specular,
                              bool fog) {
  if (!depth_test) return SelectTexturing<false, DepthFormat::Depth32>(textured, specular, fog);
  switch (format) {
    case DepthFormat::Depth16:
      return SelectTexturing<true, DepthFormat::Depth16>(textured, specular, fog);
    case DepthFormat::Depth24:
      return SelectTexturing<true, DepthFormat::Depth24>(textured, specular, fog);
    case DepthFormat::Depth32:
      return SelectTexturing<true, DepthFormat::Depth32>(textured, specular, fog);
  }
  return nullptr;
}

}  // namespace platform::raster::FAST_SPAN_KERNELS
