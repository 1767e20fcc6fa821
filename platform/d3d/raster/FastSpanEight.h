// The fast span's eight-lane kernels, for the AVX2 copy: the rows ShadeFixedGroups shades in
// fixed point go eight pixels at a time, untextured ones and those with fixed-point texel
// positions. Include only from FastSpanKernels.h (inside its namespaces, where
// FAST_SPAN_EIGHT_LANES is defined). Every lane computes exactly what a lane of the four-lane
// ShadeQuad computes (the same float depth and depth conversion, the same 16.16 colours and
// texel positions, the same 16-bit arithmetic), so the copies draw the same pixels.

static_assert(kDitherSize == 4, "eight lanes repeat the four column phases of the dither twice");

// The two halves of eight 32-bit lanes packed, with signed saturation, to eight 16-bit lanes.
inline __m128i PackHalves(__m256i lanes) {
  return _mm_packs_epi32(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1));
}

// Four 32-bit lanes repeated in both halves.
inline __m256i Twice(__m128i lanes) {
  return _mm256_broadcastsi128_si256(lanes);
}

// Two channels of eight 16.16 values as 8.7 values in 16-bit lanes, negatives held at 0: a's
// of pixels 0-3, b's of 0-3, a's of 4-7, b's of 4-7 (as the 32-bit packs lay them out).
inline __m256i Pack8_7(__m256i a, __m256i b) {
  return _mm256_max_epi16(_mm256_packs_epi32(_mm256_srai_epi32(a, 9), _mm256_srai_epi32(b, 9)),
                          _mm256_setzero_si256());
}
// One channel of eight 16.16 values as 8.7 values in eight 16-bit lanes, negatives held at 0.
inline __m128i Pack8_7(__m256i a) {
  return _mm_max_epi16(PackHalves(_mm256_srai_epi32(a, 9)), _mm_setzero_si128());
}

// Eight 32-bit lanes from four: the four, then the four a step of four on.
inline __m256i Widen(__m128i four, __m128i step4) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(four), _mm_add_epi32(four, step4), 1);
}

// Eight depth values as DepthValues4 gives them (the same comparisons, with the same answers
// for NaN, and the same exact conversion).
template <DepthFormat kFormat>
inline __m256i DepthValues8(__m256 z) {
  const __m256i far = _mm256_castps_si256(_mm256_cmp_ps(z, _mm256_set1_ps(1.0f), _CMP_NLT_UQ));
  const __m256i near = _mm256_castps_si256(_mm256_cmp_ps(z, _mm256_setzero_ps(), _CMP_NGT_UQ));
  __m256i scaled;
  if constexpr (kFormat == DepthFormat::Depth32) {
    const __m256 t = _mm256_mul_ps(z, _mm256_set1_ps(4294967296.0f));
    const __m256 two31 = _mm256_set1_ps(2147483648.0f);
    const __m256 high = _mm256_cmp_ps(t, two31, _CMP_GE_OQ);
    const __m256 low_part = _mm256_sub_ps(t, _mm256_and_ps(high, two31));
    const __m256i whole = _mm256_cvttps_epi32(low_part);
    const __m256 fraction = _mm256_sub_ps(low_part, _mm256_cvtepi32_ps(whole));
    const __m256i borrow = _mm256_castps_si256(_mm256_cmp_ps(fraction, z, _CMP_LT_OQ));
    const __m256i top_bit =
        _mm256_and_si256(_mm256_castps_si256(high), _mm256_set1_epi32(INT32_MIN));
    scaled = _mm256_add_epi32(_mm256_add_epi32(whole, top_bit), borrow);
  } else {
    scaled = _mm256_cvttps_epi32(
        _mm256_mul_ps(z, _mm256_set1_ps(static_cast<float>(MaxDepthValue(kFormat)))));
  }
  const __m256i max_value = _mm256_set1_epi32(static_cast<int>(MaxDepthValue(kFormat)));
  return _mm256_blendv_epi8(_mm256_andnot_si256(near, scaled), max_value, far);
}

// The cells of eight depth pixels as stored, one per 32-bit lane, and back.
template <DepthFormat kFormat>
inline __m256i LoadDepthCells8(const typename DepthCell<kFormat>::Type* cell) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cell)));
  } else {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cell));
  }
}
template <DepthFormat kFormat>
inline void StoreDepthCells8(typename DepthCell<kFormat>::Type* cell, __m256i cells) {
  if constexpr (kFormat == DepthFormat::Depth16) {
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(cell),
        _mm_packus_epi32(_mm256_castsi256_si128(cells), _mm256_extracti128_si256(cells, 1)));
  } else {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cell), cells);
  }
}

// The palette colours of the texels at the two offsets of a 64-bit lane, in its low and high
// halves.
inline long long TexelPair(const FastSpanConstants& draw, long long offsets) {
  const auto both = static_cast<std::uint64_t>(offsets);
  const std::uint64_t low = draw.palette_colours[draw.texels[both & 0xFFFFFFFFu]];
  const std::uint64_t high = draw.palette_colours[draw.texels[both >> 32]];
  return static_cast<long long>(low | high << 32);
}

// The eight pixels' texels (as their palette colours), from 16.16 texel positions as
// FixedTexelOffsets takes them. Texels are fetched with scalar loads, two offsets taken from
// each 64-bit half: gathers measured slower here, and a gathered 32-bit load of a texel byte
// could read past the texture's last byte.
inline __m256i FixedTexels8(const TriangleConstants& k, __m256i u, __m256i v) {
  const __m256i tu = _mm256_and_si256(_mm256_srli_epi32(u, 16), Twice(Lanes(k.draw->mask_u)));
  const __m256i tv = _mm256_and_si256(v, Twice(k.mask_v_high));
  const __m256i offsets =
      _mm256_madd_epi16(_mm256_or_si256(tu, tv), Twice(Lanes(k.draw->pitch_weights)));
  const __m128i low = _mm256_castsi256_si128(offsets);
  const __m128i high = _mm256_extracti128_si256(offsets, 1);
  const auto pair = [&](long long offsets) { return TexelPair(*k.draw, offsets); };
  return _mm256_setr_epi64x(pair(_mm_cvtsi128_si64(low)), pair(_mm_extract_epi64(low, 1)),
                            pair(_mm_cvtsi128_si64(high)), pair(_mm_extract_epi64(high, 1)));
}

// One row's state for groups of eight: as RowWalk's, eight lanes wide. The 16.16 values are
// stepped from one shaded group to the next; a group that fails the depth test steps nothing,
// and the next group shaded finds its values from the row's first group's plus its number times
// the step of eight, which in wrapping 32-bit integers is exactly what stepping gives.
struct EightWalk {
  __m256 z_start;      // broadcast
  __m256 z_step;       // broadcast
  __m256i first[8];    // at the row's first group: the channels as RowWalk::fixed, u, v
  __m256i current[8];  // the same at group `at`
  std::int32_t at;
  __m256i dither_rg;  // red offsets of pixels 0-3 then green, in each half
};

// Moves the walk's current values to the row's group `group`, from its first group's.
template <bool kTextured, bool kSpecular>
inline void SeekGroup(const TriangleConstants& k, EightWalk* w, std::int32_t group) {
  const __m256i groups = _mm256_set1_epi32(group);
  for (int c = 0; c < (kSpecular ? 6 : 3); ++c) {
    w->current[c] = _mm256_add_epi32(w->first[c], _mm256_mullo_epi32(k.fixed_step8[c], groups));
  }
  if constexpr (kTextured) {
    w->current[6] = _mm256_add_epi32(w->first[6], _mm256_mullo_epi32(k.u_step8, groups));
    w->current[7] = _mm256_add_epi32(w->first[7], _mm256_mullo_epi32(k.v_step8, groups));
  }
  w->at = group;
}

// Shades the eight pixels `index` columns past the row's start, as ShadeQuad<true, ...> shades
// two groups of four. Red and green go in one register as 16-bit lanes, red of pixels 0-3 then
// green of 0-3 in the low half and the same of 4-7 in the high half (as the 32-bit packs lay
// them out), blue of all eight in a register of eight lanes.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline void ShadeEight(const TriangleConstants& k, const RowWalk& s, EightWalk& w,
                       std::int32_t group, __m256 index, std::uint16_t* pixel,
                       typename DepthCell<kFormat>::Type* cell) {
  const __m256 z = _mm256_add_ps(w.z_start, _mm256_mul_ps(w.z_step, index));
  __m256i pass = _mm256_set1_epi32(-1);
  __m256i depth_values = _mm256_setzero_si256();
  __m256i depth_cells = _mm256_setzero_si256();
  if constexpr (kDepth) {
    depth_values = DepthValues8<kFormat>(z);
    depth_cells = LoadDepthCells8<kFormat>(cell);
    __m256i stored = depth_cells;
    if constexpr (kFormat == DepthFormat::Depth24) {
      stored = _mm256_and_si256(stored, _mm256_set1_epi32(0xFFFFFF));
    }
    // LESSEQUAL on unsigned values: the value is not above the stored one where their maximum
    // is the stored one.
    pass = _mm256_cmpeq_epi32(_mm256_max_epu32(depth_values, stored), stored);
    if (_mm256_testz_si256(pass, pass)) return;
  }

  // This group's values (in a run of shaded groups, those stepped from the one before), and
  // the walk stepped past it.
  if (w.at != group) SeekGroup<kTextured, kSpecular>(k, &w, group);
  __m256i fixed[8];
  for (int c = 0; c < (kSpecular ? 6 : 3); ++c) {
    fixed[c] = w.current[c];
    w.current[c] = _mm256_add_epi32(w.current[c], k.fixed_step8[c]);
  }
  if constexpr (kTextured) {
    fixed[6] = w.current[6];
    fixed[7] = w.current[7];
    w.current[6] = _mm256_add_epi32(w.current[6], k.u_step8);
    w.current[7] = _mm256_add_epi32(w.current[7], k.v_step8);
  }
  w.at = group + 1;
  const __m256i zero = _mm256_setzero_si256();
  __m256i rg = Pack8_7(fixed[0], fixed[1]);
  __m128i bb = Pack8_7(fixed[2]);
  if constexpr (kTextured) {
    // The texels' bytes (0xAARRGGBB) moved to 16-bit lanes laid out as rg and bb.
    const __m256i texel = FixedTexels8(k, fixed[6], fixed[7]);
    const __m256i red_green = _mm256_shuffle_epi8(
        texel, _mm256_setr_epi8(2, -1, 6, -1, 10, -1, 14, -1, 1, -1, 5, -1, 9, -1, 13, -1, 2, -1, 6,
                                -1, 10, -1, 14, -1, 1, -1, 5, -1, 9, -1, 13, -1));
    const __m256i blue = _mm256_permute4x64_epi64(
        _mm256_shuffle_epi8(
            texel, _mm256_setr_epi8(0, -1, 4, -1, 8, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0,
                                    -1, 4, -1, 8, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1)),
        0x08);
    rg = _mm256_mulhi_epu16(rg, _mm256_mullo_epi16(red_green, _mm256_set1_epi16(257)));
    bb = _mm_mulhi_epu16(bb, _mm_mullo_epi16(_mm256_castsi256_si128(blue), _mm_set1_epi16(257)));
  }
  if constexpr (kSpecular) {
    rg = _mm256_adds_epi16(rg, Pack8_7(fixed[3], fixed[4]));
    bb = _mm_adds_epi16(bb, Pack8_7(fixed[5]));
  }
  rg = _mm256_min_epi16(rg, _mm256_set1_epi16(255 * 128));
  bb = _mm_min_epi16(bb, _mm_set1_epi16(255 * 128));
  if constexpr (kFog) {
    const __m256 f = _mm256_min_ps(
        _mm256_max_ps(_mm256_mul_ps(_mm256_sub_ps(_mm256_set1_ps(k.draw->fog_end[0]), z),
                                    _mm256_set1_ps(k.draw->fog_scale[0])),
                      _mm256_setzero_ps()),
        _mm256_set1_ps(1.0f));
    const __m256i f32 = _mm256_cvtps_epi32(_mm256_mul_ps(f, _mm256_set1_ps(32767.0f)));
    const __m256i factor = _mm256_packs_epi32(f32, f32);  // pixels 0-3 twice, then 4-7 twice
    const __m128i factor_b = PackHalves(f32);
    const __m256i fog_rg = Twice(Lanes(k.draw->fog_rg_8_7));
    const __m256i part = _mm256_mulhi_epi16(_mm256_sub_epi16(rg, fog_rg), factor);
    rg = _mm256_add_epi16(fog_rg, _mm256_add_epi16(part, part));
    const __m128i fog_b = Lanes(k.draw->fog_b_8_7);
    const __m128i part_b = _mm_mulhi_epi16(_mm_sub_epi16(bb, fog_b), factor_b);
    bb = _mm_add_epi16(fog_b, _mm_add_epi16(part_b, part_b));
  }
  // Rounded half up to bytes, dithered with saturation at 255, packed to 5-6-5.
  const __m256i rg_words =
      _mm256_max_epi16(_mm256_srai_epi16(_mm256_add_epi16(rg, _mm256_set1_epi16(64)), 7), zero);
  const __m128i b_words =
      _mm_max_epi16(_mm_srai_epi16(_mm_add_epi16(bb, _mm_set1_epi16(64)), 7), _mm_setzero_si128());
  const __m256i rg_dithered =
      _mm256_min_epi16(_mm256_add_epi16(rg_words, w.dither_rg), _mm256_set1_epi16(255));
  const __m128i b_dithered = _mm_min_epi16(_mm_add_epi16(b_words, s.dither_b), _mm_set1_epi16(255));
  const __m256i rg_bits = _mm256_mullo_epi16(
      _mm256_and_si256(rg_dithered,
                       Twice(_mm_setr_epi16(0xF8, 0xF8, 0xF8, 0xF8, 0xFC, 0xFC, 0xFC, 0xFC))),
      Twice(_mm_setr_epi16(256, 256, 256, 256, 8, 8, 8, 8)));
  const __m256i merged = _mm256_or_si256(rg_bits, _mm256_bsrli_epi128(rg_bits, 8));
  __m128i packed = _mm_or_si128(_mm256_castsi256_si128(_mm256_permute4x64_epi64(merged, 0x08)),
                                _mm_srli_epi16(b_dithered, 3));
  auto* target = reinterpret_cast<__m128i*>(pixel);
  if constexpr (kDepth) packed = _mm_blendv_epi8(_mm_loadu_si128(target), packed, PackHalves(pass));
  _mm_storeu_si128(target, packed);
  if constexpr (kDepth) {
    if (k.depth_write) {
      __m256i cells = depth_values;
      if constexpr (kFormat == DepthFormat::Depth24) {
        // The top byte of a 24-bit cell is not depth and is kept.
        cells = _mm256_or_si256(
            _mm256_and_si256(depth_cells, _mm256_set1_epi32(static_cast<int>(0xFF000000u))), cells);
      }
      StoreDepthCells8<kFormat>(cell, _mm256_blendv_epi8(depth_cells, cells, pass));
    }
  }
}

// Shades a fixed-point row's whole groups of eight, from the walk's values for its first four
// pixels (colours and, textured, texel positions); returns the pixels shaded and leaves the
// walk's values at the four pixels after them, for the groups of four that follow.
template <bool kDepth, DepthFormat kFormat, bool kTextured, bool kSpecular, bool kFog>
inline std::int32_t ShadeEights(const TriangleConstants& k, RowWalk& s, std::int32_t count,
                                std::uint16_t* pixel, typename DepthCell<kFormat>::Type* cell) {
  constexpr int kChannels = kSpecular ? 6 : 3;
  EightWalk w;
  w.z_start = _mm256_set1_ps(s.z_start_scalar);
  w.z_step = _mm256_broadcastss_ps(k.z_step);
  for (int c = 0; c < kChannels; ++c) {
    w.first[c] = w.current[c] = Widen(s.fixed[c], k.fixed_step4[c]);
  }
  if constexpr (kTextured) {
    w.first[6] = w.current[6] = Widen(s.fixed_u, k.u_step4);
    w.first[7] = w.current[7] = Widen(s.fixed_v, k.v_step4);
  }
  w.at = 0;
  w.dither_rg = Twice(s.dither_rg);
  __m256 index = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
  const __m256 eight = _mm256_set1_ps(8.0f);
  const std::int32_t groups = count / 8;
  // One count of pixels indexes both rows (and the group is found from it only where needed),
  // which keeps the loop's counters in registers.
  for (std::int32_t i = 0; i < 8 * groups; i += 8, index = _mm256_add_ps(index, eight)) {
    ShadeEight<kDepth, kFormat, kTextured, kSpecular, kFog>(k, s, w, i >> 3, index, pixel + i,
                                                            kDepth ? cell + i : nullptr);
  }
  // The walk's values moved past the groups: the low halves of those a next group would take.
  if (w.at != groups) SeekGroup<kTextured, kSpecular>(k, &w, groups);
  for (int c = 0; c < kChannels; ++c) s.fixed[c] = _mm256_castsi256_si128(w.current[c]);
  if constexpr (kTextured) {
    s.fixed_u = _mm256_castsi256_si128(w.current[6]);
    s.fixed_v = _mm256_castsi256_si128(w.current[7]);
  }
  return 8 * groups;
}
