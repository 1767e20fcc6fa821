// Whole pictures compared with stored references in golden/ (see tests/support/Golden.h; run
// with KOR_UPDATE_GOLDEN=1 to rewrite them). Each picture is named for what it checks.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/platform/raster/RasterTestKit.h"

namespace platform::raster::testing {
namespace {

constexpr int kSize = 96;
constexpr int kTolerance = 3;

// An 8 x 8 palettised checkerboard of four colours, as the program's textures are.
class CheckerTexture {
 public:
  CheckerTexture() {
    palette_[1] = 0xFFE0C020u;  // gold
    palette_[2] = 0xFF2040A0u;  // blue
    palette_[3] = 0xFFF0F0F0u;  // white
    palette_[4] = 0xFF202020u;  // near black
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool odd = ((x / 2) + (y / 2)) % 2 != 0;
        indices_[y * 8 + x] = static_cast<std::uint8_t>(y < 4 ? (odd ? 1 : 2) : (odd ? 3 : 4));
      }
    }
  }
  TextureView View() const {
    return {indices_.data(), 8, 8, 8, TextureFormat::Palette8, palette_.data()};
  }

 private:
  std::array<std::uint8_t, 64> indices_{};
  std::array<D3DCOLOR, 256> palette_{};
};

class GoldenPicturesTest : public ::testing::Test {
 protected:
  GoldenPicturesTest() : target_(kSize, kSize) {
    raster_.SetRenderTarget(TargetOf(target_));
    const D3DRECT all{0, 0, kSize, kSize};
    raster_.Clear(1, &all, D3DCLEAR_TARGET, 0xFF303030u);
  }

  void Check(const std::string& name) {
    EXPECT_TRUE(testsupport::MatchesGolden(name, PictureOf(target_), kTolerance));
    EXPECT_TRUE(target_.BorderUntouched());
  }

  // A floor-like quad: near edge wide at the bottom (rhw 1), far edge narrow at the top
  // (rhw 0.25); the texture repeats four times across and down.
  std::vector<D3DTLVERTEX> FloorQuad() const {
    const D3DCOLOR white = 0xFFFFFFFFu;
    const D3DTLVERTEX bl = Vertex(4, 92, white, 0.2f, 0, 4, 1.0f);
    const D3DTLVERTEX br = Vertex(92, 92, white, 0.2f, 4, 4, 1.0f);
    const D3DTLVERTEX tr = Vertex(66, 12, white, 0.8f, 4, 0, 0.25f);
    const D3DTLVERTEX tl = Vertex(30, 12, white, 0.8f, 0, 0, 0.25f);
    return {tl, tr, br, tl, br, bl};
  }

  Surface32 target_;
  Rasterizer raster_;
  CheckerTexture checker_;
};

TEST_F(GoldenPicturesTest, GouraudTriangle) {
  DrawList(raster_,
           {Vertex(48, 6, 0xFFFF0000u), Vertex(90, 88, 0xFF00FF00u), Vertex(6, 80, 0xFF0000FFu)});
  Check("01_gouraud_triangle_red_green_blue_corners");
}

TEST_F(GoldenPicturesTest, TexturedQuadAffine) {
  raster_.SetTexture(checker_.View());
  DrawList(raster_, FloorQuad());
  Check("02_textured_quad_affine_bends_along_the_diagonal");
}

TEST_F(GoldenPicturesTest, TexturedQuadPerspectiveCorrect) {
  raster_.SetTexture(checker_.View());
  raster_.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  DrawList(raster_, FloorQuad());
  Check("03_textured_quad_perspective_rows_shrink_with_distance");
}

TEST_F(GoldenPicturesTest, LinearTableFogRamp) {
  // Depth runs from 0 at the left to 0.6 at the right; fog from 0.2 to 0.4 as the program sets.
  raster_.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
  raster_.SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFFDFDFEFu);
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLESTART, 0x3E4CCCCDu);
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEEND, 0x3ECCCCCDu);
  const D3DCOLOR red = 0xFFC02020u;
  DrawList(raster_,
           {Vertex(0, 10, red, 0.0f), Vertex(96, 10, red, 0.6f), Vertex(0, 86, red, 0.0f),
            Vertex(96, 10, red, 0.6f), Vertex(96, 86, red, 0.6f), Vertex(0, 86, red, 0.0f)});
  Check("04_table_fog_ramp_clear_then_ramp_then_fog_colour");
}

TEST_F(GoldenPicturesTest, CullingKeepsClockwiseTriangles) {
  // Left (red) runs clockwise on screen, right (blue) counter-clockwise: CCW culling drops it.
  raster_.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  DrawList(raster_,
           {Vertex(6, 10, 0xFFE02020u), Vertex(44, 48, 0xFFE02020u), Vertex(6, 86, 0xFFE02020u),
            Vertex(90, 10, 0xFF2020E0u), Vertex(52, 48, 0xFF2020E0u), Vertex(90, 86, 0xFF2020E0u)});
  Check("05_cull_ccw_keeps_the_clockwise_red_triangle_only");
}

TEST_F(GoldenPicturesTest, SpecularAddedAfterTexture) {
  // Grey diffuse darkens the checker; specular rising to the right brightens even the dark
  // texels, which a specular applied before the texture could not do.
  raster_.SetTexture(checker_.View());
  const D3DCOLOR grey = 0xFF808080u;
  const D3DCOLOR none = 0xFF000000u, bright = 0xFFA0A0A0u;
  // Corners off the pixel grid so that no texel border passes exactly through a pixel centre.
  const float lo = 4.2f, hi = 91.3f;
  DrawList(
      raster_,
      {Vertex(lo, lo, grey, 0.5f, 0, 0, 1, none), Vertex(hi, lo, grey, 0.5f, 2, 0, 1, bright),
       Vertex(lo, hi, grey, 0.5f, 0, 2, 1, none), Vertex(hi, lo, grey, 0.5f, 2, 0, 1, bright),
       Vertex(hi, hi, grey, 0.5f, 2, 2, 1, bright), Vertex(lo, hi, grey, 0.5f, 0, 2, 1, none)});
  Check("06_specular_added_after_texture_brightens_dark_texels");
}

TEST(GoldenDitherTest, DitherSmoothsA565Gradient) {
  // Top half dithered, bottom half not: the top shows a fine pattern instead of 5-bit bands.
  Surface16 target(kSize, kSize);
  Rasterizer raster;
  raster.SetRenderTarget(TargetOf(target));
  const D3DCOLOR dark = 0xFF100818u, light = 0xFF5030A0u;
  const auto band = [&](float top, float bottom) {
    DrawList(raster, {Vertex(0, top, dark), Vertex(96, top, light), Vertex(0, bottom, dark),
                      Vertex(96, top, light), Vertex(96, bottom, light), Vertex(0, bottom, dark)});
  };
  raster.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
  band(0, 48);
  raster.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);
  band(48, 96);
  EXPECT_TRUE(testsupport::MatchesGolden("07_dither_565_gradient_top_dithered_bottom_banded",
                                         PictureOf(target), kTolerance));
}

TEST(GoldenDepthTest, ZBufferedInterpenetration) {
  // Two triangles pierce each other; the z-buffer must cut them along their intersection.
  Surface16 target(kSize, kSize);
  Surface16 depth(kSize, kSize);
  Rasterizer raster;
  raster.SetRenderTarget(TargetOf(target));
  raster.SetDepthBuffer({depth.Origin(), depth.Pitch(), kSize, kSize, DepthFormat::Depth16});
  raster.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  const D3DRECT all{0, 0, kSize, kSize};
  raster.Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f);
  DrawList(raster, {Vertex(8, 8, 0xFFE0A020u, 0.2f), Vertex(88, 20, 0xFFE0A020u, 0.8f),
                    Vertex(30, 90, 0xFFE0A020u, 0.5f), Vertex(10, 60, 0xFF20A0E0u, 0.9f),
                    Vertex(90, 80, 0xFF20A0E0u, 0.1f), Vertex(60, 4, 0xFF20A0E0u, 0.4f)});
  EXPECT_TRUE(testsupport::MatchesGolden("08_z_buffer_cuts_two_piercing_triangles",
                                         PictureOf(target), kTolerance));
}

}  // namespace
}  // namespace platform::raster::testing
