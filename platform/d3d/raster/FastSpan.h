#pragma once
// The fast span: the program's common states (5-6-5 target with or without dither, any depth
// format with LESSEQUAL, untextured or an 8-bit palettised power-of-two wrapped texture with
// MODULATE and no perspective correction, specular on or off, linear table fog or none, no
// alpha test or blend) specialised at compile time, so a pixel costs no switch and no call.
//
// Coverage and depth are exactly the general span's: the same operations in the same order and
// precision (32-bit depth through exact float and integer steps in place of double). Whole
// groups of four pixels are shaded one pixel per SSE2 lane, the rest one pixel at a time.
// Colours and texture coordinates are the general span's float ones, except on rows of eight
// pixels or more whose colour planes stay near 0..255: there the groups step colours in 16.16
// fixed point and combine them in 16-bit lanes, within a fraction of a level of the float
// values, so a 5-6-5 channel differs from the general span's by at most one step. Where such a
// row's texel positions (u * width, v * height) also stay within [0, 2^15) they are stepped in
// 16.16 fixed point too, which can pick the neighbouring texel where a position lies within a
// small fraction of a texel of a boundary. With AVX2 those rows go eight pixels at a time.

#include <cstdint>

#include "platform/d3d/raster/PixelStage.h"

namespace platform::raster {

// Draws every covered pixel of a set-up triangle, walking its rows itself.
using TriangleFunction = void (*)(const PixelContext& context, const TriangleSetup& setup);

// The specialised triangle function for the context, or nullptr when its states are not ones
// it covers (the caller then shades each row with the general span).
// The copies of the kernels: Sse2 the plain one, Avx the same with AVX encodings, Avx2 with
// groups of eight pixels on fixed-point rows; Best the widest the processor runs. A level the
// processor lacks falls back to the widest below it it has. All give the same pixels (tests
// compare them).
enum class SimdLevel { Sse2, Avx, Avx2, Best };
// The copy Best stands for on this processor.
SimdLevel AvailableSimdLevel();
TriangleFunction SelectFastTriangle(const PixelContext& context, bool perspective,
                                    SimdLevel level = SimdLevel::Best);

// The fast span's conversion of count screen z values to 32-bit depth values (exact integer
// and float steps in place of the general span's double), for the test that proves it equal.
void FastDepthValues32(const float* z, std::uint32_t* values, std::int32_t count,
                       SimdLevel level = SimdLevel::Best);

}  // namespace platform::raster
