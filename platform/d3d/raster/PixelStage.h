#pragma once
// The span and pixel stage: walks the covered pixels of one row of a triangle and runs each
// through the fixed pipeline of the device:
//   depth test -> texture (point sample, blended with the diffuse colour) -> specular add ->
//   fog -> alpha test -> alpha blend -> dither and write -> depth write.
// Attributes are stepped incrementally along the span from the triangle's planes.
//
// Everything that is constant for a draw call is gathered once in a PixelContext; the span
// function is picked once per triangle from specialisations for target format, depth format,
// texturing and perspective, so the inner loop carries no per-pixel tests of those.

#include <cstdint>

#include "platform/d3d/raster/DepthBuffer.h"
#include "platform/d3d/raster/RenderStates.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Targets.h"
#include "platform/d3d/raster/TriangleSetup.h"

namespace platform::raster {

enum class FogSource {
  None,
  Table,   // computed per pixel from screen z with the table mode, start, end and density
  Vertex,  // interpolated from the vertices' specular alpha
};

// What the fast span (FastSpan.h) reads for every triangle of a draw, made once per draw: each
// value repeated in the four lanes of an SSE register, so the kernels load it as it stands.
struct FastSpanConstants {
  alignas(16) float fog_end[4] = {};
  alignas(16) float fog_scale[4] = {};
  alignas(16) float fog_red[4] = {};
  alignas(16) float fog_green[4] = {};
  alignas(16) float fog_blue[4] = {};
  alignas(16) float fog_color[4] = {};  // red, green, blue, 0
  alignas(16) float texture_width[4] = {};
  alignas(16) float texture_height[4] = {};
  alignas(16) float texture_size[4] = {};  // width, height, width, height
  alignas(16) std::int32_t mask_u[4] = {};
  alignas(16) std::int32_t mask_v[4] = {};
  alignas(16) std::int32_t masks[4] = {};  // width - 1, height - 1, width - 1, height - 1
  // 1 and the pitch as 16-bit halves: a multiply-add of (u, v) word pairs gives the offset.
  alignas(16) std::int32_t pitch_weights[4] = {};
  // The fog colour as 8.7 fixed point: red four times then green, and blue eight times.
  alignas(16) std::int16_t fog_rg_8_7[8] = {};
  alignas(16) std::int16_t fog_b_8_7[8] = {};
  const std::uint8_t* texels = nullptr;
  const float (*palette)[4] = nullptr;        // the sampler's expanded palette
  const D3DCOLOR* palette_colours = nullptr;  // and the colours it was expanded from
};

struct PixelContext {
  RenderTargetView target;
  DepthBufferView depth;
  bool depth_test = false;  // z enabled and a depth buffer bound
  D3DCMPFUNC depth_func = D3DCMP_LESSEQUAL;
  bool depth_write = false;
  const Sampler* sampler = nullptr;  // null: untextured, the diffuse colour is the colour
  D3DTEXTUREBLEND texture_blend = D3DTBLEND_MODULATE;
  bool specular = false;
  FogSource fog = FogSource::None;
  D3DFOGMODE fog_mode = D3DFOG_LINEAR;
  float fog_end = 1.0f;
  float fog_scale = 1.0f;  // 1 / (end - start) for linear fog
  float fog_density = 1.0f;
  float fog_color[3] = {};  // red, green, blue, 0..255
  bool dither = false;
  // The dither offsets of each pixel as bytes red | green << 8 | blue << 16, indexed
  // [y % kDitherSize][x % kDitherSize]; all zero when dither is off.
  std::uint32_t dither_offsets[kDitherSize][kDitherSize] = {};
  // The same offsets for four pixels in a row starting at column phase c of row phase r, as
  // 16-bit lanes: [r][c][0] holds red for the four then green, [r][c][1] blue twice.
  alignas(16) std::int16_t dither_quads[kDitherSize][kDitherSize][2][8] = {};
  bool alpha_test = false;
  D3DCMPFUNC alpha_func = D3DCMP_ALWAYS;
  std::int32_t alpha_ref = 0;
  bool alpha_blend = false;
  D3DBLEND src_blend = D3DBLEND_ONE;
  D3DBLEND dest_blend = D3DBLEND_ZERO;
  FastSpanConstants fast;
};

// Builds the per-draw context from the render states and the bound surfaces. depth may be null
// (no buffer bound); sampler is null for untextured drawing.
PixelContext MakePixelContext(const PipelineState& state, const RenderTargetView& target,
                              const DepthBufferView* depth, const Sampler* sampler);

// Shades pixels [first, last] of row y, which the caller has clipped to the target.
using SpanFunction = void (*)(const PixelContext& context, const TriangleSetup& setup,
                              std::int32_t y, std::int32_t first, std::int32_t last);

// The general span for the context, which handles every state (FastSpan.h has the fast one).
SpanFunction SelectSpanFunction(const PixelContext& context, bool perspective);

}  // namespace platform::raster
