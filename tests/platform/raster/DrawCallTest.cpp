// The draw call and its pipeline stages, checked on single pixels: refusals, clearing, culling,
// shading, texture blending, specular, fog, alpha and dither.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "tests/platform/raster/RasterTestKit.h"

namespace platform::raster::testing {
namespace {

// A 16 x 16 target covered by two clockwise triangles.
std::vector<D3DTLVERTEX> Cover(D3DCOLOR color, D3DCOLOR specular = 0xFF000000u, float z = 0.5f) {
  return {Vertex(-1, -1, color, z, 0, 0, 1, specular), Vertex(17, -1, color, z, 1, 0, 1, specular),
          Vertex(-1, 17, color, z, 0, 1, 1, specular), Vertex(17, -1, color, z, 1, 0, 1, specular),
          Vertex(17, 17, color, z, 1, 1, 1, specular), Vertex(-1, 17, color, z, 0, 1, 1, specular)};
}

class DrawCallTest : public ::testing::Test {
 protected:
  DrawCallTest() : target_(16, 16) { raster_.SetRenderTarget(TargetOf(target_)); }
  D3DCOLOR Pixel(int x = 8, int y = 8) const { return target_.At(x, y) & 0xFFFFFFu; }
  void BindTexture(const std::uint32_t* texels, TextureFormat format, int width = 2) {
    raster_.SetTexture({texels, width * 4, width, 1, format});
  }

  Surface32 target_;
  Rasterizer raster_;
};

TEST_F(DrawCallTest, RefusesCallsItCannotDrawAndDrawsNothing) {
  Rasterizer without_target;
  const std::vector<D3DTLVERTEX> v = Cover(0xFFFFFFFFu);
  const std::uint16_t indices[6] = {0, 1, 2, 3, 4, 6};
  EXPECT_EQ(without_target.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, v.data(), 6, indices, 3, 0),
            DrawResult::NoTarget);
  EXPECT_EQ(raster_.DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, v.data(), 6, indices, 3, 0),
            DrawResult::InvalidParams);
  EXPECT_EQ(raster_.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, v.data(), 6, indices, 6, 0),
            DrawResult::InvalidParams);  // index 6 is past the six vertices
  EXPECT_EQ(raster_.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, v.data(), 6, indices, 4, 0),
            DrawResult::InvalidParams);
  EXPECT_EQ(raster_.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, nullptr, 6, indices, 3, 0),
            DrawResult::InvalidParams);
  EXPECT_EQ(raster_.Stats().triangles, 0u);
  EXPECT_EQ(Pixel(), 0u);
  EXPECT_EQ(raster_.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, v.data(), 6, indices, 0, 0),
            DrawResult::Ok);
}

TEST_F(DrawCallTest, RefusesTargetsThatWouldBeWrittenOutOfBounds) {
  std::vector<std::uint16_t> pixels(64);
  EXPECT_THROW(raster_.SetRenderTarget({pixels.data(), 8, 8, 8, TargetFormat::Rgb565}),
               std::invalid_argument);
  EXPECT_THROW(raster_.SetRenderTarget({nullptr, 16, 8, 8, TargetFormat::Rgb565}),
               std::invalid_argument);
  EXPECT_THROW(raster_.SetRenderTarget({pixels.data(), 16, 8, -1, TargetFormat::Rgb565}),
               std::invalid_argument);
}

TEST_F(DrawCallTest, ClearFillsRectanglesWithinViewportAndTarget) {
  raster_.SetViewport({2, 2, 14, 14});
  const D3DRECT rects[2] = {{-5, -5, 4, 4}, {12, 12, 40, 40}};
  EXPECT_EQ(raster_.Clear(2, rects, D3DCLEAR_TARGET, 0xFF123456u), DrawResult::Ok);
  EXPECT_EQ(Pixel(1, 1), 0u);
  EXPECT_EQ(Pixel(2, 2), 0x123456u);
  EXPECT_EQ(Pixel(3, 3), 0x123456u);
  EXPECT_EQ(Pixel(4, 4), 0u);
  EXPECT_EQ(Pixel(13, 13), 0x123456u);
  EXPECT_EQ(Pixel(14, 14), 0u);
  EXPECT_TRUE(target_.BorderUntouched());

  Surface16 target16(4, 4);
  raster_.SetRenderTarget(TargetOf(target16));
  raster_.ResetViewport();
  const D3DRECT all{0, 0, 4, 4};
  raster_.Clear(1, &all, D3DCLEAR_TARGET, 0xFFFF8040u);
  EXPECT_EQ(target16.At(3, 3), PackRgb565(0xFF, 0x80, 0x40));
}

TEST_F(DrawCallTest, CullModesRemoveTrianglesByScreenWinding) {
  // On screen with y down, (0,0) -> (15,0) -> (0,15) runs clockwise.
  const std::vector<D3DTLVERTEX> clockwise = {Vertex(0, 0), Vertex(15, 0), Vertex(0, 15)};
  const std::vector<D3DTLVERTEX> counter = {Vertex(0, 0), Vertex(0, 15), Vertex(15, 0)};
  struct Case {
    D3DCULL mode;
    bool keeps_clockwise, keeps_counter;
  };
  for (const Case c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true},
                       Case{D3DCULL_NONE, true, true}}) {
    raster_.SetRenderState(D3DRENDERSTATE_CULLMODE, c.mode);
    target_.Fill(0);
    DrawList(raster_, clockwise);
    EXPECT_EQ(Pixel(2, 2) != 0, c.keeps_clockwise) << "mode " << c.mode;
    target_.Fill(0);
    DrawList(raster_, counter);
    EXPECT_EQ(Pixel(2, 2) != 0, c.keeps_counter) << "mode " << c.mode;
  }
  EXPECT_EQ(raster_.Stats().culled, 2u);
}

TEST_F(DrawCallTest, FlatShadingTakesTheFirstVertexColours) {
  raster_.SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
  DrawList(raster_,
           {Vertex(-1, -1, 0xFFFF0000u), Vertex(17, -1, 0xFF00FF00u), Vertex(-1, 17, 0xFF0000FFu)});
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(Pixel(7, 7), 0xFF0000u);
  raster_.SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  DrawList(raster_,
           {Vertex(-1, -1, 0xFFFF0000u), Vertex(17, -1, 0xFF00FF00u), Vertex(-1, 17, 0xFF0000FFu)});
  EXPECT_NE(Pixel(7, 7), 0xFF0000u);
}

TEST_F(DrawCallTest, GouraudInterpolatesLinearlyBetweenVertices) {
  // Red rises from 0 at x = -1 to 180 at x = 17: 10 per pixel.
  DrawList(raster_,
           {Vertex(-1, -1, 0xFF000000u), Vertex(17, -1, 0xFFB40000u), Vertex(-1, 17, 0xFF000000u),
            Vertex(17, -1, 0xFFB40000u), Vertex(17, 17, 0xFFB40000u), Vertex(-1, 17, 0xFF000000u)});
  for (int x = 0; x < 16; ++x) EXPECT_EQ(Pixel(x, 5) >> 16, 10u * (x + 1)) << "x " << x;
}

TEST_F(DrawCallTest, ModulateMultipliesTextureAndDiffuse) {
  const std::uint32_t texels[2] = {0xFF80FF40u, 0xFF80FF40u};
  BindTexture(texels, TextureFormat::Argb8888);
  DrawList(raster_, Cover(0xFFFF8000u));
  EXPECT_EQ(Pixel(), (0x80u << 16) | (0x80u << 8) | 0x00u);
}

TEST_F(DrawCallTest, ModulateKeepsDiffuseAlphaForTexturesWithoutAlpha) {
  raster_.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
  raster_.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
  raster_.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
  const std::uint16_t white565[2] = {0xFFFFu, 0xFFFFu};
  raster_.SetTexture({white565, 4, 2, 1, TextureFormat::Rgb565});
  DrawList(raster_, Cover(0x00FFFFFFu));  // diffuse alpha 0: invisible
  EXPECT_EQ(Pixel(), 0u);
  const std::uint32_t opaque[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
  BindTexture(opaque, TextureFormat::Argb8888);
  DrawList(raster_, Cover(0x00FFFFFFu));  // the texture's own alpha 255 wins
  EXPECT_EQ(Pixel(), 0xFFFFFFu);
  const std::uint32_t half[2] = {0x80FF0000u, 0x80FF0000u};
  BindTexture(half, TextureFormat::Argb8888);
  DrawList(raster_, Cover(0x00FFFFFFu));
  EXPECT_NEAR(static_cast<int>(Pixel() >> 16), 255, 1);
  EXPECT_NEAR(static_cast<int>(Pixel() & 0xFFu), 127, 1);
}

TEST_F(DrawCallTest, AlphaTestDropsPixelsThatFailTheReference) {
  raster_.SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, 1);
  raster_.SetRenderState(D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER);
  raster_.SetRenderState(D3DRENDERSTATE_ALPHAREF, 128);
  DrawList(raster_, Cover(0x64FFFFFFu));
  EXPECT_EQ(Pixel(), 0u);
  DrawList(raster_, Cover(0xC8FFFFFFu));
  EXPECT_EQ(Pixel(), 0xFFFFFFu);
}

TEST_F(DrawCallTest, SpecularIsAddedAfterTheTextureAndOnlyWhenEnabled) {
  const std::uint32_t texels[2] = {0xFF404040u, 0xFF404040u};
  BindTexture(texels, TextureFormat::Argb8888);
  DrawList(raster_, Cover(0xFF808080u, 0xFF303030u));
  // 0x40 * 0x80 / 255 = 32, then + 0x30 = 80.
  EXPECT_NEAR(static_cast<int>(Pixel() & 0xFFu), 80, 1);
  raster_.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 0);
  DrawList(raster_, Cover(0xFF808080u, 0xFF303030u));
  EXPECT_NEAR(static_cast<int>(Pixel() & 0xFFu), 32, 1);
  raster_.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1);
  DrawList(raster_, Cover(0xFFFFFFFFu, 0xFFFFFFFFu));  // saturates, never wraps
  EXPECT_EQ(Pixel() & 0xFFu, 0x40u + 0xBFu);
}

TEST_F(DrawCallTest, LinearTableFogBlendsByScreenDepth) {
  raster_.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
  raster_.SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFF0000FFu);
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLESTART, RenderStateBlock::FloatBits(0.2f));
  raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEEND, RenderStateBlock::FloatBits(0.4f));
  const struct {
    float z;
    int red;
  } cases[] = {{0.1f, 255}, {0.2f, 255}, {0.3f, 128}, {0.35f, 64}, {0.4f, 0}, {0.9f, 0}};
  for (const auto& c : cases) {
    // Vertex fog says "all fog" here; with table fog on it must be ignored.
    DrawList(raster_, Cover(0xFFFF0000u, 0x00000000u, c.z));
    EXPECT_NEAR(static_cast<int>(Pixel() >> 16), c.red, 1) << "z " << c.z;
    EXPECT_NEAR(static_cast<int>(Pixel() & 0xFFu), 255 - c.red, 1) << "z " << c.z;
  }
}

TEST_F(DrawCallTest, VertexFogComesFromSpecularAlphaWhenTableFogIsOff) {
  raster_.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
  raster_.SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFF0000FFu);
  DrawList(raster_, Cover(0xFFFF0000u, 0xFF000000u));
  EXPECT_EQ(Pixel(), 0xFF0000u);
  DrawList(raster_, Cover(0xFFFF0000u, 0x40000000u));  // f = 64 / 255
  EXPECT_NEAR(static_cast<int>(Pixel() >> 16), 64, 1);
  EXPECT_NEAR(static_cast<int>(Pixel() & 0xFFu), 191, 1);
  raster_.SetRenderState(D3DRENDERSTATE_FOGENABLE, 0);
  DrawList(raster_, Cover(0xFFFF0000u, 0x00000000u));
  EXPECT_EQ(Pixel(), 0xFF0000u);
}

TEST_F(DrawCallTest, PerspectiveFallsBackToAffineForUnusableRhw) {
  const std::uint32_t texels[2] = {0xFFFF0000u, 0xFF00FF00u};
  BindTexture(texels, TextureFormat::Argb8888);
  raster_.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  std::vector<D3DTLVERTEX> v = Cover(0xFFFFFFFFu);
  for (D3DTLVERTEX& vertex : v) vertex.rhw = 0.0f;
  DrawList(raster_, v);
  EXPECT_EQ(Pixel(2, 8), 0xFF0000u);  // u below 0.5: texel 0
  EXPECT_EQ(Pixel(14, 8), 0x00FF00u);
}

TEST(DitherTest, OrderedDitherAveragesToTheTrueColourOverEachBlock) {
  Surface16 target(16, 16);
  Rasterizer raster;
  raster.SetRenderTarget(TargetOf(target));
  for (const std::uint32_t level : {20u, 100u, 101u, 150u, 203u}) {
    const D3DCOLOR color = RGB_MAKE(level, level, 0);
    raster.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    DrawList(raster, Cover(color));
    double red = 0, green = 0;
    for (int y = 4; y < 8; ++y) {
      for (int x = 4; x < 8; ++x) {
        red += (target.At(x, y) >> 11) * 8.0 / 16.0;
        green += ((target.At(x, y) >> 5) & 0x3F) * 4.0 / 16.0;
      }
    }
    EXPECT_NEAR(red, level, 0.5) << "level " << level;
    EXPECT_NEAR(green, level, 0.5) << "level " << level;
    raster.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);
    DrawList(raster, Cover(color));
    EXPECT_EQ(target.At(5, 5), PackRgb565(level, level, 0));
    EXPECT_EQ(target.At(6, 7), PackRgb565(level, level, 0));
  }
}

}  // namespace
}  // namespace platform::raster::testing
