#include "platform/d3d/raster/FastSpan.h"

#include <emmintrin.h>

#include <xmmintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#define FAST_SPAN_KERNELS sse2
#include "platform/d3d/raster/FastSpanKernels.h"
#undef FAST_SPAN_KERNELS

namespace platform::raster {

namespace avx {
TriangleFunction SelectKernel(bool depth_test, DepthFormat format, bool textured, bool specular,
                              bool fog);
void DepthValues32(const float* z, std::uint32_t* values, std::int32_t count);
}  // namespace avx
namespace avx2 {
TriangleFunction SelectKernel(bool depth_test, DepthFormat format, bool textured, bool specular,
                              bool fog);
void DepthValues32(const float* z, std::uint32_t* values, std::int32_t count);
}  // namespace avx2

namespace {

// The copy of the kernels to run for the level asked: the AVX copies need the processor (and
// the system) to support them.
SimdLevel Resolve(SimdLevel level) {
  const SimdLevel available = AvailableSimdLevel();
  return level == SimdLevel::Best || level > available ? available : level;
}

bool IsPowerOfTwo(std::int32_t size) {
  return (size & (size - 1)) == 0;
}

// Textures the fast span samples: 8-bit palettised, power-of-two sides, wrapped, MODULATE, a
// pitch that fits a 16-bit lane.
bool TextureCovered(const PixelContext& context, bool perspective) {
  const Sampler& sampler = *context.sampler;
  const TextureView& view = sampler.Texture();
  const bool modulate = context.texture_blend == D3DTBLEND_MODULATE ||
                        context.texture_blend == D3DTBLEND_MODULATEMASK;
  return !perspective && modulate && view.format == TextureFormat::Palette8 &&
         IsPowerOfTwo(view.width) && IsPowerOfTwo(view.height) && view.pitch <= 32767 &&
         sampler.AddressU() == D3DTADDRESS_WRAP && sampler.AddressV() == D3DTADDRESS_WRAP;
}

}  // namespace

SimdLevel AvailableSimdLevel() {
  static const SimdLevel level = __builtin_cpu_supports("avx2")  ? SimdLevel::Avx2
                                 : __builtin_cpu_supports("avx") ? SimdLevel::Avx
                                                                 : SimdLevel::Sse2;
  return level;
}

TriangleFunction SelectFastTriangle(const PixelContext& context, bool perspective,
                                    SimdLevel level) {
  if (context.target.format != TargetFormat::Rgb565) return nullptr;
  if (context.alpha_test || context.alpha_blend) return nullptr;
  if (context.depth_test && context.depth_func != D3DCMP_LESSEQUAL) return nullptr;
  if (context.fog == FogSource::Vertex) return nullptr;
  if (context.fog == FogSource::Table && context.fog_mode != D3DFOG_LINEAR) return nullptr;
  const bool textured = context.sampler != nullptr;
  if (textured && !TextureCovered(context, perspective)) return nullptr;
  const bool fog = context.fog == FogSource::Table;
  const SimdLevel copy = Resolve(level);
  const auto select = copy == SimdLevel::Avx2  ? avx2::SelectKernel
                      : copy == SimdLevel::Avx ? avx::SelectKernel
                                               : sse2::SelectKernel;
  return select(context.depth_test, context.depth.format, textured, context.specular, fog);
}

void FastDepthValues32(const float* z, std::uint32_t* values, std::int32_t count, SimdLevel level) {
  const SimdLevel copy = Resolve(level);
  const auto convert = copy == SimdLevel::Avx2  ? avx2::DepthValues32
                       : copy == SimdLevel::Avx ? avx::DepthValues32
                                                : sse2::DepthValues32;
  convert(z, values, count);
}

}  // namespace platform::raster
