// The fast span's kernels. FastSpan.cpp compiles them with plain SSE2, FastSpanAvx.cpp once
// more with the three-operand AVX encodings of the same instructions (fewer register copies),
// and FastSpanAvx2.cpp a third time with FAST_SPAN_EIGHT_LANES, which shades fixed-point rows
// eight pixels at a time (FastSpanEight.h); FastSpan.cpp chooses at run time. Include only from
// those files, after every other header, with FAST_SPAN_KERNELS naming the namespace of the
// copy. All copies compute the same values: the AVX copy only encodes the same SSE operations
// differently, and the eight lanes repeat the four lanes' arithmetic.

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

// The per-draw constants as registers (each is stored four times over, aligned).
inline __m128 Lanes(const float (&values)[4]) {
  return _mm_load_ps(values);
}
inline __m128i Lanes(const std::int32_t (&values)[4]) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(values));
}
inline __m128i Lanes(const std::int16_t (&values)[8]) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(values));
}

// The triangle's steps along a row, made once before its rows; the draw's constants come made
// in the context.
struct TriangleConstants {
  __m128 z_step;  // broadcast
  __m128 zuv_step;
  __m128 diffuse_step;
  __m128 specular_step;
  const FastSpanConstants* draw;
  bool depth_write;
  // For fixed-point colour: per channel (as RowWalk::fixed) the 16.16 step times 0, 1, 2, 3
  // (lane offsets from the row's start) and times 4 (from one group of four to the next).
  __m128i fixed_lanes[6];
  __m128i fixed_step4[6];
  bool fixed_possible;  // StepsFitFixedPoint
  bool fixed_made;      // fixed_lanes and fixed_step4 are made (on the first row using them)
  // For fixed-point texture coordinates (made with the colour steps): the 16.16 steps of u *
  // width and v * height along a row, as lane offsets 0, 1, 2, 3 and steps of four; and
  // whether the steps are small enough to be taken in 16.16 at all.
  __m128i u_lanes;
  __m128i v_lanes;
  __m128i u_step4;
  __m128i v_step4;
  __m128i mask_v_high;  // the v mask moved to the high halves of the lanes
  std::int32_t uv_step[2];
  bool uv_fixed_possible;
#ifdef FAST_SPAN_EIGHT_LANES
  // The same steps for groups of eight.
  __m256i fixed_step8[6];
  __m256i u_step8;
  __m256i v_step8;
#endif
};

TriangleConstants MakeTriangleConstants(const PixelContext& context, const TriangleSetup& setup) {
  TriangleConstants k;
  k.z_step = _mm_set1_ps(setup.ddx[kAttrZ]);
  k.zuv_step = _mm_loadu_ps(&setup.ddx[kAttrZ]);
  k.diffuse_step = _mm_loadu_ps(&setup.ddx[kAttrRed]);
  k.specular_step = _mm_loadu_ps(&setup.ddx[kAttrSpecularRed]);
  k.draw = &context.fast;
  k.depth_write = context.depth_write;
  k.fixed_possible = false;
  k.fixed_made = false;
  k.uv_fixed_possible = false;
  return k;
}

// The lane offsets of a 16.16 step: 0, 1, 2 and 3 steps.
inline __m128i StepLanes(std::int32_t step) {
  return _mm_setr_epi32(0, step, 2 * step, 3 * step);
}

// The 16.16 steps of u * width and v * height along a row. Texel positions step by less than
// 2^15 / 7 on any row fixed-point coordinates take (both ends of a row of eight or more within
// [0, 2^15)), so larger or non-finite steps rule them out for the triangle.
void MakeFixedTextureSteps(const TriangleSetup& setup, TriangleConstants* k) {
  static_assert(kAttrV == kAttrU + 1, "u and v steps are loaded as a pair");
  const __m128 steps =
      _mm_mul_ps(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&setup.ddx[kAttrU])),
                 Lanes(k->draw->texture_size));
  const __m128 bound = _mm_set1_ps(4096.0f);
  const __m128 ok = _mm_and_ps(_mm_cmplt_ps(steps, bound),
                               _mm_cmpgt_ps(steps, _mm_sub_ps(_mm_setzero_ps(), bound)));
  k->uv_fixed_possible = (_mm_movemask_ps(ok) & 3) == 3;
  if (!k->uv_fixed_possible) return;
  const __m128i fixed = _mm_cvtps_epi32(_mm_mul_ps(steps, _mm_set1_ps(65536.0f)));
  k->uv_step[0] = _mm_cvtsi128_si32(fixed);
  k->uv_step[1] = _mm_cvtsi128_si32(_mm_srli_si128(fixed, 4));
  k->u_lanes = StepLanes(k->uv_step[0]);
  k->v_lanes = StepLanes(k->uv_step[1]);
  k->u_step4 = _mm_set1_epi32(4 * k->uv_step[0]);
  k->v_step4 = _mm_set1_epi32(4 * k->uv_step[1]);
  k->mask_v_high = _mm_slli_epi32(Lanes(k->draw->mask_v), 16);
}

// The 16.16 steps of fixed-point colour, for a triangle StepsFitFixedPoint accepts, and of the
// texture coordinates where they fit.
void MakeFixedSteps(const TriangleSetup& setup, TriangleConstants* k) {
  const __m128 unit = _mm_set1_ps(65536.0f);
  const __m128i diffuse = _mm_cvtps_epi32(_mm_mul_ps(_mm_loadu_ps(&setup.ddx[kAttrRed]), unit));
  const __m128i specular =
      _mm_cvtps_epi32(_mm_mul_ps(_mm_loadu_ps(&setup.ddx[kAttrSpecularRed]), unit));
  const auto spread = [&](__m128i step, int c) {
    const __m128i two = _mm_add_epi32(step, step);
    k->fixed_lanes[c] = _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_setzero_si128(), step),
                                           _mm_unpacklo_epi32(two, _mm_add_epi32(two, step)));
    k->fixed_step4[c] = _mm_add_epi32(two, two);
  };
  spread(_mm_shuffle_epi32(diffuse, 0x00), 0);
  spread(_mm_shuffle_epi32(diffuse, 0x55), 1);
  spread(_mm_shuffle_epi32(diffuse, 0xAA), 2);
  spread(_mm_shuffle_epi32(specular, 0x00), 3);
  spread(_mm_shuffle_epi32(specular, 0x55), 4);
  spread(_mm_shuffle_epi32(specular, 0xAA), 5);
  MakeFixedTextureSteps(setup, k);
#ifdef FAST_SPAN_EIGHT_LANES
  for (int c = 0; c < 6; ++c) {
    const __m128i step8 = _mm_add_epi32(k->fixed_step4[c], k->fixed_step4[c]);
    k->fixed_step8[c] = _mm256_broadcastsi128_si256(step8);
  }
  k->u_step8 = _mm256_broadcastsi128_si256(_mm_add_epi32(k->u_step4, k->u_step4));
  k->v_step8 = _mm256_broadcastsi128_si256(_mm_add_epi32(k->v_step4, k->v_step4));
#endif
}

// Whether the colour planes the triangle uses (red, green and blue of the diffuse and, with
// specular, of the specular colour; NaN fails) change by less than 64 levels a column, so
// their 16.16 steps times four fit 32 bits with room to spare.
template <bool kSpecular>
bool StepsFitFixedPoint(const TriangleSetup& setup) {
  const __m128 steep = _mm_set1_ps(64.0f);
  const auto fits = [&](int attribute) {
    const __m128 ddx = _mm_loadu_ps(&setup.ddx[attribute]);
    const __m128 ok = _mm_and_ps(_mm_cmplt_ps(ddx, steep),
                                 _mm_cmpgt_ps(ddx, _mm_sub_ps(_mm_setzero_ps(), steep)));
    return (_mm_movemask_ps(ok) & 7) == 7;  // the fourth lane is not a colour
  };
  return fits(kAttrRed) && (!kSpecular || fits(kAttrSpecularRed));
}

// Whether a row's colours, from `start` at its first pixel stepping by `step` over `count`
// pixels, stay well within 0..255 (a plane's extremes along a row are at its ends), so 16.16
// fixed point steps them without overflow and within a small fraction of a level. It depends
// on the row alone, so a row comes out the same whichever rows a caller hands the triangle.
inline bool RowFitsFixedPoint(__m128 start, __m128 step, std::int32_t count) {
  const __m128 end =
      _mm_add_ps(start, _mm_mul_ps(step, _mm_set1_ps(static_cast<float>(count - 1))));
  const __m128 low = _mm_set1_ps(-64.0f);
  const __m128 high = _mm_set1_ps(320.0f);
  const __m128 ok = _mm_and_ps(_mm_and_ps(_mm_cmpgt_ps(start, low), _mm_cmplt_ps(start, high)),
                               _mm_and_ps(_mm_cmpgt_ps(end, low), _mm_cmplt_ps(end, high)));
  return (_mm_movemask_ps(ok) & 7) == 7;
}

// The attributes along one row, as the general span walks them: depth is z_start + z_step * i
// for the pixel i columns from the start; the others are accumulated, one step added after
// each pixel, so every pixel sees the very values the general span gives it.
struct RowWalk {
  __m128 z_start;     // broadcast
  __m128 zuv;         // lanes z, 1/w, u, v (only u and v are read from here)
  __m128 diffuse;     // red, green, blue, alpha
  __m128 specular;    // red, green, blue, fog
  __m128i dither_rg;  // red offsets of the four column phases in words 0-3, green in 4-7
  __m128i dither_b;
  float z_start_scalar;
  const std::uint32_t* dither;  // the row's offsets, indexed by column phase
  // For fixed-point colour: each of diffuse red, green, blue, specular red, green, blue as 16.16
  // values of the next four pixels, one per lane.
  __m128i fixed[6];
  // For fixed-point texture coordinates: u * width of the next four pixels as 16.16 values, and
  // v * height likewise.
  __m128i fixed_u;
  __m128i fixed_v;
};

// Whether a row of count pixels (eight or more) takes fixed-point texture coordinates: u *
// width and v * height at its start within [0, 2^15), and at its end too as the 16.16 steps
// reach it, checked in integers. Every position between is then in range, so none is negative
// or NaN (which the general span clamps to texel 0 rather than wrapping) and the 16.16 values
// fit 31 bits. On success sets the walk's fixed_u and fixed_v for the row's first four pixels.
// It depends on the row alone, as the fixed-point colour choice does.
inline bool RowFitsFixedTexture(const TriangleConstants& k, RowWalk* s, std::int32_t count) {
  const __m128 positions = _mm_mul_ps(_mm_movehl_ps(s->zuv, s->zuv), Lanes(k.draw->texture_size));
  const __m128 ok = _mm_and_ps(_mm_cmpge_ps(positions, _mm_setzero_ps()),
                               _mm_cmplt_ps(positions, _mm_set1_ps(32768.0f)));
  if ((_mm_movemask_ps(ok) & 3) != 3) return false;
  const __m128i fixed = _mm_cvtps_epi32(_mm_mul_ps(positions, _mm_set1_ps(65536.0f)));
  const std::int32_t u = _mm_cvtsi128_si32(fixed);
  const std::int32_t v = _mm_cvtsi128_si32(_mm_srli_si128(fixed, 4));
  const auto end_fits = [&](std::int32_t start, std::int32_t step) {
    const std::int64_t end = std::int64_t{start} + std::int64_t{step} * (count - 1);
    return end >= 0 && end <= INT32_MAX;
  };
  if (!end_fits(u, k.uv_step[0]) || !end_fits(v, k.uv_step[1])) return false;
  s->fixed_u = _mm_add_epi32(_mm_set1_epi32(u), k.u_lanes);
  s->fixed_v = _mm_add_epi32(_mm_set1_epi32(v), k.v_lanes);
  return true;
}

// The texel offsets (into the texture's bytes) of the four pixels whose 16.16 texel positions
// are u and v: their whole parts wrapped by the masks, combined with the pitch in one
// multiply-add of 16-bit lanes (v's whole part is already in the high half of each lane).
inline __m128i FixedTexelOffsets(const TriangleConstants& k, __m128i u, __m128i v) {
  const __m128i tu = _mm_and_si128(_mm_srli_epi32(u, 16), Lanes(k.draw->mask_u));
  const __m128i tv = _mm_and_si128(v, k.mask_v_high);
  return _mm_madd_epi16(_mm_or_si128(tu, tv), Lanes(k.draw->pitch_weights));
}

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

// Four depth values as ToDepthValue gives them: not below 1 (or NaN) is the format's far
// value, not above 0 is 0, otherwise the scaled value truncated.
template <DepthFormat kFormat>
inline __m128i DepthValues4(__m128 z) {
  const __m128i far = _mm_castps_si128(_mm_cmpnlt_ps(z, _mm_set1_ps(1.0f)));
  const __m128i near = _mm_castps_si128(_mm_cmpngt_ps(z, _mm_setzero_ps()));
  __m128i scaled;
  if constexpr (kFormat == DepthFormat::Depth32) {
    // ToDepthValue truncates z * (2^32 - 1) formed in double. With t = z * 2^32 (exact in
    // float) that is floor(t - z) = trunc(t) - (frac(t) < z), for 0 < z < 1: proved equal on
    // every float in that range by the test. t from 2^31 up loses 2^31 first (exactly) so the
    // signed conversion takes it, and gets it back as the top bit.
    const __m128 t = _mm_mul_ps(z, _mm_set1_ps(4294967296.0f));
    const __m128 two31 = _mm_set1_ps(2147483648.0f);
    const __m128 high = _mm_cmpge_ps(t, two31);
    const __m128 low_part = _mm_sub_ps(t, _mm_and_ps(high, two31));
    const __m128i whole = _mm_cvttps_epi32(low_part);
    const __m128 fraction = _mm_sub_ps(low_part, _mm_cvtepi32_ps(whole));
    const __m128i borrow = _mm_castps_si128(_mm_cmplt_ps(fraction, z));  // -1 where it applies
    scaled = _mm_add_epi32(
        _mm_add_epi32(whole, _mm_and_si128(_mm_castps_si128(high), _mm_set1_epi32(INT32_MIN))),
        borrow);
  } else {
    scaled =
        _mm_cvttps_epi32(_mm_mul_ps(z, _mm_set1_ps(static_cast<float>(MaxDepthValue(kFormat)))));
  }
  const __m128i max_value = _mm_set1_epi32(static_cast<int>(MaxDepthValue(kFormat)));
  const __m128i inside = _mm_andnot_si128(near, scaled);
  return _mm_or_si128(_mm_and_si128(far, max_value), _mm_andnot_si128(far, inside));
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// The cells of four depth pixels as stored, one per 32-bit lane, and back.
template <DepthFormat kFormat>
inline __m128i LoadDepthCells(const typename DepthCell<kFormat>::Type* cell) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cell)),
                              _mm_setzero_si128());
  } else {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell));
  }
}
template <DepthFormat kFormat>
inline void StoreDepthCells(typename DepthCell<kFormat>::Type* cell, __m128i cells) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    // Values up to 0xFFFF pack to 16 bits through the signed range, offset by 0x8000.
    const __m128i offset = _mm_sub_epi32(cells, _mm_set1_epi32(0x8000));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(cell),
                     _mm_xor_si128(_mm_packs_epi32(offset, offset), _mm_set1_epi16(INT16_MIN)));
  } else {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cell), cells);
  }
}

// The four pixels' colours in float exactly as the general span forms them, rounded to bytes
// as ToByte rounds them.
template <bool kTextured, bool kSpecular, bool kFog>
inline void ShadeFloatColour(const TriangleConstants& k, const Quad& diffuse, const Quad& specular,
                             const std::int32_t (&offsets)[4], __m128 z, __m128i* rg_words,
                             __m128i* b_words) {
  const __m128 zero = _mm_setzero_ps();
  __m128 r = diffuse.c0;
  __m128 g = diffuse.c1;
  __m128 b = diffuse.c2;
  if constexpr (kTextured) {
    __m128 t0 = _mm_load_ps(k.draw->palette[k.draw->texels[offsets[0]]]);
    __m128 t1 = _mm_load_ps(k.draw->palette[k.draw->texels[offsets[1]]]);
    __m128 t2 = _mm_load_ps(k.draw->palette[k.draw->texels[offsets[2]]]);
    __m128 t3 = _mm_load_ps(k.draw->palette[k.draw->texels[offsets[3]]]);
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
  // As Clamp255: max and min return their second operand for NaN, so NaN becomes 0.
  const __m128 max_channel = _mm_set1_ps(255.0f);
  r = _mm_min_ps(_mm_max_ps(r, zero), max_channel);
  g = _mm_min_ps(_mm_max_ps(g, zero), max_channel);
  b = _mm_min_ps(_mm_max_ps(b, zero), max_channel);
  if constexpr (kFog) {
    const __m128 f = _mm_min_ps(
        _mm_max_ps(_mm_mul_ps(_mm_sub_ps(Lanes(k.draw->fog_end), z), Lanes(k.draw->fog_scale)),
                   zero),
        _mm_set1_ps(1.0f));
    r = _mm_add_ps(Lanes(k.draw->fog_red), _mm_mul_ps(_mm_sub_ps(r, Lanes(k.draw->fog_red)), f));
    g = _mm_add_ps(Lanes(k.draw->fog_green),
                   _mm_mul_ps(_mm_sub_ps(g, Lanes(k.draw->fog_green)), f));
    b = _mm_add_ps(Lanes(k.draw->fog_blue), _mm_mul_ps(_mm_sub_ps(b, Lanes(k.draw->fog_blue)), f));
  }
  const __m128 half = _mm_set1_ps(0.5f);
  *rg_words =
      _mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(r, half)), _mm_cvttps_epi32(_mm_add_ps(g, half)));
  const __m128i blue = _mm_cvttps_epi32(_mm_add_ps(b, half));
  *b_words = _mm_packs_epi32(blue, blue);
}

// The four pixels' colours in fixed point, from 16.16 diffuse and specular values (fixed[c],
// lane k for the pixel k on): channels as 8.7 values in 16-bit lanes, modulated by the texel's
// bytes (t * 257 / 65536 stands for t / 255), the specular added with saturation, held at 255,
// blended towards the fog colour by a 15-bit factor, rounded half up. Each step is within a
// small fraction of a level of the float form, so a rounded byte differs from the general
// span's by at most one, and a 5-6-5 channel by at most one step.
template <bool kTextured, bool kSpecular, bool kFog>
inline void ShadeFixedColour(const TriangleConstants& k, const __m128i (&fixed)[6],
                             const std::int32_t (&offsets)[4], __m128 z, __m128i* rg_words,
                             __m128i* b_words) {
  const __m128i zero = _mm_setzero_si128();
  const auto to_8_7 = [&](__m128i a, __m128i b) {
    return _mm_max_epi16(_mm_packs_epi32(_mm_srai_epi32(a, 9), _mm_srai_epi32(b, 9)), zero);
  };
  __m128i rg = to_8_7(fixed[0], fixed[1]);
  __m128i bb = to_8_7(fixed[2], fixed[2]);
  if constexpr (kTextured) {
    const D3DCOLOR* colours = k.draw->palette_colours;
    const std::uint8_t* texels = k.draw->texels;
    const __m128i texel = _mm_unpacklo_epi64(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(colours[texels[offsets[0]]])),
                           _mm_cvtsi32_si128(static_cast<int>(colours[texels[offsets[1]]]))),
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(colours[texels[offsets[2]]])),
                           _mm_cvtsi32_si128(static_cast<int>(colours[texels[offsets[3]]]))));
    const __m128i byte = _mm_set1_epi32(0xFF);
    const __m128i red = _mm_and_si128(_mm_srli_epi32(texel, 16), byte);
    const __m128i green = _mm_and_si128(_mm_srli_epi32(texel, 8), byte);
    const __m128i blue = _mm_and_si128(texel, byte);
    const __m128i scale = _mm_set1_epi16(257);
    rg = _mm_mulhi_epu16(rg, _mm_mullo_epi16(_mm_packs_epi32(red, green), scale));
    bb = _mm_mulhi_epu16(bb, _mm_mullo_epi16(_mm_packs_epi32(blue, blue), scale));
  }
  if constexpr (kSpecular) {
    rg = _mm_adds_epi16(rg, to_8_7(fixed[3], fixed[4]));
    bb = _mm_adds_epi16(bb, to_8_7(fixed[5], fixed[5]));
  }
  const __m128i top = _mm_set1_epi16(255 * 128);
  rg = _mm_min_epi16(rg, top);
  bb = _mm_min_epi16(bb, top);
  if constexpr (kFog) {
    const __m128 f = _mm_min_ps(
        _mm_max_ps(_mm_mul_ps(_mm_sub_ps(Lanes(k.draw->fog_end), z), Lanes(k.draw->fog_scale)),
                   _mm_setzero_ps()),
        _mm_set1_ps(1.0f));
    const __m128i f32 = _mm_cvtps_epi32(_mm_mul_ps(f, _mm_set1_ps(32767.0f)));
    const __m128i factor = _mm_packs_epi32(f32, f32);
    // fog + (c - fog) * f, the product halved by the high multiply and doubled back.
    const auto blend = [&](__m128i c, __m128i fog) {
      const __m128i part = _mm_mulhi_epi16(_mm_sub_epi16(c, fog), factor);
      return _mm_add_epi16(fog, _mm_add_epi16(part, part));
    };
    rg = blend(rg, Lanes(k.draw->fog_rg_8_7));
    bb = blend(bb, Lanes(k.draw->fog_b_8_7));
  }
  const __m128i half = _mm_set1_epi16(64);
  *rg_words = _mm_max_epi16(_mm_srai_epi16(_mm_add_epi16(rg, half), 7), zero);
  *b_words = _mm_max_epi16(_mm_srai_epi16(_mm_add_epi16(bb, half), 7), zero);
}

// Shades the four pixels `index` columns past the row's start, one pixel per lane, and moves
// the accumulated attributes past them. With kFixed the colours are stepped and combined in
// fixed point (ShadeFixedColour), else in float exactly as the general span does; with
// kFixedTexture (only with kFixed) the texel positions are stepped in 16.16 fixed point, else
// accumulated in float as the general span does.
template <bool kFixed, bool kFixedTexture, bool kDepth, DepthFormat kFormat, bool kTextured,
          bool kSpecular, bool kFog>
inline void ShadeQuad(const TriangleConstants& k, RowWalk& s, __m128 index, std::uint16_t* pixel,
                      typename DepthCell<kFormat>::Type* cell) {
  Quad diffuse{};
  Quad specular{};
  __m128i fixed[6];
  if constexpr (kFixed) {
    for (int c = 0; c < (kSpecular ? 6 : 3); ++c) {
      fixed[c] = s.fixed[c];
      s.fixed[c] = _mm_add_epi32(s.fixed[c], k.fixed_step4[c]);
    }
  } else {
    diffuse = NextQuad(&s.diffuse, k.diffuse_step);
    if constexpr (kSpecular) specular = NextQuad(&s.specular, k.specular_step);
  }
  Quad zuv{};
  __m128i fixed_u = _mm_setzero_si128();
  __m128i fixed_v = _mm_setzero_si128();
  if constexpr (kFixedTexture) {
    fixed_u = s.fixed_u;
    fixed_v = s.fixed_v;
    s.fixed_u = _mm_add_epi32(s.fixed_u, k.u_step4);
    s.fixed_v = _mm_add_epi32(s.fixed_v, k.v_step4);
  } else if constexpr (kTextured) {
    zuv = NextQuad(&s.zuv, k.zuv_step);
  }
  const __m128 z = _mm_add_ps(s.z_start, _mm_mul_ps(k.z_step, index));

  __m128i pass = _mm_set1_epi32(-1);
  __m128i depth_values = _mm_setzero_si128();
  __m128i depth_cells = _mm_setzero_si128();
  if constexpr (kDepth) {
    // LESSEQUAL on unsigned values: flip the sign bits and compare signed.
    depth_values = DepthValues4<kFormat>(z);
    depth_cells = LoadDepthCells<kFormat>(cell);
    __m128i stored = depth_cells;
    if constexpr (kFormat == DepthFormat::Depth24) {
      stored = _mm_and_si128(stored, _mm_set1_epi32(0xFFFFFF));
    }
    const __m128i sign = _mm_set1_epi32(INT32_MIN);
    const __m128i fails =
        _mm_cmpgt_epi32(_mm_xor_si128(depth_values, sign), _mm_xor_si128(stored, sign));
    pass = _mm_andnot_si128(fails, pass);
    if (_mm_movemask_epi8(pass) == 0) return;
  }

  const __m128 zero = _mm_setzero_ps();
  alignas(16) std::int32_t offsets[4] = {};
  if constexpr (kFixedTexture) {
    _mm_store_si128(reinterpret_cast<__m128i*>(offsets), FixedTexelOffsets(k, fixed_u, fixed_v));
  } else if constexpr (kTextured) {
    // Texel positions u * width and v * height, NaN and negatives taken as 0, values beyond the
    // bound held at it, truncated, wrapped by the masks, combined with the pitch in one
    // multiply-add of 16-bit lanes (indices below 2^14, pitch below 2^15).
    const __m128 max_texel = _mm_set1_ps(kMaxTexelCoordinate);
    const __m128i tu = _mm_and_si128(
        _mm_cvttps_epi32(_mm_min_ps(
            _mm_max_ps(_mm_mul_ps(zuv.c2, Lanes(k.draw->texture_width)), zero), max_texel)),
        Lanes(k.draw->mask_u));
    const __m128i tv = _mm_and_si128(
        _mm_cvttps_epi32(_mm_min_ps(
            _mm_max_ps(_mm_mul_ps(zuv.c3, Lanes(k.draw->texture_height)), zero), max_texel)),
        Lanes(k.draw->mask_v));
    _mm_store_si128(
        reinterpret_cast<__m128i*>(offsets),
        _mm_madd_epi16(_mm_or_si128(tu, _mm_slli_epi32(tv, 16)), Lanes(k.draw->pitch_weights)));
  }
  __m128i rg_words;  // rounded bytes: red of the four pixels in words 0-3, green in 4-7
  __m128i b_words;   // blue twice
  if constexpr (kFixed) {
    ShadeFixedColour<kTextured, kSpecular, kFog>(k, fixed, offsets, z, &rg_words, &b_words);
  } else {
    ShadeFloatColour<kTextured, kSpecular, kFog>(k, diffuse, specular, offsets, z, &rg_words,
                                                 &b_words);
  }
  // Dithered with saturation at 255, packed to 5-6-5.
  const __m128i channel_max = _mm_set1_epi16(255);
  const __m128i rg = _mm_min_epi16(_mm_add_epi16(rg_words, s.dither_rg), channel_max);
  const __m128i bb = _mm_min_epi16(_mm_add_epi16(b_words, s.dither_b), channel_max);
  const __m128i rg_bits = _mm_mullo_epi16(
      _mm_and_si128(rg, _mm_setr_epi16(0xF8, 0xF8, 0xF8, 0xF8, 0xFC, 0xFC, 0xFC, 0xFC)),
      _mm_setr_epi16(256, 256, 256, 256, 8, 8, 8, 8));
  const __m128i packed =
      _mm_or_si128(_mm_or_si128(rg_bits, _mm_srli_si128(rg_bits, 8)), _mm_srli_epi16(bb, 3));
  auto* target = reinterpret_cast<__m128i*>(pixel);
  _mm_storel_epi64(target, Select(_mm_packs_epi32(pass, pass), packed, _mm_loadl_epi64(target)));
  if constexpr (kDepth) {
    if (k.depth_write) {
      __m128i cells = depth_values;
      if constexpr (kFormat == DepthFormat::Depth24) {
        // The top byte of a 24-bit cell is not depth and is kept.
        cells = _mm_or_si128(
            _mm_and_si128(depth_cells, _mm_set1_epi32(static_cast<int>(0xFF000000u))), cells);
      }
      StoreDepthCells<kFormat>(cell, Select(pass, cells, depth_cells));
    }
  }
}

// Shades the one pixel i columns from the row's start with the walk's current values, exactly
// as the general span does (for the last one to three pixels of a row: shading them as a
// masked group of four measured slower than one at a time on small triangles).
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline void ShadeOne(const TriangleConstants& k, const RowWalk& s, std::uint32_t dither,
                     std::int32_t i, std::uint16_t* pixel,
                     typename DepthCell<kFormat>::Type* cell) {
  const __m128 z = _mm_add_ss(_mm_set_ss(s.z_start_scalar),
                              _mm_mul_ss(k.z_step, _mm_set_ss(static_cast<float>(i))));
  std::uint32_t depth_value = 0;
  std::uint32_t depth_cell = 0;
  if constexpr (kDepth) {
    depth_value = ToDepthValue(_mm_cvtss_f32(z), kFormat);
    depth_cell = *cell;
    const std::uint32_t stored =
        kFormat == DepthFormat::Depth24 ? depth_cell & 0xFFFFFFu : depth_cell;
    if (depth_value > stored) return;
  }
  const __m128 zero = _mm_setzero_ps();
  __m128 c = s.diffuse;
  if constexpr (kTextured) {
    const __m128 t = _mm_min_ps(
        _mm_max_ps(_mm_mul_ps(_mm_movehl_ps(s.zuv, s.zuv), Lanes(k.draw->texture_size)), zero),
        _mm_set1_ps(kMaxTexelCoordinate));
    const __m128i index = _mm_and_si128(_mm_cvttps_epi32(t), Lanes(k.draw->masks));
    const std::int32_t offset = _mm_cvtsi128_si32(
        _mm_madd_epi16(_mm_packs_epi32(index, index), Lanes(k.draw->pitch_weights)));
    c = _mm_mul_ps(c, _mm_load_ps(k.draw->palette[k.draw->texels[offset]]));
  }
  if constexpr (kSpecular) c = _mm_add_ps(c, s.specular);
  c = _mm_min_ps(_mm_max_ps(c, zero), _mm_set1_ps(255.0f));  // as Clamp255
  if constexpr (kFog) {
    const __m128 f = _mm_min_ss(
        _mm_max_ss(_mm_mul_ss(_mm_sub_ss(Lanes(k.draw->fog_end), z), Lanes(k.draw->fog_scale)),
                   zero),
        _mm_set_ss(1.0f));
    c = _mm_add_ps(Lanes(k.draw->fog_color),
                   _mm_mul_ps(_mm_sub_ps(c, Lanes(k.draw->fog_color)), _mm_shuffle_ps(f, f, 0)));
  }
  // Rounding as ToByte: + 0.5, truncated. Fog keeps channels within 0..255, and anything
  // beyond would be held at 0 or 255 by the saturating packs as the clamp would hold it.
  const __m128i lanes = _mm_cvttps_epi32(_mm_add_ps(c, _mm_set1_ps(0.5f)));
  const __m128i words = _mm_packs_epi32(lanes, lanes);
  const auto rgb = static_cast<std::uint32_t>(_mm_cvtsi128_si32(
      _mm_adds_epu8(_mm_packus_epi16(words, words), _mm_cvtsi32_si128(static_cast<int>(dither)))));
  const auto shaded = static_cast<std::uint16_t>(((rgb & 0xF8u) << 8) | ((rgb >> 5) & 0x7E0u) |
                                                 ((rgb >> 19) & 0x1Fu));
  *pixel = shaded;
  if constexpr (kDepth) {
    if (k.depth_write) {
      std::uint32_t value = depth_value;
      if constexpr (kFormat == DepthFormat::Depth24) value |= depth_cell & 0xFF000000u;
      *cell = static_cast<typename DepthCell<kFormat>::Type>(value);
    }
  }
}

#ifdef FAST_SPAN_EIGHT_LANES
#include "platform/d3d/raster/FastSpanEight.h"
#endif

// Shades the whole groups of four of a row of eight pixels or more that RowFitsFixedPoint
// accepts (in the AVX2 copy groups of eight first, then of four) with fixed-point colour and,
// where RowFitsFixedTexture accepts the row, fixed-point texel positions. Returns the pixels
// shaded, and leaves the walk's float colours and texture coordinates at the first pixel after
// them (from the planes at its column) for the last one to three.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline std::int32_t ShadeFixedGroups(const TriangleSetup& setup, TriangleConstants& k, RowWalk& s,
                                     std::int32_t first, __m128 dy4, std::int32_t count,
                                     std::uint16_t* pixel,
                                     typename DepthCell<kFormat>::Type* cell) {
  if (!k.fixed_made) {
    MakeFixedSteps(setup, &k);
    k.fixed_made = true;
  }
  // The row's start as 16.16 values, spread over the lanes by the triangle's steps.
  const __m128 unit = _mm_set1_ps(65536.0f);
  const __m128i diffuse = _mm_cvtps_epi32(_mm_mul_ps(s.diffuse, unit));
  s.fixed[0] = _mm_add_epi32(_mm_shuffle_epi32(diffuse, 0x00), k.fixed_lanes[0]);
  s.fixed[1] = _mm_add_epi32(_mm_shuffle_epi32(diffuse, 0x55), k.fixed_lanes[1]);
  s.fixed[2] = _mm_add_epi32(_mm_shuffle_epi32(diffuse, 0xAA), k.fixed_lanes[2]);
  if constexpr (kSpecular) {
    const __m128i specular = _mm_cvtps_epi32(_mm_mul_ps(s.specular, unit));
    s.fixed[3] = _mm_add_epi32(_mm_shuffle_epi32(specular, 0x00), k.fixed_lanes[3]);
    s.fixed[4] = _mm_add_epi32(_mm_shuffle_epi32(specular, 0x55), k.fixed_lanes[4]);
    s.fixed[5] = _mm_add_epi32(_mm_shuffle_epi32(specular, 0xAA), k.fixed_lanes[5]);
  }
  const bool fixed_texture = kTextured && k.uv_fixed_possible && RowFitsFixedTexture(k, &s, count);
  std::int32_t i = 0;
#ifdef FAST_SPAN_EIGHT_LANES
  if (!kTextured || fixed_texture) {
    i = ShadeEights<kDepth, kFormat, kTextured, kSpecular, kFog>(k, s, count, pixel, cell);
  }
#endif
  // The lanes' columns from the row's start.
  __m128 index =
      _mm_add_ps(_mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f), _mm_set1_ps(static_cast<float>(i)));
  const __m128 four = _mm_set1_ps(4.0f);
  if (fixed_texture) {
    for (; i + 4 <= count; i += 4, index = _mm_add_ps(index, four)) {
      ShadeQuad<true, kTextured, kDepth, kFormat, kTextured, kSpecular, kFog>(
          k, s, index, pixel + i, kDepth ? cell + i : nullptr);
    }
  } else {
    for (; i + 4 <= count; i += 4, index = _mm_add_ps(index, four)) {
      ShadeQuad<true, false, kDepth, kFormat, kTextured, kSpecular, kFog>(
          k, s, index, pixel + i, kDepth ? cell + i : nullptr);
    }
  }
  if (i < count) {
    // The float values the last pixels start from, from the planes at their column.
    const __m128 column = _mm_set1_ps(static_cast<float>(first + i) - setup.origin_x);
    s.diffuse = PlaneAt(setup, kAttrRed, column, dy4);
    if constexpr (kSpecular) s.specular = PlaneAt(setup, kAttrSpecularRed, column, dy4);
    if (fixed_texture) s.zuv = PlaneAt(setup, kAttrZ, column, dy4);
  }
  return i;
}

// Shades the covered pixels [first, last] of row y: whole groups of four, then the last one
// to three pixels one at a time.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline void ShadeRow(const PixelContext& context, const TriangleSetup& setup, TriangleConstants& k,
                     std::int32_t y, std::int32_t first, std::int32_t last) {
  using Cell = typename DepthCell<kFormat>::Type;
  const float dx = static_cast<float>(first) - setup.origin_x;
  const float dy = static_cast<float>(y) - setup.origin_y;
  const __m128 dx4 = _mm_set1_ps(dx);
  const __m128 dy4 = _mm_set1_ps(dy);

  RowWalk s;
  // Depth from the span start, formed as the general span forms it.
  s.z_start_scalar = setup.origin[kAttrZ] + setup.ddx[kAttrZ] * dx + setup.ddy[kAttrZ] * dy;
  s.z_start = _mm_set1_ps(s.z_start_scalar);
  s.dither = context.dither_offsets[y & (kDitherSize - 1)];
  s.zuv = _mm_setzero_ps();
  if constexpr (kTextured) s.zuv = PlaneAt(setup, kAttrZ, dx4, dy4);
  s.diffuse = PlaneAt(setup, kAttrRed, dx4, dy4);
  s.specular = _mm_setzero_ps();
  if constexpr (kSpecular) s.specular = PlaneAt(setup, kAttrSpecularRed, dx4, dy4);
  const auto& dither = context.dither_quads[y & (kDitherSize - 1)][first & (kDitherSize - 1)];
  s.dither_rg = _mm_load_si128(reinterpret_cast<const __m128i*>(dither[0]));
  s.dither_b = _mm_load_si128(reinterpret_cast<const __m128i*>(dither[1]));

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
  __m128 index = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);  // the lanes' columns from the start
  const __m128 four = _mm_set1_ps(4.0f);
  std::int32_t i = 0;
  // Rows of two groups or more whose colours fit take fixed-point colour.
  bool fixed = count >= 8 && k.fixed_possible &&
               RowFitsFixedPoint(s.diffuse, k.diffuse_step, count) &&
               (!kSpecular || RowFitsFixedPoint(s.specular, k.specular_step, count));
  if (fixed) {
    i = ShadeFixedGroups<kDepth, kFormat, kTextured, kSpecular, kFog>(setup, k, s, first, dy4,
                                                                      count, pixel, cell);
  } else {
    for (; i + 4 <= count; i += 4, index = _mm_add_ps(index, four)) {
      ShadeQuad<false, false, kDepth, kFormat, kTextured, kSpecular, kFog>(
          k, s, index, pixel + i, kDepth ? cell + i : nullptr);
    }
  }
  for (; i < count; ++i) {
    ShadeOne<kDepth, kFormat, kTextured, kSpecular, kFog>(
        k, s, s.dither[(first + i) & (kDitherSize - 1)], i, pixel + i, kDepth ? cell + i : nullptr);
    s.zuv = _mm_add_ps(s.zuv, k.zuv_step);
    s.diffuse = _mm_add_ps(s.diffuse, k.diffuse_step);
    s.specular = _mm_add_ps(s.specular, k.specular_step);
  }
}

// Walks the rows of the triangle and shades each covered span, all in one specialised function
// (the triangle's constants are made once, and no call is made per row).
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
void FastTriangle(const PixelContext& context, const TriangleSetup& setup) {
  TriangleConstants k = MakeTriangleConstants(context, setup);
  k.fixed_possible = StepsFitFixedPoint<kSpecular>(setup);
  RowWalker rows(setup);
  for (std::int32_t y = setup.first_row; y <= setup.last_row; ++y, rows.Next()) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    if (rows.Span(&first, &last)) {
      ShadeRow<kDepth, kFormat, kTextured, kSpecular, kFog>(context, setup, k, y, first, last);
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

// The kernels' 32-bit depth values of count screen z values.
void DepthValues32(const float* z, std::uint32_t* values, std::int32_t count) {
#ifdef FAST_SPAN_EIGHT_LANES
  for (std::int32_t i = 0; i < count; i += 8) {
    alignas(32) float in[8] = {};
    alignas(32) std::uint32_t out[8];
    const std::int32_t lanes = count - i < 8 ? count - i : 8;
    std::memcpy(in, z + i, sizeof(float) * static_cast<std::size_t>(lanes));
    _mm256_store_si256(reinterpret_cast<__m256i*>(out),
                       DepthValues8<DepthFormat::Depth32>(_mm256_load_ps(in)));
    std::memcpy(values + i, out, sizeof(std::uint32_t) * static_cast<std::size_t>(lanes));
  }
#else
  for (std::int32_t i = 0; i < count; i += 4) {
    alignas(16) float in[4] = {};
    alignas(16) std::uint32_t out[4];
    const std::int32_t lanes = count - i < 4 ? count - i : 4;
    std::memcpy(in, z + i, sizeof(float) * static_cast<std::size_t>(lanes));
    _mm_store_si128(reinterpret_cast<__m128i*>(out),
                    DepthValues4<DepthFormat::Depth32>(_mm_load_ps(in)));
    std::memcpy(values + i, out, sizeof(std::uint32_t) * static_cast<std::size_t>(lanes));
  }
#endif
}

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
