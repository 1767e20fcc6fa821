// The fast span against the general one, and the row walker against the per-row division.
//
// Many random triangles (medium, huge, tiny, degenerate and non-finite ones among them) are drawn
// with random mixes of the states the fast span covers, once with fast spans and once with the
// general span alone. Both must cover the same pixels and write the same depth everywhere.
// Colours may differ by one 5-6-5 step per channel (the fast span's fixed-point colour rounds a
// level differently now and then). They may differ by more only where its fixed-point texel
// positions pick the neighbouring texel at a texel boundary: so only in textured rounds whose
// palette has more than one colour, and on at most 0.5% of the covered pixels (the shares are
// printed).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "platform/d3d/raster/FastSpan.h"
#include "platform/d3d/raster/TriangleSetup.h"
#include "tests/platform/raster/RasterTestKit.h"

namespace platform::raster::testing {
namespace {

constexpr int kWidth = 61;  // odd sides, so spans end at every column phase of the dither
constexpr int kHeight = 47;
constexpr std::uint16_t kUntouched = 0x0821;  // the cleared colour: no shaded pixel comes out so

using Random = TestRandom;

// One rasteriser with its own target and depth buffer.
struct Side {
  Side() : target(kWidth, kHeight), depth16(kWidth, kHeight), depth32(kWidth, kHeight) {}
  Surface16 target;
  Surface16 depth16;
  Surface32 depth32;
  Rasterizer raster;
};

// The states of one round: always ones the fast span covers.
struct Round {
  int depth_bits = 0;  // 0: no depth test
  bool textured = false;
  bool flat_palette = false;  // every entry one colour: which texel is picked cannot show
  int texture_width = 1;
  int texture_height = 1;
  int texture_pitch = 1;
  std::uint32_t flags = 0;  // D3DDP_DONOTCLIP or not
  std::vector<std::pair<D3DRENDERSTATETYPE, std::uint32_t>> states;
};

Round RandomRound(Random& random) {
  Round round;
  round.depth_bits = random.Pick({0, 16, 24, 32});
  round.textured = random.Chance(70);
  round.flat_palette = random.Chance(25);
  round.texture_width = random.Pick({1, 2, 8, 64});
  round.texture_height = random.Pick({1, 4, 32});
  round.texture_pitch = round.texture_width + random.Pick({0, 3});
  round.flags = random.Chance(50) ? D3DDP_DONOTCLIP : 0;
  const float fog_start = random.Uniform(-0.2f, 0.8f);
  const float fog_end = random.Chance(10) ? fog_start : fog_start + random.Uniform(0.01f, 0.6f);
  round.states = {
      {D3DRENDERSTATE_ZENABLE, round.depth_bits != 0 ? 1u : 0u},
      {D3DRENDERSTATE_ZWRITEENABLE, random.Chance(80) ? 1u : 0u},
      {D3DRENDERSTATE_DITHERENABLE, random.Chance(70) ? 1u : 0u},
      {D3DRENDERSTATE_SPECULARENABLE, random.Chance(60) ? 1u : 0u},
      {D3DRENDERSTATE_FOGENABLE, random.Chance(60) ? 1u : 0u},
      {D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR},
      {D3DRENDERSTATE_FOGCOLOR, random.Bits()},
      {D3DRENDERSTATE_FOGTABLESTART, RenderStateBlock::FloatBits(fog_start)},
      {D3DRENDERSTATE_FOGTABLEEND, RenderStateBlock::FloatBits(fog_end)},
      {D3DRENDERSTATE_SHADEMODE, random.Chance(20) ? D3DSHADE_FLAT : D3DSHADE_GOURAUD},
      {D3DRENDERSTATE_CULLMODE, random.Pick({D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW})},
      {D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0},
      {D3DRENDERSTATE_TEXTUREMAPBLEND, random.Pick({D3DTBLEND_MODULATE, D3DTBLEND_MODULATEMASK})},
  };
  return round;
}

// A coordinate, now and then not finite.
float Spoil(Random& random, float value) {
  if (!random.Chance(3)) return value;
  return random.Pick({std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity(), 3.0e38f});
}

// Three vertices of one of the kinds of triangle the test mixes.
void AddTriangle(Random& random, std::vector<D3DTLVERTEX>* vertices) {
  const int kind = static_cast<int>(random.Bits() % 10);
  float x[3];
  float y[3];
  const float cx = random.Uniform(-5.0f, kWidth + 5.0f);
  const float cy = random.Uniform(-5.0f, kHeight + 5.0f);
  for (int i = 0; i < 3; ++i) {
    if (kind <= 4) {  // medium
      x[i] = cx + random.Uniform(-25.0f, 25.0f);
      y[i] = cy + random.Uniform(-25.0f, 25.0f);
    } else if (kind == 5) {  // huge, far beyond the guard band now and then
      const float reach = random.Chance(50) ? 2000.0f : 30000.0f;
      x[i] = random.Uniform(-reach, reach);
      y[i] = random.Uniform(-reach, reach);
    } else if (kind == 6) {  // tiny
      x[i] = cx + random.Uniform(-0.7f, 0.7f);
      y[i] = cy + random.Uniform(-0.7f, 0.7f);
    } else {  // long slivers
      x[i] = cx + random.Uniform(-60.0f, 60.0f);
      y[i] = cy + random.Uniform(-1.5f, 1.5f);
    }
  }
  if (kind == 7) {  // degenerate: a repeated vertex or three on one line
    if (random.Chance(50)) {
      x[2] = x[0];
      y[2] = y[0];
    } else {
      x[2] = (x[0] + x[1]) * 0.5f;
      y[2] = (y[0] + y[1]) * 0.5f;
    }
  }
  // Texture coordinates usually near the range, sometimes far out where float steps are coarse.
  const float uv_reach = random.Pick({2.0f, 40.0f, 5000.0f});
  // Colours of unrelated vertices, or (smooth shading, the fast span's fixed-point case) close
  // to one colour.
  const bool smooth = random.Chance(50);
  const std::uint32_t diffuse = random.Bits();
  const std::uint32_t specular = random.Bits() & 0xFF3F3F3Fu;
  const auto near = [&](std::uint32_t colour) {
    std::uint32_t result = colour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const int channel =
          static_cast<int>((colour >> shift) & 0xFF) + static_cast<int>(random.Bits() % 41) - 20;
      result |= static_cast<std::uint32_t>(std::clamp(channel, 0, 255)) << shift;
    }
    return result;
  };
  for (int i = 0; i < 3; ++i) {
    D3DTLVERTEX v{};
    v.sx = Spoil(random, x[i]);
    v.sy = Spoil(random, y[i]);
    v.sz = Spoil(random, random.Uniform(-0.2f, 1.2f));
    v.rhw = Spoil(random, random.Uniform(0.1f, 2.0f));
    v.color = smooth ? near(diffuse) : random.Bits();
    v.specular = smooth ? near(specular) : random.Bits();
    v.tu = Spoil(random, random.Uniform(-uv_reach, uv_reach));
    v.tv = Spoil(random, random.Uniform(-uv_reach, uv_reach));
    vertices->push_back(v);
  }
}

// The largest difference of one 5-6-5 channel between two pixels, in steps of that channel.
int ChannelSteps(std::uint16_t a, std::uint16_t b) {
  const int red = std::abs(((a >> 11) & 0x1F) - ((b >> 11) & 0x1F));
  const int green = std::abs(((a >> 5) & 0x3F) - ((b >> 5) & 0x3F));
  const int blue = std::abs((a & 0x1F) - (b & 0x1F));
  return std::max({red, green, blue});
}

class FastSpanTest : public ::testing::Test {
 protected:
  FastSpanTest() : texels_(64 * 32 + 3 * 32), palette_(256) {}

  void Prepare(const Round& round, std::uint32_t seed, SimdLevel level = SimdLevel::Best) {
    Random random{seed};
    for (D3DCOLOR& entry : palette_) entry = random.Bits();
    if (round.flat_palette) std::fill(palette_.begin(), palette_.end(), palette_[0]);
    for (std::uint8_t& texel : texels_) texel = static_cast<std::uint8_t>(random.Bits());
    fast_.raster.SetFastSpans(true, level);
    general_.raster.SetFastSpans(false);
    for (Side* side : {&fast_, &general_}) {
      Rasterizer& raster = side->raster;
      raster.SetRenderTarget(TargetOf(side->target));
      if (round.depth_bits == 16) {
        raster.SetDepthBuffer(
            {side->depth16.Origin(), side->depth16.Pitch(), kWidth, kHeight, DepthFormat::Depth16});
      } else if (round.depth_bits != 0) {
        raster.SetDepthBuffer(
            {side->depth32.Origin(), side->depth32.Pitch(), kWidth, kHeight,
             round.depth_bits == 24 ? DepthFormat::Depth24 : DepthFormat::Depth32});
      } else {
        raster.DetachDepthBuffer();
      }
      if (round.textured) {
        raster.SetTexture({texels_.data(), round.texture_pitch, round.texture_width,
                           round.texture_height, TextureFormat::Palette8, palette_.data()});
      } else {
        raster.DetachTexture();
      }
      for (const auto& [state, value] : round.states)
        ASSERT_TRUE(raster.SetRenderState(state, value));
      // A depth between near and far, and a top byte that 24-bit depth must keep.
      side->target.Fill(kUntouched);
      side->depth16.Fill(0xC000);
      side->depth32.Fill(0x5AC00000u);
    }
  }

  // The fast span must really be the one drawing, or the comparison proves nothing.
  bool FastSpanChosen(const Round& round) {
    Sampler sampler;
    if (round.textured) {
      sampler.Bind({texels_.data(), round.texture_pitch, round.texture_width, round.texture_height,
                    TextureFormat::Palette8, palette_.data()},
                   fast_.raster.Pipeline().address_u, fast_.raster.Pipeline().address_v);
    }
    DepthBufferView depth{fast_.depth32.Origin(), fast_.depth32.Pitch(), kWidth, kHeight,
                          DepthFormat::Depth32};
    const PixelContext context = MakePixelContext(fast_.raster.Pipeline(), TargetOf(fast_.target),
                                                  round.depth_bits != 0 ? &depth : nullptr,
                                                  round.textured ? &sampler : nullptr);
    return SelectFastTriangle(context, false) != nullptr;
  }

  // Draws the vertices on both sides and requires the very same target and depth everywhere.
  void ExpectSidesDrawAlike(const std::vector<D3DTLVERTEX>& vertices, std::uint32_t flags) {
    for (Side* side : {&fast_, &general_}) {
      ASSERT_EQ(DrawList(side->raster, vertices, flags), DrawResult::Ok);
    }
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(fast_.target.At(x, y), general_.target.At(x, y)) << x << ", " << y;
        ASSERT_EQ(fast_.depth16.At(x, y), general_.depth16.At(x, y)) << x << ", " << y;
        ASSERT_EQ(fast_.depth32.At(x, y), general_.depth32.At(x, y)) << x << ", " << y;
      }
    }
  }

  Side fast_;
  Side general_;
  std::vector<std::uint8_t> texels_;
  std::vector<D3DCOLOR> palette_;
};

TEST_F(FastSpanTest, RandomTrianglesGiveTheGeneralSpansCoverageDepthAndColours) {
  Random random{20261208u};
  long covered = 0;
  long colour_differences = 0;
  long texel_picks = 0;  // pixels more than one step apart
  const SimdLevel levels[] = {SimdLevel::Sse2, SimdLevel::Avx, SimdLevel::Avx2};
  for (int r = 0; r < 240; ++r) {
    const Round round = RandomRound(random);
    // Every copy of the kernels (where the processor has it): plain SSE2, AVX encodings, AVX2.
    Prepare(round, random.Bits(), levels[r % 3]);
    ASSERT_TRUE(FastSpanChosen(round)) << "round " << r;
    std::vector<D3DTLVERTEX> vertices;
    for (int t = 0; t < 60; ++t) AddTriangle(random, &vertices);
    for (Side* side : {&fast_, &general_}) {
      ASSERT_EQ(DrawList(side->raster, vertices, round.flags), DrawResult::Ok);
    }
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint16_t fast = fast_.target.At(x, y);
        const std::uint16_t general = general_.target.At(x, y);
        ASSERT_EQ(fast == kUntouched, general == kUntouched)
            << "coverage differs at " << x << ", " << y << " in round " << r;
        ASSERT_EQ(fast_.depth16.At(x, y), general_.depth16.At(x, y)) << x << ", " << y;
        ASSERT_EQ(fast_.depth32.At(x, y), general_.depth32.At(x, y)) << x << ", " << y;
        if (general == kUntouched) continue;
        ++covered;
        if (fast != general) ++colour_differences;
        if (ChannelSteps(fast, general) <= 1) continue;
        ++texel_picks;
        ASSERT_TRUE(round.textured && !round.flat_palette)
            << "more than one step at " << x << ", " << y << " in round " << r
            << ", where no texel choice can show";
      }
    }
    EXPECT_TRUE(fast_.target.BorderUntouched() && fast_.depth32.BorderUntouched() &&
                fast_.depth16.BorderUntouched());
  }
  // Enough pixels were drawn for the comparison to mean something.
  EXPECT_GT(covered, 100000);
  const double share = static_cast<double>(colour_differences) / static_cast<double>(covered);
  const double picks = static_cast<double>(texel_picks) / static_cast<double>(covered);
  std::printf(
      "fast span: %ld covered pixels, %ld (%.4f%%) of a different colour, %ld (%.4f%%) more "
      "than one step apart (texel boundary picks)\n",
      covered, colour_differences, 100.0 * share, texel_picks, 100.0 * picks);
  EXPECT_LE(picks, 0.005);
  EXPECT_LE(share, 0.005);
}

// The copies of the kernels draw exactly the same pixels: the AVX copy encodes the same
// operations, and the AVX2 copy's groups of eight repeat the groups of four's arithmetic.
TEST_F(FastSpanTest, EveryCopyOfTheKernelsDrawsTheSamePixels) {
  if (AvailableSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "the processor lacks AVX2";
  Random random{515u};
  for (int r = 0; r < 90; ++r) {
    const Round round = RandomRound(random);
    Prepare(round, random.Bits(), r % 2 == 0 ? SimdLevel::Avx2 : SimdLevel::Avx);
    general_.raster.SetFastSpans(true, SimdLevel::Sse2);
    std::vector<D3DTLVERTEX> vertices;
    for (int t = 0; t < 60; ++t) AddTriangle(random, &vertices);
    ExpectSidesDrawAlike(vertices, round.flags);
    if (HasFatalFailure()) return;
  }
}

// Long smooth rows whose depth crosses 1 or 0 part-way along (or reaches it at an exact pixel,
// with power-of-two steps), and rows wholly between, drawn over each other so that runs of
// groups of eight fail the depth test between groups that pass: the AVX2 copy must draw what
// the SSE2 copy draws (the far and near values, and the values after a run of failed groups).
TEST_F(FastSpanTest, RowsWhoseDepthLeavesTheRangeDrawAsTheOtherCopies) {
  if (AvailableSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "the processor lacks AVX2";
  Random random{1208u};
  for (const int depth_bits : {16, 24, 32}) {
    Round round = RandomRound(random);
    round.depth_bits = depth_bits;
    for (auto& [state, value] : round.states) {
      if (state == D3DRENDERSTATE_ZENABLE || state == D3DRENDERSTATE_ZWRITEENABLE) value = 1;
      if (state == D3DRENDERSTATE_SHADEMODE) value = D3DSHADE_GOURAUD;
      if (state == D3DRENDERSTATE_CULLMODE) value = D3DCULL_NONE;
    }
    Prepare(round, random.Bits(), SimdLevel::Avx2);
    general_.raster.SetFastSpans(true, SimdLevel::Sse2);
    ASSERT_TRUE(FastSpanChosen(round));
    std::vector<D3DTLVERTEX> vertices;
    for (int t = 0; t < 80; ++t) {
      // z = edge + (x - column) * slope: edge 1 or 0 reached at a column of the target.
      const float edge = random.Pick({0.0f, 1.0f, 0.5f});
      const float column = std::floor(random.Uniform(0.0f, kWidth));
      const float slope = random.Chance(50) ? random.Pick({1.0f / 64, -1.0f / 64, 1.0f / 256})
                                            : random.Uniform(-0.05f, 0.05f);
      const float top = random.Uniform(-4.0f, kHeight);
      const D3DCOLOR colour = random.Bits();
      const float xs[3] = {-3.0f, kWidth + 3.0f, -3.0f};
      const float ys[3] = {top, top, top + random.Uniform(4.0f, 30.0f)};
      for (int i = 0; i < 3; ++i) {
        D3DTLVERTEX v{};
        v.sx = xs[i];
        v.sy = ys[i];
        v.sz = edge + (xs[i] - column) * slope;
        v.rhw = 1.0f;
        v.color = colour;
        v.specular = colour & 0xFF1F1F1Fu;
        v.tu = random.Uniform(0.0f, 2.0f);
        v.tv = random.Uniform(0.0f, 2.0f);
        vertices.push_back(v);
      }
    }
    ExpectSidesDrawAlike(vertices, round.flags);
    if (HasFatalFailure()) return;
  }
}

TEST_F(FastSpanTest, StatesOutsideItsSetGoToTheGeneralSpan) {
  Random random{7u};
  Round round = RandomRound(random);
  round.textured = true;
  round.depth_bits = 32;
  Prepare(round, 1u);
  EXPECT_TRUE(FastSpanChosen(round));
  const std::pair<D3DRENDERSTATETYPE, std::uint32_t> outside[] = {
      {D3DRENDERSTATE_ALPHABLENDENABLE, 1},      {D3DRENDERSTATE_ALPHATESTENABLE, 1},
      {D3DRENDERSTATE_ZFUNC, D3DCMP_LESS},       {D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_DECAL},
      {D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_EXP}, {D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_CLAMP},
  };
  for (const auto& [state, value] : outside) {
    Prepare(round, 1u);
    std::uint32_t previous = 0;
    ASSERT_TRUE(fast_.raster.GetRenderState(state, &previous));
    fast_.raster.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
    fast_.raster.SetRenderState(state, value);
    EXPECT_FALSE(FastSpanChosen(round)) << "state " << state;
    fast_.raster.SetRenderState(state, previous);
  }
}

// A triangle drawn in bands of rows (the set-up's first and last rows narrowed, as a caller
// sharing rows among threads does) comes out exactly as drawn whole: no pixel's colour or depth
// depends on the row the walk started at, fixed-point rows included.
TEST(FastSpanBandTest, RowsDrawnInBandsMatchTheWholeTriangle) {
  Random random{31u};
  std::vector<std::uint8_t> texels(64 * 32);
  std::vector<D3DCOLOR> palette(256);
  for (std::uint8_t& texel : texels) texel = static_cast<std::uint8_t>(random.Bits());
  for (D3DCOLOR& entry : palette) entry = random.Bits();
  Sampler sampler;
  sampler.Bind({texels.data(), 64, 64, 32, TextureFormat::Palette8, palette.data()},
               D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  PipelineState state;
  state.z_enable = true;
  state.dither = true;
  state.fog_enable = true;
  state.fog_table_mode = D3DFOG_LINEAR;
  state.fog_color = 0xFF4080C0u;
  state.fog_start = 0.2f;
  state.fog_end = 0.9f;
  Surface16 whole(kWidth, kHeight), banded(kWidth, kHeight);
  Surface32 whole_depth(kWidth, kHeight), banded_depth(kWidth, kHeight);
  const auto context_of = [&](Surface16& target, Surface32& depth) {
    const DepthBufferView view{depth.Origin(), depth.Pitch(), kWidth, kHeight,
                               DepthFormat::Depth32};
    return MakePixelContext(state, TargetOf(target), &view, &sampler);
  };
  const PixelContext whole_context = context_of(whole, whole_depth);
  const PixelContext banded_context = context_of(banded, banded_depth);
  // Triangles drawn by each copy of the kernels in turn.
  TriangleFunction copies[3];
  int copy = 0;
  for (const SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx, SimdLevel::Avx2}) {
    copies[copy] = SelectFastTriangle(whole_context, false, level);
    ASSERT_NE(copies[copy++], nullptr);
  }
  for (Surface16* target : {&whole, &banded}) target->Fill(kUntouched);
  for (Surface32* depth : {&whole_depth, &banded_depth}) depth->Fill(0xF0000000u);
  int drawn = 0;
  for (int t = 0; t < 300; ++t) {
    RasterVertex v[3];
    const float base = random.Uniform(20.0f, 230.0f);
    for (RasterVertex& vertex : v) {
      vertex.x = random.Uniform(-10.0f, kWidth + 10.0f);
      vertex.y = random.Uniform(-10.0f, kHeight + 10.0f);
      vertex.attr[kAttrZ] = random.Uniform(0.0f, 1.0f);
      vertex.attr[kAttrU] = random.Uniform(-3.0f, 3.0f);
      vertex.attr[kAttrV] = random.Uniform(-3.0f, 3.0f);
      for (int c = 0; c < 3; ++c) {  // smooth colours, as fixed-point rows need
        vertex.attr[kAttrRed + c] = base + random.Uniform(-20.0f, 20.0f);
        vertex.attr[kAttrSpecularRed + c] = random.Uniform(0.0f, 40.0f);
      }
    }
    TriangleSetup setup;
    if (!SetupTriangle(v[0], v[1], v[2], PixelRect{0, 0, kWidth, kHeight}, &setup)) continue;
    ++drawn;
    const TriangleFunction draw = copies[t % 3];
    draw(whole_context, setup);
    const std::int32_t band = 1 + static_cast<std::int32_t>(random.Bits() % 7);
    for (std::int32_t top = setup.first_row; top <= setup.last_row; top += band) {
      TriangleSetup part = setup;
      part.first_row = top;
      part.last_row = std::min(setup.last_row, top + band - 1);
      draw(banded_context, part);
    }
  }
  EXPECT_GT(drawn, 200);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      ASSERT_EQ(banded.At(x, y), whole.At(x, y)) << x << ", " << y;
      ASSERT_EQ(banded_depth.At(x, y), whole_depth.At(x, y)) << x << ", " << y;
    }
  }
}

// Rows whose texel positions go below 0 (which the general span holds at texel 0 rather than
// wrapping) or past 2^15 texels (more than 16.16 holds) keep float texture coordinates. Drawn
// directly, without the shift by whole repeats that keeps a draw call's positions small and
// positive, such triangles come out as the general span draws them, but for texel boundary
// picks.
TEST(FastSpanTextureTest, RowsOutsideTheFixedPointRangeSampleAsTheGeneralSpan) {
  Random random{77u};
  std::vector<std::uint8_t> texels(64 * 4);
  std::vector<D3DCOLOR> palette(256);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint8_t>(i);
  for (D3DCOLOR& entry : palette) entry = random.Bits();
  Sampler sampler;
  sampler.Bind({texels.data(), 64, 64, 4, TextureFormat::Palette8, palette.data()},
               D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  PipelineState state;
  Surface16 fast(kWidth, kHeight), general(kWidth, kHeight);
  const PixelContext fast_context = MakePixelContext(state, TargetOf(fast), nullptr, &sampler);
  const PixelContext general_context =
      MakePixelContext(state, TargetOf(general), nullptr, &sampler);
  const SpanFunction span = SelectSpanFunction(general_context, false);
  const SimdLevel levels[] = {SimdLevel::Sse2, SimdLevel::Avx, SimdLevel::Avx2};
  long covered = 0;
  long texel_picks = 0;
  for (int t = 0; t < 90; ++t) {
    // Texel positions across 0, across 2^15, or all below 0.
    const float ranges[3][2] = {{-0.7f, 0.7f}, {505.0f, 520.0f}, {-530.0f, -500.0f}};
    const float* range = ranges[t % 3];
    const float base = random.Uniform(40.0f, 200.0f);
    RasterVertex v[3];
    for (RasterVertex& vertex : v) {
      vertex.x = random.Uniform(-5.0f, kWidth + 5.0f);
      vertex.y = random.Uniform(-5.0f, kHeight + 5.0f);
      vertex.attr[kAttrU] = random.Uniform(range[0], range[1]);
      vertex.attr[kAttrV] = random.Uniform(range[0], range[1]);
      for (int c = 0; c < 3; ++c) {  // smooth colours, as fixed-point rows need
        vertex.attr[kAttrRed + c] = base + random.Uniform(-20.0f, 20.0f);
      }
    }
    TriangleSetup setup;
    if (!SetupTriangle(v[0], v[1], v[2], PixelRect{0, 0, kWidth, kHeight}, &setup)) continue;
    fast.Fill(kUntouched);
    general.Fill(kUntouched);
    SelectFastTriangle(fast_context, false, levels[t / 3 % 3])(fast_context, setup);
    for (std::int32_t y = setup.first_row; y <= setup.last_row; ++y) {
      std::int32_t first = 0;
      std::int32_t last = 0;
      if (CoveredSpan(setup, y, &first, &last)) span(general_context, setup, y, first, last);
    }
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (general.At(x, y) == kUntouched) continue;
        ++covered;
        if (ChannelSteps(fast.At(x, y), general.At(x, y)) > 1) ++texel_picks;
      }
    }
  }
  EXPECT_GT(covered, 20000);
  EXPECT_LE(static_cast<double>(texel_picks), 0.005 * static_cast<double>(covered));
}

// The fast span's 32-bit depth values, formed without double, equal ToDepthValue's on every
// float from 0 to 1 and on the values around and outside that range.
TEST(FastDepthTest, ThirtyTwoBitValuesEqualTheGeneralOnesOnEveryFloat) {
  constexpr std::int32_t kBatch = 1 << 16;
  std::vector<float> z(kBatch);
  std::vector<std::uint32_t> values(kBatch);
  const auto check = [&](std::int32_t count, SimdLevel level) {
    FastDepthValues32(z.data(), values.data(), count, level);
    for (std::int32_t i = 0; i < count; ++i) {
      if (values[i] != ToDepthValue(z[i], DepthFormat::Depth32)) {
        ADD_FAILURE() << "z " << z[i] << " gives " << values[i];
        return false;
      }
    }
    return true;
  };
  // Every float in [0, 1] (bit patterns 0 to 0x3F800000), with every copy of the kernels.
  std::int64_t checked = 0;
  for (std::uint32_t bits = 0; bits <= 0x3F800000u; bits += kBatch) {
    const std::uint32_t count = std::min<std::uint32_t>(kBatch, 0x3F800001u - bits);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t pattern = bits + i;
      std::memcpy(&z[i], &pattern, sizeof pattern);
    }
    const SimdLevel levels[] = {SimdLevel::Sse2, SimdLevel::Avx, SimdLevel::Avx2};
    const SimdLevel level = levels[(bits / kBatch) % 3];
    ASSERT_TRUE(check(static_cast<std::int32_t>(count), level));
    checked += count;
  }
  EXPECT_EQ(checked, 0x3F800001);
  // Negative, at least one, infinite and NaN, in a count that is not a multiple of four.
  const float outside[] = {-0.0f,
                           -1.0e-30f,
                           -0.5f,
                           1.0f,
                           std::nextafter(1.0f, 2.0f),
                           7.0f,
                           3.0e38f,
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::denorm_min()};
  const auto count = static_cast<std::int32_t>(std::size(outside));
  std::copy(std::begin(outside), std::end(outside), z.begin());
  for (const SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx, SimdLevel::Avx2}) {
    EXPECT_TRUE(check(count, level));
  }
}

// Every row's covered columns found by stepping equal those found by dividing, for triangles of
// every size and slope up to the set-up's coordinate bound.
TEST(RowWalkerTest, SteppedRowsMatchDividedRows) {
  Random random{99u};
  const PixelRect scissor{-3000, -3000, 3000, 3000};
  int rows = 0;
  for (int t = 0; t < 3000; ++t) {
    const float reach = random.Pick({1.5f, 40.0f, 2500.0f, 900000.0f});
    RasterVertex v[3];
    for (RasterVertex& vertex : v) {
      vertex.x = random.Uniform(-reach, reach);
      vertex.y = random.Uniform(-reach, reach);
    }
    TriangleSetup setup;
    if (!SetupTriangle(v[0], v[1], v[2], scissor, &setup)) continue;
    RowWalker walker(setup);
    for (std::int32_t y = setup.first_row; y <= setup.last_row; ++y, walker.Next()) {
      std::int32_t first = 0, last = 0, walked_first = 0, walked_last = 0;
      const bool divided = CoveredSpan(setup, y, &first, &last);
      ASSERT_EQ(walker.Span(&walked_first, &walked_last), divided) << "row " << y;
      if (!divided) continue;
      ASSERT_EQ(walked_first, first) << "row " << y;
      ASSERT_EQ(walked_last, last) << "row " << y;
      ++rows;
    }
  }
  EXPECT_GT(rows, 10000);
}

// Clears of values whose bytes are all equal (memset) and of others (a row copied) fill exactly
// the rectangle.
TEST(ClearTest, UniformAndMixedValuesFillExactlyTheRectangle) {
  Surface16 target(9, 7);
  Surface32 depth(9, 7);
  Rasterizer raster;
  raster.SetRenderTarget(TargetOf(target));
  raster.SetDepthBuffer({depth.Origin(), depth.Pitch(), 9, 7, DepthFormat::Depth32});
  const D3DRECT rect{2, 1, 7, 5};
  for (const D3DCOLOR color : {0xFF000000u, 0xFFFFFFFFu, 0xFFDFDFEFu}) {
    for (const float z : {1.0f, 0.25f}) {
      target.Fill(0x1234);
      depth.Fill(0x12345678u);
      ASSERT_EQ(raster.Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, z),
                DrawResult::Ok);
      const std::uint16_t packed =
          PackRgb565(RGBA_GETRED(color), RGBA_GETGREEN(color), RGBA_GETBLUE(color));
      for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
          const bool inside = x >= 2 && x < 7 && y >= 1 && y < 5;
          EXPECT_EQ(target.At(x, y), inside ? packed : 0x1234) << x << ", " << y;
          EXPECT_EQ(depth.At(x, y), inside ? ToDepthValue(z, DepthFormat::Depth32) : 0x12345678u)
              << x << ", " << y;
        }
      }
      EXPECT_TRUE(target.BorderUntouched() && depth.BorderUntouched());
    }
  }
}

}  // namespace
}  // namespace platform::raster::testing

namespace platform::raster::testing {
namespace {

// Vertices shared among triangles and converted once per draw call draw exactly as unshared
// copies would, whatever order the triangles take and whichever vertices a later call brings
// under the same indices.
TEST(VertexReuseTest, SharedVerticesDrawAsTheirCopies) {
  constexpr int kColumns = 31;  // more vertices than the conversion cache holds
  constexpr int kRows = 21;
  Surface16 shared_target(kWidth, kHeight);
  Surface16 copied_target(kWidth, kHeight);
  Rasterizer shared;
  Rasterizer copied;
  shared.SetRenderTarget(TargetOf(shared_target));
  copied.SetRenderTarget(TargetOf(copied_target));
  for (Rasterizer* raster : {&shared, &copied}) {
    raster->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    raster->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
  }
  Random random{5u};
  std::vector<std::uint16_t> indices;
  for (int j = 0; j + 1 < kRows; ++j) {
    for (int i = 0; i + 1 < kColumns; ++i) {
      const auto at = [&](int di, int dj) {
        return static_cast<std::uint16_t>((j + dj) * kColumns + i + di);
      };
      for (const std::uint16_t index :
           {at(0, 0), at(1, 0), at(1, 1), at(0, 0), at(1, 1), at(0, 1)}) {
        indices.push_back(index);
      }
    }
  }
  // Triangles in a scrambled order, so indices far apart share cache slots in turn.
  for (std::size_t t = indices.size() / 3; t > 1; --t) {
    const std::size_t other = random.Bits() % t;
    for (int k = 0; k < 3; ++k) std::swap(indices[(t - 1) * 3 + k], indices[other * 3 + k]);
  }
  for (int call = 0; call < 3; ++call) {
    std::vector<D3DTLVERTEX> vertices;
    for (int j = 0; j < kRows; ++j) {
      for (int i = 0; i < kColumns; ++i) {
        vertices.push_back(Vertex(i * 2.1f, j * 2.3f, random.Bits(), random.Uniform(0.0f, 1.0f)));
      }
    }
    std::vector<D3DTLVERTEX> copies;
    for (const std::uint16_t index : indices) copies.push_back(vertices[index]);
    ASSERT_EQ(shared.DrawIndexedPrimitive(
                  D3DPT_TRIANGLELIST, vertices.data(), static_cast<std::uint32_t>(vertices.size()),
                  indices.data(), static_cast<std::uint32_t>(indices.size()), 0),
              DrawResult::Ok);
    ASSERT_EQ(DrawList(copied, copies), DrawResult::Ok);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(shared_target.At(x, y), copied_target.At(x, y))
            << "call " << call << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace platform::raster::testing
