#pragma once
// The render-state block: the raw values SetRenderState received, numbered as in DirectX 5, and
// the pipeline settings parsed from them once per change (never per triangle or pixel).
//
// Float-valued states (fog start, end, density) arrive as the 32-bit pattern of the float in the
// value, as DirectX passes them.

#include <array>
#include <cstdint>

#include "platform/d3d/D3DTypes.h"

namespace platform::raster {

// What the pixel pipeline needs, in usable types.
struct PipelineState {
  std::uint32_t texture_handle = 0;
  bool z_enable = false;
  bool z_write = true;
  D3DCMPFUNC z_func = D3DCMP_LESSEQUAL;
  bool perspective = false;
  D3DSHADEMODE shade_mode = D3DSHADE_GOURAUD;
  D3DCULL cull_mode = D3DCULL_CCW;
  bool dither = false;
  bool specular = true;
  bool fog_enable = false;
  D3DFOGMODE fog_table_mode = D3DFOG_NONE;
  D3DCOLOR fog_color = 0;
  float fog_start = 0.0f;
  float fog_end = 1.0f;
  float fog_density = 1.0f;
  D3DTEXTUREBLEND texture_blend = D3DTBLEND_MODULATE;
  D3DTEXTUREADDRESS address_u = D3DTADDRESS_WRAP;
  D3DTEXTUREADDRESS address_v = D3DTADDRESS_WRAP;
  bool alpha_blend = false;
  D3DBLEND src_blend = D3DBLEND_ONE;
  D3DBLEND dest_blend = D3DBLEND_ZERO;
  bool alpha_test = false;
  D3DCMPFUNC alpha_func = D3DCMP_ALWAYS;
  std::uint32_t alpha_ref = 0;
};

class RenderStateBlock {
 public:
  // States are numbered 1 .. kStateCount - 1 (the last is the final stipple pattern word).
  static constexpr std::uint32_t kStateCount = 96;

  // Starts with the DirectX 5 defaults: z off, z write on, ZFUNC less-or-equal, Gouraud, cull
  // CCW, no perspective, no dither, specular on, fog off, MODULATE, wrap addressing, no blend.
  RenderStateBlock();

  // Stores a value. Refuses (returns false, changes nothing) a state number outside the block
  // and a value outside the enumeration of a typed state (for example CULLMODE 9).
  bool Set(D3DRENDERSTATETYPE state, std::uint32_t value);

  // The stored value, or false for a state number outside the block.
  bool Get(D3DRENDERSTATETYPE state, std::uint32_t* value) const;

  const PipelineState& Pipeline() const { return pipeline_; }

  static std::uint32_t FloatBits(float value);
  static float FloatFromBits(std::uint32_t bits);

 private:
  bool Accepts(D3DRENDERSTATETYPE state, std::uint32_t value) const;
  void Parse(D3DRENDERSTATETYPE state, std::uint32_t value);

  std::array<std::uint32_t, kStateCount> values_{};
  PipelineState pipeline_;
};

}  // namespace platform::raster
