// The render-state block: DirectX 5 numbering, defaults, parsing and refusals.

#include <gtest/gtest.h>

#include "platform/d3d/raster/RenderStates.h"

namespace platform::raster {
namespace {

TEST(D3DTypesTest, KeepTheDirectXLayoutAndNumbers) {
  EXPECT_EQ(sizeof(D3DTLVERTEX), 32u);
  EXPECT_EQ(offsetof(D3DTLVERTEX, color), 16u);
  EXPECT_EQ(offsetof(D3DTLVERTEX, tv), 28u);
  EXPECT_EQ(D3DRENDERSTATE_ZENABLE, 7u);
  EXPECT_EQ(D3DRENDERSTATE_FOGTABLEDENSITY, 38u);
  EXPECT_EQ(D3DRENDERSTATE_ALPHABLENDENABLE, 27u);
  EXPECT_EQ(D3DDP_WAIT | D3DDP_DONOTCLIP, 5u);
  EXPECT_EQ(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 3u);
}

TEST(D3DTypesTest, ColourHelpersPackArgb) {
  EXPECT_EQ(RGBA_MAKE(0x12, 0x34, 0x56, 0x78), 0x78123456u);
  EXPECT_EQ(RGB_MAKE(1, 2, 3), 0xFF010203u);
  EXPECT_EQ(D3DRGB(1.0f, 0.5f, 0.0f), 0xFFFF7F00u);
  EXPECT_EQ(D3DRGBA(2.0f, -1.0f, 0.0f, 0.0f), 0x00FF0000u);  // clamped, no spill
  EXPECT_EQ(RGBA_GETALPHA(0x80FF2010u), 0x80u);
  EXPECT_EQ(RGBA_GETRED(0x80FF2010u), 0xFFu);
  EXPECT_EQ(RGBA_GETGREEN(0x80FF2010u), 0x20u);
  EXPECT_EQ(RGBA_GETBLUE(0x80FF2010u), 0x10u);
}

TEST(RenderStatesTest, DefaultsAreThoseOfTheDevice) {
  const RenderStateBlock block;
  const PipelineState& p = block.Pipeline();
  EXPECT_FALSE(p.z_enable);
  EXPECT_TRUE(p.z_write);
  EXPECT_EQ(p.z_func, D3DCMP_LESSEQUAL);
  EXPECT_EQ(p.cull_mode, D3DCULL_CCW);
  EXPECT_EQ(p.shade_mode, D3DSHADE_GOURAUD);
  EXPECT_EQ(p.texture_blend, D3DTBLEND_MODULATE);
  EXPECT_EQ(p.address_u, D3DTADDRESS_WRAP);
  EXPECT_FALSE(p.fog_enable);
  EXPECT_FALSE(p.alpha_blend);
  std::uint32_t value = 0;
  ASSERT_TRUE(block.Get(D3DRENDERSTATE_FOGTABLEEND, &value));
  EXPECT_EQ(value, 0x3F800000u);  // 1.0f
}

TEST(RenderStatesTest, ProgramStatesAreStoredAndParsed) {
  RenderStateBlock block;
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_ZENABLE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_ZWRITEENABLE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_DITHERENABLE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_SPECULARENABLE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_FOGENABLE, 1));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_FOGCOLOR, 0xFFDFDFEFu));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_FOGTABLESTART, 0x3E4CCCCDu));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_FOGTABLEEND, 0x3ECCCCCDu));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_TEXTUREHANDLE, 7));
  const PipelineState& p = block.Pipeline();
  EXPECT_TRUE(p.z_enable && p.z_write && p.perspective && p.dither && p.specular && p.fog_enable);
  EXPECT_EQ(p.fog_table_mode, D3DFOG_LINEAR);
  EXPECT_EQ(p.fog_color, 0xFFDFDFEFu);
  EXPECT_EQ(p.fog_start, 0.2f);
  EXPECT_EQ(p.fog_end, 0.4f);
  EXPECT_EQ(p.texture_handle, 7u);
  std::uint32_t value = 0;
  ASSERT_TRUE(block.Get(D3DRENDERSTATE_FOGTABLESTART, &value));
  EXPECT_EQ(value, 0x3E4CCCCDu);
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE));
  EXPECT_EQ(block.Pipeline().cull_mode, D3DCULL_NONE);
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0));
  EXPECT_FALSE(block.Pipeline().perspective);
}

TEST(RenderStatesTest, RefusesUnknownStatesAndValuesOutsideTheirEnumeration) {
  RenderStateBlock block;
  EXPECT_FALSE(block.Set(static_cast<D3DRENDERSTATETYPE>(0), 1));
  EXPECT_FALSE(block.Set(static_cast<D3DRENDERSTATETYPE>(RenderStateBlock::kStateCount), 1));
  EXPECT_FALSE(block.Set(D3DRENDERSTATE_CULLMODE, 9));
  EXPECT_FALSE(block.Set(D3DRENDERSTATE_ZFUNC, 0));
  EXPECT_FALSE(block.Set(D3DRENDERSTATE_FOGTABLEMODE, 4));
  EXPECT_EQ(block.Pipeline().cull_mode, D3DCULL_CCW);
  std::uint32_t value = 0;
  ASSERT_TRUE(block.Get(D3DRENDERSTATE_CULLMODE, &value));
  EXPECT_EQ(value, static_cast<std::uint32_t>(D3DCULL_CCW));
  EXPECT_FALSE(block.Get(static_cast<D3DRENDERSTATETYPE>(500), &value));
  // States without an effect here are still kept for GetRenderState.
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_STIPPLEPATTERN00, 0xAAAA5555u));
  ASSERT_TRUE(block.Get(D3DRENDERSTATE_STIPPLEPATTERN00, &value));
  EXPECT_EQ(value, 0xAAAA5555u);
}

TEST(RenderStatesTest, TextureAddressSetsBothAxesAndPhongShadesAsGouraud) {
  RenderStateBlock block;
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_CLAMP));
  EXPECT_EQ(block.Pipeline().address_u, D3DTADDRESS_CLAMP);
  EXPECT_EQ(block.Pipeline().address_v, D3DTADDRESS_CLAMP);
  std::uint32_t value = 0;
  block.Get(D3DRENDERSTATE_TEXTUREADDRESSV, &value);
  EXPECT_EQ(value, static_cast<std::uint32_t>(D3DTADDRESS_CLAMP));
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_TEXTUREADDRESSU, D3DTADDRESS_MIRROR));
  EXPECT_EQ(block.Pipeline().address_u, D3DTADDRESS_MIRROR);
  EXPECT_EQ(block.Pipeline().address_v, D3DTADDRESS_CLAMP);
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT));
  EXPECT_EQ(block.Pipeline().shade_mode, D3DSHADE_FLAT);
  EXPECT_TRUE(block.Set(D3DRENDERSTATE_SHADEMODE, D3DSHADE_PHONG));
  EXPECT_EQ(block.Pipeline().shade_mode, D3DSHADE_GOURAUD);
}

}  // namespace
}  // namespace platform::raster
