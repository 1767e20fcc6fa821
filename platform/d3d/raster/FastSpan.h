#pragma once
// The fast span: the program's common states (5-6-5 target with or without dither, any depth
// format with LESSEQUAL, untextured or an 8-bit palettised power-of-two wrapped texture with
// MODULATE and no perspective correction, specular on or off, linear table fog or none, no
// alpha test or blend) specialised at compile time, so a pixel costs no switch and no call.
//
// Coverage, depth and texture coordinates are exactly the general span's: the same operations
// in the same order and precision (32-bit depth through exact float and integer steps in place
// of double). Whole groups of four pixels are shaded one pixel per SSE2 lane, the rest one pixel
// at a time. Colours are the general span's float ones, except on triangles wide enough for
// groups of four whose colour planes stay near 0..255: there the groups step colours in 16.16
// fixed point and combine them in 16-bit lanes, within a fraction of a level of the float
// values, so a 5-6-5 channel differs from the general span's by at most one step.

#include <cstdint>

#include "platform/d3d/raster/PixelStage.h"

namespace platform::raster {

// Draws every covered pixel of a set-up triangle, walking its rows itself.
using TriangleFunction = void (*)(const PixelContext& context, const TriangleSetup& setup);

// The specialised triangle function for the context, or nullptr when its states are not ones
// it covers (the caller then shades each row with the general span).
// Best takes the AVX-encoded copy of the kernels where the processor has AVX; Sse2 the plain one
// (the two give the same pixels; tests compare them).
enum class SimdLevel { Sse2, Best };
TriangleFunction SelectFastTriangle(const PixelContext& context, bool perspective,
                                    SimdLevel level = SimdLevel::Best);

// The fast span's conversion of count screen z values to 32-bit depth values (exact integer
// and float steps in place of the general span's double), for the test that proves it equal.
void FastDepthValues32(const float* z, std::uint32_t* values, std::int32_t count,
                       SimdLevel level = SimdLevel::Best);

}  // namespace platform::raster
