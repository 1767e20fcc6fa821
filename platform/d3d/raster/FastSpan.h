#pragma once
// The fast span: the program's common states (5-6-5 target with or without dither, any depth
// format with LESSEQUAL, untextured or an 8-bit palettised power-of-two wrapped texture with
// MODULATE and no perspective correction, specular on or off, linear table fog or none, no
// alpha test or blend) specialised at compile time, so a pixel costs no switch and no call.
//
// It computes exactly what the general span computes, in the same order and precision, so its
// pixels are the general span's: depth and coverage by construction, colours because every
// operation matches. Whole groups of four pixels are shaded one pixel per SSE2 lane (the
// accumulated attributes transposed into lanes), the rest one pixel at a time.

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
