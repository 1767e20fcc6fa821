// Depth buffering: the compare functions, z write, the three buffer formats and clearing.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "tests/platform/raster/RasterTestKit.h"

namespace platform::raster::testing {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000u;
constexpr D3DCOLOR kGreen = 0xFF00FF00u;
constexpr D3DCOLOR kBlue = 0xFF0000FFu;

// A quad over the whole 16 x 16 target at one depth.
std::vector<D3DTLVERTEX> Quad(float z, D3DCOLOR color) {
  return {Vertex(-1, -1, color, z), Vertex(17, -1, color, z), Vertex(-1, 17, color, z),
          Vertex(17, -1, color, z), Vertex(17, 17, color, z), Vertex(-1, 17, color, z)};
}

class DepthTest : public ::testing::Test {
 protected:
  DepthTest() : target_(16, 16), depth_(16, 16) {
    raster_.SetRenderTarget(TargetOf(target_));
    raster_.SetDepthBuffer({depth_.Origin(), depth_.Pitch(), 16, 16, DepthFormat::Depth32});
    raster_.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    const D3DRECT all{0, 0, 16, 16};
    raster_.Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
  }
  D3DCOLOR Centre() const { return target_.At(8, 8) & 0xFFFFFFu; }

  Surface32 target_;
  Surface32 depth_;
  Rasterizer raster_;
};

TEST_F(DepthTest, LessOrEqualKeepsTheNearestAndLetsEqualDepthThrough) {
  DrawList(raster_, Quad(0.6f, kRed));
  DrawList(raster_, Quad(0.3f, kGreen));
  EXPECT_EQ(Centre(), 0x00FF00u);
  DrawList(raster_, Quad(0.6f, kBlue));  // behind: hidden
  EXPECT_EQ(Centre(), 0x00FF00u);
  DrawList(raster_, Quad(0.3f, kBlue));  // equal: drawn under LESSEQUAL
  EXPECT_EQ(Centre(), 0x0000FFu);
}

TEST_F(DepthTest, CompareFunctionsFollowTheirNames) {
  struct Case {
    D3DCMPFUNC func;
    bool nearer, equal, farther;
  };
  const Case cases[] = {
      {D3DCMP_NEVER, false, false, false},      {D3DCMP_LESS, true, false, false},
      {D3DCMP_EQUAL, false, true, false},       {D3DCMP_LESSEQUAL, true, true, false},
      {D3DCMP_GREATER, false, false, true},     {D3DCMP_NOTEQUAL, true, false, true},
      {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true},
  };
  for (const Case& c : cases) {
    const float depths[3] = {0.25f, 0.5f, 0.75f};
    const bool expected[3] = {c.nearer, c.equal, c.farther};
    for (int i = 0; i < 3; ++i) {
      raster_.SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
      DrawList(raster_, Quad(0.5f, kRed));
      raster_.SetRenderState(D3DRENDERSTATE_ZFUNC, c.func);
      DrawList(raster_, Quad(depths[i], kGreen));
      EXPECT_EQ(Centre() == 0x00FF00u, expected[i]) << "func " << c.func << " depth " << depths[i];
    }
  }
}

TEST_F(DepthTest, ZWriteOffTestsButLeavesTheBuffer) {
  raster_.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 0);
  DrawList(raster_, Quad(0.3f, kGreen));
  EXPECT_EQ(Centre(), 0x00FF00u);
  EXPECT_EQ(depth_.At(8, 8), 0xFFFFFFFFu);
  raster_.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 1);
  DrawList(raster_, Quad(0.6f, kRed));  // nothing nearer was recorded
  EXPECT_EQ(Centre(), 0xFF0000u);
}

TEST_F(DepthTest, ZDisabledDrawsEverythingAndLeavesTheBuffer) {
  DrawList(raster_, Quad(0.3f, kGreen));
  raster_.SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
  const std::uint32_t stored = depth_.At(8, 8);
  DrawList(raster_, Quad(0.9f, kRed));
  EXPECT_EQ(Centre(), 0xFF0000u);
  EXPECT_EQ(depth_.At(8, 8), stored);
}

TEST_F(DepthTest, InterpenetratingTrianglesMeetAtTheirIntersection) {
  DrawList(raster_, Quad(0.5f, kRed));
  // Depth runs from 0.1 at x = -1 to 0.9 at x = 17: it crosses 0.5 at x = 8.
  DrawList(raster_, {Vertex(-1, -1, kGreen, 0.1f), Vertex(17, -1, kGreen, 0.9f),
                     Vertex(-1, 17, kGreen, 0.1f), Vertex(17, -1, kGreen, 0.9f),
                     Vertex(17, 17, kGreen, 0.9f), Vertex(-1, 17, kGreen, 0.1f)});
  for (int y = 0; y < 16; ++y) {
    EXPECT_EQ(target_.At(7, y) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(target_.At(9, y) & 0xFFFFFFu, 0xFF0000u);
  }
}

TEST(DepthFormatTest, EachFormatStoresDepthOnItsOwnScale) {
  EXPECT_EQ(ToDepthValue(0.25f, DepthFormat::Depth16), 16383u);
  EXPECT_EQ(ToDepthValue(0.25f, DepthFormat::Depth24), 4194303u);
  EXPECT_EQ(ToDepthValue(0.25f, DepthFormat::Depth32), 1073741823u);
  EXPECT_EQ(ToDepthValue(1.0f, DepthFormat::Depth16), 0xFFFFu);
  EXPECT_EQ(ToDepthValue(7.0f, DepthFormat::Depth24), 0xFFFFFFu);  // beyond far: clamped
  EXPECT_EQ(ToDepthValue(-1.0f, DepthFormat::Depth32), 0u);
  EXPECT_EQ(ToDepthValue(std::nanf(""), DepthFormat::Depth16), 0xFFFFu);
}

TEST(DepthFormatTest, SixteenAndTwentyFourBitBuffersTestAndWrite) {
  Surface32 target(8, 8);
  Surface16 depth16(8, 8);
  Surface32 depth24(8, 8);
  depth24.Fill(0xAB000000u);  // the top byte of a 24-bit cell is not the rasteriser's
  const DepthBufferView views[2] = {
      {depth16.Origin(), depth16.Pitch(), 8, 8, DepthFormat::Depth16},
      {depth24.Origin(), depth24.Pitch(), 8, 8, DepthFormat::Depth24}};
  for (const DepthBufferView& view : views) {
    Rasterizer raster;
    raster.SetRenderTarget(TargetOf(target));
    raster.SetDepthBuffer(view);
    raster.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    const D3DRECT all{0, 0, 8, 8};
    raster.Clear(1, &all, D3DCLEAR_ZBUFFER, 0, 1.0f);
    EXPECT_EQ(ReadDepth(view, 3, 3), MaxDepthValue(view.format));
    DrawList(raster, {Vertex(-1, -1, kGreen, 0.25f), Vertex(9, -1, kGreen, 0.25f),
                      Vertex(-1, 9, kGreen, 0.25f)});
    EXPECT_EQ(ReadDepth(view, 1, 1), ToDepthValue(0.25f, view.format));
    DrawList(raster,
             {Vertex(-1, -1, kRed, 0.5f), Vertex(9, -1, kRed, 0.5f), Vertex(-1, 9, kRed, 0.5f)});
    EXPECT_EQ(target.At(1, 1) & 0xFFFFFFu, 0x00FF00u);
  }
  EXPECT_EQ(depth24.At(1, 1) >> 24, 0xABu);
  EXPECT_TRUE(depth16.BorderUntouched());
  EXPECT_TRUE(depth24.BorderUntouched());
}

TEST(DepthFormatTest, ShortPitchIsRefusedWithAMessage) {
  std::vector<std::uint32_t> cells(64);
  Rasterizer raster;
  try {
    raster.SetDepthBuffer({cells.data(), 16, 8, 8, DepthFormat::Depth32});
    FAIL() << "a 16-byte pitch for 8 32-bit cells was accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("pitch"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace platform::raster::testing
